#pragma once
// The files a page refers to: linked pages (href), pictures (src ending in gif or jpg) and other
// files (other src values, code values). The page is first rewritten as one tag per line, with
// comments left out and a tag that spans lines joined; attribute names are then found without
// regard to case, while the file names keep the case they are written in.
#include <QString>
#include <QStringList>

#include "tools/tagscan.h"

namespace kavrin {

// The tag-per-line rewrite: each tag from "<" to ">" on a line of its own, an empty line after
// the tags of each source line (a line without tags gives just the empty line).
QStringList tagLines(const QString& text);

struct DependencyKinds {
    bool pages = true;
    bool images = true;
    bool other = false;
};

// The distinct names the tag lines refer to, in the order they first occur (compared exactly).
QStringList scanDependencies(const QStringList& tagLines, const DependencyKinds& kinds,
                             const ScanProgress& progress = {});

}  // namespace kavrin
