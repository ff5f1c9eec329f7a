#pragma once

#include "document/project_document.h"

#include <QString>

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
