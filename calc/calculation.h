#pragma once

#include "calc/result_rows.h"
#include "catalogs/catalog_files.h"
#include "catalogs/load_coefficients.h"
#include "model/project.h"

#include <complex>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The network calculation of one source in one scheme (the normal scheme or one of its operating modes):
// the checks, the load flow in the daytime and the evening maximum, and the short circuits in the maximum
// and the minimum system mode. Results are plain records; every text in them is UTF-8 (names of lines,
// nodes and transformers converted from the project's Windows-1251).
namespace k10::calc {

// The names of lines, nodes and transformers that the rows of results show, each converted to UTF-8 once
// for all the schemes of a source. A row names them by views into this store, which every result holding
// such views keeps alive; texts once added never move.
class NameStore {
public:
    NameStore() = default;
    NameStore(const NameStore&) = delete;
    NameStore& operator=(const NameStore&) = delete;

    std::string_view addCp1251(std::string_view cp1251);

private:
    char* grow(std::size_t bytes); // a new block of at least that many bytes
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = 0, size_ = 0; // of the last block
};

enum class Method { Exact, Engineering };
enum class ShortCircuitConvention { AverageVoltage, Iec60909 };

struct Settings {
    Method method = Method::Exact;
    ShortCircuitConvention shortCircuit = ShortCircuitConvention::AverageVoltage;
    double maxLossPercent = 5.0; // permissible voltage loss
    double busVoltagePercent = 100; // the busbars' voltage in per cent of the nominal (90 to 115)

    friend bool operator==(const Settings&, const Settings&) = default;
};

// What the calculation reads besides the project.
struct Inputs {
    const WireCatalog& wires;
    const TransCatalog& transformers;
    const LoadCoefficientTable& coefficients;
};

// The bounds of Settings::busVoltagePercent.
inline constexpr double kMinBusVoltagePercent = 90;
inline constexpr double kMaxBusVoltagePercent = 115;

enum class ProblemKind { Error, Warning };
enum class Regime { Day = 0, Evening = 1 };

// The codes of the problems, in the order of their groups: the source (P), the sections (S), the tree of a
// line (T), the mode (M), the results (R).
enum class ProblemCode {
    P1, P2, P3, P4, P5,
    S1, S2, S3, S4, S5, S6, S7, S8,
    T1, T2, T3, T4, T5,
    M1, M2, M3, M4, M5, M6, M7, M8, M9,
    R1, R2, R3, R4, R5
};

// "P1", "S3", ...
const char* problemCodeName(ProblemCode code);

struct Problem {
    std::string code; // "P1", "S3", "R2", ...: stable
    ProblemCode id = ProblemCode::P1; // the same code, for comparisons without texts
    ProblemKind kind = ProblemKind::Error;
    std::string line; // the line's name; empty where the problem concerns no line
    int lineIndex = 0;   // 1-based position of that line in the scheme's source; 0 when none or another source's
    int section = 0;     // 1-based position in the line; 0 where none
    std::string node;    // empty where none
    int regime = -1;     // 0 day, 1 evening for R1..R5; -1 otherwise
    std::string text;    // the Russian message
    // Of a result's warning (R1 to R4): the row in SchemeResult::nodes, and for R1 in
    // SchemeResult::sections, that it concerns; -1 otherwise.
    int nodeIndex = -1;
    int sectionIndex = -1;
};

// Names in the rows below are views into the store of their scheme (SchemeResult::names).
struct NodeRef {
    std::string_view line;
    std::string_view node;
};

// The scheme's nodes, sections and substations are listed once (SchemeResult::nodes, sections,
// substations); each regime and the short circuits give their numbers in lists of the same order. The
// lists of a mode share the rows of the lines it leaves as they are with its normal scheme's lists.

// A node: the head of a line on the busbars, then the nodes it feeds, parents first.
struct NodeResult {
    std::string_view line;
    std::string_view node;
    int parent = -1;          // index of the feeding node in the same list; -1 for a head on the busbars
    double distanceKm = 0;    // along the path from the busbars
};

// A section that carries power in the scheme, or the jumper; in the order of the nodes they feed.
struct SectionResult {
    std::string_view line;
    std::string_view begin;    // the fed end
    std::string_view end;
    int section = 0;           // 1-based position in its line; 0 for the jumper
    bool jumper = false;
    double permissibleA = 0;   // 0 for a 0 km jumper without a wire
    std::string_view wire;     // the catalog's name of its wire; empty for a jumper without one
    double lengthKm = 0;
};

// A node whose section has a transformer of the catalog.
struct SubstationResult {
    std::string_view line;
    std::string_view node;
    std::string_view transformer;
    double ratedKva = 0;
};

struct NodeVoltage {
    double uKv = 0;
    double lossPercent = 0;      // from the busbars: (U_0 - |U|) / U_nom * 100
    double deviationPercent = 0; // from the nominal: (|U| - U_nom) / U_nom * 100
};

struct SectionFlow {
    double pKw = 0, qKvar = 0; // at the begin
    double iA = 0;
    double loadingPercent = 0;
    double dpKw = 0, dqKvar = 0;
};

// The load of a substation (without its own losses), and its transformer's load losses.
struct SubstationLoad {
    double sKva = 0;
    double loadingPercent = 0;
    double dpKw = 0, dqKvar = 0;
};

struct Totals {
    double pKw = 0, qKvar = 0;   // supplied: the loads and all the losses
    double dpKw = 0, dqKvar = 0; // all the losses: the sections' and the transformers'
    double dpSectionsKw = 0, dqSectionsKvar = 0;
    double dpTransformersKw = 0, dqTransformersKvar = 0;
    double lossSharePercent = 0; // dP of supplied P
    NodeRef worstNode;
    double worstLossPercent = 0;
    std::string_view mostLoadedLine;
    int mostLoadedSection = 0; // 0 with the jumper
    double mostLoadedPercent = 0;
};

// The totals of one line: what its head takes from the busbars and what the part it feeds loses.
struct LineTotals {
    std::string_view line;
    Totals totals;
};

struct RegimeResult {
    int iterations = 0;
    Rows<NodeVoltage> nodes;          // of SchemeResult::nodes
    Rows<SectionFlow> sections;       // of SchemeResult::sections
    Rows<SubstationLoad> substations; // of SchemeResult::substations
    Totals totals;
    std::vector<LineTotals> lines; // per line fed from the busbars, in the order of the nodes
};

struct Currents {
    double ik3MaxKa = 0, ik2MaxKa = 0, ik3MinKa = 0, ik2MinKa = 0;
};

struct NodeShortCircuit {
    std::complex<double> zMaxOhm, zMinOhm;
    Currents currents;
};

struct ShortCircuitResult {
    Currents busbars;
    Rows<NodeShortCircuit> nodes; // of SchemeResult::nodes
    Rows<Currents> lowVoltage;    // on the 0.4 kV side of SchemeResult::substations
};

// A line of the source left out of a scheme for errors of its own (or for having no section).
struct ExcludedLine {
    std::string_view line;
    int lineIndex = 0; // 1-based among the source's lines
};

struct SchemeResult {
    int source = 0;           // 1-based
    std::string sourceName;
    int mode = 0;             // 0 the normal scheme, else the mode's 1-based number
    bool calculated = false;  // false when an error of the source or the mode refused the scheme, or no
                              // line could be calculated
    std::vector<Problem> problems;
    std::vector<ExcludedLine> excluded; // the source's lines left out, in the source's order
    std::vector<NodeRef> deEnergised;
    Rows<NodeResult> nodes;             // empty when not calculated, like all below
    Rows<SectionResult> sections;
    Rows<SubstationResult> substations;
    RegimeResult regimes[2];  // day, evening
    ShortCircuitResult shortCircuit;
    double nominalKv = 0;
    std::string modeText; // the mode in words, as modeDescription gives it; empty for the normal scheme
    std::shared_ptr<const NameStore> names; // holds the texts the names in the rows point to
};

// What no report can show, because the data do not allow it: one Russian sentence.
const char* notCalculatedNote();

// One scheme of one source: mode 0 is the normal scheme. source and mode are 1-based and must exist.
SchemeResult calculateScheme(const TProect& project, int source, int mode, const Inputs& inputs,
                             const Settings& settings);

// A scheme to calculate: source and mode as in calculateScheme.
struct SchemeRequest {
    int source = 0;
    int mode = 0;
};

// Calculates the schemes asked for on several threads at once (0: one per core of the machine, at most
// eight; 1: on the calling thread alone) and hands each result to `use` on the calling thread, in the order asked; a result
// lives only during its call (a copy may be kept). A few results are held at a time, whatever the number
// of schemes; each source's lines are checked and built once for all its schemes, and its modes take the
// lines they leave untouched from its normal scheme, whose flows are calculated once for each load factor
// that several of the modes asked for share (with the whole results asked for). The numbers are those of
// calculateScheme, whatever the number of threads. An exception thrown by `use` or by a calculation stops
// the work and reaches the caller.
// What of each result the caller of calculateSchemes reads: all of it, or only what identifies the scheme,
// whether it was calculated, and its problems. With the latter, a scheme's rows (nodes, sections,
// substations, the regimes' and the short circuits' numbers) may come empty: they are given back as soon
// as the scheme is calculated, so that the results waiting for the caller hold little.
enum class Content { Whole, Problems };

void calculateSchemes(const TProect& project, const std::vector<SchemeRequest>& requests, const Inputs& inputs,
                      const Settings& settings, const std::function<void(const SchemeResult&)>& use,
                      unsigned threads = 0, Content content = Content::Whole);

} // namespace k10::calc
