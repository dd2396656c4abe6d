#pragma once
// Putting text in place of the source's selection the way a paste does: coloured as a
// whole-page pass would colour it, reading only as far as the colours can differ.
#include <QString>
#include <QStringView>
#include <optional>

namespace kavrin {

class RichTextBox;

// Replaces the selection with `text` (CR LF breaks) as one change, coloured when colour coding
// is on; the caret ends after the text. The caller sets the undo record's "before" selection.
// Given the selection's text as `removed`, a comment that the change opens or closes also runs
// on past it, or stops running on, as when typing.
void replaceSelectionColored(RichTextBox* editor, const QString& text,
                             std::optional<QStringView> removed = std::nullopt);

}  // namespace kavrin
