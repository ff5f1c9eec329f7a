// Open and Save of the main window.

#include "model/project_file.h"
#include "ui/form_main.h"
#include "ui/interaction.h"

#include <QFile>
#include <QFileDialog>

namespace {

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

} // namespace

void TFormMain::N6Click() {
    QString path = interaction().chooseFile(*OpenProjectDialog1);
    if (path.isEmpty())
        return;
    // The file is read whole into a new project; only a complete read replaces the open one.
    Proect = k10::readProject(localPath(path));
    showSources();
}

void TFormMain::N7Click() {
    QString path = interaction().chooseFile(*SaveProjectDialog1);
    if (path.isEmpty())
        return;
    k10::writeProject(localPath(path), Proect);
}
