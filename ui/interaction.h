#pragma once

#include <QString>

class QDialog;
class QTextDocument;
class QFileDialog;
class QWidget;

// Everything a command does that waits for the user outside the window itself: a message, a Yes/No
// question, a file choice, a modal dialog, a document opened by the desktop. The application uses the
// real boxes and dialogs; a test puts in a stand-in that answers from a script.
class Interaction {
public:
    virtual ~Interaction() = default;

    // A plain message box with an OK button.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // The application's standard error box, for a failure that ended a command.
    virtual void showError(QWidget* parent, const QString& text) = 0;
    // A warning with the buttons Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    // Shows a prepared file dialog; the chosen path, or empty when the user cancelled.
    virtual QString chooseFile(QFileDialog& dialog) = 0;
    // Shows a dialog modally; true when it ended with OK.
    virtual bool runDialog(QDialog& dialog) = 0;
    // Asks the desktop to open a document with its default viewer; the result is not examined.
    virtual void openDocument(const QString& path) = 0;
    // Prints a document after the print dialog; false when the user cancelled.
    virtual bool print(QWidget* parent, QTextDocument& document) = 0;
};

// The interaction every window uses. Until a test sets another, it is the desktop's own.
Interaction& interaction();
// Replaces the interaction (nullptr restores the desktop's); the caller keeps ownership.
void setInteraction(Interaction* replacement);

// Joins the lines of a message with one carriage return, as every multi-line message of the system is
// stored; the boxes show each line on its own.
QString joinLines(const QString& first, const QString& second);
