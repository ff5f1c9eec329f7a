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

Error invalidFloat(const std::string& cp1251Text) {
    return Error("'" + cp1251ToUtf8(cp1251Text) + "' is not a valid floating point value");
}

Error invalidInteger(const std::string& cp1251Text) {
    return Error("'" + cp1251ToUtf8(cp1251Text) + "' is not a valid integer value");
}

} // namespace k10
