#pragma once

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

// The load flow of one radial network with constant-power loads. Node 0 is the source's busbars; every
// other node hangs on its parent through one branch of impedance z (Ohm per phase), and parents come
// before their children. Loads are kW + j kvar, voltages kV line to line.
namespace k10::calc {

using Complex = std::complex<double>;

// |z| without the overflow guards of std::abs, which cost more than the sweep itself; the values here
// are far from the limits of a double.
inline double magnitude(Complex z) {
    return std::sqrt(std::norm(z));
}

struct RadialNetwork {
    double nominalKv = 0;
    double busKv = 0;        // the busbars' voltage; 0: the nominal
    std::vector<int> parent; // parent[0] = -1
    std::vector<Complex> z;  // of the branch feeding each node; z[0] unused
    std::vector<Complex> load;
};

enum class FlowFailure { None, NoConvergence, VoltageCollapse, ImpossibleSolution };

struct FlowResult {
    FlowFailure failure = FlowFailure::None;
    int iterations = 0;
    std::vector<Complex> u; // kV; u[0] is the busbars' voltage
    std::vector<Complex>
        sBegin;                // kVA entering each node's branch at its parent; sBegin[0] the supplied power
    std::vector<Complex> loss; // kW + j kvar of each node's branch
    std::vector<double> iA;    // current of each node's branch
    std::vector<double> uAbs;  // |u| of each node
    // Of each line fed from the busbars (a node whose parent is 0), in the order of those nodes: the
    // sweeps it took to settle. `iterations` is the largest.
    std::vector<int> lineIterations;

    bool converged() const { return failure == FlowFailure::None; }
};

// The backward/forward sweep from the busbars' voltage: repeated on each line fed from the busbars until the
// largest change of a voltage on it is below 1e-6 of the nominal (the lines hang on a fixed voltage, so each
// gets the numbers it would get alone). Fails after 100 sweeps, when a voltage falls below half the nominal, or when
// the sweep settles where no load can be: a voltage above the busbars' or an angle beyond 60 degrees. The numbers of a
// failed flow are those of its last sweep.
FlowResult solveExact(const RadialNetwork& network, double toleranceKv = -1);

// Solves the sweep for two sets of loads on the same network at once (the daytime and the evening
// maximum): each set gets the iterations and the numbers it would get alone, in little more than the time
// of one. Keeps its working room from one network to the next, so that a caller solving many networks of
// about the same size allocates nothing after the first.
class FlowSolver {
public:
    FlowSolver();
    ~FlowSolver();
    FlowSolver(const FlowSolver&) = delete;
    FlowSolver& operator=(const FlowSolver&) = delete;

    // `network.load` is the first set; `secondLoad` (of the same size) the second.
    void solveExact(const RadialNetwork& network, const std::vector<Complex>& secondLoad, FlowResult& first,
                    FlowResult& second, double toleranceKv = -1);

private:
    struct Room;
    std::unique_ptr<Room> room_;
};

// The single pass for hand checks: flows are the plain sums of the downstream loads, voltage losses
// (P R + Q X) / (10 U_nom^2) per cent summed along the path and taken from the busbars' voltage, currents
// and losses at the nominal voltage.
FlowResult solveEngineering(const RadialNetwork& network);

} // namespace k10::calc
