#include "text/codepage.h"

#include <array>

namespace k10 {

namespace {

// Unicode code points of bytes 0x80 to 0xFF.
constexpr std::array<char16_t, 128> kCp866 = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

constexpr std::array<char16_t, 128> kCp1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// A reverse lookup for one code page, built once.
class ReverseTable {
public:
    explicit ReverseTable(const std::array<char16_t, 128>& forward) {
        for (int i = 0; i < 128; ++i)
            entries_[i] = {forward[static_cast<std::size_t>(i)], static_cast<unsigned char>(0x80 + i)};
    }
    int find(char32_t code) const {
        if (code < 0x80)
            return static_cast<int>(code);
        for (const auto& e : entries_)
            if (e.code == code)
                return e.byte;
        return -1;
    }

private:
    struct Entry {
        char32_t code;
        unsigned char byte;
    };
    std::array<Entry, 128> entries_{};
};

const ReverseTable& reverse866() {
    static const ReverseTable table(kCp866);
    return table;
}

const ReverseTable& reverse1251() {
    static const ReverseTable table(kCp1251);
    return table;
}

// What a character that the target code page lacks becomes: box drawing turns into its ASCII outline,
// typographic quotes and dashes into their plain forms, anything else into '?'.
char bestFit(char32_t code) {
    switch (code) {
    case 0x2502: case 0x2551: return '|';
    case 0x2500: case 0x2550: return '-';
    case 0x201C: case 0x201D: case 0x201E: case 0x00AB: case 0x00BB: return '"';
    case 0x2018: case 0x2019: case 0x201A: return '\'';
    case 0x2013: case 0x2014: return '-';
    default: break;
    }
    if (code >= 0x2500 && code <= 0x257F)
        return '+';
    return '?';
}

// One byte-to-byte table per direction, derived from the two code pages.
struct ByteMap {
    std::array<char, 256> map{};
};

ByteMap makeMap(const std::array<char16_t, 128>& from, const ReverseTable& to) {
    ByteMap m;
    for (int b = 0; b < 256; ++b) {
        char32_t code = b < 0x80 ? static_cast<char32_t>(b) : from[static_cast<std::size_t>(b - 0x80)];
        int target = to.find(code);
        m.map[static_cast<std::size_t>(b)] = target >= 0 ? static_cast<char>(target) : bestFit(code);
    }
    return m;
}

std::string translate(std::string_view text, const ByteMap& m) {
    std::string out(text);
    for (char& c : out)
        c = m.map[static_cast<unsigned char>(c)];
    return out;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

char32_t cp1251ToUnicode(unsigned char byte) {
    return byte < 0x80 ? byte : kCp1251[static_cast<std::size_t>(byte - 0x80)];
}

char32_t cp866ToUnicode(unsigned char byte) {
    return byte < 0x80 ? byte : kCp866[static_cast<std::size_t>(byte - 0x80)];
}

int unicodeToCp1251(char32_t code) { return reverse1251().find(code); }

int unicodeToCp866(char32_t code) { return reverse866().find(code); }

std::string cp866ToCp1251(std::string_view text) {
    static const ByteMap map = makeMap(kCp866, reverse1251());
    return translate(text, map);
}

std::string cp1251ToCp866(std::string_view text) {
    static const ByteMap map = makeMap(kCp1251, reverse866());
    return translate(text, map);
}

std::string cp1251ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text)
        appendUtf8(out, cp1251ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::optional<std::string> utf8ToCp1251(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        char32_t code = 0;
        std::size_t length = 0;
        if (lead < 0x80) {
            code = lead;
            length = 1;
        } else if ((lead & 0xE0) == 0xC0) {
            code = lead & 0x1F;
            length = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            code = lead & 0x0F;
            length = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            code = lead & 0x07;
            length = 4;
        } else {
            return std::nullopt;
        }
        if (i + length > text.size())
            return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        int byte = unicodeToCp1251(code);
        if (byte < 0)
            return std::nullopt;
        out += static_cast<char>(byte);
        i += length;
    }
    return out;
}

} // namespace k10
