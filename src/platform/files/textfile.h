#pragma once
// Reading and writing the user's text files: the editor works on CR LF text, the file keeps the
// encoding and line ends it was read with.
#include <QByteArray>
#include <QString>

namespace kavrin {

struct TextFormat {
    // The UTF-16 and UTF-32 forms are always written with their byte-order mark, as they are
    // only recognised by one.
    enum class Encoding { Utf8, Windows1252, Utf16Le, Utf16Be, Utf32Le, Utf32Be };
    enum class LineEnd { CrLf, Lf, Cr };
    Encoding encoding = Encoding::Utf8;
    bool utf8Bom = false;
    LineEnd lineEnd = LineEnd::CrLf;

    bool operator==(const TextFormat&) const = default;
};

struct TextFileResult {
    bool ok = false;
    QString text;       // line breaks as CR LF
    TextFormat format;  // what was found, to write the file back the same way
    bool binary = false;  // the bytes hold NUL characters
    QString error;        // the reason, for the user, when !ok
};

// One state of a file, told from another without reading it: the file itself (device and
// inode: another file renamed over the name is another file), its size and its modification
// time. Another program that writes the file, in place or by putting a file at its name,
// changes one of them.
struct FileStamp {
    bool known = false;  // a regular file was there
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of the regular file at `path` (through links); unknown when there is none.
FileStamp fileStampOf(const QString& path);

// Larger files are refused with a reason rather than exhausting memory.
inline constexpr qint64 maxTextFileSize = 256LL * 1024 * 1024;

// UTF-16 or UTF-32 when the bytes begin with its byte-order mark, else UTF-8 when the bytes are
// valid UTF-8, else Windows-1252; the line end that comes first decides the file's style; every
// line break (CR LF, lone CR, lone LF) becomes CR LF. A file with mixed line ends is therefore
// written back with the first one throughout. Only regular files are read: a folder, FIFO,
// device or socket is refused with a reason that says what it is.
TextFileResult readTextFile(const QString& path);
TextFileResult decodeText(const QByteArray& bytes);

// What a save does with characters the format's encoding cannot hold (only Windows-1252 lacks
// any): the program never changes a file's encoding behind the user's back.
enum class Unencodable {
    Refuse,               // nothing is written (the caller asks the user first)
    CharacterReferences,  // each is written as "&#n;" and the encoding stays (HTML pages)
    Utf8,                 // the file becomes UTF-8 (the program's own lists, a user's choice)
};

// Converts CR LF text back to the format's line ends and encoding and writes it atomically:
// the old file stays whole when anything fails. Returns false with the reason in `error`.
// `written` receives the format actually used, so the caller can keep it, and `stamp` the
// stamp of the file as written.
bool writeTextFile(const QString& path, const QString& crlfText, const TextFormat& format,
                   QString* error = nullptr, TextFormat* written = nullptr,
                   Unencodable unencodable = Unencodable::Utf8, FileStamp* stamp = nullptr);
// Empty (and `used` unset) when `unencodable` is Refuse and the text holds such a character.
QByteArray encodeText(const QString& crlfText, const TextFormat& format, TextFormat* used = nullptr,
                      Unencodable unencodable = Unencodable::Utf8);
// Position of the first character the format's encoding cannot hold, or -1.
qsizetype firstUnencodable(const QString& text, const TextFormat& format);
// The name of an encoding as the user reads it ("Windows-1252", "UTF-16").
QString encodingName(TextFormat::Encoding encoding);

// Writes bytes atomically (a temporary file renamed over the target). A file that was there keeps
// its permissions exactly, and its owner and group where this process may give them. A failure
// names what stood in the way: the folder that cannot be written to, a read-only file, a full disk.
// `stamp` receives the stamp of the file written.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                         FileStamp* stamp = nullptr);

// Reads a whole regular file of at most `maxSize` bytes. Anything else at the path is not even
// opened for reading (reading a FIFO would wait for a writer for ever); `error` says what it is.
bool readRegularFile(const QString& path, QByteArray* bytes, QString* error = nullptr,
                     qint64 maxSize = maxTextFileSize);
// "a folder", "a named pipe (FIFO)", "a device", "a socket"; "" for a regular file or nothing.
QString specialFileKind(const QString& path);
// Copies a file of any size and content to `to` through a work file in the target folder that
// shows under no name until it is whole (see WorkFile): the bytes are written, flushed to the
// disk and read back against the source before the copy takes the target's name (with the
// source's permissions, owner and group as in writeFileAtomically, and modification time).
// An existing target is replaced only with `replace`; otherwise the copy fails when one exists.
// Whatever fails leaves the target (and the source) as they were.
bool copyFileAtomically(const QString& from, const QString& to, bool replace, QString* error = nullptr);

// Windows-1252 both ways. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the control characters of the same number, so every byte survives a round trip.
QChar windows1252ToUnicode(unsigned char byte);
QString decodeWindows1252(const QByteArray& bytes);
// False (and `out` incomplete) when a character has no Windows-1252 byte.
bool encodeWindows1252(const QString& text, QByteArray* out);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(const char* data, qsizetype size);

}  // namespace kavrin
