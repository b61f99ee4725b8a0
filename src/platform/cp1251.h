// Windows-1251, the single-byte code page of the score file and of typed
// names, converted with our own table.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

namespace plat {

// The Unicode character of a Windows-1251 byte (U+FFFD for the one unused code, 0x98).
[[nodiscard]] QChar fromCp1251(unsigned char code);
// The Windows-1251 code of a character, or -1 when the code page lacks it.
[[nodiscard]] int toCp1251(QChar ch);
[[nodiscard]] QString decodeCp1251(const QByteArray &bytes);
// Characters the code page lacks become '?'.
[[nodiscard]] QByteArray encodeCp1251(const QString &text);

} // namespace plat
