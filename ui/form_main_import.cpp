#include "ui/form_main.h"

void TFormMain::DOS1Click() {}

