#pragma once

class QDialog;
class QDialogButtonBox;
class QPushButton;

// The OK and Cancel buttons of the project's dialogs: Qt's standard ones, in the desktop's order and
// language, named OkButton and CancelButton. OK is the default button and accepts; Cancel, Esc and the
// title bar's close box reject.
QDialogButtonBox* okCancelButtons(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel);
