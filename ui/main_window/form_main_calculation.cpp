// The calculation: the «Расчёт» menu, its windows and settings, and the load coefficient table.

#include "ui/main_window/form_main.h"
#include "ui/desktop/interaction.h"
#include "ui/calculation_service/document_calculation_data.h"
#include "ui/calculation/tf_calcsettings.h"
#include "ui/calculation/tf_checkdata.h"
#include "ui/reference/tf_koefnagr.h"
#include "ui/calculation/tf_results.h"
#include "ui/schematic/tf_schematic.h"
#include "ui/main_window/workbench.h"

#include "text/errors.h"

#include <QMenuBar>

namespace {

// Shows the window, restored when it was minimised, in front and active.
void bringUp(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void TFormMain::buildCalculationMenu() {
    N21 = menuBar()->addMenu("&Расчёт");
    N21->setObjectName("N21");
    N22 = addCommand(N21, "N22", "Проверить данные", &TFormMain::N22Click);
    N23 = addCommand(N21, "N23", "Результаты расчёта…", &TFormMain::N23Click);
    N23->setShortcut(QKeySequence(Qt::Key_F9));
    N25 = addCommand(N21, "N25", "Схема сети", &TFormMain::N25Click);
    N24 = addCommand(N21, "N24", "Параметры расчёта…", &TFormMain::N24Click);
}

// The dialog edits a copy; the document writes it to the table's file and only then takes it and tells the
// calculation windows. A failed write reaches the error box with the table as the file holds it.
void TFormMain::N20Click() {
    const ReferenceFile<k10::LoadCoefficientTable>& stored = document_.reference<k10::LoadCoefficientTable>();
    if (!stored.wasRead())
        throw k10::Error(stored.unreadMessage());
    k10::LoadCoefficientTable table = stored.data();
    if (forms_->F_KoefNagr->edit(table))
        document_.change<k10::LoadCoefficientTable>([&](k10::LoadCoefficientTable& kept) { kept = table; });
}

void TFormMain::N22Click() {
    forms_->F_CheckData->check(*forms_->Calculation);
    bringUp(forms_->F_CheckData);
}

void TFormMain::N23Click() {
    bringUp(forms_->F_Results);
}

void TFormMain::N25Click() {
    bringUp(forms_->F_Schematic);
}

void TFormMain::N24Click() {
    TF_CalcSettings& dialog = *forms_->F_CalcSettings;
    dialog.prefill(forms_->Calculation->settings());
    if (!user_.runDialog(dialog))
        return;
    k10::calc::Settings chosen;
    dialog.storeInto(chosen);
    forms_->Calculation->setSettings(chosen);
}
