#include "document/project_commands.h"

#include <optional>
#include <utility>

namespace {

// The list of the project that holds a kind of record at a place, and the slot of the place that names
// one record of it.
template <class Record> struct Records;

template <> struct Records<TSource> {
    template <class Project> static auto& in(Project& project, const ProjectPlace&) { return project.Sources; }
    static constexpr int ProjectPlace::*slot = &ProjectPlace::source;
};

template <> struct Records<TLines> {
    template <class Project> static auto& in(Project& project, const ProjectPlace& place) {
        return project.Sources[place.source].Lines;
    }
    static constexpr int ProjectPlace::*slot = &ProjectPlace::line;
};

template <> struct Records<TLine> {
    template <class Project> static auto& in(Project& project, const ProjectPlace& place) {
        return project.Sources[place.source].Lines[place.line].Sections;
    }
    static constexpr int ProjectPlace::*slot = &ProjectPlace::section;
};

template <> struct Records<TModeWork> {
    template <class Project> static auto& in(Project& project, const ProjectPlace& place) {
        return project.Sources[place.source].ModeWorks;
    }
    static constexpr int ProjectPlace::*slot = &ProjectPlace::mode;
};

// Puts a record into its list at the place, or takes it out; undo does the other. While the record is
// out of the list, the command keeps it, with all it holds.
template <class Record> class PlaceRecord final : public ProjectCommand {
public:
    // With a record, the command adds it; without one, it deletes the record at the place.
    PlaceRecord(ProjectDocument& document, const char* text, ProjectPlace place, std::optional<Record> adding)
        : ProjectCommand(document, text, actionOf(document, place, adding.has_value())), place_(place), adds_(adding.has_value()),
          kept_(adding ? std::move(*adding) : Record{}) {}

protected:
    ProjectPlace apply(TProect& project) override { return adds_ ? putIn(project) : takeOut(project); }
    ProjectPlace revert(TProect& project) override { return adds_ ? takeOut(project) : putIn(project); }

private:
    using Of = Records<Record>;

    static ProjectChange::Action actionOf(ProjectDocument& document, const ProjectPlace& place, bool adds) {
        using Action = ProjectChange::Action;
        if (!adds)
            return Action::Remove;
        const auto& list = Of::in(document.project(), place);
        return place.*Of::slot > list.count() ? Action::Add : Action::Insert;
    }

    ProjectPlace putIn(TProect& project) {
        Of::in(project, place_).insert(place_.*Of::slot, std::move(kept_));
        return place_;
    }
    ProjectPlace takeOut(TProect& project) {
        auto& list = Of::in(project, place_);
        kept_ = std::move(list[place_.*Of::slot]);
        list.remove(place_.*Of::slot);
        return place_;
    }

    ProjectPlace place_;
    bool adds_;
    Record kept_;
};

// Puts another version of a record in its place; undo puts the former one back. Each run swaps the
// version in the project with the one the command keeps.
template <class Record> class ReplaceRecord final : public ProjectCommand {
public:
    ReplaceRecord(ProjectDocument& document, const char* text, ProjectPlace place, Record other)
        : ProjectCommand(document, text, ProjectChange::Action::Change), place_(place), other_(std::move(other)) {}

protected:
    ProjectPlace apply(TProect& project) override { return swap(project); }
    ProjectPlace revert(TProect& project) override { return swap(project); }

private:
    using Of = Records<Record>;

    ProjectPlace swap(TProect& project) {
        std::swap(Of::in(project, place_)[place_.*Of::slot], other_);
        return place_;
    }

    ProjectPlace place_;
    Record other_;
};

// The fields of a source of its own, without its lines and modes.
struct SourceHeader {
    k10::ShortString<50> Name;
    std::int32_t Code = 0;
    double Napr = 0;
    double R_Max = 0;
    double X_Max = 0;
    double R_Min = 0;
    double X_Min = 0;

    static SourceHeader of(const TSource& source) {
        return {source.Name, source.Code, source.Napr, source.R_Max, source.X_Max, source.R_Min, source.X_Min};
    }
    void into(TSource& source) const {
        source.Name = Name;
        source.Code = Code;
        source.Napr = Napr;
        source.R_Max = R_Max;
        source.X_Max = X_Max;
        source.R_Min = R_Min;
        source.X_Min = X_Min;
    }
};

// Puts other own fields into a source; its lines and modes stay where they are, so the command keeps
// the header only. Each run swaps the header in the project with the one the command keeps.
class ChangeSourceHeader final : public ProjectCommand {
public:
    ChangeSourceHeader(ProjectDocument& document, int slot, const TSource& source)
        : ProjectCommand(document, "изменение источника", ProjectChange::Action::Change), slot_(slot), other_(SourceHeader::of(source)) {}

protected:
    ProjectPlace apply(TProect& project) override { return swap(project); }
    ProjectPlace revert(TProect& project) override { return swap(project); }

private:
    ProjectPlace swap(TProect& project) {
        TSource& source = project.Sources[slot_];
        const SourceHeader shown = SourceHeader::of(source);
        other_.into(source);
        other_ = shown;
        return {slot_};
    }

    int slot_;
    SourceHeader other_;
};

// Appends sources after the last one; undo takes them back out and keeps them.
class AppendSources final : public ProjectCommand {
public:
    AppendSources(ProjectDocument& document, std::vector<TSource> sources)
        : ProjectCommand(document, "импорт из DOS", ProjectChange::Action::Import), sources_(std::move(sources)) {}

protected:
    ProjectPlace apply(TProect& project) override {
        const ProjectPlace first{project.SourceCount() + 1};
        for (TSource& source : sources_)
            project.Sources.append(std::move(source));
        return first;
    }
    ProjectPlace revert(TProect& project) override {
        const int first = project.SourceCount() - static_cast<int>(sources_.size()) + 1;
        for (std::size_t i = 0; i < sources_.size(); ++i) {
            sources_[i] = std::move(project.Sources[first]);
            project.Sources.remove(first);
        }
        return {first};
    }

private:
    std::vector<TSource> sources_;
};

template <class Record>
std::unique_ptr<ProjectCommand> adding(ProjectDocument& document, const char* text, ProjectPlace place,
                                       Record record) {
    return std::make_unique<PlaceRecord<Record>>(document, text, place, std::move(record));
}

template <class Record>
std::unique_ptr<ProjectCommand> deleting(ProjectDocument& document, const char* text, ProjectPlace place) {
    return std::make_unique<PlaceRecord<Record>>(document, text, place, std::nullopt);
}

template <class Record>
std::unique_ptr<ProjectCommand> replacing(ProjectDocument& document, const char* text, ProjectPlace place,
                                          Record record) {
    return std::make_unique<ReplaceRecord<Record>>(document, text, place, std::move(record));
}

} // namespace

std::unique_ptr<ProjectCommand> addSource(ProjectDocument& document, TSource source) {
    return adding(document, "добавление источника", {document.project().SourceCount() + 1},
                  std::move(source));
}

std::unique_ptr<ProjectCommand> changeSource(ProjectDocument& document, int slot, const TSource& source) {
    return std::make_unique<ChangeSourceHeader>(document, slot, source);
}

std::unique_ptr<ProjectCommand> deleteSource(ProjectDocument& document, int slot) {
    return deleting<TSource>(document, "удаление источника", {slot});
}

std::unique_ptr<ProjectCommand> newLine(ProjectDocument& document, int source, TLines line) {
    const ProjectPlace place{source, document.project().Sources[source].LineCount() + 1};
    return adding(document, "новая линия", place, std::move(line));
}

std::unique_ptr<ProjectCommand> deleteLine(ProjectDocument& document, ProjectPlace line) {
    return deleting<TLines>(document, "удаление линии", line);
}

std::unique_ptr<ProjectCommand> addSection(ProjectDocument& document, ProjectPlace line, TLine section) {
    line.section = document.project().Sources[line.source].Lines[line.line].SectionCount() + 1;
    return adding(document, "добавление участка", line, std::move(section));
}

std::unique_ptr<ProjectCommand> insertSection(ProjectDocument& document, ProjectPlace section, TLine record) {
    return adding(document, "вставка участка", section, std::move(record));
}

std::unique_ptr<ProjectCommand> changeSection(ProjectDocument& document, ProjectPlace section, TLine record) {
    return replacing(document, "изменение участка", section, std::move(record));
}

std::unique_ptr<ProjectCommand> deleteSection(ProjectDocument& document, ProjectPlace section) {
    return deleting<TLine>(document, "удаление участка", section);
}

std::unique_ptr<ProjectCommand> addMode(ProjectDocument& document, int source, TModeWork mode) {
    const ProjectPlace place{.source = source,
                             .mode = document.project().Sources[source].ModeWorkCount() + 1};
    return adding(document, "добавление режима", place, std::move(mode));
}

std::unique_ptr<ProjectCommand> changeMode(ProjectDocument& document, ProjectPlace mode, TModeWork record) {
    return replacing(document, "изменение режима", mode, std::move(record));
}

std::unique_ptr<ProjectCommand> deleteMode(ProjectDocument& document, ProjectPlace mode) {
    return deleting<TModeWork>(document, "удаление режима", mode);
}

std::unique_ptr<ProjectCommand> importSources(ProjectDocument& document, std::vector<TSource> sources) {
    return std::make_unique<AppendSources>(document, std::move(sources));
}
