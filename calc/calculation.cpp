#include "calc/calculation.h"

#include "calc/mode_description.h"
#include "calc/network_builder.h"
#include "calc/problems.h"
#include "calc/result_format.h"
#include "calc/short_circuit.h"
#include "text/codepage.h"
#include "text/number_parse.h"
#include "text/real_format.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

namespace k10::calc {

namespace {

// UTF-8 of each byte of Windows-1251, at most three bytes as every character of the page lies below
// U+10000: the bytes from the lowest up, and their count in the highest byte.
const std::array<std::uint32_t, 256>& utf8OfCp1251() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (int byte = 0; byte < 256; ++byte) {
            const char32_t code = cp1251ToUnicode(static_cast<unsigned char>(byte));
            std::uint32_t& u = t[static_cast<std::size_t>(byte)];
            if (code < 0x80)
                u = code | 1u << 24;
            else if (code < 0x800)
                u = (0xC0 | code >> 6) | (0x80 | (code & 0x3F)) << 8 | 2u << 24;
            else
                u = (0xE0 | code >> 12) | (0x80 | (code >> 6 & 0x3F)) << 8 | (0x80 | (code & 0x3F)) << 16 | 3u << 24;
        }
        return t;
    }();
    return table;
}

} // namespace

std::string_view NameStore::addCp1251(std::string_view cp1251) {
    static const std::array<std::uint32_t, 256>& utf8 = utf8OfCp1251();
    // Each character's bytes are written as a word of four, whose last byte the next character overwrites:
    // one byte more of room than the text takes.
    const std::size_t most = 3 * cp1251.size() + 1;
    char* begin = size_ - used_ >= most ? blocks_.back().get() + used_ : grow(most);
    char* end = begin;
    for (char c : cp1251) {
        const std::uint32_t u = utf8[static_cast<unsigned char>(c)];
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(end, &u, sizeof u);
        } else {
            end[0] = static_cast<char>(u);
            end[1] = static_cast<char>(u >> 8);
            end[2] = static_cast<char>(u >> 16);
        }
        end += u >> 24;
    }
    auto length = static_cast<std::size_t>(end - begin);
    used_ += length;
    return {begin, length};
}

char* NameStore::grow(std::size_t bytes) {
    size_ = std::max<std::size_t>(bytes, 64 * 1024);
    blocks_.emplace_back(new char[size_]);
    used_ = 0;
    return blocks_.back().get();
}

namespace {

// The names of the lines, nodes and transformers, converted once for all the schemes of a source: its own
// lines and the catalog's transformers at the start, so that schemes calculated on several threads at
// once only read them; another source's line, which a jumper reaches, when a scheme first needs it, under
// a lock.
class Names {
public:
    struct Line {
        std::string_view name;
        std::vector<std::string_view> nodes;
    };

    Names(const SourceLines& lines, const Inputs& inputs) : store_(std::make_shared<NameStore>()) {
        own_.reserve(lines.trees.size());
        for (const LineTree& tree : lines.trees)
            own_.push_back(convert(tree));
        for (const TTrans& t : inputs.transformers)
            transformers_.push_back(store_->addCp1251(trimBlanks(t.Name.view())));
        if (!inputs.wires.empty())
            firstWire_ = &*inputs.wires.begin();
        for (const TProvoda& w : inputs.wires)
            wires_.push_back(store_->addCp1251(trimBlanks(w.Name.view())));
    }

    std::shared_ptr<const NameStore> store() const { return store_; }

    // The line of a scheme: own lines come first among its trees.
    const Line& line(const LineTree& tree, std::size_t schemeTree) {
        if (schemeTree < own_.size())
            return own_[schemeTree];
        std::lock_guard lock(mutex_);
        auto [it, added] = foreign_.try_emplace(static_cast<long>(tree.source) * 1000 + tree.index);
        if (added)
            it->second = convert(tree);
        return it->second;
    }
    std::string_view transformer(const Catalogs& catalogs, const TTrans& t) const {
        return transformers_[catalogs.positionOf(t)];
    }
    // The name of a wire of the catalog; empty for none.
    std::string_view wire(const TProvoda* w) const {
        return w ? wires_[static_cast<std::size_t>(w - firstWire_)] : std::string_view();
    }

private:
    Line convert(const LineTree& tree) {
        Line line{store_->addCp1251(tree.name), {}};
        line.nodes.reserve(tree.nodes.size());
        for (std::string_view node : tree.nodes)
            line.nodes.push_back(store_->addCp1251(node));
        return line;
    }

    std::shared_ptr<NameStore> store_;
    std::vector<Line> own_;
    std::vector<std::string_view> transformers_;
    const TProvoda* firstWire_ = nullptr;
    std::vector<std::string_view> wires_; // of the wire catalog's entries, in its order
    std::mutex mutex_;
    std::unordered_map<long, Line> foreign_; // by source and position of the line; its nodes stay in place
};

} // namespace

namespace {

// A transformer's load losses (kW + j kvar) under a load of |S|^2 = s2 (kVA^2): with beta^2 = |S|^2 /
// S_r^2, dP_T = dP_k beta^2 and dQ_T = u_k / 100 S_r beta^2; the factors of s2 worked out once per entry
// of the catalog.
struct TransformerLosses {
    int rated = 0;
    double ratedKva = 0;
    double kwPerS2 = 0, kvarPerS2 = 0;

    explicit TransformerLosses(const TTrans& t) : rated(t.S), ratedKva(t.S) {
        if (t.S > 0) {
            kwPerS2 = t.dP / (ratedKva * ratedKva);
            kvarPerS2 = t.U / 100 / ratedKva;
        }
    }
    Complex at(double s2) const { return {kwPerS2 * s2, kvarPerS2 * s2}; }
};

std::vector<TransformerLosses> transformerLossesOf(const TransCatalog& catalog) {
    std::vector<TransformerLosses> losses;
    for (const TTrans& t : catalog)
        losses.emplace_back(t);
    return losses;
}

// The rows of one line of a scheme: nodes [nodes.first, nodes.second), with the sections and the
// substations of those nodes.
struct RowRange {
    std::pair<std::size_t, std::size_t> nodes, sections, substations;
};

// What the totals of a line gather over its rows: sums in the order of the rows, and the first row of the
// largest voltage loss and of the largest loading (npos when the line has none). The whole's are the sums
// of its lines' in their order, and the first largest of theirs.
struct RowSums {
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    double dpSections = 0, dqSections = 0, dpTransformers = 0, dqTransformers = 0;
    std::size_t worstNode = npos, mostLoaded = npos;

    // The sums of the same rows, found `nodes` and `sections` rows further on.
    RowSums shifted(std::ptrdiff_t nodes, std::ptrdiff_t sections) const {
        RowSums moved = *this;
        if (worstNode != npos)
            moved.worstNode = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(worstNode) + nodes);
        if (mostLoaded != npos)
            moved.mostLoaded = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(mostLoaded) + sections);
        return moved;
    }
};

RowSums lineSumsOf(const RegimeResult& rows, const RowRange& range) {
    // A line's rows lie together in each list: read as arrays, from the line's first row.
    const auto [firstNode, lastNode] = range.nodes;
    const auto [firstSection, lastSection] = range.sections;
    const auto [firstSubstation, lastSubstation] = range.substations;
    const NodeVoltage* nodes = rows.nodes.contiguous(firstNode, lastNode);
    const SectionFlow* sections = rows.sections.contiguous(firstSection, lastSection);
    const SubstationLoad* substations = rows.substations.contiguous(firstSubstation, lastSubstation);
    RowSums line;
    std::size_t worst = 0;
    for (std::size_t i = 1; i < lastNode - firstNode; ++i)
        if (nodes[i].lossPercent > nodes[worst].lossPercent)
            worst = i;
    line.worstNode = firstNode + worst;
    if (firstSection < lastSection) {
        std::size_t loaded = 0;
        for (std::size_t j = 0; j < lastSection - firstSection; ++j) {
            const SectionFlow& f = sections[j];
            line.dpSections += f.dpKw;
            line.dqSections += f.dqKvar;
            if (f.loadingPercent > sections[loaded].loadingPercent)
                loaded = j;
        }
        line.mostLoaded = firstSection + loaded;
    }
    for (std::size_t j = 0; j < lastSubstation - firstSubstation; ++j) {
        line.dpTransformers += substations[j].dpKw;
        line.dqTransformers += substations[j].dqKvar;
    }
    return line;
}

RowSums wholeOf(const RegimeResult& rows, const std::vector<RowSums>& lines) {
    RowSums whole;
    for (const RowSums& line : lines) {
        whole.dpSections += line.dpSections;
        whole.dqSections += line.dqSections;
        whole.dpTransformers += line.dpTransformers;
        whole.dqTransformers += line.dqTransformers;
        if (whole.worstNode == RowSums::npos ||
            rows.nodes[line.worstNode].lossPercent > rows.nodes[whole.worstNode].lossPercent)
            whole.worstNode = line.worstNode;
        if (line.mostLoaded != RowSums::npos &&
            (whole.mostLoaded == RowSums::npos ||
             rows.sections[line.mostLoaded].loadingPercent > rows.sections[whole.mostLoaded].loadingPercent))
            whole.mostLoaded = line.mostLoaded;
    }
    return whole;
}

// The totals of a part from its sums and the names of its worst node. `supplied` is the power entering the
// part: with the sections' losses from the exact sweep; the plain sum of the loads and the transformers'
// losses from the single pass, to which the sections' losses are added.
Totals totalsOf(const RowSums& sums, const SchemeResult& scheme, const RegimeResult& rows, NodeRef worstNode,
                Complex supplied, bool addSectionLosses) {
    Totals t;
    if (sums.worstNode != RowSums::npos) {
        t.worstNode = worstNode;
        t.worstLossPercent = std::max(0.0, rows.nodes[sums.worstNode].lossPercent);
    }
    if (sums.mostLoaded != RowSums::npos) {
        t.mostLoadedLine = scheme.sections[sums.mostLoaded].line;
        t.mostLoadedSection = scheme.sections[sums.mostLoaded].section;
        t.mostLoadedPercent = rows.sections[sums.mostLoaded].loadingPercent;
    }
    t.dpSectionsKw = sums.dpSections;
    t.dqSectionsKvar = sums.dqSections;
    t.dpTransformersKw = sums.dpTransformers;
    t.dqTransformersKvar = sums.dqTransformers;
    t.pKw = supplied.real();
    t.qKvar = supplied.imag();
    if (addSectionLosses) {
        t.pKw += t.dpSectionsKw;
        t.qKvar += t.dqSectionsKvar;
    }
    t.dpKw = t.dpSectionsKw + t.dpTransformersKw;
    t.dqKvar = t.dqSectionsKvar + t.dqTransformersKvar;
    t.lossSharePercent = t.pKw > 0 ? t.dpKw / t.pKw * 100 : 0;
    return t;
}

// The flows of the normal scheme under one load factor, kept for the modes with that factor: a line such a
// mode leaves untouched has the same voltages and flows there, as the lines hang on the busbars' fixed
// voltage and do not act on each other, and so the same rows, warnings and totals.
struct NormalFlows {
    bool calculated = false;
    const RegimeResult* regimes = nullptr; // of both regimes: the rows, and the totals of each line
    RegimeResult own[2];                   // the rows where they are not those of the normal scheme's result
    std::vector<Problem> warnings[2];      // R1 to R4 of the rows, in the order of their nodes
    std::vector<Complex> headSupplied[2];  // what each line takes from the busbars
    std::vector<int> lineIterations[2];    // the sweeps each line took
    std::vector<RowSums> lineSums[2];      // of each line's rows
};

// A value made once, by the first thread that asks for it. A thread asking while another makes it goes on
// without it rather than wait: what a scheme takes from such a value, it can also calculate anew, with the
// same numbers.
template <class T>
class MadeByFirst {
public:
    // The value, made here by `make` when no thread has begun it; null while another thread makes it.
    template <class Make>
    const T* get(Make&& make) {
        int state = state_.load(std::memory_order_acquire);
        if (state == None && state_.compare_exchange_strong(state, Making, std::memory_order_acquire)) {
            value_ = make();
            state_.store(Made, std::memory_order_release);
            return value_.get();
        }
        return state == Made ? value_.get() : nullptr;
    }

private:
    enum : int { None, Making, Made };
    std::atomic<int> state_{None};
    std::unique_ptr<const T> value_;
};

} // namespace

// What every scheme of a source shares: checked, built and named once, then only read, by as many
// threads as calculate its schemes.
struct SourceData {
    // `manyModes`: several modes of the source are to be calculated, which then share its normal scheme;
    // `sharedFactors`: the load factors other than 1 that several of them have.
    SourceData(const TProect& project, int source, const Inputs& inputs, const Settings& settings, bool manyModes,
               const std::vector<double>& sharedFactors = {})
        : project(project), settings(settings), manyModes(manyModes), catalogs(inputs),
          lines(buildSourceLines(project, source, catalogs)), names(lines, inputs),
          transformerLosses(transformerLossesOf(inputs.transformers)) {
        for (double factor : sharedFactors)
            scaled.try_emplace(factor);
    }

    const TProect& project;
    const Settings settings;
    const bool manyModes;
    const Catalogs catalogs;
    const SourceLines lines;
    Names names;
    const std::vector<TransformerLosses> transformerLosses; // of each catalog entry, in its order

    // The normal scheme calculated, made by the first thread that asks for it: a mode takes the lines it
    // leaves untouched from here, their part of the network, their rows and short circuits, and, when
    // the mode changes no load, their voltages and flows, which do not depend on the other lines.
    struct Normal {
        NormalScheme scheme;
        SchemeResult result; // only its nodes, sections, substations and short circuits when not calculated
        // Of each node and after the last: the sections, the substations and the heads of the nodes before it.
        std::vector<int> sectionsBefore, substationsBefore, headsBefore;
        NormalFlows flows; // its flows, for the modes that change no load
    };
    MadeByFirst<Normal> normal; // none when the source's lines have errors

    // The normal scheme's flows under each shared load factor, made when the first mode with it is calculated.
    std::map<double, MadeByFirst<NormalFlows>> scaled; // its keys fixed when made, so that threads only read it
};

namespace {

// Empties a result, keeping the room of its lists for the next scheme.
void clear(RegimeResult& r) {
    r.iterations = 0;
    r.nodes.clear();
    r.sections.clear();
    r.substations.clear();
    r.totals = Totals{};
    r.lines.clear();
}

void clear(SchemeResult& r) {
    r.calculated = false;
    r.problems.clear();
    r.excluded.clear();
    r.deEnergised.clear();
    r.nodes.clear();
    r.sections.clear();
    r.substations.clear();
    for (RegimeResult& regime : r.regimes)
        clear(regime);
    r.shortCircuit.busbars = Currents{};
    r.shortCircuit.nodes.clear();
    r.shortCircuit.lowVoltage.clear();
    r.modeText.clear();
}

} // namespace

// Calculates schemes one after another, keeping its working room between them.
class SchemeCalculator {
public:
    void calculate(SourceData& data, int mode, SchemeResult& r) {
        source_ = &data;
        normal_ = data.manyModes ? normalOf(data) : nullptr;
        if (mode == 0 && normal_ && normal_->result.calculated) {
            r = normal_->result;
            return;
        }
        // Before the mode's scheme is built: the flows of its load factor may be calculated first.
        const NormalFlows* flows = normal_ ? flowsFor(data, mode) : nullptr;
        begin(data, mode, r);
        std::vector<LineTree> foreign;
        foreign.reserve(1);
        if (!builder_.build(data.project, data.lines, mode, data.catalogs, foreign, r.problems, schemeRoom_,
                            normal_ ? &normal_->scheme : nullptr))
            return;
        scheme_ = &schemeRoom_;
        flowsFrom_ = flows;
        finish(r);
    }

private:
    // What a result says before its scheme is built: the source, the mode, the problems of the lines.
    void begin(SourceData& data, int mode, SchemeResult& r) {
        const SourceLines& lines = data.lines;
        clear(r);
        const TSource& source = *lines.source;
        r.source = lines.number;
        r.sourceName = cp1251ToUtf8(source.Name.view());
        r.mode = mode;
        r.nominalKv = source.Napr;
        r.names = data.names.store();
        r.problems = lines.problems;
        if (mode > 0)
            r.modeText = modeDescription(source.ModeWorks[mode], mode);
        for (std::size_t t = 0; t < lines.trees.size(); ++t)
            if (!lines.trees[t].valid)
                r.excluded.push_back({data.names.line(lines.trees[t], t).name, lines.trees[t].index});
    }

    // The built scheme's load flow and rows.
    void finish(SchemeResult& r) {
        const TSource& source = *source_->lines.source;
        nameLines();
        for (auto [tree, node] : scheme_->deEnergised) {
            const Names::Line& line = *lines_[static_cast<std::size_t>(tree)];
            r.deEnergised.push_back({line.name, line.nodes[static_cast<std::size_t>(node)]});
        }
        copyingFlows_ = flowsFrom_ && flowsFrom_->calculated && !scheme_->normalIndex.empty();
        if (!solveFlows(source.Napr, scheme_->loadFactor)) {
            for (Regime regime : {Regime::Day, Regime::Evening})
                if (!flows_[static_cast<int>(regime)].converged())
                    r.problems.push_back(notConverged(flows_[static_cast<int>(regime)], regime));
            return;
        }
        schemeRows(source, r);
        maxLossText_ = formatReal(settings().maxLossPercent);
        regimeResults(r);
        r.calculated = true;
    }

    // The load flow of the scheme's nodes, but for those of the lines taken from flowsFrom_: false when a
    // regime does not converge.
    bool solveFlows(double nominalKv, double loadFactor) {
        fillNetwork(nominalKv, loadFactor);
        if (settings().method == Method::Exact) {
            network_.load.swap(drawn_[0]);
            solver_.solveExact(network_, drawn_[1], flows_[0], flows_[1]);
            network_.load.swap(drawn_[0]);
        } else {
            for (int regime : {0, 1}) {
                network_.load.swap(drawn_[regime]);
                flows_[regime] = solveEngineering(network_);
                network_.load.swap(drawn_[regime]);
            }
        }
        return flows_[0].converged() && flows_[1].converged();
    }

    // The flows a mode takes its untouched lines from: the normal scheme's under the mode's load factor,
    // where they are kept; null otherwise.
    const NormalFlows* flowsFor(SourceData& data, int mode) {
        const std::optional<double> factor =
            mode > 0 ? loadFactorOf(data.lines.source->ModeWorks[mode]) : std::optional<double>(1.0);
        if (!factor)
            return nullptr;
        if (*factor == 1)
            return &normal_->flows;
        auto it = data.scaled.find(*factor);
        if (it == data.scaled.end())
            return nullptr;
        return it->second.get([&] { return scaledFlows(*factor); });
    }

    // The normal scheme's flows, rows, warnings and totals under a load factor.
    std::unique_ptr<const NormalFlows> scaledFlows(double factor) {
        auto flows = std::make_unique<NormalFlows>();
        SchemeResult& r = scaledRoom_;
        clear(r);
        r.sections = normal_->result.sections;
        r.substations = normal_->result.substations;
        scheme_ = &normal_->scheme.scheme;
        flowsFrom_ = nullptr;
        nameLines();
        copyingFlows_ = false;
        if (!normal_->result.calculated || !solveFlows(source_->lines.source->Napr, factor))
            return flows;
        maxLossText_ = formatReal(settings().maxLossPercent);
        regimeResults(r);
        keepFlows(r, *flows);
        for (int regime : {0, 1})
            flows->own[regime] = std::move(r.regimes[regime]);
        flows->regimes = flows->own;
        return flows;
    }

    // The flows of a calculated scheme of the normal scheme's nodes, for the modes that take lines from it.
    void keepFlows(const SchemeResult& r, NormalFlows& flows) const {
        flows.calculated = true;
        flows.regimes = r.regimes;
        for (const Problem& p : r.problems)
            if (p.nodeIndex >= 0)
                flows.warnings[p.regime].push_back(p);
        for (int regime : {0, 1}) {
            flows.headSupplied[regime] = headSupplied_[regime];
            flows.lineIterations[regime] = flows_[regime].lineIterations;
            flows.lineSums[regime] = lineSums_[regime];
        }
    }

    // The source's normal scheme; null when its lines have errors, or while another thread calculates it.
    const SourceData::Normal* normalOf(SourceData& data) {
        return data.normal.get([&]() -> std::unique_ptr<const SourceData::Normal> {
            if (data.lines.refused)
                return nullptr;
            auto normal = std::make_unique<SourceData::Normal>();
            SchemeResult& r = normal->result;
            begin(data, 0, r);
            std::vector<LineTree> foreign;
            builder_.build(data.project, data.lines, 0, data.catalogs, foreign, r.problems, normal->scheme.scheme);
            normal->scheme.findParts();
            scheme_ = &normal->scheme.scheme;
            normal_ = nullptr;
            flowsFrom_ = nullptr;
            finish(r);
            if (!r.calculated) // its rows all the same, for the modes' untouched lines
                schemeRows(*data.lines.source, r);
            for (std::vector<int>* before : {&normal->sectionsBefore, &normal->substationsBefore, &normal->headsBefore})
                before->assign(1, 0);
            for (const SchemeNode& node : scheme_->nodes) {
                normal->sectionsBefore.push_back(normal->sectionsBefore.back() + (node.parent >= 0 ? 1 : 0));
                normal->substationsBefore.push_back(normal->substationsBefore.back() + (node.transformer ? 1 : 0));
                normal->headsBefore.push_back(normal->headsBefore.back() + (node.parent < 0 ? 1 : 0));
            }
            if (r.calculated)
                keepFlows(r, normal->flows);
            return normal;
        });
    }

    const LineTree& treeAt(int tree) const { return *scheme_->trees[static_cast<std::size_t>(tree)]; }
    const LineTree& treeOf(const SchemeNode& node) const { return treeAt(node.tree); }
    // The names of the scheme's lines and their nodes, looked up once for all its rows.
    void nameLines() {
        lines_.clear();
        for (std::size_t t = 0; t < scheme_->trees.size(); ++t)
            lines_.push_back(&source_->names.line(*scheme_->trees[t], t));
    }
    // The names of scheme node i and of its line.
    NodeRef nodeRef(std::size_t i) const {
        const SchemeNode& node = scheme_->nodes[i];
        const Names::Line& line = *lines_[static_cast<std::size_t>(node.tree)];
        return {line.name, line.nodes[static_cast<std::size_t>(node.local)]};
    }
    NodeRef worstNodeOf(const RowSums& sums) const {
        return sums.worstNode == RowSums::npos ? NodeRef{} : nodeRef(sums.worstNode);
    }
    const Settings& settings() const { return source_->settings; }

    const TransformerLosses& lossesOf(const TTrans& t) const {
        return source_->transformerLosses[source_->catalogs.positionOf(t)];
    }

    // The network of the load flow: node 0 the busbars, then the scheme's nodes, each at flowIndex_ (0: left
    // out, its line's flows taken from the normal scheme). loads_ holds both regimes' loads (kW + j kvar)
    // with the mode's change; drawn_ what the nodes draw from the network, the loads with their
    // transformers' load losses (kW + j kvar).
    void fillNetwork(double nominalKv, double loadFactor) {
        network_.nominalKv = nominalKv;
        network_.busKv = nominalKv * settings().busVoltagePercent / 100;
        const std::vector<SchemeNode>& nodes = scheme_->nodes;
        flowIndex_.resize(nodes.size());
        std::size_t n = 1;
        for (std::size_t i = 0; i < nodes.size(); ++i)
            flowIndex_[i] = copyingFlows_ && scheme_->normalIndex[i] >= 0 ? 0 : n++;
        network_.parent.resize(n);
        network_.z.resize(n);
        for (int regime : {0, 1}) {
            loads_[regime].resize(n);
            drawn_[regime].resize(n);
            loads_[regime][0] = drawn_[regime][0] = Complex();
        }
        network_.parent[0] = -1;
        network_.z[0] = Complex();
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            const std::size_t k = flowIndex_[i];
            if (k == 0)
                continue;
            const SchemeNode& node = nodes[i];
            network_.parent[k] = node.parent < 0 ? 0 : static_cast<int>(flowIndex_[static_cast<std::size_t>(node.parent)]);
            network_.z[k] = node.z;
            for (int regime : {0, 1}) {
                const Complex load = node.load[regime] * loadFactor;
                loads_[regime][k] = load;
                drawn_[regime][k] =
                    node.transformer
                        ? load + lossesOf(*node.transformer).at(load.real() * load.real() + load.imag() * load.imag())
                        : load;
            }
        }
    }

    Problem notConverged(const FlowResult& flow, Regime regime) const {
        std::string why = flow.failure == FlowFailure::NoConvergence ? "за 100 итераций"
                          : flow.failure == FlowFailure::VoltageCollapse
                              ? "(напряжение падает ниже половины номинального)"
                              : "(расчёт пришёл к решению, которого нагрузка дать не может)";
        return makeProblem("R5", {},
                           std::string("расчёт установившегося режима ") +
                               regimeWord(static_cast<int>(regime)) + " не сходится " + why +
                               ": нагрузка слишком велика для сети; схема не рассчитана",
                           static_cast<int>(regime));
    }

    // The numbers of both regimes, with their warnings (R1 to R4), the day's first: each regime in one pass
    // over the nodes, writing its rows straight from the flow's lists, or sharing those of the lines taken
    // from the normal scheme; then the totals of the whole and of each line, gathered over the rows.
    void regimeResults(SchemeResult& r) {
        const std::vector<SchemeNode>& nodes = scheme_->nodes;
        const std::size_t n = nodes.size();
        // What the rows of both regimes read of each node calculated here, and the rows of each line: the same
        // in both. A line taken whole from the normal scheme has its rows there.
        rowOf_.resize(n);
        lineRows_.clear();
        std::size_t sections = 0, substations = 0;
        ownSections_ = ownSubstations_ = 0;
        for (std::size_t i = 0; i < n;) {
            RowRange range{{i, i}, {sections, sections}, {substations, substations}};
            if (flowIndex_[i] == 0) {
                const auto [first, last] = normal_->scheme.part[static_cast<std::size_t>(nodes[i].tree)];
                const auto a = static_cast<std::size_t>(first), b = static_cast<std::size_t>(last);
                i += b - a;
                sections += static_cast<std::size_t>(normal_->sectionsBefore[b] - normal_->sectionsBefore[a]);
                substations += static_cast<std::size_t>(normal_->substationsBefore[b] - normal_->substationsBefore[a]);
            } else {
                do {
                    const SchemeNode& node = nodes[i];
                    rowOf_[i] = {node.parent < 0 ? -1 : static_cast<int>(sections),
                                 node.transformer ? static_cast<int>(source_->catalogs.positionOf(*node.transformer)) : -1,
                                 node.wire ? node.wire->Tok * 1000 : 0};
                    sections += node.parent < 0 ? 0 : 1;
                    substations += node.transformer ? 1 : 0;
                    ownSections_ += node.parent < 0 ? 0 : 1;
                    ownSubstations_ += node.transformer ? 1 : 0;
                } while (++i < n && nodes[i].parent >= 0);
            }
            range.nodes.second = i;
            range.sections.second = sections;
            range.substations.second = substations;
            lineRows_.push_back(range);
        }
        const bool engineering = settings().method == Method::Engineering;
        for (int regime : {0, 1}) {
            RegimeResult& result = r.regimes[regime];
            const FlowResult& flow = flows_[regime];
            result.iterations = flow.iterations;
            const std::size_t heads = lineRows_.size();
            normalLine_.assign(heads, -1);
            std::vector<RowSums>& lineSums = lineSums_[regime];
            lineSums.resize(heads);
            headSupplied_[regime].resize(heads);
            result.lines.reserve(heads);
            // What each line takes from the busbars; the whole takes their sum, in the order of the lines.
            Complex supplied;
            for (std::size_t l = 0; l < heads; ++l) {
                const std::size_t i = lineRows_[l].nodes.first;
                result.lines.push_back({nodeRef(i).line, {}});
                if (flowIndex_[i] == 0) {
                    const int from = normal_->headsBefore[static_cast<std::size_t>(scheme_->normalIndex[i])];
                    normalLine_[l] = from;
                    headSupplied_[regime][l] = flowsFrom_->headSupplied[regime][static_cast<std::size_t>(from)];
                    result.iterations =
                        std::max(result.iterations, flowsFrom_->lineIterations[regime][static_cast<std::size_t>(from)]);
                } else {
                    headSupplied_[regime][l] = flow.sBegin[flowIndex_[i]];
                }
                supplied += headSupplied_[regime][l];
            }
            warnings_[regime].clear();
            rows(regime, result);
            // A line taken from the normal scheme has the sums it has there, of its rows in their new places.
            for (std::size_t l = 0; l < heads; ++l) {
                const RowRange& range = lineRows_[l];
                if (normalLine_[l] < 0) {
                    lineSums[l] = lineSumsOf(result, range);
                    continue;
                }
                const auto a = static_cast<std::size_t>(scheme_->normalIndex[range.nodes.first]);
                lineSums[l] = flowsFrom_->lineSums[regime][static_cast<std::size_t>(normalLine_[l])].shifted(
                    static_cast<std::ptrdiff_t>(range.nodes.first) - static_cast<std::ptrdiff_t>(a),
                    static_cast<std::ptrdiff_t>(range.sections.first) - normal_->sectionsBefore[a]);
            }
            const RowSums whole = wholeOf(result, lineSums);
            result.totals = totalsOf(whole, r, result, worstNodeOf(whole), supplied, engineering);
            for (std::size_t l = 0; l < heads; ++l)
                result.lines[l].totals =
                    normalLine_[l] >= 0
                        ? flowsFrom_->regimes[regime].lines[static_cast<std::size_t>(normalLine_[l])].totals
                        : totalsOf(lineSums[l], r, result, worstNodeOf(lineSums[l]), headSupplied_[regime][l],
                                   engineering);
            r.problems.insert(r.problems.end(), std::make_move_iterator(warnings_[regime].begin()),
                              std::make_move_iterator(warnings_[regime].end()));
        }
    }

    // The rows of one regime: each node's voltage, the flow in the section feeding it, the load of its
    // substation.
    void rows(int regime, RegimeResult& result) {
        const std::size_t n = scheme_->nodes.size();
        const FlowResult& flow = flows_[regime];
        const double uNom = network_.nominalKv, busKv = network_.busKv;
        const double maxLoss = settings().maxLossPercent;
        const Complex* load = loads_[regime].data();
        // Rows come in the order of their lists: the sections' and the substations' in the order of the
        // nodes they feed. Room for the rows of the nodes calculated here; the others' are shared.
        RegimeRowBuilders& out = regimeOut_;
        out.nodes.own.reserve(network_.parent.size() - 1);
        out.sections.own.reserve(ownSections_);
        out.substations.own.reserve(ownSubstations_);
        // The lists read, through local addresses that no store of the loop can change.
        const std::size_t* flowIndex = flowIndex_.data();
        const RowOf* rowOf = rowOf_.data();
        const double *uAbs = flow.uAbs.data(), *iA = flow.iA.data();
        const Complex *sBegin = flow.sBegin.data(), *branchLoss = flow.loss.data();
        const TransformerLosses* transformers = source_->transformerLosses.data();
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t k = flowIndex[i];
            if (k == 0) {
                std::size_t last = i + 1;
                while (last < n && flowIndex_[last] == 0 &&
                       scheme_->normalIndex[last] == scheme_->normalIndex[last - 1] + 1)
                    ++last;
                copyRegimePart(regime, i, last);
                i = last - 1;
                continue;
            }
            const RowOf of = rowOf[i];
            const double u = uAbs[k];
            const double loss = (busKv - u) / uNom * 100;
            out.nodes.own.push_back({u, loss, (u - uNom) / uNom * 100});
            if (loss > maxLoss)
                warnLoss(i, loss, regime);
            if (u < 0.9 * uNom)
                warnVoltage(i, u, regime);
            if (of.section >= 0) {
                const double permissible = of.permissibleA;
                const double current = iA[k];
                const double loading = permissible > 0 ? current / permissible * 100 : 0;
                out.sections.own.push_back({sBegin[k].real(), sBegin[k].imag(), current, loading,
                                            branchLoss[k].real(), branchLoss[k].imag()});
                if (permissible > 0 && current > permissible)
                    warnCurrent(i, of.section, current, permissible, regime);
            }
            if (of.transformer >= 0) {
                const TransformerLosses& t = transformers[of.transformer];
                const double pKw = load[k].real(), qKvar = load[k].imag();
                const double s2 = pKw * pKw + qKvar * qKvar;
                const double sKva = std::sqrt(s2);
                const Complex tLoss = t.at(s2);
                out.substations.own.push_back({sKva, sKva / t.ratedKva * 100, tLoss.real(), tLoss.imag()});
                // A load equal to the rating, through cos and sin, may come back a rounding error above it.
                if (sKva > t.ratedKva * (1 + 1e-9))
                    warnSubstation(i, sKva, t.rated, regime);
            }
        }
        out.nodes.moveTo(result.nodes);
        out.sections.moveTo(result.sections);
        out.substations.moveTo(result.substations);
    }

    // The rows of the scheme's nodes [first, last) taken from the normal scheme, whose lines they are
    // whole, with their warnings. Out of the loop of the rows, which stays short.
    [[gnu::noinline]] void copyRegimePart(int regime, std::size_t first, std::size_t last) {
        RegimeRowBuilders& out = regimeOut_;
        const RegimeResult& from = flowsFrom_->regimes[regime];
        const auto a = static_cast<std::size_t>(scheme_->normalIndex[first]), b = a + (last - first);
        const auto sections = static_cast<std::size_t>(normal_->sectionsBefore[a]),
                   sectionsEnd = static_cast<std::size_t>(normal_->sectionsBefore[b]);
        const auto substations = static_cast<std::size_t>(normal_->substationsBefore[a]),
                   substationsEnd = static_cast<std::size_t>(normal_->substationsBefore[b]);
        const int nodeShift = static_cast<int>(first) - static_cast<int>(a);
        const int sectionShift = static_cast<int>(out.sections.size()) - static_cast<int>(sections);
        out.nodes.share(from.nodes, a, b);
        out.sections.share(from.sections, sections, sectionsEnd);
        out.substations.share(from.substations, substations, substationsEnd);
        const std::vector<Problem>& warnings = flowsFrom_->warnings[regime];
        auto w = std::lower_bound(warnings.begin(), warnings.end(), static_cast<int>(a),
                                  [](const Problem& p, int node) { return p.nodeIndex < node; });
        for (; w != warnings.end() && w->nodeIndex < static_cast<int>(b); ++w) {
            Problem& p = warnings_[regime].emplace_back(*w);
            p.nodeIndex += nodeShift;
            if (p.sectionIndex >= 0)
                p.sectionIndex += sectionShift;
        }
    }

    // The warnings of the rows, out of their loop: most rows have none.
    // The texts are written into one room kept from one warning to the next.
    [[gnu::noinline]] void warnLoss(std::size_t i, double loss, int regime) {
        what_.assign("потеря напряжения ");
        appendNumber(loss, Quantity::LossPercent);
        what_.append(" % больше допустимой ").append(maxLossText_).append(" % (").append(regimeWord(regime)).append(")");
        warn("R2", i, 0, regime);
    }
    [[gnu::noinline]] void warnVoltage(std::size_t i, double u, int regime) {
        what_.assign("напряжение ");
        appendNumber(u, Quantity::VoltageKv);
        what_.append(" кВ ниже 0,9 номинального (").append(regimeWord(regime)).append(")");
        warn("R3", i, 0, regime);
    }
    [[gnu::noinline]] void warnCurrent(std::size_t i, int row, double current, double permissible, int regime) {
        what_.assign("ток ");
        appendNumber(current, Quantity::CurrentA);
        what_.append(" А больше допустимого ");
        appendNumber(permissible, Quantity::CurrentA);
        what_.append(" А (").append(regimeWord(regime)).append(")");
        warn("R1", i, scheme_->nodes[i].section, regime, row);
    }
    [[gnu::noinline]] void warnSubstation(std::size_t i, double sKva, int rated, int regime) {
        what_.assign("нагрузка подстанции ");
        appendNumber(sKva, Quantity::Power);
        what_.append(" кВА больше номинальной мощности трансформатора ")
            .append(std::to_string(rated))
            .append(" кВА (")
            .append(regimeWord(regime))
            .append(")");
        warn("R4", i, 0, regime);
    }
    void appendNumber(double value, Quantity quantity) {
        char number[kFormatNumberRoom];
        what_.append(number, formatNumberTo(number, value, quantity));
    }

    // A warning of a regime at scheme node i (and the section feeding it, its 1-based number in its line
    // and its row among the scheme's sections), its text in what_.
    void warn(const char* code, std::size_t i, int section, int regime, int sectionRow = -1) {
        const NodeRef at = nodeRef(i);
        Problem& p = warnings_[regime].emplace_back(
            makeProblem(code, at.line, placeIndex(scheme_->nodes[i]), section, at.node, what_, regime));
        p.nodeIndex = static_cast<int>(i);
        p.sectionIndex = sectionRow;
    }

    int placeIndex(const SchemeNode& node) const {
        const LineTree& tree = treeOf(node);
        return tree.source == scheme_->trees.front()->source ? tree.index : 0;
    }

    // The voltages behind the faults (kV): both system modes on the network, both on the 0.4 kV side.
    struct Voltages {
        VoltageFactors network, low;
        double referenceKv; // the voltage the path is referred from to 0.4 kV
        bool corrected;     // K_T applies
    };

    Voltages voltages(double uNom) const {
        if (settings().shortCircuit == ShortCircuitConvention::Iec60909)
            return {{1.10, 1.00}, {kLowVoltageMaxFactor, 0.95}, uNom, true};
        return {{1.05, 1.05}, {1.0, 1.0}, 1.05 * uNom, false};
    }

    static Currents currents(Complex zMax, Complex zMin, double uMaxKv, double uMinKv) {
        Currents c;
        c.ik3MaxKa = threePhaseCurrentKa(uMaxKv, zMax);
        c.ik2MaxKa = twoPhaseCurrentKa(c.ik3MaxKa);
        c.ik3MinKa = threePhaseCurrentKa(uMinKv, zMin);
        c.ik2MinKa = twoPhaseCurrentKa(c.ik3MinKa);
        return c;
    }

    // The rows of the normal scheme's nodes [first, last), their sections, substations and short circuits.
    // Out of the loop of the rows, which stays short.
    [[gnu::noinline]] void copyPart(std::size_t first, std::size_t last) {
        const SchemeResult& from = normal_->result;
        SchemeRowBuilders& out = schemeOut_;
        // The nodes are copied, as their parents' places move with them; the other rows are shared.
        const int shift = static_cast<int>(out.nodes.size()) - static_cast<int>(first);
        const NodeResult* nodes = from.nodes.contiguous(first, last);
        for (std::size_t i = 0; i < last - first; ++i) {
            NodeResult& node = out.nodes.own.emplace_back(nodes[i]);
            if (node.parent >= 0)
                node.parent += shift;
        }
        auto share = [](auto& to, const auto& list, const std::vector<int>& before, std::size_t a, std::size_t b) {
            to.share(list, static_cast<std::size_t>(before[a]), static_cast<std::size_t>(before[b]));
        };
        share(out.sections, from.sections, normal_->sectionsBefore, first, last);
        share(out.substations, from.substations, normal_->substationsBefore, first, last);
        out.shortCircuits.share(from.shortCircuit.nodes, first, last);
        share(out.lowVoltage, from.shortCircuit.lowVoltage, normal_->substationsBefore, first, last);
    }

    // The scheme's nodes, sections and substations, and the short circuits at them. The lines a mode
    // leaves as in the normal scheme have the same rows and the same paths, and so the same currents:
    // they are shared with the normal scheme's result, a run of lines at a time (the nodes copied).
    void schemeRows(const TSource& source, SchemeResult& r) {
        const std::vector<SchemeNode>& nodes = scheme_->nodes;
        ShortCircuitResult& sc = r.shortCircuit;
        const double uNom = source.Napr;
        const Voltages v = voltages(uNom);
        const Complex sysMax(source.R_Max, source.X_Max), sysMin(source.R_Min, source.X_Min);
        const double uMax = v.network.max * uNom, uMin = v.network.min * uNom;
        sc.busbars = currents(sysMax, sysMin, uMax, uMin);
        const double toLow = std::pow(kLowVoltageKv / v.referenceKv, 2);
        const bool copying = normal_ && !scheme_->normalIndex.empty();
        const std::size_t n = nodes.size();
        path_.resize(n);
        distance_.resize(n);
        SchemeRowBuilders& out = schemeOut_;
        out.nodes.own.reserve(n);
        if (!copying) { // the rows copied from the normal scheme are shared, but for the nodes
            out.sections.own.reserve(n);
            out.shortCircuits.own.reserve(n);
        }
        // The lists read, through local addresses that no store of the loop can change.
        const SchemeNode* node = nodes.data();
        const int* normalIndex = scheme_->normalIndex.data();
        const Names::Line* const* lines = lines_.data();
        Complex* path = path_.data();
        double* distance = distance_.data();
        const Names& names = source_->names;
        const Catalogs& catalogs = source_->catalogs;
        auto refOf = [node, lines](std::size_t i) -> NodeRef {
            const Names::Line& line = *lines[static_cast<std::size_t>(node[i].tree)];
            return {line.name, line.nodes[static_cast<std::size_t>(node[i].local)]};
        };
        for (std::size_t i = 0; i < n; ++i) {
            if (copying && normalIndex[i] >= 0) {
                std::size_t last = i + 1;
                while (last < n && normalIndex[last] == normalIndex[last - 1] + 1)
                    ++last;
                copyPart(static_cast<std::size_t>(normalIndex[i]), static_cast<std::size_t>(normalIndex[last - 1]) + 1);
                i = last - 1;
                continue;
            }
            // A node calculated here hangs on a node calculated here: the lines taken whole are fed from
            // the busbars alone.
            const SchemeNode& x = node[i];
            const auto parent = static_cast<std::size_t>(x.parent);
            const bool fed = x.parent >= 0;
            const NodeRef at = refOf(i);
            distance[i] = x.lengthKm + (fed ? distance[parent] : 0);
            out.nodes.own.push_back({at.line, at.node, x.parent, distance[i]});
            if (fed) {
                const bool jumper = x.feed == Feed::Jumper;
                const NodeRef from = refOf(parent);
                out.sections.own.push_back({jumper ? from.line : at.line, from.node, at.node, x.section, jumper,
                                            x.wire ? x.wire->Tok * 1000 : 0, names.wire(x.wire), x.lengthKm});
            }
            path[i] = x.z + (fed ? path[parent] : Complex());
            const Complex zMax = sysMax + path[i], zMin = sysMin + path[i];
            out.shortCircuits.own.push_back({zMax, zMin, currents(zMax, zMin, uMax, uMin)});
            if (!x.transformer)
                continue;
            const TTrans& t = *x.transformer;
            out.substations.own.push_back({at.line, at.node, names.transformer(catalogs, t), static_cast<double>(t.S)});
            const Complex zT = (v.corrected ? x.own->transformerCorrection : 1.0) * x.own->transformerZ;
            out.lowVoltage.own.push_back(currents(zMax * toLow + zT, zMin * toLow + zT,
                                                  v.low.max * kLowVoltageKv, v.low.min * kLowVoltageKv));
        }
        out.nodes.moveTo(r.nodes);
        out.sections.moveTo(r.sections);
        out.substations.moveTo(r.substations);
        out.shortCircuits.moveTo(sc.nodes);
        out.lowVoltage.moveTo(sc.lowVoltage);
    }

    SourceData* source_ = nullptr;
    const SourceData::Normal* normal_ = nullptr; // for a mode: the source's normal scheme
    const NormalFlows* flowsFrom_ = nullptr;     // the flows of the lines a mode leaves untouched
    SchemeResult scaledRoom_;                    // the rows of the normal scheme under another load factor
    const Scheme* scheme_ = nullptr;
    // Working room kept from one scheme to the next.
    SchemeBuilder builder_;
    Scheme schemeRoom_;
    std::vector<const Names::Line*> lines_;
    RadialNetwork network_;
    std::vector<Complex> loads_[2], drawn_[2];
    FlowSolver solver_;
    FlowResult flows_[2];
    bool copyingFlows_ = false; // the lines a mode leaves untouched take their flows from the normal scheme
    std::vector<std::size_t> flowIndex_; // of each scheme node in the network of the load flow
    std::vector<Complex> headSupplied_[2];
    std::vector<int> normalLine_; // of each line, its position in the normal scheme when taken from there
    // Of each node calculated here: the row of the section feeding it (-1 for a head), the catalog
    // position of its transformer (-1 for none) and the permissible current of its section, as the
    // section's row gives it; of each line, its rows.
    struct RowOf {
        int section, transformer;
        double permissibleA;
    };
    std::vector<RowOf> rowOf_;
    std::size_t ownSections_ = 0, ownSubstations_ = 0; // rows of the nodes calculated here
    // The rows of a scheme and of a regime, gathered before they are given to the result.
    struct SchemeRowBuilders {
        Rows<NodeResult>::Builder nodes;
        Rows<SectionResult>::Builder sections;
        Rows<SubstationResult>::Builder substations;
        Rows<NodeShortCircuit>::Builder shortCircuits;
        Rows<Currents>::Builder lowVoltage;
    } schemeOut_;
    struct RegimeRowBuilders {
        Rows<NodeVoltage>::Builder nodes;
        Rows<SectionFlow>::Builder sections;
        Rows<SubstationLoad>::Builder substations;
    } regimeOut_;
    std::vector<RowRange> lineRows_;
    std::vector<RowSums> lineSums_[2];
    std::string maxLossText_; // the permissible voltage loss as warnings R2 write it
    std::string what_;        // the text of the warning being made
    std::vector<Problem> warnings_[2];
    std::vector<Complex> path_;
    std::vector<double> distance_; // of each node from the busbars, as the rows give it
};

const char* notCalculatedNote() {
    return "Не рассчитываются, так как данных для этого нет: однофазные короткие замыкания, сети 0,38 кВ за "
           "подстанциями, потери холостого хода трансформаторов и их отпайки.";
}

SchemeResult calculateScheme(const TProect& project, int source, int mode, const Inputs& inputs,
                             const Settings& settings) {
    SchemeResult result;
    SchemeCalculator calculator;
    SourceData data(project, source, inputs, settings, false);
    calculator.calculate(data, mode, result);
    return result;
}

namespace {

// Gives back the memory of a result's rows.
void dropRows(SchemeResult& r) {
    r.nodes = {};
    r.sections = {};
    r.substations = {};
    for (RegimeResult& regime : r.regimes) {
        regime.nodes = {};
        regime.sections = {};
        regime.substations = {};
    }
    r.shortCircuit.nodes = {};
    r.shortCircuit.lowVoltage = {};
}

} // namespace

void calculateSchemes(const TProect& project, const std::vector<SchemeRequest>& requests, const Inputs& inputs,
                      const Settings& settings, const std::function<void(const SchemeResult&)>& use,
                      unsigned threads, Content content) {
    if (requests.empty())
        return;
    // Each thread holds a few megabytes of working room and one result of a large scheme: beyond eight the
    // memory grows faster than the time shrinks.
    if (threads == 0)
        threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, requests.size()));

    // Each source's shared data, made by the first thread that needs it and dropped after its last scheme.
    struct Source {
        std::once_flag made;
        std::unique_ptr<SourceData> data;
        std::atomic<std::size_t> left{0};
        int modes = 0;
        std::map<double, int> factors; // how many of its modes asked for have each load factor but 1
    };
    std::map<int, Source> sources;
    for (const SchemeRequest& request : requests) {
        Source& source = sources[request.source];
        ++source.left;
        source.modes += request.mode > 0 ? 1 : 0;
        if (request.mode > 0)
            if (auto factor = loadFactorOf(project.Sources[request.source].ModeWorks[request.mode]); factor && *factor != 1)
                ++source.factors[*factor];
    }

    // The calculation of request i by a calculator, into a result.
    auto calculate = [&](std::size_t i, SchemeCalculator& calculator, SchemeResult& result) {
        Source& source = sources.at(requests[i].source);
        std::call_once(source.made, [&] {
            // The flows kept for a shared load factor serve the rows of its modes: a caller of their
            // problems only has them calculated anew, which holds less memory.
            std::vector<double> shared;
            for (auto [factor, modes] : source.factors)
                if (modes > 1 && content == Content::Whole)
                    shared.push_back(factor);
            source.data = std::make_unique<SourceData>(project, requests[i].source, inputs, settings,
                                                       source.modes > 1, shared);
        });
        calculator.calculate(*source.data, requests[i].mode, result);
        if (--source.left == 0)
            source.data.reset();
    };
    if (threads == 1) {
        SchemeCalculator calculator;
        SchemeResult result;
        for (std::size_t i = 0; i < requests.size(); ++i) {
            calculate(i, calculator, result);
            use(result);
        }
        return;
    }

    // Results go round a ring of slots: request i into slot i % slots, taken by the caller in order. One
    // slot more than threads lets every thread work while the caller uses a result. With whole results of
    // a source's modes, three slots a thread: while a scheme that takes long (a mode whose flows are all
    // calculated anew) holds its slot until it is done, the other threads go on with the modes after it,
    // which may take a tenth of its time. Schemes of about the same size gain nothing from more slots, and
    // a caller of the problems alone (the check of a whole project) holds less memory at its peak without.
    const bool modes = std::any_of(sources.begin(), sources.end(), [](const auto& s) { return s.second.modes > 1; });
    const std::size_t slots = (content == Content::Whole && modes ? 3 : 1) * static_cast<std::size_t>(threads) + 1;
    std::vector<SchemeResult> results(slots);
    std::vector<bool> ready(slots, false);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0, used = 0;
    bool stopping = false;
    std::exception_ptr failure;

    auto work = [&] {
        SchemeCalculator calculator;
        for (;;) {
            std::size_t i;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stopping || next == requests.size() || next < used + slots; });
                if (stopping || next == requests.size())
                    return;
                i = next++;
            }
            try {
                calculate(i, calculator, results[i % slots]);
                // A result waiting for the caller then holds only what the caller reads. (On the calling
                // thread alone one result serves every scheme, and its rows keep their room.)
                if (content == Content::Problems)
                    dropRows(results[i % slots]);
            } catch (...) {
                std::lock_guard lock(mutex);
                if (!failure)
                    failure = std::current_exception();
                stopping = true;
            }
            {
                std::lock_guard lock(mutex);
                ready[i % slots] = true;
            }
            changed.notify_all();
        }
    };

    std::vector<std::thread> pool;
    auto stop = [&] {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        for (std::thread& t : pool)
            t.join();
    };
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back(work);
    try {
        for (std::size_t i = 0; i < requests.size(); ++i) {
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return ready[i % slots] || failure; });
                if (failure)
                    std::rethrow_exception(failure);
            }
            use(results[i % slots]);
            {
                std::lock_guard lock(mutex);
                ready[i % slots] = false;
                ++used;
            }
            changed.notify_all();
        }
    } catch (...) {
        stop();
        throw;
    }
    stop();
}

} // namespace k10::calc
