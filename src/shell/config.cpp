// The settings file zweb.cfg: nine CR LF lines beside the program, read once
// at start-up and written at exit only when a setting changed.
#include "form1.h"

#include "platform/posix_files.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace {

const QString kIncorrectFile = QStringLiteral("Configuration file is incorrect! Create default configuration.");

// The file's lines, read as the line reader of a text file does: a line
// ends at CR LF or at a lone CR; the last line may lack its end.
class LineReader {
public:
    explicit LineReader(const QByteArray &bytes) : bytes_(bytes) {}
    // nullopt when the end of the file has been reached.
    std::optional<QString> next() {
        if (pos_ >= bytes_.size()) {
            return std::nullopt;
        }
        const qsizetype start = pos_;
        while (pos_ < bytes_.size() && bytes_[pos_] != '\r') {
            ++pos_;
        }
        const QString line = QString::fromLatin1(bytes_.constData() + start, pos_ - start);
        if (pos_ < bytes_.size()) {
            ++pos_; // the CR
            if (pos_ < bytes_.size() && bytes_[pos_] == '\n') {
                ++pos_;
            }
        }
        return line;
    }

private:
    const QByteArray &bytes_;
    qsizetype pos_ = 0;
};

// The level line's value: blanks stripped at both ends, then the longest
// numeric prefix (sign, digits, decimal point, exponent), rounded with
// halves to the even neighbour. nullopt when the number does not fit the
// 16-bit range.
std::optional<Integer> parse_level(const QString &line) {
    const QByteArray text = line.toLatin1();
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text[b] == ' ') {
        ++b;
    }
    while (e > b && text[e - 1] == ' ') {
        --e;
    }
    const char *s = text.constData() + b;
    const qsizetype n = e - b;
    const auto digit = [&](qsizetype i) { return i < n && s[i] >= '0' && s[i] <= '9'; };

    qsizetype i = 0;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    const qsizetype mantissa_start = i;
    bool any_digit = false;
    while (digit(i)) {
        ++i;
        any_digit = true;
    }
    if (i < n && s[i] == '.') {
        ++i;
        while (digit(i)) {
            ++i;
            any_digit = true;
        }
    }
    if (!any_digit) {
        return Integer{0}; // no number at all
    }
    qsizetype end = i;
    bool negative_exponent = false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        qsizetype j = i + 1;
        bool minus = false;
        if (j < n && (s[j] == '+' || s[j] == '-')) {
            minus = s[j] == '-';
            ++j;
        }
        if (digit(j)) {
            while (digit(j)) {
                ++j;
            }
            end = j;
            negative_exponent = minus;
        }
    }

    // from_chars takes no leading plus and reads independently of the locale.
    const char *first = s + mantissa_start;
    double magnitude = 0.0;
    const auto result = std::from_chars(first, s + end, magnitude, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        if (!negative_exponent) {
            return std::nullopt; // far beyond any 16-bit number
        }
        magnitude = 0.0; // too small to be anything but zero
    } else if (result.ec != std::errc()) {
        return Integer{0};
    }
    const double value = s[0] == '-' ? -magnitude : magnitude;
    if (!(std::fabs(value) < 1.0e6)) {
        return std::nullopt;
    }
    const Long rounded = round_half_even(value);
    if (rounded < -32768 || rounded > 32767) {
        return std::nullopt;
    }
    return static_cast<Integer>(rounded);
}

} // namespace

QString Form1::cfg_path() { return plat::joinPath(svc.programFolder(), QStringLiteral("zweb.cfg")); }

void Form1::init_cfg_keys() {
    cfg_keys = {QStringLiteral("Sound>"), QStringLiteral("Next>"), QStringLiteral("Level>"),
                QStringLiteral("Language>")};
}

void Form1::default_config() {
    sound_on = kTrue;
    next_on = kTrue;
    level = 0;
    lang_rus = kTrue;
}

void Form1::load_config() {
    const QString path = cfg_path();
    const auto replace_with_defaults = [this](const QString &message) {
        svc.messageBox(message, plat::kMsgExclamation, prog_title);
        settings_changed = kTrue;
        default_config();
    };
    // A read error keeps what was read so far; the file is rewritten at exit.
    const auto read_error = [this](const plat::FileError &error) {
        svc.messageBox(error.text(), plat::kMsgCritical, prog_title);
        settings_changed = kTrue;
    };

    if (!svc.files().exists(path)) {
        replace_with_defaults(QStringLiteral("File ") + path + QStringLiteral(" not found! Create default zweb.cfg."));
        return;
    }
    const plat::FileResult<qint64> size = svc.files().size(path);
    if (!size.ok()) {
        read_error(size.error);
        return;
    }
    if (*size.value < 65 || *size.value > 68) {
        replace_with_defaults(kIncorrectFile);
        return;
    }
    const plat::FileResult<QByteArray> content = svc.files().readAll(path);
    if (!content.ok()) {
        read_error(content.error);
        return;
    }

    LineReader reader(*content.value);
    const plat::FileError past_end = plat::errorFromErrno(ENODATA);
    // Reads the next line into `line`; false (after the message) when the file ended early.
    QString line;
    const auto read_line = [&]() {
        std::optional<QString> l = reader.next();
        if (!l) {
            read_error(past_end);
            return false;
        }
        line = *l;
        return true;
    };
    // Reads a key line; false when the file ended or the key is wrong (both reported).
    const auto read_key = [&](const QString &key) {
        if (!read_line()) {
            return false;
        }
        if (line != key) {
            replace_with_defaults(kIncorrectFile);
            return false;
        }
        return true;
    };

    if (!read_key(cfg_magic)) {
        return;
    }
    if (!read_key(cfg_keys[0]) || !read_line()) {
        return;
    }
    sound_on = line == QLatin1String("Yes") ? kTrue : kFalse;
    if (!read_key(cfg_keys[1]) || !read_line()) {
        return;
    }
    next_on = line == QLatin1String("Yes") ? kTrue : kFalse;
    if (!read_key(cfg_keys[2]) || !read_line()) {
        return;
    }
    const std::optional<Integer> value = parse_level(line);
    if (!value) {
        read_error(plat::errorFromErrno(ERANGE));
        return;
    }
    level = *value;
    if (level < 0) {
        level = 0;
    }
    if (level > 14) {
        level = 14;
    }
    if (!read_key(cfg_keys[3]) || !read_line()) {
        return;
    }
    lang_rus = line == QLatin1String("Rus") ? kTrue : kFalse;
}

void Form1::save_config() {
    const std::vector<QString> cfg_lines = {
        cfg_magic,
        cfg_keys[0],
        sound_on == kTrue ? QStringLiteral("Yes") : QStringLiteral("No"),
        cfg_keys[1],
        next_on == kTrue ? QStringLiteral("Yes") : QStringLiteral("No"),
        cfg_keys[2],
        QString::number(level),
        cfg_keys[3],
        lang_rus == kTrue ? QStringLiteral("Rus") : QStringLiteral("Eng"),
    };
    QByteArray bytes;
    for (const QString &l : cfg_lines) {
        bytes += l.toLatin1();
        bytes += "\r\n";
    }
    if (const std::optional<plat::FileError> error = svc.files().writeAll(cfg_path(), bytes)) {
        svc.messageBox(error->text(), plat::kMsgCritical, prog_title);
    }
}
