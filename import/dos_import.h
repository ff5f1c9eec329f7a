#pragma once

#include "model/project.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace k10 {

// The DOS version keeps a network in a set of files with one base name: ".ip" the sources, ".lin" the
// lines with their sections, and a third file (extension "REG") that is never read. Both files are in
// code page 866; the records made from them hold Windows-1251 text.

struct DosImportResult {
    enum class Outcome { Imported, Refused, Failed };
    Outcome outcome = Outcome::Failed;
    // UTF-8, in the order the window shows them; a message of two lines holds one "\r" between them. The
    // warnings come first; the last message tells the outcome.
    std::vector<std::string> messages;
    // The sources read, with their lines and sections; empty unless Imported.
    std::vector<TSource> sources;
};

// Reads the file set of the chosen file (any one of the set) as a whole: either every source, line and
// section of it, or nothing. sourcesInProject counts the sources the project holds already, so that the
// import never takes it past 100; the line file's source numbers name the new sources, counted from the
// first row of the source file. The caller appends the sources only when the outcome is Imported.
DosImportResult importDosFileSet(const std::string& chosenPath, int sourcesInProject);

// The chosen path cut into its folder (up to and including the last '/' or '\\'), the base name (up to
// the last dot after the folder) and the extension (after that dot). Without a dot after the folder the
// base name and the extension are empty.
struct DosPathParts {
    std::string folder;
    std::string baseName;
    std::string extension;
};
DosPathParts splitDosPath(std::string_view path);

// The records of a set read from the bytes of its files (no line file: lineFile empty). Empty when the
// set breaks the format, names a source it does not hold, or would go past 100 sources (with those
// already in the project), 100 lines of a source or 100 sections of a line.
std::optional<std::vector<TSource>>
readDosFileSet(std::string_view sourceFile, std::optional<std::string_view> lineFile, int sourcesInProject);

} // namespace k10
