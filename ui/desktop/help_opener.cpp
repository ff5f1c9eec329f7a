#include "ui/desktop/help_opener.h"

#include "ui/desktop/interaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>

#include <algorithm>

namespace {

// True when the file exists and the desktop names an application for its type. Viewers declare a type
// under its own name or under one of its aliases, so each is asked in turn.
bool desktopCanShow(Interaction& user, const QString& path) {
    if (!QFileInfo::exists(path))
        return false;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    const QStringList names = QStringList{type.name()} + type.aliases();
    return std::any_of(names.cbegin(), names.cend(),
                       [&user](const QString& name) { return !user.defaultApplication(name).isEmpty(); });
}

} // namespace

void openHelp(Interaction& user, QWidget* parent, const QString& programFolder) {
    const QDir program(programFolder);
    const QString guideFolder = program.filePath(kHtmlHelpFolder);
    for (const QString& document :
         {program.filePath(kCompiledHelpFile), QDir(guideFolder).filePath("index.html")}) {
        if (desktopCanShow(user, document)) {
            user.openDocument(document);
            return;
        }
    }
    user.showMessage(parent, "Справка не открылась. Руководство находится в папке: " +
                                          QDir::toNativeSeparators(guideFolder));
}

void openHelp(Interaction& user, QWidget* parent) {
    openHelp(user, parent, QCoreApplication::applicationDirPath());
}
