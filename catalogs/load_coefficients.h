#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace k10 {

// The load coefficient table: for every load-graph code 1..32 the share of the maximum load in the
// daytime and in the evening maximum, and the power factor of each. Kept in the text file koefnagr.dat
// beside the two catalogs (Windows-1251 like them, CR LF, one row per code "code: k_day: k_evening: cos_day:
// cos_evening:"; lines that do not start with a digit are comments, in Russian).
struct LoadCoefficients {
    double kDay = 0;
    double kEvening = 0;
    double cosDay = 1;
    double cosEvening = 1;

    friend bool operator==(const LoadCoefficients&, const LoadCoefficients&) = default;
};

// The four value columns of a row, in the file's order.
enum class CoefficientColumn { KDay, KEvening, CosDay, CosEvening };
inline constexpr CoefficientColumn CoefficientColumns[] = {CoefficientColumn::KDay, CoefficientColumn::KEvening,
                                                           CoefficientColumn::CosDay, CoefficientColumn::CosEvening};

struct LoadCoefficientTable {
    std::array<LoadCoefficients, 32> rows{}; // rows[code - 1]
    bool builtIn = true;                      // false once read from the file

    const LoadCoefficients& forCode(int code) const { return rows.at(static_cast<std::size_t>(code - 1)); }
    friend bool operator==(const LoadCoefficientTable&, const LoadCoefficientTable&) = default;
};

// A row's value in one of its columns.
double& valueOf(LoadCoefficients& row, CoefficientColumn column);

inline constexpr const char* LoadCoefficientFile = "koefnagr.dat";

// The built-in table, used when the file is missing. Its values are provisional.
const LoadCoefficientTable& builtInLoadCoefficients();
// True while every value of the table is the built-in one: its values are then the provisional ones,
// whether read from a file or not.
bool holdsBuiltInValues(const LoadCoefficientTable& table);

// The one rule for a value of the table: 0 <= k <= 1.5, 0 < cos phi <= 1 (finite). Returns the Russian
// message naming the code and the column when the value is refused, nothing when it is accepted. Every
// editor of the table asks this.
std::optional<std::string> checkLoadCoefficient(int code, CoefficientColumn column, double value);
// The same rule, its reason alone: "вне пределов от 0 до 1,5" or "вне пределов: больше 0 и не больше 1".
std::optional<std::string> loadCoefficientOutOfRange(CoefficientColumn column, double value);

// Reading keeps nothing of a bad file: it throws Error naming the file and the row on a malformed row, a
// value out of range, a code outside 1..32, a repeated or a missing code.
LoadCoefficientTable parseLoadCoefficients(std::string_view bytes, const std::string& fileName);
std::string serializeLoadCoefficients(const LoadCoefficientTable& table);
LoadCoefficientTable readLoadCoefficients(const std::string& path); // throws Error ("File not found", ...)
void writeLoadCoefficients(const std::string& path, const LoadCoefficientTable& table); // atomic

} // namespace k10
