#include "ui/reference/tf_spravtrans.h"

namespace {

// The texts are the ones users know, letter for letter: the limit message's second line names a wire,
// and the caption of a change is spelled "Измеенение".
const CatalogTexts kTransformerTexts = {
    "TF_SpravTrans",
    "Справочник трансформаторов",
    20,
    "Расчетная программа поддерживает не более 20 марок ",
    "Удалите не используемый провод и попробуйте снова",
    "Вы уверены, что хотите удалить трансформатор ?",
    "Добавление",
    "Измеенение",
};

} // namespace

TF_SpravTrans::TF_SpravTrans(Interaction& user, QWidget* parent)
    : CatalogDialog(user, parent, kTransformerTexts) {}
