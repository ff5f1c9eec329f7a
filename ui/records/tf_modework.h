#pragma once

#include <QDialog>
#include <QStringList>

class DecimalSpinField;
class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;
class TextField;
class TModeWork;
class TProect;
class TypedComboBox;
class WholeNumberField;

// The operating-mode dialog, shared by Add and Change: a jumper from the selected line to another line,
// a node switched off and a change of load. The commands fill it before every showing and read it after
// OK.
class TF_ModeWork : public QDialog {
    Q_OBJECT

public:
    explicit TF_ModeWork(QWidget* parent = nullptr);

    // Rebuilds the list of L_End: one empty entry, then the name of every line of every source, in
    // order, duplicates included.
    void rebuildLineList(const TProect& project);
    // Fills every field from a mode (a new one: empty texts, 0 for the numbers); the list of L_End is
    // rebuilt first, which empties its text.
    void prefill(const TModeWork& mode);
    // Copies the fields into a mode: the two line names cut to their 8 characters, the other texts whole,
    // the length as the real shown and the load change as the whole number shown.
    void storeInto(TModeWork& mode) const;
    // The dialog's texts as one row of the modes table, the numbers as they are shown.
    QStringList shownRow() const;

    QGroupBox* GroupBox1; // "Источники, линии"
    TextField* L_begin;
    QToolButton* L_beginButton;
    TypedComboBox* L_End;

    QGroupBox* GroupBox2; // " Перемычка "
    TextField* Uzel_Begin;
    TextField* Uzel_End;
    DecimalSpinField* Dlina; // km, a real like a section's length
    QLabel* DlinaUnit;
    TypedComboBox* Provod_Box; // the wire catalog's names; start-up and the catalog dialogs fill it

    QGroupBox* GroupBox3;
    TextField* Uzel_Off;
    WholeNumberField* Izm_Nagr;
    QLabel* Izm_NagrUnit;

    QPushButton* OkButton;
    QPushButton* CancelButton;
};
