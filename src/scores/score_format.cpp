#include "score_format.h"

#include "platform/cp1251.h"

#include <algorithm>

namespace scores {

namespace {

constexpr char kSeparator = '\0';
constexpr char kEnd = '\n';
// A record's score run holds at most four digits and its 0x0A.
constexpr int kMaxScoreRun = 5;
// The one byte Windows-1251 leaves unused. It stands for U+0098 in memory,
// as the system's own conversion does, so that it comes back as itself.
constexpr unsigned char kUnused = 0x98;

} // namespace

QByteArray magic() { return QByteArrayLiteral("###ZWEBSCO###"); }

QString decodeName(const QByteArray &bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        out.append(code == kUnused ? QChar(static_cast<char16_t>(kUnused)) : plat::fromCp1251(code));
    }
    return out;
}

QByteArray encodeName(const QString &name) {
    QByteArray out;
    out.reserve(name.size());
    for (const QChar ch : name) {
        int code = ch.unicode() == kUnused ? kUnused : plat::toCp1251(ch);
        // A 0x00 would end the name early and shift every later record.
        if (code <= 0) {
            code = '?';
        }
        out.append(static_cast<char>(code));
    }
    return out;
}

Parsed parse(const QByteArray &bytes, const QByteArray &magic_text) {
    Parsed result;
    const qsizetype size = bytes.size();
    const qsizetype magic_end = bytes.indexOf(kSeparator);
    if (magic_end < 0 || bytes.first(magic_end) != magic_text) {
        result.code = kBadMagic;
        return result;
    }
    qsizetype pos = magic_end + 1;
    for (int r = 0; r < kPlaces; ++r) {
        const qsizetype name_end = bytes.indexOf(kSeparator, pos);
        if (name_end < 0 || name_end - pos > kMaxNameBytes) {
            result.code = kLongName;
            return result;
        }
        const QString name = decodeName(bytes.sliced(pos, name_end - pos));
        pos = name_end + 1;

        int value = 0;
        int run = 0;
        for (;;) {
            if (pos >= size) {
                result.code = kBadScore; // the file ends before the record's 0x0A
                return result;
            }
            const auto b = static_cast<unsigned char>(bytes[pos++]);
            if (++run > kMaxScoreRun) {
                result.code = kBadScore;
                return result;
            }
            if (b == kEnd) {
                break;
            }
            value = value * 10 + b; // every byte a digit, also one above 9
        }
        const auto place_index = static_cast<std::size_t>(r);
        result.table.names[place_index] = name;
        // Digits above 9 can make more than a table holds: the score is kept at its ceiling.
        result.table.values[place_index] = static_cast<std::int16_t>(std::min(value, int{kMaxScore}));
        result.records = r + 1;
    }
    return result;
}

QByteArray format(const std::array<std::int16_t, kPlaces> &values, const std::array<QString, kPlaces> &names,
                  const QByteArray &magic_text) {
    QByteArray out = magic_text;
    out.append(kSeparator);
    for (std::size_t i = 0; i < static_cast<std::size_t>(kPlaces); ++i) {
        QByteArray name = encodeName(names[i]);
        name.truncate(kMaxNameBytes); // a longer name would make the whole file unreadable
        out.append(name);
        out.append(kSeparator);
        int value = values[i];
        value = value < 0 ? 0 : (value > kMaxScore ? kMaxScore : value);
        for (const char digit : QByteArray::number(value)) {
            out.append(static_cast<char>(digit - '0'));
        }
        out.append(kEnd);
    }
    return out;
}

QByteArray defaultFile(const QByteArray &magic_text) {
    QByteArray out = magic_text;
    out.append(kSeparator);
    for (int i = 0; i < kPlaces; ++i) {
        out.append(kSeparator);
        out.append(kEnd);
    }
    return out;
}

int place(std::int16_t new_score, std::array<std::int16_t, kPlaces> &values, std::array<QString, kPlaces> &names) {
    int stop = kPlaces - 1;
    while (stop >= 0 && values[static_cast<std::size_t>(stop)] < new_score) {
        --stop;
    }
    if (stop == kPlaces - 1) {
        return -1; // a score equal to the tenth does not enter
    }
    const int at = stop + 1;
    for (int i = kPlaces - 1; i > at; --i) {
        values[static_cast<std::size_t>(i)] = values[static_cast<std::size_t>(i - 1)];
        names[static_cast<std::size_t>(i)] = names[static_cast<std::size_t>(i - 1)];
    }
    values[static_cast<std::size_t>(at)] = new_score;
    return at;
}

} // namespace scores
