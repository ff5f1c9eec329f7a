#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace k10 {

// A variable-length text field of a record (single-byte Windows-1251 text). It takes 16 bytes where a
// std::string takes 32: a project holds a million sections of four texts each, nearly all short names and
// numbers, so a text of up to 15 characters is kept in place and only a longer one goes to the heap.
class Text {
public:
    Text() = default;
    Text(std::string_view text) { assign(text); }
    Text(const char* text) : Text(std::string_view(text)) {}
    Text(const std::string& text) : Text(std::string_view(text)) {}
    Text(const Text& other) : Text(other.view()) {}
    Text(Text&& other) noexcept {
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        other.bytes_[kTag] = 0;
    }
    ~Text() { release(); }

    Text& operator=(const Text& other) {
        if (this != &other)
            assign(other.view());
        return *this;
    }
    Text& operator=(Text&& other) noexcept {
        if (this != &other) {
            release();
            std::memcpy(bytes_, other.bytes_, sizeof bytes_);
            other.bytes_[kTag] = 0;
        }
        return *this;
    }
    Text& operator=(std::string_view text) {
        assign(text);
        return *this;
    }
    Text& operator=(const char* text) { return *this = std::string_view(text); }
    Text& operator=(const std::string& text) { return *this = std::string_view(text); }

    void assign(std::string_view text) {
        // The text may lie in this field's own heap block: copy it before that block is freed.
        if (text.size() <= kInlineCapacity) {
            char copy[kInlineCapacity];
            text.copy(copy, text.size());
            release();
            std::memcpy(bytes_, copy, text.size());
            bytes_[kTag] = static_cast<char>(text.size());
            return;
        }
        // The block holds the length, then the characters.
        char* block = new char[sizeof(std::size_t) + text.size()];
        std::size_t size = text.size();
        std::memcpy(block, &size, sizeof size);
        text.copy(block + sizeof size, size);
        release();
        std::memcpy(bytes_, &block, sizeof block);
        bytes_[kTag] = kOnHeap;
    }

    std::string_view view() const {
        if (!onHeap())
            return {bytes_, static_cast<std::size_t>(bytes_[kTag])};
        const char* block = heapBlock();
        std::size_t size;
        std::memcpy(&size, block, sizeof size);
        return {block + sizeof size, size};
    }
    operator std::string_view() const { return view(); }
    std::string str() const { return std::string(view()); }
    const char* data() const { return view().data(); }
    std::size_t size() const { return view().size(); }
    bool empty() const { return bytes_[kTag] == 0; }

    friend bool operator==(const Text& a, const Text& b) { return a.view() == b.view(); }
    friend bool operator==(const Text& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const Text& a, const std::string& b) { return a.view() == b; }
    friend bool operator==(const Text& a, const char* b) { return a.view() == b; }

private:
    // The last byte is the length of a text kept in place, or kOnHeap; then the first bytes hold the
    // address of the heap block.
    static constexpr std::size_t kTag = 15;
    static constexpr std::size_t kInlineCapacity = kTag;
    static constexpr char kOnHeap = 16;

    bool onHeap() const { return bytes_[kTag] == kOnHeap; }
    char* heapBlock() const {
        char* block;
        std::memcpy(&block, bytes_, sizeof block);
        return block;
    }
    void release() {
        if (onHeap())
            delete[] heapBlock();
        bytes_[kTag] = 0;
    }

    char bytes_[16] = {};
};

} // namespace k10
