#pragma once
// The files a page's markup, or a style sheet, names for loading: what a browser fetches to show
// it (pictures, style sheets, scripts, frames, objects, media), never what a link only points to
// or a script assembles. Read from the raw text as it comes, in pieces of any size.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace kavrin {

class HtmlNameScanner {
public:
    // Takes the next piece of the page; what could not be judged yet (a tag cut in two) is kept
    // for the next piece.
    void feed(QByteArrayView piece);
    // The page has ended: judges what was kept.
    void finish();
    // The names met so far, as written (character references undone), and the page's base.
    QStringList names;
    QString base;

private:
    qsizetype scan(QByteArrayView text, bool last);
    void tag(QByteArrayView text);
    QByteArray kept_;
    QByteArray closing_;  // "</script" and the like while inside raw text; "-->" inside a comment
    bool inStyle_ = false;
};

// The names a style sheet (or a style attribute) gives in url() and @import.
QStringList cssNames(QByteArrayView css);

}  // namespace kavrin
