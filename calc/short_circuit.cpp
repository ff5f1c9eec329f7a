#include "calc/short_circuit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace k10::calc {

std::complex<double> transformerImpedance(double ratedKva, double ukPercent, double dpKw, double lowKv) {
    double sMva = ratedKva / 1000;
    double z = ukPercent / 100 * lowKv * lowKv / sMva;
    double r = dpKw / 1000 * lowKv * lowKv / (sMva * sMva);
    return {r, std::sqrt(std::max(0.0, z * z - r * r))};
}

double transformerCorrection(double ratedKva, double ukPercent, double dpKw, double cMaxLow) {
    double uk = ukPercent / 100;
    double ur = dpKw / ratedKva;
    double xT = std::sqrt(std::max(0.0, uk * uk - ur * ur));
    return 0.95 * cMaxLow / (1 + 0.6 * xT);
}

} // namespace k10::calc
