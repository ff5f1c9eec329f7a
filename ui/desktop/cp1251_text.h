#pragma once

#include <QString>
#include <QValidator>

#include <string>
#include <string_view>

// The boundary between the model's Windows-1251 bytes and the widgets' Unicode text.

QString fromCp1251(std::string_view text);
// Characters that Windows-1251 cannot hold become '?'; the text fields never let the user type them.
std::string toCp1251(const QString& text);
bool fitsCp1251(const QString& text);

// A file name as the file system takes it.
std::string toLocalPath(const QString& path);

// Accepts only text that Windows-1251 can hold, so nothing the user types turns into '?' when stored.
class Cp1251Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};
