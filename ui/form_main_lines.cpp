#include "ui/form_main.h"

void TFormMain::N5Click() {}

void TFormMain::N10Click() {}

void TFormMain::Line_AddClick() {}

void TFormMain::N15Click() {}

void TFormMain::Line_EditClick() {}

void TFormMain::Line_DelClick() {}

