#pragma once
// Bringing a design session back into the source. The engine rewrites a page as it loads it
// (quotes, case, implied elements, entities, line breaks, the spaces it drops or moves), so
// taking its HTML as the new source would change every line the user never touched. Instead the
// engine's page before and after the user's edit are compared tag by tag and character by
// character, the page before is matched to the source the same way, and only the characters the
// edit changed are written into the source.
#include <QString>
#include <vector>

#include "platform/files/textfile.h"

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

// Places spread over the page where the source and the engine's page as it loaded it read
// alike: a write-back starts reading the two at the last one before the change instead of at
// the top, so its cost follows the change rather than the page. Making one reads both pages
// whole, once per page loaded into the design view; it may be made on another thread.
class DesignAlignment {
public:
    struct Point {
        int s = 0;  // in the source
        int l = 0;  // in the engine's page
        bool sPre = false;
        bool lPre = false;
    };
    DesignAlignment() = default;
    DesignAlignment(const QString& source, const QString& loaded);
    // It was made for this source and this engine page.
    bool fits(const QString& source, const QString& loaded) const;
    // The last place at or before `offset` of the engine's page; the top when there is none.
    Point before(int offset) const;
    int size() const { return int(points_.size()); }

private:
    QString source_;
    QString loaded_;
    std::vector<Point> points_;
};

// `source` with the changes that turned `loaded` (the engine's HTML right after loading the
// source) into `edited` (its HTML now). Every character outside the changed stretches keeps its
// bytes; new line breaks are CR LF. Within a change the engine's spelling of tags is taken; text
// keeps the source's entities, a typed space is a plain one wherever a plain one shows the same,
// and characters `charset` cannot hold become references.
// `alignment`, when it fits `source` and `loaded`, spares reading them from the top.
QString designedSource(const QString& source, const QString& loaded, const QString& edited,
                       PageCharset charset = PageCharset::Unicode, const DesignAlignment* alignment = nullptr);

}  // namespace kavrin
