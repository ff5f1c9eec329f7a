// korvane10-tool calc: the network calculation of a project as a report, JSON or CSV (plain or for a
// spreadsheet).

#include "calc/calculation.h"
#include "calc/result_format.h"
#include "cli/calc_json.h"
#include "catalogs/catalog_files.h"
#include "catalogs/load_coefficients.h"
#include "cli/commands.h"
#include "model/project_file.h"
#include "text/file_io.h"
#include "text/number_parse.h"

#include <cmath>
#include <iostream>
#include <map>

namespace k10cli {

namespace {

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
        if (arg == "--help" || arg == "-h")
            throw HelpAsked{};
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
        } else if (arg == "--bus-voltage") {
            auto percent = k10::parseRealTrimmed(value);
            if (!percent || !(*percent >= kMinBusVoltagePercent && *percent <= kMaxBusVoltagePercent))
                throw UsageError{"--bus-voltage takes a percentage of the nominal voltage from 90 to 115, not \"" +
                                 value + "\""};
            o.settings.busVoltagePercent = *percent;
        } else if (arg == "--format")
            o.format = oneOf<std::string>(arg, value, {{"text", "text"}, {"json", "json"}, {"csv", "csv"}, {"csv-ru", "csv-ru"}});
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
    // Each format's text gathers in one buffer, written out whenever it grows past a megabyte.
    std::string out;
    auto flush = [&out](bool always) {
        if (always || out.size() > (1u << 20)) {
            std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
            out.clear();
        }
    };
    if (o.format == "json") {
        CalcJsonWriter json(out, o.settings, table.builtIn);
        calculateSchemes(project, requests, inputs, o.settings, [&](const SchemeResult& s) {
            json.add(s);
            flush(false);
        });
        json.finish();
    } else if (o.format == "csv" || o.format == "csv-ru") {
        const CsvDialect dialect = o.format == "csv" ? CsvDialect::Plain : CsvDialect::Spreadsheet;
        out = k10::calc::csvHeader(dialect);
        calculateSchemes(project, requests, inputs, o.settings, [&](const SchemeResult& s) {
            k10::calc::appendSchemeCsv(s, out, dialect);
            flush(false);
        });
    } else {
        bool first = true;
        calculateSchemes(project, requests, inputs, o.settings, [&](const SchemeResult& s) {
            if (!first)
                out += '\n';
            out += schemeReportText(s, o.settings, table.builtIn);
            first = false;
            flush(false);
        });
    }
    flush(true);
    return 0;
}

} // namespace k10cli
