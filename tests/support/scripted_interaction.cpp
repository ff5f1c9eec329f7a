#include "scripted_interaction.h"

#include "ui/desktop/russian_locale.h"
#include "ui/main_window/workbench.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QPrinter>
#include <QTextDocument>

namespace {

// Every GUI test speaks Russian, as the application does, so Qt's own buttons read «Отмена».
void speakRussian() { useRussianLocale(*QCoreApplication::instance()); }
Q_COREAPP_STARTUP_FUNCTION(speakRussian)

} // namespace

void ScriptedInteraction::showMessage(QWidget* parent, const QString& text) {
    if (desktop)
        return desktop_.showMessage(parent, text);
    messages << text;
}

void ScriptedInteraction::showError(QWidget* parent, const QString& text) {
    if (desktop)
        return desktop_.showError(parent, text);
    errors << text;
}

bool ScriptedInteraction::askYesNo(QWidget* parent, const QString& text) {
    if (desktop)
        return desktop_.askYesNo(parent, text);
    questions << text;
    if (answers.empty()) {
        unexpected << "question: " + text;
        return false;
    }
    bool answer = answers.front();
    answers.pop_front();
    return answer;
}

Interaction::Answer ScriptedInteraction::askYesNoCancel(QWidget* parent, const QString& text) {
    if (desktop)
        return desktop_.askYesNoCancel(parent, text);
    questions << text;
    if (saveAnswers.empty()) {
        unexpected << "question: " + text;
        return Answer::Cancel;
    }
    Answer answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

QString ScriptedInteraction::chooseFile(QFileDialog& dialog) {
    if (desktop)
        return desktop_.chooseFile(dialog);
    dialogs << dialog.objectName();
    if (files.empty()) {
        unexpected << "file dialog: " + dialog.objectName();
        return {};
    }
    QString file = files.front();
    files.pop_front();
    return file;
}

bool ScriptedInteraction::runDialog(QDialog& dialog) {
    if (desktop)
        return desktop_.runDialog(dialog);
    dialogs << dialog.objectName();
    if (scripts.empty()) {
        unexpected << "dialog: " + dialog.objectName();
        return false;
    }
    DialogScript script = std::move(scripts.front());
    scripts.pop_front();
    return script(dialog);
}

void ScriptedInteraction::openDocument(const QString& path) {
    if (desktop)
        return desktop_.openDocument(path);
    documents << path;
}

QString ScriptedInteraction::defaultApplication(const QString& mimeType) { return applications.value(mimeType); }

int ScriptedInteraction::chooseItem(QWidget* parent, const QString& question, const QStringList& items) {
    if (desktop)
        return desktop_.chooseItem(parent, question, items);
    questions << question;
    if (choices.empty()) {
        unexpected << "choice: " + question;
        return -1;
    }
    const int chosen = choices.front();
    choices.pop_front();
    return chosen < items.size() ? chosen : -1;
}

bool ScriptedInteraction::print(QWidget* parent, QTextDocument& document) {
    if (desktop)
        return desktop_.print(parent, document);
    printed << document.toPlainText();
    return true;
}

bool ScriptedInteraction::choosePrinter(QWidget* parent, QPrinter& printer) {
    if (desktop)
        return desktop_.choosePrinter(parent, printer);
    if (printFiles.empty()) {
        unexpected << "print dialog";
        return false;
    }
    const QString file = printFiles.front();
    printFiles.pop_front();
    if (file.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    return true;
}

Workspace::Workspace(bool withCatalogs) : previous_(QDir::currentPath()) {
    // What the windows keep between runs (their places, the calculation settings) goes to the test folder
    // of the standard paths, and every test starts with none.
    QStandardPaths::setTestModeEnabled(true);
    QSettings().clear();
    if (withCatalogs) {
        copyData("spravp.dat");
        copyData("spravt.dat");
    }
    QDir::setCurrent(dir_.path());
}

Workspace::~Workspace() { QDir::setCurrent(previous_); }

QString Workspace::copyData(const QString& name) const {
    QString target = dir_.filePath(name);
    QFile::remove(target);
    QFile::copy(QString(K10_SOURCE_DIR "/data/") + name, target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

QStringList tearDown(std::unique_ptr<Workbench>& forms, std::unique_ptr<ScriptedInteraction>& user,
                     std::unique_ptr<Workspace>& workspace) {
    const QStringList unexpected = user ? user->unexpected : QStringList();
    forms.reset();
    user.reset();
    workspace.reset();
    return unexpected;
}

void WindowFixture::start(bool shown) {
    workspace = std::make_unique<Workspace>();
    user = std::make_unique<ScriptedInteraction>();
    forms = std::make_unique<Workbench>(*user);
    main = forms->FormMain;
    ui = std::make_unique<MainControls>(main);
    place = forms->Place.get();
    if (shown)
        forms->show();
}
