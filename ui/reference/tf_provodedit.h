#pragma once

#include "ui/reference/catalog_dialog.h"

class DecimalSpinField;
class IntegerSpinField;
class TProvoda;

// The entry dialog of the wire catalog: a wire's name, resistance, reactance, permissible current and
// its wind and icing regions.
class TF_ProvodEdit : public CatalogEntryDialog {
    Q_OBJECT

public:
    explicit TF_ProvodEdit(Interaction& user, QWidget* parent = nullptr);

    TextField* Name_Provod;
    DecimalSpinField* R;
    DecimalSpinField* X;
    DecimalSpinField* Tok;
    IntegerSpinField* R_V;
    IntegerSpinField* R_G;

    void prefill(const TProvoda& wire);
    // The name is cut to its 9 characters, the regions to their low 8 bits.
    void storeInto(TProvoda& wire) const;
};
