#include "ui/reference/tf_spravprovod.h"

namespace {

// A change shows the entry dialog under the same caption as an add.
const CatalogTexts kWireTexts = {
    "TF_SpravProvod",
    "Справочник проводов",
    30,
    "расчетная программа поддерживает не более 30 марок ",
    "Удалите не используемый провод и попробуйте снова",
    "Вы уверены, что хотите удалить провод ?",
    "Добавление",
    "Добавление",
};

} // namespace

TF_SpravProvod::TF_SpravProvod(Interaction& user, QWidget* parent)
    : CatalogDialog(user, parent, kWireTexts) {}
