#pragma once

#include "ui/calculation_service/calculation_data.h"

class ProjectDocument;
class CurrentPlace;

// The calculation's data in the running application: the document's project, catalogs and coefficient
// table, the settings kept between runs, and the current place's source.
class DocumentCalculationData : public CalculationData {
    Q_OBJECT

public:
    // Reads the kept settings (QSettings under the application's names).
    DocumentCalculationData(const ProjectDocument& document, const CurrentPlace& place,
                            QObject* parent = nullptr);

    const TProect& project() const override;
    const k10::WireCatalog& wires() const override;
    const k10::TransCatalog& transformers() const override;
    const k10::LoadCoefficientTable& coefficients() const override;
    k10::calc::Settings settings() const override { return settings_; }
    int selectedSource() const override;
    QString projectFileName() const override;

    // Takes new settings and keeps them for the next runs.
    void setSettings(const k10::calc::Settings& settings);

private:
    const ProjectDocument& document_;
    const CurrentPlace& place_;
    k10::calc::Settings settings_;
};
