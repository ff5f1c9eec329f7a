#include "calc/load_flow.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace k10::calc {

namespace {

constexpr int kMaxIterations = 100;
const double kSqrt3 = std::numbers::sqrt3;
const double kMaxAngle = std::numbers::pi / 3;

FlowResult sized(const RadialNetwork& network) {
    std::size_t n = network.parent.size();
    FlowResult result;
    result.u.assign(n, Complex(network.nominalKv, 0));
    result.sBegin.assign(n, Complex());
    result.loss.assign(n, Complex());
    result.iA.assign(n, 0);
    return result;
}

// Backward: from the leaves, the power at the end of each branch and its losses (MVA inside). sEnd is
// scratch room of the network's size.
void backward(const RadialNetwork& network, FlowResult& r, std::vector<Complex>& sEnd) {
    std::size_t n = network.parent.size();
    for (std::size_t i = 0; i < n; ++i)
        sEnd[i] = network.load[i] / 1000.0;
    for (std::size_t i = n; i-- > 1;) {
        Complex loss = std::norm(sEnd[i]) / std::norm(r.u[i]) * network.z[i];
        r.loss[i] = loss * 1000.0;
        Complex begin = sEnd[i] + loss;
        r.sBegin[i] = begin * 1000.0;
        sEnd[static_cast<std::size_t>(network.parent[i])] += begin;
    }
    r.sBegin[0] = sEnd[0] * 1000.0;
}

// Forward: from the busbars, each node's voltage from its parent's; returns the largest change.
double forward(const RadialNetwork& network, FlowResult& r) {
    double largest = 0;
    for (std::size_t i = 1; i < network.parent.size(); ++i) {
        Complex uBegin = r.u[static_cast<std::size_t>(network.parent[i])];
        Complex u = uBegin - network.z[i] * std::conj(r.sBegin[i] / 1000.0 / uBegin);
        largest = std::max(largest, magnitude(u - r.u[i]));
        r.u[i] = u;
    }
    return largest;
}

// Below half the nominal, or no number at all.
bool collapsed(const FlowResult& r, double nominalKv) {
    return std::any_of(r.u.begin(), r.u.end(), [&](Complex u) { return !(magnitude(u) >= nominalKv / 2); });
}

bool impossible(const FlowResult& r, double nominalKv) {
    // An angle beyond 60 degrees either way is a real part below half the magnitude.
    const double above = nominalKv * (1 + 1e-9);
    return std::any_of(r.u.begin(), r.u.end(), [&](Complex u) {
        double m = magnitude(u);
        return m > above || u.real() < m * std::cos(kMaxAngle);
    });
}

void currents(const RadialNetwork& network, FlowResult& r, bool atNominal) {
    for (std::size_t i = 1; i < network.parent.size(); ++i) {
        double u =
            atNominal ? network.nominalKv : magnitude(r.u[static_cast<std::size_t>(network.parent[i])]);
        r.iA[i] = magnitude(r.sBegin[i]) / (kSqrt3 * u);
    }
}

} // namespace

FlowResult solveExact(const RadialNetwork& network, double toleranceKv) {
    FlowResult r = sized(network);
    if (toleranceKv <= 0)
        toleranceKv = 1e-6 * network.nominalKv;
    std::vector<Complex> sEnd(network.parent.size());
    for (;;) {
        if (r.iterations == kMaxIterations) {
            r.failure = FlowFailure::NoConvergence;
            return r;
        }
        ++r.iterations;
        backward(network, r, sEnd);
        double change = forward(network, r);
        if (collapsed(r, network.nominalKv)) {
            r.failure = FlowFailure::VoltageCollapse;
            return r;
        }
        if (change < toleranceKv)
            break;
    }
    // The powers of the voltages found.
    backward(network, r, sEnd);
    if (impossible(r, network.nominalKv))
        r.failure = FlowFailure::ImpossibleSolution;
    currents(network, r, false);
    return r;
}

FlowResult solveEngineering(const RadialNetwork& network) {
    FlowResult r = sized(network);
    r.iterations = 1;
    std::size_t n = network.parent.size();
    const double u2 = network.nominalKv * network.nominalKv;
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
        r.u[i] = network.nominalKv * (1 - lossPercent[i] / 100);
        r.loss[i] = std::norm(s) / u2 * z / 1000.0;
    }
    // The single pass cannot diverge, but a load it cannot carry drives its voltages down all the same.
    if (collapsed(r, network.nominalKv))
        r.failure = FlowFailure::VoltageCollapse;
    currents(network, r, true);
    return r;
}

} // namespace k10::calc
