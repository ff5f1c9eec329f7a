// korvane10-tool import-dos: a DOS file set converted into a project file.

#include "cli/commands.h"
#include "import/dos_import.h"
#include "model/project_file.h"

#include <algorithm>
#include <iostream>

namespace k10cli {

int importDos(const std::vector<std::string>& args) {
    if (args.size() != 2)
        throw UsageError{};
    k10::DosImportResult result = k10::importDosFileSet(args[0], 0);
    const bool imported = result.outcome == k10::DosImportResult::Outcome::Imported;
    // The warnings and the refusal or failure go to standard error. The last message of an import that
    // went through only says that it did, which the exit code tells here.
    const std::size_t shown = result.messages.size() - (imported ? 1 : 0);
    for (std::size_t i = 0; i < shown; ++i) {
        std::string message = result.messages[i];
        // A message of the window holds its two lines joined by a carriage return.
        std::replace(message.begin(), message.end(), '\r', '\n');
        std::cerr << (!imported ? args[0] + ": " : std::string()) << message << '\n';
    }
    if (!imported)
        return 1;

    TProect project;
    for (TSource& source : result.sources)
        project.Sources.append(std::move(source));
    onFile(args[1], [&] { k10::writeProject(args[1], project); });
    return 0;
}

} // namespace k10cli
