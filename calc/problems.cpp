#include "calc/problems.h"

#include "text/codepage.h"

#include <algorithm>
#include <array>

namespace k10::calc {

namespace {

// The codes that do not refuse the scheme.
constexpr std::array<std::string_view, 9> kWarnings = {"P2", "P4", "S6", "S7", "T2", "R1", "R2", "R3", "R4"};

std::string placeText(const Problem& p) {
    std::string text;
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
    return text;
}

} // namespace

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
    p.kind = kindOf(code);
    p.line = line;
    p.lineIndex = lineIndex;
    p.section = section;
    p.node = node;
    p.regime = regime;
    p.text = placeText(p);
    if (!p.text.empty())
        p.text += ": ";
    p.text += what;
    return p;
}

} // namespace k10::calc
