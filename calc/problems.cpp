#include "calc/problems.h"

#include "text/codepage.h"

#include <algorithm>
#include <array>

namespace k10::calc {

namespace {

// The codes that do not refuse the scheme. P5 leaves its line out, as an error of a line does, but the
// rest of the source is calculated.
constexpr std::array<std::string_view, 10> kWarnings = {"P2", "P4", "P5", "S6", "S7",
                                                        "T2", "R1", "R2", "R3", "R4"};

// The names of ProblemCode's values, in their order.
constexpr std::array<const char*, 32> kCodeNames = {
    "P1", "P2", "P3", "P4", "P5", "S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "T1", "T2", "T3",
    "T4", "T5", "M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8", "M9", "R1", "R2", "R3", "R4", "R5"};

ProblemCode codeOf(std::string_view name) {
    // A letter and one digit: the group's first position and the number within it, checked against the
    // list, which also serves any other name.
    if (name.size() == 2 && name[1] >= '1' && name[1] <= '9') {
        std::size_t first = kCodeNames.size();
        switch (name[0]) {
        case 'P': first = 0; break;
        case 'S': first = 5; break;
        case 'T': first = 13; break;
        case 'M': first = 18; break;
        case 'R': first = 27; break;
        default: break;
        }
        const std::size_t i = first + static_cast<std::size_t>(name[1] - '1');
        if (i < kCodeNames.size() && name == kCodeNames[i])
            return static_cast<ProblemCode>(i);
    }
    for (std::size_t i = 0; i < kCodeNames.size(); ++i)
        if (name == kCodeNames[i])
            return static_cast<ProblemCode>(i);
    return ProblemCode::P1;
}

// The text with its first letter capital: Latin and Russian letters (UTF-8), others as they are.
void capitalise(std::string& text) {
    if (text.empty())
        return;
    auto c0 = static_cast<unsigned char>(text[0]);
    if (c0 >= 'a' && c0 <= 'z') {
        text[0] = static_cast<char>(c0 - 'a' + 'A');
        return;
    }
    if (text.size() < 2)
        return;
    auto c1 = static_cast<unsigned char>(text[1]);
    char32_t code = 0;
    if ((c0 & 0xE0) == 0xC0)
        code = static_cast<char32_t>(((c0 & 0x1F) << 6) | (c1 & 0x3F));
    char32_t upper = code;
    if (code >= 0x430 && code <= 0x44F)
        upper = code - 0x20; // а..я
    else if (code >= 0x450 && code <= 0x45F)
        upper = code - 0x50; // ё and the others of the row
    if (upper == code)
        return;
    text[0] = static_cast<char>(0xC0 | (upper >> 6));
    text[1] = static_cast<char>(0x80 | (upper & 0x3F));
}

// Appends the place of the problem to `text`, which is empty.
void appendPlace(const Problem& p, std::string& text) {
    auto separate = [&text] {
        if (!text.empty())
            text += ", ";
    };
    if (!p.line.empty())
        text.append("Линия «").append(p.line).append("»");
    if (p.section > 0) {
        separate();
        text.append(text.empty() ? "Участок " : "участок ").append(std::to_string(p.section));
    }
    if (!p.node.empty()) {
        separate();
        text.append(text.empty() ? "Узел «" : "узел «").append(p.node).append("»");
    }
}

} // namespace

const char* problemCodeName(ProblemCode code) {
    return kCodeNames[static_cast<std::size_t>(code)];
}

ProblemKind kindOf(std::string_view code) {
    bool warning = std::find(kWarnings.begin(), kWarnings.end(), code) != kWarnings.end();
    return warning ? ProblemKind::Warning : ProblemKind::Error;
}

const char* regimeWord(int regime) {
    return regime == static_cast<int>(Regime::Evening) ? "вечером" : "днём";
}

Problem makeProblem(const char* code, const Place& place, const std::string& what, int regime) {
    return makeProblem(code, cp1251ToUtf8(place.line), place.lineIndex, place.section, cp1251ToUtf8(place.node),
                       what, regime);
}

Problem makeProblem(const char* code, std::string_view line, int lineIndex, int section, std::string_view node,
                    const std::string& what, int regime) {
    Problem p;
    p.code = code;
    p.id = codeOf(code);
    p.kind = kindOf(code);
    p.line = line;
    p.lineIndex = lineIndex;
    p.section = section;
    p.node = node;
    p.regime = regime;
    p.text.reserve(p.line.size() + p.node.size() + what.size() + 64);
    appendPlace(p, p.text);
    if (!p.text.empty())
        p.text += ": ";
    p.text += what;
    capitalise(p.text);
    return p;
}

} // namespace k10::calc
