// Open and Save of the main window.

#include "model/project_file.h"
#include "ui/cp1251_text.h"
#include "ui/form_main.h"
#include "ui/interaction.h"

#include <QFileDialog>

void TFormMain::N6Click() {
    QString path = interaction().chooseFile(*OpenProjectDialog1);
    if (path.isEmpty())
        return;
    // The file is read whole into a new project; only a complete read replaces the open one.
    Proect = k10::readProject(toLocalPath(path));
    showSources();
}

void TFormMain::N7Click() {
    QString path = interaction().chooseFile(*SaveProjectDialog1);
    if (path.isEmpty())
        return;
    k10::writeProject(toLocalPath(path), Proect);
}
