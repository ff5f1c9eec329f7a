#pragma once

#include "text/short_string.h"

#include <cstdint>

// The entries of the two reference catalogs. Plain records; names are Windows-1251 bytes.

// One wire or cable type.
class TProvoda {
public:
    k10::ShortString<9> Name;
    double R = 0;         // Ohm/km
    double X = 0;         // Ohm/km
    double Tok = 0;       // permissible current, kA
    std::uint8_t R_V = 0; // wind region
    std::uint8_t R_G = 0; // icing region

    friend bool operator==(const TProvoda&, const TProvoda&) = default;
};

// One transformer type.
class TTrans {
public:
    k10::ShortString<9> Name;
    std::uint16_t S = 0; // nominal power, kVA
    double U = 0;        // short-circuit voltage, per cent
    double dP = 0;       // short-circuit losses, kW

    friend bool operator==(const TTrans&, const TTrans&) = default;
};
