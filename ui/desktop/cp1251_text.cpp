#include "ui/desktop/cp1251_text.h"

#include "text/codepage.h"

#include <QFile>

QString fromCp1251(std::string_view text) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text)
        out += QChar(static_cast<char16_t>(k10::cp1251ToUnicode(static_cast<unsigned char>(c))));
    return out;
}

std::string toCp1251(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        int byte = c.isSurrogate() ? -1 : k10::unicodeToCp1251(c.unicode());
        out += byte >= 0 ? static_cast<char>(byte) : '?';
    }
    return out;
}

bool fitsCp1251(const QString& text) {
    for (QChar c : text)
        if (c.isSurrogate() || k10::unicodeToCp1251(c.unicode()) < 0)
            return false;
    return true;
}

QValidator::State Cp1251Validator::validate(QString& input, int&) const {
    return fitsCp1251(input) ? Acceptable : Invalid;
}

std::string toLocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
