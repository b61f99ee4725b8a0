// Any bytes as a score file: a table taken (ten names of up to 8 characters, scores 0..9999) writes back reading
// the same; a refused one says why with one of its codes, before the tenth record.
#include "scores/score_format.h"

#include <cstdio>
#include <cstdlib>

namespace {

void require(bool ok, const char *what) {
    if (!ok) {
        std::fprintf(stderr, "score reader: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const scores::Parsed p =
        scores::parse(QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    if (p.code != 0) {
        require(p.code == -2 || p.code == -3 || p.code == -4, "an unknown refusal");
        require(p.records >= 0 && p.records < 10, "refused after reading all ten records");
        return 0;
    }
    require(p.records == 10, "accepted with fewer than ten records");
    for (std::size_t i = 0; i < 10; ++i) {
        require(p.table.names[i].size() <= 8, "accepted a name of more than 8 characters");
        require(p.table.values[i] >= 0 && p.table.values[i] <= 9999, "accepted a score past 0..9999");
    }
    const QByteArray again = scores::format(p.table);
    const scores::Parsed q = scores::parse(again);
    require(q.code == 0 && q.table.names == p.table.names && q.table.values == p.table.values,
            "a table read from a file does not come back the same");
    require(scores::format(q.table) == again, "writing the same table twice gave other bytes");
    return 0;
}
