#include "ui/reference/tf_transedit.h"

#include "catalogs/catalog_records.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/fields.h"

#include <QPushButton>

#include <cstdint>

namespace {

constexpr int kNameWidth = 120;
constexpr int kNumberWidth = 90;

template <class Field> Field* named(Field* field, const char* name, int width) {
    field->setObjectName(name);
    field->setFixedWidth(width);
    return field;
}

std::uint16_t low16Bits(std::int32_t value) {
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(value));
}

} // namespace

TF_TransEdit::TF_TransEdit(Interaction& user, QWidget* parent)
    : CatalogEntryDialog(user, parent, "TF_TransEdit", "Добавление") {
    // The name may be typed longer than it is stored: the catalog grid shows it whole after an add.
    Name_Trans = named(new TextField(this), "Name_Trans", kNameWidth);
    S = named(new IntegerSpinField(this), "S", kNumberWidth);
    U = named(new DecimalSpinField(this), "U", kNumberWidth);
    dP = named(new DecimalSpinField(this), "dP", kNumberWidth);
    setNameField(Name_Trans);

    addRow("Марка трансформатора", Name_Trans);
    addRow("S<sub>ном</sub>", S);
    addRow("U<sub>k%</sub>", U);
    addRow("dP<sub>k</sub>", dP);

    // The nominal power comes last, after the buttons.
    QWidget::setTabOrder(Name_Trans, U);
    QWidget::setTabOrder(U, dP);
    QWidget::setTabOrder(dP, OkButton);
    QWidget::setTabOrder(OkButton, CancelButton);
    QWidget::setTabOrder(CancelButton, S);
}

void TF_TransEdit::prefill(const TTrans& transformer) {
    Name_Trans->setText(fromCp1251(transformer.Name.view()));
    S->setValue(transformer.S);
    U->setValue(transformer.U);
    dP->setValue(transformer.dP);
}

void TF_TransEdit::storeInto(TTrans& transformer) const {
    transformer.Name = toCp1251(Name_Trans->text());
    transformer.S = low16Bits(S->value());
    transformer.U = U->value();
    transformer.dP = dP->value();
}
