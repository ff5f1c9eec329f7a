#include "calc/result_format.h"

#include "text/real_format.h"

#include <algorithm>
#include <charconv>
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
                      (s.mode == 0 ? std::string("нормальная схема")
                                   : "режим " + std::to_string(s.mode) + ": " + s.modeText) +
                      "\n";
    out += std::string("Метод: ") +
           (settings.method == Method::Exact ? "точный (итерационный расчёт)"
                                             : "инженерный (однократный расчёт)") +
           "; токи КЗ: " +
           (settings.shortCircuit == ShortCircuitConvention::AverageVoltage ? "по среднему напряжению"
                                                                            : "по МЭК 60909") +
           "; допустимая потеря напряжения " + number(settings.maxLossPercent, Quantity::LossPercent) +
           " %\n";
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

std::string linesText(const SchemeResult& s) {
    TextTable t("Линии",
                {"Линия", "P днём, кВт", "ΔP днём, кВт", "ΔU днём, %", "P вечером, кВт", "ΔP вечером, кВт",
                 "ΔU вечером, %"},
                {false, true, true, true, true, true, true});
    for (std::size_t i = 0; i < s.regimes[0].lines.size(); ++i) {
        std::vector<std::string> row = {std::string(s.regimes[0].lines[i].line)};
        for (const RegimeResult& r : s.regimes) {
            const Totals& x = r.lines[i].totals;
            row.push_back(number(x.pKw, Quantity::Power));
            row.push_back(number(x.dpKw, Quantity::Losses));
            row.push_back(number(x.worstLossPercent, Quantity::LossPercent));
        }
        t.add(row);
    }
    return t.text();
}

std::string nodesText(const SchemeResult& s) {
    TextTable t("Узлы",
                {"Линия", "Узел", "От шин, км", "U днём, кВ", "ΔU днём, %", "U вечером, кВ", "ΔU вечером, %"},
                {false, false, true, true, true, true, true});
    for (std::size_t i = 0; i < s.nodes.size(); ++i) {
        const NodeResult& node = s.nodes[i];
        const NodeVoltage& day = s.regimes[0].nodes[i];
        const NodeVoltage& evening = s.regimes[1].nodes[i];
        t.add({std::string(node.line), std::string(node.node), number(node.distanceKm, Quantity::LengthKm),
               number(day.uKv, Quantity::VoltageKv), number(day.lossPercent, Quantity::LossPercent),
               number(evening.uKv, Quantity::VoltageKv), number(evening.lossPercent, Quantity::LossPercent)});
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
                 "S вечером, кВА", "Загрузка вечером, %", "ΔP вечером, кВт"},
                {false, false, false, true, true, true, true, true, true});
    for (std::size_t i = 0; i < s.substations.size(); ++i) {
        const SubstationResult& x = s.substations[i];
        std::vector<std::string> row = {std::string(x.line), std::string(x.node), std::string(x.transformer)};
        for (const RegimeResult& r : s.regimes) {
            const SubstationLoad& y = r.substations[i];
            row.push_back(number(y.sKva, Quantity::Power));
            row.push_back(number(y.loadingPercent, Quantity::Loading));
            row.push_back(number(y.dpKw, Quantity::Losses));
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

// CSV: one header for every kind of row; a row leaves empty the columns its kind does not have.
const std::vector<std::string> kCsvColumns = {"source",
                                              "mode",
                                              "regime",
                                              "kind",
                                              "line",
                                              "section",
                                              "node",
                                              "end",
                                              "transformer",
                                              "distance_km",
                                              "u_kv",
                                              "loss_percent",
                                              "p_kw",
                                              "q_kvar",
                                              "s_kva",
                                              "i_a",
                                              "loading_percent",
                                              "dp_kw",
                                              "dq_kvar",
                                              "z_max_r_ohm",
                                              "z_max_x_ohm",
                                              "z_min_r_ohm",
                                              "z_min_x_ohm",
                                              "ik3_max_ka",
                                              "ik2_max_ka",
                                              "ik3_min_ka",
                                              "ik2_min_ka"};

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

class CsvRow {
public:
    CsvRow(const SchemeResult& s, const char* regime, const char* kind) {
        set("source", std::to_string(s.source));
        set("mode", std::to_string(s.mode));
        set("regime", regime);
        set("kind", kind);
    }
    CsvRow& set(const std::string& column, std::string_view value) {
        auto at = std::find(kCsvColumns.begin(), kCsvColumns.end(), column) - kCsvColumns.begin();
        cells_[static_cast<std::size_t>(at)] = csvField(value);
        return *this;
    }
    CsvRow& real(const std::string& column, double value) { return set(column, formatReal(value)); }
    CsvRow& currents(const Currents& c) {
        return real("ik3_max_ka", c.ik3MaxKa)
            .real("ik2_max_ka", c.ik2MaxKa)
            .real("ik3_min_ka", c.ik3MinKa)
            .real("ik2_min_ka", c.ik2MinKa);
    }
    std::string text() const {
        std::string out;
        for (std::size_t i = 0; i < cells_.size(); ++i)
            out += (i ? "," : "") + cells_[i];
        return out + "\r\n";
    }

private:
    std::vector<std::string> cells_ = std::vector<std::string>(kCsvColumns.size());
};

void regimeCsv(const SchemeResult& s, const RegimeResult& r, const char* regime, std::string& out) {
    for (std::size_t i = 0; i < s.nodes.size(); ++i)
        out += CsvRow(s, regime, "node")
                   .set("line", s.nodes[i].line)
                   .set("node", s.nodes[i].node)
                   .real("distance_km", s.nodes[i].distanceKm)
                   .real("u_kv", r.nodes[i].uKv)
                   .real("loss_percent", r.nodes[i].lossPercent)
                   .text();
    for (std::size_t i = 0; i < s.sections.size(); ++i) {
        const SectionResult& x = s.sections[i];
        const SectionFlow& f = r.sections[i];
        out += CsvRow(s, regime, "section")
                   .set("line", x.line)
                   .set("section", std::to_string(x.section))
                   .set("node", x.begin)
                   .set("end", x.end)
                   .real("p_kw", f.pKw)
                   .real("q_kvar", f.qKvar)
                   .real("i_a", f.iA)
                   .real("loading_percent", f.loadingPercent)
                   .real("dp_kw", f.dpKw)
                   .real("dq_kvar", f.dqKvar)
                   .text();
    }
    for (std::size_t i = 0; i < s.substations.size(); ++i) {
        const SubstationResult& x = s.substations[i];
        const SubstationLoad& y = r.substations[i];
        out += CsvRow(s, regime, "substation")
                   .set("line", x.line)
                   .set("node", x.node)
                   .set("transformer", x.transformer)
                   .real("s_kva", y.sKva)
                   .real("loading_percent", y.loadingPercent)
                   .real("dp_kw", y.dpKw)
                   .text();
    }
}

void shortCircuitCsv(const SchemeResult& s, std::string& out) {
    out += CsvRow(s, "", "short_circuit").currents(s.shortCircuit.busbars).text();
    for (std::size_t i = 0; i < s.shortCircuit.nodes.size(); ++i) {
        const NodeShortCircuit& n = s.shortCircuit.nodes[i];
        out += CsvRow(s, "", "short_circuit")
                   .set("line", s.nodes[i].line)
                   .set("node", s.nodes[i].node)
                   .real("z_max_r_ohm", n.zMaxOhm.real())
                   .real("z_max_x_ohm", n.zMaxOhm.imag())
                   .real("z_min_r_ohm", n.zMinOhm.real())
                   .real("z_min_x_ohm", n.zMinOhm.imag())
                   .currents(n.currents)
                   .text();
    }
    for (std::size_t i = 0; i < s.shortCircuit.lowVoltage.size(); ++i)
        out += CsvRow(s, "", "low_voltage")
                   .set("line", s.substations[i].line)
                   .set("node", s.substations[i].node)
                   .set("transformer", s.substations[i].transformer)
                   .currents(s.shortCircuit.lowVoltage[i])
                   .text();
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
    char buffer[400];
    auto done =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimalsOf(quantity));
    std::string text(buffer, done.ptr);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string schemeReportText(const SchemeResult& scheme, const Settings& settings, bool builtInCoefficients) {
    std::string out = header(scheme, settings, builtInCoefficients) + problemsText(scheme);
    if (!scheme.calculated)
        return out + "Схема не рассчитана: исправьте ошибки.\n";
    out += deEnergisedText(scheme) + totalsText(scheme) + linesText(scheme) + nodesText(scheme);
    for (int regime = 0; regime < 2; ++regime)
        out += sectionsText(scheme, scheme.regimes[regime], kRegimeCaptions[regime]);
    return out + substationsText(scheme) + shortCircuitText(scheme);
}

std::string csvHeader() {
    std::string out;
    for (const std::string& column : kCsvColumns)
        out += (out.empty() ? "" : ",") + column;
    return out + "\r\n";
}

std::string schemeCsv(const SchemeResult& s) {
    std::string out;
    if (!s.calculated)
        return out;
    regimeCsv(s, s.regimes[0], "day", out);
    regimeCsv(s, s.regimes[1], "evening", out);
    shortCircuitCsv(s, out);
    return out;
}

} // namespace k10::calc
