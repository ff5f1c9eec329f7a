#include "ui/models/selection.h"

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
