#include "keyboard.h"

#include "cp1251.h"
#include "picture_box.h"

#include <QKeyEvent>

#include <string_view>

namespace plat {

namespace {

// The letter or digit printed on the key at this position of a US keyboard,
// by its evdev code; Linux's platforms report a key's position as that code
// plus 8. These are positions, so every layout shares them.
int usKeyAtPosition(quint32 native_scan_code) {
    struct Row {
        quint32 first;
        std::string_view keys;
    };
    static constexpr Row kRows[] = {{2, "1234567890"}, {16, "QWERTYUIOP"}, {30, "ASDFGHJKL"}, {44, "ZXCVBNM"}};
    if (native_scan_code < 8) {
        return 0; // no position known
    }
    const quint32 evdev = native_scan_code - 8;
    for (const Row &row : kRows) {
        if (evdev >= row.first && evdev - row.first < row.keys.size()) {
            return row.keys[evdev - row.first];
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
    // Any other layout's key (Cyrillic, Greek, ...) is known by where it sits, as the virtual key codes are.
    // Without a position (a platform that gives none) it stays unnamed rather than guessed from one layout's
    // letters: a wrong guess could answer a question the player did not mean to.
    return usKeyAtPosition(event.nativeScanCode());
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
