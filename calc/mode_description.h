#pragma once

#include "model/project.h"

#include <string>

// An operating mode in words, the same wherever a mode is named: the results, the checks, the reports.
namespace k10::calc {

// «Режим N: перемычка <L_Begin>/<Uzel_Begin> – <L_End>/<Uzel_End>, <длина> км <провод>; разрыв перед
// узлом «<Uzel_Off>»; нагрузка +10 %» in UTF-8, `number` being the mode's 1-based number. A part the mode
// does not have is left out; a 0 km jumper (a switch) is named without length and wire; a mode with no
// part at all reads «Режим N: без изменений»; a jumper missing one of its nodes shows that end as «?». Numbers are written as the tables show them: the decimal
// comma, no needless zeros, a negative load change with the minus sign «−».
std::string modeDescription(const TModeWork& mode, int number);

// A number as the mode's tables show it: "2,5", "1", "−15" (the minus sign U+2212). UTF-8.
std::string modeNumber(double value);

} // namespace k10::calc
