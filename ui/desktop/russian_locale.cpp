#include "ui/desktop/russian_locale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void useRussianLocale(QCoreApplication& application) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto* translations = new QTranslator(&application);
    if (translations->load(QLocale(), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translations);
}
