#pragma once

#include <cstring>
#include <memory>
#include <string_view>

namespace k10 {

// Gives the bytes of a text piece by piece.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads at most room bytes into the buffer; 0 at the end of the text.
    virtual std::size_t read(char* buffer, std::size_t room) = 0;
};

// Walks the lines of a text. A line ends at LF or CR LF; the line end is not part of it. A last line
// without a line end is a line too.
//
// The text is either held in memory whole or read from a source block by block as the walk reaches it,
// so that a large file is never in memory at once. A line returned by a cursor on a source stays valid
// until the cursor's next call.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}
    LineCursor(ByteSource& source, std::size_t blockSize)
        : source_(&source), capacity_(blockSize > 0 ? blockSize : 1) {
        buffer_.reset(new char[capacity_]);
    }

    bool atEnd() { return pos_ >= text_.size() && !readMore(); }

    // The next whole line; empty at the end of the text.
    std::string_view nextLine() {
        std::size_t lf;
        std::size_t searchFrom = pos_;
        while ((lf = text_.find('\n', searchFrom)) == std::string_view::npos) {
            std::size_t seen = text_.size() - pos_;
            if (!readMore())
                break;
            searchFrom = pos_ + seen;
        }
        if (pos_ >= text_.size())
            return {};
        std::size_t stop = lf == std::string_view::npos ? text_.size() : lf;
        std::string_view line = text_.substr(pos_, stop - pos_);
        pos_ = lf == std::string_view::npos ? text_.size() : lf + 1;
        if (!line.empty() && line.back() == '\r' && lf != std::string_view::npos)
            line.remove_suffix(1);
        return line;
    }

    // Skips blanks, control characters and line ends up to the next other character.
    void skipBlanksAndLineEnds() {
        do {
            while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ')
                ++pos_;
        } while (pos_ >= text_.size() && readMore());
    }

private:
    // Appends the source's next block to the bytes not yet walked, which move to the front of the buffer;
    // a line longer than the buffer makes it grow. False at the end of the text, and for a text in memory.
    bool readMore() {
        if (!source_)
            return false;
        std::size_t kept = text_.size() - pos_;
        if (kept == capacity_) {
            std::unique_ptr<char[]> larger(new char[2 * capacity_]);
            std::memcpy(larger.get(), buffer_.get(), kept);
            buffer_ = std::move(larger);
            capacity_ *= 2;
        } else if (kept > 0 && pos_ > 0) {
            std::memmove(buffer_.get(), buffer_.get() + pos_, kept);
        }
        pos_ = 0;
        std::size_t got = source_->read(buffer_.get() + kept, capacity_ - kept);
        text_ = std::string_view(buffer_.get(), kept + got);
        return got > 0;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    ByteSource* source_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
};

} // namespace k10
