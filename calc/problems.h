#pragma once

#include "calc/calculation.h"

#include <string>

// The problems a scheme can have: each code with its kind, and the one place that words the location.
namespace k10::calc {

// Where a problem lies; texts in Windows-1251 as the project holds them.
struct Place {
    std::string_view line;
    int lineIndex = 0;
    int section = 0;
    std::string_view node;
};

ProblemKind kindOf(std::string_view code);

// The problem with its message (UTF-8): the place ("Линия «101», участок 2, узел «5»: ") and then what is
// wrong.
Problem makeProblem(const char* code, const Place& place, const std::string& what, int regime = -1);
// The same with the names of the place's line and node already in UTF-8.
Problem makeProblem(const char* code, std::string_view line, int lineIndex, int section, std::string_view node,
                    const std::string& what, int regime);

// "днём" / "вечером".
const char* regimeWord(int regime);

} // namespace k10::calc
