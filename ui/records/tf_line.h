#pragma once

#include <QDialog>
#include <QStringList>

class DecimalSpinField;
class Interaction;
class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;
class TF_GrNagr;
class TLine;
class TextField;
class TypedComboBox;
class WholeNumberField;

// The section dialog, used to append, insert and change a section of a line. The commands set every
// field and the enabled state of L_Begin before each showing; only the items of the two drop-down lists
// carry over, kept by the catalogs.
class TF_Line : public QDialog {
    Q_OBJECT

public:
    explicit TF_Line(Interaction& user, QWidget* parent = nullptr);

    QGroupBox* GroupBox1; // " Участок "
    TextField* L_Begin;
    TextField* L_End;
    DecimalSpinField* Dlina;
    TypedComboBox* Provod_Box;
    TextField* Gr_Nagr;
    QToolButton* Gr_NagrButton; // opens the load-graph code table
    WholeNumberField* Max_Nagr;
    TypedComboBox* Trans_Box;
    QPushButton* OkButton;
    QPushButton* CancelButton;

    // The table the button of Gr_Nagr opens; given once every window exists.
    void setCodeTable(TF_GrNagr* table);

    // Fills every field from a section (a new one: all empty, Dlina 0) and enables L_Begin; a command
    // that locks the begin node does so afterwards.
    void prefill(const TLine& section);
    // Copies the fields into a section; the node names are cut to their 8 characters there.
    void storeInto(TLine& section) const;
    // The texts of a sections table row as the fields hold them, the node names whole.
    QStringList rowTexts() const;

    void Gr_NagrButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Interaction& user_;
    TF_GrNagr* codeTable_ = nullptr;
};
