// Open and Save of the main window, undo and redo of the project's history, and the question before an
// unsaved project is dropped.

#include "ui/main_window/form_main.h"

#include "ui/desktop/interaction.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

namespace {

// The item names the step it would take («Отменить: удаление источника»); with none, only itself.
void followStep(QAction* item, const QString& caption, const QString& step) {
    item->setText(step.isEmpty() ? caption : caption + ": " + step);
}

} // namespace

void TFormMain::buildEditMenu() {
    N17 = menuBar()->addMenu("&Правка");
    N17->setObjectName("N17");
    N18 = addCommand(N17, "N18", "Отменить", &TFormMain::N18Click);
    N18->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    N19 = addCommand(N17, "N19", "Повторить", &TFormMain::N19Click);
    N19->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

    QUndoStack& history = document_.history();
    N18->setEnabled(history.canUndo());
    N19->setEnabled(history.canRedo());
    connect(&history, &QUndoStack::canUndoChanged, N18, &QAction::setEnabled);
    connect(&history, &QUndoStack::canRedoChanged, N19, &QAction::setEnabled);
    connect(&history, &QUndoStack::undoTextChanged, N18,
            [this](const QString& step) { followStep(N18, "Отменить", step); });
    connect(&history, &QUndoStack::redoTextChanged, N19,
            [this](const QString& step) { followStep(N19, "Повторить", step); });
}

bool TFormMain::mayDropProject() {
    if (!document_.isModified())
        return true;
    switch (user_.askYesNoCancel(this, "Сохранить изменения в проекте?")) {
    case Interaction::Answer::Yes:
        // Exactly as «Сохранить»: its dialog, and a failure ends the command with the error box.
        N7Click();
        return !document_.isModified();
    case Interaction::Answer::No:
        return true;
    case Interaction::Answer::Cancel:
        break;
    }
    return false;
}

void TFormMain::N6Click() {
    if (!mayDropProject())
        return;
    QString path = chooseFile(*OpenProjectDialog1);
    if (path.isEmpty())
        return;
    // The file is read whole into a new project; only a complete read replaces the open one, and the
    // tables follow it.
    document_.open(path);
}

void TFormMain::N7Click() {
    QString path = chooseFile(*SaveProjectDialog1, QFileInfo(document_.fileName()).fileName());
    if (path.isEmpty())
        return;
    document_.save(path);
}

void TFormMain::N18Click() {
    document_.history().undo();
}

void TFormMain::N19Click() {
    document_.history().redo();
}

QString TFormMain::chooseFile(QFileDialog& dialog, const QString& offered) {
    const QString& project = document_.fileName();
    const QString folder = project.isEmpty() ? lastFolder_ : QFileInfo(project).absolutePath();
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.selectFile(offered);
    QString path = user_.chooseFile(dialog);
    if (!path.isEmpty())
        lastFolder_ = QFileInfo(path).absolutePath();
    return path;
}
