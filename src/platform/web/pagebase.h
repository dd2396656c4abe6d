#pragma once
// The design view shows a page from memory under an address that is not the page's own: a base
// address put in front of its content sends its relative pictures, style sheets and frames to
// its folder (as the local scheme serves it).
#include <QByteArray>
#include <QString>

namespace kavrin {

// The page with `<base href="folder">` (`folder` an encoded address ending in "/") put where the
// parser takes it into the head and builds the rest of the page exactly as without it: right
// after the head's start tag, or where the content begins when the page has no head tag. `href`, when given, receives the address put
// in, or "" when the page is left alone: it has a base of its own (anywhere: a page's own base
// always wins), or is in UTF-16 or UTF-32, where an ASCII tag would not read.
QByteArray withFolderBase(const QByteArray& page, const QByteArray& folder, QByteArray* href = nullptr);

// What the parser reads of a page before its content begins (byte-order mark, doctype, comments,
// the html and head tags): enough to show a page in the mode the whole page would be shown in.
QByteArray pagePrologue(const QByteArray& page);

}  // namespace kavrin
