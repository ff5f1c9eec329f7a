// The wire and transformer catalogs of the document in the lists that offer them, and the catalog
// dialogs.

#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/fields.h"
#include "ui/main_window/form_main.h"
#include "ui/desktop/interaction.h"
#include "ui/widgets/string_grid.h"
#include "ui/records/tf_line.h"
#include "ui/records/tf_modework.h"
#include "ui/reference/tf_spravprovod.h"
#include "ui/reference/tf_spravtrans.h"
#include "ui/main_window/workbench.h"

namespace {

template <class Catalog> void fillGrid(StringGrid* grid, const Catalog& catalog) {
    grid->setRows(catalog.count());
    grid->clearRow(0);
    for (int i = 1; i <= catalog.count(); ++i)
        grid->setCell(i - 1, 0, fromCp1251(catalog[i].Name.view()));
}

template <class Catalog> void fillList(TypedComboBox* list, const Catalog& catalog) {
    // The typed text of the list is the user's; only the items change.
    QString text = list->currentText();
    list->clear();
    for (int i = 1; i <= catalog.count(); ++i)
        list->addItem(fromCp1251(catalog[i].Name.view()));
    list->setEditText(text);
}

} // namespace

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
    user_.runDialog(*forms_->F_SpravProvod);
}

void TFormMain::N16Click() {
    user_.runDialog(*forms_->F_SpravTrans);
}
