#pragma once
// Alt with a letter is a window's underlined letters: it presses a button, opens a menu, or does
// nothing. It never types the letter into the text box that has the focus.
#include <QKeyEvent>

namespace kavrin {

// True for a key press that would type a character while Alt alone (Shift aside) is held.
bool isAltLetter(const QKeyEvent* key);

// Keeps such keys out of every text box of the program from now on. Once is enough; more calls
// change nothing.
void keepAltLettersFromTyping();

}  // namespace kavrin
