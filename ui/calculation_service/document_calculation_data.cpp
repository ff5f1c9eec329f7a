#include "ui/calculation_service/document_calculation_data.h"

#include "document/project_document.h"
#include "ui/main_window/form_main.h"
#include "ui/calculation_service/calculation_settings.h"
#include "ui/widgets/string_grid.h"

#include <QSettings>

#include <algorithm>

DocumentCalculationData::DocumentCalculationData(const ProjectDocument& document, const TFormMain& main,
                                                 QObject* parent)
    : CalculationData(parent), document_(document), main_(main) {
    QSettings store;
    settings_ = loadCalculationSettings(store);
    connect(&document, &ProjectDocument::projectChanged, this, &CalculationData::changed);
    connect(&document, &ProjectDocument::catalogChanged, this, &CalculationData::changed);
    connect(&document, &ProjectDocument::coefficientsChanged, this, &CalculationData::changed);
    // Connected after the main window's own handler of the row, so CurSource already names the new row.
    connect(main.SourceGrid, &StringGrid::selectCell, this, &CalculationData::selectedSourceChanged);
}

const TProect& DocumentCalculationData::project() const {
    return document_.project();
}

const k10::WireCatalog& DocumentCalculationData::wires() const {
    return document_.reference<k10::WireCatalog>().data();
}

const k10::TransCatalog& DocumentCalculationData::transformers() const {
    return document_.reference<k10::TransCatalog>().data();
}

const k10::LoadCoefficientTable& DocumentCalculationData::coefficients() const {
    return document_.reference<k10::LoadCoefficientTable>().data();
}

int DocumentCalculationData::selectedSource() const {
    const int count = project().SourceCount();
    return count > 0 ? std::clamp(main_.CurSource + 1, 1, count) : 0;
}

void DocumentCalculationData::setSettings(const k10::calc::Settings& settings) {
    settings_ = settings;
    QSettings store;
    saveCalculationSettings(store, settings);
    emit changed();
}

QString DocumentCalculationData::projectFileName() const {
    return document_.fileName();
}
