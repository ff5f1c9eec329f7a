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
    auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (!p.line.empty())
        add("Линия «" + p.line + "»");
    if (p.section > 0)
        add(std::string(text.empty() ? "Участок " : "участок ") + std::to_string(p.section));
    if (!p.node.empty())
        add(std::string(text.empty() ? "Узел «" : "узел «") + p.node + "»");
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
    Problem p;
    p.code = code;
    p.kind = kindOf(code);
    p.line = cp1251ToUtf8(place.line);
    p.lineIndex = place.lineIndex;
    p.section = place.section;
    p.node = cp1251ToUtf8(place.node);
    p.regime = regime;
    std::string where = placeText(p);
    p.text = where.empty() ? what : where + ": " + what;
    return p;
}

} // namespace k10::calc
