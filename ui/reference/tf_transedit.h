#pragma once

#include "ui/reference/catalog_dialog.h"

class DecimalSpinField;
class IntegerSpinField;
class TTrans;

// The entry dialog of the transformer catalog: a transformer's name, nominal power, short-circuit voltage
// and short-circuit losses.
class TF_TransEdit : public CatalogEntryDialog {
    Q_OBJECT

public:
    explicit TF_TransEdit(Interaction& user, QWidget* parent = nullptr);

    TextField* Name_Trans;
    IntegerSpinField* S;
    DecimalSpinField* U;
    DecimalSpinField* dP;

    void prefill(const TTrans& transformer);
    // The name is cut to its 9 characters, the power to its low 16 bits.
    void storeInto(TTrans& transformer) const;
};
