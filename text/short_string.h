#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace k10 {

// A text field of fixed capacity N (single-byte Windows-1251 text). Assigning a longer text keeps its
// first N characters, so no caller can forget the cut.
template <std::size_t N>
class ShortString {
    static_assert(N > 0 && N < 256, "capacity must fit a length byte");

public:
    static constexpr std::size_t capacity = N;

    ShortString() = default;
    ShortString(std::string_view text) { assign(text); }
    ShortString(const char* text) { assign(text); }
    ShortString(const std::string& text) { assign(text); }

    ShortString& operator=(std::string_view text) {
        assign(text);
        return *this;
    }
    ShortString& operator=(const char* text) { return *this = std::string_view(text); }
    ShortString& operator=(const std::string& text) { return *this = std::string_view(text); }

    void assign(std::string_view text) {
        length_ = static_cast<std::uint8_t>(text.size() < N ? text.size() : N);
        text.copy(chars_.data(), length_);
    }

    std::string_view view() const { return {chars_.data(), length_}; }
    std::string str() const { return std::string(view()); }
    std::size_t size() const { return length_; }
    bool empty() const { return length_ == 0; }

    friend bool operator==(const ShortString& a, const ShortString& b) { return a.view() == b.view(); }
    friend bool operator==(const ShortString& a, std::string_view b) { return a.view() == b; }

private:
    std::array<char, N> chars_{};
    std::uint8_t length_ = 0;
};

} // namespace k10
