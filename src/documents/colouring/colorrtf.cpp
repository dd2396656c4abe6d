#include "documents/colouring/colorrtf.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kavrin {

namespace {

// Byte buffer written through a raw pointer, handed to a sink each time it is full: the hot
// loop checks room once per character instead of paying for an append call per byte, and the
// whole output is never held.
class RtfWriter {
public:
    RtfWriter(const RtfSink& sink, qsizetype capacity) : sink_(sink) {
        buf_.resize(std::max<qsizetype>(capacity, 256));
        p_ = buf_.data();
        end_ = p_ + buf_.size();
    }
    // Room for `n` more bytes (never more than the buffer holds).
    void ensure(qsizetype n) {
        if (end_ - p_ < n) flush();
    }
    void put(char c) { *p_++ = c; }
    template <std::size_t N>
    void put(const char (&s)[N]) {
        std::memcpy(p_, s, N - 1);
        p_ += N - 1;
    }
    // One of the five-byte colour switches "\cfN ".
    void putCode(const char* code) {
        std::memcpy(p_, code, 5);
        p_ += 5;
    }
    void putChecked(const char* s, qsizetype n) {
        while (n > 0) {
            ensure(1);
            const qsizetype k = std::min<qsizetype>(n, end_ - p_);
            std::memcpy(p_, s, size_t(k));
            p_ += k;
            s += k;
            n -= k;
        }
    }
    void putChecked(const QByteArray& s) { putChecked(s.constData(), s.size()); }
    // Decimal number; needs at most 11 bytes of room.
    void putNumber(int v) {
        char tmp[12];
        int k = 0;
        long long x = v;
        const bool negative = x < 0;
        if (negative) x = -x;
        do {
            tmp[k++] = char('0' + x % 10);
            x /= 10;
        } while (x);
        if (negative) put('-');
        while (k) put(tmp[--k]);
    }
    // Hands over what is left; false when the sink refused any piece.
    bool finish() {
        flush();
        return !failed_;
    }
    bool failed() const { return failed_; }

private:
    void flush() {
        const qsizetype used = p_ - buf_.data();
        // After a refusal the rest is dropped: the caller stops at the next line.
        if (used > 0 && !failed_ && !sink_(buf_.constData(), used)) failed_ = true;
        p_ = buf_.data();
    }
    const RtfSink& sink_;
    QByteArray buf_;
    char* p_ = nullptr;
    char* end_ = nullptr;
    bool failed_ = false;
};

// What the writer hands on at a time: large enough that a sink's own cost per piece (a write to
// a file) does not count, small enough to stay in the cache.
constexpr qsizetype kRtfPiece = 256 * 1024;

// Largest output of one source character: "\u-32768?" (9 bytes) or "\r\n\par " (7 bytes);
// a tag start writes at most "\cf8 <" and a comment start "\cf5<!--".
constexpr qsizetype kRoomPerChar = 16;

// A character of the text that is neither markup nor a line break: printable ASCII and tab as
// they are, braces and backslash escaped, anything else as a Unicode escape so that it survives
// the 1252 code page the header declares.
inline void putTextChar(RtfWriter& out, char16_t c) {
    if (c >= 0x20 && c < 0x7F) {
        if (c == u'\\' || c == u'{' || c == u'}') out.put('\\');
        out.put(char(c));
    } else if (c == u'\t') {
        out.put('\t');
    } else {
        out.put("\\u");
        out.putNumber(int(int16_t(c)));
        out.put('?');
    }
}

constexpr char kHeaderStart[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fmodern ";
constexpr char kHeaderEnd[] = ";}}\r\n";
constexpr char kColorTableStart[] = "{\\colortbl\\red0\\green0\\blue0;";
constexpr char kFirstLineStart[] = "\\deflang1033\\pard\\plain\\f0\\fs";
constexpr char kLineBreak[] = "\r\n\\par ";
constexpr char kTagCodes[9][6] = {"\\cf0 ", "\\cf1 ", "\\cf2 ", "\\cf3 ", "\\cf4 ",
                                  "\\cf5 ", "\\cf6 ", "\\cf7 ", "\\cf8 "};

int rtfIndexOfColor(int color, const TagColors& colors) {
    if (color == colors.unrecognized) return 8;
    if (color == colors.table) return 2;
    if (color == colors.font) return 3;
    if (color == colors.anchor) return 4;
    if (color == colors.form) return 6;
    if (color == colors.comment) return 5;
    if (color == colors.image) return 7;
    return 1;
}

// Red, green and blue as the colour-to-hex conversion takes them apart (integer division
// truncating toward zero, as the settings' Long values always were).
struct Rgb {
    int r, g, b;
};
Rgb rgbOf(int color) {
    const long long v = color;
    return {int(v & 255), int((v / 256) & 255), int((v / 65536) & 255)};
}

// The `text` of the up to 12 characters after the "<" at `lt`. The window may run past a line
// break: the tag name stops at the first character below code 48 after its first one, and a
// break taken as the first character gives a name that is never a member, just as an empty
// window does.
inline QStringView tagWindow(const char16_t* s, qsizetype n, qsizetype lt) {
    return QStringView(s + lt + 1, std::min<qsizetype>(12, n - lt - 1));
}

}  // namespace

int rtfColorIndex(QStringView text, const TagColors& colors) {
    return rtfIndexOfColor(tagColorFor(text, colors), colors);
}

QString colorToRtfCode(QStringView text, const TagColors& colors) {
    return QString::fromLatin1(kTagCodes[rtfColorIndex(text, colors)]);
}

QString colorToRtfCode(QStringView text) { return colorToRtfCode(text, currentTagColors()); }

QString colorToRtfEntry(int color) {
    const Rgb c = rgbOf(color);
    return QStringLiteral("\\red%1\\green%2\\blue%3;").arg(c.r).arg(c.g).arg(c.b);
}

int rtfTableColor(int color) {
    const Rgb c = rgbOf(color);
    return c.r + 256 * c.g + 65536 * c.b;
}

QByteArray documentToColorRtf(QStringView text, const TagColors& colors, const QString& fontName,
                              int fontSize, const std::function<void(qsizetype)>& progress) {
    QByteArray rtf;
    // Tags, line breaks and escapes make ordinary HTML about half as long again; a little more
    // room spares the copy of a late grow.
    rtf.reserve(text.size() + text.size() / 2 + text.size() / 8 + 1024);
    writeColorRtf(text, colors, fontName, fontSize,
                  [&rtf](const char* data, qsizetype size) {
                      rtf.append(data, size);
                      return true;
                  },
                  progress);
    return rtf;
}

bool writeColorRtf(QStringView text, const TagColors& colors, const QString& fontName, int fontSize,
                   const RtfSink& sink, const std::function<void(qsizetype)>& progress) {
    const qsizetype n = text.size();
    const char16_t* s = text.utf16();
    RtfWriter out(sink, kRtfPiece);

    out.putChecked(kHeaderStart, qsizetype(sizeof kHeaderStart - 1));
    for (QChar ch : fontName) {
        // A line break in a font name would only end the header line early.
        if (ch == u'\r' || ch == u'\n') continue;
        out.ensure(kRoomPerChar);
        putTextChar(out, ch.unicode());
    }
    out.putChecked(kHeaderEnd, qsizetype(sizeof kHeaderEnd - 1));

    out.putChecked(kColorTableStart, qsizetype(sizeof kColorTableStart - 1));
    for (int color : {colors.tag, colors.table, colors.font, colors.anchor, colors.comment,
                      colors.form, colors.image, colors.unrecognized})
        out.putChecked(colorToRtfEntry(color).toLatin1());
    out.putChecked("}\r\n", 3);

    out.putChecked(kFirstLineStart, qsizetype(sizeof kFirstLineStart - 1));
    out.ensure(16);
    out.putNumber(2 * std::clamp(fontSize, 0, 255));  // a Byte of points, in half points
    out.put(' ');

    // The class of a tag decides its switch only through its colour, so the seven answers are
    // worked out once per pass.
    std::array<const char*, 7> codeOfClass;
    for (int k = 0; k < 7; ++k)
        codeOfClass[k] = kTagCodes[rtfIndexOfColor(colorOfClass(TagClass(k), colors), colors)];

    bool inComment = false;
    qsizetype i = 0;
    while (i < n) {
        out.ensure(kRoomPerChar);
        const char16_t c = s[i];
        switch (c) {
            case u'<':
                if (inComment) {
                    out.put('<');
                } else if (i + 3 < n && s[i + 1] == u'!' && s[i + 2] == u'-' && s[i + 3] == u'-') {
                    out.put("\\cf5<!--");
                    inComment = true;
                    i += 4;
                    continue;
                } else {
                    out.putCode(codeOfClass[int(tagClassOf(tagWindow(s, n, i)))]);
                    out.put('<');
                }
                break;
            case u'>':
                out.put('>');
                if (!inComment) out.put("\\cf0 ");
                break;
            case u'-':
                if (inComment && i + 2 < n && s[i + 1] == u'-' && s[i + 2] == u'>') {
                    out.put("-->\\cf0 ");
                    inComment = false;
                    i += 3;
                    continue;
                }
                out.put('-');
                break;
            case u'\r':
            case u'\n':
                out.put(kLineBreak);
                i += (c == u'\r' && i + 1 < n && s[i + 1] == u'\n') ? 2 : 1;
                if (out.failed()) return false;
                if (progress) progress(i);
                continue;
            default:
                putTextChar(out, c);
                break;
        }
        ++i;
    }
    if (progress) progress(n);

    out.putChecked("\r\n}\r\n", 5);
    return out.finish();
}

QString withCrLfBreaks(QStringView text) {
    QString r;
    r.reserve(text.size() + text.size() / 16 + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            r += u"\r\n";
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            r += c;
        }
    }
    return r;
}

QVector<ColorSpan> expectedColorSpans(QStringView text, const TagColors& colors) {
    QVector<ColorSpan> spans;
    auto add = [&spans](QStringView chunk, int color) {
        if (chunk.isEmpty()) return;
        if (!spans.isEmpty() && spans.back().color == color)
            spans.back().text += chunk;
        else
            spans.push_back({chunk.toString(), color});
    };
    const int comment = rtfTableColor(colors.comment);
    int current = 0;
    bool inComment = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            add(u"\r\n", current);
            i += (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
        } else if (!inComment && text.mid(i).startsWith(u"<!--")) {
            inComment = true;
            current = comment;
            add(u"<!--", current);
            i += 4;
        } else if (inComment && text.mid(i).startsWith(u"-->")) {
            inComment = false;
            add(u"-->", current);
            current = 0;
            i += 3;
        } else if (!inComment && c == u'<') {
            qsizetype lineEnd = i + 1;
            while (lineEnd < n && lineEnd < i + 13 && text[lineEnd] != u'\r' && text[lineEnd] != u'\n')
                ++lineEnd;
            current = rtfTableColor(tagColorFor(text.mid(i + 1, lineEnd - i - 1), colors));
            add(text.mid(i, 1), current);
            ++i;
        } else if (!inComment && c == u'>') {
            add(text.mid(i, 1), current);
            current = 0;
            ++i;
        } else {
            add(text.mid(i, 1), current);
            ++i;
        }
    }
    return spans;
}

}  // namespace kavrin
