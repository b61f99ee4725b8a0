// The game's own keyboard focus. Qt delivers every key of the main window to
// one place; KeyboardFocus hands it to the picture box that holds the
// game's focus, first as a key-down with a virtual key code, then, for keys
// that type a character, as a key press with its Windows-1251 code.
#pragma once

#include <QString>

class QKeyEvent;

namespace plat {

class PictureBox;

// Virtual key codes the game reacts to.
enum VirtualKey : int {
    kVkBack = 8,
    kVkReturn = 13,
    kVkEscape = 27,
    kVkSpace = 32,
    kVkLeft = 37,
    kVkUp = 38,
    kVkRight = 39,
    kVkDown = 40,
    kVkN = 78,
    kVkP = 80,
    kVkY = 89,
    kVkAdd = 107,      // + on the numeric keypad
    kVkSubtract = 109, // - on the numeric keypad
    kVkF2 = 113,
    kVkF3 = 114,
};

// Shift state bits of a key-down.
enum ShiftBits : int { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

// A key whose symbol is a Latin letter is that letter; a key of another
// layout is the letter or digit at its place on a US keyboard; 0 when the
// game has no code for it.
[[nodiscard]] int virtualKeyOf(const QKeyEvent &event);
[[nodiscard]] int shiftStateOf(const QKeyEvent &event);
// The Windows-1251 code of the character the event types, 13 for Enter,
// 8 for Backspace, 27 for Esc, -1 when it types nothing, and 256 or more for
// a character that code page lacks.
[[nodiscard]] int charCodeOf(const QKeyEvent &event);

class KeyboardFocus {
public:
    [[nodiscard]] PictureBox *holder() const { return holder_; }
    // The box that takes the focus when the holder is hidden.
    void setFallback(PictureBox *box) { fallback_ = box; }
    void give(PictureBox *box);
    void boxHidden(PictureBox *box);
    // Routes a key of the window to the holder. Returns false when no box
    // holds the focus.
    bool deliver(const QKeyEvent &event);
    // The same for a key given by its codes (char_code -1: no key press).
    bool deliver(int key_code, int shift, int char_code);

private:
    PictureBox *holder_ = nullptr;
    PictureBox *fallback_ = nullptr;
};

} // namespace plat
