#include "ui/form_main.h"

void TFormMain::ModeWork_AddClick() {}

void TFormMain::ModeWork_EditClick() {}

void TFormMain::ModeWork_DelClick() {}

void TFormMain::CalculateClick() {}

