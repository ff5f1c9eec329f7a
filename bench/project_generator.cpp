#include "bench/project_generator.h"

#include "text/codepage.h"

#include <array>
#include <cstdint>
#include <random>
#include <string>

namespace k10bench {

namespace {

std::string cp1251(const std::string& utf8) {
    return *k10::utf8ToCp1251(utf8);
}

// Names of the default catalogs, as the dialogs offer them.
const std::array<const char*, 19> kWires = {"АС-16",     "АС-25",     "АС-35",     "АС-50",    "АС-70",
                                            "АС-95",     "АС-120",    "АС-150",    "АС-185",   "АС-240",
                                            "ААБ-3х25",  "ААБ-3х35",  "ААБ-3х50",  "ААБ-3х70", "ААБ-3х95",
                                            "ААБ-3х120", "ААБ-3х150", "ААБ-3х185", "ААБ-3х240"};
const std::array<const char*, 8> kTransformers = {"ТМ-25",  "ТМ-40",  "ТМ-63",  "ТМ-100",
                                                  "ТМ-160", "ТМ-250", "ТМ-400", "ТМ-630"};
const std::array<int, 8> kTransformerPower = {25, 40, 63, 100, 160, 250, 400, 630};
const std::array<const char*, 10> kPlaces = {"Северная",  "Южная",   "Заречная", "Луговая", "Сосновка",
                                             "Березовка", "Полевая", "Озерная",  "Садовая", "Восточная"};

// A fixed-seed generator: the standard defines the engine's output, so every build gets the same project.
class Dice {
public:
    int below(int n) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(int percent) { return below(100) < percent; }
    // A value with the given number of decimals, as an engineer types it.
    double decimal(int lowCents, int highCents, int scale = 100) {
        return static_cast<double>(between(lowCents, highCents)) / scale;
    }
    template <class Array> auto pick(const Array& items) {
        return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
    }

private:
    std::mt19937 engine_{20240610u};
};

std::string lineName(int source, int line) {
    return cp1251("Ф" + std::to_string(line) + "-" + std::to_string(source));
}

// A node is numbered by its line and section (section 5 of line 37 ends at 3705): "ТП-3705" where a
// transformer substation stands, "оп3705" at a pole.
std::string nodeName(int line, int section, bool substation) {
    return cp1251((substation ? "ТП-" : "оп") + std::to_string(line * 100 + section));
}

TLine makeSection(Dice& dice, int line, int k, const std::string& begin) {
    TLine section;
    bool substation = dice.chance(60);
    section.L_Begin = begin;
    section.L_End = nodeName(line, k, substation);
    // A feeder of a hundred sections runs some 10 to 20 km along its longest path.
    section.Dlina = dice.chance(80) ? dice.decimal(5, 40) : dice.decimal(5, 400, 1000);
    section.Provod =
        cp1251(dice.chance(85) ? kWires[static_cast<std::size_t>(dice.between(3, 7))] : dice.pick(kWires));
    if (substation) {
        int t = dice.between(0, 4);
        section.Trans = cp1251(kTransformers[static_cast<std::size_t>(t)]);
        // The load is a part of the transformer's power: whole kVA or with one decimal.
        int load = kTransformerPower[static_cast<std::size_t>(t)] * dice.between(30, 80) / 100;
        section.Max_Nagr = dice.chance(70) ? std::to_string(load)
                                           : std::to_string(load) + "." + std::to_string(dice.below(10));
        section.Gr_Nagr = std::to_string(dice.between(1, 32));
    }
    return section;
}

// The node that feeds a node of the line (its parent), or the node itself at the head.
std::string feederOf(const TLines& line, std::string_view node) {
    for (const TLine& section : line.Sections)
        if (section.L_End.view() == node)
            return std::string(section.L_Begin.view());
    return std::string(node);
}

// A mode as a dispatcher sets one up: a jumper from a node of one line to a node of another, that line
// opened at the jumper's end or just above it so that the scheme stays radial, and a change of load. Some
// modes only switch a node off. The other line is mostly the same source's, sometimes a neighbouring
// source's that has been generated already.
TModeWork makeMode(Dice& dice, const TProect& project, int source) {
    const TSource& s = project.Sources[source];
    TModeWork mode;
    const TLines& from = s.Lines[dice.between(1, 100)];
    int toSource = source > 1 && dice.chance(20) ? dice.between(1, source - 1) : source;
    const TLines& to = project.Sources[toSource].Lines[dice.between(1, 100)];
    std::string end(to.Sections[dice.between(1, 100)].L_End.view());
    mode.L_Begin = from.Name.view();
    mode.L_End = to.Name.view();
    if (dice.chance(90)) {
        mode.Uzel_Begin = from.Sections[dice.between(1, 100)].L_End.view();
        mode.Uzel_End = end;
        mode.Dlina = dice.decimal(10, 500);
        mode.Provod = cp1251(kWires[static_cast<std::size_t>(dice.between(3, 6))]);
    }
    mode.Uzel_Off = dice.chance(50) ? end : feederOf(to, end);
    const std::array<int, 9> changes = {-20, -15, -10, -5, 0, 5, 10, 15, 20};
    mode.Izm_Nagr = dice.chance(20) ? dice.decimal(-2500, 2500) : dice.pick(changes);
    return mode;
}

} // namespace

TProect makeLargestProject() {
    Dice dice;
    TProect project;
    project.Sources.reserve(100);
    for (int i = 1; i <= 100; ++i) {
        TSource& source = project.Sources.append();
        std::string voltage = dice.chance(80) ? "110/10" : (dice.chance(50) ? "35/10" : "110/6");
        source.Name = cp1251("ПС " + voltage + " кВ " + kPlaces[static_cast<std::size_t>(i % 10)] + "-" +
                             std::to_string(i));
        source.Code = 100 + i;
        source.Napr = voltage.ends_with("/6") ? 6 : 10;
        source.R_Max = dice.decimal(10, 250);
        source.X_Max = dice.decimal(50, 400);
        source.R_Min = source.R_Max + dice.decimal(10, 200);
        source.X_Min = source.X_Max + dice.decimal(10, 300);

        source.Lines.reserve(100);
        for (int j = 1; j <= 100; ++j) {
            TLines& line = source.Lines.append();
            line.Name = lineName(i, j);
            line.Sections.reserve(100);
            // A feeder is a tree: most sections continue from the last node, some branch off an earlier one.
            for (int k = 1; k <= 100; ++k) {
                std::string begin;
                if (k == 1)
                    begin = std::string(line.Name.view());
                else if (dice.chance(75))
                    begin = std::string(line.Sections[k - 1].L_End.view());
                else
                    begin = std::string(line.Sections[dice.between(1, k - 1)].L_End.view());
                line.Sections.append(makeSection(dice, j, k, begin));
            }
        }
        source.ModeWorks.reserve(100);
        for (int m = 1; m <= 100; ++m)
            source.ModeWorks.append(makeMode(dice, project, i));
    }
    return project;
}

} // namespace k10bench
