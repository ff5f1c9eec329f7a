#pragma once

#include "text/errors.h"

#include <string>
#include <utility>

// Reference data kept in a file of its own beside the projects: read once at start-up, rewritten whole
// after every change. Data whose file could not be read is never written back, so that a file that only
// failed to read is not replaced by an empty one.
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
    // The data to change; refused while the file has not been read.
    Data& forChange() {
        requireRead();
        return data_;
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
