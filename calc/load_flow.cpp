#include "calc/load_flow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace k10::calc {

namespace {

constexpr int kMaxIterations = 100;
const double kSqrt3 = std::numbers::sqrt3;
const double kMaxAngle = std::numbers::pi / 3;

double busKv(const RadialNetwork& network) {
    return network.busKv > 0 ? network.busKv : network.nominalKv;
}

FlowResult sized(const RadialNetwork& network) {
    std::size_t n = network.parent.size();
    FlowResult result;
    result.u.assign(n, Complex(busKv(network), 0));
    result.sBegin.assign(n, Complex());
    result.loss.assign(n, Complex());
    result.iA.assign(n, 0);
    result.uAbs.assign(n, 0);
    return result;
}

// The two sets of loads travel together through the sweep: every quantity of a node is a pair of
// doubles, one for each set. The operations on a pair are written element by element, which the
// optimiser turns into one instruction serving both.
struct alignas(16) Pair {
    double v[2];
    double& operator[](int set) { return v[set]; }
    double operator[](int set) const { return v[set]; }
};

inline Pair operator+(Pair a, Pair b) { return {{a.v[0] + b.v[0], a.v[1] + b.v[1]}}; }
inline Pair operator-(Pair a, Pair b) { return {{a.v[0] - b.v[0], a.v[1] - b.v[1]}}; }
inline Pair operator*(Pair a, Pair b) { return {{a.v[0] * b.v[0], a.v[1] * b.v[1]}}; }
inline Pair operator*(Pair a, double b) { return {{a.v[0] * b, a.v[1] * b}}; }
inline Pair operator/(Pair a, double b) { return {{a.v[0] / b, a.v[1] / b}}; }
inline Pair operator/(double a, Pair b) { return {{a / b.v[0], a / b.v[1]}}; }
inline Pair& operator+=(Pair& a, Pair b) { return a = a + b; }

Pair pair(double value) {
    return Pair{{value, value}};
}

// The larger and the smaller of each element of `candidate` and `kept`: a candidate that is no number is
// passed over.
inline Pair larger(Pair candidate, Pair kept) {
    return {{candidate.v[0] > kept.v[0] ? candidate.v[0] : kept.v[0],
             candidate.v[1] > kept.v[1] ? candidate.v[1] : kept.v[1]}};
}
inline Pair smaller(Pair candidate, Pair kept) {
    return {{candidate.v[0] < kept.v[0] ? candidate.v[0] : kept.v[0],
             candidate.v[1] < kept.v[1] ? candidate.v[1] : kept.v[1]}};
}

} // namespace

struct FlowSolver::Room {
    // The sweep runs over the nodes ordered by their depth (the busbars, every head, every node one
    // section below a head, ...): the nodes it handles one after another then seldom wait for each other,
    // as the lines of a source are independent.
    std::vector<int> depth, start;
    std::vector<int> order;  // the network's node at each position of the sweep
    std::vector<int> parent; // the position of each position's parent
    std::vector<int> line;   // the line (0 for the first head, ...) of each position; -1 for the busbars
    // Per position, real and imaginary parts: the branch's impedance (twice, once for each set), the load,
    // the power at the end and at the begin of the branch (MVA). Side by side, as the sweep uses them
    // together.
    struct Branch {
        Pair zRe, zIm, loadRe, loadIm, endRe, endIm, beginRe, beginIm;
    };
    std::vector<Branch> branches;
    // Per position, read at the children's positions as well: voltages (kV), 1 / |U|^2.
    std::vector<Pair> uRe, uIm, inverseNorm;
    // Per position: the branch's losses (kVA), kept by the last backward pass, and the magnitude of the
    // voltage, as delivered.
    std::vector<Pair> lossRe, lossIm, magnitudes;
    // Per position: the square of the change of its voltage in the last sweep.
    std::vector<Pair> change;
    // Per line: its positions, from lineStart[l] on.
    std::vector<int> lineStart, linePositions;
    // The voltages of a line that has settled in a set while others go on, put back at the end.
    std::vector<Pair> keptRe, keptIm;
    std::vector<std::pair<std::size_t, int>> settled; // (line, set) settled in the last sweep

    std::size_t lines() const { return lineStart.size() - 1; }
    bool moved(std::size_t line, int set, double limit) const;
    void keep(std::size_t line, int set);
    void restore(std::size_t line, int set);
    void orderByDepth(const RadialNetwork& network, const std::vector<Complex>& secondLoad);
    void backward(bool keepLosses);
    struct ForwardOutcome {
        bool collapsed[2] = {false, false}; // a voltage below half the nominal, or no number at all
    };
    ForwardOutcome forward(double nominalKv);
    std::array<bool, 2> deliver(FlowResult* const (&results)[2], double busKv);
};

// Orders the nodes by their depth, each depth in the network's order, and copies the branches and the loads
// (in MVA) into that order.
void FlowSolver::Room::orderByDepth(const RadialNetwork& network, const std::vector<Complex>& secondLoad) {
    const std::size_t n = network.parent.size();
    depth.resize(n);
    depth[0] = 0;
    int deepest = 0;
    for (std::size_t i = 1; i < n; ++i) {
        depth[i] = depth[static_cast<std::size_t>(network.parent[i])] + 1;
        deepest = std::max(deepest, depth[i]);
    }
    start.assign(static_cast<std::size_t>(deepest) + 2, 0);
    for (std::size_t i = 0; i < n; ++i)
        ++start[static_cast<std::size_t>(depth[i]) + 1];
    for (std::size_t d = 1; d < start.size(); ++d)
        start[d] += start[d - 1];
    branches.resize(n);
    lossRe.resize(n);
    lossIm.resize(n);
    order.resize(n);
    parent.resize(n);
    line.resize(n);
    // The heads, one below the busbars, are numbered in the network's order, which is also theirs in the
    // sweep; a parent comes before its children, so its position and line are known by then.
    const int heads = deepest > 0 ? start[2] - start[1] : 0;
    lineStart.assign(static_cast<std::size_t>(heads) + 1, 0);
    {
        // The lists through local addresses, which no store of the loop can change.
        int *depth = this->depth.data(), *start = this->start.data(), *order = this->order.data(),
            *parent = this->parent.data(), *line = this->line.data(), *lineStart = this->lineStart.data();
        const int* networkParent = network.parent.data();
        const Complex *z = network.z.data(), *load = network.load.data(), *load2 = secondLoad.data();
        Branch* branches = this->branches.data();
        order[0] = 0;
        parent[0] = line[0] = -1;
        depth[0] = start[0]++;
        Branch& busbars = branches[0];
        busbars.zRe = busbars.zIm = busbars.beginRe = busbars.beginIm = pair(0);
        busbars.endRe = busbars.loadRe = Pair{{load[0].real(), load2[0].real()}} / 1000.0;
        busbars.endIm = busbars.loadIm = Pair{{load[0].imag(), load2[0].imag()}} / 1000.0;
        int head = 0;
        for (std::size_t i = 1; i < n; ++i) {
            // From here on depth[i] is the position of node i.
            const auto k = static_cast<std::size_t>(start[depth[i]]++);
            depth[i] = static_cast<int>(k);
            order[k] = static_cast<int>(i);
            const auto p = static_cast<std::size_t>(depth[networkParent[i]]);
            parent[k] = static_cast<int>(p);
            line[k] = p == 0 ? head++ : line[p];
            ++lineStart[line[k] + 1];
            Branch& b = branches[k];
            b.zRe = pair(z[i].real());
            b.zIm = pair(z[i].imag());
            b.endRe = b.loadRe = Pair{{load[i].real(), load2[i].real()}} / 1000.0;
            b.endIm = b.loadIm = Pair{{load[i].imag(), load2[i].imag()}} / 1000.0;
        }
    }
    change.resize(n);
    for (std::size_t l = 1; l < lineStart.size(); ++l)
        lineStart[l] += lineStart[l - 1];
    linePositions.resize(n > 0 ? n - 1 : 0);
    for (std::size_t k = 1, l = 0; k < n; ++k) {
        l = static_cast<std::size_t>(line[k]);
        linePositions[static_cast<std::size_t>(lineStart[l]++)] = static_cast<int>(k);
    }
    for (std::size_t l = heads; l-- > 0;)
        lineStart[l + 1] = lineStart[l];
    lineStart[0] = 0;
    keptRe.resize(n);
    keptIm.resize(n);
    // Every voltage starts as the busbars'. One plain loop for the three: the library's fill costs several
    // times more for pairs.
    for (auto* v : {&uRe, &uIm, &inverseNorm})
        v->resize(n);
    const double u0 = busKv(network);
    const Pair startRe = pair(u0), startIm = pair(0), startInverse = pair(1 / (u0 * u0));
    Pair *uRe = this->uRe.data(), *uIm = this->uIm.data(), *inverseNorm = this->inverseNorm.data();
    for (std::size_t k = 0; k < n; ++k) {
        uRe[k] = startRe;
        uIm[k] = startIm;
        inverseNorm[k] = startInverse;
    }
}

// Backward: from the deepest nodes, the power at the end and at the begin of each branch (MVA). With
// `keepLosses`, each branch's losses are kept (in kVA) for the result. Each end starts as its node's load:
// set so by orderByDepth and again by every forward pass, which passes over the nodes anyway.
void FlowSolver::Room::backward(bool keepLosses) {
    const std::size_t n = order.size();
    const int* parent = this->parent.data();
    const Pair* inverseNorm = this->inverseNorm.data();
    Branch* branches = this->branches.data();
    Pair *lossRe = this->lossRe.data(), *lossIm = this->lossIm.data();
    for (std::size_t k = n; k-- > 1;) {
        Branch& b = branches[k];
        const Pair sr = b.endRe, si = b.endIm;
        const Pair share = (sr * sr + si * si) * inverseNorm[k];
        const Pair lr = share * b.zRe, li = share * b.zIm;
        const Pair br = sr + lr, bi = si + li;
        b.beginRe = br;
        b.beginIm = bi;
        Branch& up = branches[parent[k]];
        up.endRe += br;
        up.endIm += bi;
        if (keepLosses) {
            lossRe[k] = lr * 1000.0;
            lossIm[k] = li * 1000.0;
        }
    }
    branches[0].beginRe = branches[0].endRe;
    branches[0].beginIm = branches[0].endIm;
}

// Forward: from the busbars, each node's voltage from its parent's. The conjugate of the current, conj(S
// / U), is taken as conj(S) U / |U|^2 with the 1 / |U|^2 of the parent kept from its own step; the
// library's complex arithmetic, guarding against overflow, costs several times more, and the values here
// are far from the limits of a double.
FlowSolver::Room::ForwardOutcome FlowSolver::Room::forward(double nominalKv) {
    const std::size_t n = order.size();
    const Pair half2 = pair(nominalKv * nominalKv / 4);
    // Both sets at once: the lowest |U|^2, and the sum of every |U|^2, which is no number exactly when one
    // of them is none (they are never negative).
    Pair lowest = half2, sum = pair(0);
    // The lists through local addresses, which no store of the loop can change.
    const int* parent = this->parent.data();
    Branch* branches = this->branches.data();
    Pair *uRe = this->uRe.data(), *uIm = this->uIm.data(), *inverseNorm = this->inverseNorm.data();
    Pair* change = this->change.data();
    branches[0].endRe = branches[0].loadRe;
    branches[0].endIm = branches[0].loadIm;
    for (std::size_t k = 1; k < n; ++k) {
        const auto p = static_cast<std::size_t>(parent[k]);
        Branch& b = branches[k];
        const Pair ur = uRe[p], ui = uIm[p], inverse = inverseNorm[p];
        const Pair sr = b.beginRe, si = b.beginIm;
        const Pair cr = (sr * ur + si * ui) * inverse, ci = (sr * ui - si * ur) * inverse;
        const Pair zr = b.zRe, zi = b.zIm;
        const Pair nr = ur - (zr * cr - zi * ci), ni = ui - (zr * ci + zi * cr);
        const Pair dr = nr - uRe[k], di = ni - uIm[k];
        change[k] = dr * dr + di * di;
        const Pair norm = nr * nr + ni * ni;
        lowest = smaller(norm, lowest);
        sum += norm;
        uRe[k] = nr;
        uIm[k] = ni;
        inverseNorm[k] = 1 / norm;
        b.endRe = b.loadRe;
        b.endIm = b.loadIm;
    }
    const bool noNumber = std::isnan(sum[0]) || std::isnan(sum[1]);
    ForwardOutcome outcome;
    for (int set = 0; set < 2; ++set)
        outcome.collapsed[set] = noNumber || lowest[set] < half2[set];
    return outcome;
}

// Whether a voltage of the line changed by `limit` or more in the last sweep of the set (a change that is no
// number is passed over). From the line's end, where the changes add up.
bool FlowSolver::Room::moved(std::size_t l, int set, double limit) const {
    for (int i = lineStart[l + 1]; i-- > lineStart[l];)
        if (change[static_cast<std::size_t>(linePositions[static_cast<std::size_t>(i)])][set] >= limit)
            return true;
    return false;
}

void FlowSolver::Room::keep(std::size_t l, int set) {
    for (int i = lineStart[l]; i < lineStart[l + 1]; ++i) {
        const auto k = static_cast<std::size_t>(linePositions[static_cast<std::size_t>(i)]);
        keptRe[k][set] = uRe[k][set];
        keptIm[k][set] = uIm[k][set];
    }
}

// Puts back the voltages a line settled with, and their 1 / |U|^2 as the sweep computed them.
void FlowSolver::Room::restore(std::size_t l, int set) {
    for (int i = lineStart[l]; i < lineStart[l + 1]; ++i) {
        const auto k = static_cast<std::size_t>(linePositions[static_cast<std::size_t>(i)]);
        const double re = keptRe[k][set], im = keptIm[k][set];
        uRe[k][set] = re;
        uIm[k][set] = im;
        inverseNorm[k][set] = 1 / (re * re + im * im);
    }
}

// Copies both sets back into the network's order: voltages, powers and losses in kVA, and the currents.
// Returns whether each set settled where no load can be: a voltage above the busbars', or an angle beyond
// 60 degrees either way, which is a real part below half the magnitude.
std::array<bool, 2> FlowSolver::Room::deliver(FlowResult* const (&results)[2], double busKv) {
    const std::size_t n = order.size();
    const double above = busKv * (1 + 1e-9), cosine = std::cos(kMaxAngle);
    for (FlowResult* r : results) {
        r->u.resize(n);
        r->sBegin.resize(n);
        r->loss.resize(n);
        r->iA.resize(n);
        r->uAbs.resize(n);
        r->loss[0] = Complex();
        r->iA[0] = 0;
    }
    magnitudes.resize(n);
    // The lists of each set, written through their addresses.
    struct Lists {
        Complex *u, *sBegin, *loss;
        double *iA, *uAbs;
    } lists[2];
    for (int set = 0; set < 2; ++set) {
        FlowResult& r = *results[set];
        lists[set] = {r.u.data(), r.sBegin.data(), r.loss.data(), r.iA.data(), r.uAbs.data()};
    }
    const int *order = this->order.data(), *parent = this->parent.data();
    const Branch* branches = this->branches.data();
    const Pair *uRe = this->uRe.data(), *uIm = this->uIm.data(), *lossRe = this->lossRe.data(),
               *lossIm = this->lossIm.data();
    Pair* magnitudes = this->magnitudes.data();
    // Whether a voltage is above the busbars' or its real part below |U| cos 60, which is when the excess of
    // the one over the other is above zero; a voltage that is no number is passed over, as a comparison
    // with it fails.
    Pair highest = pair(0), excess = pair(0);
    for (std::size_t k = 0; k < n; ++k) {
        const Pair ur = uRe[k], ui = uIm[k];
        const Pair norm = ur * ur + ui * ui;
        const Pair m{{std::sqrt(norm[0]), std::sqrt(norm[1])}};
        magnitudes[k] = m;
        highest = larger(m, highest);
        excess = larger(m * cosine - ur, excess);
        const auto i = static_cast<std::size_t>(order[k]);
        const Pair sr = branches[k].beginRe * 1000.0, si = branches[k].beginIm * 1000.0;
        for (int set = 0; set < 2; ++set) {
            const Lists& r = lists[set];
            r.u[i] = Complex(ur[set], ui[set]);
            r.uAbs[i] = m[set];
            r.sBegin[i] = Complex(sr[set], si[set]);
        }
        if (k == 0)
            continue;
        const Pair parentU = magnitudes[static_cast<std::size_t>(parent[k])];
        for (int set = 0; set < 2; ++set) {
            const Lists& r = lists[set];
            r.loss[i] = Complex(lossRe[k][set], lossIm[k][set]);
            r.iA[i] = std::sqrt(sr[set] * sr[set] + si[set] * si[set]) / (kSqrt3 * parentU[set]);
        }
    }
    return {highest[0] > above || excess[0] > 0, highest[1] > above || excess[1] > 0};
}

FlowSolver::FlowSolver() : room_(std::make_unique<Room>()) {}

FlowSolver::~FlowSolver() = default;

void FlowSolver::solveExact(const RadialNetwork& network, const std::vector<Complex>& secondLoad,
                            FlowResult& first, FlowResult& second, double toleranceKv) {
    if (toleranceKv <= 0)
        toleranceKv = 1e-6 * network.nominalKv;
    Room& w = *room_;
    // A line has settled when the largest change of its voltages is below the tolerance: when the square
    // root of each square of a change is, or each square is below `limit`, the least double whose root is
    // not below the tolerance (the root of a double is rounded, so it never falls as the double grows). A
    // tolerance that is no number is never reached.
    const bool reachable = !std::isnan(toleranceKv);
    double limit = toleranceKv * toleranceKv;
    while (limit > 0 && std::sqrt(std::nextafter(limit, 0.0)) >= toleranceKv)
        limit = std::nextafter(limit, 0.0);
    while (std::sqrt(limit) < toleranceKv)
        limit = std::nextafter(limit, std::numeric_limits<double>::infinity());
    w.orderByDepth(network, secondLoad);
    FlowResult* results[2] = {&first, &second};
    for (FlowResult* r : results) {
        r->failure = FlowFailure::None;
        r->iterations = 0;
        r->lineIterations.assign(w.lines(), 0);
    }
    // Each line of each set is swept until its own voltages settle: the lines hang on the busbars' fixed
    // voltage and do not act on each other, so a line's numbers do not depend on the others'. A line that
    // has settled keeps aside the voltages it settled with, and gets them back at the end, while the
    // others go on. A set fails as a whole.
    std::size_t going[2] = {w.lines(), w.lines()}; // lines still swept in each set
    bool ended[2] = {false, false};
    int sweeps = 0;
    // Lines that settled in the last sweep: their voltages are kept aside only if another sweep follows.
    std::vector<std::pair<std::size_t, int>>& settled = w.settled;
    settled.clear();
    auto settle = [&](std::size_t l, int set) {
        settled.emplace_back(l, set);
        results[set]->lineIterations[l] = sweeps;
    };
    auto endSet = [&](int set, FlowFailure failure) {
        results[set]->failure = failure;
        for (std::size_t l = 0; l < w.lines(); ++l)
            if (results[set]->lineIterations[l] == 0)
                settle(l, set);
        ended[set] = true;
    };
    for (;;) {
        for (int set = 0; set < 2; ++set)
            if (!ended[set] && sweeps == kMaxIterations)
                endSet(set, FlowFailure::NoConvergence);
        if (ended[0] && ended[1])
            break;
        for (auto [l, set] : settled)
            w.keep(l, set);
        settled.clear();
        ++sweeps;
        w.backward(false);
        Room::ForwardOutcome outcome = w.forward(network.nominalKv);
        for (int set = 0; set < 2; ++set) {
            if (ended[set])
                continue;
            results[set]->iterations = sweeps;
            if (outcome.collapsed[set]) {
                endSet(set, FlowFailure::VoltageCollapse);
                continue;
            }
            for (std::size_t l = 0; l < w.lines(); ++l)
                if (results[set]->lineIterations[l] == 0 && reachable && !w.moved(l, set, limit)) {
                    settle(l, set);
                    --going[set];
                }
            ended[set] = going[set] == 0;
        }
    }
    for (int set = 0; set < 2; ++set)
        for (std::size_t l = 0; l < w.lines(); ++l)
            if (results[set]->lineIterations[l] < sweeps)
                w.restore(l, set);
    // The powers of the voltages found.
    w.backward(true);
    const std::array<bool, 2> impossible = w.deliver(results, busKv(network));
    for (int set = 0; set < 2; ++set)
        if (impossible[set] && results[set]->converged())
            results[set]->failure = FlowFailure::ImpossibleSolution;
}

FlowResult solveExact(const RadialNetwork& network, double toleranceKv) {
    FlowResult result, same;
    FlowSolver().solveExact(network, network.load, result, same, toleranceKv);
    return result;
}

namespace {

// Below half the nominal, or no number at all.
bool collapsed(const FlowResult& r, double nominalKv) {
    const double half = nominalKv / 2;
    return std::any_of(r.u.begin(), r.u.end(), [&](Complex u) { return !(std::norm(u) >= half * half); });
}

} // namespace

FlowResult solveEngineering(const RadialNetwork& network) {
    FlowResult r = sized(network);
    r.iterations = 1;
    std::size_t n = network.parent.size();
    r.lineIterations.assign(static_cast<std::size_t>(std::count(network.parent.begin(), network.parent.end(), 0)), 1);
    const double u2 = network.nominalKv * network.nominalKv, u0 = busKv(network);
    for (std::size_t i = 0; i < n; ++i)
        r.sBegin[i] = network.load[i];
    for (std::size_t i = n; i-- > 1;)
        r.sBegin[static_cast<std::size_t>(network.parent[i])] += r.sBegin[i];
    std::vector<double> lossPercent(n, 0);
    for (std::size_t i = 1; i < n; ++i) {
        Complex s = r.sBegin[i];
        Complex z = network.z[i];
        auto parent = static_cast<std::size_t>(network.parent[i]);
        lossPercent[i] = lossPercent[parent] + (s.real() * z.real() + s.imag() * z.imag()) / (10 * u2);
        r.u[i] = u0 - network.nominalKv * lossPercent[i] / 100;
        r.loss[i] = std::norm(s) / u2 * z / 1000.0;
    }
    // The single pass cannot diverge, but a load it cannot carry drives its voltages down all the same.
    if (collapsed(r, network.nominalKv))
        r.failure = FlowFailure::VoltageCollapse;
    // Currents at the nominal voltage.
    for (std::size_t i = 1; i < n; ++i)
        r.iA[i] = magnitude(r.sBegin[i]) / (kSqrt3 * network.nominalKv);
    for (std::size_t i = 0; i < n; ++i)
        r.uAbs[i] = std::sqrt(r.u[i].real() * r.u[i].real() + r.u[i].imag() * r.u[i].imag());
    return r;
}

} // namespace k10::calc
