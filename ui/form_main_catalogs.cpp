// The wire and transformer catalogs of the main window: their files, and the lists that show them.

#include "text/errors.h"
#include "ui/cp1251_text.h"
#include "ui/fields.h"
#include "ui/form_main.h"
#include "ui/interaction.h"
#include "ui/string_grid.h"
#include "ui/tf_line.h"
#include "ui/tf_modework.h"
#include "ui/tf_spravprovod.h"
#include "ui/tf_spravtrans.h"
#include "ui/workbench.h"

namespace {

template <class Catalog>
void fillGrid(StringGrid* grid, const Catalog& catalog) {
    grid->setRows(catalog.count());
    grid->clearRow(0);
    for (int i = 1; i <= catalog.count(); ++i)
        grid->setCell(i - 1, 0, fromCp1251(catalog[i].Name.view()));
}

template <class Catalog>
void fillList(TypedComboBox* list, const Catalog& catalog) {
    // The typed text of the list is the user's; only the items change.
    QString text = list->currentText();
    list->clear();
    for (int i = 1; i <= catalog.count(); ++i)
        list->addItem(fromCp1251(catalog[i].Name.view()));
    list->setEditText(text);
}

} // namespace

void TFormMain::Read_Provoda(k10::WireCatalog& catalog) {
    catalog = k10::readWireCatalog(k10::WireCatalogFile);
    WireCatalogRead = true;
}

void TFormMain::Read_Trans(k10::TransCatalog& catalog) {
    catalog = k10::readTransCatalog(k10::TransCatalogFile);
    TransCatalogRead = true;
}

void TFormMain::Write_Provoda() {
    if (!WireCatalogRead)
        throw k10::Error("Справочник проводов не был прочитан при запуске программы, поэтому файл spravp.dat "
                         "не перезаписан. Исправьте файл и запустите программу снова.");
    k10::writeWireCatalog(k10::WireCatalogFile, WireCatalog);
}

void TFormMain::Write_Trans() {
    if (!TransCatalogRead)
        throw k10::Error("Справочник трансформаторов не был прочитан при запуске программы, поэтому файл "
                         "spravt.dat не перезаписан. Исправьте файл и запустите программу снова.");
    k10::writeTransCatalog(k10::TransCatalogFile, TransCatalog);
}

void TFormMain::fillWireLists() {
    fillGrid(forms_->F_SpravProvod->Grid, WireCatalog);
    fillList(forms_->F_Line->Provod_Box, WireCatalog);
    fillList(forms_->F_ModeWork->Provod_Box, WireCatalog);
}

void TFormMain::fillTransLists() {
    fillGrid(forms_->F_SpravTrans->Grid, TransCatalog);
    fillList(forms_->F_Line->Trans_Box, TransCatalog);
}

// The catalog dialogs change the catalogs themselves; their result is not used.
void TFormMain::N14Click() {
    interaction().runDialog(*forms_->F_SpravProvod);
}

void TFormMain::N16Click() {
    interaction().runDialog(*forms_->F_SpravTrans);
}
