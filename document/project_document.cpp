#include "document/project_document.h"

#include "model/project_file.h"

#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>

namespace {

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The coefficient table of the working folder: the built-in one while there is no file of it; a file
// that is there must read whole.
k10::LoadCoefficientTable readCoefficients(const std::string& path) {
    if (!QFileInfo::exists(QFile::decodeName(QByteArray::fromStdString(path))))
        return k10::builtInLoadCoefficients();
    return k10::readLoadCoefficients(path);
}

} // namespace

ProjectDocument::ProjectDocument(QObject* parent)
    : QObject(parent),
      wires_(k10::WireCatalogFile, &k10::readWireCatalog, &k10::writeWireCatalog,
             "Справочник проводов не был прочитан из файла spravp.dat при запуске программы, "
             "поэтому изменять его нельзя. Исправьте файл и запустите программу снова."),
      transformers_(k10::TransCatalogFile, &k10::readTransCatalog, &k10::writeTransCatalog,
                    "Справочник трансформаторов не был прочитан из файла spravt.dat при запуске программы, "
                    "поэтому изменять его нельзя. Исправьте файл и запустите программу снова."),
      coefficients_(
          k10::LoadCoefficientFile, &readCoefficients, &k10::writeLoadCoefficients,
          "Таблица коэффициентов графиков нагрузки не была прочитана из файла koefnagr.dat при запуске "
          "программы, поэтому изменять её нельзя. Исправьте файл и запустите программу снова.",
          k10::builtInLoadCoefficients()) {}

ProjectDocument::~ProjectDocument() {
    // The commands refer to the document; they go while it is still whole.
    history_.clear();
}

void ProjectDocument::apply(std::unique_ptr<ProjectCommand> command) {
    QScopedValueRollback<bool> firstRun(applying_, true);
    // The history takes the command only after its first run has returned: a run that throws leaves it
    // here to be deleted.
    ProjectCommand* pushed = command.get();
    try {
        history_.push(command.release());
    } catch (...) {
        if (history_.count() == 0 || history_.command(history_.count() - 1) != pushed)
            delete pushed;
        throw;
    }
}

void ProjectDocument::open(const QString& path) {
    TProect read = k10::readProject(localPath(path));
    emit aboutToChange();
    project_ = std::move(read);
    fileName_ = path;
    history_.clear();
    emit projectChanged({ProjectChange::Cause::Replaced, {}});
}

void ProjectDocument::save(const QString& path) {
    k10::writeProject(localPath(path), project_);
    fileName_ = path;
    history_.setClean();
}

void ProjectDocument::edited(const ProjectPlace& place, ProjectChange::Action action, bool undone) {
    using Cause = ProjectChange::Cause;
    emit projectChanged({undone ? Cause::Undo : applying_ ? Cause::Edit : Cause::Redo, place, action});
}

ProjectCommand::ProjectCommand(ProjectDocument& document, const char* text, ProjectChange::Action action)
    : QUndoCommand(QString::fromUtf8(text)), document_(document), action_(action) {}

void ProjectCommand::redo() {
    emit document_.aboutToChange();
    document_.edited(apply(document_.project_), action_, false);
}

void ProjectCommand::undo() {
    emit document_.aboutToChange();
    document_.edited(revert(document_.project_), action_, true);
}
