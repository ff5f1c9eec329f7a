#pragma once

#include "ui/interaction.h"

#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>

// Stands in for the user while it lives: records every message, answers questions, chooses files and
// runs dialogs from a script. A call that finds no script is recorded in `unexpected` and answered with
// a cancel.
class ScriptedInteraction : public Interaction {
public:
    // Fills the shown dialog's fields; returns true for OK, false for Cancel.
    using DialogScript = std::function<bool(QDialog&)>;

    ScriptedInteraction();
    ~ScriptedInteraction() override;

    QStringList messages;   // plain message boxes, in order
    QStringList errors;     // error boxes, in order
    QStringList questions;  // Yes/No questions, in order
    QStringList dialogs;    // object names of the dialogs run, file dialogs included
    QStringList documents;  // documents opened with the desktop's viewer
    QStringList unexpected;

    std::deque<bool> answers;
    std::deque<QString> files;  // an empty string cancels the file dialog
    std::deque<DialogScript> scripts;

    void showMessage(QWidget* parent, const QString& text) override;
    void showError(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    QString chooseFile(QFileDialog& dialog) override;
    bool runDialog(QDialog& dialog) override;
    void openDocument(const QString& path) override;
};

// A working folder for one test: the default catalogs copied in, the process's current folder while it
// lives.
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
