#include "ui/records/tf_line.h"

#include "model/project.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/fields.h"
#include "ui/desktop/interaction.h"
#include "ui/records/tf_grnagr.h"
#include "ui/records/typing_hints.h"
#include "ui/widgets/field_hint.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel* caption(const QString& text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    return label;
}

// Puts a unit label after a field of fixed width.
QHBoxLayout* withUnit(QWidget* field, const QString& unit, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->addWidget(field);
    row->addWidget(new QLabel(unit, parent));
    row->addStretch();
    return row;
}

} // namespace

TF_Line::TF_Line(Interaction& user, QWidget* parent) : QDialog(parent), user_(user) {
    setObjectName("TF_Line");
    setWindowTitle("Коррекция линии");

    GroupBox1 = new QGroupBox(" Участок ", this);
    GroupBox1->setObjectName("GroupBox1");
    L_Begin = new TextField(GroupBox1);
    L_Begin->setObjectName("L_Begin");
    L_End = new TextField(GroupBox1);
    L_End->setObjectName("L_End");
    auto* nodes = new QGridLayout(GroupBox1);
    nodes->addWidget(caption("Начало", L_Begin, GroupBox1), 0, 0);
    nodes->addWidget(L_Begin, 0, 1);
    nodes->addWidget(caption("Конец", L_End, GroupBox1), 0, 2);
    nodes->addWidget(L_End, 0, 3);
    nodes->setColumnMinimumWidth(1, 110);
    nodes->setColumnMinimumWidth(3, 110);

    Dlina = new DecimalSpinField(this);
    Dlina->setObjectName("Dlina");
    Dlina->setFixedWidth(110);
    Provod_Box = new TypedComboBox(this);
    Provod_Box->setObjectName("Provod_Box");
    Provod_Box->setMinimumWidth(200);
    Gr_Nagr = new TextField(this);
    Gr_Nagr->setObjectName("Gr_Nagr");
    Gr_Nagr->setFixedWidth(88);
    Gr_NagrButton = new QToolButton(this);
    Gr_NagrButton->setObjectName("Gr_NagrButton");
    Gr_NagrButton->setText("...");
    Gr_NagrButton->setToolTip("Шифры нагрузок (F4)");
    // The button belongs to its field, as a drop-down arrow does: it takes no place in the focus order,
    // and F4 in the field presses it.
    Gr_NagrButton->setFocusPolicy(Qt::NoFocus);
    connect(Gr_NagrButton, &QToolButton::clicked, this, [this] { Gr_NagrButtonClick(); });
    auto* openTable = new QShortcut(QKeySequence(Qt::Key_F4), Gr_Nagr);
    openTable->setContext(Qt::WidgetShortcut);
    connect(openTable, &QShortcut::activated, Gr_NagrButton, &QToolButton::click);
    Max_Nagr = new WholeNumberField(this);
    Max_Nagr->setObjectName("Max_Nagr");
    Max_Nagr->setFixedWidth(110);
    Trans_Box = new TypedComboBox(this);
    Trans_Box->setObjectName("Trans_Box");
    Trans_Box->setMinimumWidth(200);

    auto* codeRow = new QHBoxLayout;
    codeRow->setSpacing(0);
    codeRow->addWidget(Gr_Nagr);
    codeRow->addWidget(Gr_NagrButton);
    codeRow->addStretch();

    auto* fields = new QGridLayout;
    fields->addWidget(caption("Длина участка", Dlina, this), 0, 0);
    fields->addLayout(withUnit(Dlina, "км.", this), 0, 1);
    fields->addWidget(caption("Провод, кабель", Provod_Box, this), 1, 0);
    fields->addWidget(Provod_Box, 1, 1);
    fields->addWidget(caption("Шифр графика нагрузок", Gr_Nagr, this), 2, 0);
    fields->addLayout(codeRow, 2, 1);
    fields->addWidget(caption("Максимальная\nнагрузка", Max_Nagr, this), 3, 0);
    fields->addLayout(withUnit(Max_Nagr, "кВА", this), 3, 1);
    fields->addWidget(caption("Марка трасформатора", Trans_Box, this), 4, 0);
    fields->addWidget(Trans_Box, 4, 1);
    // Beside the wire, the code and the transformer, what the calculation would find wrong with them.
    fields->addWidget(hintForCatalogName(Provod_Box), 1, 2);
    fields->addWidget(hintForLoadCode(Gr_Nagr), 2, 2);
    fields->addWidget(hintForCatalogName(Trans_Box), 4, 2);

    QDialogButtonBox* buttons = okCancelButtons(this, OkButton, CancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* order[] = {L_Begin,   L_End,   Dlina,    Provod_Box,  Max_Nagr,
                        Trans_Box, Gr_Nagr, OkButton, CancelButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TF_Line::setCodeTable(TF_GrNagr* table) {
    codeTable_ = table;
}

void TF_Line::prefill(const TLine& section) {
    L_Begin->setText(fromCp1251(section.L_Begin.view()));
    L_Begin->setEnabled(true);
    L_End->setText(fromCp1251(section.L_End.view()));
    Dlina->setValue(section.Dlina);
    Gr_Nagr->setText(fromCp1251(section.Gr_Nagr));
    Max_Nagr->setText(fromCp1251(section.Max_Nagr));
    // The list's items stay; only the typed text is the section's.
    for (TypedComboBox* list : {Provod_Box, Trans_Box})
        list->setCurrentIndex(-1);
    Provod_Box->setEditText(fromCp1251(section.Provod));
    Trans_Box->setEditText(fromCp1251(section.Trans));
}

void TF_Line::storeInto(TLine& section) const {
    section.L_Begin = toCp1251(L_Begin->text());
    section.L_End = toCp1251(L_End->text());
    section.Dlina = Dlina->value();
    section.Max_Nagr = toCp1251(Max_Nagr->text());
    section.Gr_Nagr = toCp1251(Gr_Nagr->text());
    section.Provod = toCp1251(Provod_Box->currentText());
    section.Trans = toCp1251(Trans_Box->currentText());
}

QStringList TF_Line::rowTexts() const {
    return {L_Begin->text(), L_End->text(),    Dlina->text(),           Provod_Box->currentText(),
            Gr_Nagr->text(), Max_Nagr->text(), Trans_Box->currentText()};
}

void TF_Line::Gr_NagrButtonClick() {
    if (!codeTable_ || !user_.runDialog(*codeTable_))
        return;
    // A cancelled table, or one left on its header row, leaves the field as it was.
    QString code = codeTable_->selectedCode();
    if (!code.isEmpty())
        Gr_Nagr->setText(code);
}

void TF_Line::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    (L_Begin->isEnabled() ? L_Begin : L_End)->setFocus();
}
