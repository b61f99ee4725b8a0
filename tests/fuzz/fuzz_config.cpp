// Any bytes as the settings file: values the game can hold; a file taken silently writes back reading the same; a
// refused one says so in one message and is rewritten at exit, with the defaults when called incorrect.
#include "form1.h"

#include "platform/virtual_services.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

class ConfigForm : public Form1 {
public:
    using Form1::cfg_path;
    using Form1::Form1;
    using Form1::save_config;
    // The settings as the reader leaves them, from a known start.
    std::array<Integer, 5> read() {
        sound_on = next_on = level = settings_changed = kFalse;
        lang_rus = kTrue;
        load_config();
        return {sound_on, next_on, level, lang_rus, settings_changed};
    }
};

void require(bool ok, const char *what, const QByteArray &input) {
    if (!ok) {
        std::fprintf(stderr, "settings reader: %s\ninput: %s\n", what, input.toHex(' ').constData());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_config";
    static char *argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv); // never torn down, like the window: a driver's application may go first
    }
    // In memory where the system has it: every accepted input is written back.
    static QTemporaryDir &dir = *new QTemporaryDir(QDir("/dev/shm").exists() ? "/dev/shm/fuzz_config-XXXXXX" : "");
    static plat::VirtualServices &svc = *new plat::VirtualServices(dir.path());
    static ConfigForm &f = *[] {
        auto *form = new ConfigForm(svc);
        form->Form_Load();
        return form;
    }();
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QFile file(f.cfg_path());
    require(file.open(QIODevice::WriteOnly) && file.write(input) == input.size(), "cannot write the input", input);
    file.close();
    svc.messages.clear();
    const auto s = f.read();
    for (const std::size_t i : {0U, 1U, 3U, 4U}) {
        require(s[i] == kTrue || s[i] == kFalse, "a flag is neither -1 nor 0", input);
    }
    require(s[2] >= 0 && s[2] <= 14 && svc.messages.size() <= 1, "a level past 0..14, or two messages", input);
    if (svc.messages.empty()) {
        require(s[4] == kFalse && size >= 65 && size <= 68 && input.startsWith("###ZWEBCFG###\r"),
                "accepted a file of the wrong size or magic, or called it changed", input);
        f.save_config();
        require(f.read() == s && svc.messages.empty(), "the file written back does not read the same", input);
        return 0;
    }
    const plat::VirtualServices::Shown &m = svc.messages.front();
    require(s[4] == kTrue && m.title == "Clockwell", "a refused file is not rewritten, or an untitled message", input);
    if (m.text == "Configuration file is incorrect! Create default configuration.") {
        require(m.style == plat::kMsgExclamation && s[0] == kTrue && s[1] == kTrue && s[2] == 0 && s[3] == kTrue,
                "an incorrect file without the defaults or its style", input);
    } else {
        require(m.text.startsWith("Error ") && m.style == plat::kMsgCritical, "an unknown message", input);
    }
    return 0;
}
