// The network calculation against the reference cases computed by hand and by an independent script
// (relative 1e-4), the topology of lines, the modes, every check code, and the balance of power at every
// node of random radial networks.

#include "calc/calculation.h"
#include "calc/load_flow.h"
#include "calc/mode_description.h"
#include "calc/short_circuit.h"
#include "support/calc_projects.h"
#include "text/number_parse.h"

#include <QtTest>

#include <cmath>
#include <map>
#include <random>

using namespace k10::calc;
using k10test::CalcProject;
using k10test::Sec;

Q_DECLARE_METATYPE(k10::calc::RadialNetwork)
Q_DECLARE_METATYPE(k10::calc::Method)
Q_DECLARE_METATYPE(k10::calc::ShortCircuitConvention)

namespace {

bool closeTo(double actual, double expected) {
    return std::abs(actual - expected) <= 1e-4 * std::abs(expected);
}

#define QNEAR(actual, expected)                                                                              \
    QVERIFY2(closeTo((actual), (expected)), qPrintable(QString("%1 = %2, expected %3")                       \
                                                           .arg(#actual)                                     \
                                                           .arg((actual), 0, 'g', 10)                        \
                                                           .arg((expected), 0, 'g', 10)))

const double kNaN = std::nan("");

// Ohm per km of the wires of the reference cases.
const std::map<QString, Complex> kWires = {{"АС-25", {1.146, 0.397}}, {"АС-35", {0.773, 0.385}},
                                           {"АС-50", {0.592, 0.376}}, {"АС-70", {0.42, 0.365}},
                                           {"АС-95", {0.301, 0.355}}, {"ААБ-3х70", {0.443, 0.086}}};

struct Branch {
    int parent;
    double km;
    const char* wire;
    Complex load;
};

RadialNetwork network(double kv, const std::vector<Branch>& branches) {
    RadialNetwork n;
    n.nominalKv = kv;
    n.parent = {-1};
    n.z = {0};
    n.load = {0};
    for (const Branch& b : branches) {
        n.parent.push_back(b.parent);
        n.z.push_back(kWires.at(b.wire) * b.km);
        n.load.push_back(b.load);
    }
    return n;
}

RadialNetwork caseOne() {
    return network(10, {{0, 4, "АС-70", {300, 200}}, {1, 3, "АС-50", {200, 100}}});
}

RadialNetwork caseTwo() { // nodes A, B, C, D
    return network(10, {{0, 5, "АС-95", {368, 156.7673}},
                        {1, 2, "АС-50", {230, 97.9796}},
                        {1, 1.5, "ААБ-3х70", {120, 105.8301}},
                        {3, 2.5, "АС-35", {90, 43.5890}}});
}

RadialNetwork caseThree() {
    return network(6, {{0, 5, "АС-50", {600, 450}}});
}

// Case 8's flow: the load with its ТМ-400's losses, the busbars at 105 %.
RadialNetwork caseEight() {
    RadialNetwork n = network(10, {{0, 4, "АС-70", {304.46875, 214.625}}});
    n.busKv = 10.5;
    return n;
}

const Problem* find(const SchemeResult& r, const std::string& code) {
    for (const Problem& p : r.problems)
        if (p.code == code)
            return &p;
    return nullptr;
}

std::size_t indexOf(const SchemeResult& r, const std::string& name) {
    for (std::size_t i = 0; i < r.nodes.size(); ++i)
        if (r.nodes[i].node == name)
            return i;
    throw std::runtime_error("no node " + name);
}

const NodeVoltage& node(const SchemeResult& r, int regime, const std::string& name) {
    return r.regimes[regime].nodes[indexOf(r, name)];
}

const NodeShortCircuit& shortCircuitAt(const SchemeResult& r, const std::string& name) {
    return r.shortCircuit.nodes[indexOf(r, name)];
}

QStringList nodeNames(const SchemeResult& r) {
    QStringList names;
    for (const NodeResult& n : r.nodes)
        names << QString::fromUtf8(n.node.data(), qsizetype(n.node.size()));
    return names;
}

// Every row and number of two results, compared exactly; their problems too unless `numbersOnly`.
bool sameResults(const SchemeResult& a, const SchemeResult& b, bool numbersOnly = false) {
    auto same = [](const auto& x, const auto& y, auto equal) {
        return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), equal);
    };
    auto currents = [](const Currents& x, const Currents& y) {
        return x.ik3MaxKa == y.ik3MaxKa && x.ik2MaxKa == y.ik2MaxKa && x.ik3MinKa == y.ik3MinKa &&
               x.ik2MinKa == y.ik2MinKa;
    };
    auto sameProblem = [](const Problem& x, const Problem& y) {
        return x.code == y.code && x.text == y.text && x.line == y.line && x.section == y.section &&
               x.node == y.node && x.regime == y.regime && x.nodeIndex == y.nodeIndex &&
               x.sectionIndex == y.sectionIndex;
    };
    auto sameTotals = [](const Totals& x, const Totals& y) {
        return x.pKw == y.pKw && x.qKvar == y.qKvar && x.dpKw == y.dpKw && x.dqKvar == y.dqKvar &&
               x.dpTransformersKw == y.dpTransformersKw && x.dqTransformersKvar == y.dqTransformersKvar &&
               x.worstNode.node == y.worstNode.node && x.worstLossPercent == y.worstLossPercent &&
               x.mostLoadedLine == y.mostLoadedLine && x.mostLoadedSection == y.mostLoadedSection;
    };
    bool equal = (numbersOnly || same(a.problems, b.problems, sameProblem)) && a.calculated == b.calculated &&
                 same(a.deEnergised, b.deEnergised,
                      [](const NodeRef& x, const NodeRef& y) { return x.line == y.line && x.node == y.node; }) &&
                 same(a.nodes, b.nodes, [](const NodeResult& x, const NodeResult& y) {
                     return x.line == y.line && x.node == y.node && x.parent == y.parent && x.distanceKm == y.distanceKm;
                 }) &&
                 same(a.sections, b.sections, [](const SectionResult& x, const SectionResult& y) {
                     return x.line == y.line && x.begin == y.begin && x.end == y.end && x.section == y.section &&
                            x.jumper == y.jumper && x.permissibleA == y.permissibleA;
                 }) &&
                 same(a.substations, b.substations, [](const SubstationResult& x, const SubstationResult& y) {
                     return x.line == y.line && x.node == y.node && x.transformer == y.transformer &&
                            x.ratedKva == y.ratedKva;
                 }) &&
                 same(a.shortCircuit.nodes, b.shortCircuit.nodes,
                      [&](const NodeShortCircuit& x, const NodeShortCircuit& y) {
                          return x.zMaxOhm == y.zMaxOhm && x.zMinOhm == y.zMinOhm && currents(x.currents, y.currents);
                      }) &&
                 same(a.shortCircuit.lowVoltage, b.shortCircuit.lowVoltage, currents);
    for (int regime : {0, 1}) {
        const RegimeResult &x = a.regimes[regime], &y = b.regimes[regime];
        equal = equal && x.iterations == y.iterations && sameTotals(x.totals, y.totals) &&
                same(x.lines, y.lines,
                     [&](const LineTotals& p, const LineTotals& q) {
                         return p.line == q.line && sameTotals(p.totals, q.totals);
                     }) &&
                same(x.nodes, y.nodes,
                     [](const NodeVoltage& p, const NodeVoltage& q) {
                         return p.uKv == q.uKv && p.deviationPercent == q.deviationPercent;
                     }) &&
                same(x.sections, y.sections, [](const SectionFlow& p, const SectionFlow& q) {
                    return p.pKw == q.pKw && p.qKvar == q.qKvar && p.iA == q.iA && p.dpKw == q.dpKw;
                }) &&
                same(x.substations, y.substations,
                     [](const SubstationLoad& p, const SubstationLoad& q) {
                         return p.sKva == q.sKva && p.dqKvar == q.dqKvar;
                     });
    }
    return equal;
}

QString describe(const SchemeResult& r) {
    QStringList out;
    for (const Problem& p : r.problems)
        out << QString::fromStdString(p.code + " " + p.text);
    return out.join("; ");
}

} // namespace

class TestCalculation : public QObject {
    Q_OBJECT

private slots:
    // Cases 1 to 3 on the load flow alone, loads as P + jQ. NaN: the case states no figure.
    void loadFlowReferenceCases_data() {
        QTest::addColumn<RadialNetwork>("net");
        QTest::addColumn<Method>("method");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<QVector<double>>("losses"); // ΔU % of nodes 1..n
        QTest::addColumn<QVector<double>>("head");   // P, Q, I of the first branch
        QTest::addColumn<QVector<double>>("totalLosses");
        QTest::addColumn<int>("iterations");

        QTest::newRow("case 1 exact")
            << caseOne() << Method::Exact << -1.0 << QVector<double>{1.2975, 1.7740}
            << QVector<double>{506.8055, 305.6990, 34.171} << QVector<double>{6.8055, 5.6990} << 3;
        QTest::newRow("case 1 exact to 1e-10 kV")
            << caseOne() << Method::Exact << 1e-10 << QVector<double>{1.2975, 1.7740}
            << QVector<double>{506.8055, 305.6990, 34.171} << QVector<double>{6.8055, 5.6990} << 4;
        QTest::newRow("case 1 engineering")
            << caseOne() << Method::Engineering << -1.0 << QVector<double>{1.2780, 1.7460}
            << QVector<double>{500, 300, kNaN} << QVector<double>{5.712 + 0.888, kNaN} << 1;
        QTest::newRow("case 2 exact")
            << caseTwo() << Method::Exact << -1.0 << QVector<double>{1.9795, 2.3338, 2.1420, 2.3631}
            << QVector<double>{822.2706, 419.9814, 53.308} << QVector<double>{14.2706, 15.8154} << -1;
        QTest::newRow("case 2 engineering")
            << caseTwo() << Method::Engineering << -1.0 << QVector<double>{kNaN, kNaN, kNaN, 2.3081}
            << QVector<double>{kNaN, kNaN, kNaN} << QVector<double>{kNaN, kNaN} << 1;
        QTest::newRow("case 3 exact")
            << caseThree() << Method::Exact << -1.0 << QVector<double>{7.9109}
            << QVector<double>{kNaN, kNaN, 78.368} << QVector<double>{54.538, kNaN} << 4;
        QTest::newRow("case 3 exact to 1e-10 kV")
            << caseThree() << Method::Exact << 1e-10 << QVector<double>{7.9109}
            << QVector<double>{kNaN, kNaN, 78.368} << QVector<double>{54.538, kNaN} << 7;
        QTest::newRow("case 3 engineering")
            << caseThree() << Method::Engineering << -1.0 << QVector<double>{7.2833}
            << QVector<double>{kNaN, kNaN, kNaN} << QVector<double>{kNaN, kNaN} << 1;
        QTest::newRow("case 8 exact, busbars at 105 %")
            << caseEight() << Method::Exact << -1.0 << QVector<double>{0.791579}
            << QVector<double>{306.6155, 216.4906, 20.6384} << QVector<double>{2.146762, 1.865639} << -1;
        QTest::newRow("case 8 engineering, busbars at 105 %")
            << caseEight() << Method::Engineering << -1.0 << QVector<double>{0.824860}
            << QVector<double>{304.46875, 214.625, kNaN} << QVector<double>{2.331254, 2.025971} << 1;
    }
    void loadFlowReferenceCases() {
        QFETCH(RadialNetwork, net);
        QFETCH(Method, method);
        QFETCH(double, tolerance);
        QFETCH(QVector<double>, losses);
        QFETCH(QVector<double>, head);
        QFETCH(QVector<double>, totalLosses);
        QFETCH(int, iterations);

        FlowResult flow = method == Method::Exact ? solveExact(net, tolerance) : solveEngineering(net);
        QVERIFY(flow.converged());
        const double busKv = net.busKv > 0 ? net.busKv : net.nominalKv;
        QNEAR(std::abs(flow.u[0]), busKv);
        for (int i = 0; i < losses.size(); ++i)
            if (!std::isnan(losses[i]))
                QNEAR((busKv - std::abs(flow.u[static_cast<std::size_t>(i + 1)])) / net.nominalKv * 100,
                      losses[i]);
        const double expectedHead[3] = {head[0], head[1], head[2]};
        const double actualHead[3] = {flow.sBegin[1].real(), flow.sBegin[1].imag(), flow.iA[1]};
        for (int i = 0; i < 3; ++i)
            if (!std::isnan(expectedHead[i]))
                QNEAR(actualHead[i], expectedHead[i]);
        Complex loss;
        for (Complex l : flow.loss)
            loss += l;
        if (!std::isnan(totalLosses[0]))
            QNEAR(loss.real(), totalLosses[0]);
        if (!std::isnan(totalLosses[1]))
            QNEAR(loss.imag(), totalLosses[1]);
        if (iterations > 0)
            QCOMPARE(flow.iterations, iterations);
    }

    // The exact voltages of case 1, the second section of case 1, and the voltage of case 3.
    void loadFlowVoltagesAndSecondSection() {
        FlowResult one = solveExact(caseOne());
        QNEAR(std::abs(one.u[1]), 9.87025);
        QNEAR(std::abs(one.u[2]), 9.82260);
        QNEAR(one.sBegin[2].real(), 200.9204);
        QNEAR(one.sBegin[2].imag(), 100.5846);
        QNEAR(one.iA[2], 13.143);
        QNEAR(std::abs(solveExact(caseThree()).u[1]), 5.52535);
        // A tolerance that is no number is never reached.
        QVERIFY(solveExact(caseOne(), kNaN).failure == FlowFailure::NoConvergence);
    }

    // A line too heavy for its wire settles, if at all, where no load can be: refused, never reported.
    void overloadedLineIsRefused_data() {
        QTest::addColumn<RadialNetwork>("net");
        QTest::newRow("20 km АС-25 with 4.2 MVA at 6 kV")
            << network(6, {{0, 20, "АС-25", std::polar(4200.0, std::acos(0.8))}});
        QTest::newRow("10 MVA at the end of 10 km АС-35 at 6 kV")
            << network(6, {{0, 10, "АС-35", {8000, 6000}}});
    }
    void overloadedLineIsRefused() {
        QFETCH(RadialNetwork, net);
        QVERIFY(!solveExact(net).converged());
    }

    // Case 3's heavier variant: slow but converging, with warnings and no refusal.
    void heavyCaseThreeConvergesWithWarnings() {
        CalcProject c;
        TSource& s = c.addSource("S", 6);
        c.addLine(s, "1", {{"1", "a", 6, "АС-35", 600, 450}, {"a", "b", 4, "АС-25", 400, 300}});
        SchemeResult r = c.calculate(1, 0);
        QVERIFY2(r.calculated, qPrintable(describe(r)));
        QCOMPARE(r.regimes[0].iterations, 10);
        QCOMPARE(qRound(node(r, 0, "b").lossPercent * 10), 353);
        QVERIFY(find(r, "R2") && find(r, "R3") && !find(r, "R5"));
    }

    // Case 4: a jumper to another source's line, a node switched off there, loads +10 %.
    void caseFourMode() {
        CalcProject c;
        k10test::addCaseOneAndFour(c);
        SchemeResult r = c.calculate(1, 1, {Method::Exact, ShortCircuitConvention::Iec60909, 5});
        QVERIFY2(r.calculated, qPrintable(describe(r)));
        const RegimeResult& day = r.regimes[0];
        QCOMPARE(nodeNames(r), QStringList({"101", "1", "2", "c", "b"}));
        QNEAR(node(r, 0, "1").lossPercent, 1.9343);
        QNEAR(node(r, 0, "2").lossPercent, 2.9446);
        QNEAR(node(r, 0, "c").lossPercent, 3.3405);
        QNEAR(node(r, 0, "b").lossPercent, 3.5056);
        QNEAR(node(r, 0, "b").uKv, 9.64944);
        QNEAR(day.totals.pKw, 766.309);
        QNEAR(day.totals.qKvar, 443.573);
        QNEAR(day.totals.dpKw, 18.309);
        const SectionResult& jumper = r.sections[2];
        QVERIFY(jumper.jumper);
        QCOMPARE(jumper.begin, std::string_view("2"));
        QCOMPARE(jumper.end, std::string_view("c"));
        QNEAR(day.sections[2].iA, 13.235);
        // The section b→c of line 201 now carries power from c to b.
        QCOMPARE(std::string(r.sections[3].begin) + ">" + std::string(r.sections[3].end), std::string("c>b"));
        QCOMPARE(r.sections[3].section, 3);

        const NodeShortCircuit& nc = shortCircuitAt(r, "c");
        QNEAR(nc.zMaxOhm.real(), 5.352);
        QNEAR(nc.zMaxOhm.imag(), 4.778);
        QNEAR(nc.currents.ik3MaxKa, 0.8852);
        QNEAR(nc.currents.ik2MaxKa, 0.7666);
        QNEAR(nc.zMinOhm.real(), 5.522);
        QNEAR(nc.zMinOhm.imag(), 5.318);
        QNEAR(nc.currents.ik3MinKa, 0.7531);
        QNEAR(shortCircuitAt(r, "b").currents.ik3MaxKa, 0.7533);
        QNEAR(shortCircuitAt(r, "b").currents.ik3MinKa, 0.6479);
        // Line 201's head and first node stay with their own source.
        QCOMPARE(r.deEnergised.size(), std::size_t(0));
    }

    // Case 6: the short circuits of case 1 under both conventions, with a ТМ-160 at node 2.
    void caseSixShortCircuits_data() {
        QTest::addColumn<ShortCircuitConvention>("convention");
        QTest::addColumn<QVector<double>>("node2");   // I_k3 max, I_k2 max
        QTest::addColumn<QVector<double>>("busbars"); // I_k3 max, I_k3 min
        QTest::addColumn<QVector<double>>("lowSide"); // I_k3 max, I_k3 min at 0.4 kV (NaN: not stated)
        QTest::newRow("IEC 60909") << ShortCircuitConvention::Iec60909 << QVector<double>{1.1490, 0.9951}
                                   << QVector<double>{4.3425, 2.8472} << QVector<double>{4.6545, 4.1399};
        QTest::newRow("average voltage")
            << ShortCircuitConvention::AverageVoltage << QVector<double>{1.0968, 0.9499}
            << QVector<double>{4.1451, 2.9895} << QVector<double>{4.3966, kNaN};
    }
    void caseSixShortCircuits() {
        QFETCH(ShortCircuitConvention, convention);
        QFETCH(QVector<double>, node2);
        QFETCH(QVector<double>, busbars);
        QFETCH(QVector<double>, lowSide);
        CalcProject c;
        k10test::addCaseOneAndFour(c, "ТМ-160");
        SchemeResult r = c.calculate(1, 0, {Method::Exact, convention, 5});
        QVERIFY2(r.calculated, qPrintable(describe(r)));
        const NodeShortCircuit& n2 = shortCircuitAt(r, "2");
        QNEAR(n2.zMaxOhm.real(), 3.806);
        QNEAR(n2.zMaxOhm.imag(), 4.008);
        QNEAR(std::abs(n2.zMaxOhm), 5.52718);
        QNEAR(n2.currents.ik3MaxKa, node2[0]);
        QNEAR(n2.currents.ik2MaxKa, node2[1]);
        QNEAR(r.shortCircuit.busbars.ik3MaxKa, busbars[0]);
        QNEAR(r.shortCircuit.busbars.ik3MinKa, busbars[1]);
        QCOMPARE(r.shortCircuit.lowVoltage.size(), std::size_t(1));
        QNEAR(r.shortCircuit.lowVoltage[0].ik3MaxKa, lowSide[0]);
        if (!std::isnan(lowSide[1]))
            QNEAR(r.shortCircuit.lowVoltage[0].ik3MinKa, lowSide[1]);
    }

    // Case 6's 0.4 kV impedances and case 7, a published check of the IEC formulas: a 10 kV busbar of
    // 100 MVA (maximum) and 40 MVA (minimum), R/X 0.1, referred through 11/0.42 kV, two parallel 400 kVA
    // transformers (u_k 6 %, u_kr 0.5 %), fault on the 0.42 kV busbar.
    void shortCircuitFormulas() {
        // Case 6: the ТМ-160 (160 kVA, 4.5 %, 2.65 kW) behind node 2 of case 1.
        Complex path(0.35 + 4 * 0.42 + 3 * 0.592, 1.42 + 4 * 0.365 + 3 * 0.376);
        Complex zT = transformerImpedance(160, 4.5, 2.65, 0.4);
        QNEAR(transformerCorrection(160, 4.5, 2.65, 1.05), 0.973071);
        QNEAR(std::abs(path * std::pow(0.4 / 10.5, 2) + zT) * 1000, 52.527);
        QNEAR(std::abs(path * std::pow(0.4 / 10, 2) + 0.973071 * zT) * 1000, 52.097);

        auto lowSide = [](double sscMva, double cNetwork, double cMaxLow, double c) {
            double zQ = cNetwork * 10 * 10 / sscMva;
            Complex network = Complex(0.1, 1) * (zQ / std::sqrt(1.01)) * std::pow(0.42 / 11, 2);
            double ur = 0.5, uk = 6;
            Complex zT = transformerImpedance(400, uk, ur / 100 * 400, 0.42);
            double kT = transformerCorrection(400, uk, ur / 100 * 400, cMaxLow);
            return threePhaseCurrentKa(c * 0.4, network + kT * zT / 2.0);
        };
        QNEAR(lowSide(100, 1.1, 1.05, 1.05), 16.90591);
        QNEAR(lowSide(100, 1.1, 1.10, 1.10), 16.99226);
        QNEAR(lowSide(40, 1.0, 1.10, 0.95), 12.91247);
        QNEAR(twoPhaseCurrentKa(1.1490), 0.99506);
    }

    // Case 5: loads from a coefficient row, with the mode's change of load.
    void loadsFromTheCoefficientTable() {
        CalcProject c;
        c.table.rows[0] = {1.0, 0.6, 0.75, 0.80};
        TSource& s = c.addSource("S", 10);
        TLines& line = c.addLine(s, "1", {{"1", "a", 1, "АС-50"}});
        line.Sections[1].Max_Nagr = "160";
        line.Sections[1].Gr_Nagr = "1";
        c.addMode(c.project.Sources[1], "", "", "", "", 0, "", "", 10);
        SchemeResult r = c.calculate(1, 1, {Method::Engineering, ShortCircuitConvention::AverageVoltage, 5});
        QVERIFY2(r.calculated, qPrintable(describe(r)));
        QNEAR(r.regimes[0].sections[0].pKw, 132.000);
        QNEAR(r.regimes[0].sections[0].qKvar, 116.413);
        QNEAR(r.regimes[1].sections[0].pKw, 84.480);
        QNEAR(r.regimes[1].sections[0].qKvar, 63.360);
    }

    // Case 8 as a project: the ТМ-400's load losses drawn at its node, the busbars at 105 %, the supplied
    // power the loads and all the losses in both methods. Numbers: U1, δU1, supplied P and Q, the sections'
    // ΔP.
    void caseEightTransformerLosses_data() {
        QTest::addColumn<Method>("method");
        QTest::addColumn<QVector<double>>("numbers");
        QTest::newRow("exact") << Method::Exact << QVector<double>{10.420842, 4.208421, 306.6155, 216.4906, 2.146762};
        QTest::newRow("engineering") << Method::Engineering
                                     << QVector<double>{10.417514, 4.175140, 306.800004, 216.650971, 2.331254};
    }
    void caseEightTransformerLosses() {
        QFETCH(Method, method);
        QFETCH(QVector<double>, numbers);
        CalcProject c;
        c.addLine(c.addSource("S", 10), "1", {{"1", "1a", 4, "АС-70", 300, 200, "ТМ-400"}});
        Settings settings{method, ShortCircuitConvention::AverageVoltage, 5, 105};
        SchemeResult r = c.calculate(1, 0, settings);
        QVERIFY2(r.calculated, qPrintable(describe(r)));
        const RegimeResult& day = r.regimes[0];
        QNEAR(day.substations[0].dpKw, 4.46875);
        QNEAR(day.substations[0].dqKvar, 14.625);
        QNEAR(day.substations[0].sKva, std::hypot(300, 200)); // the loading without its own losses
        QNEAR(node(r, 0, "1a").uKv, numbers[0]);
        QNEAR(node(r, 0, "1a").deviationPercent, numbers[1]);
        QNEAR(node(r, 0, "1a").lossPercent, (10.5 - numbers[0]) / 10 * 100);
        QNEAR(node(r, 0, "1").uKv, 10.5);
        for (const Totals& t : {day.totals, day.lines[0].totals}) {
            QNEAR(t.pKw, numbers[2]);
            QNEAR(t.qKvar, numbers[3]);
            QNEAR(t.dpSectionsKw, numbers[4]);
            QNEAR(t.dpTransformersKw, 4.46875);
            QNEAR(t.dqTransformersKvar, 14.625);
            QNEAR(t.dpKw, numbers[4] + 4.46875);
            QNEAR(t.lossSharePercent, (numbers[4] + 4.46875) / numbers[2] * 100);
        }
        // The short circuits keep the average voltage, whatever the busbars'.
        SchemeResult nominal = c.calculate(1, 0, {method, ShortCircuitConvention::AverageVoltage, 5, 100});
        QCOMPARE(r.shortCircuit.nodes[1].currents.ik3MaxKa, nominal.shortCircuit.nodes[1].currents.ik3MaxKa);
    }

    // Lines of "begin>end" sections: the tree built, or the one problem that refuses it.
    // Sections "line:begin>end" go to that line ("102:" a line without sections), others to line 101. A
    // line with an error of its own is left out and the other lines calculated, with the very numbers
    // they get without it.
    void lineTopology_data() {
        QTest::addColumn<QStringList>("sections");
        QTest::addColumn<QString>("problem");   // "code section node", empty when the line is fine
        QTest::addColumn<QStringList>("nodes"); // in the order of the walk from the busbars
        QTest::addColumn<QStringList>("excluded");
        const QStringList none, only101{"101"};
        QTest::newRow("branch") << QStringList{"101>1", "1>2", "1>3"} << ""
                                << QStringList{"101", "1", "2", "3"} << none;
        QTest::newRow("any order") << QStringList{"1>2", "101>1"} << "" << QStringList{"101", "1", "2"} << none;
        QTest::newRow("branches in any order") << QStringList{"1>3", "101>1", "3>5", "1>2", "101>4"} << ""
                                               << QStringList{"101", "1", "3", "5", "2", "4"} << none;
        QTest::newRow("begin nobody's end") << QStringList{"101>1", "5>6"} << "T1 2 5" << none << only101;
        QTest::newRow("same pair twice") << QStringList{"101>1", "101>1"} << "S8 2 1" << none << only101;
        QTest::newRow("node fed twice")
            << QStringList{"101>1", "101>2", "1>3", "2>3"} << "T3 4 3" << none << only101;
        QTest::newRow("back to the head") << QStringList{"101>1", "1>101"} << "T4 2 101" << none << only101;
        QTest::newRow("closed loop") << QStringList{"101>1", "2>3", "3>2"} << "T5 2 2" << none << only101;
        QTest::newRow("same node") << QStringList{"101>101"} << "S1 1 101" << none << only101;
        QTest::newRow("head not named like the line")
            << QStringList{"X>1"} << "T2 1 X" << QStringList{"X", "1"} << none;
        QTest::newRow("trailing blanks")
            << QStringList{"101 >1", "1  >2"} << "" << QStringList{"101", "1", "2"} << none;
        QTest::newRow("faulty line left out, the other calculated")
            << QStringList{"101>1", "1>1", "102:102>5", "102:5>6"} << "S1 2 1" << QStringList{"102", "5", "6"}
            << only101;
        QTest::newRow("line without sections left out")
            << QStringList{"101>1", "102:", "103:103>7"} << "P5 0 " << QStringList{"101", "1", "103", "7"}
            << QStringList{"102"};
    }
    void lineTopology() {
        QFETCH(QStringList, sections);
        QFETCH(QString, problem);
        QFETCH(QStringList, nodes);
        QFETCH(QStringList, excluded);
        // The project, and the same without the lines to be left out.
        CalcProject c, without;
        std::map<QString, std::vector<Sec>> lines;
        for (QString s : sections) {
            QString line = s.contains(':') ? s.section(':', 0, 0) : "101";
            std::vector<Sec>& list = lines[line];
            s = s.section(':', -1);
            if (!s.isEmpty())
                list.push_back(
                    {s.section('>', 0, 0).toStdString(), s.section('>', 1, 1).toStdString(), 1, "АС-50", 10, 5});
        }
        TSource &source = c.addSource("S", 10), &other = without.addSource("S", 10);
        for (const auto& [name, list] : lines) {
            c.addLine(source, name.toStdString(), list);
            if (!excluded.contains(name))
                without.addLine(other, name.toStdString(), list);
        }
        SchemeResult r = c.calculate(1, 0);
        QStringList problems, left;
        for (const Problem& p : r.problems)
            problems << QString("%1 %2 %3").arg(p.code.c_str()).arg(p.section).arg(p.node.c_str());
        QCOMPARE(problems, problem.isEmpty() ? QStringList() : QStringList{problem});
        QCOMPARE(r.calculated, !nodes.isEmpty());
        QStringList walked;
        for (const NodeResult& n : r.nodes)
            walked << QString::fromUtf8(n.node.data(), qsizetype(n.node.size()));
        QCOMPARE(walked, nodes);
        for (const ExcludedLine& line : r.excluded)
            left << QString::fromUtf8(line.line.data(), qsizetype(line.line.size()));
        QCOMPARE(left, excluded);
        if (r.calculated && !excluded.isEmpty())
            QVERIFY(sameResults(r, without.calculate(1, 0), true));
    }

    // The rules of a mode on case 4's two sources; "line:node" entries, the jumper's flow "from>to".
    void modeRules_data() {
        // L_Begin, Uzel_Begin, L_End, Uzel_End, km, wire, Uzel_Off, and optionally the load change and a
        // line made faulty (its first section's wire unknown), which leaves it out.
        QTest::addColumn<QStringList>("mode");
        QTest::addColumn<QString>("problem"); // the first problem other than the faulty line's S3
        QTest::addColumn<QStringList>("nodes");
        QTest::addColumn<QStringList>("deEnergised");
        QTest::addColumn<QString>("description");
        const QStringList none, allOfLine101{"101", "1", "2"};
        QTest::newRow("case 4") << QStringList{"101", "2", "201", "c", "2", "АС-35", "b"} << ""
                                << QStringList{"101", "1", "2", "c", "b"} << none
                                << "Режим 1: перемычка 101/2 – 201/c, 2 км АС-35; разрыв перед узлом «b»";
        QTest::newRow("no node switched off: a ring")
            << QStringList{"101", "2", "201", "c", "2", "АС-35", ""} << "M7" << none << none
            << "Режим 1: перемычка 101/2 – 201/c, 2 км АС-35";
        QTest::newRow("switching off a re-roots a, b, c at c")
            << QStringList{"101", "2", "201", "c", "2", "АС-35", "a"} << ""
            << QStringList{"101", "1", "2", "c", "b", "a"} << none
            << "Режим 1: перемычка 101/2 – 201/c, 2 км АС-35; разрыв перед узлом «a»";
        QTest::newRow("head switched off: line detached")
            << QStringList{"", "", "", "", "0", "", "101"} << "" << none << allOfLine101
            << "Режим 1: разрыв перед узлом «101»";
        QTest::newRow("own node switched off, fed from the other source")
            << QStringList{"101", "1", "201", "c", "2", "АС-35", "1"} << "" << QStringList{"101"}
            << QStringList{"1", "2"} << "Режим 1: перемычка 101/1 – 201/c, 2 км АС-35; разрыв перед узлом «1»";
        QTest::newRow("a switch of 0 km without a wire")
            << QStringList{"101", "2", "201", "c", "0", "", "c"} << "" << QStringList{"101", "1", "2", "c"} << none
            << "Режим 1: перемычка 101/2 – 201/c; разрыв перед узлом «c»";
        QTest::newRow("off node found on L_Begin when not on L_End")
            << QStringList{"101", "", "201", "", "0", "", "2"} << "" << QStringList{"101", "1"}
            << QStringList{"2"} << "Режим 1: разрыв перед узлом «2»";
        QTest::newRow("jumper between two unfed parts feeds nothing")
            << QStringList{"101", "2", "101", "1", "0", "", "1"} << "" << QStringList{"101"}
            << QStringList{"1", "2"} << "Режим 1: перемычка 101/2 – 101/1; разрыв перед узлом «1»";
        QTest::newRow("load change alone") << QStringList{"", "", "", "", "0", "", "", "10"} << "" << allOfLine101
                                           << none << "Режим 1: нагрузка +10 %";
        QTest::newRow("nothing changed") << QStringList{"", "", "", "", "0", "", ""} << "" << allOfLine101 << none
                                         << "Режим 1: без изменений";
        QTest::newRow("jumper and a lower load")
            << QStringList{"101", "2", "201", "c", "2.5", "АС-35", "", "-15"} << "M7" << none << none
            << "Режим 1: перемычка 101/2 – 201/c, 2,5 км АС-35; нагрузка −15 %";
        QTest::newRow("opening and a higher load")
            << QStringList{"", "", "", "", "0", "", "2", "12.5"} << "" << QStringList{"101", "1"}
            << QStringList{"2"} << "Режим 1: разрыв перед узлом «2»; нагрузка +12,5 %";
        QTest::newRow("all three parts")
            << QStringList{"101", "2", "201", "c", "2", "АС-35", "b", "10"} << ""
            << QStringList{"101", "1", "2", "c", "b"} << none
            << "Режим 1: перемычка 101/2 – 201/c, 2 км АС-35; разрыв перед узлом «b»; нагрузка +10 %";
        QTest::newRow("jumper from a left-out line")
            << QStringList{"101", "2", "201", "c", "2", "АС-35", "b", "0", "101"} << "M9" << none << none
            << "Режим 1: перемычка 101/2 – 201/c, 2 км АС-35; разрыв перед узлом «b»";
        QTest::newRow("jumper to another source's left-out line: M9, not M7")
            << QStringList{"101", "2", "201", "c", "2", "АС-35", "", "0", "201"} << "M9" << none << none
            << "Режим 1: перемычка 101/2 – 201/c, 2 км АС-35";
        QTest::newRow("switched-off node on a left-out line")
            << QStringList{"", "", "201", "", "0", "", "a", "0", "201"} << "M9" << none << none
            << "Режим 1: разрыв перед узлом «a»";
    }
    void modeRules() {
        QFETCH(QStringList, mode);
        QFETCH(QString, problem);
        QFETCH(QStringList, nodes);
        QFETCH(QStringList, deEnergised);
        QFETCH(QString, description);
        CalcProject c;
        k10test::addCaseOneAndFour(c);
        c.project.Sources[1].ModeWorks.clear();
        c.addMode(c.project.Sources[1], mode[0].toStdString(), mode[1].toStdString(), mode[2].toStdString(),
                  mode[3].toStdString(), mode[4].toDouble(), mode[5].toStdString(), mode[6].toStdString(),
                  mode.value(7, "0").toDouble());
        if (mode.size() > 8)
            c.project.Sources[mode[8] == "101" ? 1 : 2].Lines[1].Sections[1].Provod = k10test::cp("АС-999");
        SchemeResult r = c.calculate(1, 1);
        QString first;
        QStringList codes;
        for (const Problem& p : r.problems) {
            codes << QString::fromStdString(p.code);
            if (first.isEmpty() && p.code != "S3")
                first = QString::fromStdString(p.code);
        }
        QCOMPARE(first, problem);
        QVERIFY(!codes.contains("M7") || !codes.contains("M9"));
        QStringList walked, off;
        for (const NodeResult& n : r.nodes)
            walked << QString::fromUtf8(n.node.data(), qsizetype(n.node.size()));
        for (const NodeRef& n : r.deEnergised)
            off << QString::fromUtf8(n.node.data(), qsizetype(n.node.size()));
        QCOMPARE(walked, nodes);
        QCOMPARE(off, deEnergised);
        QCOMPARE(QString::fromStdString(r.modeText), description);
        QCOMPARE(QString::fromStdString(modeDescription(c.project.Sources[1].ModeWorks[1], 1)), description);
    }

    // The load change multiplies every load fed in the scheme, those taken over through the jumper too.
    void loadChangeScalesEveryFedLoad() {
        CalcProject c;
        k10test::addCaseOneAndFour(c);
        Settings engineering{Method::Engineering, ShortCircuitConvention::AverageVoltage, 5};
        SchemeResult r = c.calculate(1, 1, engineering);
        QVERIFY2(r.calculated, qPrintable(describe(r)));
        // The supplied power less the sections' losses (there are no transformers).
        QNEAR(r.regimes[0].totals.pKw - r.regimes[0].totals.dpKw, (300 + 200 + 80 + 100) * 1.1);
        QNEAR(r.regimes[1].totals.qKvar - r.regimes[1].totals.dqKvar, (200 + 100 + 40 + 50) * 1.1);
    }

    // Every check code once: the edit that provokes it on case 4's project (the row's name, whose first
    // two letters are the code), its kind, and whether the scheme is then calculated. A row with busbars
    // other than at 100 % gets its code from them: at 100 % it has none.
    void checkCodes_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("error");
        QTest::addColumn<double>("busVoltage");
        const std::vector<std::tuple<const char*, int, bool, double>> rows = {
            {"P1", 0, true, 100},  {"P2", 0, false, 100}, {"P3", 0, true, 100},  {"P4", 0, false, 100},
            {"P5", 0, false, 100}, {"S1", 0, true, 100},  {"S2", 0, true, 100},  {"S3", 0, true, 100},
            {"S4", 0, true, 100},  {"S5", 0, true, 100},  {"S6", 0, false, 100}, {"S7", 0, false, 100},
            {"S8", 0, true, 100},  {"T1", 0, true, 100},  {"T2", 0, false, 100}, {"T3", 0, true, 100},
            {"T4", 0, true, 100},  {"T5", 0, true, 100},  {"M1", 1, true, 100},  {"M2", 1, true, 100},
            {"M3", 1, true, 100},  {"M4", 1, true, 100},  {"M5", 1, true, 100},  {"M6", 1, true, 100},
            {"M7", 1, true, 100},  {"M8", 1, true, 100},  {"M9", 1, true, 100},  {"R1", 0, false, 100},
            {"R2", 0, false, 100}, {"R2 by day only", 0, false, 100}, {"R2 at busbars of 90 %", 0, false, 90},
            {"R3", 0, false, 100}, {"R3 at busbars of 90 %", 0, false, 90}, {"R4", 0, false, 100},
            {"R5", 0, true, 100}};
        for (auto [code, mode, error, busVoltage] : rows)
            QTest::newRow(code) << QString(code) << mode << error << busVoltage;
    }
    void checkCodes() {
        QFETCH(QString, code);
        QFETCH(int, mode);
        QFETCH(bool, error);
        QFETCH(double, busVoltage);
        CalcProject c;
        k10test::addCaseOneAndFour(c);
        provoke(c, code);
        code.truncate(2);
        SchemeResult r = c.calculate(1, mode, {Method::Exact, ShortCircuitConvention::AverageVoltage, 5, busVoltage});
        const Problem* p = find(r, code.toStdString());
        QVERIFY2(p, qPrintable(describe(r)));
        QCOMPARE(problemCodeName(p->id), p->code);
        QCOMPARE(p->kind, error ? ProblemKind::Error : ProblemKind::Warning);
        QVERIFY(!p->text.empty());
        QCOMPARE(r.calculated, !error);
        if (busVoltage != 100)
            QVERIFY(!find(c.calculate(1, mode), code.toStdString()));
        // A message begins with a capital letter and names its line where it has one.
        for (const Problem& other : r.problems) {
            QVERIFY2(QString::fromStdString(other.text).front().isUpper(), other.text.c_str());
            if (!other.line.empty())
                QVERIFY(other.text.find("«" + other.line + "»") != std::string::npos);
        }
        // A result's warning points at its rows, in its own regime; the totals name the worst node and the
        // most loaded section.
        for (const Problem& w : r.problems)
            if (w.regime >= 0 && w.id != ProblemCode::R5) {
                const RegimeResult& regime = r.regimes[w.regime];
                const auto node = static_cast<std::size_t>(w.nodeIndex);
                QCOMPARE(r.nodes[node].node, std::string_view(w.node));
                if (w.id == ProblemCode::R1)
                    QVERIFY(regime.sections[static_cast<std::size_t>(w.sectionIndex)].loadingPercent > 100);
                if (w.id == ProblemCode::R2)
                    QVERIFY(regime.nodes[node].lossPercent > 5);
                if (w.id == ProblemCode::R3)
                    QVERIFY(regime.nodes[node].uKv < 9);
            }
        for (const RegimeResult& regime : r.regimes) {
            double worst = 0, mostLoaded = 0;
            for (const NodeVoltage& v : regime.nodes)
                worst = std::max(worst, v.lossPercent);
            for (const SectionFlow& f : regime.sections)
                mostLoaded = std::max(mostLoaded, f.loadingPercent);
            QCOMPARE(regime.totals.worstLossPercent, worst);
            QCOMPARE(regime.totals.mostLoadedPercent, mostLoaded);
        }
        // The most specific code only: no other error beside it.
        for (const Problem& other : r.problems)
            if (other.kind == ProblemKind::Error)
                QCOMPARE(QString::fromStdString(other.code), code);
        if (!error)
            QVERIFY(!r.nodes.empty() && !r.regimes[0].nodes.empty() && !r.shortCircuit.nodes.empty());
        else
            QVERIFY(r.nodes.empty() && r.regimes[0].nodes.empty() && r.shortCircuit.nodes.empty());
    }

    // A check message names the line, the section's number and the node.
    void problemNamesItsPlace() {
        CalcProject c;
        k10test::addCaseOneAndFour(c);
        c.project.Sources[1].Lines[1].Sections[2].Provod = k10test::cp("АС-999");
        SchemeResult r = c.calculate(1, 0);
        const Problem* p = find(r, "S3");
        QVERIFY(p);
        QCOMPARE(p->line, std::string("101"));
        QCOMPARE(p->lineIndex, 1);
        QCOMPARE(p->section, 2);
        QCOMPARE(p->node, std::string("2"));
        QVERIFY(p->text.starts_with("Линия «101», участок 2, узел «2»: "));
        QVERIFY(p->text.find("«АС-999»") != std::string::npos);
    }

    // At every node of random radial networks: the power into a section is the load at its end, plus the
    // power into the sections it feeds, plus its losses; every voltage is below its feeder's.
    void powerBalanceOfRandomNetworks() {
        std::mt19937 random(15);
        auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        const char* wires[] = {"АС-50", "АС-70", "АС-95", "ААБ-3х70"};
        for (int round = 0; round < 16; ++round) {
            CalcProject c;
            TSource& s = c.addSource("S", 10);
            std::map<std::pair<std::string, std::string>, Complex> loads;
            for (int l = 1; l <= 1 + below(3); ++l) {
                std::string name = "L" + std::to_string(l);
                std::vector<Sec> sections;
                std::vector<std::string> nodes = {name};
                for (int k = 1; k <= 1 + below(30); ++k) {
                    Sec sec{nodes[static_cast<std::size_t>(below(static_cast<int>(nodes.size())))],
                            name + "-" + std::to_string(k),
                            0.1 + below(20) / 10.0,
                            wires[below(4)],
                            below(4) ? 5.0 + below(100) : 0,
                            0};
                    sec.q = sec.p * below(90) / 100.0;
                    nodes.push_back(sec.end);
                    loads[{name, sec.end}] = {sec.p, sec.q};
                    sections.push_back(sec);
                }
                std::shuffle(sections.begin(), sections.end(), random);
                c.addLine(s, name, sections);
            }
            SchemeResult r = c.calculate(1, 0);
            QVERIFY2(r.calculated, qPrintable(describe(r)));
            for (const RegimeResult& regime : r.regimes) {
                std::map<std::pair<std::string_view, std::string_view>, Complex> into; // by (line, end node)
                for (std::size_t k = 0; k < r.sections.size(); ++k)
                    into[{r.sections[k].line, r.sections[k].end}] = {regime.sections[k].pKw, regime.sections[k].qKvar};
                std::vector<Complex> children(r.nodes.size());
                for (std::size_t i = 0; i < r.nodes.size(); ++i) {
                    const NodeResult& n = r.nodes[i];
                    if (n.parent >= 0) {
                        children[static_cast<std::size_t>(n.parent)] += into.at({n.line, n.node});
                        QVERIFY(regime.nodes[i].uKv <= regime.nodes[static_cast<std::size_t>(n.parent)].uKv);
                    }
                }
                for (std::size_t k = 0; k < r.sections.size(); ++k) {
                    const SectionResult& x = r.sections[k];
                    const SectionFlow& f = regime.sections[k];
                    std::size_t end = indexOf(r, std::string(x.end));
                    while (r.nodes[end].line != x.line || r.nodes[end].node != x.end)
                        ++end;
                    Complex balance =
                        loads.at({std::string(x.line), std::string(x.end)}) + children[end] + Complex(f.dpKw, f.dqKvar);
                    QVERIFY(std::abs(balance - Complex(f.pKw, f.qKvar)) < 1e-9 * std::max(1.0, f.pKw));
                }
            }
        }
    }

    // Two sets of loads solved together give each set exactly what it gets alone (a set solved with itself
    // finishes with its twin): the same iterations, numbers and failure, whichever finishes first.
    void pairedSetsMatchSetsAlone_data() {
        QTest::addColumn<RadialNetwork>("first");
        QTest::addColumn<double>("factor"); // of the second set's loads
        QTest::newRow("the second heavier") << caseOne() << 8.0;
        QTest::newRow("the second lighter") << caseThree() << 0.1;
        QTest::newRow("the second failing") << caseTwo() << 40.0;
        QTest::newRow("the first failing") << network(6, {{0, 10, "АС-35", {8000, 6000}}}) << 0.05;
    }
    void pairedSetsMatchSetsAlone() {
        QFETCH(RadialNetwork, first);
        QFETCH(double, factor);
        std::vector<Complex> loads(first.load);
        for (Complex& load : loads)
            load *= factor;
        RadialNetwork other = first;
        other.load = loads;
        FlowResult together[2], alone[2], twin;
        FlowSolver solver;
        solver.solveExact(first, loads, together[0], together[1]);
        solver.solveExact(first, first.load, alone[0], twin);
        solver.solveExact(other, loads, alone[1], twin);
        QVERIFY(alone[0].iterations != alone[1].iterations || alone[0].failure != alone[1].failure);
        for (int set = 0; set < 2; ++set) {
            QCOMPARE(together[set].iterations, alone[set].iterations);
            QCOMPARE(int(together[set].failure), int(alone[set].failure));
            if (alone[set].converged()) {
                QVERIFY(together[set].u == alone[set].u);
                QVERIFY(together[set].sBegin == alone[set].sBegin);
                QVERIFY(together[set].loss == alone[set].loss);
                QVERIFY(together[set].iA == alone[set].iA);
            }
        }
    }

    // Modes on random networks of two sources. All schemes calculated together, on several threads, with
    // the lines a mode leaves untouched taken from the normal scheme, are the schemes calculated one by one
    // and walked whole, in the order asked; and the rows of every calculated scheme line up: each section
    // ends at the node it feeds, and each node's distance and fault impedance grow from its feeder's by its
    // section's length and impedance.
    void modesOfRandomNetworks() {
        std::mt19937 random(27);
        auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        const char* wires[] = {"АС-50", "АС-70", "АС-95"};
        int calculatedModes = 0, modeWarnings = 0, manySweeps = 0;
        for (int round = 0; round < 16; ++round) {
            CalcProject c;
            std::vector<std::vector<std::string>> nodes; // of each line, source after source
            for (int source = 1; source <= 2; ++source) {
                TSource& s = c.addSource("S" + std::to_string(source), 10);
                for (int l = 1; l <= 2 + below(4); ++l) {
                    std::string name = std::to_string(source * 100 + l);
                    std::vector<Sec> sections;
                    nodes.push_back({name});
                    // A heavy line takes more sweeps than a light one and warns of its losses and currents.
                    const double scale = below(3) ? 1 : 25;
                    for (int k = 1; k <= 1 + below(12); ++k) {
                        auto& names = nodes.back();
                        Sec sec{names[static_cast<std::size_t>(below(static_cast<int>(names.size())))],
                                name + "-" + std::to_string(k), 0.2 + below(20) / 10.0, wires[below(3)],
                                below(3) ? (10.0 + below(60)) * scale : 0, 0, below(2) ? "ТМ-250" : ""};
                        sec.q = sec.p / 2;
                        names.push_back(sec.end);
                        sections.push_back(sec);
                    }
                    c.addLine(s, name, sections);
                }
            }
            TSource& s1 = c.project.Sources[1];
            const int ownLines = s1.LineCount();
            auto nodeOf = [&](int line) {
                const auto& names = nodes[static_cast<std::size_t>(line)];
                return names[static_cast<std::size_t>(below(static_cast<int>(names.size())))];
            };
            for (int m = 0; m < 8; ++m) {
                int from = below(ownLines), to = below(static_cast<int>(nodes.size())), off = below(ownLines);
                bool jumper = below(4) > 0;
                c.addMode(s1, std::to_string(100 + from + 1), jumper ? nodeOf(from) : "",
                          to < ownLines ? std::to_string(100 + to + 1) : std::to_string(200 + to - ownLines + 1),
                          jumper ? nodeOf(to) : "", 0.5 + below(3), "АС-50",
                          below(3) ? nodeOf(below(2) ? to : off) : "", below(3) ? 0.0 : 5.0 * (1 + below(4)));
            }

            const Inputs inputs = c.inputs();
            // A round in four by the single pass, whose lines are as independent as the sweep's.
            Settings settings;
            settings.method = round % 4 == 3 ? Method::Engineering : Method::Exact;
            std::vector<SchemeRequest> requests;
            for (int source = 1; source <= 2; ++source)
                for (int mode = 0; mode <= c.project.Sources[source].ModeWorkCount(); ++mode)
                    requests.push_back({source, mode});
            std::size_t next = 0;
            std::vector<std::vector<std::string>> texts; // of each scheme's problems
            std::vector<SchemeResult> kept;              // copies, which share their rows with the results
            calculateSchemes(c.project, requests, inputs, settings, [&](const SchemeResult& r) {
                QCOMPARE(r.source, requests[next].source);
                QCOMPARE(r.mode, requests[next].mode);
                ++next;
                kept.push_back(r);
                texts.emplace_back();
                for (const Problem& p : r.problems)
                    texts.back().push_back(p.text);
                // A scheme alone is walked whole, with nothing taken from the normal scheme.
                QVERIFY(sameResults(r, c.calculate(r.source, r.mode, settings)));
                if (!r.calculated)
                    return;
                const TModeWork* m = r.mode ? &c.project.Sources[r.source].ModeWorks[r.mode] : nullptr;
                std::size_t section = 0;
                calculatedModes += r.mode > 0;
                for (const Problem& p : r.problems)
                    modeWarnings += r.mode > 0 && p.sectionIndex >= 0;
                manySweeps += r.regimes[0].iterations > 3;
                for (std::size_t i = 0; i < r.nodes.size(); ++i) {
                    const NodeResult& n = r.nodes[i];
                    if (n.parent < 0)
                        continue;
                    const SectionResult& x = r.sections[section++];
                    QCOMPARE(x.end, n.node);
                    const auto p = static_cast<std::size_t>(n.parent);
                    QCOMPARE(x.begin, r.nodes[p].node);
                    double km = x.jumper ? m->Dlina : 0;
                    std::string wire = x.jumper ? std::string(m->Provod.view()) : "";
                    for (const TSource& source : c.project.Sources)
                        for (const TLines& l : source.Lines)
                            if (!x.jumper && k10::cp1251ToUtf8(l.Name.view()) == x.line) {
                                km = l.Sections[x.section].Dlina;
                                wire = std::string(l.Sections[x.section].Provod.view());
                            }
                    const TProvoda* w = nullptr;
                    for (const TProvoda& candidate : c.wires)
                        if (k10::trimBlanks(candidate.Name.view()) == wire)
                            w = &candidate;
                    QVERIFY(w);
                    QNEAR(n.distanceKm - r.nodes[p].distanceKm, km);
                    Complex z = r.shortCircuit.nodes[i].zMaxOhm - r.shortCircuit.nodes[p].zMaxOhm;
                    QVERIFY(std::abs(z - Complex(w->R, w->X) * km) < 1e-9);
                }
                QCOMPARE(section, r.sections.size());
            }, 3);
            QCOMPARE(next, requests.size());
            // The copies outlive the results, whose room was written again, and the sources' data.
            for (const SchemeResult& r : kept)
                QVERIFY(sameResults(r, c.calculate(r.source, r.mode, settings)));
            // A caller reading only the problems gets the same, whatever rows it is left.
            next = 0;
            calculateSchemes(
                c.project, requests, inputs, settings,
                [&](const SchemeResult& r) {
                    std::vector<std::string> problems;
                    for (const Problem& p : r.problems)
                        problems.push_back(p.text);
                    QVERIFY(problems == texts[next++]);
                },
                3, Content::Problems);
        }
        // Most random modes are calculated; the rest are refused by their checks.
        QVERIFY(calculatedModes >= 40);
        // Among them modes whose sections carry too much current, and lines that need more sweeps.
        QVERIFY(modeWarnings > 0 && manySweeps > 0);
    }

    // A list of rows built from rows of its own and runs shared with another list reads as one list,
    // and lists that share rows never see each other's writes.
    void rowsSharedBetweenLists() {
        auto values = [](const Rows<int>& rows) { return std::vector<int>(rows.begin(), rows.end()); };
        Rows<int> normal;
        for (int v : {10, 11, 12, 13, 14, 15})
            normal.push_back(v);
        Rows<int>::Builder builder;
        builder.own = {1, 2};
        builder.share(normal, 1, 3);
        builder.share(normal, 3, 4); // goes on where the run before ends
        builder.share(normal, 0, 1); // the same rows, but not where it ends
        builder.own.push_back(3);
        builder.share(normal, 5, 6);
        QCOMPARE(builder.size(), std::size_t(8));
        Rows<int> mode;
        builder.moveTo(mode);
        const std::vector<int> expected = {1, 2, 11, 12, 13, 10, 3, 15};
        QCOMPARE(values(mode), expected);
        for (std::size_t i = 0; i < expected.size(); ++i)
            QCOMPARE(mode[i], expected[i]);
        auto it = mode.end();
        QCOMPARE(*--it, 15);
        QCOMPARE(*(it - 3), 13);
        QCOMPARE(it - mode.begin(), 7);
        QCOMPARE(*mode.contiguous(2, 5), 11);

        // A copy keeps its rows when the list is emptied and written again, and the other way round;
        // shared rows outlive the list they came from.
        Rows<int> copy = mode;
        mode.clear();
        mode.push_back(7);
        normal = Rows<int>();
        QCOMPARE(values(copy), expected);
        Rows<int> again = copy;
        again.push_back(16);
        QCOMPARE(values(copy), expected);
        QCOMPARE(again.back(), 16);
        QCOMPARE(values(mode), std::vector<int>{7});
    }

    // What the caller's hand throws stops the work and reaches the caller, on one thread or several.
    void aThrowingCallerStopsTheWork_data() {
        QTest::addColumn<unsigned>("threads");
        QTest::newRow("the calling thread") << 1u;
        QTest::newRow("three threads") << 3u;
    }
    void aThrowingCallerStopsTheWork() {
        QFETCH(unsigned, threads);
        CalcProject c;
        k10test::addCaseOneAndFour(c);
        int seen = 0;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 calculateSchemes(
                                     c.project, {{1, 0}, {1, 1}, {2, 0}, {1, 0}, {2, 0}}, c.inputs(), {},
                                     [&](const SchemeResult&) {
                                         if (++seen == 2)
                                             throw std::runtime_error("enough");
                                     },
                                     threads));
        QCOMPARE(seen, 2);
    }

private:
    // Case 4's project with the one fault that gives the code.
    static void provoke(CalcProject& c, const QString& code) {
        TSource& s1 = c.project.Sources[1];
        TLines& line = s1.Lines[1];
        TLine& second = line.Sections[2];
        TModeWork& mode = s1.ModeWorks[1];
        auto cp = k10test::cp;
        c.table.rows[12] = {1, 1, 1, 1};
        if (code == "P1")
            s1.Lines.clear();
        else if (code == "P5")
            s1.Lines.append().Name = "102";
        else if (code == "P2")
            s1.Napr = 35;
        else if (code == "P3")
            s1.R_Max = -1;
        else if (code == "P4")
            s1.X_Min = 0.5;
        else if (code == "S1")
            second.L_End = "1";
        else if (code == "S2")
            second.Dlina = 0;
        else if (code == "S3")
            second.Provod = cp("АС-1");
        else if (code == "S4")
            second.Max_Nagr = cp("много");
        else if (code == "S5")
            second.Gr_Nagr = "33";
        else if (code == "S6")
            second.Trans = cp("ТМ-1");
        else if (code == "S7")
            second.Trans = cp("ТМ-100");
        else if (code == "S8")
            line.Sections.append(line.Sections[2]);
        else if (code == "T1")
            line.Sections.append(c.section({"7", "8"}));
        else if (code == "T2")
            line.Sections[1].L_Begin = line.Sections[2].L_Begin = "X";
        else if (code == "T3")
            line.Sections.append(c.section({"101", "2"}));
        else if (code == "T4")
            line.Sections.append(c.section({"2", "101"}));
        else if (code == "T5")
            line.Sections.append(c.section({"7", "8"})), line.Sections.append(c.section({"8", "7"}));
        else if (code == "M1")
            mode.Uzel_End = "";
        else if (code == "M2")
            mode.Uzel_End = "z";
        else if (code == "M3")
            mode.L_Begin = "999";
        else if (code == "M4")
            mode.Provod = cp("АС-1");
        else if (code == "M5")
            c.project.Sources[2].Napr = 6;
        else if (code == "M6")
            mode.Uzel_Off = "z";
        else if (code == "M7")
            mode.Uzel_Off = "";
        else if (code == "M8")
            mode.Izm_Nagr = -100;
        else if (code == "M9")
            c.project.Sources[2].Lines[1].Sections[1].Provod = cp("АС-1");
        else if (code == "R1")
            second.Provod = cp("ААБ-3х25"), second.Max_Nagr = "2000", second.Gr_Nagr = "13";
        else if (code == "R2")
            second.Dlina = 30;
        else if (code == "R2 by day only") // the evening's load a fifth of the day's
            second.Dlina = 30, second.Gr_Nagr = "13", c.table.rows[12] = {1, 0.2, 0.9, 0.9};
        else if (code == "R2 at busbars of 90 %")
            second.Dlina = 21; // a loss of 4.75 % from busbars at 100 %, 5.34 % from busbars at 90 %
        else if (code == "R3" || code == "R3 at busbars of 90 %")
            second.Dlina = code == "R3" ? 60 : 30;
        else if (code == "R4")
            second.Trans = cp("ТМ-160"), second.Max_Nagr = "150", c.table.rows[12] = {1.2, 1, 1, 1},
            second.Gr_Nagr = "13";
        else if (code == "R5")
            second.Max_Nagr = "20000", second.Gr_Nagr = "13";
    }
};

QTEST_GUILESS_MAIN(TestCalculation)
#include "test_calculation.moc"
