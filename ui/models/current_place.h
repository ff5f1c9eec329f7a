#pragma once

#include "document/project_document.h"

#include <QObject>
#include <QString>

#include <memory>

class ProjectTableModel;

// The current rows of the main window's four tables, 0-based.
struct Selection {
    int source = 0;
    int line = 0;
    int section = 0;
    int mode = 0;
};

// Resolves the current rows into the records a command acts on, checking in the command's own order
// that each exists. The first check that fails keeps its refusal (an empty one ends the command
// silently); every later check then passes it on untouched. A row beyond its list (a state the tables
// never leave behind) is refused with `beyond`, by default the request to pick a row.
class SelectionCheck {
public:
    static QString pickSource() { return "Выберите источник питания в таблице источников"; }
    static QString pickLine() { return "Выберите линию в списке линий"; }
    static QString pickSection() { return "Выберите участок в описании линии"; }

    SelectionCheck(const TProect& project, const Selection& rows);

    // The selected source; `none` when the project has no source.
    SelectionCheck& source(const QString& none, const QString& beyond = pickSource());
    // The selected line of the source; `none` when the source has no line.
    SelectionCheck& line(const QString& none, const QString& beyond = pickLine());
    // The selected line holds at least `least` sections; `none` otherwise.
    SelectionCheck& sections(const QString& none, int least = 1);
    // The selected section of the line.
    SelectionCheck& section(const QString& beyond = pickSection());
    // The selected source holds a mode; `none` otherwise.
    SelectionCheck& modes(const QString& none);
    // The selected mode of the source; silently nothing by default.
    SelectionCheck& mode(const QString& beyond = QString());
    // A check of the command's own.
    SelectionCheck& require(bool holds, const QString& otherwise);
    // Room for one more record in the list an add command extends.
    SelectionCheck& roomForSource();
    SelectionCheck& roomForLine();
    SelectionCheck& roomForSection();
    SelectionCheck& roomForMode();

    bool passed() const { return passed_; }
    const QString& refusal() const { return refusal_; }
    // The slots of the records found so far.
    const ProjectPlace& place() const { return place_; }

private:
    // Runs a check while every earlier one passed.
    template <class Check> SelectionCheck& step(Check check);
    bool refuse(const QString& refusal);
    // Finds the record of a 0-based row in a list of `count`.
    bool select(int row, int count, const QString& none, const QString& beyond, int ProjectPlace::*slot);

    const TProect& project_;
    Selection rows_;
    ProjectPlace place_;
    bool passed_ = true;
    QString refusal_;
};

// The records a place names.
const TSource& sourceAt(const TProect& project, const ProjectPlace& place);
const TLines& lineAt(const TProect& project, const ProjectPlace& place);
const TLine& sectionAt(const TProect& project, const ProjectPlace& place);
const TModeWork& modeAt(const TProect& project, const ProjectPlace& place);

// Where the user stands: the current source, line, section and mode of the main window's tables, the one
// place every command, the calculation windows and the check window follow. It owns the four tables'
// models and moves them with it: choosing a source shows that source's lines, its first line's sections
// and its modes; choosing a line shows its sections. It follows the document's notices, one path for an
// edit, undo, redo, Open and import, and tells each change of a row by its signal.
class CurrentPlace : public QObject {
    Q_OBJECT

public:
    explicit CurrentPlace(const ProjectDocument& document, QObject* parent = nullptr);
    ~CurrentPlace() override;

    // The current rows, 0-based; row 0 also where a list is empty.
    int source() const { return rows_.source; }
    int line() const { return rows_.line; }
    int section() const { return rows_.section; }
    int mode() const { return rows_.mode; }
    const Selection& rows() const { return rows_; }
    // The 1-based slot of the current source, the nearest one there is; 0 in a project without sources.
    int sourceSlot() const;

    // The records a command acts on, resolved from the current rows in the command's own order.
    SelectionCheck check() const { return SelectionCheck(document_.project(), rows_); }

    // The user makes a row current. Choosing a source makes row 0 current below it; choosing a line keeps
    // the section row where the line has that many, else its last one.
    void chooseSource(int row);
    void chooseLine(int row);
    void chooseSection(int row);
    void chooseMode(int row);
    // Makes the rows of a place current, the nearest rows where its records no longer exist: the source,
    // then, where the place names them, the line, the section and the mode.
    void select(const ProjectPlace& place);
    // Puts rows as given, without the rules above (a state the tables never leave behind; the checks of
    // the commands refuse rows beyond their lists).
    void setRows(const Selection& rows);

    // The models of the four tables: sources, the current source's lines, the current line's sections,
    // the current source's modes.
    ProjectTableModel& sources() const { return *sources_; }
    ProjectTableModel& lines() const { return *lines_; }
    ProjectTableModel& sections() const { return *sections_; }
    ProjectTableModel& modes() const { return *modes_; }

signals:
    // A source row was chosen (again or anew): everything below it follows.
    void sourceChanged(int row);
    void lineChanged(int row);
    void sectionChanged(int row);
    void modeChanged(int row);
    // Any of the rows moved, or a table below the sources was shown afresh.
    void changed();

private:
    void follow(const ProjectChange& change);
    // Shows the tables below the source afresh for the current source with `line` current (row 0 where
    // the source has no such line); the section and mode rows return to 0.
    void showBelowSource(int line);
    void setLine(int row);
    void setSection(int row);
    void setMode(int row);

    const ProjectDocument& document_;
    Selection rows_;
    std::unique_ptr<ProjectTableModel> sources_, lines_, sections_, modes_;
};
