// Small random edits of a valid file, for the readers' random-input tests.
#pragma once

#include <QByteArray>
#include <algorithm>
#include <random>

struct MutateOptions {
    int max_edits = 3;      // 1..max_edits edits per input
    int max_append = 4;     // an appended run is 0..max_append-1 bytes
    bool copy_runs = false; // also copy a run of the input to another place
};

// some_byte() gives the byte an edit writes; callers bias it to the bytes
// their format cares about.
template <class SomeByte>
QByteArray mutate(QByteArray b, std::mt19937 &gen, SomeByte some_byte, const MutateOptions &opt) {
    const auto at = [&](qsizetype n) {
        return n <= 0 ? qsizetype(0) : static_cast<qsizetype>(gen() % static_cast<std::mt19937::result_type>(n));
    };
    const auto kinds = static_cast<std::mt19937::result_type>(opt.copy_runs ? 6 : 5);
    const int edits = 1 + static_cast<int>(gen() % static_cast<std::mt19937::result_type>(opt.max_edits));
    for (int e = 0; e < edits; ++e) {
        switch (gen() % kinds) {
        case 0:
            if (!b.isEmpty()) {
                b[at(b.size())] = some_byte();
            }
            break;
        case 1:
            b.insert(at(b.size() + 1), some_byte());
            break;
        case 2:
            if (!b.isEmpty()) {
                b.remove(at(b.size()), 1);
            }
            break;
        case 3:
            b.truncate(at(b.size() + 1));
            break;
        case 4:
            b.append(QByteArray(at(opt.max_append), some_byte()));
            break;
        default: {
            const qsizetype from = at(b.size());
            const qsizetype len = std::min<qsizetype>(b.size() - from, at(12));
            b.insert(at(b.size() + 1), b.mid(from, len));
            break;
        }
        }
    }
    return b;
}
