#include "ui/records/tf_source.h"

#include "model/project.h"
#include "text/errors.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/fields.h"
#include "ui/desktop/interaction.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

constexpr int kNameLength = 20; // characters the user may type into the name
constexpr int kNumberWidth = 100;
constexpr int kSpinWidth = 90;

constexpr double kCodeMin = std::numeric_limits<std::int32_t>::min();
constexpr double kCodeMax = std::numeric_limits<std::int32_t>::max();

template <class Field> Field* named(Field* field, const char* name) {
    field->setObjectName(name);
    return field;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& title) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    return box;
}

// A caption in the first column of a grid, tied to its field in the second.
void addRow(QGridLayout* grid, int row, const QString& caption, QWidget* field) {
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1, Qt::AlignLeft);
}

// Keeps the code field within the 32 bits of the code: on top of the field's own rule, a keystroke or
// paste that would carry the number beyond them is refused, so no code is ever stored cut or wrapped.
class CodeRangeValidator : public QValidator {
public:
    CodeRangeValidator(const QValidator* shape, QObject* parent) : QValidator(parent), shape_(shape) {}

    State validate(QString& input, int& position) const override {
        State state = shape_ ? shape_->validate(input, position) : Acceptable;
        if (state == Invalid)
            return Invalid;
        std::optional<double> number = WholeNumberField::parse(input);
        if (number && (*number < kCodeMin || *number > kCodeMax))
            return Invalid;
        return state;
    }

private:
    const QValidator* shape_;
};

} // namespace

TF_Source::TF_Source(Interaction& user, QWidget* parent) : QDialog(parent), user_(user) {
    setObjectName("TF_Source");
    setWindowTitle("Источник питания");

    Name = named(new TextField(this, kNameLength), "Name");
    Name->setMinimumWidth(200);
    Code = named(new WholeNumberField(this), "Code");
    Code->setFixedWidth(kNumberWidth);
    // The field's own rule stays in force beneath the range check and is owned by the field as before.
    Code->setValidator(new CodeRangeValidator(Code->validator(), Code));
    Napr = named(new WholeNumberField(this), "Napr");
    Napr->setFixedWidth(kNumberWidth);
    auto* fields = new QGridLayout;
    addRow(fields, 0, "Наименование источника", Name);
    addRow(fields, 1, "Код источника питания", Code);
    addRow(fields, 2, "Номинальное напряжение", Napr);

    GroupBox1 = group(this, "GroupBox1", "Сопротивление системы (Ом)");
    auto spinGroup = [this](const char* name, const QString& title, DecimalSpinField*& r, const char* rName,
                            DecimalSpinField*& x, const char* xName) {
        QGroupBox* box = group(GroupBox1, name, title);
        r = named(new DecimalSpinField(box), rName);
        x = named(new DecimalSpinField(box), xName);
        r->setFixedWidth(kSpinWidth);
        x->setFixedWidth(kSpinWidth);
        auto* grid = new QGridLayout(box);
        addRow(grid, 0, "R", r);
        addRow(grid, 1, "X", x);
        return box;
    };
    GroupBox2 = spinGroup("GroupBox2", "Максимальный режим", R_Max, "R_Max", X_Max, "X_Max");
    GroupBox3 = spinGroup("GroupBox3", "Минимальный режим", R_Min, "R_Min", X_Min, "X_Min");
    auto* modes = new QHBoxLayout(GroupBox1);
    modes->addWidget(GroupBox2);
    modes->addWidget(GroupBox3);

    QDialogButtonBox* buttons = okCancelButtons(this, OkButton, CancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(GroupBox1);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget::setTabOrder(Name, Napr);
    QWidget::setTabOrder(Napr, Code);
    QWidget::setTabOrder(Code, X_Max);
    QWidget::setTabOrder(X_Max, R_Max);
    QWidget::setTabOrder(R_Max, R_Min);
    QWidget::setTabOrder(R_Min, X_Min);
    QWidget::setTabOrder(X_Min, OkButton);
    QWidget::setTabOrder(OkButton, CancelButton);

    connect(Code, &WholeNumberField::exited, this, &TF_Source::CodeExit);

    prefill(TSource{});
}

void TF_Source::setProject(const TProect* project) {
    project_ = project;
}

void TF_Source::showEvent(QShowEvent* event) {
    // Every showing starts at the name, whatever field had the focus when the dialog last closed.
    Name->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(event);
}

void TF_Source::prefill(const TSource& source) {
    QString name = fromCp1251(source.Name.view());
    // A longer name read from a file is shown whole rather than cut to what may be typed; it cannot grow.
    Name->setMaxLength(std::max<int>(kNameLength, static_cast<int>(name.size())));
    Name->setText(name);
    Code->clearValue();
    Code->setValue(source.Code);
    Napr->setValue(source.Napr);
    R_Max->setValue(source.R_Max);
    X_Max->setValue(source.X_Max);
    R_Min->setValue(source.R_Min);
    X_Min->setValue(source.X_Min);
}

std::optional<std::int32_t> TF_Source::codeValue() const {
    std::optional<double> number = WholeNumberField::parse(Code->text());
    if (!number || *number < kCodeMin || *number > kCodeMax)
        return std::nullopt;
    return static_cast<std::int32_t>(*number);
}

void TF_Source::storeInto(TSource& source) const {
    // The values are read as the fields hold them, so grouping and parentheses shown after the focus has
    // left a field are understood; nothing is stored until every value has been read.
    std::optional<std::int32_t> code = codeValue();
    std::optional<double> napr = WholeNumberField::parse(Napr->text());
    if (!code || !napr)
        throw k10::Error(k10::messages::InvalidNumericInput);

    source.Name = toCp1251(Name->text());
    source.Code = *code;
    source.Napr = *napr;
    source.R_Max = R_Max->value();
    source.X_Max = X_Max->value();
    source.R_Min = R_Min->value();
    source.X_Min = X_Min->value();
}

void TF_Source::CodeExit() {
    // Only a move of the focus to another control of this dialog leaves the field. Losing it to another
    // window (a message box of this check, the dialog closing, another application) is no exit: the
    // check would otherwise run again for its own message box.
    QWidget* next = QApplication::focusWidget();
    if (!next || next->window() != this)
        return;

    const std::int32_t v = codeValue().value_or(0);
    if (v == 0) {
        user_.showMessage(this, "Код источника не должен быть пустым. ");
        Code->setFocus(Qt::OtherFocusReason);
    }
    if (!project_)
        return;
    for (int i = 1; i <= project_->SourceCount(); ++i) {
        if (project_->Sources[i].Code == v) {
            user_.showMessage(this, "Такой код источника уже есть. ");
            Code->setFocus(Qt::OtherFocusReason);
        }
    }
}
