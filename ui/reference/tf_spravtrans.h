#pragma once

#include "ui/reference/catalog_dialog.h"

// The transformer catalog dialog: the transformer names, added, changed and deleted through
// TF_TransEdit. Its grid is filled at start-up with the catalog.
class TF_SpravTrans : public CatalogDialog {
    Q_OBJECT

public:
    explicit TF_SpravTrans(Interaction& user, QWidget* parent = nullptr);
};
