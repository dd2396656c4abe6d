#pragma once
// Key and shift codes as the editor's key events hand them on: Windows virtual-key codes.
#include <Qt>

namespace kavrin {

// Shift states of the key and mouse events.
enum ShiftState : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

// Windows virtual-key code of a Qt key (letters and digits are their upper-case character codes).
// A shifted character counts as the key that carries it on a US keyboard ("<" is the "," key).
// Keys without a code give 0.
int windowsKeyCode(int qtKey, Qt::KeyboardModifiers modifiers = {});
int shiftStateOf(Qt::KeyboardModifiers modifiers);

}  // namespace kavrin
