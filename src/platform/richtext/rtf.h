#pragma once
// The RTF the colouring writes and reads back: colour table, \cfN, \par, escapes; the rest is
// skipped.
#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

class QIODevice;

namespace kavrin {

// One run of coloured text, as the RTF reader produces it.
struct ColorRun {
    QString text;  // CR LF line breaks
    int color = 0;
};
// Receives text run by run, as the loaders produce it.
using ColorRunSink = std::function<void(const QString& text, int color)>;

// Where the document's group begins, or -1 when the bytes are not RTF.
qsizetype rtfStart(const QByteArray& rtf);
// Hands the runs of `rtf` to `sink` as they are read; false when the bytes are not RTF.
// Literal bytes of 0x80 and above are read as UTF-8 when they form a UTF-8 sequence, else as
// Windows-1252, like \'hh escapes; \uN gives a Unicode character.
bool readRtf(const QByteArray& rtf, const ColorRunSink& sink);
// The same from a device, read a piece at a time, so that a long text is never held whole; false
// with the reason when it cannot be read or is not RTF.
bool readRtf(QIODevice& source, const ColorRunSink& sink, QString* error = nullptr);
// The same, the runs collected.
bool parseRtf(const QByteArray& rtf, QVector<ColorRun>* runs);
// Writes runs as RTF that parseRtf reads back (colour table of the colours used).
QByteArray writeRtf(const QVector<ColorRun>& runs, const QString& fontName = QStringLiteral("Courier New"),
                    int fontSize = 10);

}  // namespace kavrin
