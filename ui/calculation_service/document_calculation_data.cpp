#include "ui/calculation_service/document_calculation_data.h"

#include "document/project_document.h"
#include "ui/calculation_service/calculation_settings.h"
#include "ui/models/current_place.h"

#include <QSettings>


DocumentCalculationData::DocumentCalculationData(const ProjectDocument& document, const CurrentPlace& place,
                                                 QObject* parent)
    : CalculationData(parent), document_(document), place_(place) {
    QSettings store;
    settings_ = loadCalculationSettings(store);
    connect(&document, &ProjectDocument::aboutToChange, this, &CalculationData::aboutToChange);
    connect(&document, &ProjectDocument::projectChanged, this, &CalculationData::changed);
    connect(&document, &ProjectDocument::catalogChanged, this, &CalculationData::changed);
    connect(&document, &ProjectDocument::coefficientsChanged, this, &CalculationData::changed);
    connect(&place, &CurrentPlace::sourceChanged, this, &CalculationData::selectedSourceChanged);
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
    return place_.sourceSlot();
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
