#pragma once

#include <QString>

class QDialog;
class QFileDialog;
class QPrinter;
class QPageLayout;
class QTextDocument;
class QWidget;

// Everything a command does that waits for the user outside the window itself: a message, a question, a
// file choice, a modal dialog, a document opened by the desktop. The windows are handed one at start-up:
// the application gives them the desktop's own boxes and dialogs; a test gives them a stand-in that
// answers from a script.
class Interaction {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Interaction() = default;

    // A plain message box with an OK button.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // The application's standard error box, for a failure that ended a command.
    virtual void showError(QWidget* parent, const QString& text) = 0;
    // A warning with the buttons Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    // A question with the buttons «Да», «Нет» and «Отмена», «Да» the default; closing the box is «Отмена».
    virtual Answer askYesNoCancel(QWidget* parent, const QString& text) = 0;
    // Shows a prepared file dialog; the chosen path, or empty when the user cancelled.
    virtual QString chooseFile(QFileDialog& dialog) = 0;
    // One of a few choices, the first offered first; its index, or -1 when the user cancelled.
    virtual int chooseItem(QWidget* parent, const QString& question, const QStringList& items) = 0;
    // Shows a dialog modally; true when it ended with OK.
    virtual bool runDialog(QDialog& dialog) = 0;
    // Asks the desktop to open a document with its default viewer; the result is not examined.
    virtual void openDocument(const QString& path) = 0;
    // The desktop file of the application the desktop opens a MIME type with; empty when it names none.
    virtual QString defaultApplication(const QString& mimeType) = 0;
    // Prints a document after the print dialog; false when the user cancelled.
    virtual bool print(QWidget* parent, QTextDocument& document) = 0;
    // Shows the print dialog for a printer the caller has set up (sheet, orientation); false when the user
    // cancelled. The caller then paints its pages on the printer.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;
};

// The desktop's own message boxes and dialogs, titled with the application's title.
class DesktopInteraction : public Interaction {
public:
    void showMessage(QWidget* parent, const QString& text) override;
    void showError(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    Answer askYesNoCancel(QWidget* parent, const QString& text) override;
    QString chooseFile(QFileDialog& dialog) override;
    int chooseItem(QWidget* parent, const QString& question, const QStringList& items) override;
    bool runDialog(QDialog& dialog) override;
    void openDocument(const QString& path) override;
    QString defaultApplication(const QString& mimeType) override;
    bool print(QWidget* parent, QTextDocument& document) override;
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
};

// Joins the lines of a message with one carriage return, as every multi-line message of the system is
// stored; the boxes show each line on its own.
QString joinLines(const QString& first, const QString& second);

// Narrows every picture of a document that is wider than the text of a page laid out by
// QTextDocument::print on `layout` (its paint rectangle less the 2 cm margins print keeps), keeping the
// picture's proportions, so that nothing is cut at the right edge in portrait or landscape.
void fitPicturesToPage(QTextDocument& document, const QPageLayout& layout);
