#include "ui/reference/tf_koefnagr.h"

#include "catalogs/load_graph_codes.h"
#include "ui/widgets/fields.h"
#include "ui/desktop/interaction.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidgetItem* fixedItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

TF_KoefNagr::TF_KoefNagr(Interaction& user, QWidget* parent) : QDialog(parent), user_(user) {
    setObjectName("TF_KoefNagr");
    setWindowTitle("Коэффициенты графиков нагрузки");
    Grid = new QTableWidget(32, 6, this);
    Grid->setObjectName("Grid");
    Grid->setHorizontalHeaderLabels(
        {"Шифр", "Наименование потребителя", "k дн.", "k веч.", "cos φ дн.", "cos φ веч."});
    Grid->verticalHeader()->hide();
    Grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    Grid->setWordWrap(false);
    for (const k10::LoadGraphCode& code : k10::loadGraphCodes()) {
        Grid->setItem(code.code - 1, 0, fixedItem(QString::number(code.code)));
        Grid->setItem(code.code - 1, 1, fixedItem(QString::fromUtf8(code.description).simplified()));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = buttons->button(QDialogButtonBox::Ok);
    OkButton->setObjectName("OkButton");
    CancelButton = buttons->button(QDialogButtonBox::Cancel);
    CancelButton->setObjectName("CancelButton");
    DefaultsButton = buttons->addButton("По умолчанию", QDialogButtonBox::ResetRole);
    DefaultsButton->setObjectName("DefaultsButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &TF_KoefNagr::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(DefaultsButton, &QPushButton::clicked, this, &TF_KoefNagr::DefaultsButtonClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Grid);
    layout->addWidget(buttons);
    resize(760, 600);
}

void TF_KoefNagr::prefill(const k10::LoadCoefficientTable& table) {
    for (int row = 0; row < Grid->rowCount(); ++row) {
        k10::LoadCoefficients values = table.rows[std::size_t(row)];
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(DecimalSpinField::formatted(k10::valueOf(values, k10::CoefficientColumns[column])));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Grid->setItem(row, kFirstValueColumn + column, item);
        }
    }
}

void TF_KoefNagr::storeInto(k10::LoadCoefficientTable& table) const {
    for (int row = 0; row < Grid->rowCount(); ++row)
        for (int column = 0; column < 4; ++column)
            if (auto value = DecimalSpinField::parse(Grid->item(row, kFirstValueColumn + column)->text()))
                k10::valueOf(table.rows[std::size_t(row)], k10::CoefficientColumns[column]) = *value;
}

void TF_KoefNagr::DefaultsButtonClick() {
    prefill(k10::builtInLoadCoefficients());
}

void TF_KoefNagr::accept() {
    for (int row = 0; row < Grid->rowCount(); ++row)
        for (int column = 0; column < 4; ++column) {
            const int gridColumn = kFirstValueColumn + column;
            const QString text = Grid->item(row, gridColumn)->text();
            std::optional<double> value = DecimalSpinField::parse(text);
            QString refusal;
            if (!value)
                refusal = QString("Шифр %1, столбец «%2»: «%3» не является числом.")
                              .arg(row + 1)
                              .arg(Grid->horizontalHeaderItem(gridColumn)->text(), text);
            else if (auto message = k10::checkLoadCoefficient(row + 1, k10::CoefficientColumns[column], *value))
                refusal = QString::fromStdString(*message);
            if (!refusal.isEmpty()) {
                Grid->setCurrentCell(row, gridColumn);
                user_.showMessage(this, refusal);
                return;
            }
        }
    QDialog::accept();
}

bool TF_KoefNagr::edit(k10::LoadCoefficientTable& table) {
    prefill(table);
    if (!user_.runDialog(*this))
        return false;
    storeInto(table);
    table.builtIn = false;
    return true;
}
