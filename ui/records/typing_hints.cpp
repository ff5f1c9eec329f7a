#include "ui/records/typing_hints.h"

#include "text/number_parse.h"
#include "ui/desktop/cp1251_text.h"
#include "ui/widgets/field_hint.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLineEdit>

namespace {

// The blanks the calculation drops around a name: the space, the tab and the non-breaking space.
QString withoutBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    auto blank = [&](qsizetype i) { return text[i] == ' ' || text[i] == '\t' || text[i] == QChar(0x00A0); };
    while (begin < end && blank(begin))
        ++begin;
    while (end > begin && blank(end - 1))
        --end;
    return text.mid(begin, end - begin);
}

FieldHint* hintBeside(QWidget* field, const QString& warning) {
    auto* hint = new FieldHint({warning}, field->parentWidget());
    hint->setObjectName(field->objectName() + "Hint");
    return hint;
}

} // namespace

QString loadCodeWarning(const QString& code) {
    const std::string bytes = toCp1251(code);
    const std::string_view trimmed = k10::trimBlanks(bytes);
    if (trimmed.empty())
        return {};
    const auto number = k10::parseInteger(trimmed);
    return number && *number >= 1 && *number <= 32 ? QString() : CodeOutOfRange;
}

QString catalogNameWarning(const QComboBox& catalogNames, const QString& name) {
    const QString wanted = withoutBlanks(name);
    if (wanted.isEmpty())
        return {};
    for (int i = 0; i < catalogNames.count(); ++i)
        if (withoutBlanks(catalogNames.itemText(i)) == wanted)
            return {};
    return NotInCatalog;
}

FieldHint* hintForLoadCode(QLineEdit* field) {
    FieldHint* hint = hintBeside(field, CodeOutOfRange);
    QObject::connect(field, &QLineEdit::textChanged, hint,
                     [hint](const QString& text) { hint->setText(loadCodeWarning(text)); });
    return hint;
}

FieldHint* hintForCatalogName(QComboBox* catalogNames) {
    FieldHint* hint = hintBeside(catalogNames, NotInCatalog);
    auto update = [hint, catalogNames] {
        hint->setText(catalogNameWarning(*catalogNames, catalogNames->currentText()));
    };
    QObject::connect(catalogNames, &QComboBox::editTextChanged, hint, update);
    // The catalog's names are put in anew after every change of the catalog.
    QObject::connect(catalogNames->model(), &QAbstractItemModel::rowsInserted, hint, update);
    QObject::connect(catalogNames->model(), &QAbstractItemModel::rowsRemoved, hint, update);
    QObject::connect(catalogNames->model(), &QAbstractItemModel::modelReset, hint, update);
    return hint;
}
