#pragma once
// Bringing a design session back into the source. The engine rewrites a page as it loads it
// (quotes, case, implied elements, entities, line breaks, the spaces it drops or moves), so
// taking its HTML as the new source would change every line the user never touched. Instead the
// engine's page before and after the user's edit are compared tag by tag and character by
// character, the page before is matched to the source the same way, and only the characters the
// edit changed are written into the source.
#include <QString>

#include "platform/textfile.h"

namespace kavrin {

// The characters a page can hold as they are; any other is written as a character reference.
enum class PageCharset {
    Unicode,      // the page's encoding holds every character
    Windows1252,  // a Windows-1252 file
    Ascii,        // a page whose encoding a browser can only guess: nothing beyond ASCII
};

// What the page held in `source`, read from a file of `format`, can hold: a UTF-8 file that
// names no charset and holds nothing but ASCII is read by browsers in their own default
// encoding, so it keeps to ASCII.
PageCharset pageCharset(const QString& source, const TextFormat& format);

// `source` with the changes that turned `loaded` (the engine's HTML right after loading the
// source) into `edited` (its HTML now). Every character outside the changed stretches keeps its
// bytes; new line breaks are CR LF. Within a change the engine's spelling of tags is taken; text
// keeps the source's entities, a typed space is a plain one wherever a plain one shows the same,
// and characters `charset` cannot hold become references.
QString designedSource(const QString& source, const QString& loaded, const QString& edited,
                       PageCharset charset = PageCharset::Unicode);

// Why the design view cannot edit the page without rewriting part of it, or "" when it can: the
// engine keeps elements only so many levels deep and moves deeper ones up.
QString designRefusal(const QString& source);

}  // namespace kavrin
