#pragma once

#include "model/record_array.h"
#include "text/short_string.h"
#include "text/text_field.h"

#include <cstdint>

// The project: sources, their operating modes and lines, the lines' sections. Plain records; every rule
// about their contents lives in the dialogs, the commands and the project file reader. Texts are
// Windows-1251 bytes.

// One section of a line, from node to node.
class TLine {
public:
    k10::ShortString<8> L_Begin;
    k10::ShortString<8> L_End;
    double Dlina = 0;   // km
    k10::Text Provod;   // a wire catalog name
    k10::Text Max_Nagr; // kVA, as typed
    k10::Text Gr_Nagr;  // load-graph code
    k10::Text Trans;    // a transformer catalog name

    friend bool operator==(const TLine&, const TLine&) = default;
};

// One line (feeder) of a source.
class TLines {
public:
    k10::ShortString<10> Name;
    k10::RecordArray<TLine> Sections;

    int SectionCount() const { return Sections.count(); }

    friend bool operator==(const TLines&, const TLines&) = default;
};

// One operating mode of a source: a jumper between two lines, a node switched off, a change of load.
class TModeWork {
public:
    k10::ShortString<8> L_Begin;
    k10::ShortString<8> L_End;
    k10::Text Uzel_Begin;
    k10::Text Uzel_End;
    double Dlina = 0; // km
    k10::Text Provod;
    k10::Text Uzel_Off;
    double Izm_Nagr = 0; // percent

    friend bool operator==(const TModeWork&, const TModeWork&) = default;
};

// One power source (feeding substation).
class TSource {
public:
    k10::ShortString<50> Name;
    std::int32_t Code = 0;
    double Napr = 0;   // kV
    double R_Max = 0;  // Ohm
    double X_Max = 0;
    double R_Min = 0;
    double X_Min = 0;
    k10::RecordArray<TModeWork> ModeWorks;
    k10::RecordArray<TLines> Lines;

    int LineCount() const { return Lines.count(); }
    int ModeWorkCount() const { return ModeWorks.count(); }

    friend bool operator==(const TSource&, const TSource&) = default;
};

class TProect {
public:
    k10::RecordArray<TSource> Sources;

    int SourceCount() const { return Sources.count(); }

    friend bool operator==(const TProect&, const TProect&) = default;
};
