#pragma once

class QCoreApplication;

// The application speaks Russian: Russian number and date formats, and Qt's own buttons and dialogs
// translated («Отмена», the file dialogs). Called once, right after the application object is made.
void useRussianLocale(QCoreApplication& application);
