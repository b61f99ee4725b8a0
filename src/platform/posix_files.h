// Files on the local disk, with the operating system's error numbers and
// descriptions. A write goes to a temporary file beside the target, is
// flushed to the disk and only then renamed over the target, keeping its
// permissions; a link is written through, a read-only file is refused, and
// a file with several names, or in a folder that takes no new file, is
// written in place.
#pragma once

#include "services.h"

namespace plat {

class PosixFileSystem : public FileSystem {
public:
    bool exists(const QString &path) override;
    FileResult<qint64> size(const QString &path) override;
    FileResult<QByteArray> readAll(const QString &path) override;
    std::optional<FileError> writeAll(const QString &path, const QByteArray &bytes) override;
    std::optional<FileError> remove(const QString &path) override;
};

FileError errorFromErrno(int err);

} // namespace plat
