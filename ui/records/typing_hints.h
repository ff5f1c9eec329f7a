#pragma once

#include <QString>

class FieldHint;
class QComboBox;
class QLineEdit;

// The warnings the record dialogs show beside a field while it is typed. They refuse nothing: the dialogs
// keep every text they always took; they say at once what the calculation would find wrong.

inline const QString CodeOutOfRange = QStringLiteral("Шифр должен быть от 1 до 32");
inline const QString NotInCatalog = QStringLiteral("Нет в справочнике");

// CodeOutOfRange for a load-graph code that is not a whole number from 1 to 32, read as the calculation
// reads it; nothing for a blank field.
QString loadCodeWarning(const QString& code);
// NotInCatalog for a name that the list of a catalog's names does not offer, blanks around the name not
// counting, as the calculation compares them; nothing for a blank field.
QString catalogNameWarning(const QComboBox& catalogNames, const QString& name);

// The warning of a field, beside it: named after the field with "Hint", and shown as the user types and
// as the dialog fills the field or the catalog's names change.
FieldHint* hintForLoadCode(QLineEdit* field);
FieldHint* hintForCatalogName(QComboBox* catalogNames);
