#include "posix_files.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace plat {

namespace {

QByteArray native(const QString &path) { return QFile::encodeName(path); }

// Closes a descriptor on every way out of a function.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    [[nodiscard]] int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

} // namespace

FileError errorFromErrno(int err) { return {err, QString::fromLocal8Bit(std::strerror(err))}; }

QString joinPath(const QString &folder, const QString &name) { return folder + QDir::separator() + name; }

bool PosixFileSystem::exists(const QString &path) {
    struct stat st {};
    return ::stat(native(path).constData(), &st) == 0;
}

FileResult<qint64> PosixFileSystem::size(const QString &path) {
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0) {
        return {std::nullopt, errorFromErrno(errno)};
    }
    return {static_cast<qint64>(st.st_size), {}};
}

FileResult<QByteArray> PosixFileSystem::readAll(const QString &path) {
    Fd fd(::open(native(path).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return {std::nullopt, errorFromErrno(errno)};
    }
    QByteArray out;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {std::nullopt, errorFromErrno(errno)};
        }
        if (n == 0) {
            break;
        }
        out.append(buf, static_cast<qsizetype>(n));
    }
    return {out, {}};
}

std::optional<FileError> PosixFileSystem::writeAll(const QString &path, const QByteArray &bytes) {
    const QByteArray target = native(path);
    const QByteArray temp = target + ".new";
    Fd fd(::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        return errorFromErrno(errno);
    }
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd.get(), p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const FileError e = errorFromErrno(errno);
            ::unlink(temp.constData());
            return e;
        }
        p += n;
        left -= n;
    }
    if (::fsync(fd.get()) != 0 || ::close(fd.release()) != 0) {
        const FileError e = errorFromErrno(errno);
        ::unlink(temp.constData());
        return e;
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const FileError e = errorFromErrno(errno);
        ::unlink(temp.constData());
        return e;
    }
    return std::nullopt;
}

std::optional<FileError> PosixFileSystem::remove(const QString &path) {
    if (::unlink(native(path).constData()) != 0) {
        return errorFromErrno(errno);
    }
    return std::nullopt;
}

} // namespace plat
