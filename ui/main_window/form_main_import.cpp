// Import of sources, lines and sections from the DOS version's file set.

#include "document/project_commands.h"
#include "import/dos_import.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/main_window/form_main.h"
#include "ui/desktop/interaction.h"

#include <QFileDialog>

void TFormMain::DOS1Click() {
    QString path = chooseFile(*I_forDos);
    if (path.isEmpty())
        return;
    // The set is read whole before anything reaches the project: after a failure the project and the
    // tables are as they were.
    k10::DosImportResult result = k10::importDosFileSet(toLocalPath(path), Proect.SourceCount());
    for (const std::string& message : result.messages)
        user_.showMessage(this, QString::fromUtf8(message));
    if (result.outcome != k10::DosImportResult::Outcome::Imported)
        return;
    document_.apply(importSources(document_, std::move(result.sources)));
}
