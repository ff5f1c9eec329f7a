#include "ui/form_main.h"

void TFormMain::Source_AddClick() {}

void TFormMain::Source_EditClick() {}

void TFormMain::Source_DelClick() {}

