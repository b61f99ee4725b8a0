// The settings fuzz target's checks on every build, compiler whatever:
// random bytes, files the program could have written, and damaged copies of
// them from a fixed generator, for a few seconds at most. A broken rule
// aborts the run with its reason and the input.
#include <QByteArray>
#include <QElapsedTimer>
#include <QTest>

#include "support/mutate.h"

#include <array>
#include <cstdint>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

struct ConfigFuzzStats {
    long accepted = 0;
    long incorrect = 0;
    long errors = 0;
};
ConfigFuzzStats &config_fuzz_stats();

namespace {

void feed(const QByteArray &bytes) {
    (void)LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size()));
}

template <typename T, std::size_t N> const T &pick(const std::array<T, N> &from, std::mt19937 &gen) {
    return from[gen() % N];
}

// A file as the program writes it, or close to it: values as written and
// as a hand might have edited them.
QByteArray valid_file(std::mt19937 &gen) {
    static const std::array<QByteArray, 6> yes_no = {"Yes", "No", "yes", "NO", "", "Yes "};
    static const std::array<QByteArray, 16> levels = {"0",   "7",   "14",    " 7 ",     "7.5", "6.5", "20",    "-3",
                                                      "abc", "1e1", "1e400", "-1e-400", "+9",  ".5",  "99999", "3x"};
    static const std::array<QByteArray, 4> langs = {"Rus", "Eng", "rus", "X"};
    QByteArray level = pick(levels, gen);
    if (gen() % 3 == 0) {
        level = QByteArray::number(static_cast<int>(gen() % 40) - 10);
    }
    QByteArray out;
    for (const QByteArray &l :
         {QByteArray("###ZWEBCFG###"), QByteArray("Sound>"), pick(yes_no, gen), QByteArray("Next>"), pick(yes_no, gen),
          QByteArray("Level>"), level, QByteArray("Language>"), pick(langs, gen)}) {
        out += l + "\r\n";
    }
    if (gen() % 8 == 0) {
        out += "\r\n"; // one empty line more
    }
    return out;
}

QByteArray mutate(const QByteArray &b, std::mt19937 &gen) {
    // Bytes that matter to the format come up often.
    const auto some_byte = [&]() -> char {
        static const std::array<char, 10> special = {'\r', '\n', ' ', '.', 'e', '-', '0', '9', '>', '#'};
        return gen() % 2 == 0 ? pick(special, gen) : static_cast<char>(gen() % 256);
    };
    return mutate(b, gen, some_byte, MutateOptions{});
}

} // namespace

class ConfigFuzzTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void randomValidAndDamagedFiles() {
        std::mt19937 gen(5062026U);
        QElapsedTimer clock;
        clock.start();
        int fed = 0;
        for (; fed < 100000 && clock.elapsed() < 3000; ++fed) {
            QByteArray input;
            switch (fed % 4) {
            case 0: { // noise of about the right size, half of it behind the magic line
                input = fed % 8 == 0 ? QByteArray("###ZWEBCFG###\r\n") : QByteArray();
                const int n = 50 + static_cast<int>(gen() % 30);
                while (input.size() < n) {
                    input.append(static_cast<char>(gen() % 4 == 0 ? (gen() % 2 ? '\r' : '\n') : gen() % 256));
                }
                break;
            }
            case 1:
            case 2:
                input = mutate(valid_file(gen), gen);
                break;
            default:
                input = valid_file(gen);
                break;
            }
            feed(input);
        }
        const ConfigFuzzStats &s = config_fuzz_stats();
        qInfo("%d inputs in %lld ms: %ld read, %ld called incorrect, %ld read errors", fed,
              static_cast<long long>(clock.elapsed()), s.accepted, s.incorrect, s.errors);
        QVERIFY(fed >= 2000);
        // Every side of the reader was exercised.
        QVERIFY(s.accepted > fed / 10);
        QVERIFY(s.incorrect > fed / 10);
        QVERIFY(s.errors > 0);
    }
};

QTEST_MAIN(ConfigFuzzTest)
#include "test_fuzz_config.moc"
