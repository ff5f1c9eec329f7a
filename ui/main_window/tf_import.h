#pragma once

#include <QDialog>

// The import window of the DOS version's days: one captioned box and nothing to enter. It is created
// with the other windows and never shown; the import asks for nothing beyond the file.
class TF_Import : public QDialog {
    Q_OBJECT

public:
    explicit TF_Import(QWidget* parent = nullptr);
};
