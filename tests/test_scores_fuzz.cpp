// The fuzz target's checks on every build, compiler whatever: random byte
// strings and damaged copies of real files from a fixed generator, for a few
// seconds at most. A broken rule aborts the run with its reason.
#include "scores/score_format.h"
#include "support/mutate.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstdint>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

void feed(const QByteArray &bytes) {
    (void)LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size()));
}

// A table a game could have written: names from the characters a name may
// hold, scores from 0 to 9999 in falling order.
QByteArray random_file(std::mt19937 &gen) {
    static const QString letters = QStringLiteral("AZaz09!~#.,'()ЁёАЯаяЖж№ ");
    std::uniform_int_distribution<int> len(0, 8);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(letters.size()) - 1);
    std::uniform_int_distribution<int> value(0, 9999);
    scores::Table t;
    for (std::size_t i = 0; i < 10; ++i) {
        const int n = len(gen);
        for (int c = 0; c < n; ++c) {
            t.names[i].append(letters[pick(gen)]);
        }
        t.values[i] = static_cast<std::int16_t>(value(gen));
    }
    std::sort(t.values.begin(), t.values.end(), std::greater<>());
    return scores::format(t);
}

QByteArray mutate(const QByteArray &b, std::mt19937 &gen) {
    // Bytes that matter to the format come up often.
    const auto some_byte = [&]() -> char {
        static const char special[] = {'\0', '\n', 1, 9, 10, 11, '#'};
        const auto r = gen() % 256;
        return r < 128 ? special[r % sizeof special] : static_cast<char>(gen() % 256);
    };
    return mutate(b, gen, some_byte, MutateOptions{.max_edits = 4, .max_append = 16, .copy_runs = true});
}

} // namespace

class ScoresFuzzTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void randomAndDamagedFiles() {
        std::mt19937 gen(20240611U);
        QElapsedTimer clock;
        clock.start();
        int sound = 0;
        int damaged = 0;
        int fed = 0;
        for (; fed < 200000 && clock.elapsed() < 3000; ++fed) {
            QByteArray input;
            switch (fed % 3) {
            case 0: { // noise, half of it behind a correct magic
                input = fed % 2 == 0 ? scores::magic() + '\0' : QByteArray();
                const int n = static_cast<int>(gen() % 200);
                for (int i = 0; i < n; ++i) {
                    input.append(static_cast<char>(gen() % 12 < 4 ? (gen() % 2 ? '\0' : '\n') : gen() % 256));
                }
                break;
            }
            case 1:
                input = mutate(random_file(gen), gen);
                break;
            default:
                input = random_file(gen);
                break;
            }
            feed(input);
            (scores::parse(input).code == scores::kSound ? sound : damaged) += 1;
        }
        qInfo("%d inputs in %lld ms: %d read as tables, %d rejected", fed, static_cast<long long>(clock.elapsed()),
              sound, damaged);
        QVERIFY(fed >= 3000);
        // Both sides of the reader were exercised, not only one.
        QVERIFY(sound > fed / 3);
        QVERIFY(damaged > fed / 4);
    }
};

QTEST_MAIN(ScoresFuzzTest)
#include "test_scores_fuzz.moc"
