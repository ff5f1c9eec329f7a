#include "ui/models/project_table_models.h"

#include "ui/desktop/cp1251_text.h"
#include "ui/models/current_place.h"
#include "ui/models/row_formats.h"

#include <algorithm>

ProjectTableModel::ProjectTableModel(const ProjectDocument& document, const Selection& rows, int columns,
                                     QObject* parent)
    : QAbstractTableModel(parent), document_(document), rows_(rows), columns_(columns),
      texts_(1, QStringList()) {}

int ProjectTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(texts_.size());
}

int ProjectTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant ProjectTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return text(index.row(), index.column());
}

Qt::ItemFlags ProjectTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The flags a plain text cell of a table widget has, so the tables read through accessibility as
    // they always have; nothing edits a cell in place.
    return Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsEditable |
           Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QString ProjectTableModel::text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0)
        return {};
    const QStringList& texts = texts_[static_cast<std::size_t>(row)];
    return column < texts.size() ? texts[column] : QString();
}

void ProjectTableModel::resize(int count) {
    count = std::max(count, 1);
    const int now = rowCount();
    if (count < now) {
        beginRemoveRows({}, count, now - 1);
        texts_.resize(static_cast<std::size_t>(count));
        endRemoveRows();
    } else if (count > now) {
        beginInsertRows({}, now, count - 1);
        texts_.resize(static_cast<std::size_t>(count));
        endInsertRows();
    }
}

void ProjectTableModel::setRow(int row, const QStringList& texts) {
    texts_[static_cast<std::size_t>(row)] = texts;
    emit dataChanged(index(row, 0), index(row, columns_ - 1), {Qt::DisplayRole, Qt::EditRole});
}

void ProjectTableModel::showAll(bool fromTop) {
    typed_.reset();
    // From the top, the table goes down to one row first: a current row below the first moves to the
    // first, and the view scrolls back to the top.
    if (fromTop)
        resize(1);
    const int count = recordCount();
    resize(count);
    for (int row = 0; row < std::max(count, 1); ++row)
        texts_[static_cast<std::size_t>(row)] = row < count ? recordRow(row) : QStringList();
    emit dataChanged(index(0, 0), index(rowCount() - 1, columns_ - 1), {Qt::DisplayRole, Qt::EditRole});
}

void ProjectTableModel::showRow(int row) {
    if (row < 0 || row >= recordCount() || row >= rowCount())
        return;
    setRow(row, typed_ ? *typed_ : recordRow(row));
    typed_.reset();
}

void ProjectTableModel::showAppended() {
    const int count = recordCount();
    if (count < 1)
        return;
    resize(count);
    setRow(count - 1, typed_ ? *typed_ : recordRow(count - 1));
    typed_.reset();
    emit rowToShow(count - 1);
}

int SourcesModel::recordCount() const {
    return project().SourceCount();
}

QStringList SourcesModel::recordRow(int row) const {
    return sourceRow(project().Sources[row + 1]);
}

namespace {

// The current source, or none where the row names none.
const TSource* currentSource(const TProect& project, const Selection& rows) {
    return rows.source >= 0 && rows.source < project.SourceCount() ? &project.Sources[rows.source + 1]
                                                                   : nullptr;
}

const TLines* currentLine(const TProect& project, const Selection& rows) {
    const TSource* source = currentSource(project, rows);
    return source && rows.line >= 0 && rows.line < source->LineCount() ? &source->Lines[rows.line + 1]
                                                                       : nullptr;
}

} // namespace

int LinesModel::recordCount() const {
    const TSource* source = currentSource(project(), current());
    return source ? source->LineCount() : 0;
}

QStringList LinesModel::recordRow(int row) const {
    return {fromCp1251(currentSource(project(), current())->Lines[row + 1].Name.view())};
}

int SectionsModel::recordCount() const {
    const TLines* line = currentLine(project(), current());
    return line ? line->SectionCount() : 0;
}

QStringList SectionsModel::recordRow(int row) const {
    return sectionRow(currentLine(project(), current())->Sections[row + 1]);
}

int ModesModel::recordCount() const {
    const TSource* source = currentSource(project(), current());
    return source && source->LineCount() > 0 ? source->ModeWorkCount() : 0;
}

QStringList ModesModel::recordRow(int row) const {
    return modeRow(currentSource(project(), current())->ModeWorks[row + 1]);
}
