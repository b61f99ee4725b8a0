// The About box and the control-keys box, opened from the Help menu.
#include "form1.h"

#include "platform/fixed_window.h"
#include "platform/fonts.h"
#include "platform/resources.h"
#include "shell/about_dialogs.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVersionNumber>

#include <algorithm>
#include <cmath>

#ifndef CLOCKWELL_VERSION_MAJOR
#define CLOCKWELL_VERSION_MAJOR 2
#endif
#ifndef CLOCKWELL_VERSION_MINOR
#define CLOCKWELL_VERSION_MINOR 0
#endif

namespace {

bool russian() { return lang_rus == kTrue; }

QString tr2(const char *rus, const char *eng) { return russian() ? QString::fromUtf8(rus) : QString::fromUtf8(eng); }

// The dialogs' common frame: a fixed box over the main window, no task-bar
// entry of its own (it belongs to the main window), no minimize or maximize.
void make_fixed_dialog(QDialog *dialog, int width, int height) {
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(false);
    dialog->setFixedSize(width, height);
    dialog->setSizeGripEnabled(false);
    dialog->setWindowIcon(plat::loadIconSet());
    plat::centreWhenMaximized(dialog);
    if (dialog->parentWidget() != nullptr) {
        dialog->move(dialog->parentWidget()->window()->pos());
    }
}

// Fonts of whole pixels, as the boxes were laid out with: 10 points at
// 96 dots per inch is a 13-pixel font, not 13.33.
QFont dialog_font(const QString &family, double points, bool bold) {
    QFont f = plat::gameFont(family, points, bold, true);
    f.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    return f;
}

QLabel *make_label(QWidget *parent, const QRect &place, const QString &family, double points, bool bold,
                   const QColor &color, const QString &text) {
    auto *label = new QLabel(parent);
    label->setGeometry(place);
    label->setFont(dialog_font(family, points, bold));
    label->setTextFormat(Qt::PlainText);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
    label->setText(text);
    return label;
}

// A text panel on the light background with a thin frame.
void make_panel(QLabel *label) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, label->palette().color(QPalette::HighlightedText));
    label->setPalette(pal);
    label->setAutoFillBackground(true);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    label->setMargin(0);
    label->setIndent(1);
    label->setWordWrap(true);
}

QPushButton *make_ok_button(QDialog *dialog, const QRect &place) {
    auto *ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setGeometry(place);
    // Default: Enter presses it. Esc rejects the dialog, which closes it too.
    ok->setDefault(true);
    ok->setAutoDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    return ok;
}

// The version numbers of the program: those the application reports, else
// those it was built with.
QString version_text() {
    const QVersionNumber v = QVersionNumber::fromString(QCoreApplication::applicationVersion());
    const int major = v.segmentCount() >= 1 ? v.majorVersion() : CLOCKWELL_VERSION_MAJOR;
    const int minor = v.segmentCount() >= 1 ? v.minorVersion() : CLOCKWELL_VERSION_MINOR;
    return QString::number(major) + QStringLiteral(".") + QString::number(minor);
}

const QColor kBlack(0, 0, 0);

// A straight line of one pixel that leaves out its end point, as the window system's lines do. A filled
// rectangle of whole pixels rather than a pen: on a scaled screen a pen centred on the pixel's middle would
// fall half a pixel off.
void line(QPainter &p, const QColor &colour, int x1, int y1, int x2, int y2) {
    // QRect::normalized() would drop a pixel at each end of a line drawn right to left or upwards.
    const int xe = x2 - (x2 > x1) + (x2 < x1);
    const int ye = y2 - (y2 > y1) + (y2 < y1);
    p.fillRect(QRect(QPoint(std::min(x1, xe), std::min(y1, ye)), QPoint(std::max(x1, xe), std::max(y1, ye))), colour);
}

void paint_key(QPainter &p, frmAbout1::Key key, int width, int height);

// A key picture drawn by the painter of the screen it is on, so that it is sharp at every scale.
class KeyCap : public QLabel {
public:
    KeyCap(QWidget *parent, frmAbout1::Key key) : QLabel(parent), key_(key) {}

protected:
    void paintEvent(QPaintEvent * /*event*/) override {
        QPainter p(this);
        paint_key(p, key_, width(), height());
    }

private:
    frmAbout1::Key key_;
};

} // namespace

// ---------------------------------------------------------------- About box

frmAbout::frmAbout(QWidget *owner) : QDialog(owner) {
    make_fixed_dialog(this, 281, 357);
    setWindowTitle(tr2("О Clockwell", "About Clockwell"));

    picIcon = new QLabel(this);
    picIcon->setGeometry(16, 18, 36, 36);
    picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon->setLineWidth(2);
    picIcon->setAlignment(Qt::AlignCenter);
    // From the icon's set of sizes, the one that fills 32 x 32 pixels of this screen.
    const QPixmap icon = plat::loadIconSet().pixmap(QSize(32, 32), devicePixelRatioF());
    if (!icon.isNull()) {
        picIcon->setPixmap(icon);
    }

    const QString arial = QStringLiteral("Arial");
    lblTitle = make_label(this, QRect(61, 16, 99, 16), arial, 12, true, QColor(230, 0, 0), QStringLiteral("Clockwell"));
    lbltit1 = make_label(this, QRect(152, 17, 89, 17), arial, 11, false, kBlack, QStringLiteral("for Windows"));
    lblVersion =
        make_label(this, QRect(61, 38, 155, 15), arial, 10, false, kBlack, tr2("Версия ", "Version ") + version_text());
    lblCpr = make_label(this, QRect(16, 64, 251, 15), arial, 10, false, kBlack,
                        tr2("Сделано на C++20 и Qt 6", "Made with C++20 and Qt 6"));
    lblCpr->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    const QString first =
        tr2("  Clockwell от классического blockfall отличается тем, что в нём надо за заданное время заполнить "
            "заданное число строк. Время и число строк изменяются в зависимости от уровня сложности игры.",
            "  Clockwell differs from the classic blockfall in that it is necessary to fill in a given number of "
            "lines in a given time. The time and number of lines vary depending on the level of the complexity of "
            "the game.");
    const QString second = tr2("   Вы можете использовать эту програм- му абсолютно свободно, но автор не отвечает "
                               "за любые последствия исполь- зования этой программы.",
                               "   The program is absolutely free. You can use it as you like. The author is not "
                               "responsible for any consequences of using this program.");
    lbldescription = make_label(this, QRect(16, 88, 249, 166), arial, 10, false, kBlack, first + "\n" + second);
    lbldescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    make_panel(lbldescription);

    Lblcont = make_label(this, QRect(16, 256, 249, 36), arial, 9.75, false, kBlack,
                         tr2("Вопросы и замечания:\nтрекер задач проекта Clockwell",
                             "Questions and bug reports:\nthe Clockwell project's issue tracker"));
    Lblcont->setAlignment(Qt::AlignCenter);
    make_panel(Lblcont);

    cmdOK = make_ok_button(this, QRect(96, 322, 84, 23));
    cmdOK->setFocus();
}

void frmAbout::paintEvent(QPaintEvent *event) {
    QDialog::paintEvent(event);
    // The separator above the button: a grey line, and a white one at the same place.
    QPainter p(this);
    p.translate(plat::contentOffset(this));
    line(p, QColor(128, 128, 128), 16, 307, 264, 307);
    line(p, QColor(255, 255, 255), 16, 307, 264, 307);
}

// --------------------------------------------------------- Control-keys box

QImage frmAbout1::keyPicture(Key key, int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    QPainter p(&img);
    paint_key(p, key, width, height);
    return img;
}

namespace {

void paint_key(QPainter &p, frmAbout1::Key key, int width, int height) {
    using Key = frmAbout1::Key;
    const int r = width - 1;
    const int b = height - 1;
    // The cap's edges, in whole pixels: lit from the upper left, a dark outline around.
    p.fillRect(0, 0, width, height, QColor(0, 0, 0));
    p.fillRect(1, 1, width - 2, height - 2, QColor(225, 229, 176));
    const QColor white(255, 255, 255);
    p.fillRect(1, 1, r - 1, 1, white);
    p.fillRect(1, 2, r - 2, 1, white);
    p.fillRect(1, 1, 1, b - 1, white);
    p.fillRect(2, 1, 1, b - 2, white);
    const QColor grey(128, 128, 128);
    p.fillRect(1, b - 1, r - 1, 1, grey);
    p.fillRect(2, b - 2, r - 2, 1, grey);
    p.fillRect(r - 1, 1, 1, b - 1, grey);
    p.fillRect(r - 2, 2, 1, b - 2, grey);

    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0));
    const QPointF c(width / 2.0, height / 2.0);
    // An arrow pointing right, turned to its direction.
    const auto arrow = [&](double degrees) {
        p.save();
        p.translate(c);
        p.rotate(degrees);
        QPainterPath path;
        path.moveTo(-6.5, -1.5);
        path.lineTo(0, -1.5);
        path.lineTo(0, -5.5);
        path.lineTo(6.5, 0);
        path.lineTo(0, 5.5);
        path.lineTo(0, 1.5);
        path.lineTo(-6.5, 1.5);
        path.closeSubpath();
        p.drawPath(path);
        p.restore();
    };
    const auto text = [&](const QString &t, double points) {
        p.setPen(QColor(0, 0, 0));
        p.setFont(dialog_font(QStringLiteral("Arial"), points, true));
        p.drawText(QRect(3, 3, width - 6, height - 6), Qt::AlignCenter, t);
    };
    switch (key) {
    case Key::Left:
        arrow(180);
        break;
    case Key::Right:
        arrow(0);
        break;
    case Key::Up:
        arrow(-90);
        break;
    case Key::Down:
        arrow(90);
        break;
    case Key::Space:
        text(QStringLiteral("Space"), 6.5);
        break;
    case Key::Enter: {
        // A bent arrow: down from the upper right, then left to the head.
        QPainterPath path;
        const double x = c.x();
        const double y = c.y();
        path.moveTo(x + 8, y - 7);
        path.lineTo(x + 11, y - 7);
        path.lineTo(x + 11, y + 3.5);
        path.lineTo(x - 5, y + 3.5);
        path.lineTo(x - 5, y + 7);
        path.lineTo(x - 11, y + 2);
        path.lineTo(x - 5, y - 3);
        path.lineTo(x - 5, y + 0.5);
        path.lineTo(x + 8, y + 0.5);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case Key::P:
        text(QStringLiteral("P"), 9);
        break;
    case Key::F2:
        text(QStringLiteral("F2"), 7.5);
        break;
    case Key::F3:
        text(QStringLiteral("F3"), 7.5);
        break;
    case Key::Plus:
        p.drawRect(QRectF(c.x() - 5, c.y() - 1, 11, 3));
        p.drawRect(QRectF(c.x() - 1, c.y() - 5, 3, 11));
        break;
    case Key::Minus:
        p.drawRect(QRectF(c.x() - 5, c.y() - 1, 11, 3));
        break;
    case Key::Esc:
        text(QStringLiteral("Esc"), 7);
        break;
    }
}

} // namespace

frmAbout1::frmAbout1(QWidget *owner) : QDialog(owner) {
    make_fixed_dialog(this, 207, 283);
    // The Russian caption's second word starts with a Latin y, as it always has.
    setWindowTitle(tr2("Clockwell: yпр. клавиши", "Clockwell: control keys"));

    const QString arial = QStringLiteral("Arial");
    lblTitle =
        make_label(this, QRect(8, 8, 189, 16), arial, 11, false, kBlack, tr2("Управляющие клавиши:", "Control keys:"));
    lblTitle->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    struct KeyPlace {
        Key key;
        QRect place;
    };
    const std::array<KeyPlace, 12> key_places = {{
        {Key::Left, QRect(27, 32, 23, 26)},
        {Key::Right, QRect(27, 64, 23, 26)},
        {Key::Up, QRect(27, 96, 23, 26)},
        {Key::Down, QRect(27, 128, 23, 26)},
        {Key::Space, QRect(8, 160, 44, 26)},
        {Key::Enter, QRect(8, 192, 44, 26)},
        {Key::P, QRect(116, 32, 23, 24)},
        {Key::F2, QRect(116, 64, 23, 24)},
        {Key::F3, QRect(116, 96, 23, 24)},
        {Key::Plus, QRect(116, 128, 23, 24)},
        {Key::Minus, QRect(116, 160, 23, 24)},
        {Key::Esc, QRect(110, 192, 29, 26)},
    }};
    for (std::size_t i = 0; i < key_places.size(); ++i) {
        const KeyPlace &k = key_places[i];
        auto *picture = new KeyCap(this, k.key);
        picture->setGeometry(k.place);
        keys[i] = picture;
    }

    struct Caption {
        QRect place;
        const char *rus;
        const char *eng;
    };
    // Labels without a size of their own get the room up to the next column.
    const std::array<Caption, 11> captions = {{
        {QRect(55, 37, 54, 15), "Влево", "Left"},
        {QRect(55, 69, 54, 15), "Вправо", "Right"},
        {QRect(55, 102, 54, 15), "Вращать", "Rotate"},
        {QRect(56, 148, 53, 15), "Уронить", "Drop"},
        {QRect(56, 190, 35, 33), "Пуск игры", "Start game"},
        {QRect(144, 36, 60, 16), "Пауза", "Pause"},
        {QRect(144, 60, 49, 33), "Следущ. Вкл/Выкл", "Next On/Off"},
        {QRect(144, 93, 57, 31), "Звук Вкл/Выкл", "Sound On/Off"},
        {QRect(144, 132, 60, 15), "Уровень+", "Level+"},
        {QRect(144, 165, 60, 15), "Уровень-", "Level-"},
        {QRect(144, 197, 60, 15), "Выход", "Exit"},
    }};
    for (std::size_t i = 0; i < captions.size(); ++i) {
        const Caption &c = captions[i];
        const bool sans = i == 5;
        QString text = tr2(c.rus, c.eng);
        QRect place = c.place;
        if (place.height() > 20) {
            // A two-line caption breaks at its first blank, never inside
            // "On/Off", and gets the room its longer line needs.
            const int blank = static_cast<int>(text.indexOf(QLatin1Char(' ')));
            if (blank > 0) {
                text[blank] = QLatin1Char('\n');
            }
        }
        QLabel *label = make_label(this, place, sans ? QStringLiteral("MS Sans Serif") : arial, sans ? 9.75 : 9, false,
                                   kBlack, text);
        int widest = 0;
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line) + 1);
        }
        place.setWidth(std::min(std::max(place.width(), widest), width() - place.x() - 2));
        label->setGeometry(place);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        Label1[i] = label;
    }

    cmdOK = make_ok_button(this, QRect(60, 248, 84, 23));
    cmdOK->setFocus();
}

void frmAbout1::paintEvent(QPaintEvent *event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    p.translate(plat::contentOffset(this));
    // The bracket that joins the two Drop keys to their one caption.
    line(p, Qt::black, 56, 140, 66, 140);
    line(p, Qt::black, 66, 140, 66, 148);
    line(p, Qt::black, 66, 162, 66, 172);
    line(p, Qt::black, 66, 172, 56, 172);
    // The separator above the button: grey from x 8, the window colour over it from x 16.
    line(p, QColor(128, 128, 128), 8, 232, 197, 232);
    line(p, palette().color(QPalette::Base), 16, 232, 197, 232);
}

// ------------------------------------------------------------ menu commands

void Form1::mnu_about_Click() {
    if (about_box) {
        about_box->show();
        about_box->raise();
        about_box->activateWindow();
        return;
    }
    about_box = new frmAbout(this);
    about_box->show();
}

void Form1::Ctrls_Click() {
    if (keys_box) {
        keys_box->show();
        keys_box->raise();
        keys_box->activateWindow();
        return;
    }
    keys_box = new frmAbout1(this);
    keys_box->show();
}
