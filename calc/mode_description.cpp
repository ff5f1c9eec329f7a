#include "calc/mode_description.h"

#include "text/codepage.h"
#include "text/number_parse.h"
#include "text/real_format.h"

#include <algorithm>

namespace k10::calc {

namespace {

// A name of the project without its trailing blanks, in UTF-8.
std::string name(std::string_view cp1251) {
    while (!cp1251.empty() && (cp1251.back() == ' ' || cp1251.back() == '\t' || cp1251.back() == '\xA0'))
        cp1251.remove_suffix(1);
    return cp1251ToUtf8(cp1251);
}

} // namespace

std::string modeNumber(double value) {
    std::string text = formatReal(value);
    std::replace(text.begin(), text.end(), '.', ',');
    if (!text.empty() && text.front() == '-')
        text.replace(0, 1, "−");
    return text;
}

std::string modeDescription(const TModeWork& mode, int number) {
    std::string parts;
    auto add = [&parts](const std::string& part) {
        if (!parts.empty())
            parts += "; ";
        parts += part;
    };
    const std::string from = name(mode.Uzel_Begin.view()), to = name(mode.Uzel_End.view());
    if (!from.empty() || !to.empty()) {
        // A jumper given by one node only (an error of the mode) shows its missing end as «?».
        auto end = [](const std::string& line, const std::string& node) {
            return node.empty() ? std::string("?") : line + "/" + node;
        };
        std::string jumper = "перемычка " + end(name(mode.L_Begin.view()), from) + " – " +
                             end(name(mode.L_End.view()), to);
        const std::string wire = cp1251ToUtf8(trimBlanks(mode.Provod.view()));
        if (mode.Dlina != 0) {
            jumper += ", " + modeNumber(mode.Dlina) + " км";
            if (!wire.empty())
                jumper += " " + wire;
        }
        add(jumper);
    }
    const std::string off = name(mode.Uzel_Off.view());
    if (!off.empty())
        add("разрыв перед узлом «" + off + "»");
    if (mode.Izm_Nagr != 0)
        add("нагрузка " + std::string(mode.Izm_Nagr > 0 ? "+" : "") + modeNumber(mode.Izm_Nagr) + " %");
    return "Режим " + std::to_string(number) + ": " + (parts.empty() ? std::string("без изменений") : parts);
}

} // namespace k10::calc
