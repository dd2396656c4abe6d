#include "platform/richtext/rtf.h"

#include <QIODevice>

#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/files/textfile.h"

namespace kavrin {

namespace {

enum class Dest { Text, Skip, Colors };

struct RtfState {
    Dest dest = Dest::Text;
    int color = -1;  // index into the colour table; -1: automatic (black)
    int uc = 1;      // fallback characters after \uN
};

// Groups whose content is not text.
bool isSkippedDestination(std::string_view w) {
    static constexpr std::string_view kSkipped[] = {
        "fonttbl", "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "fldinst", "listtable", "listoverridetable",
        "rsidtbl", "generator", "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore",
        "filetbl", "revtbl", "pgdsctbl", "nonshppict", "bkmkstart", "bkmkend", "annotation", "atnid",
        "atnauthor", "comment", "txe", "xe", "tc", "private", "userprops", "docvar", "template",
    };
    for (std::string_view s : kSkipped)
        if (s == w) return true;
    return false;
}

// Reads RTF as it comes, a piece at a time: a token that may not be whole yet waits for the
// next piece, so pieces may be cut anywhere.
class RtfReader {
public:
    explicit RtfReader(const ColorRunSink& sink) : sink_(sink) {}

    // Where the document's group begins, or -1 when the bytes are not RTF.
    static qsizetype start(QByteArrayView rtf) {
        const char* p = rtf.data();
        const qsizetype n = rtf.size();
        qsizetype i = 0;
        if (n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) i = 3;
        while (i < n && (p[i] == ' ' || p[i] == '\t' || p[i] == '\r' || p[i] == '\n')) ++i;
        if (n - i < 5 || std::memcmp(p + i, "{\\rtf", 5) != 0) return -1;
        return i;
    }

    // False once the bytes are known not to be RTF.
    bool feed(QByteArrayView bytes, bool last) {
        if (failed_) return false;
        if (done_) return true;
        buf_.append(bytes.data(), bytes.size());
        p_ = buf_.constData();
        n_ = buf_.size();
        if (!started_) {
            // Leading blanks are few; a first piece this long shows whether the text is RTF.
            if (!last && n_ < kStartBytes) return true;
            i_ = start(buf_);
            if (i_ < 0) {
                failed_ = true;
                return false;
            }
            started_ = true;
        }
        // Every token is shorter than the margin, so one that starts before it ends in the piece.
        run(last ? n_ : n_ - kMargin);
        if (last || done_) {
            done_ = true;
            if (!cur_.isEmpty()) sink_(cur_, curColor_);
            cur_.clear();
            buf_.clear();
        } else {
            buf_.remove(0, i_);
        }
        i_ = 0;
        return true;
    }

private:
    static constexpr qsizetype kMargin = 256;
    static constexpr qsizetype kStartBytes = 4096;

    void run(qsizetype limit) {
        while (!done_ && i_ < limit) {
            if (binLeft_ > 0) {
                const qsizetype k = qMin(binLeft_, n_ - i_);
                i_ += k;
                binLeft_ -= k;
                continue;
            }
            const char ch = p_[i_];
            if (ch == '{') {
                stack_.push_back(st_);
                skip_ = 0;
                ++i_;
            } else if (ch == '}') {
                ++i_;
                skip_ = 0;
                if (stack_.empty()) {
                    done_ = true;
                    return;
                }
                st_ = stack_.back();
                stack_.pop_back();
                if (stack_.empty()) done_ = true;  // the document's own group has closed
            } else if (ch == '\\') {
                ++i_;
                control();
            } else if (ch == '\r' || ch == '\n' || ch == '\0') {
                ++i_;
            } else if (uchar(ch) >= 0x80) {
                highByte();
            } else {
                plainRun();
            }
        }
    }

    // A stretch of ordinary ASCII text goes out in one piece.
    void plainRun() {
        qsizetype j = i_;
        while (j < n_) {
            const uchar c = uchar(p_[j]);
            if (c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n' || c == 0 || c >= 0x80) break;
            ++j;
        }
        if (st_.dest == Dest::Colors) {
            for (qsizetype k = i_; k < j; ++k)
                if (p_[k] == ';') endColorEntry();
        } else if (st_.dest == Dest::Text) {
            qsizetype k = i_;
            while (skip_ > 0 && k < j) {
                --skip_;
                ++k;
            }
            if (k < j) out(QLatin1StringView(p_ + k, j - k));
        }
        i_ = j;
    }

    void highByte() {
        const uchar c = uchar(p_[i_]);
        const int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (len > 1 && n_ - i_ >= len && isValidUtf8(p_ + i_, len)) {
            textChar(QString::fromUtf8(p_ + i_, len));
            i_ += len;
            return;
        }
        textChar(QString(windows1252ToUnicode(c)));
        ++i_;
    }

    void textChar(const QString& s) {
        if (st_.dest != Dest::Text) return;
        if (skip_ > 0) {
            --skip_;
            return;
        }
        out(s);
    }

    // Text goes out in runs of one colour: the sink sees each run once it is complete.
    template <typename Text>
    void out(Text s) {
        const int color =
            (st_.color >= 0 && st_.color < colors_.size() && colors_[st_.color] >= 0) ? colors_[st_.color] : 0;
        if (color != curColor_ && !cur_.isEmpty()) {
            sink_(cur_, curColor_);
            cur_.truncate(0);
        }
        curColor_ = color;
        cur_.append(s);
    }

    void endColorEntry() {
        colors_.append(anySet_ ? (red_ | (green_ << 8) | (blue_ << 16)) : -1);
        red_ = green_ = blue_ = 0;
        anySet_ = false;
    }

    static int hexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    void control() {
        if (i_ >= n_) return;
        const char c = p_[i_];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            const qsizetype start = i_;
            while (i_ < n_ && ((p_[i_] >= 'a' && p_[i_] <= 'z') || (p_[i_] >= 'A' && p_[i_] <= 'Z'))) ++i_;
            const std::string_view word(p_ + start, size_t(qMin<qsizetype>(i_ - start, 32)));
            bool hasParam = false;
            bool negative = false;
            long long param = 0;
            if (i_ + 1 < n_ && p_[i_] == '-' && p_[i_ + 1] >= '0' && p_[i_ + 1] <= '9') {
                negative = true;
                ++i_;
            }
            while (i_ < n_ && p_[i_] >= '0' && p_[i_] <= '9') {
                hasParam = true;
                if (param < 1000000000LL) param = param * 10 + (p_[i_] - '0');
                ++i_;
            }
            if (negative) param = -param;
            if (i_ < n_ && p_[i_] == ' ') ++i_;
            word_(word, hasParam, param);
            return;
        }
        ++i_;
        switch (c) {
        case '\\':
        case '{':
        case '}': textChar(QString(QChar(c))); break;
        case '\'': {
            int v = 0, digits = 0;
            while (digits < 2 && i_ < n_ && hexValue(p_[i_]) >= 0) {
                v = v * 16 + hexValue(p_[i_]);
                ++i_;
                ++digits;
            }
            if (digits > 0) textChar(QString(windows1252ToUnicode(uchar(v))));
            break;
        }
        case '~': textChar(QString(QChar(0x00A0))); break;
        case '_': textChar(QString(QChar(0x2011))); break;
        case '*': st_.dest = Dest::Skip; break;
        case '\r':
        case '\n': textChar(QStringLiteral("\r\n")); break;
        default: break;  // \- optional hyphen, \: index entry and the like
        }
    }

    void word_(std::string_view w, bool hasParam, long long param) {
        if (w == "bin") {
            // Binary data: skipped whatever the destination, into the next pieces if need be.
            binLeft_ = qMax<qsizetype>(0, param);
            return;
        }
        if (st_.dest == Dest::Skip) return;
        if (st_.dest == Dest::Colors) {
            const int v = int(qBound(0LL, param, 255LL));
            if (w == "red") red_ = v, anySet_ = true;
            else if (w == "green") green_ = v, anySet_ = true;
            else if (w == "blue") blue_ = v, anySet_ = true;
            return;
        }
        if (w == "cf") {
            st_.color = hasParam ? int(qBound(-1LL, param, 1LL << 20)) : 0;
        } else if (w == "par" || w == "line") {
            textChar(QStringLiteral("\r\n"));
        } else if (w == "plain") {
            st_.color = -1;
        } else if (w == "pard" || w == "f" || w == "fs" || w == "deflang") {
            // paragraph defaults, font and size: the editor has one font
        } else if (w == "tab") {
            textChar(QStringLiteral("\t"));
        } else if (w == "u") {
            long long v = param;
            if (v < 0) v += 65536;
            // A new character ends whatever fallback of the previous one was still to skip.
            if (v >= 0 && v <= 0xFFFF && st_.dest == Dest::Text) out(QString(QChar(char16_t(v))));
            skip_ = st_.uc;
        } else if (w == "uc") {
            st_.uc = int(qBound(0LL, param, 10LL));
        } else if (w == "colortbl") {
            st_.dest = Dest::Colors;
            colors_.clear();
            red_ = green_ = blue_ = 0;
            anySet_ = false;
        } else if (isSkippedDestination(w)) {
            st_.dest = Dest::Skip;
        } else if (const char16_t c = symbolOf(w)) {
            textChar(QString(QChar(c)));
        }
    }

    // The character a symbol's control word stands for; 0 for any other word.
    static char16_t symbolOf(std::string_view w) {
        static constexpr std::pair<std::string_view, char16_t> kSymbols[] = {
            {"emdash", 0x2014},    {"endash", 0x2013},    {"lquote", 0x2018}, {"rquote", 0x2019},
            {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"bullet", 0x2022}, {"emspace", u' '},
            {"enspace", u' '},     {"qmspace", u' '},
        };
        for (const auto& [word, c] : kSymbols)
            if (word == w) return c;
        return 0;
    }

    const ColorRunSink& sink_;
    QByteArray buf_;  // what is not read yet
    const char* p_ = nullptr;
    qsizetype n_ = 0;
    qsizetype i_ = 0;
    qsizetype binLeft_ = 0;
    bool started_ = false, done_ = false, failed_ = false;
    QString cur_;
    int curColor_ = 0;
    RtfState st_;
    std::vector<RtfState> stack_;
    QVector<int> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool anySet_ = false;
    int skip_ = 0;
};

void appendRtfText(QByteArray* out, QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out->append("\r\n\\par ");
        } else if (c == u'\n') {
            out->append("\r\n\\par ");
        } else if (c == u'\\' || c == u'{' || c == u'}') {
            out->append('\\').append(char(c));
        } else if (c == u'\t') {
            out->append("\\tab ");
        } else if (c < 0x80) {
            out->append(char(c));
        } else {
            out->append("\\u").append(QByteArray::number(int(qint16(c)))).append('?');
        }
    }
}

}  // namespace

qsizetype rtfStart(const QByteArray& rtf) { return RtfReader::start(rtf); }

bool readRtf(const QByteArray& rtf, const ColorRunSink& sink) { return RtfReader(sink).feed(rtf, true); }

bool readRtf(QIODevice& source, const ColorRunSink& sink, QString* error) {
    RtfReader reader(sink);
    constexpr qint64 kPiece = 1 << 20;
    QByteArray piece;
    for (;;) {
        piece.resize(kPiece);
        const qint64 got = source.read(piece.data(), kPiece);
        if (got < 0) {
            if (error) *error = source.errorString();
            return false;
        }
        piece.resize(got);
        const bool last = got == 0 || source.atEnd();
        if (!reader.feed(piece, last)) {
            if (error) *error = QStringLiteral("The text is not RTF.");
            return false;
        }
        if (last) return true;
    }
}

bool parseRtf(const QByteArray& rtf, QVector<ColorRun>* runs) {
    QVector<ColorRun> local;
    QVector<ColorRun>* out = runs ? runs : &local;
    out->clear();
    const ColorRunSink sink = [out](const QString& text, int color) { out->append(ColorRun{text, color}); };
    return RtfReader(sink).feed(rtf, true);
}

QByteArray writeRtf(const QVector<ColorRun>& runs, const QString& fontName, int fontSize) {
    QVector<int> table{0};
    for (const ColorRun& r : runs)
        if (!table.contains(r.color)) table.append(r.color);
    QByteArray out;
    out.append("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fmodern ");
    appendRtfText(&out, fontName);
    out.append(";}}\r\n{\\colortbl");
    for (int c : table)
        out.append(QStringLiteral("\\red%1\\green%2\\blue%3;").arg(c & 0xFF).arg((c >> 8) & 0xFF).arg((c >> 16) & 0xFF).toLatin1());
    out.append("}\r\n\\deflang1033\\pard\\plain\\f0\\fs").append(QByteArray::number(2 * fontSize)).append(' ');
    for (const ColorRun& r : runs) {
        out.append("\\cf").append(QByteArray::number(table.indexOf(r.color))).append(' ');
        appendRtfText(&out, r.text);
    }
    out.append("\r\n}\r\n");
    return out;
}

}  // namespace kavrin
