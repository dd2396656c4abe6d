#pragma once
// The two small operations every program edit of the source uses on the active document.
namespace kavrin {

// Off: the active document's editor stops repainting; on: it repaints at once.
void setEditorRedraw(bool on);
// Sets the active document's selection: start (0-based), then length.
void selectRange(int start, int length);

}  // namespace kavrin
