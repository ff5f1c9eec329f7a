#include "ui/records/tf_modework.h"

#include "model/project.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/field_hint.h"
#include "ui/widgets/fields.h"
#include "ui/records/typing_hints.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kFieldWidth = 160;
constexpr int kNumberWidth = 80;

template <class Field> Field* named(Field* field, const char* name) {
    field->setObjectName(name);
    return field;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& title) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    return box;
}

// A caption in the first column of a group's grid, tied to its field; the field's unit or button, if
// any, stands right beside it.
void addRow(QGridLayout* grid, int row, const QString& caption, QWidget* field, QWidget* unit = nullptr) {
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    if (unit) {
        auto* line = new QHBoxLayout;
        line->addWidget(field);
        line->addWidget(unit);
        line->addStretch();
        grid->addLayout(line, row, 1);
    } else {
        grid->addWidget(field, row, 1);
    }
}

} // namespace

TF_ModeWork::TF_ModeWork(QWidget* parent) : QDialog(parent) {
    setObjectName("TF_ModeWork");
    setWindowTitle("Режимы работы");

    GroupBox1 = group(this, "GroupBox1", "Источники, линии");
    L_begin = named(new TextField(GroupBox1), "L_begin");
    L_begin->setFixedWidth(kFieldWidth - 26);
    // The button belongs to the field; like the field, it is out of the user's reach.
    L_beginButton = named(new QToolButton(GroupBox1), "L_beginButton");
    L_beginButton->setText("...");
    L_begin->setEnabled(false);
    L_beginButton->setEnabled(false);
    L_End = named(new TypedComboBox(GroupBox1), "L_End");
    L_End->setMinimumWidth(kFieldWidth);
    auto* lines = new QGridLayout(GroupBox1);
    addRow(lines, 0, "От", L_begin, L_beginButton);
    addRow(lines, 1, "До", L_End);

    GroupBox2 = group(this, "GroupBox2", " Перемычка ");
    Uzel_Begin = named(new TextField(GroupBox2), "Uzel_Begin");
    Uzel_End = named(new TextField(GroupBox2), "Uzel_End");
    Dlina = named(new DecimalSpinField(GroupBox2), "Dlina");
    Dlina->setFixedWidth(kNumberWidth);
    Dlina->setValue(0);
    DlinaUnit = named(new QLabel("км.", GroupBox2), "DlinaUnit");
    Provod_Box = named(new TypedComboBox(GroupBox2), "Provod_Box");
    Provod_Box->setMinimumWidth(kFieldWidth);
    auto* jumper = new QGridLayout(GroupBox2);
    addRow(jumper, 0, "Узел начальный", Uzel_Begin);
    addRow(jumper, 1, "Узел конечный", Uzel_End);
    addRow(jumper, 2, "Длина", Dlina, DlinaUnit);
    addRow(jumper, 3, "Провод, кабель", Provod_Box);
    jumper->addWidget(hintForCatalogName(Provod_Box), 3, 2); // a wire the catalog lacks

    GroupBox3 = group(this, "GroupBox3", QString());
    Uzel_Off = named(new TextField(GroupBox3), "Uzel_Off");
    Izm_Nagr = named(new WholeNumberField(GroupBox3), "Izm_Nagr");
    Izm_Nagr->setFixedWidth(kNumberWidth);
    Izm_Nagr->setValue(0);
    Izm_NagrUnit = named(new QLabel("%", GroupBox3), "Izm_NagrUnit");
    auto* bottom = new QGridLayout(GroupBox3);
    addRow(bottom, 0, "Узел отключения", Uzel_Off);
    addRow(bottom, 1, "Измение нагрузки", Izm_Nagr, Izm_NagrUnit);

    // The captions of the three groups line up: each grid gives its first column the same width.
    const int captionWidth = QFontMetrics(font()).horizontalAdvance("Измение нагрузки") + 8;
    for (QGridLayout* grid : {lines, jumper, bottom})
        grid->setColumnMinimumWidth(0, captionWidth);

    QDialogButtonBox* panel = okCancelButtons(this, OkButton, CancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addWidget(GroupBox3);
    layout->addWidget(panel);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(L_End, Uzel_Begin);
    setTabOrder(Uzel_Begin, Uzel_End);
    setTabOrder(Uzel_End, Dlina);
    setTabOrder(Dlina, Provod_Box);
    setTabOrder(Provod_Box, Uzel_Off);
    setTabOrder(Uzel_Off, Izm_Nagr);
    setTabOrder(Izm_Nagr, OkButton);
    setTabOrder(OkButton, CancelButton);
}

void TF_ModeWork::rebuildLineList(const TProect& project) {
    L_End->clear();
    L_End->addItem(QString());
    for (const TSource& source : project.Sources)
        for (const TLines& line : source.Lines)
            L_End->addItem(fromCp1251(line.Name.view()));
}

void TF_ModeWork::prefill(const TModeWork& mode) {
    L_begin->setText(fromCp1251(mode.L_Begin.view()));
    L_End->setEditText(fromCp1251(mode.L_End.view()));
    Uzel_Begin->setText(fromCp1251(mode.Uzel_Begin));
    Uzel_End->setText(fromCp1251(mode.Uzel_End));
    Provod_Box->setEditText(fromCp1251(mode.Provod));
    Uzel_Off->setText(fromCp1251(mode.Uzel_Off));
    Dlina->setValue(mode.Dlina);
    Izm_Nagr->setValue(mode.Izm_Nagr);
}

void TF_ModeWork::storeInto(TModeWork& mode) const {
    mode.L_Begin = toCp1251(L_begin->text());
    mode.L_End = toCp1251(L_End->currentText());
    mode.Uzel_Begin = toCp1251(Uzel_Begin->text());
    mode.Uzel_End = toCp1251(Uzel_End->text());
    mode.Dlina = Dlina->value();
    mode.Provod = toCp1251(Provod_Box->currentText());
    mode.Uzel_Off = toCp1251(Uzel_Off->text());
    mode.Izm_Nagr = Izm_Nagr->value();
}

QStringList TF_ModeWork::shownRow() const {
    return {L_begin->text(), L_End->currentText(),      Uzel_Begin->text(), Uzel_End->text(),
            Dlina->text(),   Provod_Box->currentText(), Uzel_Off->text(),   Izm_Nagr->text()};
}
