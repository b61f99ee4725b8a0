// Any bytes at all go through the score file's reader. Whatever it accepts
// must be a table the game can hold (ten names of at most 8 characters,
// scores 0..9999), and writing that table out must give a file that reads
// back as the very same table. Whatever it rejects must say why.
#include "scores/score_format.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what) {
    std::fprintf(stderr, "score reader: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const scores::Parsed p = scores::parse(bytes);
    if (p.records < 0 || p.records > scores::kPlaces) {
        fail("record count out of range");
    }
    if (p.code != scores::kSound) {
        if (p.code != scores::kBadMagic && p.code != scores::kLongName && p.code != scores::kBadScore) {
            fail("unknown rejection code");
        }
        if (p.records == scores::kPlaces) {
            fail("rejected a file after reading all ten records");
        }
        return 0;
    }
    if (p.records != scores::kPlaces) {
        fail("accepted a file with fewer than ten records");
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(scores::kPlaces); ++i) {
        if (p.table.names[i].size() > scores::kMaxNameBytes) {
            fail("accepted a name longer than 8 characters");
        }
        if (p.table.values[i] < 0 || p.table.values[i] > scores::kMaxScore) {
            fail("accepted a score outside 0..9999");
        }
    }
    const QByteArray again = scores::format(p.table);
    const scores::Parsed q = scores::parse(again);
    if (q.code != scores::kSound || q.records != scores::kPlaces) {
        fail("a table read from a file does not write a readable file");
    }
    if (q.table.names != p.table.names || q.table.values != p.table.values) {
        fail("a table changed on its way out and back in");
    }
    // A written file is its own fixed point.
    if (scores::format(q.table) != again) {
        fail("writing the same table twice gave different bytes");
    }
    return 0;
}
