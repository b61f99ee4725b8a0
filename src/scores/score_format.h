// The bytes of the score file, read and written without any window, so that
// tests and the fuzzer can call them directly.
//
// Layout: the magic text, 0x00, then ten records, the best place first. A
// record is the name (0 to 8 Windows-1251 bytes), 0x00, the score's decimal
// digits as the values 0 to 9 (0 to 4 bytes, none reads as 0), and 0x0A.
// Bytes after the tenth record are ignored.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace scores {

inline constexpr int kPlaces = 10;
inline constexpr int kMaxNameBytes = 8;
inline constexpr std::int16_t kMaxScore = 9999;

// What the check of a score file finds.
enum Check : std::int16_t {
    kSound = 0,
    kMissing = -1,
    kBadMagic = -2,   // the text before the first 0x00 is not the magic, or it has no 0x00
    kLongName = -3,   // a name of more than 8 bytes, or one that the file ends inside
    kBadScore = -4,   // more than four bytes before the 0x0A, or no 0x0A
    kUnreadable = -5, // the file could not be read (the caller has reported why)
};

struct Table {
    std::array<std::int16_t, kPlaces> values{};
    std::array<QString, kPlaces> names;
};

struct Parsed {
    Check code = kSound;
    // The records read before the first damage: all ten when code is kSound.
    int records = 0;
    Table table;
};

// The magic at the head of every score file.
[[nodiscard]] QByteArray magic();

// Reads a whole file image. magic_text is compared exactly, case included.
[[nodiscard]] Parsed parse(const QByteArray &bytes, const QByteArray &magic_text = magic());

// The file image of a table. Names are written in Windows-1251 (characters
// the code page lacks become '?'), cut to 8 bytes; scores are kept to 0..9999.
[[nodiscard]] QByteArray format(const std::array<std::int16_t, kPlaces> &values,
                                const std::array<QString, kPlaces> &names, const QByteArray &magic_text = magic());
[[nodiscard]] inline QByteArray format(const Table &t, const QByteArray &magic_text = magic()) {
    return format(t.values, t.names, magic_text);
}

// Ten empty names without digits: 34 bytes with the standard magic.
[[nodiscard]] QByteArray defaultFile(const QByteArray &magic_text = magic());

// A name's bytes and back. Every byte survives the trip, the one code that
// Windows-1251 leaves unused (0x98) included.
[[nodiscard]] QString decodeName(const QByteArray &bytes);
[[nodiscard]] QByteArray encodeName(const QString &name);

// The place 0..9 that new_score takes, below every equal or higher score,
// or -1 when it does not beat the tenth. On a place the entries from there
// on move down one (the tenth is dropped), the score is written into the
// place and its name is left as the moved entry's until the caller sets it.
[[nodiscard]] int place(std::int16_t new_score, std::array<std::int16_t, kPlaces> &values,
                        std::array<QString, kPlaces> &names);

} // namespace scores
