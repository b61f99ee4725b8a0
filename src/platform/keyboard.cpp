#include "keyboard.h"

#include "cp1251.h"
#include "picture_box.h"

#include <QKeyEvent>

namespace plat {

namespace {

// With a Russian layout the letter keys report Cyrillic letters; a virtual
// key code names the physical key, so map each letter back to the Latin key
// it shares on the standard Russian keyboard.
int latinKeyOfCyrillic(char16_t upper) {
    static const char16_t kLetters[] = u"ЙЦУКЕНГШЩЗФЫВАПРОЛДЯЧСМИТЬ";
    static const char kKeys[] = "QWERTYUIOPASDFGHJKLZXCVBNM";
    for (int i = 0; kLetters[i] != 0; ++i) {
        if (kLetters[i] == upper) {
            return kKeys[i];
        }
    }
    return 0;
}

} // namespace

int virtualKeyOf(const QKeyEvent &event) {
    const int key = event.key();
    const bool keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
    switch (key) {
    case Qt::Key_Backspace:
        return kVkBack;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kVkReturn;
    case Qt::Key_Escape:
        return kVkEscape;
    case Qt::Key_Space:
        return kVkSpace;
    case Qt::Key_Left:
        return kVkLeft;
    case Qt::Key_Up:
        return kVkUp;
    case Qt::Key_Right:
        return kVkRight;
    case Qt::Key_Down:
        return kVkDown;
    case Qt::Key_Plus:
        return keypad ? kVkAdd : 187;
    case Qt::Key_Minus:
        return keypad ? kVkSubtract : 189;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    default:
        break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        return 112 + (key - Qt::Key_F1);
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        return key; // the same numbers as the virtual key codes
    }
    if (key >= 0x0400 && key <= 0x04FF) {
        const QChar upper = QChar(static_cast<char16_t>(key)).toUpper();
        return latinKeyOfCyrillic(upper.unicode());
    }
    return 0;
}

int shiftStateOf(const QKeyEvent &event) {
    int s = 0;
    if ((event.modifiers() & Qt::ShiftModifier) != 0) {
        s |= kShiftMask;
    }
    if ((event.modifiers() & Qt::ControlModifier) != 0) {
        s |= kCtrlMask;
    }
    if ((event.modifiers() & Qt::AltModifier) != 0) {
        s |= kAltMask;
    }
    return s;
}

int charCodeOf(const QKeyEvent &event) {
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Delete:
        return -1; // it types no character, whatever text the system gives it
    default:
        break;
    }
    const QString text = event.text();
    if (text.isEmpty()) {
        return -1;
    }
    const QChar ch = text.at(0);
    if (ch.unicode() < 32) {
        return ch.unicode();
    }
    const int code = toCp1251(ch);
    return code < 0 ? 256 + (ch.unicode() & 0xFF) : code;
}

void KeyboardFocus::give(PictureBox *box) {
    if (box == holder_) {
        return;
    }
    PictureBox *previous = holder_;
    holder_ = box;
    if (previous != nullptr && previous->onLostFocus) {
        previous->onLostFocus();
    }
    if (box != nullptr && holder_ == box && box->onGotFocus) {
        box->onGotFocus();
    }
}

void KeyboardFocus::boxHidden(PictureBox *box) {
    if (holder_ == box) {
        // A hidden box cannot keep the keyboard; it passes to the fallback.
        give(fallback_ != box ? fallback_ : nullptr);
    }
}

bool KeyboardFocus::deliver(const QKeyEvent &event) {
    return deliver(virtualKeyOf(event), shiftStateOf(event), charCodeOf(event));
}

bool KeyboardFocus::deliver(int key_code, int shift, int char_code) {
    PictureBox *target = holder_;
    if (target == nullptr) {
        return false;
    }
    if (key_code != 0 && target->onKeyDown) {
        target->onKeyDown(key_code, shift);
    }
    // The character goes to the box that received the key-down, as the
    // system does, even if the key moved the focus.
    if (char_code >= 0 && target->onKeyPress) {
        target->onKeyPress(char_code);
    }
    return true;
}

} // namespace plat
