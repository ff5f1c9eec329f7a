#pragma once

#include "document/project_document.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <optional>
#include <vector>

struct Selection;

// One table of the main window over the document's records: at least one row (an empty one while there
// is nothing to show), and the texts of each row as row_formats.h writes them. The rows change only when
// told: the whole table shown afresh, one row shown again, or a record appended. A row changed or added
// through a dialog shows the dialog's texts as typed until the table is shown afresh.
class ProjectTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    ProjectTableModel(const ProjectDocument& document, const Selection& rows, int columns,
                      QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QString text(int row, int column) const;
    // The number of records the table shows.
    virtual int recordCount() const = 0;

    // Shows every record afresh; from the top, as a table emptied and filled again, or in place, the
    // current row kept where the table still has it.
    void showAll(bool fromTop = true);
    // Shows one record's row again.
    void showRow(int row);
    // Shows the row of a record appended to the list, and asks for it to be scrolled into view.
    void showAppended();
    // The texts the next row shown again or appended shows instead of its record's.
    void keepTyped(const QStringList& texts) { typed_ = texts; }
    // Asks for a row to be scrolled into view.
    void reveal(int row) { emit rowToShow(row); }

signals:
    // A row the view should scroll into view.
    void rowToShow(int row);

protected:
    virtual QStringList recordRow(int row) const = 0;
    const TProect& project() const { return document_.project(); }
    // The current rows of the main window.
    const Selection& current() const { return rows_; }

private:
    void resize(int count);
    void setRow(int row, const QStringList& texts);

    const ProjectDocument& document_;
    const Selection& rows_;
    int columns_;
    std::vector<QStringList> texts_;
    std::optional<QStringList> typed_;
};

// The sources of the project.
class SourcesModel final : public ProjectTableModel {
public:
    SourcesModel(const ProjectDocument& document, const Selection& rows, QObject* parent = nullptr)
        : ProjectTableModel(document, rows, 7, parent) {}
    int recordCount() const override;

protected:
    QStringList recordRow(int row) const override;
};

// The names of the current source's lines.
class LinesModel final : public ProjectTableModel {
public:
    LinesModel(const ProjectDocument& document, const Selection& rows, QObject* parent = nullptr)
        : ProjectTableModel(document, rows, 1, parent) {}
    int recordCount() const override;

protected:
    QStringList recordRow(int row) const override;
};

// The sections of the current line.
class SectionsModel final : public ProjectTableModel {
public:
    SectionsModel(const ProjectDocument& document, const Selection& rows, QObject* parent = nullptr)
        : ProjectTableModel(document, rows, 7, parent) {}
    int recordCount() const override;

protected:
    QStringList recordRow(int row) const override;
};

// The operating modes of the current source; none while the source has no line.
class ModesModel final : public ProjectTableModel {
public:
    ModesModel(const ProjectDocument& document, const Selection& rows, QObject* parent = nullptr)
        : ProjectTableModel(document, rows, 8, parent) {}
    int recordCount() const override;

protected:
    QStringList recordRow(int row) const override;
};
