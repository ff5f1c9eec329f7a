#include "text/errors.h"

#include "text/codepage.h"

#include <cerrno>

namespace k10 {

Error ioError(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        return Error(messages::FileNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return Error(messages::FileAccessDenied);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Error(messages::DiskFull);
    default:
        return Error("I/O error " + std::to_string(errnoValue));
    }
}

namespace {

// "'text' what", built by appending (GCC 12 at -O3 warns falsely on the operator+ chain).
Error quotedError(std::string_view cp1251Text, const char* what) {
    std::string message = "'";
    message += textForMessage(cp1251Text);
    message += "' ";
    message += what;
    return Error(message);
}

} // namespace

Error invalidFloat(std::string_view cp1251Text) {
    return quotedError(cp1251Text, "is not a valid floating point value");
}

Error invalidInteger(std::string_view cp1251Text) {
    return quotedError(cp1251Text, "is not a valid integer value");
}

std::string textForMessage(std::string_view cp1251Text) {
    constexpr std::size_t kShown = 60;
    std::string shown(cp1251Text.substr(0, kShown));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < ' ' || c == '\x7f')
            c = '?';
    return cp1251ToUtf8(shown) + (cp1251Text.size() > kShown ? "..." : "");
}

} // namespace k10
