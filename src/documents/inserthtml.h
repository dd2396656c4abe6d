#pragma once
// Putting HTML into the active document at its selection.
#include <QString>

namespace kavrin {

// Mode 1: start tag, selection, end tag, extra text in place of the selection;
// mode 2: start tag, extra text, end tag, selection; mode 3: start tag, extra text, end tag
// (the selection is dropped); mode 4: start tag, end tag, extra text.
void insertHtml(const QString& startTag, const QString& endTag, const QString& extraText, int mode);

// The tag text upper-cased outside quoted attribute values.
QString upperCaseTag(const QString& html);

}  // namespace kavrin
