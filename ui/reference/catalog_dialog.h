#pragma once

#include <QDialog>

#include <memory>

class Interaction;
class QAction;
class QGridLayout;
class QMenu;
class QPushButton;
class QShowEvent;
class StringGrid;
class TextField;

// The entry dialog of a catalog: the entry's name and numbers above OK and Cancel. The catalog dialog
// fills it before every showing and stores it after OK. OK refuses a name that the catalog file could not
// carry back, so what is stored is always what the file will hold.
class CatalogEntryDialog : public QDialog {
    Q_OBJECT

public:
    QPushButton* OkButton;
    QPushButton* CancelButton;

    // The name as typed, whole.
    QString typedName() const;
    // True when the file can carry the typed name; otherwise says why and puts the focus on the name.
    bool checkName();

    void accept() override;

protected:
    CatalogEntryDialog(Interaction& user, QWidget* parent, const char* name, const QString& caption);

    // The field of the entry's name, checked on OK and focused on every showing.
    void setNameField(TextField* field);

    // Adds a row of the fields' table: its label, the field, and the unit after it.
    void addRow(const QString& label, QWidget* field, const QString& unit = QString());

    void showEvent(QShowEvent* event) override;

private:
    Interaction& user_;
    TextField* name_ = nullptr;
    QGridLayout* fields_;
};

// The texts and the limit that set one catalog's dialogs apart from the other's.
struct CatalogTexts {
    const char* objectName;
    const char* caption;
    int limit;              // entries the catalog may reach through Add
    const char* limitFirst; // the two lines of the refusal at the limit
    const char* limitSecond;
    const char* deleteQuestion;
    const char* addCaption;    // of the entry dialog
    const char* changeCaption; // of the entry dialog
};

// One catalog of the document and the entry dialog that edits its entries: what the catalog dialog acts
// on, the record type hidden. Slots are numbered from 1.
class CatalogStore {
public:
    virtual ~CatalogStore() = default;
    virtual int count() const = 0;
    // Every change is refused while the catalog's file could not be read, with this message.
    virtual bool wasRead() const = 0;
    virtual QString unreadMessage() const = 0;
    virtual CatalogEntryDialog& entryDialog() = 0;
    // Fills the entry dialog from a new, empty entry, or from the entry in a slot.
    virtual void prefillBlank() = 0;
    virtual void prefill(int slot) = 0;
    // Stores the entry dialog into a new last entry, or into the entry in a slot; each change is written to
    // the catalog's file before memory takes it, and a failed write throws with the catalog unchanged.
    virtual void append() = 0;
    virtual void store(int slot) = 0;
    virtual void remove(int slot) = 0;
    // Writes the names into the catalog dialog's grid and into the drop-down lists that offer them.
    virtual void refillLists() = 0;
};

// The catalog dialog: the entries' names in a grid, and add, change and delete through the buttons at the
// right and the grid's context menu. Every change goes to the catalog's file first, then into memory and
// the grid; a failed write ends the operation with the application's error box and changes nothing.
class CatalogDialog : public QDialog {
    Q_OBJECT

public:
    ~CatalogDialog() override;

    // Gives the dialog the catalog it edits, once every window exists.
    void setStore(std::unique_ptr<CatalogStore> store);

    StringGrid* Grid; // one row per catalog entry, showing its name
    QMenu* PopupMenu1;
    QAction* N1;          // "Добавить"
    QAction* N2;          // "Изменить"
    QAction* N3;          // "Удалить"
    QPushButton* BitBtn1; // "&Новый"
    QPushButton* BitBtn3; // "&Исправить"
    QPushButton* BitBtn2; // "Удалить"

    // The grid row last made current; 0 until then, kept between showings.
    int SelectedRow = 0;

    void BitBtn1Click(); // add
    void BitBtn3Click(); // change
    void BitBtn2Click(); // delete
    void GridSelectCell(int ACol, int ARow);

protected:
    CatalogDialog(Interaction& user, QWidget* parent, const CatalogTexts& texts);

private:
    using Operation = void (CatalogDialog::*)();
    // The buttons run inside the modal dialog, so a failure is shown here rather than left to the command
    // that opened the dialog.
    void guarded(Operation operation);
    void add();
    void change();
    void remove();
    // True while the catalog may be changed; otherwise says why.
    bool mayChange();
    // True when SelectedRow shows an entry.
    bool hasSelectedEntry() const;

    Interaction& user_;
    const CatalogTexts& texts_;
    std::unique_ptr<CatalogStore> store_;
};
