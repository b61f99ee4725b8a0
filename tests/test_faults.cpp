// The game on a hostile machine: a program folder that cannot be written, a
// settings or score file that is really a folder, a file that disappears
// between the check and the read, a disk that fills up during a save, no
// fonts of the families the game asks for, and no sound device. Each gives
// its message (or stays silent) and loses nothing that was on disk.
#include "test_shell_form.h"

#include "support/play.h"

#include "platform/device_sound.h"
#include "platform/fonts.h"
#include "platform/keyboard.h"
#include "platform/posix_files.h"
#include "platform/real_services.h"
#include "platform/virtual_services.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class FaultsForm : public ShellForm {
public:
    using Form1::end_code;
    using Form1::new_place;
    using Form1::show_scores;
    using ShellForm::ShellForm;
};

QByteArray default_scores() {
    QByteArray sco("###ZWEBSCO###");
    sco.append('\0');
    for (int i = 0; i < 10; ++i) {
        sco.append("\0\n", 2);
    }
    return sco;
}

// A table with one entry, so that a lost file would show.
QByteArray some_scores() {
    QByteArray sco("###ZWEBSCO###");
    sco.append('\0');
    sco.append("Bob\0\1\2\0\n", 8); // Bob, 120
    for (int i = 1; i < 10; ++i) {
        sco.append("\0\n", 2);
    }
    return sco;
}

// Reads pass; every write and removal fails the way a read-only folder
// makes them fail.
class ReadOnlyFiles : public plat::PosixFileSystem {
public:
    explicit ReadOnlyFiles(int err) : err_(err) {}
    std::optional<plat::FileError> writeAll(const QString & /*path*/, const QByteArray & /*bytes*/) override {
        ++writes;
        return plat::errorFromErrno(err_);
    }
    std::optional<plat::FileError> remove(const QString & /*path*/) override { return plat::errorFromErrno(err_); }
    int writes = 0;

private:
    int err_;
};

// The file named is deleted by someone else right after the game saw it exist.
class VanishingFiles : public plat::PosixFileSystem {
public:
    explicit VanishingFiles(QString name) : name_(std::move(name)) {}
    bool exists(const QString &path) override {
        const bool there = plat::PosixFileSystem::exists(path);
        if (there && path.endsWith(name_) && !gone) {
            gone = true;
            ::unlink(QFile::encodeName(path).constData());
        }
        return there;
    }
    bool gone = false;

private:
    QString name_;
};

struct Rig {
    QTemporaryDir dir;
    plat::VirtualServices svc;
    std::unique_ptr<FaultsForm> form;

    Rig() { svc.setProgramFolder(dir.path()); }

    [[nodiscard]] QString path(const char *name) const { return QDir(dir.path()).filePath(QString::fromLatin1(name)); }
    void write_defaults(const QByteArray &sco = some_scores()) const {
        write_file(path("zweb.cfg"), cfg_file("No", "No", "3", "Eng"));
        write_file(path("zweb.sco"), sco);
    }
    FaultsForm &load() {
        lang_rus = kTrue;
        form = std::make_unique<FaultsForm>(svc);
        form->Form_Load();
        return *form;
    }
    // A result for the table and a name typed for it; the save follows on the next cursor tick.
    void enter_result(Integer score) {
        FaultsForm &f = *form;
        f.show_scores(score, 1);
        QVERIFY(f.name_entry_on == kTrue);
        for (const char c : {'A', 'N', 'N'}) {
            f.deliverKey(c, 0, c);
        }
        f.deliverKey(plat::kVkReturn, 0, 13);
        svc.advance(400);
        QCOMPARE(f.name_entry_on, kFalse);
    }
    [[nodiscard]] QStringList texts(std::size_t from = 0) const {
        QStringList out;
        for (std::size_t i = from; i < svc.messages.size(); ++i) {
            out << svc.messages[i].text;
        }
        return out;
    }
    // Every message so far has the program's title.
    [[nodiscard]] bool titled() const {
        for (const auto &m : svc.messages) {
            if (m.title != QStringLiteral("Clockwell")) {
                return false;
            }
        }
        return true;
    }
};

QString error_text(int err) { return QStringLiteral("Error %1: ").arg(err) + plat::errorFromErrno(err).description; }

// A failed write of both files: the settings at exit, the scores after a name.
void check_failed_saves(Rig &rig, int err) {
    FaultsForm &f = rig.load();
    QCOMPARE(rig.texts(), QStringList());
    QCOMPARE(f.score_values[0], Integer(120));
    const QByteArray cfg_before = read_file(rig.path("zweb.cfg"));
    const QByteArray sco_before = read_file(rig.path("zweb.sco"));

    rig.enter_result(500);
    QCOMPARE(rig.texts(), (QStringList{error_text(err), QStringLiteral("Error: Can't write File 'zweb.sco'")}));
    QCOMPARE(rig.svc.messages[0].style, int(plat::kMsgExclamation));
    QCOMPARE(rig.svc.messages[1].style, int(plat::kMsgCritical));
    QCOMPARE(f.score_values[0], Integer(500)); // the table in memory still has it

    f.deliverKey(plat::kVkF3); // a changed setting: written at exit
    f.close();
    QVERIFY(f.unloaded());
    QCOMPARE(rig.texts(2), QStringList{error_text(err)});
    QCOMPARE(rig.svc.messages[2].style, int(plat::kMsgCritical));
    QVERIFY(rig.titled());
    QCOMPARE(read_file(rig.path("zweb.cfg")), cfg_before);
    QCOMPARE(read_file(rig.path("zweb.sco")), sco_before);
    QVERIFY(!QFileInfo::exists(rig.path("zweb.cfg.new")));
    QVERIFY(!QFileInfo::exists(rig.path("zweb.sco.new")));
}

// Lowers the largest file this process may write; writes past it fail with
// EFBIG (the signal that would come with it is ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lim = old_;
        lim.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &lim) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, old_handler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    [[nodiscard]] bool ok() const { return ok_; }

private:
    rlimit old_{};
    void (*old_handler_)(int) = nullptr;
    bool ok_ = false;
};

// ---- run in a child process without the fonts the game asks for
constexpr const char *kFontsChild = "CLOCKWELL_FAULTS_FONTS_CHILD";

// Prints what a window on this machine measures and draws; exit code 0 when
// the window could show its texts.
int fonts_child() {
    QTemporaryDir dir;
    plat::VirtualServices svc(dir.path());
    write_file(QDir(dir.path()).filePath(QStringLiteral("zweb.cfg")), cfg_file("No", "No", "0", "Eng"));
    write_file(QDir(dir.path()).filePath(QStringLiteral("zweb.sco")), default_scores());
    lang_rus = kFalse;
    FaultsForm f(svc);
    f.Form_Load();
    const bool substitute = plat::substituteAvailable(QStringLiteral("MS Sans Serif")) ||
                            plat::substituteAvailable(QStringLiteral("Courier New"));
    svc.advance(250);
    f.deliverKey(plat::kVkReturn, 0, 13);
    svc.advance(20 * 50 + 400);
    f.deliverKey(plat::kVkEscape, 0, 27); // the exit prompt: a box sized to its text
    const QSize box = f.Picture2->size();
    const QImage image = f.Picture2->image();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ink += image.pixel(x, y) == qRgb(0, 0, 0) ? 1 : 0;
        }
    }
    const double width = f.Picture2->textWidth(QStringLiteral(" Exit [Y/N]? "));
    std::printf("substitute=%d families=%lld box=%dx%d ink=%d width=%.1f messages=%zu\n", substitute ? 1 : 0,
                static_cast<long long>(QFontDatabase::families().size()), box.width(), box.height(), ink, width,
                svc.messages.size());
    std::fflush(stdout);
    f.deliverKey(plat::kVkY, 0, 'y');
    svc.advance(2000);
    const bool ok =
        f.game_on == kFalse && box.width() > 20 && box.height() > 5 && ink > 10 && width > 10 && svc.messages.empty();
    return ok ? 0 : 1;
}

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // ------------------------------------------------------------ a folder that cannot be written

    void aReadOnlyFolderByItsPermissions() {
        if (::geteuid() == 0) {
            QSKIP("running as root, where permission bits do not stop writes; "
                  "aReadOnlyFolder covers it with an injected file system");
        }
        Rig rig;
        rig.write_defaults();
        QVERIFY(QFile::setPermissions(rig.dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        check_failed_saves(rig, EACCES);
        QFile::setPermissions(rig.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void aReadOnlyFolder_data() {
        QTest::addColumn<int>("err");
        QTest::newRow("permission denied") << EACCES;
        QTest::newRow("read-only file system") << EROFS;
    }
    void aReadOnlyFolder() {
        QFETCH(int, err);
        Rig rig;
        ReadOnlyFiles files(err);
        rig.svc.setFileSystem(&files);
        rig.write_defaults();
        check_failed_saves(rig, err);
    }

    // No files yet and none can be made: each is reported, and the game
    // runs on its defaults.
    void aReadOnlyFolderWithoutFiles() {
        Rig rig;
        ReadOnlyFiles files(EROFS);
        rig.svc.setFileSystem(&files);
        FaultsForm &f = rig.load();
        const QString sep = QDir::separator();
        QCOMPARE(rig.texts(), (QStringList{QStringLiteral("File ") + rig.path("zweb.cfg") +
                                               QStringLiteral(" not found! Create default zweb.cfg."),
                                           QStringLiteral("File ") + rig.dir.path() + sep +
                                               QStringLiteral("zweb.sco not found! Create new zweb.sco."),
                                           error_text(EROFS), error_text(ENOENT)}));
        QCOMPARE(f.sound_on, kTrue);
        QCOMPARE(f.level, Integer(0));
        for (const Integer v : f.score_values) {
            QCOMPARE(v, Integer(0));
        }
        // A game can still be played and ends normally.
        rig.svc.advance(250);
        f.deliverKey(plat::kVkReturn, 0, 13);
        rig.svc.advance(1500);
        QCOMPARE(f.game_on, kTrue);
        f.close(); // answered Yes by default
        QVERIFY(f.unloaded());
        QCOMPARE(rig.texts(4), (QStringList{QStringLiteral("Game not finished! Quit?"), error_text(EROFS)}));
        QVERIFY(!QFileInfo::exists(rig.path("zweb.cfg")));
        QVERIFY(!QFileInfo::exists(rig.path("zweb.sco")));
    }

    // ------------------------------------------------------------ a folder where a file should be

    void theSettingsFileIsAFolder() {
        Rig rig;
        rig.write_defaults();
        QVERIFY(QFile::remove(rig.path("zweb.cfg")));
        QVERIFY(QDir(rig.dir.path()).mkdir(QStringLiteral("zweb.cfg")));
        write_file(rig.path("zweb.cfg/keep.txt"), "keep me");
        const qint64 size = QFileInfo(rig.path("zweb.cfg")).size();
        FaultsForm &f = rig.load();
        QCOMPARE(rig.svc.messages.size(), std::size_t(1));
        if (size >= 65 && size <= 68) {
            QCOMPARE(rig.texts(), QStringList{error_text(EISDIR)}); // the size fits: the read fails
            QCOMPARE(rig.svc.messages[0].style, int(plat::kMsgCritical));
        } else {
            QCOMPARE(rig.texts(),
                     QStringList{QStringLiteral("Configuration file is incorrect! Create default configuration.")});
            QCOMPARE(rig.svc.messages[0].style, int(plat::kMsgExclamation));
            QCOMPARE(f.sound_on, kTrue);
        }
        QCOMPARE(f.settings_changed, kTrue);
        f.close();
        QCOMPARE(rig.texts(1), QStringList{error_text(EISDIR)});
        QCOMPARE(rig.svc.messages[1].style, int(plat::kMsgCritical));
        QVERIFY(QFileInfo(rig.path("zweb.cfg")).isDir());
        QCOMPARE(read_file(rig.path("zweb.cfg/keep.txt")), QByteArray("keep me"));
        QVERIFY(!QFileInfo::exists(rig.path("zweb.cfg.new")));
    }

    void theScoreFileIsAFolder() {
        Rig rig;
        rig.write_defaults();
        QVERIFY(QFile::remove(rig.path("zweb.sco")));
        QVERIFY(QDir(rig.dir.path()).mkdir(QStringLiteral("zweb.sco")));
        write_file(rig.path("zweb.sco/keep.txt"), "keep me");
        FaultsForm &f = rig.load();
        QCOMPARE(rig.texts(), QStringList{error_text(EISDIR)});
        QCOMPARE(rig.svc.messages[0].style, int(plat::kMsgExclamation));
        for (const Integer v : f.score_values) {
            QCOMPARE(v, Integer(0));
        }
        rig.enter_result(77);
        QCOMPARE(rig.texts(1), (QStringList{error_text(EISDIR), error_text(EISDIR),
                                            QStringLiteral("Error: Can't write File 'zweb.sco'")}));
        QCOMPARE(f.score_values[0], Integer(77)); // in memory only
        QVERIFY(QFileInfo(rig.path("zweb.sco")).isDir());
        QCOMPARE(read_file(rig.path("zweb.sco/keep.txt")), QByteArray("keep me"));
        QVERIFY(!QFileInfo::exists(rig.path("zweb.sco.new")));
    }

    // ------------------------------------------------------------ a file gone between check and read

    void theSettingsFileVanishesAfterTheCheck() {
        Rig rig;
        VanishingFiles files(QStringLiteral("zweb.cfg"));
        rig.svc.setFileSystem(&files);
        rig.write_defaults();
        FaultsForm &f = rig.load();
        QVERIFY(files.gone);
        QCOMPARE(rig.texts(), QStringList{error_text(ENOENT)});
        QCOMPARE(rig.svc.messages[0].style, int(plat::kMsgCritical));
        // No defaults: the start-up values stand, and are written at exit.
        QCOMPARE(f.sound_on, kFalse);
        QCOMPARE(f.level, Integer(0));
        QCOMPARE(lang_rus, kTrue);
        QCOMPARE(f.settings_changed, kTrue);
        f.close();
        QCOMPARE(rig.svc.messages.size(), std::size_t(1));
        QCOMPARE(read_file(rig.path("zweb.cfg")), cfg_file("No", "No", "0", "Rus"));
        QCOMPARE(read_file(rig.path("zweb.sco")), some_scores());
    }

    void theScoreFileVanishesAfterTheCheck() {
        Rig rig;
        VanishingFiles files(QStringLiteral("zweb.sco"));
        rig.svc.setFileSystem(&files);
        rig.write_defaults();
        FaultsForm &f = rig.load();
        QVERIFY(files.gone);
        QCOMPARE(rig.texts(), QStringList{error_text(ENOENT)});
        QCOMPARE(rig.svc.messages[0].style, int(plat::kMsgExclamation));
        for (const Integer v : f.score_values) {
            QCOMPARE(v, Integer(0));
        }
        // The next look finds no file and makes a new one, as for a first start.
        rig.enter_result(42);
        QCOMPARE(rig.texts(1), (QStringList{QStringLiteral("File ") + rig.dir.path() + QDir::separator() +
                                            QStringLiteral("zweb.sco not found! Create new zweb.sco.")}));
        rig.form.reset();
        Rig again;
        again.svc.setProgramFolder(rig.dir.path());
        FaultsForm &g = again.load();
        QCOMPARE(again.texts(), QStringList());
        QCOMPARE(g.score_values[0], Integer(42));
        QCOMPARE(g.score_names[0], QStringLiteral("ANN"));
    }

    // ------------------------------------------------------------ a full disk

    void aFullDiskDuringTheSaves() {
        Rig rig;
        FaultyFiles files; // fails the settings file only
        files.write_error = plat::errorFromErrno(ENOSPC);
        struct FullForScores : plat::PosixFileSystem {
            plat::FileSystem *next = nullptr;
            bool exists(const QString &p) override { return next->exists(p); }
            plat::FileResult<qint64> size(const QString &p) override { return next->size(p); }
            plat::FileResult<QByteArray> readAll(const QString &p) override { return next->readAll(p); }
            std::optional<plat::FileError> writeAll(const QString &p, const QByteArray &b) override {
                if (p.endsWith(QLatin1String("zweb.sco"))) {
                    return plat::errorFromErrno(ENOSPC);
                }
                return next->writeAll(p, b);
            }
        } full;
        full.next = &files;
        rig.svc.setFileSystem(&full);
        rig.write_defaults();
        check_failed_saves(rig, ENOSPC);
        QCOMPARE(files.writes, 1);
    }

    // The real file layer with a write that stops half-way: the old file
    // stays as it was, byte for byte, and no temporary file is left.
    void aWriteCutShortLeavesTheOldFile() {
        Rig rig;
        rig.write_defaults();
        FaultsForm &f = rig.load();
        QCOMPARE(rig.texts(), QStringList());
        const QByteArray cfg_before = read_file(rig.path("zweb.cfg"));
        const QByteArray sco_before = read_file(rig.path("zweb.sco"));
        {
            FileSizeLimit limit(20); // both files are longer than this
            QVERIFY(limit.ok());
            rig.enter_result(500);
            f.deliverKey(plat::kVkF3);
            f.close();
        }
        QCOMPARE(rig.texts(), (QStringList{error_text(EFBIG), QStringLiteral("Error: Can't write File 'zweb.sco'"),
                                           error_text(EFBIG)}));
        QCOMPARE(read_file(rig.path("zweb.cfg")), cfg_before);
        QCOMPARE(read_file(rig.path("zweb.sco")), sco_before);
        QCOMPARE(QDir(rig.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

        // The same layer with room to write replaces the file whole.
        plat::PosixFileSystem disk;
        QVERIFY(!disk.writeAll(rig.path("zweb.cfg"), cfg_file("Yes", "Yes", "14", "Rus")));
        QCOMPARE(read_file(rig.path("zweb.cfg")), cfg_file("Yes", "Yes", "14", "Rus"));
    }

    // ------------------------------------------------------------ no fonts, no sound

    // Fonts are looked up once per process, so a child runs with a font
    // configuration that offers only fonts of other families (or none).
    void textsWithoutTheRequestedFonts_data() {
        QTest::addColumn<QString>("fonts");
        QTest::newRow("other families only") << QStringLiteral("/usr/share/fonts/truetype/dejavu");
        QTest::newRow("no fonts at all") << QString();
    }
    void textsWithoutTheRequestedFonts() {
        QFETCH(QString, fonts);
        if (!fonts.isEmpty() && !QFileInfo(fonts).isDir()) {
            QSKIP("no font folder of another family on this machine");
        }
        QTemporaryDir dir;
        const QString empty = QDir(dir.path()).filePath(QStringLiteral("empty"));
        QVERIFY(QDir().mkpath(empty));
        const QString conf = QDir(dir.path()).filePath(QStringLiteral("fonts.conf"));
        write_file(conf, QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                                        "<fontconfig><dir>%1</dir><cachedir>%2</cachedir></fontconfig>\n")
                             .arg(fonts.isEmpty() ? empty : fonts, QDir(dir.path()).filePath(QStringLiteral("cache")))
                             .toUtf8());
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kFontsChild), QStringLiteral("1"));
        env.insert(QStringLiteral("FONTCONFIG_FILE"), conf);
        env.insert(QStringLiteral("QT_QPA_FONTDIR"), fonts.isEmpty() ? empty : fonts);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
        qInfo("%s", qPrintable(out));
        QVERIFY2(out.startsWith(QLatin1String("substitute=0")), qPrintable(out)); // really without them
        if (fonts.isEmpty() && child.exitCode() != 0) {
            // With no font at all there is nothing to measure or draw with;
            // the window must still come up and end its game without a crash.
            QCOMPARE(child.exitStatus(), QProcess::NormalExit);
            QVERIFY2(out.contains(QLatin1String("messages=0")), qPrintable(out));
            return;
        }
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QVERIFY2(child.exitCode() == 0, qPrintable(out + QString::fromLocal8Bit(child.readAllStandardError())));
    }

    // The desktop's sound player on a machine without (or with) a sound
    // device: a whole game with sound on plays, nothing is reported.
    void aWholeGameOnTheDeviceSoundPlayer() {
        Rig rig;
        write_file(rig.path("zweb.cfg"), cfg_file("Yes", "No", "0", "Eng"));
        write_file(rig.path("zweb.sco"), default_scores());
        std::unique_ptr<plat::SoundSink> sink = plat::createDeviceSoundSink();
        rig.svc.setSoundSink(sink.get());
        FaultsForm &f = rig.load();
        QCOMPARE(f.sound_on, kTrue);
        play::Pilot<FaultsForm> pilot(f);
        rig.svc.advance(250);
        f.deliverKey(plat::kVkReturn, 0, 13);
        bool started = false;
        for (int t = 0; t < 400 * 1000 / 10; ++t) {
            started = started || f.game_on == kTrue;
            if (started && f.game_on == kFalse && f.name_entry_on == kFalse) {
                break;
            }
            (void)pilot.step();
            rig.svc.advance(10);
        }
        QVERIFY(started);
        QCOMPARE(f.game_on, kFalse);
        QCOMPARE(f.name_entry_on, kFalse);
        QVERIFY(f.end_code >= 1 && f.end_code <= 4);
        QVERIFY(f.lines > 0);
        QCOMPARE(rig.texts(), QStringList());
        f.close();
        QVERIFY(f.unloaded());
        rig.form.reset();
        sink.reset();
    }
};

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsSet(kFontsChild)) {
        QApplication app(argc, argv);
        return fonts_child();
    }
    QApplication app(argc, argv);
    QTEST_DISABLE_KEYPAD_NAVIGATION
    FaultsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_faults.moc"
