// Start-up: the application, its Russian translations, every window created once, the event loop.

#include "ui/workbench.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvane10");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));

    // Qt's own buttons and file dialogs speak Russian.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    Workbench workbench;
    workbench.show();
    return QApplication::exec();
}
