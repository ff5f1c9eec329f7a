#pragma once

#include "catalogs/catalog_files.h"
#include "model/project_file.h"
#include "ui/calculation_service/calculation_data.h"

#include <QString>

// The calculation's data as a test holds them: a project, the catalogs of the working folder, a
// coefficient table, the settings and the selected source. A test changes a member and announces it.
class TestCalculationData : public CalculationData {
public:
    TProect proect;
    k10::WireCatalog wireCatalog = k10::readWireCatalog(k10::WireCatalogFile);
    k10::TransCatalog transCatalog = k10::readTransCatalog(k10::TransCatalogFile);
    k10::LoadCoefficientTable table = k10::builtInLoadCoefficients();
    k10::calc::Settings calcSettings;
    int source = 1;
    QString fileName; // of the project, as the report names it

    explicit TestCalculationData(const TProect& project = {}) : proect(project) {}

    void announceChange() { emit changed(); }
    void select(int chosen) {
        source = chosen;
        emit selectedSourceChanged();
    }

    const TProect& project() const override { return proect; }
    const k10::WireCatalog& wires() const override { return wireCatalog; }
    const k10::TransCatalog& transformers() const override { return transCatalog; }
    const k10::LoadCoefficientTable& coefficients() const override { return table; }
    k10::calc::Settings settings() const override { return calcSettings; }
    int selectedSource() const override { return source; }
    QString projectFileName() const override { return fileName; }
};
