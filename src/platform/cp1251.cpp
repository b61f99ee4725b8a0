#include "cp1251.h"

#include <array>

namespace plat {

namespace {

// Codes 0x80..0xBF; 0x00..0x7F are ASCII and 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

} // namespace

QChar fromCp1251(unsigned char code) {
    if (code < 0x80) {
        return QChar(static_cast<char16_t>(code));
    }
    if (code >= 0xC0) {
        return QChar(static_cast<char16_t>(0x0410 + (code - 0xC0)));
    }
    return QChar(kHigh[code - 0x80]);
}

int toCp1251(QChar ch) {
    const char16_t u = ch.unicode();
    if (u < 0x80) {
        return u;
    }
    if (u >= 0x0410 && u <= 0x044F) {
        return 0xC0 + (u - 0x0410);
    }
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == u && u != 0xFFFD) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

QString decodeCp1251(const QByteArray &bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        out.append(fromCp1251(static_cast<unsigned char>(c)));
    }
    return out;
}

QByteArray encodeCp1251(const QString &text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const int code = toCp1251(ch);
        out.append(static_cast<char>(code < 0 ? '?' : code));
    }
    return out;
}

} // namespace plat
