#pragma once

#include "calc/calculation.h"

#include <QObject>

// What the calculation windows read: the project, both catalogs, the load coefficient table, the
// settings and the source the main window has selected. Whoever owns them says when any of them changed;
// the windows never change them.
class CalculationData : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual const TProect& project() const = 0;
    virtual const k10::WireCatalog& wires() const = 0;
    virtual const k10::TransCatalog& transformers() const = 0;
    virtual const k10::LoadCoefficientTable& coefficients() const = 0;
    virtual k10::calc::Settings settings() const = 0;
    // The 1-based source selected in the main window; 0 when the project has none.
    virtual int selectedSource() const = 0;
    // The project's file, for the title of a report; empty while the project has none.
    virtual QString projectFileName() const { return {}; }

    k10::calc::Inputs inputs() const { return {wires(), transformers(), coefficients()}; }

signals:
    // The project, a catalog or the coefficient table is about to change: whoever reads them on another
    // thread stops before this returns. changed() follows.
    void aboutToChange();
    // The project, a catalog, the coefficient table or a setting has changed.
    void changed();
    void selectedSourceChanged();
};

// A place in the project that a problem names, 1-based, 0 where none: the window that lists the problem
// asks the main window to select it.
struct ProblemPlace {
    int source = 0;
    int line = 0;
    int section = 0;
    int mode = 0;

    friend bool operator==(const ProblemPlace&, const ProblemPlace&) = default;
};
Q_DECLARE_METATYPE(ProblemPlace)
