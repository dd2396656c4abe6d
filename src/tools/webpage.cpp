#include "tools/webpage.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include "platform/system/convert.h"

namespace kavrin {

QString charsetOfContentType(const QString& contentType) {
    static const QRegularExpression re(QStringLiteral("charset\\s*=\\s*[\"']?([^;\"'\\s]+)"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(contentType);
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

QString charsetOfMeta(const QByteArray& body) {
    // A page names its encoding early; browsers look at the first kilobytes only.
    const QString head = QString::fromLatin1(body.left(4096));
    static const QRegularExpression meta(QStringLiteral("<meta\\b[^>]*?charset\\s*=\\s*[\"']?([A-Za-z0-9._:-]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = meta.match(head);
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

QString normalizeLineEnds(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 32);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += u"\r\n";
            if (i + 1 < n && text[i + 1] == u'\n') ++i;
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

WebPageText decodeWebPage(const QByteArray& body, const QString& contentType) {
    WebPageText page;
    QString charset;
    if (body.startsWith("\xEF\xBB\xBF")) charset = QStringLiteral("utf-8");
    else if (body.startsWith("\xFF\xFE") || body.startsWith("\xFE\xFF")) charset = QStringLiteral("utf-16");
    if (charset.isEmpty()) charset = charsetOfContentType(contentType);
    if (charset.isEmpty()) charset = charsetOfMeta(body);
    page.charset = charset;

    QString text;
    // Pages that say Latin-1 or ASCII are Windows-1252 in every browser.
    static const QStringList western = {"windows-1252", "cp1252", "iso-8859-1", "iso8859-1", "latin1",
                                        "l1", "us-ascii", "ascii", "x-cp1252"};
    if (charset == u"utf-8" || charset == u"utf8") {
        text = QString::fromUtf8(body.startsWith("\xEF\xBB\xBF") ? body.mid(3) : body);
        page.format.utf8Bom = body.startsWith("\xEF\xBB\xBF");
    } else if (western.contains(charset)) {
        text = decodeWindows1252(body);
        page.format.encoding = TextFormat::Encoding::Windows1252;
    } else if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.toLatin1().constData());
        if (decoder.isValid()) text = decoder.decode(body);
        else charset.clear();
    }
    if (charset.isEmpty() || (text.isEmpty() && !body.isEmpty())) {
        // No usable charset: as a file from the disk would be read.
        const TextFileResult r = decodeText(body);
        if (!r.ok) return page;
        page.ok = true;
        page.text = r.text;
        page.format = r.format;
        page.format.lineEnd = TextFormat::LineEnd::CrLf;
        page.charset.clear();
        return page;
    }
    if (text.contains(QChar(0))) return page;
    page.ok = true;
    page.text = normalizeLineEnds(text);
    return page;
}

QStringList addressHistoryAfter(const QStringList& history, const QString& address, int limit) {
    QStringList next = history;
    const qsizetype at = next.indexOf(address);  // exact: addresses differing in case are two
    if (at >= 0) next.removeAt(at);
    next.prepend(address);
    while (next.size() > limit) next.removeLast();
    return next;
}

QString clampTimeoutText(const QString& text) {
    const std::optional<double> value = cdbl(text);
    if (!value) return QStringLiteral("30");
    if (*value > 240) return QStringLiteral("240");
    if (*value < 5) return QStringLiteral("5");
    return text;
}

}  // namespace kavrin
