#include "calc/result_format.h"

#include "calc/mode_description.h"
#include "text/real_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>

namespace k10::calc {

namespace {

// Characters of a UTF-8 text, for the alignment of the columns.
std::size_t widthOf(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// A plain-text table: a caption, a header row, texts aligned left and numbers right.
class TextTable {
public:
    TextTable(std::string caption, std::vector<std::string> header, std::vector<bool> numeric)
        : caption_(std::move(caption)), numeric_(std::move(numeric)) {
        rows_.push_back(std::move(header));
    }
    void add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }

    std::string text() const {
        std::vector<std::size_t> widths(numeric_.size(), 0);
        for (const auto& row : rows_)
            for (std::size_t c = 0; c < row.size(); ++c)
                widths[c] = std::max(widths[c], widthOf(row[c]));
        std::string out = caption_ + "\n";
        for (const auto& row : rows_) {
            std::string line = " ";
            for (std::size_t c = 0; c < row.size(); ++c) {
                std::string pad(widths[c] - widthOf(row[c]), ' ');
                line += "  " + (numeric_[c] ? pad + row[c] : row[c] + pad);
            }
            line.erase(line.find_last_not_of(' ') + 1);
            out += line + "\n";
        }
        return out + "\n";
    }

private:
    std::string caption_;
    std::vector<bool> numeric_;
    std::vector<std::vector<std::string>> rows_;
};

std::string number(double value, Quantity q) {
    return formatNumber(value, q);
}

std::string quoted(const std::string& utf8) {
    return "«" + utf8 + "»";
}

std::string impedance(std::complex<double> z) {
    std::string x = number(std::abs(z.imag()), Quantity::ImpedanceOhm);
    return number(z.real(), Quantity::ImpedanceOhm) + (z.imag() < 0 ? " − j" : " + j") + x;
}

const char* const kRegimeCaptions[2] = {"днём", "вечером"};

std::string header(const SchemeResult& s, const Settings& settings, bool builtIn) {
    std::string out = "Источник " + std::to_string(s.source) + " " + quoted(s.sourceName) + ", " +
                      formatReal(s.nominalKv) + " кВ — " +
                      (s.mode == 0 ? std::string("нормальная схема") : s.modeText) + "\n";
    out += std::string("Метод: ") +
           (settings.method == Method::Exact ? "точный (итерационный расчёт)"
                                             : "инженерный (однократный расчёт)") +
           "; токи КЗ: " +
           (settings.shortCircuit == ShortCircuitConvention::AverageVoltage ? "по среднему напряжению"
                                                                            : "по МЭК 60909") +
           "; допустимая потеря напряжения " + number(settings.maxLossPercent, Quantity::LossPercent) +
           " %; напряжение на шинах " + modeNumber(settings.busVoltagePercent) + " % от номинального\n";
    out += builtIn ? "Коэффициенты нагрузки: встроенная таблица (файла koefnagr.dat нет); значения "
                     "предварительные\n"
                   : "Коэффициенты нагрузки: из файла koefnagr.dat\n";
    return out + notCalculatedNote() + "\n\n";
}

std::string problemsText(const SchemeResult& s) {
    if (s.problems.empty())
        return "Замечаний нет.\n\n";
    std::string out = "Замечания:\n";
    for (const Problem& p : s.problems)
        out += std::string("  ") + (p.kind == ProblemKind::Error ? "Ошибка" : "Предупреждение") + " " +
               p.code + ": " + p.text + "\n";
    return out + "\n";
}

std::string excludedText(const SchemeResult& s) {
    if (s.excluded.empty())
        return {};
    std::string out = "Не рассчитаны линии с ошибками: ";
    for (const ExcludedLine& line : s.excluded)
        out.append(&line == &s.excluded.front() ? "" : ", ").append(line.line);
    return out + " (см. «Замечания»).\n\n";
}

std::string deEnergisedText(const SchemeResult& s) {
    if (s.deEnergised.empty())
        return {};
    std::string out = "Обесточенные узлы:";
    for (const NodeRef& n : s.deEnergised)
        out.append(" ").append(n.node).append(" (линия ").append(n.line).append(")").append(
            &n == &s.deEnergised.back() ? "." : ",");
    return out + "\n\n";
}

std::string totalsText(const SchemeResult& s) {
    TextTable t("Итоги", {"", "днём", "вечером"}, {false, true, true});
    auto row = [&](const char* caption, auto value) {
        t.add({caption, value(s.regimes[0].totals), value(s.regimes[1].totals)});
    };
    row("Отпущено P, кВт", [](const Totals& x) { return number(x.pKw, Quantity::Power); });
    row("Отпущено Q, квар", [](const Totals& x) { return number(x.qKvar, Quantity::Power); });
    row("Потери ΔP, кВт", [](const Totals& x) { return number(x.dpKw, Quantity::Losses); });
    row("Потери ΔQ, квар", [](const Totals& x) { return number(x.dqKvar, Quantity::Losses); });
    row("  в участках ΔP, кВт", [](const Totals& x) { return number(x.dpSectionsKw, Quantity::Losses); });
    row("  в участках ΔQ, квар", [](const Totals& x) { return number(x.dqSectionsKvar, Quantity::Losses); });
    row("  в трансформаторах ΔP, кВт",
        [](const Totals& x) { return number(x.dpTransformersKw, Quantity::Losses); });
    row("  в трансформаторах ΔQ, квар",
        [](const Totals& x) { return number(x.dqTransformersKvar, Quantity::Losses); });
    row("Потери ΔP, % от P", [](const Totals& x) { return number(x.lossSharePercent, Quantity::Losses); });
    row("Наибольшая потеря напряжения, %",
        [](const Totals& x) { return number(x.worstLossPercent, Quantity::LossPercent); });
    row("  в узле",
        [](const Totals& x) { return std::string(x.worstNode.node) + " (" + std::string(x.worstNode.line) + ")"; });
    row("Наибольшая загрузка участка, %",
        [](const Totals& x) { return number(x.mostLoadedPercent, Quantity::Loading); });
    row("  участок", [](const Totals& x) {
        return x.mostLoadedSection > 0
                   ? std::to_string(x.mostLoadedSection) + " (" + std::string(x.mostLoadedLine) + ")"
                                       : "перемычка";
    });
    return t.text() + "Итераций расчёта: днём " + std::to_string(s.regimes[0].iterations) + ", вечером " +
           std::to_string(s.regimes[1].iterations) + "\n\n";
}

std::string linesText(const RegimeResult& r, const char* regime) {
    TextTable t(std::string("Линии ") + regime,
                {"Линия", "P, кВт", "Q, квар", "ΔP, кВт", "ΔQ, квар", "ΔP уч., кВт", "ΔQ уч., квар",
                 "ΔP тр., кВт", "ΔQ тр., квар", "ΔP, % от P", "ΔU наиб., %"},
                {false, true, true, true, true, true, true, true, true, true, true});
    for (const LineTotals& line : r.lines) {
        const Totals& x = line.totals;
        t.add({std::string(line.line), number(x.pKw, Quantity::Power), number(x.qKvar, Quantity::Power),
               number(x.dpKw, Quantity::Losses), number(x.dqKvar, Quantity::Losses),
               number(x.dpSectionsKw, Quantity::Losses), number(x.dqSectionsKvar, Quantity::Losses),
               number(x.dpTransformersKw, Quantity::Losses), number(x.dqTransformersKvar, Quantity::Losses),
               number(x.lossSharePercent, Quantity::Losses), number(x.worstLossPercent, Quantity::LossPercent)});
    }
    return t.text();
}

std::string nodesText(const SchemeResult& s) {
    TextTable t("Узлы",
                {"Линия", "Узел", "От шин, км", "U днём, кВ", "ΔU днём, %", "δU днём, %", "U вечером, кВ",
                 "ΔU вечером, %", "δU вечером, %"},
                {false, false, true, true, true, true, true, true, true});
    for (std::size_t i = 0; i < s.nodes.size(); ++i) {
        const NodeResult& node = s.nodes[i];
        const NodeVoltage& day = s.regimes[0].nodes[i];
        const NodeVoltage& evening = s.regimes[1].nodes[i];
        t.add({std::string(node.line), std::string(node.node), number(node.distanceKm, Quantity::LengthKm),
               number(day.uKv, Quantity::VoltageKv), number(day.lossPercent, Quantity::LossPercent),
               number(day.deviationPercent, Quantity::LossPercent), number(evening.uKv, Quantity::VoltageKv),
               number(evening.lossPercent, Quantity::LossPercent),
               number(evening.deviationPercent, Quantity::LossPercent)});
    }
    return t.text();
}

std::string sectionsText(const SchemeResult& s, const RegimeResult& r, const char* regime) {
    TextTable t(
        std::string("Участки ") + regime,
        {"Линия", "№", "Начало", "Конец", "P, кВт", "Q, квар", "I, А", "Загрузка, %", "ΔP, кВт", "ΔQ, квар"},
        {false, true, false, false, true, true, true, true, true, true});
    for (std::size_t i = 0; i < s.sections.size(); ++i) {
        const SectionResult& x = s.sections[i];
        const SectionFlow& f = r.sections[i];
        t.add({std::string(x.line), x.jumper ? "перемычка" : std::to_string(x.section), std::string(x.begin),
               std::string(x.end), number(f.pKw, Quantity::Power), number(f.qKvar, Quantity::Power),
               number(f.iA, Quantity::CurrentA), number(f.loadingPercent, Quantity::Loading),
               number(f.dpKw, Quantity::Losses), number(f.dqKvar, Quantity::Losses)});
    }
    return t.text();
}

std::string substationsText(const SchemeResult& s) {
    if (s.substations.empty())
        return {};
    TextTable t("Подстанции",
                {"Линия", "Узел", "Трансформатор", "S днём, кВА", "Загрузка днём, %", "ΔP днём, кВт",
                 "ΔQ днём, квар", "S вечером, кВА", "Загрузка вечером, %", "ΔP вечером, кВт", "ΔQ вечером, квар"},
                {false, false, false, true, true, true, true, true, true, true, true});
    for (std::size_t i = 0; i < s.substations.size(); ++i) {
        const SubstationResult& x = s.substations[i];
        std::vector<std::string> row = {std::string(x.line), std::string(x.node), std::string(x.transformer)};
        for (const RegimeResult& r : s.regimes) {
            const SubstationLoad& y = r.substations[i];
            row.push_back(number(y.sKva, Quantity::Power));
            row.push_back(number(y.loadingPercent, Quantity::Loading));
            row.push_back(number(y.dpKw, Quantity::Losses));
            row.push_back(number(y.dqKvar, Quantity::Losses));
        }
        t.add(row);
    }
    return t.text();
}

std::vector<std::string> currentCells(const Currents& c) {
    return {number(c.ik3MaxKa, Quantity::ShortCircuitKa), number(c.ik2MaxKa, Quantity::ShortCircuitKa),
            number(c.ik3MinKa, Quantity::ShortCircuitKa), number(c.ik2MinKa, Quantity::ShortCircuitKa)};
}

std::string shortCircuitText(const SchemeResult& s) {
    const ShortCircuitResult& sc = s.shortCircuit;
    TextTable t("Токи короткого замыкания",
                {"Линия", "Узел", "Z макс, Ом", "Z мин, Ом", "Iк3 макс, кА", "Iк2 макс, кА", "Iк3 мин, кА",
                 "Iк2 мин, кА"},
                {false, false, true, true, true, true, true, true});
    auto add = [&](std::vector<std::string> row, const Currents& c) {
        for (std::string& cell : currentCells(c))
            row.push_back(std::move(cell));
        t.add(std::move(row));
    };
    add({"", "шины источника", "", ""}, sc.busbars);
    for (std::size_t i = 0; i < sc.nodes.size(); ++i) {
        const NodeShortCircuit& n = sc.nodes[i];
        add({std::string(s.nodes[i].line), std::string(s.nodes[i].node), impedance(n.zMaxOhm),
             impedance(n.zMinOhm)},
            n.currents);
    }
    std::string out = t.text();
    if (sc.lowVoltage.empty())
        return out;
    TextTable low(
        "Токи короткого замыкания на шинах 0,4 кВ подстанций",
        {"Линия", "Узел", "Трансформатор", "Iк3 макс, кА", "Iк2 макс, кА", "Iк3 мин, кА", "Iк2 мин, кА"},
        {false, false, false, true, true, true, true});
    for (std::size_t i = 0; i < sc.lowVoltage.size(); ++i) {
        const SubstationResult& x = s.substations[i];
        std::vector<std::string> row = {std::string(x.line), std::string(x.node), std::string(x.transformer)};
        for (std::string& cell : currentCells(sc.lowVoltage[i]))
            row.push_back(std::move(cell));
        low.add(std::move(row));
    }
    return out + low.text();
}

// CSV: one header for every kind of row; a row leaves empty the columns its kind does not have. Columns
// added later come at the end, so that readers of the earlier columns by position keep working.
enum Column {
    Source, Mode, RegimeColumn, Kind, Line, Section, Node, End, Transformer, Distance, U, Loss, P, Q, S, I,
    Loading, Dp, Dq, ZMaxR, ZMaxX, ZMinR, ZMinX, Ik3Max, Ik2Max, Ik3Min, Ik2Min, Deviation, DpSections,
    DqSections, DpTransformers, DqTransformers, LossShare, ColumnCount
};

constexpr const char* kCsvColumns[ColumnCount] = {
    "source",       "mode",        "regime",      "kind",        "line",        "section",
    "node",         "end",         "transformer", "distance_km", "u_kv",        "loss_percent",
    "p_kw",         "q_kvar",      "s_kva",       "i_a",         "loading_percent", "dp_kw",
    "dq_kvar",      "z_max_r_ohm", "z_max_x_ohm", "z_min_r_ohm", "z_min_x_ohm", "ik3_max_ka",
    "ik2_max_ka",   "ik3_min_ka",  "ik2_min_ka",  "deviation_percent", "dp_sections_kw", "dq_sections_kvar",
    "dp_transformers_kw", "dq_transformers_kvar", "loss_share_percent"};

// The spreadsheet dialect's headers, as the results window names the same figures.
constexpr const char* kCsvColumnsRu[ColumnCount] = {
    "Источник", "Режим", "Максимум", "Строка", "Линия", "Участок", "Узел", "Конец", "Трансформатор",
    "От шин, км", "U, кВ", "ΔU, %", "P, кВт", "Q, квар", "S, кВА", "I, А", "Загрузка, %", "ΔP, кВт",
    "ΔQ, квар", "Z макс: R, Ом", "Z макс: X, Ом", "Z мин: R, Ом", "Z мин: X, Ом", "Iк3 макс, кА",
    "Iк2 макс, кА", "Iк3 мин, кА", "Iк2 мин, кА", "δU, %", "ΔP участков, кВт", "ΔQ участков, квар",
    "ΔP трансформаторов, кВт", "ΔQ трансформаторов, квар", "ΔP, % от P"};

// The precision of each numeric column in the spreadsheet dialect: the window's.
constexpr Quantity kColumnQuantity[ColumnCount] = {
    Quantity::Power, Quantity::Power, Quantity::Power, Quantity::Power, Quantity::Power, Quantity::Power,
    Quantity::Power, Quantity::Power, Quantity::Power, Quantity::LengthKm, Quantity::VoltageKv,
    Quantity::LossPercent, Quantity::Power, Quantity::Power, Quantity::Power, Quantity::CurrentA,
    Quantity::Loading, Quantity::Losses, Quantity::Losses, Quantity::ImpedanceOhm, Quantity::ImpedanceOhm,
    Quantity::ImpedanceOhm, Quantity::ImpedanceOhm, Quantity::ShortCircuitKa, Quantity::ShortCircuitKa,
    Quantity::ShortCircuitKa, Quantity::ShortCircuitKa, Quantity::LossPercent, Quantity::Losses,
    Quantity::Losses, Quantity::Losses, Quantity::Losses, Quantity::LossPercent};

// The words of the regime and kind columns in each dialect.
struct CsvWords {
    std::string_view day;
    std::string_view evening;
    std::string_view node;
    std::string_view section;
    std::string_view substation;
    std::string_view line;
    std::string_view totals;
    std::string_view shortCircuit;
    std::string_view lowVoltage;
};
constexpr CsvWords kCsvWords{"day", "evening", "node", "section", "substation", "line", "totals",
                             "short_circuit", "low_voltage"};
constexpr CsvWords kCsvWordsRu{"день", "вечер", "узел", "участок", "ТП", "линия", "итого", "КЗ", "КЗ 0,4 кВ"};

const CsvWords& wordsOf(CsvDialect dialect) {
    return dialect == CsvDialect::Spreadsheet ? kCsvWordsRu : kCsvWords;
}

// The bytes of rows gathered in a room of their own and appended to the text when it fills and by `flush`:
// one append for many cells rather than one for each.
class RowBytes {
public:
    explicit RowBytes(std::string& out) : out_(out) {}
    RowBytes(const RowBytes&) = delete;
    RowBytes& operator=(const RowBytes&) = delete;

    // Room for `bytes` (at most kLargest) from the returned address on; `wrote` says where they ended.
    char* room(std::size_t bytes) {
        if (bytes > sizeof bytes_ - used_)
            flush();
        return bytes_ + used_;
    }
    void wrote(const char* end) { used_ = static_cast<std::size_t>(end - bytes_); }
    void put(char c) {
        *room(1) = c;
        ++used_;
    }
    void put(std::string_view text) {
        if (text.empty())
            return;
        if (text.size() > kLargest) {
            flush();
            out_ += text;
            return;
        }
        char* at = room(text.size());
        std::memcpy(at, text.data(), text.size());
        used_ += text.size();
    }
    void flush() {
        out_.append(bytes_, used_);
        used_ = 0;
    }

    static constexpr std::size_t kLargest = 1024;

private:
    std::string& out_;
    char bytes_[4 * kLargest];
    std::size_t used_ = 0;
};

void appendCsvField(RowBytes& out, std::string_view text, char separator) {
    // A plain loop: a search for any of several characters looks for each of them at every character.
    if (std::none_of(text.begin(), text.end(),
                     [separator](char c) { return c == separator || c == '"' || c == '\r' || c == '\n'; })) {
        out.put(text);
        return;
    }
    out.put('"');
    for (char c : text) {
        if (c == '"')
            out.put('"');
        out.put(c);
    }
    out.put('"');
}

// One row: its cells set by column, then written at the end of a text in one go. The numbers are written
// as formatReal writes them, straight into the text.
class CsvRow {
public:
    CsvRow(const SchemeResult& s, std::string_view regime, std::string_view kind) {
        integer(Source, s.source).integer(Mode, s.mode).text(RegimeColumn, regime).text(Kind, kind);
    }
    CsvRow& text(Column column, std::string_view value) {
        cells_[column] = {Cell::Text, value, 0};
        return *this;
    }
    CsvRow& integer(Column column, int value) {
        cells_[column] = {Cell::Integer, {}, static_cast<double>(value)};
        return *this;
    }
    CsvRow& real(Column column, double value) {
        cells_[column] = {Cell::Real, {}, value};
        return *this;
    }
    CsvRow& currents(const Currents& c) {
        return real(Ik3Max, c.ik3MaxKa).real(Ik2Max, c.ik2MaxKa).real(Ik3Min, c.ik3MinKa).real(Ik2Min, c.ik2MinKa);
    }
    CsvRow& totals(const Totals& t) {
        return real(P, t.pKw)
            .real(Q, t.qKvar)
            .real(Dp, t.dpKw)
            .real(Dq, t.dqKvar)
            .real(DpSections, t.dpSectionsKw)
            .real(DqSections, t.dqSectionsKvar)
            .real(DpTransformers, t.dpTransformersKw)
            .real(DqTransformers, t.dqTransformersKvar)
            .real(LossShare, t.lossSharePercent);
    }
    void writeTo(RowBytes& out, CsvDialect dialect) const {
        static_assert(kFormatRealRoom <= RowBytes::kLargest && kFormatNumberRoom <= RowBytes::kLargest);
        const bool spreadsheet = dialect == CsvDialect::Spreadsheet;
        const char separator = spreadsheet ? ';' : ',';
        for (int c = 0; c < ColumnCount; ++c) {
            if (c)
                out.put(separator);
            const Cell& cell = cells_[c];
            switch (cell.kind) {
            case Cell::None:
                break;
            case Cell::Text:
                appendCsvField(out, cell.text, separator);
                break;
            case Cell::Integer: {
                char* at = out.room(16);
                out.wrote(std::to_chars(at, at + 16, static_cast<int>(cell.value)).ptr);
                break;
            }
            case Cell::Real:
                if (spreadsheet) {
                    char* at = out.room(kFormatNumberRoom);
                    out.wrote(formatNumberTo(at, cell.value, kColumnQuantity[c]));
                } else {
                    char* at = out.room(kFormatRealRoom);
                    out.wrote(formatRealTo(at, cell.value));
                }
                break;
            }
        }
        out.put('\r');
        out.put('\n');
    }

private:
    struct Cell {
        enum Kind : unsigned char { None, Text, Integer, Real } kind = None;
        std::string_view text;
        double value = 0;
    };
    Cell cells_[ColumnCount];
};

void regimeCsv(const SchemeResult& s, const RegimeResult& r, std::string_view regime, const CsvWords& words,
               CsvDialect dialect, RowBytes& out) {
    // The lists of the same order walked in step: a step to the next row costs less than finding a row.
    auto voltage = r.nodes.begin();
    for (const NodeResult& node : s.nodes) {
        const NodeVoltage& v = *voltage++;
        CsvRow(s, regime, words.node)
            .text(Line, node.line)
            .text(Node, node.node)
            .real(Distance, node.distanceKm)
            .real(U, v.uKv)
            .real(Loss, v.lossPercent)
            .real(Deviation, v.deviationPercent)
            .writeTo(out, dialect);
    }
    auto flow = r.sections.begin();
    for (const SectionResult& x : s.sections) {
        const SectionFlow& f = *flow++;
        CsvRow(s, regime, words.section)
            .text(Line, x.line)
            .integer(Section, x.section)
            .text(Node, x.begin)
            .text(End, x.end)
            .real(P, f.pKw)
            .real(Q, f.qKvar)
            .real(I, f.iA)
            .real(Loading, f.loadingPercent)
            .real(Dp, f.dpKw)
            .real(Dq, f.dqKvar)
            .writeTo(out, dialect);
    }
    auto load = r.substations.begin();
    for (const SubstationResult& x : s.substations) {
        const SubstationLoad& y = *load++;
        CsvRow(s, regime, words.substation)
            .text(Line, x.line)
            .text(Node, x.node)
            .text(Transformer, x.transformer)
            .real(S, y.sKva)
            .real(Loading, y.loadingPercent)
            .real(Dp, y.dpKw)
            .real(Dq, y.dqKvar)
            .writeTo(out, dialect);
    }
    for (const LineTotals& line : r.lines)
        CsvRow(s, regime, words.line).text(Line, line.line).totals(line.totals).writeTo(out, dialect);
    CsvRow(s, regime, words.totals).totals(r.totals).writeTo(out, dialect);
}

void shortCircuitCsv(const SchemeResult& s, const CsvWords& words, CsvDialect dialect, RowBytes& out) {
    CsvRow(s, "", words.shortCircuit).currents(s.shortCircuit.busbars).writeTo(out, dialect);
    auto node = s.nodes.begin();
    for (const NodeShortCircuit& n : s.shortCircuit.nodes) {
        const NodeResult& at = *node++;
        CsvRow(s, "", words.shortCircuit)
            .text(Line, at.line)
            .text(Node, at.node)
            .real(ZMaxR, n.zMaxOhm.real())
            .real(ZMaxX, n.zMaxOhm.imag())
            .real(ZMinR, n.zMinOhm.real())
            .real(ZMinX, n.zMinOhm.imag())
            .currents(n.currents)
            .writeTo(out, dialect);
    }
    auto substation = s.substations.begin();
    for (const Currents& currents : s.shortCircuit.lowVoltage) {
        const SubstationResult& at = *substation++;
        CsvRow(s, "", words.lowVoltage)
            .text(Line, at.line)
            .text(Node, at.node)
            .text(Transformer, at.transformer)
            .currents(currents)
            .writeTo(out, dialect);
    }
}

} // namespace

int decimalsOf(Quantity quantity) {
    switch (quantity) {
    case Quantity::VoltageKv:
    case Quantity::ShortCircuitKa:
    case Quantity::ImpedanceOhm:
        return 3;
    case Quantity::LossPercent:
    case Quantity::Losses:
    case Quantity::LengthKm:
        return 2;
    case Quantity::Power:
    case Quantity::CurrentA:
    case Quantity::Loading:
        return 1;
    }
    return 3;
}

std::string formatNumber(double value, Quantity quantity) {
    char buffer[kFormatNumberRoom];
    return std::string(buffer, formatNumberTo(buffer, value, quantity));
}

std::string schemeReportText(const SchemeResult& scheme, const Settings& settings, bool builtInCoefficients) {
    std::string out = header(scheme, settings, builtInCoefficients) + problemsText(scheme) + excludedText(scheme);
    if (!scheme.calculated)
        return out + "Схема не рассчитана: исправьте ошибки.\n";
    out += deEnergisedText(scheme) + totalsText(scheme);
    for (int regime = 0; regime < 2; ++regime)
        out += linesText(scheme.regimes[regime], kRegimeCaptions[regime]);
    out += nodesText(scheme);
    for (int regime = 0; regime < 2; ++regime)
        out += sectionsText(scheme, scheme.regimes[regime], kRegimeCaptions[regime]);
    return out + substationsText(scheme) + shortCircuitText(scheme);
}

namespace {

// The number written with `decimals` digits after a decimal comma, as the exact conversion below writes it,
// for the common numbers whose scaled magnitude |value| 10^decimals lies below 2^31. The scaled value is the
// exact product rounded to the nearest double, and there every half lies among the doubles: rounding keeps
// the order, so a fraction above or below one half is so exactly too (as for the general form of reals).
// Returns null for the others (a fraction of exactly one half, large numbers, no number), which the exact
// conversion writes.
char* formatSmallNumberTo(char* out, double value, int decimals) {
    static constexpr double kScale[] = {1, 10, 100, 1000};
    if (decimals < 0 || decimals > 3)
        return nullptr;
    const double scaled = std::fabs(value) * kScale[decimals];
    if (!(scaled < 2147483648.0))
        return nullptr;
    const double whole = std::floor(scaled), fraction = scaled - whole;
    if (fraction == 0.5)
        return nullptr;
    const auto digits = static_cast<std::uint32_t>(whole) + (fraction > 0.5 ? 1u : 0u);
    // "-0,00": a negative value rounded to zero is written as zero.
    if (value < 0 && digits != 0)
        *out++ = '-';
    char text[16];
    const auto length = static_cast<int>(std::to_chars(text, text + sizeof text, digits).ptr - text);
    // Zeros in front up to one digit before the comma.
    const int width = std::max(length, decimals + 1), zeros = width - length;
    for (int i = 0; i < width; ++i) {
        if (i == width - decimals)
            *out++ = ',';
        *out++ = i < zeros ? '0' : text[i - zeros];
    }
    return out;
}

} // namespace

char* formatNumberTo(char* out, double value, Quantity quantity) {
    if (char* end = formatSmallNumberTo(out, value, decimalsOf(quantity)))
        return end;
    char* end = std::to_chars(out, out + kFormatNumberRoom, value, std::chars_format::fixed, decimalsOf(quantity)).ptr;
    char* point = std::find(out, end, '.');
    if (point != end)
        *point = ',';
    // "-0,00": a negative value rounded to zero is written as zero.
    if (*out == '-' && std::all_of(out + 1, end, [](char c) { return c == '0' || c == ','; })) {
        std::copy(out + 1, end, out);
        --end;
    }
    return end;
}

std::string csvHeader(CsvDialect dialect) {
    const bool spreadsheet = dialect == CsvDialect::Spreadsheet;
    // The byte order mark tells a spreadsheet the file is UTF-8.
    std::string out = spreadsheet ? "\xEF\xBB\xBF" : "";
    for (int c = 0; c < ColumnCount; ++c)
        out.append(c ? (spreadsheet ? ";" : ",") : "").append(spreadsheet ? kCsvColumnsRu[c] : kCsvColumns[c]);
    return out + "\r\n";
}

void appendSchemeCsv(const SchemeResult& s, std::string& out, CsvDialect dialect) {
    if (!s.calculated)
        return;
    const CsvWords& words = wordsOf(dialect);
    RowBytes rows(out);
    regimeCsv(s, s.regimes[0], words.day, words, dialect, rows);
    regimeCsv(s, s.regimes[1], words.evening, words, dialect, rows);
    shortCircuitCsv(s, words, dialect, rows);
    rows.flush();
}

std::string schemeCsv(const SchemeResult& s, CsvDialect dialect) {
    std::string out;
    appendSchemeCsv(s, out, dialect);
    return out;
}

} // namespace k10::calc
