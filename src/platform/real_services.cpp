#include "real_services.h"

#include "fixed_window.h"
#include "keyboard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTime>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace plat {

namespace {

class QtTimer : public Timer {
public:
    explicit QtTimer(std::function<void()> tick) : tick_(std::move(tick)) {
        // Precise: the gravity interval is the game's pace.
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick_(); });
    }
    void setInterval(int ms) override {
        interval_ = ms;
        if (enabled_ && ms > 0) {
            timer_.start(ms);
        } else {
            timer_.stop();
        }
    }
    [[nodiscard]] int interval() const override { return interval_; }
    void setEnabled(bool on) override {
        if (on == enabled_) {
            return;
        }
        enabled_ = on;
        if (on && interval_ > 0) {
            timer_.start(interval_);
        } else {
            timer_.stop();
        }
    }
    [[nodiscard]] bool enabled() const override { return enabled_; }

private:
    std::function<void()> tick_;
    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = false;
};

// Qt's message box matches a button's underlined letter against the character typed, which another layout
// changes (Н, not Y, with a Russian one); this box takes the letter as the game's own keys do, by its position.
class LetterKeyBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent *event) override {
        const int key = virtualKeyOf(*event);
        const bool plain = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
        if (plain && key >= 'A' && key <= 'Z') {
            const QKeySequence mnemonic(QKeyCombination(Qt::AltModifier, static_cast<Qt::Key>(key)));
            for (QAbstractButton *button : buttons()) {
                if (QKeySequence::mnemonic(button->text()) == mnemonic) {
                    button->animateClick();
                    return;
                }
            }
        }
        QMessageBox::keyPressEvent(event);
    }
};

bool installedCopy(const QString &folder) {
    // The package and `cmake --install` put the desktop entry at <prefix>/share/applications beside the
    // executable's <prefix>/games; a build folder or a copy of the executable alone has none.
    return QFile::exists(folder + "/../share/applications/" + kDesktopId + ".desktop");
}

} // namespace

QString chooseGameFolder(const QString &beside) {
    // The player's own folder, named as before the desktop id named the application.
    QString own = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Clockwell";
    if (installedCopy(beside)) {
        // Never the shared system folder, not even for root: one such run would hand every player files
        // they may not write. Should the folder not be made, the file messages name it.
        QDir().mkpath(own);
        return own;
    }
    // A portable copy: the files beside the program are the game's, writable or not; only a folder that holds
    // neither and cannot take them sends the game to the player's own data folder.
    const bool files = QFile::exists(beside + "/zweb.cfg") || QFile::exists(beside + "/zweb.sco");
    if (files || ::faccessat(AT_FDCWD, QFile::encodeName(beside).constData(), W_OK, AT_EACCESS) == 0) {
        return beside;
    }
    if (QDir().mkpath(own)) {
        return own;
    }
    return beside; // nowhere to write: the file messages will tell the player
}

RealServices::RealServices(QString folder) : folder_(std::move(folder)) {}

RealServices::~RealServices() {
    if (busy_) {
        QApplication::restoreOverrideCursor();
    }
}

std::unique_ptr<Timer> RealServices::createTimer(std::function<void()> tick) {
    return std::make_unique<QtTimer>(std::move(tick));
}

void RealServices::pumpEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int RealServices::secondsSinceMidnight() { return QTime::currentTime().msecsSinceStartOfDay() / 1000; }

QString RealServices::programFolder() { return folder_.isEmpty() ? QCoreApplication::applicationDirPath() : folder_; }

int RealServices::messageBox(const QString &text, int style, const QString &title) {
    LetterKeyBox box(dialog_parent_);
    centreWhenMaximized(&box);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText); // a folder's name is shown as it is, never as markup
    box.setText(text);
    switch (style) {
    case kMsgCritical:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case kMsgYesNoQuestion:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    default:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) {
        return kAnswerYes;
    }
    if (answer == QMessageBox::No) {
        return kAnswerNo;
    }
    return kAnswerOk;
}

void RealServices::setBusyCursor(bool busy) {
    if (busy == busy_) {
        return;
    }
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

SoundSink &RealServices::sound() {
    if (!sound_) {
        sound_ = createDeviceSoundSink();
    }
    return *sound_;
}

} // namespace plat
