#include "documents/colouring/coloredreplace.h"

#include "documents/colouring/colorcoding.h"
#include "documents/colouring/colorrange.h"
#include "documents/globals.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin {

namespace {
// Past this a stretch goes in already coloured instead of being coloured after it goes in.
constexpr int kRangeRecolorLimit = 12000;
}  // namespace

void replaceSelectionColored(RichTextBox* editor, const QString& text, std::optional<QStringView> removed) {
    const bool coded = colorCoding;
    if (coded) editor->setRedraw(false);
    const int start = editor->selStart();
    const int n = int(text.size());
    const bool whole = coded && n > kRangeRecolorLimit;
    const SplitText parts = editor->textParts();
    if (!parts.isEmpty() && !whole) {
        // New text must not take the colour of the tag it goes in against.
        ignoreChange = true;
        const bool beforeTag = start < parts.size() && parts[start] == u'<';
        const bool afterTag = start > 0 && start <= parts.size() && parts[start - 1] == u'>';
        if (beforeTag || afterTag) editor->setSelColor(editor->selColor() == commentColor ? commentColor : 0);
        ignoreChange = false;
    }
    if (coded && !whole) {
        ignoreChange = true;
        editor->setSelColor(0);
        ignoreChange = false;
    }
    if (whole)
        pasteColored(editor, text);
    else
        editor->setSelText(text);
    if (!coded) return;
    if (!whole) colorCodeRange(editor, start, n);
    if (!whole && removed) colorCodeRunOn(editor, start, *removed, n);
    ignoreChange = true;
    editor->setSelStart(start + n);
    ignoreChange = false;
    editor->setRedraw(true);
}

}  // namespace kavrin
