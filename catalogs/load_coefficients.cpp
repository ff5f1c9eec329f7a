#include "catalogs/load_coefficients.h"

#include "text/codepage.h"
#include "text/errors.h"
#include "text/file_io.h"
#include "text/line_cursor.h"
#include "text/number_parse.h"
#include "text/real_format.h"

#include <cmath>
#include <vector>

namespace k10 {

namespace {

constexpr int kCodes = 32;

// Rows of the built-in table shared by several codes: (codes, k_day, k_evening, cos_day, cos_evening).
struct BuiltInRow {
    std::vector<int> codes;
    LoadCoefficients values;
};

LoadCoefficientTable makeBuiltInTable() {
    const BuiltInRow rows[] = {
        {{1, 19}, {1.0, 0.6, 0.75, 0.80}},      // production, seasonal production
        {{2, 4}, {0.7, 1.0, 0.85, 0.90}},       // communal services
        {{3, 5}, {0.35, 1.0, 0.90, 0.93}},      // dwellings
        {{6}, {0.6, 1.0, 0.95, 0.96}},          // dwellings with electric stoves
        {{7}, {1.0, 0.7, 0.70, 0.75}},          // substations feeding mainly production
        {{8}, {0.6, 1.0, 0.90, 0.92}},          // substations feeding mainly households
        {{9}, {1.0, 1.0, 0.75, 0.80}},          // dairy farms
        {{10}, {1.0, 0.8, 0.75, 0.80}},         // pig farms
        {{11}, {1.0, 0.7, 0.75, 0.80}},         // beef farms
        {{12}, {1.0, 1.0, 0.85, 0.85}},         // poultry farms
        {{13, 15}, {1.0, 1.0, 0.95, 0.95}},     // electric heating, heated greenhouses
        {{14, 30, 32}, {0.2, 0.2, 0.98, 0.98}}, // storage heating: its peak is at night
        {{16}, {1.0, 0.8, 0.85, 0.85}},         // greenhouses heated from boilers
        {{17, 18}, {1.0, 1.0, 0.80, 0.80}},     // irrigation
        {{20}, {1.0, 1.0, 0.75, 0.75}},         // grain drying
        {{21, 24}, {1.0, 0.3, 0.75, 0.80}},     // one-shift works
        {{22, 25, 27}, {1.0, 0.8, 0.75, 0.80}}, // two-shift works, cotton receiving
        {{23, 26}, {1.0, 1.0, 0.75, 0.75}},     // three-shift works
        {{28}, {0.7, 1.0, 0.90, 0.92}},         // summer camp
        {{29}, {0.5, 1.0, 0.90, 0.93}},         // gardens
        {{31}, {1.0, 1.0, 0.98, 0.98}},         // electric boilers
    };
    LoadCoefficientTable table;
    for (const BuiltInRow& row : rows)
        for (int code : row.codes)
            table.rows[static_cast<std::size_t>(code - 1)] = row.values;
    table.builtIn = true;
    return table;
}

const char* columnName(CoefficientColumn column) {
    switch (column) {
    case CoefficientColumn::KDay:
        return "коэффициент дневного максимума";
    case CoefficientColumn::KEvening:
        return "коэффициент вечернего максимума";
    case CoefficientColumn::CosDay:
        return "cos φ дневного максимума";
    case CoefficientColumn::CosEvening:
        return "cos φ вечернего максимума";
    }
    return "";
}


// The fields of a row up to each colon; what follows the last colon must be blank.
std::optional<std::vector<std::string_view>> splitRow(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t colon;
    while ((colon = line.find(':')) != std::string_view::npos) {
        fields.push_back(trimBlanks(line.substr(0, colon)));
        line.remove_prefix(colon + 1);
    }
    if (!trimBlanks(line).empty() || fields.size() != 1 + std::size(CoefficientColumns))
        return std::nullopt;
    return fields;
}

class RowReader {
public:
    RowReader(const std::string& fileName) : fileName_(fileName) {}

    [[noreturn]] void refuse(int row, const std::string& problem) const {
        std::string where = row > 0 ? ", строка " + std::to_string(row) : std::string();
        throw Error("Файл " + fileName_ + where + ": " + problem + ". Таблица коэффициентов не прочитана.");
    }

    // One row "code: k_day: k_evening: cos_day: cos_evening:"; returns its code.
    int read(std::string_view line, int row, LoadCoefficientTable& table,
             std::array<bool, kCodes>& seen) const {
        auto fields = splitRow(line);
        if (!fields)
            refuse(row, "строка должна иметь вид «код: k_день: k_вечер: cos_день: cos_вечер:»");
        auto code = parseInteger((*fields)[0]);
        if (!code || *code < 1 || *code > kCodes)
            refuse(row, "код «" + textForMessage((*fields)[0]) + "» не от 1 до 32");
        auto slot = static_cast<std::size_t>(*code - 1);
        if (seen[slot])
            refuse(row, "код " + std::to_string(*code) + " повторяется");
        seen[slot] = true;
        LoadCoefficients values;
        for (std::size_t i = 0; i < std::size(CoefficientColumns); ++i) {
            std::string_view field = (*fields)[i + 1];
            auto value = parseRealToken(field);
            if (!value)
                refuse(row, "код " + std::to_string(*code) + ", " + columnName(CoefficientColumns[i]) + ": «" +
                                textForMessage(field) + "» не число");
            if (auto problem = checkLoadCoefficient(*code, CoefficientColumns[i], *value))
                refuse(row, *problem);
            valueOf(values, CoefficientColumns[i]) = *value;
        }
        table.rows[slot] = values;
        return *code;
    }

private:
    const std::string& fileName_;
};

bool startsWithDigit(std::string_view line) {
    return !line.empty() && line.front() >= '0' && line.front() <= '9';
}

} // namespace

double& valueOf(LoadCoefficients& row, CoefficientColumn column) {
    switch (column) {
    case CoefficientColumn::KDay:
        return row.kDay;
    case CoefficientColumn::KEvening:
        return row.kEvening;
    case CoefficientColumn::CosDay:
        return row.cosDay;
    case CoefficientColumn::CosEvening:
        break;
    }
    return row.cosEvening;
}

const LoadCoefficientTable& builtInLoadCoefficients() {
    static const LoadCoefficientTable table = makeBuiltInTable();
    return table;
}

bool holdsBuiltInValues(const LoadCoefficientTable& table) {
    return table.rows == builtInLoadCoefficients().rows;
}

std::optional<std::string> loadCoefficientOutOfRange(CoefficientColumn column, double value) {
    bool isShare = column == CoefficientColumn::KDay || column == CoefficientColumn::KEvening;
    bool accepted = std::isfinite(value) && (isShare ? value >= 0 && value <= 1.5 : value > 0 && value <= 1);
    if (accepted)
        return std::nullopt;
    return isShare ? "вне пределов от 0 до 1,5" : "вне пределов: больше 0 и не больше 1";
}

std::optional<std::string> checkLoadCoefficient(int code, CoefficientColumn column, double value) {
    auto reason = loadCoefficientOutOfRange(column, value);
    if (!reason)
        return std::nullopt;
    return "код " + std::to_string(code) + ", " + columnName(column) + ": значение " + formatReal(value) +
           " " + *reason;
}

LoadCoefficientTable parseLoadCoefficients(std::string_view bytes, const std::string& fileName) {
    LoadCoefficientTable table;
    table.builtIn = false;
    std::array<bool, kCodes> seen{};
    RowReader reader(fileName);
    LineCursor cursor(bytes);
    for (int row = 1; !cursor.atEnd(); ++row) {
        std::string_view line = cursor.nextLine();
        if (startsWithDigit(line))
            reader.read(line, row, table, seen);
    }
    for (int code = 1; code <= kCodes; ++code)
        if (!seen[static_cast<std::size_t>(code - 1)])
            reader.refuse(0, "нет строки кода " + std::to_string(code));
    return table;
}

std::string serializeLoadCoefficients(const LoadCoefficientTable& table) {
    // The comments, in Russian and in the catalogs' code page; no line of them starts with a digit.
    static const std::string comments = *utf8ToCp1251(
        "Коэффициенты графиков нагрузки: для каждого шифра от 1 до 32 доля максимальной нагрузки\r\n"
        "в дневной и в вечерний максимум (k) и коэффициент мощности в них (cos ф).\r\n"
        "Значения предварительные: замените их значениями из руководящих материалов\r\n"
        "по проектированию сельских электрических сетей.\r\n"
        "Пределы: k от 0 до 1,5; cos ф больше 0 и не больше 1; десятичный знак - точка.\r\n"
        "Строки, которые начинаются не с цифры, - примечания.\r\n"
        "шифр: k дн.: k веч.: cos ф дн.: cos ф веч.:\r\n");
    std::string out = comments;
    for (int code = 1; code <= kCodes; ++code) {
        const LoadCoefficients& row = table.forCode(code);
        out += std::to_string(code) + ": " + formatReal(row.kDay) + ": " + formatReal(row.kEvening) + ": " +
               formatReal(row.cosDay) + ": " + formatReal(row.cosEvening) + ":\r\n";
    }
    return out;
}

LoadCoefficientTable readLoadCoefficients(const std::string& path) {
    return parseLoadCoefficients(readWholeFile(path), path);
}

void writeLoadCoefficients(const std::string& path, const LoadCoefficientTable& table) {
    for (int code = 1; code <= kCodes; ++code)
        for (CoefficientColumn column : CoefficientColumns) {
            LoadCoefficients row = table.forCode(code);
            if (auto problem = checkLoadCoefficient(code, column, valueOf(row, column)))
                throw Error("Файл " + path + ": " + *problem + ". Таблица коэффициентов не записана.");
        }
    writeFileAtomically(path, serializeLoadCoefficients(table));
}

} // namespace k10
