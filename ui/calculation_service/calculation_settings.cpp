#include "ui/calculation_service/calculation_settings.h"

#include <QSettings>

#include <cmath>

namespace {

const char* const kMethodKey = "calculation/method";
const char* const kShortCircuitKey = "calculation/shortCircuit";
const char* const kMaxLossKey = "calculation/maxLossPercent";
const char* const kBusVoltageKey = "calculation/busVoltagePercent";

// A stored choice, or the fallback when it is missing or out of the list.
int storedChoice(QSettings& store, const char* key, int count, int fallback) {
    bool ok = false;
    int value = store.value(key).toInt(&ok);
    return ok && value >= 0 && value < count ? value : fallback;
}

} // namespace

const QStringList& methodCaptions() {
    static const QStringList captions{"Точный (итерационный)", "Инженерный (приближённый)"};
    return captions;
}

const QStringList& shortCircuitCaptions() {
    static const QStringList captions{"По средним напряжениям", "По МЭК 60909"};
    return captions;
}

bool permissibleBusVoltage(double percent) {
    return percent >= k10::calc::kMinBusVoltagePercent && percent <= k10::calc::kMaxBusVoltagePercent;
}

k10::calc::Settings loadCalculationSettings(QSettings& store) {
    k10::calc::Settings settings;
    settings.method = static_cast<k10::calc::Method>(
        storedChoice(store, kMethodKey, int(methodCaptions().size()), int(settings.method)));
    settings.shortCircuit = static_cast<k10::calc::ShortCircuitConvention>(storedChoice(
        store, kShortCircuitKey, int(shortCircuitCaptions().size()), int(settings.shortCircuit)));
    bool ok = false;
    double maxLoss = store.value(kMaxLossKey).toDouble(&ok);
    if (ok && std::isfinite(maxLoss) && maxLoss > 0 && maxLoss < 100)
        settings.maxLossPercent = maxLoss;
    double busVoltage = store.value(kBusVoltageKey).toDouble(&ok);
    if (ok && permissibleBusVoltage(busVoltage))
        settings.busVoltagePercent = busVoltage;
    return settings;
}

void saveCalculationSettings(QSettings& store, const k10::calc::Settings& settings) {
    store.setValue(kMethodKey, int(settings.method));
    store.setValue(kShortCircuitKey, int(settings.shortCircuit));
    store.setValue(kMaxLossKey, settings.maxLossPercent);
    store.setValue(kBusVoltageKey, settings.busVoltagePercent);
    store.sync();
}
