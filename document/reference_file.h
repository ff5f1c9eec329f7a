#pragma once

#include "text/errors.h"

#include <functional>
#include <string>
#include <utility>

// Reference data kept in a file of its own beside the projects: read once at start-up, rewritten whole
// with every change. A change goes to the file first and into memory only once the file holds it, so
// what the program shows is always what the file holds; a failed write leaves both as they were. Data
// whose file could not be read is never written back, so that a file that only failed to read is not
// replaced by an empty one.
template <class Data> class ReferenceFile {
public:
    using Reader = Data (*)(const std::string& path);
    using Writer = void (*)(const std::string& path, const Data& data);

    // `initial` is the data until the file has been read, and for good when it cannot be.
    ReferenceFile(const char* fileName, Reader reader, Writer writer, const char* unreadMessage,
                  Data initial = {})
        : fileName_(fileName), reader_(reader), writer_(writer), unreadMessage_(unreadMessage),
          data_(std::move(initial)) {}

    const Data& data() const { return data_; }
    bool wasRead() const { return read_; }
    const char* fileName() const { return fileName_; }
    // Why the data may not be changed while its file has not been read.
    const char* unreadMessage() const { return unreadMessage_; }

    // Takes the data only when the whole file was read; a failure throws and leaves it as it was.
    void read() {
        data_ = reader_(fileName_);
        read_ = true;
    }
    // Makes the edit on a copy, writes the copy to the file and only then takes it, calling `taking` right
    // before. Refused while the file has not been read; a failed write throws and leaves the data as they
    // were.
    void change(const std::function<void(Data&)>& edit, const std::function<void()>& taking = {}) {
        requireRead();
        Data edited = data_;
        edit(edited);
        writer_(fileName_, edited);
        if (taking)
            taking();
        data_ = std::move(edited);
    }
    void write() const {
        requireRead();
        writer_(fileName_, data_);
    }

private:
    void requireRead() const {
        if (!read_)
            throw k10::Error(unreadMessage_);
    }

    const char* fileName_;
    Reader reader_;
    Writer writer_;
    const char* unreadMessage_;
    Data data_;
    bool read_ = false;
};
