#pragma once

#include "catalogs/catalog_files.h"
#include "catalogs/load_coefficients.h"
#include "document/reference_file.h"
#include "model/project.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <functional>
#include <memory>
#include <type_traits>

class ProjectCommand;

// The records an edit touched, by their 1-based slots: the source, and below it the line, the section of
// that line or the mode of that source; 0 where the edit reached no deeper. A slot may name a record that
// no longer exists (a deleted one); a view then shows the nearest one.
struct ProjectPlace {
    int source = 0;
    int line = 0;
    int section = 0;
    int mode = 0;
};

// One change of the project: a command run for the first time (Edit), undone or redone, or a whole
// project put in place of the old one (Open).
struct ProjectChange {
    enum class Cause { Edit, Undo, Redo, Replaced };
    // What the edit does to the record at the deepest slot of its place: appends it to its list, puts it
    // before others, changes it, deletes it, or appends several sources (import).
    enum class Action { Add, Insert, Change, Remove, Import };
    Cause cause = Cause::Edit;
    ProjectPlace place;
    Action action = Action::Change;
};

enum class Catalog { Wires, Transformers };

// The open project as a document: the project with its file name and its undo history, and the reference
// catalogs and the load coefficient table with their files. Every change of the project passes through here
// as a command (see project_commands.h), so the history knows each one and every view can follow it through
// the signals. Changes of the reference data go to their files first and are not part of the project's
// history.
class ProjectDocument : public QObject {
    Q_OBJECT

public:
    explicit ProjectDocument(QObject* parent = nullptr);
    ~ProjectDocument() override;

    const TProect& project() const { return project_; }
    // The file last opened or saved; empty until then.
    const QString& fileName() const { return fileName_; }
    QUndoStack& history() { return history_; }
    // True while the project differs from the one last opened or saved (at start, the empty one); undoing
    // back to that state makes it unmodified again.
    bool isModified() const { return !history_.isClean(); }

    // Runs an edit for the first time and keeps it in the history.
    void apply(std::unique_ptr<ProjectCommand> command);
    // Reads a project file whole; only a complete read replaces the project. Clears the history.
    void open(const QString& path);
    // Writes the project; on success the present state becomes the saved one.
    void save(const QString& path);

    // The reference data: k10::WireCatalog, k10::TransCatalog and k10::LoadCoefficientTable. The table is
    // the built-in one while the working folder has no file of it, and when its file was refused.
    template <class Data> const ReferenceFile<Data>& reference() const { return fileOf<Data>(*this); }
    template <class Data> void read() { fileOf<Data>(*this).read(); }
    // Writes the changed data to their file, then takes them in memory and tells the views. Throws, with
    // nothing changed and no notice, while the data's file has not been read and when it cannot be written:
    // the program never shows data that its file does not hold.
    template <class Data> void change(const std::function<void(Data&)>& edit) {
        ReferenceFile<Data>& stored = fileOf<Data>(*this);
        stored.change(edit, [this] { emit aboutToChange(); });
        changed(stored.data());
    }
    // Rewrites the data's file whole.
    template <class Data> void write() const { reference<Data>().write(); }

signals:
    // Sent right before the project, a catalog or the coefficient table changes in memory, so that whoever
    // reads them on another thread stops first. The change's own notice follows.
    void aboutToChange();
    void projectChanged(const ProjectChange& change);
    void catalogChanged(Catalog catalog);
    void coefficientsChanged();

private:
    friend class ProjectCommand;

    // The file of a kind of reference data, const as the document is.
    template <class Data, class Document> static auto& fileOf(Document& document) {
        if constexpr (std::is_same_v<Data, k10::WireCatalog>)
            return document.wires_;
        else if constexpr (std::is_same_v<Data, k10::TransCatalog>)
            return document.transformers_;
        else {
            static_assert(std::is_same_v<Data, k10::LoadCoefficientTable>,
                          "not reference data of the document");
            return document.coefficients_;
        }
    }
    void changed(const k10::WireCatalog&) { emit catalogChanged(Catalog::Wires); }
    void changed(const k10::TransCatalog&) { emit catalogChanged(Catalog::Transformers); }
    void changed(const k10::LoadCoefficientTable&) { emit coefficientsChanged(); }

    // Called by a command after each run of it.
    void edited(const ProjectPlace& place, ProjectChange::Action action, bool undone);

    TProect project_;
    QString fileName_;
    QUndoStack history_;
    bool applying_ = false; // a command runs for the first time
    ReferenceFile<k10::WireCatalog> wires_;
    ReferenceFile<k10::TransCatalog> transformers_;
    ReferenceFile<k10::LoadCoefficientTable> coefficients_;
};

// One kind of edit of the project. apply() makes the change and revert() takes it back exactly; each
// returns the records it touched. The document tells the views after each.
class ProjectCommand : public QUndoCommand {
public:
    ProjectCommand(ProjectDocument& document, const char* text, ProjectChange::Action action);

    void redo() final;
    void undo() final;

protected:
    virtual ProjectPlace apply(TProect& project) = 0;
    virtual ProjectPlace revert(TProect& project) = 0;

private:
    ProjectDocument& document_;
    ProjectChange::Action action_;
};
