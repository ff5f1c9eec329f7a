#include "ui/reference/tf_provodedit.h"

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

std::uint8_t low8Bits(std::int32_t value) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value));
}

} // namespace

TF_ProvodEdit::TF_ProvodEdit(Interaction& user, QWidget* parent)
    : CatalogEntryDialog(user, parent, "TF_ProvodEdit", "Добавление/исправление марки провода") {
    // The name may be typed longer than it is stored: the catalog grid shows it whole after an add.
    Name_Provod = named(new TextField(this), "Name_Provod", kNameWidth);
    R = named(new DecimalSpinField(this), "R", kNumberWidth);
    X = named(new DecimalSpinField(this), "X", kNumberWidth);
    Tok = named(new DecimalSpinField(this), "Tok", kNumberWidth);
    R_V = named(new IntegerSpinField(this), "R_V", kNumberWidth);
    R_G = named(new IntegerSpinField(this), "R_G", kNumberWidth);
    setNameField(Name_Provod);

    addRow("Марка провода", Name_Provod);
    addRow("R", R, "Ом");
    addRow("X", X, "Ом");
    addRow("Доп. ток", Tok, "кА");
    addRow("Район \nпо ветру", R_V);
    addRow("Район по\nгололеду", R_G);

    QWidget::setTabOrder(Name_Provod, R);
    QWidget::setTabOrder(R, X);
    QWidget::setTabOrder(X, Tok);
    QWidget::setTabOrder(Tok, R_V);
    QWidget::setTabOrder(R_V, R_G);
    QWidget::setTabOrder(R_G, OkButton);
    QWidget::setTabOrder(OkButton, CancelButton);
}

void TF_ProvodEdit::prefill(const TProvoda& wire) {
    Name_Provod->setText(fromCp1251(wire.Name.view()));
    R->setValue(wire.R);
    X->setValue(wire.X);
    Tok->setValue(wire.Tok);
    R_V->setValue(wire.R_V);
    R_G->setValue(wire.R_G);
}

void TF_ProvodEdit::storeInto(TProvoda& wire) const {
    wire.Name = toCp1251(Name_Provod->text());
    wire.R = R->value();
    wire.X = X->value();
    wire.Tok = Tok->value();
    wire.R_V = low8Bits(R_V->value());
    wire.R_G = low8Bits(R_G->value());
}
