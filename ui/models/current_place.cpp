#include "ui/models/current_place.h"

#include "ui/models/project_table_models.h"

#include <algorithm>

namespace {

template <class List> QString fullMessage(const char* text, const List&) {
    return QString::fromUtf8(text).arg(List::capacity);
}

} // namespace

SelectionCheck::SelectionCheck(const TProect& project, const Selection& rows)
    : project_(project), rows_(rows) {}

template <class Check> SelectionCheck& SelectionCheck::step(Check check) {
    if (passed_)
        passed_ = check();
    return *this;
}

bool SelectionCheck::refuse(const QString& refusal) {
    refusal_ = refusal;
    return false;
}

bool SelectionCheck::select(int row, int count, const QString& none, const QString& beyond,
                            int ProjectPlace::*slot) {
    if (count < 1)
        return refuse(none);
    if (row < 0 || row >= count)
        return refuse(beyond);
    place_.*slot = row + 1;
    return true;
}

SelectionCheck& SelectionCheck::source(const QString& none, const QString& beyond) {
    return step(
        [&] { return select(rows_.source, project_.SourceCount(), none, beyond, &ProjectPlace::source); });
}

SelectionCheck& SelectionCheck::line(const QString& none, const QString& beyond) {
    return step([&] {
        return select(rows_.line, sourceAt(project_, place_).LineCount(), none, beyond, &ProjectPlace::line);
    });
}

SelectionCheck& SelectionCheck::sections(const QString& none, int least) {
    return step([&] { return lineAt(project_, place_).SectionCount() >= least || refuse(none); });
}

SelectionCheck& SelectionCheck::section(const QString& beyond) {
    return step([&] {
        return select(rows_.section, lineAt(project_, place_).SectionCount(), QString(), beyond,
                      &ProjectPlace::section);
    });
}

SelectionCheck& SelectionCheck::modes(const QString& none) {
    return step([&] { return sourceAt(project_, place_).ModeWorkCount() > 0 || refuse(none); });
}

SelectionCheck& SelectionCheck::mode(const QString& beyond) {
    return step([&] {
        return select(rows_.mode, sourceAt(project_, place_).ModeWorkCount(), QString(), beyond,
                      &ProjectPlace::mode);
    });
}

SelectionCheck& SelectionCheck::require(bool holds, const QString& otherwise) {
    return step([&] { return holds || refuse(otherwise); });
}

SelectionCheck& SelectionCheck::roomForSource() {
    return step([&] {
        const auto& sources = project_.Sources;
        return !sources.full() || refuse(fullMessage("Нельзя создать больше %1 источников питания", sources));
    });
}

SelectionCheck& SelectionCheck::roomForLine() {
    return step([&] {
        const auto& lines = sourceAt(project_, place_).Lines;
        return !lines.full() ||
               refuse(fullMessage("У источника питания уже %1 линий, больше добавить нельзя", lines));
    });
}

SelectionCheck& SelectionCheck::roomForSection() {
    return step([&] {
        const auto& sections = lineAt(project_, place_).Sections;
        return !sections.full() ||
               refuse(fullMessage("В линии уже %1 участков, больше добавить нельзя", sections));
    });
}

SelectionCheck& SelectionCheck::roomForMode() {
    return step([&] {
        const auto& modes = sourceAt(project_, place_).ModeWorks;
        return !modes.full() || refuse(fullMessage("Для данного источника уже введено %1 режимов работы. "
                                                   "Новый режим добавить нельзя",
                                                   modes));
    });
}

const TSource& sourceAt(const TProect& project, const ProjectPlace& place) {
    return project.Sources[place.source];
}

const TLines& lineAt(const TProect& project, const ProjectPlace& place) {
    return sourceAt(project, place).Lines[place.line];
}

const TLine& sectionAt(const TProect& project, const ProjectPlace& place) {
    return lineAt(project, place).Sections[place.section];
}

const TModeWork& modeAt(const TProect& project, const ProjectPlace& place) {
    return sourceAt(project, place).ModeWorks[place.mode];
}

namespace {

// The 0-based row of a slot in a list of `count`, or the nearest row there is.
int nearestRow(int slot, int count) {
    return std::clamp(slot - 1, 0, std::max(count - 1, 0));
}

} // namespace

CurrentPlace::CurrentPlace(const ProjectDocument& document, QObject* parent)
    : QObject(parent), document_(document), sources_(std::make_unique<SourcesModel>(document, rows_)),
      lines_(std::make_unique<LinesModel>(document, rows_)),
      sections_(std::make_unique<SectionsModel>(document, rows_)),
      modes_(std::make_unique<ModesModel>(document, rows_)) {
    connect(&document, &ProjectDocument::projectChanged, this, &CurrentPlace::follow);
}

CurrentPlace::~CurrentPlace() = default;

int CurrentPlace::sourceSlot() const {
    const int count = document_.project().SourceCount();
    return count > 0 ? std::clamp(rows_.source + 1, 1, count) : 0;
}

void CurrentPlace::chooseSource(int row) {
    rows_.source = row;
    emit sourceChanged(row);
    showBelowSource(0);
}

void CurrentPlace::showBelowSource(int line) {
    const TProect& project = document_.project();
    if (project.SourceCount() > 0 && (rows_.source < 0 || rows_.source >= project.SourceCount()))
        return;
    const int lines = project.SourceCount() > 0 ? project.Sources[rows_.source + 1].LineCount() : 0;
    rows_.line = line >= 0 && line < lines ? line : 0;
    rows_.section = 0;
    rows_.mode = 0;
    lines_->showAll();
    sections_->showAll();
    modes_->showAll();
    emit lineChanged(rows_.line);
    emit sectionChanged(0);
    emit modeChanged(0);
    emit changed();
}

void CurrentPlace::chooseLine(int row) {
    setLine(row);
    emit changed();
}

void CurrentPlace::setLine(int row) {
    rows_.line = row;
    emit lineChanged(row);
    const TProect& project = document_.project();
    if (rows_.source < 0 || rows_.source >= project.SourceCount())
        return;
    const TSource& source = project.Sources[rows_.source + 1];
    if (row < 0 || row >= source.LineCount())
        return;
    // The sections are rewritten in place: the section row stays where the line has that many rows, else
    // it moves to the last one.
    sections_->showAll(false);
    const int last = std::max(source.Lines[row + 1].SectionCount(), 1) - 1;
    if (rows_.section > last)
        setSection(last);
}

void CurrentPlace::chooseSection(int row) {
    setSection(row);
    emit changed();
}

void CurrentPlace::setSection(int row) {
    rows_.section = row;
    emit sectionChanged(row);
}

void CurrentPlace::chooseMode(int row) {
    setMode(row);
    emit changed();
}

void CurrentPlace::setMode(int row) {
    rows_.mode = row;
    emit modeChanged(row);
}

void CurrentPlace::select(const ProjectPlace& place) {
    const TProect& project = document_.project();
    chooseSource(nearestRow(place.source, project.SourceCount()));
    if (project.SourceCount() == 0)
        return;
    const TSource& source = project.Sources[rows_.source + 1];
    // A source without lines shows neither sections nor modes.
    if (source.LineCount() == 0)
        return;
    if (place.line)
        setLine(nearestRow(place.line, source.LineCount()));
    if (place.section)
        setSection(nearestRow(place.section, source.Lines[rows_.line + 1].SectionCount()));
    if (place.mode)
        setMode(nearestRow(place.mode, source.ModeWorkCount()));
    emit changed();
}

void CurrentPlace::setRows(const Selection& rows) {
    rows_ = rows;
}

void CurrentPlace::follow(const ProjectChange& change) {
    using Cause = ProjectChange::Cause;
    using Action = ProjectChange::Action;
    const ProjectPlace& at = change.place;
    if (change.cause != Cause::Edit || change.action == Action::Import) {
        sources_->showAll();
        select(change.cause == Cause::Undo || change.cause == Cause::Redo ? at : ProjectPlace{});
        return;
    }
    // Lines and modes of another source, or sections of another line, are in no table.
    const bool otherSource = (at.line || at.mode) && at.source != rows_.source + 1;
    if (otherSource || (at.section && at.line != rows_.line + 1))
        return;
    // An edit of the current place: an added record is shown at the end of its table and scrolled to, a
    // changed one is shown again, and after a deletion or an insertion the tables below the source are
    // shown afresh.
    ProjectTableModel& table = at.mode ? *modes_ : at.section ? *sections_ : at.line ? *lines_ : *sources_;
    const int row = at.mode ? at.mode : at.section ? at.section : at.line ? at.line : at.source;
    switch (change.action) {
    case Action::Add:
        table.showAppended();
        break;
    case Action::Change:
        table.showRow(row - 1);
        break;
    case Action::Insert:
    case Action::Remove:
        if (&table == sources_.get()) {
            sources_->showAll();
            select({});
            return;
        }
        showBelowSource(&table == lines_.get() ? 0 : rows_.line);
        if (change.action == Action::Insert)
            table.reveal(row - 1);
        break;
    case Action::Import:
        break;
    }
    emit changed();
}
