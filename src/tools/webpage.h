#pragma once
// Turning a fetched page into the text of a new document, and the history of fetched addresses.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/files/textfile.h"

namespace kavrin {

struct WebPageText {
    bool ok = false;      // false: the body is not text (NUL characters)
    QString text;         // line ends as CR LF
    TextFormat format;    // how the page was encoded, for saving it back the same way
    QString charset;      // the charset that decided, "" when none was declared
};

// The charset named by a Content-Type value ("text/html; charset=utf-8"), or "".
QString charsetOfContentType(const QString& contentType);
// The charset a page names in a meta tag near its start (<meta charset=...> or http-equiv), or "".
QString charsetOfMeta(const QByteArray& body);

// Decodes by a byte-order mark, else by the charset of the header, else of a meta tag, else as
// the editor decodes files (UTF-8 when valid, else Windows-1252); line ends become CR LF.
WebPageText decodeWebPage(const QByteArray& body, const QString& contentType);

// Every lone CR and every lone LF becomes CR LF; CR LF pairs stay.
QString normalizeLineEnds(const QString& text);

// The history of addresses, most recent first, after fetching `address`: an address already
// there (compared exactly) moves to the top, a new one is put on top; at most `limit` entries.
QStringList addressHistoryAfter(const QStringList& history, const QString& address, int limit);

// The time-out text as its field keeps it: not a number gives "30", above 240 "240", below 5 "5".
QString clampTimeoutText(const QString& text);

}  // namespace kavrin
