// Any bytes as a DOS file set: the bytes up to the first form feed are the source file, the bytes after
// it the line file; without a form feed there is no line file. What the set gives must fit a project
// (at most 100 sources, lines and sections) and that project must write and read back.

#include "fuzz/fuzz_checks.h"
#include "import/dos_import.h"
#include "model/project_file.h"
#include "text/errors.h"

#include <cstdint>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes = bytesOf(data, size);
    std::size_t split = bytes.find('\f');
    std::string_view sourceFile = bytes.substr(0, split);
    std::optional<std::string_view> lineFile;
    if (split != std::string_view::npos)
        lineFile = bytes.substr(split + 1);

    std::optional<std::vector<TSource>> sources = k10::readDosFileSet(sourceFile, lineFile, 0);
    if (!sources)
        return 0;
    TProect project;
    for (TSource& source : *sources)
        project.Sources.append(std::move(source));
    std::string written;
    try {
        written = k10::serializeProject(project);
    } catch (const k10::Error&) {
        // A text that holds a lone CR, which the project writer refuses to save.
        return 0;
    }
    require(k10::serializeProject(k10::parseProject(written)) == written,
            "an imported project writes, reads back and writes again to the same bytes");
    return 0;
}
