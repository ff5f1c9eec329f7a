#pragma once

#include <string_view>

namespace k10 {

// Walks the lines of a text held in memory. A line ends at LF or CR LF; the line end is not part of it.
// A last line without a line end is a line too.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    // The next whole line; empty at the end of the text.
    std::string_view nextLine() {
        if (atEnd())
            return {};
        std::size_t lf = text_.find('\n', pos_);
        std::size_t stop = lf == std::string_view::npos ? text_.size() : lf;
        std::string_view line = text_.substr(pos_, stop - pos_);
        pos_ = lf == std::string_view::npos ? text_.size() : lf + 1;
        if (!line.empty() && line.back() == '\r' && lf != std::string_view::npos)
            line.remove_suffix(1);
        return line;
    }

    // Skips characters up to and including the next control or blank character, without crossing
    // non-blank text: used by readers that skip blanks and line ends before a value.
    void skipBlanksAndLineEnds() {
        while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ')
            ++pos_;
    }

    // The run of characters up to the next character at or below the blank, at most maxLength long.
    std::string_view nextToken(std::size_t maxLength) {
        std::size_t start = pos_;
        while (pos_ < text_.size() && pos_ - start < maxLength && static_cast<unsigned char>(text_[pos_]) > ' ')
            ++pos_;
        return text_.substr(start, pos_ - start);
    }

    // Skips the rest of the current line and its line end.
    void skipLine() { nextLine(); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace k10
