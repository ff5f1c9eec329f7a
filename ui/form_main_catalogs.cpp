#include "ui/form_main.h"

void TFormMain::N14Click() {}

void TFormMain::N16Click() {}

