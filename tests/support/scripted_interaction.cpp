#include "scripted_interaction.h"

#include "ui/workbench.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTextDocument>

ScriptedInteraction::ScriptedInteraction() { setInteraction(this); }

ScriptedInteraction::~ScriptedInteraction() { setInteraction(nullptr); }

void ScriptedInteraction::showMessage(QWidget*, const QString& text) { messages << text; }

void ScriptedInteraction::showError(QWidget*, const QString& text) { errors << text; }

bool ScriptedInteraction::askYesNo(QWidget*, const QString& text) {
    questions << text;
    if (answers.empty()) {
        unexpected << "question: " + text;
        return false;
    }
    bool answer = answers.front();
    answers.pop_front();
    return answer;
}

QString ScriptedInteraction::chooseFile(QFileDialog& dialog) {
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
    dialogs << dialog.objectName();
    if (scripts.empty()) {
        unexpected << "dialog: " + dialog.objectName();
        return false;
    }
    DialogScript script = std::move(scripts.front());
    scripts.pop_front();
    return script(dialog);
}

void ScriptedInteraction::openDocument(const QString& path) { documents << path; }

bool ScriptedInteraction::print(QWidget*, QTextDocument& document) {
    printed << document.toPlainText();
    return true;
}

Workspace::Workspace(bool withCatalogs) : previous_(QDir::currentPath()) {
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
