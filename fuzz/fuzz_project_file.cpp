// Any bytes as a project file. The reader either refuses them with the core's Error or gives a project;
// that project, once written, reads back and writes again to the same bytes. The reader of files, which
// takes the bytes a block at a time, must agree with the reader of bytes in memory, message for message.
// Any other exception escapes and counts as a crash.

#include "fuzz/fuzz_checks.h"
#include "model/project_file.h"
#include "text/errors.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct Outcome {
    std::optional<TProect> project;
    std::string message;
};

template <class Read> Outcome outcomeOf(Read read) {
    Outcome outcome;
    try {
        outcome.project = read();
    } catch (const k10::Error& error) {
        outcome.message = error.what();
    }
    return outcome;
}

// A file in memory that holds the current input, named by a path the reader can open.
const std::string& fileHolding(std::string_view bytes) {
    static const int fd = ::memfd_create("k10-fuzz-project", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    require(fd >= 0 && ::ftruncate(fd, 0) == 0, "the file in memory can be emptied");
    require(::pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()),
            "the file in memory takes the input");
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = bytesOf(data, size);
    const Outcome inMemory = outcomeOf([&] { return k10::parseProject(bytes); });
    // Small blocks, so that lines and numbers straddle them; the size of the input picks one.
    const std::size_t blockSize = 1 + size % 97;
    const std::string& path = fileHolding(bytes);
    const Outcome fromFile = outcomeOf([&] { return k10::readProject(path, blockSize); });
    require(inMemory.message == fromFile.message, "the file reader refuses what the reader of bytes refuses");
    require(inMemory.project == fromFile.project, "the file reader reads what the reader of bytes reads");
    if (!inMemory.project)
        return 0;

    std::string written;
    try {
        written = k10::serializeProject(*inMemory.project);
    } catch (const k10::Error&) {
        // A text that holds a lone CR, which the writer refuses to save.
        return 0;
    }
    TProect back = k10::parseProject(written);
    require(k10::serializeProject(back) == written, "a written project writes again to the same bytes");
    return 0;
}
