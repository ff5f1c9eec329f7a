#include "ui/reference/catalog_dialog.h"

#include "catalogs/catalog_files.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/fields.h"
#include "ui/desktop/interaction.h"
#include "ui/widgets/string_grid.h"

#include <QAction>
#include <QDialogButtonBox>
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

// Why the entry dialog refuses a name that the catalog file could not carry back.
QString nameProblem(const QString& name) {
    std::optional<k10::CatalogNameFault> fault = k10::catalogNameFault(toCp1251(name));
    if (!fault)
        return {};
    switch (fault->kind) {
    case k10::CatalogNameFault::Kind::Colon:
        return "Марка не может содержать двоеточие: в файле справочника оно разделяет поля.";
    case k10::CatalogNameFault::Kind::LineBreak:
        return "Марка не может содержать перевод строки: в файле справочника он разделяет записи.";
    case k10::CatalogNameFault::Kind::Character:
        break;
    }
    return QString("Марка не может содержать символ «%1»: его нет в кодировке DOS (866) файла справочника.")
        .arg(fromCp1251(std::string_view(&fault->character, 1)));
}

} // namespace

CatalogEntryDialog::CatalogEntryDialog(Interaction& user, QWidget* parent, const char* name,
                                       const QString& caption)
    : QDialog(parent), user_(user) {
    setObjectName(name);
    setWindowTitle(caption);

    fields_ = new QGridLayout;
    QDialogButtonBox* buttons = okCancelButtons(this, OkButton, CancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields_);
    layout->addWidget(buttons);
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

bool CatalogEntryDialog::checkName() {
    QString problem = nameProblem(typedName());
    if (problem.isEmpty())
        return true;
    user_.showMessage(this, problem);
    name_->setFocus(Qt::OtherFocusReason);
    return false;
}

void CatalogEntryDialog::accept() {
    if (checkName())
        QDialog::accept();
}

CatalogDialog::CatalogDialog(Interaction& user, QWidget* parent, const CatalogTexts& texts)
    : QDialog(parent), user_(user), texts_(texts) {
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
        user_.showError(this, QString::fromUtf8(error.what()));
    }
}

bool CatalogDialog::mayChange() {
    // A catalog whose file could not be read is empty in memory: writing it would empty the file.
    if (store_->wasRead())
        return true;
    user_.showMessage(this, store_->unreadMessage());
    return false;
}

bool CatalogDialog::hasSelectedEntry() const {
    return SelectedRow >= 0 && SelectedRow < store_->count();
}

void CatalogDialog::add() {
    if (!mayChange())
        return;
    if (store_->count() >= texts_.limit) {
        user_.showMessage(this, joinLines(texts_.limitFirst, texts_.limitSecond));
        return;
    }
    CatalogEntryDialog& entry = store_->entryDialog();
    entry.setWindowTitle(texts_.addCaption);
    store_->prefillBlank();
    if (!user_.runDialog(entry) || !entry.checkName())
        return;

    store_->append();
    // The new row shows the name as typed; the stored name may be shorter, which shows once the grid is
    // next refilled. The drop-down lists learn the new name then too.
    const int count = store_->count();
    Grid->setRows(count);
    Grid->setCell(count - 1, 0, entry.typedName());
}

void CatalogDialog::change() {
    if (!mayChange() || !hasSelectedEntry())
        return;
    const int slot = SelectedRow + 1;
    CatalogEntryDialog& entry = store_->entryDialog();
    entry.setWindowTitle(texts_.changeCaption);
    store_->prefill(slot);
    if (!user_.runDialog(entry) || !entry.checkName())
        return;

    store_->store(slot);
    store_->refillLists();
}

void CatalogDialog::remove() {
    if (!mayChange() || !hasSelectedEntry())
        return;
    if (!user_.askYesNo(this, texts_.deleteQuestion))
        return;

    store_->remove(SelectedRow + 1);
    // The grid shrinks to the count; when it loses its current row, the selection moves to the last row
    // and SelectedRow follows.
    store_->refillLists();
}
