// Catches faults in meeting a hostile machine and hostile files: each gives its message and nothing is lost.
#include "support/rig.h"

#include "platform/device_sound.h"
#include "platform/fonts.h"
#include "platform/real_services.h"

#include <QApplication>
#include <QProcess>

#include <random>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" int fuzz_scores_input(const std::uint8_t *data, std::size_t size);
extern "C" int fuzz_config_input(const std::uint8_t *data, std::size_t size);

namespace {

QByteArray someScores() { return bytes("###ZWEBSCO###\0Bob\0\1\2\0\n") + QByteArray("\0\n", 2).repeated(9); }

// Runs this test program again with `scenario` as a child (as nobody when we are root), in `folder`.
QString child(const char *scenario, const QString &folder, const QProcessEnvironment &extra = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extra);
    env.insert("CLOCKWELL_CHILD", scenario);
    env.insert("CLOCKWELL_CHILD_FOLDER", folder);
    p.setProcessEnvironment(env);
    const QString self = QCoreApplication::applicationFilePath();
    ::geteuid() == 0 && QByteArray(scenario) == "readonly"
        ? p.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", self})
        : p.start(self, {});
    p.waitForFinished(60000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed() + QString(" (exit %1)").arg(p.exitCode());
}

} // namespace

class FormTest : public QObject {
    Q_OBJECT

    // A result of 500 entered as BOB; the save comes with the cursor tick after Enter.
    static void enterResult(Rig &rig) {
        rig.f().show_scores(500, 1);
        rig.type("BOB");
        rig.key(plat::kVkReturn, 13);
        rig.wait(400);
    }

    // A few edits of a file: bytes changed, put in, taken out, the file cut or lengthened.
    static QByteArray damaged(QByteArray b, std::mt19937 &gen, const QByteArray &alphabet) {
        for (int e = 1 + static_cast<int>(gen() % 3); e > 0; --e) {
            const auto at = static_cast<qsizetype>(gen() % static_cast<unsigned>(b.size() + 1));
            const char c = alphabet[static_cast<qsizetype>(gen() % static_cast<unsigned>(alphabet.size()))];
            const unsigned kind = gen() % 4;
            b = kind == 0   ? b.insert(at, c)
                : kind == 1 ? b.remove(at, 1)
                : kind == 2 ? b.left(at)
                            : b.replace(at, 1, QByteArray(1, c));
        }
        return b;
    }
    template <typename F> static void feed(F target, const QByteArray &b) {
        target(reinterpret_cast<const std::uint8_t *>(b.constData()), static_cast<std::size_t>(b.size()));
    }

public:
    static int runChild(const QByteArray &scenario) {
        const QStringList folders = qEnvironmentVariable("CLOCKWELL_CHILD_FOLDER").split(':');
        if (scenario == "readonly") { // a result and a setting saved in each folder, then where the files go
            for (const QString &folder : {folders[0], folders[1], folders[3]}) {
                Rig rig(QByteArray(), QByteArray(), false);
                rig.svc.setProgramFolder(folder);
                rig.reload();
                enterResult(rig);
                rig.keys("3");
                rig.f().close();
                std::printf("%s\n", qPrintable(rig.said().join('|')));
            }
            const QString own = qEnvironmentVariable("HOME") + "/.local/share/Clockwell";
            std::printf("%d %d %d\n", plat::chooseGameFolder(folders[0]) == folders[0],
                        plat::chooseGameFolder(folders[2]) == own, plat::chooseGameFolder(folders[4]) == own);
            return 0;
        }
        Rig rig(QByteArray(), QByteArray(), false); // fonts: a game to its exit prompt, a box sized to its text
        rig.svc.setProgramFolder(folders[0]);
        Form &f = rig.reload();
        const QString failed = rig.run("start; enter 0; keys e");
        std::printf("substitute %d box %dx%d%s\n", plat::substituteAvailable("MS Sans Serif") ? 1 : 0,
                    f.Picture2->width(), f.Picture2->height(), qPrintable(failed + rig.run("keys y; wait 2000")));
        std::printf("game %d\n%s\n", f.game_on, qPrintable(rig.said().join('|')));
        return 0;
    }

private Q_SLOTS:
    // As a normal user: saves to a locked folder or read-only files fail with the system's words, leaving every
    // byte and inode; writable files in a locked folder are written in place; only an empty locked folder, or an
    // installed copy (../share/applications), sends the files to the player's data folder.
    void filesThatMayNotBeWritten() {
        Rig locked(cfg_file("No", "No", "3"), someScores(), false),
            readonly(cfg_file("No", "No", "3"), someScores(), false),
            inplace(cfg_file("No", "No", "3"), someScores().replace(0, 1, "!"), false);
        QTemporaryDir empty, home;
        const auto mode = [](const QString &path, int bits) {
            return QFile::setPermissions(path, QFileDevice::Permissions(bits));
        };
        for (const char *name : {"zweb.cfg", "zweb.sco"}) {
            QVERIFY(mode(readonly.path(name), 0x4444) && mode(inplace.path(name), 0x6666));
        }
        QVERIFY(mode(locked.dir.path(), 0x5555) && mode(readonly.dir.path(), 0x7777) &&
                mode(inplace.dir.path(), 0x5555) && mode(empty.path(), 0x5555) && mode(home.path(), 0x7777));
        const auto inodes = [&] {
            QString out;
            for (const Rig *rig : {&locked, &readonly}) {
                for (const char *name : {"zweb.cfg", "zweb.sco"}) {
                    struct stat st {};
                    ::stat(QFile::encodeName(rig->path(name)).constData(), &st);
                    out += QString(" %1 %2 ").arg(st.st_ino).arg(st.st_mode, 0, 8) + rig->read(name).toHex();
                }
            }
            return out;
        };
        const QString before = inodes();
        QProcessEnvironment env;
        env.insert("HOME", home.path());
        QTemporaryDir prefix; // an installed copy's folder, writable by all and holding settings
        const QString games = prefix.filePath("games"), entry = "share/applications/org.example.Clockwell.desktop";
        QVERIFY(QDir(prefix.path()).mkpath("share/applications") && QDir(prefix.path()).mkpath("games") &&
                QFile::copy(readonly.path("zweb.cfg"), games + "/zweb.cfg") &&
                QFile(prefix.filePath(entry)).open(QIODevice::WriteOnly) && mode(games, 0x7777));
        const QString out = child(
            "readonly",
            QStringList{locked.dir.path(), readonly.dir.path(), empty.path(), inplace.dir.path(), games}.join(':'),
            env);
        QVERIFY(mode(locked.dir.path(), 0x7755) && mode(inplace.dir.path(), 0x7755));
        const QString denied = error_text(EACCES),
                      saves = QString("48 %1|16 Error: Can't write File 'zweb.sco'|16 %1\n").arg(denied);
        QCOMPARE(out, saves + saves + "48 Incorrect file zweb.sco! Create new zweb.sco.\n1 1 1 (exit 0)");
        QCOMPARE(inodes(), before);
        QCOMPARE(inplace.read("zweb.cfg") + inplace.read("zweb.sco"),
                 cfg_file("Yes", "No", "3") + bytes("###ZWEBSCO###\0BOB\0\5\0\0\n") + bytes("\0\0\n").repeated(9));
        const auto held = [](const QString &d) { return QDir(d).entryList(QDir::Files | QDir::Hidden).size(); };
        // the four files where they were, and the player's data folder made (".", ".." and the game's own)
        QCOMPARE(held(locked.dir.path()) + held(readonly.dir.path()) + QDir(home.filePath(".local/share")).count(), 7);
    }

    // Links are written through and hard links in place; a link to a device is a damaged file, replaced.
    void linkedAndSharedFiles() {
        Rig rig(cfg_file("No", "No", "3"), someScores(), false), other(QByteArray(), QByteArray(), false);
        QVERIFY(QFile::rename(rig.path("zweb.cfg"), other.path("settings")) &&
                QFile::link(other.path("settings"), rig.path("zweb.cfg")) &&
                ::link(QFile::encodeName(rig.path("zweb.sco")).constData(),
                       QFile::encodeName(other.path("table")).constData()) == 0);
        rig.reload();
        enterResult(rig);
        rig.keys("3");
        rig.f().close();
        QCOMPARE(rig.said(), QStringList());
        QVERIFY(QFileInfo(rig.path("zweb.cfg")).isSymLink());
        QCOMPARE(other.read("settings") + other.read("table").mid(14, 4), cfg_file("Yes", "No", "3") + bytes("BOB\0"));
        Rig device(cfg_file(), QByteArray(), false);
        QVERIFY(QFile::link("/dev/zero", device.path("zweb.sco")));
        device.reload();
        QCOMPARE(device.said(), QStringList{"48 Incorrect file zweb.sco! Create new zweb.sco."});
        QVERIFY(!QFileInfo(device.path("zweb.sco")).isSymLink() && device.read("zweb.sco").size() == 34);
    }

    // A whole game all the same, to its table, with the sound on the real player and no device to play it.
    void aReadOnlyFileSystemWithoutTheFilesAndNoSoundDevice() {
        const std::unique_ptr<plat::SoundSink> sink = plat::createDeviceSoundSink(false); // outlives rig
        Rig rig(QByteArray(), QByteArray(), false);
        rig.disk.rules = {{'w', "zweb.cfg", EROFS}, {'w', "zweb.sco", EROFS}};
        rig.svc.setSoundSink(sink.get());
        Form &f = rig.reload(); // the default settings: sound on
        const QString dir = rig.dir.path();
        QCOMPARE(rig.said(), (QStringList{"48 File " + dir + "/zweb.cfg not found! Create default zweb.cfg.",
                                          "48 File " + dir + "/zweb.sco not found! Create new zweb.sco.",
                                          "48 " + error_text(EROFS), "48 " + error_text(ENOENT)}));
        QVERIFY(rig.start() && rig.until([&] { return !rig.play(); }, 400 * 1000, 10));
        QCOMPARE(rig.show("game_on lines"), QString("0 50"));
        f.close();
        QCOMPARE(rig.said(5).last(), "16 " + error_text(EROFS));
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void aFolderWhereAFileShouldBe() {
        Rig rig(QByteArray(), QByteArray(), false);
        QVERIFY(QDir(rig.dir.path()).mkpath("zweb.cfg/keep") && QDir(rig.dir.path()).mkpath("zweb.sco/keep"));
        Form &f = rig.reload();
        QCOMPARE(rig.said(), (QStringList{"48 Configuration file is incorrect! Create default configuration.",
                                          "48 " + error_text(EISDIR)}));
        enterResult(rig);
        f.close();
        QCOMPARE(rig.said(2), (QStringList{"48 " + error_text(EISDIR), "48 " + error_text(EISDIR),
                                           "16 Error: Can't write File 'zweb.sco'", "16 " + error_text(EISDIR)}));
        QVERIFY(QFileInfo(rig.path("zweb.cfg/keep")).isDir() && QFileInfo(rig.path("zweb.sco/keep")).isDir());
    }

    void aFileGoneBetweenTheCheckAndTheRead() {
        Rig cfg(cfg_file("Yes", "Yes", "5", "Eng"), someScores(), false);
        cfg.disk.rules = {{'e', "zweb.cfg", 0}};
        Form &f = cfg.reload();
        QCOMPARE(cfg.said(), QStringList{"16 " + error_text(ENOENT)});
        f.close();
        QCOMPARE(cfg.read("zweb.cfg"), cfg_file("No", "No", "0", "Rus")); // the values it had, written at exit

        Rig sco(cfg_file(), someScores(), false);
        sco.disk.rules = {{'e', "zweb.sco", 0}};
        sco.reload();
        QCOMPARE(sco.said(), QStringList{"48 " + error_text(ENOENT)});
        enterResult(sco); // the next look makes a new file, as on a first start, and the result goes in
        QCOMPARE(sco.said(1), QStringList{"48 File " + sco.dir.path() + "/zweb.sco not found! Create new zweb.sco."});
        QCOMPARE(sco.read("zweb.sco").mid(14, 8), bytes("BOB\0\5\0\0\n"));
    }

    void aWriteCutShortLeavesTheOldFile() {
        Rig rig(cfg_file("No", "No", "3"), someScores());
        rlimit old{};
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG instead
        ::getrlimit(RLIMIT_FSIZE, &old);
        const rlimit small{20, old.rlim_max}; // both files are longer than this
        ::setrlimit(RLIMIT_FSIZE, &small);
        enterResult(rig);
        rig.keys("3");
        rig.f().close();
        ::setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(rig.said(), (QStringList{"48 " + error_text(EFBIG), "16 Error: Can't write File 'zweb.sco'",
                                          "16 " + error_text(EFBIG)}));
        QCOMPARE(rig.read("zweb.cfg") + rig.read("zweb.sco"), cfg_file("No", "No", "3") + someScores());
        QCOMPARE(QDir(rig.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // Fonts are looked up once per process: a child runs with a font configuration of no fonts at all.
    void noFontsOfTheFamiliesAsked() {
        Rig rig(QByteArray(), QByteArray(), false); // its folder is the game's too
        const QString dir = rig.dir.path();
        const QString conf =
            "<?xml version=\"1.0\"?><fontconfig><dir>%1/fonts</dir><cachedir>%1</cachedir></fontconfig>";
        QVERIFY(QDir(dir).mkpath("fonts"));
        rig.write("fonts.conf", conf.arg(dir).toUtf8());
        QProcessEnvironment env;
        env.insert("FONTCONFIG_FILE", rig.path("fonts.conf"));
        env.insert("QT_QPA_FONTDIR", dir + "/fonts");
        const QString out = child("fonts", dir, env);
        // the exit prompt still measured in whatever face is left: one line of text, wider than high
        const QStringList box = out.section('\n', 0, 0).section(' ', 3).split('x');
        QVERIFY2(out.startsWith("substitute 0 box ") && box.value(1).toInt() >= 8 &&
                     box.value(0).toInt() > 2 * box.value(1).toInt() && out.contains("game 0") &&
                     out.endsWith("(exit 0)"),
                 qPrintable(out));
    }

    void randomValidAndDamagedScoreFiles() {
        std::mt19937 gen(1);
        const QByteArray alphabet = bytes("\0\n\0\n\1\2\11\12\x98\xc6 #WZSCOEB");
        for (int i = 0; i < 100000; ++i) {
            std::array<std::int16_t, 10> values{};
            std::array<QString, 10> names;
            for (std::size_t p = 0; p < 10; ++p) {
                values[p] = static_cast<std::int16_t>(gen() % 10000);
                names[p] = QString(static_cast<qsizetype>(gen() % 9), QChar(0x410 + static_cast<char16_t>(gen() % 64)));
            }
            const QByteArray file = scores::format(values, names);
            feed(fuzz_scores_input, i % 4 == 0 ? file : damaged(file, gen, alphabet));
        }
    }

    void randomValidAndDamagedSettingsFiles() {
        std::mt19937 gen(2);
        const QList<QByteArray> values = {"Yes", "No",    "yes",     "",   "0",  "7",     "14", " 7 ", "7.5", "-3",
                                          "1e1", "1e400", "-1e-400", "+9", ".5", "99999", "3x", "Rus", "Eng", "rus"};
        for (int i = 0; i < 30000; ++i) {
            const auto pick = [&] {
                return values[static_cast<qsizetype>(gen() % static_cast<unsigned>(values.size()))].constData();
            };
            const QByteArray file = cfg_file(pick(), pick(), pick(), pick());
            feed(fuzz_config_input, i % 3 == 0 ? file : damaged(file, gen, "\r\n>#ZWEBCFG.e-1Yes"));
        }
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (const QByteArray scenario = qgetenv("CLOCKWELL_CHILD"); !scenario.isEmpty()) {
        return FormTest::runChild(scenario);
    }
    FormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_faults.moc"
