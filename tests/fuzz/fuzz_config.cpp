// Any bytes at all as the settings file, read by the window's own reader.
// Afterwards the settings must be values the game can hold (level 0..14,
// the flags -1 or 0); a file read without a word must be one the program
// could have written, and write back as a file that reads the same; a file
// refused must say so with one of the reader's messages and, when it is
// called incorrect, leave the defaults.
#include "form1.h"

#include "platform/services.h"
#include "platform/virtual_services.h"

#include <QApplication>
#include <QByteArray>
#include <QHash>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

[[noreturn]] void fail(const char *what, const QByteArray &input) {
    std::fprintf(stderr, "settings reader: %s\ninput: %s\n", what, input.toHex(' ').constData());
    std::abort();
}

// Files held in memory: the fuzzed settings and an empty score table.
class MemoryFiles : public plat::FileSystem {
public:
    bool exists(const QString &path) override { return files.contains(path); }
    plat::FileResult<qint64> size(const QString &path) override {
        if (!files.contains(path)) {
            return {std::nullopt, {2, QStringLiteral("No such file or directory")}};
        }
        return {files.value(path).size(), {}};
    }
    plat::FileResult<QByteArray> readAll(const QString &path) override {
        if (!files.contains(path)) {
            return {std::nullopt, {2, QStringLiteral("No such file or directory")}};
        }
        return {files.value(path), {}};
    }
    std::optional<plat::FileError> writeAll(const QString &path, const QByteArray &bytes) override {
        files.insert(path, bytes);
        return std::nullopt;
    }
    std::optional<plat::FileError> remove(const QString &path) override {
        files.remove(path);
        return std::nullopt;
    }
    QHash<QString, QByteArray> files;
};

class ConfigForm : public Form1 {
public:
    using Form1::cfg_path;
    using Form1::Form1;
    using Form1::level;
    using Form1::load_config;
    using Form1::next_on;
    using Form1::save_config;
    using Form1::settings_changed;
    using Form1::sound_on;
};

struct Bench {
    std::unique_ptr<QApplication> app; // only when the caller has none
    MemoryFiles files;
    plat::VirtualServices svc{QStringLiteral("/clockwell")};
    std::unique_ptr<ConfigForm> form;

    Bench() {
        if (QCoreApplication::instance() == nullptr) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "fuzz_config";
            static char *argv[] = {name, nullptr};
            app = std::make_unique<QApplication>(argc, argv);
        }
        svc.setFileSystem(&files);
        QByteArray sco("###ZWEBSCO###");
        sco.append('\0');
        for (int i = 0; i < 10; ++i) {
            sco.append("\0\n", 2);
        }
        files.files.insert(plat::joinPath(svc.programFolder(), QStringLiteral("zweb.sco")), sco);
        lang_rus = kTrue;
        form = std::make_unique<ConfigForm>(svc);
        form->Form_Load();
    }

    // The settings as the window's load finds them before its reader runs.
    void start_up_values() const {
        form->sound_on = kFalse;
        form->next_on = kFalse;
        form->level = 0;
        form->settings_changed = kFalse;
        lang_rus = kTrue;
    }

    struct Settings {
        Integer sound, next, level, rus, changed;
        bool operator==(const Settings &) const = default;
    };
    [[nodiscard]] Settings settings() const {
        return {form->sound_on, form->next_on, form->level, lang_rus, form->settings_changed};
    }
};

bool is_flag(Integer v) { return v == kTrue || v == kFalse; }

} // namespace

// How the inputs fared, for a driver that wants to see both sides exercised.
struct ConfigFuzzStats {
    long accepted = 0;
    long incorrect = 0;
    long errors = 0;
};
ConfigFuzzStats &config_fuzz_stats() {
    static ConfigFuzzStats stats;
    return stats;
}

// The window draws with the system's font libraries, which keep memory for
// the life of the process (as tools/lsan.supp says for the test runs); the
// fuzzer checks for leaks at its end without that file.
extern "C" const char *__lsan_default_suppressions() { // NOLINT(bugprone-reserved-identifier): the sanitizer names it
    return "leak:libfontconfig.so\nleak:libfreetype.so\nleak:libglib-2.0.so\nleak:libdbus-1.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // Never torn down: at exit the application of a test driver may be gone
    // before the window would be.
    static Bench &bench = *new Bench;
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    ConfigForm &f = *bench.form;
    const QString path = f.cfg_path();
    bench.files.files.insert(path, input);
    bench.svc.messages.clear();
    bench.start_up_values();

    f.load_config();

    const Bench::Settings s = bench.settings();
    if (s.level < 0 || s.level > 14) {
        fail("level out of 0..14", input);
    }
    if (!is_flag(s.sound) || !is_flag(s.next) || !is_flag(s.rus) || !is_flag(s.changed)) {
        fail("a setting is neither -1 nor 0", input);
    }
    const auto &shown = bench.svc.messages;
    if (shown.size() > 1) {
        fail("more than one message for one file", input);
    }
    if (bench.files.files.value(path) != input) {
        fail("reading changed the file", input);
    }
    if (shown.empty()) {
        if (s.changed != kFalse) {
            fail("settings marked changed without a word", input);
        }
        if (size < 65 || size > 68 || !input.startsWith("###ZWEBCFG###\r")) {
            fail("accepted a file of the wrong size or magic", input);
        }
        // What was read writes back as a file that reads the same.
        f.save_config();
        const QByteArray written = bench.files.files.value(path);
        if (written.size() < 65 || written.size() > 68) {
            fail("the file written back has the wrong size", input);
        }
        bench.start_up_values();
        f.load_config();
        if (!shown.empty() || !(bench.settings() == s)) {
            fail("the file written back does not read the same", input);
        }
        ++config_fuzz_stats().accepted;
        return 0;
    }
    if (s.changed != kTrue) {
        fail("a refused file is not rewritten at exit", input);
    }
    const plat::VirtualServices::Shown &m = shown.front();
    if (m.title != QStringLiteral("Clockwell")) {
        fail("a message without the program's title", input);
    }
    if (m.text == QStringLiteral("Configuration file is incorrect! Create default configuration.")) {
        if (m.style != plat::kMsgExclamation) {
            fail("the incorrect-file message has the wrong style", input);
        }
        if (s.sound != kTrue || s.next != kTrue || s.level != 0 || s.rus != kTrue) {
            fail("an incorrect file did not give the defaults", input);
        }
        ++config_fuzz_stats().incorrect;
    } else if (m.text.startsWith(QStringLiteral("Error "))) {
        if (m.style != plat::kMsgCritical) {
            fail("the read-error message has the wrong style", input);
        }
        ++config_fuzz_stats().errors;
    } else {
        fail("an unknown message", input);
    }
    return 0;
}
