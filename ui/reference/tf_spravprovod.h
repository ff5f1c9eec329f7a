#pragma once

#include "ui/reference/catalog_dialog.h"

// The wire and cable catalog dialog: the wire names, added, changed and deleted through TF_ProvodEdit.
// Its grid is filled at start-up with the catalog.
class TF_SpravProvod : public CatalogDialog {
    Q_OBJECT

public:
    explicit TF_SpravProvod(Interaction& user, QWidget* parent = nullptr);
};
