// Plain file access for tests that lay out a program folder by hand.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

inline void write_file(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write(bytes);
    }
}

// Empty when the file cannot be read.
inline QByteArray read_file(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
