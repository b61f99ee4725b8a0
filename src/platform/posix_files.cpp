#include "posix_files.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
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
    // Both files are a few dozen bytes; a device or a huge file is read no further than either reader looks.
    constexpr qsizetype kMostRead = 1 << 20;
    QByteArray out;
    char buf[4096];
    while (out.size() < kMostRead) {
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

namespace {

// The file a path names: a link is followed to the file it points at, even one that does not exist yet.
QByteArray followLinks(const QByteArray &path) {
    char resolved[PATH_MAX];
    if (::realpath(path.constData(), resolved) != nullptr) {
        return resolved;
    }
    char target[PATH_MAX];
    const ssize_t n = ::readlink(path.constData(), target, sizeof target - 1);
    if (n <= 0) {
        return path;
    }
    const QByteArray link(target, n);
    return link.startsWith('/') ? link : path.left(path.lastIndexOf('/') + 1) + link;
}

std::optional<FileError> writeFd(int fd, const QByteArray &bytes) {
    const char *p = bytes.constData();
    for (qsizetype left = bytes.size(); left > 0;) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno != EINTR) {
            return errorFromErrno(errno);
        }
        p += std::max<ssize_t>(n, 0);
        left -= std::max<ssize_t>(n, 0);
    }
    return ::fsync(fd) == 0 ? std::nullopt : std::optional<FileError>(errorFromErrno(errno));
}

// The file itself emptied and written again: every name it has keeps seeing it, and no folder is touched.
std::optional<FileError> writeInPlace(const QByteArray &target, const QByteArray &bytes) {
    Fd fd(::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (fd.get() < 0) {
        return errorFromErrno(errno);
    }
    return writeFd(fd.get(), bytes);
}

} // namespace

std::optional<FileError> PosixFileSystem::writeAll(const QString &path, const QByteArray &bytes) {
    const QByteArray target = followLinks(native(path));
    struct stat st {};
    const bool there = ::stat(target.constData(), &st) == 0;
    // A file that may not be written stays exactly as it is, even where its folder would allow replacing it.
    if (there && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0) {
        return errorFromErrno(errno);
    }
    if (there && !S_ISREG(st.st_mode)) { // a folder or a device is never replaced by a file
        return errorFromErrno(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    if (there && st.st_nlink > 1) { // a file under several names is one file
        return writeInPlace(target, bytes);
    }
    // Anything else gets a complete new file beside it, with the old one's permissions, and only then its name.
    const QByteArray temp = target + ".new";
    Fd fd(::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        // A folder that takes no new file still lets its writable files be written.
        return there && errno == EACCES ? writeInPlace(target, bytes) : errorFromErrno(errno);
    }
    if (there) {
        (void)::fchown(fd.get(), st.st_uid, st.st_gid); // only the owner or root may; the mode is what counts
        (void)::fchmod(fd.get(), st.st_mode & 07777);
    }
    std::optional<FileError> e = writeFd(fd.get(), bytes);
    if (!e && ::close(fd.release()) != 0) {
        e = errorFromErrno(errno);
    }
    if (!e && ::rename(temp.constData(), target.constData()) != 0) {
        e = errorFromErrno(errno);
    }
    if (e) {
        ::unlink(temp.constData());
    }
    return e;
}

std::optional<FileError> PosixFileSystem::remove(const QString &path) {
    if (::unlink(native(path).constData()) != 0) {
        return errorFromErrno(errno);
    }
    return std::nullopt;
}

} // namespace plat
