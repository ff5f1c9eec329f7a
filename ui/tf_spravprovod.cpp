#include "ui/tf_spravprovod.h"

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
    "Справочник проводов не был прочитан из файла spravp.dat при запуске программы, поэтому изменять его "
    "нельзя. Исправьте файл и запустите программу снова.",
};

} // namespace

TF_SpravProvod::TF_SpravProvod(QWidget* parent) : CatalogDialog(parent, kWireTexts) {}
