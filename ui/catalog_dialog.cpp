#include "ui/catalog_dialog.h"

#include "catalogs/catalog_files.h"
#include "text/codepage.h"
#include "ui/fields.h"
#include "ui/form_main.h"
#include "ui/interaction.h"
#include "ui/string_grid.h"
#include "ui/tf_provodedit.h"
#include "ui/tf_spravprovod.h"
#include "ui/tf_spravtrans.h"
#include "ui/tf_transedit.h"
#include "ui/workbench.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>
#include <utility>

namespace {

constexpr int kGridWidth = 160;
constexpr int kGridHeight = 289;
constexpr int kGridRowHeight = 24;
constexpr int kButtonWidth = 100;

template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

// The catalog of one record type in the main window, edited through one entry dialog. The entry dialog
// gives prefill(const Record&) and storeInto(Record&), which cuts the name and the numbers to their
// fields.
template <class Record, class Entry> class CatalogStoreOf final : public CatalogStore {
public:
    using Catalog = k10::RecordArray<Record>;
    struct Links {
        Catalog TFormMain::*catalog;
        bool TFormMain::*read;
        void (TFormMain::*refillLists)();
        void (TFormMain::*write)();
    };

    CatalogStoreOf(TFormMain& main, const Links& links, Entry& entry)
        : main_(main), links_(links), entry_(entry) {}

    int count() const override { return (main_.*links_.catalog).count(); }
    bool wasRead() const override { return main_.*links_.read; }
    CatalogEntryDialog& entryDialog() override { return entry_; }
    void prefillBlank() override { entry_.prefill(Record{}); }
    void prefill(int slot) override { entry_.prefill(catalog()[slot]); }
    void append() override {
        Record record;
        entry_.storeInto(record);
        catalog().append(std::move(record));
    }
    void store(int slot) override { entry_.storeInto(catalog()[slot]); }
    void remove(int slot) override { catalog().remove(slot); }
    void refillLists() override { (main_.*links_.refillLists)(); }
    void write() override { (main_.*links_.write)(); }

private:
    Catalog& catalog() { return main_.*links_.catalog; }

    TFormMain& main_;
    Links links_;
    Entry& entry_;
};

} // namespace

CatalogEntryDialog::CatalogEntryDialog(QWidget* parent, const char* name, const QString& caption)
    : QDialog(parent) {
    setObjectName(name);
    setWindowTitle(caption);

    fields_ = new QGridLayout;
    OkButton = named(new QPushButton("OK", this), "OkButton");
    OkButton->setDefault(true);
    CancelButton = named(new QPushButton("Cancel", this), "CancelButton");
    CancelButton->setAutoDefault(false);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    // Esc and the title bar's close box end the dialog through reject() as well.
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CatalogEntryDialog::setNameField(TextField* field) {
    name_ = field;
}

void CatalogEntryDialog::addRow(const QString& label, QWidget* field, const QString& unit) {
    const int row = fields_->rowCount();
    auto* caption = new QLabel(label, this);
    caption->setBuddy(field);
    fields_->addWidget(caption, row, 0);
    fields_->addWidget(field, row, 1, Qt::AlignLeft);
    if (!unit.isEmpty())
        fields_->addWidget(new QLabel(unit, this), row, 2);
}

void CatalogEntryDialog::showEvent(QShowEvent* event) {
    // Every showing starts at the name, whatever field had the focus when the dialog last closed.
    name_->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(event);
}

QString CatalogEntryDialog::typedName() const {
    return name_->text();
}

QString CatalogEntryDialog::nameProblem(const QString& name) {
    if (name.contains(':'))
        return "Марка не может содержать двоеточие: в файле справочника оно разделяет поля.";
    for (char32_t code : name.toUcs4())
        if (code < 0x20 || k10::unicodeToCp866(code) < 0)
            return QString("Марка не может содержать символ «%1»: его нет в кодировке DOS (866) файла "
                           "справочника.")
                .arg(QString::fromUcs4(&code, 1));
    return {};
}

bool CatalogEntryDialog::checkName() {
    QString problem = nameProblem(typedName());
    if (problem.isEmpty())
        return true;
    interaction().showMessage(this, problem);
    name_->setFocus(Qt::OtherFocusReason);
    return false;
}

void CatalogEntryDialog::accept() {
    if (checkName())
        QDialog::accept();
}

CatalogDialog::CatalogDialog(QWidget* parent, const CatalogTexts& texts) : QDialog(parent), texts_(texts) {
    setObjectName(texts.objectName);
    setWindowTitle(texts.caption);

    Grid = named(new StringGrid(1, kGridRowHeight, this), "Grid");
    Grid->setFixedSize(kGridWidth, kGridHeight);
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(Grid, &StringGrid::selectCell, this, &CatalogDialog::GridSelectCell);

    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    N1 = named(PopupMenu1->addAction("Добавить"), "N1");
    N2 = named(PopupMenu1->addAction("Изменить"), "N2");
    N3 = named(PopupMenu1->addAction("Удалить"), "N3");
    connect(N1, &QAction::triggered, this, &CatalogDialog::BitBtn1Click);
    connect(N2, &QAction::triggered, this, &CatalogDialog::BitBtn3Click);
    connect(N3, &QAction::triggered, this, &CatalogDialog::BitBtn2Click);
    Grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Grid->viewport()->mapToGlobal(at)); });

    BitBtn1 = named(new QPushButton("&Новый", this), "BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn3 = named(new QPushButton("&Исправить", this), "BitBtn3");
    BitBtn2 = named(new QPushButton("Удалить", this), "BitBtn2");
    connect(BitBtn1, &QPushButton::clicked, this, &CatalogDialog::BitBtn1Click);
    connect(BitBtn3, &QPushButton::clicked, this, &CatalogDialog::BitBtn3Click);
    connect(BitBtn2, &QPushButton::clicked, this, &CatalogDialog::BitBtn2Click);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {BitBtn1, BitBtn3, BitBtn2}) {
        button->setFixedWidth(kButtonWidth);
        buttons->addWidget(button);
    }
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget::setTabOrder(Grid, BitBtn1);
    QWidget::setTabOrder(BitBtn1, BitBtn3);
    QWidget::setTabOrder(BitBtn3, BitBtn2);
}

CatalogDialog::~CatalogDialog() = default;

void CatalogDialog::setStore(std::unique_ptr<CatalogStore> store) {
    store_ = std::move(store);
}

void CatalogDialog::GridSelectCell(int, int ARow) {
    SelectedRow = ARow;
}

void CatalogDialog::BitBtn1Click() {
    guarded(&CatalogDialog::add);
}

void CatalogDialog::BitBtn3Click() {
    guarded(&CatalogDialog::change);
}

void CatalogDialog::BitBtn2Click() {
    guarded(&CatalogDialog::remove);
}

void CatalogDialog::guarded(Operation operation) {
    if (!store_)
        return;
    try {
        (this->*operation)();
    } catch (const std::exception& error) {
        interaction().showError(this, QString::fromUtf8(error.what()));
    }
}

bool CatalogDialog::mayChange() {
    // A catalog whose file could not be read is empty in memory: writing it would empty the file.
    if (store_->wasRead())
        return true;
    interaction().showMessage(this, texts_.unreadMessage);
    return false;
}

bool CatalogDialog::hasSelectedEntry() const {
    return SelectedRow >= 0 && SelectedRow < store_->count();
}

void CatalogDialog::add() {
    if (!mayChange())
        return;
    if (store_->count() >= texts_.limit) {
        interaction().showMessage(this, joinLines(texts_.limitFirst, texts_.limitSecond));
        return;
    }
    CatalogEntryDialog& entry = store_->entryDialog();
    entry.setWindowTitle(texts_.addCaption);
    store_->prefillBlank();
    if (!interaction().runDialog(entry) || !entry.checkName())
        return;

    store_->append();
    // The new row shows the name as typed; the stored name may be shorter, which shows once the grid is
    // next refilled. The drop-down lists learn the new name then too.
    const int count = store_->count();
    Grid->setRows(count);
    Grid->setCell(count - 1, 0, entry.typedName());
    store_->write();
}

void CatalogDialog::change() {
    if (!mayChange() || !hasSelectedEntry())
        return;
    const int slot = SelectedRow + 1;
    CatalogEntryDialog& entry = store_->entryDialog();
    entry.setWindowTitle(texts_.changeCaption);
    store_->prefill(slot);
    if (!interaction().runDialog(entry) || !entry.checkName())
        return;

    store_->store(slot);
    store_->refillLists();
    store_->write();
}

void CatalogDialog::remove() {
    if (!mayChange() || !hasSelectedEntry())
        return;
    if (!interaction().askYesNo(this, texts_.deleteQuestion))
        return;

    store_->remove(SelectedRow + 1);
    // The grid shrinks to the count; when it loses its current row, the selection moves to the last row
    // and SelectedRow follows.
    store_->refillLists();
    store_->write();
}

void attachCatalogDialogs(const Workbench& forms) {
    TFormMain& main = *forms.FormMain;
    using Wires = CatalogStoreOf<TProvoda, TF_ProvodEdit>;
    forms.F_SpravProvod->setStore(
        std::make_unique<Wires>(main,
                                Wires::Links{&TFormMain::WireCatalog, &TFormMain::WireCatalogRead,
                                             &TFormMain::fillWireLists, &TFormMain::Write_Provoda},
                                *forms.F_ProvodEdit));
    using Transformers = CatalogStoreOf<TTrans, TF_TransEdit>;
    forms.F_SpravTrans->setStore(std::make_unique<Transformers>(
        main,
        Transformers::Links{&TFormMain::TransCatalog, &TFormMain::TransCatalogRead,
                            &TFormMain::fillTransLists, &TFormMain::Write_Trans},
        *forms.F_TransEdit));
}
