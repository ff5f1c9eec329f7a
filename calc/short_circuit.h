#pragma once

#include <cmath>
#include <complex>
#include <numbers>

// The formulas of the short-circuit currents in a radial network: the impedance to the fault is the
// system's plus the path's, loads neglected.
namespace k10::calc {

// The low-voltage side of the substations, and its maximum voltage factor under IEC 60909 (in K_T too).
inline constexpr double kLowVoltageKv = 0.4;
inline constexpr double kLowVoltageMaxFactor = 1.05;

// The voltage factors of the two system modes.
struct VoltageFactors {
    double max = 1, min = 1;
};

// I_k3 in kA of a three-phase fault behind z (Ohm) at the source voltage c * U_n (kV): c U_n / (sqrt3 |z|).
inline double threePhaseCurrentKa(double sourceKv, std::complex<double> z) {
    return sourceKv / (std::numbers::sqrt3 * std::sqrt(std::norm(z)));
}

// I_k2 = sqrt3 / 2 * I_k3.
inline double twoPhaseCurrentKa(double ik3Ka) {
    return std::numbers::sqrt3 / 2 * ik3Ka;
}

// A transformer referred to its low-voltage side (Ohm): Z = u_k/100 U^2 / S_r, R = dP_k U^2 / S_r^2.
std::complex<double> transformerImpedance(double ratedKva, double ukPercent, double dpKw, double lowKv);

// The correction of a network transformer's impedance: 0.95 c_max / (1 + 0.6 x_T), x_T in per unit.
double transformerCorrection(double ratedKva, double ukPercent, double dpKw, double cMaxLow);

} // namespace k10::calc
