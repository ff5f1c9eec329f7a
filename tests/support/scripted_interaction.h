#pragma once

#include "support/main_controls.h"
#include "ui/desktop/interaction.h"

#include <QDialog>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>

class TFormMain;
class Workbench;

// Stands in for the user, handed to the windows in place of the desktop: records every message, answers
// questions, chooses files and runs dialogs from a script. A call that finds no script is recorded in
// `unexpected` and answered with a cancel. While `desktop` is set, the desktop's own boxes and dialogs
// answer instead, and nothing is recorded.
class ScriptedInteraction : public Interaction {
public:
    // Fills the shown dialog's fields; returns true for OK, false for Cancel.
    using DialogScript = std::function<bool(QDialog&)>;

    QStringList messages;   // plain message boxes, in order
    QStringList errors;     // error boxes, in order
    QStringList questions;  // Yes/No and Yes/No/Cancel questions, in order
    QStringList dialogs;    // object names of the dialogs run, file dialogs included
    QStringList documents;  // documents opened with the desktop's viewer
    QStringList unexpected;
    QStringList printed;    // plain text of every printed document
    // Where the printer a print dialog is shown for writes (as PDF); empty: the dialog is cancelled.
    std::deque<QString> printFiles;

    std::deque<bool> answers;        // to Yes/No questions
    std::deque<Answer> saveAnswers;  // to Yes/No/Cancel questions
    std::deque<QString> files;  // an empty string cancels the file dialog
    std::deque<int> choices;    // indexes of the items chosen; -1 cancels
    std::deque<DialogScript> scripts;
    QMap<QString, QString> applications;  // the desktop's application for a MIME type; none when absent

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

    bool desktop = false;

private:
    DesktopInteraction desktop_;
};

// A working folder for one test: the default catalogs copied in, the process's current folder while it
// lives; the settings kept between runs start empty.
class Workspace {
public:
    Workspace(bool withCatalogs = true);
    ~Workspace();
    QString path(const QString& name) const { return dir_.filePath(name); }
    // Copies a file of data/ into the folder.
    QString copyData(const QString& name) const;

private:
    QTemporaryDir dir_;
    QString previous_;
};

// Ends one GUI test: the windows, the scripted user and the working folder go first, so that a failed
// check afterwards cannot leave the next test on the desktop's own boxes and dialogs. Returns the calls
// the user had no script for.
QStringList tearDown(std::unique_ptr<Workbench>& forms, std::unique_ptr<ScriptedInteraction>& user,
                     std::unique_ptr<Workspace>& workspace);

// The windows of one GUI test with their scripted user and working folder: start() in the test's init(),
// stop() in its cleanup().
struct WindowFixture {
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<ScriptedInteraction> user;
    std::unique_ptr<Workbench> forms;
    TFormMain* main = nullptr;
    std::unique_ptr<MainControls> ui; // the main window's controls
    CurrentPlace* place = nullptr;

    // A fresh working folder, user and set of windows; the main window shown unless `shown` is false.
    void start(bool shown = true);
    // Everything gone as tearDown() does; the calls the user had no script for.
    QStringList stop() {
        ui.reset();
        return tearDown(forms, user, workspace);
    }
};
