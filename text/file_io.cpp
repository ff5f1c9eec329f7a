#include "text/file_io.h"

#include "text/errors.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace k10 {

namespace {

// Closes a descriptor on every path out of a scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Writes to a descriptor, all of every piece.
class DescriptorSink : public ByteSink {
public:
    explicit DescriptorSink(int fd) : fd_(fd) {}
    void write(std::string_view bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t put = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                throw ioError(errno);
            }
            done += static_cast<std::size_t>(put);
        }
    }

private:
    int fd_;
};

} // namespace

InputFile::InputFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0)
        throw ioError(errno);
    Descriptor closeOnFailure(fd_);
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        throw ioError(errno);
    // A folder holds no text, and a device such as /dev/zero gives bytes without end: reading it would
    // never finish. A pipe ends when its writer closes it, so it is read.
    if (S_ISDIR(info.st_mode) || S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        throw Error(messages::FileAccessDenied);
    size_ = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    closeOnFailure.release();
}

InputFile::~InputFile() {
    ::close(fd_);
}

std::size_t InputFile::read(char* buffer, std::size_t room) {
    for (;;) {
        ssize_t got = ::read(fd_, buffer, room);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            throw ioError(errno);
    }
}

std::string readWholeFile(const std::string& path) {
    InputFile file(path);
    std::string bytes;
    bytes.reserve(file.size());
    char buffer[1 << 16];
    while (std::size_t got = file.read(buffer, sizeof buffer))
        bytes.append(buffer, got);
    return bytes;
}

void writeFileAtomically(const std::string& path, const std::function<void(ByteSink&)>& produce) {
    struct stat target {};
    bool exists = ::stat(path.c_str(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode))
        throw Error(messages::FileAccessDenied);

    std::string temporary = folderOf(path) + ".k10-save-XXXXXX";
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0)
        throw ioError(errno);

    auto fail = [&](int error) {
        ::close(fd.release());
        ::unlink(temporary.c_str());
        return ioError(error);
    };

    // A size limit must surface as an error of this write, not as a signal that ends the program.
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    try {
        DescriptorSink sink(fd.get());
        produce(sink);
    } catch (...) {
        std::signal(SIGXFSZ, previous);
        ::close(fd.release());
        ::unlink(temporary.c_str());
        throw;
    }
    std::signal(SIGXFSZ, previous);

    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    mode_t mode = exists ? (target.st_mode & 07777) : 0666 & ~[] {
        mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }();
    if (::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0)
        throw fail(errno);
    if (::close(fd.release()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        throw ioError(error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        throw ioError(error);
    }
}

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    writeFileAtomically(path, [bytes](ByteSink& sink) { sink.write(bytes); });
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace k10
