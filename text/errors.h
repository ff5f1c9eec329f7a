#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace k10 {

// The one failure of the core. Its message is UTF-8 text meant for the user, in the system's own wording
// ("File not found", "Invalid numeric input", ...).
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace messages {
inline constexpr const char* FileNotFound = "File not found";
inline constexpr const char* FileAccessDenied = "File access denied";
inline constexpr const char* DiskFull = "Disk full";
inline constexpr const char* InvalidNumericInput = "Invalid numeric input";
} // namespace messages

// "I/O error %d" and its named cases, from an errno value.
Error ioError(int errnoValue);

// "'%s' is not a valid floating point value", the text given in Windows-1251.
Error invalidFloat(std::string_view cp1251Text);

// "'%s' is not a valid integer value", the text given in Windows-1251.
Error invalidInteger(std::string_view cp1251Text);

// A text of a file as a message quotes it, in UTF-8: its first 60 characters (then "..."), control
// characters shown as '?'. A damaged file's line of megabytes cannot swamp the message, and a NUL byte
// cannot cut it short.
std::string textForMessage(std::string_view cp1251Text);

} // namespace k10
