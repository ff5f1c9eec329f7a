// korvane10-tool calc: the network calculation of a project as a report, JSON or CSV.

#include "calc/calculation.h"
#include "calc/result_format.h"
#include "catalogs/catalog_files.h"
#include "catalogs/load_coefficients.h"
#include "cli/commands.h"
#include "model/project_file.h"
#include "text/file_io.h"
#include "text/number_parse.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <iostream>
#include <map>

namespace k10cli {

namespace {

using nlohmann::ordered_json;
using namespace k10::calc;

constexpr int kAll = -1;
constexpr int kNormalOnly = 0;

struct Options {
    std::string file;
    std::string dir;
    int source = kAll;
    int mode = kAll; // kNormalOnly, a mode's number, or kAll
    Settings settings;
    std::string format = "text";
};

int positiveNumber(const std::string& text, const std::string& option) {
    auto value = k10::parseInteger(text);
    if (!value || *value < 1)
        throw UsageError{option + " takes a number from 1 or \"all\", not \"" + text + "\""};
    return *value;
}

template <class Value>
Value oneOf(const std::string& option, const std::string& text, const std::map<std::string, Value>& values) {
    auto found = values.find(text);
    if (found == values.end())
        throw UsageError{"unknown value \"" + text + "\" of " + option};
    return found->second;
}

Options parseOptions(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (!arg.starts_with("--")) {
            if (!o.file.empty())
                throw UsageError{"one project file only"};
            o.file = arg;
            continue;
        }
        std::string value;
        if (auto eq = arg.find('='); eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            throw UsageError{arg + " needs a value"};
        }
        if (arg == "--dir")
            o.dir = value;
        else if (arg == "--source")
            o.source = value == "all" ? kAll : positiveNumber(value, arg);
        else if (arg == "--mode")
            o.mode = value == "all" ? kAll : value == "normal" ? kNormalOnly : positiveNumber(value, arg);
        else if (arg == "--method")
            o.settings.method =
                oneOf<Method>(arg, value, {{"exact", Method::Exact}, {"engineering", Method::Engineering}});
        else if (arg == "--sc")
            o.settings.shortCircuit =
                oneOf<ShortCircuitConvention>(arg, value,
                                              {{"average", ShortCircuitConvention::AverageVoltage},
                                               {"iec", ShortCircuitConvention::Iec60909}});
        else if (arg == "--max-loss") {
            auto percent = k10::parseRealTrimmed(value);
            if (!percent || !(*percent > 0 && *percent < 100))
                throw UsageError{"--max-loss takes a percentage above 0 and below 100, not \"" + value +
                                 "\""};
            o.settings.maxLossPercent = *percent;
        } else if (arg == "--format")
            o.format = oneOf<std::string>(arg, value, {{"text", "text"}, {"json", "json"}, {"csv", "csv"}});
        else
            throw UsageError{"unknown option " + arg};
    }
    if (o.file.empty())
        throw UsageError{"calc needs a project file"};
    return o;
}

std::string inFolder(const std::string& dir, const char* file) {
    if (dir.empty())
        return file;
    return dir.back() == '/' ? dir + file : dir + '/' + file;
}

// The schemes the options ask for, as (source, mode) pairs; a number that exists nowhere is wrong usage.
std::vector<std::pair<int, int>> schemesAsked(const TProect& project, const Options& o) {
    if (o.source != kAll && o.source > project.SourceCount())
        throw UsageError{"the project has no source " + std::to_string(o.source) + " (it has " +
                         std::to_string(project.SourceCount()) + ")"};
    std::vector<std::pair<int, int>> schemes;
    for (int s = 1; s <= project.SourceCount(); ++s) {
        if (o.source != kAll && s != o.source)
            continue;
        int modes = project.Sources[s].ModeWorkCount();
        if (o.mode == kAll || o.mode == kNormalOnly)
            for (int m = 0; m <= (o.mode == kAll ? modes : 0); ++m)
                schemes.emplace_back(s, m);
        else if (o.mode <= modes)
            schemes.emplace_back(s, o.mode);
    }
    if (o.mode > 0 && schemes.empty())
        throw UsageError{"no source asked for has a mode " + std::to_string(o.mode)};
    return schemes;
}

// JSON.

ordered_json currentsJson(const Currents& c) {
    return {{"ik3_max_ka", c.ik3MaxKa},
            {"ik2_max_ka", c.ik2MaxKa},
            {"ik3_min_ka", c.ik3MinKa},
            {"ik2_min_ka", c.ik2MinKa}};
}

ordered_json totalsJson(const Totals& t) {
    return {{"p_kw", t.pKw},
            {"q_kvar", t.qKvar},
            {"dp_kw", t.dpKw},
            {"dq_kvar", t.dqKvar},
            {"loss_share_percent", t.lossSharePercent},
            {"worst_node",
             {{"line", t.worstNode.line}, {"node", t.worstNode.node}, {"loss_percent", t.worstLossPercent}}},
            {"most_loaded_section",
             {{"line", t.mostLoadedLine},
              {"section", t.mostLoadedSection},
              {"loading_percent", t.mostLoadedPercent}}}};
}

ordered_json regimeJson(const SchemeResult& scheme, const RegimeResult& r) {
    ordered_json nodes = ordered_json::array(), sections = ordered_json::array(),
                 substations = ordered_json::array(), lines = ordered_json::array();
    for (std::size_t i = 0; i < scheme.nodes.size(); ++i) {
        const NodeResult& n = scheme.nodes[i];
        nodes.push_back({{"line", n.line},
                         {"node", n.node},
                         {"u_kv", r.nodes[i].uKv},
                         {"loss_percent", r.nodes[i].lossPercent}});
    }
    for (std::size_t i = 0; i < scheme.sections.size(); ++i) {
        const SectionResult& s = scheme.sections[i];
        const SectionFlow& f = r.sections[i];
        sections.push_back({{"line", s.line},
                            {"section", s.section},
                            {"begin", s.begin},
                            {"end", s.end},
                            {"jumper", s.jumper},
                            {"p_kw", f.pKw},
                            {"q_kvar", f.qKvar},
                            {"i_a", f.iA},
                            {"loading_percent", f.loadingPercent},
                            {"dp_kw", f.dpKw},
                            {"dq_kvar", f.dqKvar}});
    }
    for (std::size_t i = 0; i < scheme.substations.size(); ++i) {
        const SubstationResult& s = scheme.substations[i];
        const SubstationLoad& y = r.substations[i];
        substations.push_back({{"line", s.line},
                               {"node", s.node},
                               {"transformer", s.transformer},
                               {"s_kva", y.sKva},
                               {"loading_percent", y.loadingPercent},
                               {"dp_kw", y.dpKw}});
    }
    for (const LineTotals& l : r.lines) {
        ordered_json line = {{"line", l.line}};
        line.update(totalsJson(l.totals));
        lines.push_back(std::move(line));
    }
    return {{"iterations", r.iterations},      {"nodes", std::move(nodes)},
            {"sections", std::move(sections)}, {"substations", std::move(substations)},
            {"totals", totalsJson(r.totals)},  {"lines", std::move(lines)}};
}

ordered_json shortCircuitJson(const SchemeResult& scheme) {
    const ShortCircuitResult& sc = scheme.shortCircuit;
    ordered_json nodes = ordered_json::array(), low = ordered_json::array();
    for (std::size_t i = 0; i < sc.nodes.size(); ++i) {
        const NodeShortCircuit& n = sc.nodes[i];
        ordered_json node = {{"line", scheme.nodes[i].line},
                             {"node", scheme.nodes[i].node},
                             {"z_max_ohm", {n.zMaxOhm.real(), n.zMaxOhm.imag()}},
                             {"z_min_ohm", {n.zMinOhm.real(), n.zMinOhm.imag()}}};
        node.update(currentsJson(n.currents));
        nodes.push_back(std::move(node));
    }
    for (std::size_t i = 0; i < sc.lowVoltage.size(); ++i) {
        const SubstationResult& s = scheme.substations[i];
        ordered_json node = {{"line", s.line}, {"node", s.node}, {"transformer", s.transformer}};
        node.update(currentsJson(sc.lowVoltage[i]));
        low.push_back(std::move(node));
    }
    return {
        {"busbars", currentsJson(sc.busbars)}, {"nodes", std::move(nodes)}, {"low_voltage", std::move(low)}};
}

ordered_json schemeJson(const SchemeResult& s) {
    ordered_json problems = ordered_json::array(), off = ordered_json::array();
    for (const Problem& p : s.problems)
        problems.push_back({{"code", p.code},
                            {"kind", p.kind == ProblemKind::Error ? "error" : "warning"},
                            {"line", p.line},
                            {"section", p.section},
                            {"node", p.node},
                            {"text", p.text}});
    for (const NodeRef& n : s.deEnergised)
        off.push_back({{"line", n.line}, {"node", n.node}});
    ordered_json scheme = {
        {"source", s.source},         {"source_name", s.sourceName},     {"mode", s.mode},
        {"calculated", s.calculated}, {"problems", std::move(problems)}, {"de_energised", std::move(off)}};
    if (s.calculated) {
        scheme["regimes"] = {{"day", regimeJson(s, s.regimes[0])}, {"evening", regimeJson(s, s.regimes[1])}};
        scheme["short_circuit"] = shortCircuitJson(s);
    }
    return scheme;
}

// The JSON document written as the schemes come: the same text as one document dumped whole.
class JsonWriter {
public:
    JsonWriter(const Settings& settings, bool builtIn) {
        ordered_json document = {
            {"settings",
             {{"method", settings.method == Method::Exact ? "exact" : "engineering"},
              {"sc", settings.shortCircuit == ShortCircuitConvention::Iec60909 ? "iec" : "average"},
              {"max_loss_percent", settings.maxLossPercent},
              {"coefficients", builtIn ? "built-in" : k10::LoadCoefficientFile}}},
            {"schemes", ordered_json::array()}};
        std::string text = document.dump(2);
        std::cout << text.substr(0, text.rfind("[]")) << '[';
    }
    void add(const SchemeResult& s) {
        // An element of the array is indented by four more blanks than the document dumped alone.
        std::string text = schemeJson(s).dump(2);
        std::cout << (first_ ? "\n    " : ",\n    ");
        for (char c : text) {
            std::cout.put(c);
            if (c == '\n')
                std::cout << "    ";
        }
        first_ = false;
    }
    void finish() { std::cout << (first_ ? "]\n}\n" : "\n  ]\n}\n"); }

private:
    bool first_ = true;
};

} // namespace

int calc(const std::vector<std::string>& args) {
    Options o = parseOptions(args);
    TProect project = onFile(o.file, [&] { return k10::readProject(o.file); });
    std::vector<std::pair<int, int>> asked = schemesAsked(project, o);

    std::string wiresPath = inFolder(o.dir, k10::WireCatalogFile);
    std::string transPath = inFolder(o.dir, k10::TransCatalogFile);
    std::string tablePath = inFolder(o.dir, k10::LoadCoefficientFile);
    k10::WireCatalog wires = onFile(wiresPath, [&] { return k10::readWireCatalog(wiresPath); });
    k10::TransCatalog transformers = onFile(transPath, [&] { return k10::readTransCatalog(transPath); });
    // The table's own messages name the file and the row.
    k10::LoadCoefficientTable table =
        k10::fileExists(tablePath)
            ? k10::parseLoadCoefficients(onFile(tablePath, [&] { return k10::readWholeFile(tablePath); }),
                                         tablePath)
            : k10::builtInLoadCoefficients();

    // The schemes are calculated on the machine's cores and written one at a time, in order, so that a run
    // over many schemes never holds their results at once.
    std::vector<k10::calc::SchemeRequest> requests;
    for (auto [source, mode] : asked)
        requests.push_back({source, mode});
    const Inputs inputs{wires, transformers, table};
    if (o.format == "json") {
        JsonWriter json(o.settings, table.builtIn);
        calculateSchemes(project, requests, inputs, o.settings, [&](const SchemeResult& s) { json.add(s); });
        json.finish();
    } else if (o.format == "csv") {
        std::cout << k10::calc::csvHeader();
        calculateSchemes(project, requests, inputs, o.settings,
                         [&](const SchemeResult& s) { std::cout << k10::calc::schemeCsv(s); });
    } else {
        bool first = true;
        calculateSchemes(project, requests, inputs, o.settings, [&](const SchemeResult& s) {
            std::cout << (first ? "" : "\n") << schemeReportText(s, o.settings, table.builtIn);
            first = false;
        });
    }
    return 0;
}

} // namespace k10cli
