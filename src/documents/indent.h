#pragma once
// Shifting the lines of the active document's selection by one indentation step.
namespace kavrin {

// Puts indentText before every line the selection touches (the caret's line without one).
void indentSelection();
// Takes indentText, or failing that one tab, from the start of those lines.
void unindentSelection();

}  // namespace kavrin
