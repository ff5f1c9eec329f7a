#include "calc/calculation.h"

#include "calc/network_builder.h"
#include "calc/problems.h"
#include "calc/result_format.h"
#include "calc/short_circuit.h"
#include "text/codepage.h"
#include "text/number_parse.h"
#include "text/real_format.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace k10::calc {

namespace {

constexpr double kLowVoltageKv = 0.4;

// UTF-8 names of the lines and nodes, converted once for all the schemes of a source. A line is known by
// its source and position, which stay the same while the project is calculated.
class Names {
public:
    const std::string& line(const LineTree& tree) { return entry(tree).line; }
    const std::string& node(const LineTree& tree, int local) {
        Entry& e = entry(tree);
        auto i = static_cast<std::size_t>(local);
        if (e.nodes[i].empty())
            e.nodes[i] = cp1251ToUtf8(tree.nodes[i]);
        return e.nodes[i];
    }

private:
    struct Entry {
        std::string line;
        std::vector<std::string> nodes;
    };
    Entry& entry(const LineTree& tree) {
        auto [it, added] = entries_.try_emplace(static_cast<long>(tree.source) * 1000 + tree.index);
        if (added) {
            it->second.line = cp1251ToUtf8(tree.name);
            it->second.nodes.resize(tree.nodes.size());
        }
        return it->second;
    }
    std::unordered_map<long, Entry> entries_;
};

std::string quoted(std::string_view cp1251) {
    return "«" + cp1251ToUtf8(withoutTrailingBlanks(cp1251)) + "»";
}

std::string describeMode(const TModeWork& m) {
    std::string text;
    if (!withoutTrailingBlanks(m.Uzel_Begin.view()).empty() ||
        !withoutTrailingBlanks(m.Uzel_End.view()).empty()) {
        text = "перемычка от узла " + quoted(m.Uzel_Begin.view()) + " линии " + quoted(m.L_Begin.view()) +
               " к узлу " + quoted(m.Uzel_End.view()) + " линии " + quoted(m.L_End.view()) + ", " +
               formatReal(m.Dlina) + " км";
        if (!trimBlanks(m.Provod.view()).empty())
            text += ", " + cp1251ToUtf8(trimBlanks(m.Provod.view()));
    } else {
        text = "без перемычки";
    }
    if (!withoutTrailingBlanks(m.Uzel_Off.view()).empty())
        text += "; отключён узел " + quoted(m.Uzel_Off.view());
    text += "; изменение нагрузки " + std::string(m.Izm_Nagr > 0 ? "+" : "") + formatReal(m.Izm_Nagr) + " %";
    return text;
}

// The load of a node in a regime, kW + j kvar, with the mode's change.
Complex regimeLoad(const SectionData* own, const LoadCoefficientTable& table, Regime regime, double factor) {
    if (!own || own->loadKva <= 0 || own->code == 0)
        return {};
    const LoadCoefficients& k = table.forCode(own->code);
    bool day = regime == Regime::Day;
    double s = own->loadKva * (day ? k.kDay : k.kEvening) * factor;
    double cos = day ? k.cosDay : k.cosEvening;
    return {s * cos, s * std::sqrt(std::max(0.0, 1 - cos * cos))};
}

class SchemeCalculator {
public:
    SchemeCalculator(const TProect& project, const Catalogs& catalogs, const Settings& settings, Names& names)
        : project_(project), catalogs_(catalogs), settings_(settings), names_(names) {}

    SchemeResult calculate(const SourceLines& lines, int mode) {
        SchemeResult r;
        const TSource& source = *lines.source;
        r.source = lines.number;
        r.sourceName = cp1251ToUtf8(source.Name.view());
        r.mode = mode;
        r.nominalKv = source.Napr;
        r.problems = lines.problems;
        if (mode > 0)
            r.modeText = describeMode(source.ModeWorks[mode]);
        std::vector<LineTree> foreign;
        foreign.reserve(1);
        std::optional<Scheme> scheme = buildScheme(project_, lines, mode, catalogs_, foreign, r.problems);
        if (!scheme)
            return r;
        scheme_ = &*scheme;
        nameNodes();
        for (auto [tree, node] : scheme->deEnergised)
            r.deEnergised.push_back({names_.line(treeAt(tree)), names_.node(treeAt(tree), node)});

        RadialNetwork network = radialNetwork(source.Napr);
        bool converged = true;
        for (Regime regime : {Regime::Day, Regime::Evening}) {
            for (std::size_t i = 0; i < scheme->nodes.size(); ++i)
                network.load[i + 1] =
                    regimeLoad(scheme->nodes[i].own, catalogs_.coefficients(), regime, scheme->loadFactor);
            FlowResult flow =
                settings_.method == Method::Exact ? solveExact(network) : solveEngineering(network);
            if (!flow.converged()) {
                converged = false;
                r.problems.push_back(notConverged(flow, regime));
                continue;
            }
            r.regimes[static_cast<int>(regime)] = regimeResult(flow, network, regime, r.problems);
        }
        if (!converged) {
            r.regimes[0] = r.regimes[1] = RegimeResult{};
            r.problems.erase(std::remove_if(r.problems.begin(), r.problems.end(),
                                            [](const Problem& p) { return p.regime >= 0 && p.code != "R5"; }),
                             r.problems.end());
            return r;
        }
        r.shortCircuit = shortCircuits(source);
        r.calculated = true;
        return r;
    }

private:
    const LineTree& treeAt(int tree) const { return *scheme_->trees[static_cast<std::size_t>(tree)]; }
    const LineTree& treeOf(const SchemeNode& node) const { return treeAt(node.tree); }
    // The names of the scheme's nodes, looked up once for all its rows.
    void nameNodes() {
        nodeNames_.clear();
        lineNames_.clear();
        nodeNames_.reserve(scheme_->nodes.size());
        lineNames_.reserve(scheme_->nodes.size());
        for (const SchemeNode& node : scheme_->nodes) {
            nodeNames_.push_back(&names_.node(treeOf(node), node.local));
            lineNames_.push_back(&names_.line(treeOf(node)));
        }
    }
    std::size_t indexOf(const SchemeNode& node) const {
        return static_cast<std::size_t>(&node - scheme_->nodes.data());
    }
    const std::string& lineName(const SchemeNode& node) const { return *lineNames_[indexOf(node)]; }
    const std::string& nodeName(const SchemeNode& node) const { return *nodeNames_[indexOf(node)]; }
    const SchemeNode& parentOf(const SchemeNode& node) const {
        return scheme_->nodes[static_cast<std::size_t>(node.parent)];
    }

    RadialNetwork radialNetwork(double nominalKv) const {
        RadialNetwork network;
        network.nominalKv = nominalKv;
        std::size_t n = scheme_->nodes.size() + 1;
        network.parent.reserve(n);
        network.z.reserve(n);
        network.parent.push_back(-1);
        network.z.emplace_back();
        for (const SchemeNode& node : scheme_->nodes) {
            network.parent.push_back(node.parent + 1);
            network.z.push_back(node.z);
        }
        network.load.assign(n, Complex());
        return network;
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

    RegimeResult regimeResult(const FlowResult& flow, const RadialNetwork& network, Regime regime,
                              std::vector<Problem>& problems) {
        RegimeResult result;
        result.iterations = flow.iterations;
        const int regimeIndex = static_cast<int>(regime);
        const std::vector<SchemeNode>& nodes = scheme_->nodes;
        result.nodes.reserve(nodes.size());
        result.sections.reserve(nodes.size());
        result.substations.reserve(nodes.size());
        TotalsBuilder whole;
        std::vector<TotalsBuilder> lines;
        std::vector<std::size_t> lineOf(
            nodes.size()); // the line, in the order of the heads, feeding each node
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            const SchemeNode& node = nodes[i];
            const std::size_t k = i + 1;
            if (node.parent < 0) {
                lineOf[i] = lines.size();
                lines.emplace_back().supplied(flow.sBegin[k]);
                result.lines.push_back({lineName(node), {}});
            } else {
                lineOf[i] = lineOf[static_cast<std::size_t>(node.parent)];
            }
            TotalsBuilder& line = lines[lineOf[i]];

            result.nodes.push_back(
                nodeResult(node, flow.u[k], network.nominalKv, result.nodes, problems, regimeIndex));
            whole.node(result.nodes.back());
            line.node(result.nodes.back());
            if (node.parent >= 0) {
                result.sections.push_back(sectionResult(node, flow, k, problems, regimeIndex));
                whole.section(result.sections.back());
                line.section(result.sections.back());
            }
            if (node.own && node.own->transformer)
                result.substations.push_back(substation(node, network.load[k], problems, regimeIndex));
        }
        whole.supplied(flow.sBegin[0]);
        result.totals = whole.finish();
        for (std::size_t l = 0; l < lines.size(); ++l)
            result.lines[l].totals = lines[l].finish();
        return result;
    }

    // The totals of a part of the network, gathered row by row.
    class TotalsBuilder {
    public:
        void supplied(Complex s) {
            totals_.pKw = s.real();
            totals_.qKvar = s.imag();
        }
        void node(const NodeResult& n) {
            if (n.lossPercent > totals_.worstLossPercent || totals_.worstNode.node.empty()) {
                totals_.worstLossPercent = n.lossPercent;
                totals_.worstNode = {n.line, n.node};
            }
        }
        void section(const SectionResult& s) {
            totals_.dpKw += s.dpKw;
            totals_.dqKvar += s.dqKvar;
            if (s.loadingPercent > totals_.mostLoadedPercent || totals_.mostLoadedLine.empty()) {
                totals_.mostLoadedPercent = s.loadingPercent;
                totals_.mostLoadedLine = s.line;
                totals_.mostLoadedSection = s.section;
            }
        }
        Totals finish() {
            totals_.lossSharePercent = totals_.pKw > 0 ? totals_.dpKw / totals_.pKw * 100 : 0;
            totals_.worstLossPercent = std::max(0.0, totals_.worstLossPercent);
            return std::move(totals_);
        }

    private:
        Totals totals_;
    };

    Place placeOf(const SchemeNode& node, int section = 0) const {
        const LineTree& tree = treeOf(node);
        return {tree.name, placeIndex(node), section, tree.nodes[static_cast<std::size_t>(node.local)]};
    }

    NodeResult nodeResult(const SchemeNode& node, Complex u, double uNom, const std::vector<NodeResult>& done,
                          std::vector<Problem>& problems, int regime) {
        NodeResult n{lineName(node), nodeName(node), node.parent, node.lengthKm, magnitude(u), 0};
        if (node.parent >= 0)
            n.distanceKm += done[static_cast<std::size_t>(node.parent)].distanceKm;
        n.lossPercent = (uNom - n.uKv) / uNom * 100;
        if (n.lossPercent > settings_.maxLossPercent)
            problems.push_back(
                makeProblem("R2", placeOf(node),
                            "потеря напряжения " + formatNumber(n.lossPercent, Quantity::LossPercent) +
                                " % больше допустимой " + formatReal(settings_.maxLossPercent) + " % (" +
                                regimeWord(regime) + ")",
                            regime));
        if (n.uKv < 0.9 * uNom)
            problems.push_back(makeProblem("R3", placeOf(node),
                                           "напряжение " + formatNumber(n.uKv, Quantity::VoltageKv) +
                                               " кВ ниже 0,9 номинального (" + regimeWord(regime) + ")",
                                           regime));
        return n;
    }

    int placeIndex(const SchemeNode& node) const {
        const LineTree& tree = treeOf(node);
        return tree.source == scheme_->trees.front()->source ? tree.index : 0;
    }

    SectionResult sectionResult(const SchemeNode& node, const FlowResult& flow, std::size_t k,
                                std::vector<Problem>& problems, int regime) {
        const SchemeNode& parent = parentOf(node);
        SectionResult s;
        s.jumper = node.feed == Feed::Jumper;
        s.line = s.jumper ? lineName(parent) : lineName(node);
        s.section = node.section;
        s.begin = nodeName(parent);
        s.end = nodeName(node);
        s.pKw = flow.sBegin[k].real();
        s.qKvar = flow.sBegin[k].imag();
        s.iA = flow.iA[k];
        s.permissibleA = node.wire ? node.wire->Tok * 1000 : 0;
        s.loadingPercent = s.permissibleA > 0 ? s.iA / s.permissibleA * 100 : 0;
        s.dpKw = flow.loss[k].real();
        s.dqKvar = flow.loss[k].imag();
        if (s.permissibleA > 0 && s.iA > s.permissibleA)
            problems.push_back(makeProblem(
                "R1", placeOf(node, s.section),
                "ток " + formatNumber(s.iA, Quantity::CurrentA) + " А больше допустимого " +
                    formatNumber(s.permissibleA, Quantity::CurrentA) + " А (" + regimeWord(regime) + ")",
                regime));
        return s;
    }

    SubstationResult substation(const SchemeNode& node, Complex load, std::vector<Problem>& problems,
                                int regime) {
        const TTrans& t = *node.own->transformer;
        SubstationResult s;
        s.line = lineName(node);
        s.node = nodeName(node);
        s.transformer = cp1251ToUtf8(trimBlanks(t.Name.view()));
        s.sKva = magnitude(load);
        s.ratedKva = t.S;
        double share = s.sKva / s.ratedKva;
        s.loadingPercent = share * 100;
        s.dpKw = t.dP * share * share;
        // A load equal to the rating, through cos and sin, may come back a rounding error above it.
        if (s.sKva > s.ratedKva * (1 + 1e-9))
            problems.push_back(makeProblem("R4", placeOf(node),
                                           "нагрузка подстанции " + formatNumber(s.sKva, Quantity::Power) +
                                               " кВА больше номинальной мощности трансформатора " +
                                               std::to_string(t.S) + " кВА (" + regimeWord(regime) + ")",
                                           regime));
        return s;
    }

    // The voltages behind the faults (kV): both system modes on the network, both on the 0.4 kV side.
    struct Voltages {
        VoltageFactors network, low;
        double referenceKv;      // the voltage the path is referred from to 0.4 kV
        double correctionFactor; // c_max of the low-voltage side in K_T; 0: no correction
    };

    Voltages voltages(double uNom) const {
        if (settings_.shortCircuit == ShortCircuitConvention::Iec60909)
            return {{1.10, 1.00}, {1.05, 0.95}, uNom, 1.05};
        return {{1.05, 1.05}, {1.0, 1.0}, 1.05 * uNom, 0};
    }

    static Currents currents(Complex zMax, Complex zMin, double uMaxKv, double uMinKv) {
        Currents c;
        c.ik3MaxKa = threePhaseCurrentKa(uMaxKv, zMax);
        c.ik2MaxKa = twoPhaseCurrentKa(c.ik3MaxKa);
        c.ik3MinKa = threePhaseCurrentKa(uMinKv, zMin);
        c.ik2MinKa = twoPhaseCurrentKa(c.ik3MinKa);
        return c;
    }

    ShortCircuitResult shortCircuits(const TSource& source) {
        ShortCircuitResult sc;
        const double uNom = source.Napr;
        const Voltages v = voltages(uNom);
        const Complex sysMax(source.R_Max, source.X_Max), sysMin(source.R_Min, source.X_Min);
        const double uMax = v.network.max * uNom, uMin = v.network.min * uNom;
        sc.busbars = currents(sysMax, sysMin, uMax, uMin);
        const double toLow = std::pow(kLowVoltageKv / v.referenceKv, 2);
        std::vector<Complex> path(scheme_->nodes.size());
        sc.nodes.reserve(path.size());
        sc.lowVoltage.reserve(path.size());
        for (std::size_t i = 0; i < path.size(); ++i) {
            const SchemeNode& node = scheme_->nodes[i];
            path[i] = node.z + (node.parent >= 0 ? path[static_cast<std::size_t>(node.parent)] : Complex());
            Complex zMax = sysMax + path[i], zMin = sysMin + path[i];
            sc.nodes.push_back(
                {lineName(node), nodeName(node), zMax, zMin, currents(zMax, zMin, uMax, uMin)});
            if (!node.own || !node.own->transformer)
                continue;
            const TTrans& t = *node.own->transformer;
            Complex zT = transformerImpedance(t.S, t.U, t.dP, kLowVoltageKv);
            double kT =
                v.correctionFactor > 0 ? transformerCorrection(t.S, t.U, t.dP, v.correctionFactor) : 1;
            sc.lowVoltage.push_back({lineName(node), nodeName(node), cp1251ToUtf8(trimBlanks(t.Name.view())),
                                     currents(zMax * toLow + kT * zT, zMin * toLow + kT * zT,
                                              v.low.max * kLowVoltageKv, v.low.min * kLowVoltageKv)});
        }
        return sc;
    }

    const TProect& project_;
    const Catalogs& catalogs_;
    const Settings& settings_;
    Names& names_;
    const Scheme* scheme_ = nullptr;
    std::vector<const std::string*> nodeNames_, lineNames_;
};

} // namespace

const char* notCalculatedNote() {
    return "Не рассчитываются, так как данных для этого нет: однофазные короткие замыкания, сети 0,38 кВ за "
           "подстанциями, потери холостого хода трансформаторов и их отпайки.";
}

SchemeResult calculateScheme(const TProect& project, int source, int mode, const Inputs& inputs,
                             const Settings& settings) {
    Catalogs catalogs(inputs);
    SourceLines lines = buildSourceLines(project, source, catalogs);
    Names names;
    return SchemeCalculator(project, catalogs, settings, names).calculate(lines, mode);
}

std::vector<SchemeResult> calculateSource(const TProect& project, int source, const Inputs& inputs,
                                          const Settings& settings) {
    Catalogs catalogs(inputs);
    SourceLines lines = buildSourceLines(project, source, catalogs);
    Names names;
    SchemeCalculator calculator(project, catalogs, settings, names);
    std::vector<SchemeResult> schemes;
    for (int mode = 0; mode <= lines.source->ModeWorkCount(); ++mode)
        schemes.push_back(calculator.calculate(lines, mode));
    return schemes;
}

} // namespace k10::calc
