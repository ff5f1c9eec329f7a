#pragma once

#include "text/line_cursor.h"

#include <functional>
#include <string>
#include <string_view>

namespace k10 {

// A file read once from start to end, piece by piece. Throws Error with the system's message when it
// cannot be opened or read.
class InputFile : public ByteSource {
public:
    explicit InputFile(const std::string& path);
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::size_t read(char* buffer, std::size_t room) override;
    // The size the file had when it was opened.
    std::size_t size() const { return size_; }

private:
    int fd_;
    std::size_t size_ = 0;
};

// Reads a whole file. Throws Error with the system's message when it cannot.
std::string readWholeFile(const std::string& path);

// Takes the bytes of a file piece by piece.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(std::string_view bytes) = 0;
};

// Replaces the file with the bytes that `produce` gives its sink, or leaves it as it was: the bytes go to
// a temporary file in the same folder, which is flushed to disk and renamed over the target. Throws Error
// on failure, passes on whatever `produce` throws, and leaves no temporary file behind.
void writeFileAtomically(const std::string& path, const std::function<void(ByteSink&)>& produce);
void writeFileAtomically(const std::string& path, std::string_view bytes);

bool fileExists(const std::string& path);

} // namespace k10
