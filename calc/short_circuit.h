#pragma once

#include <complex>

// The formulas of the short-circuit currents in a radial network: the impedance to the fault is the
// system's plus the path's, loads neglected.
namespace k10::calc {

// The voltage factors of the two system modes.
struct VoltageFactors {
    double max = 1, min = 1;
};

// I_k3 in kA of a three-phase fault behind z (Ohm) at the source voltage c * U_n (kV): c U_n / (sqrt3 |z|).
double threePhaseCurrentKa(double sourceKv, std::complex<double> z);

// I_k2 = sqrt3 / 2 * I_k3.
double twoPhaseCurrentKa(double ik3Ka);

// A transformer referred to its low-voltage side (Ohm): Z = u_k/100 U^2 / S_r, R = dP_k U^2 / S_r^2.
std::complex<double> transformerImpedance(double ratedKva, double ukPercent, double dpKw, double lowKv);

// The correction of a network transformer's impedance: 0.95 c_max / (1 + 0.6 x_T), x_T in per unit.
double transformerCorrection(double ratedKva, double ukPercent, double dpKw, double cMaxLow);

} // namespace k10::calc
