#pragma once
// The edits that turn one long text into another when the two differ only here and there within
// their lines, as after indenting or unindenting a whole page: made one by one, they leave the
// rest of the text, and its colours, in place.
#include <QStringView>
#include <QVector>

#include "platform/richtext/richtextbox.h"

namespace kavrin {

// Edits (offsets of `now` plus `base`, in rising order) that turn `now` into `wanted`, both CR LF
// text: within each line, what lies between the parts the two lines share at their start and
// end. None when the texts have different numbers of lines, or when the edits would replace
// more than half of `now`, where one replacement of the whole serves better.
QVector<TextEdit> lineEdits(QStringView now, QStringView wanted, int base);

}  // namespace kavrin
