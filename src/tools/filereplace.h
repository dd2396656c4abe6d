#pragma once
// Replacing a text in a file on disk so that every byte outside the replaced text stays as it
// was: the encoding, the line ends, a byte-order mark and a missing final line end are kept
// because the file is never decoded and encoded again as a whole; only the replacements are
// written in the file's own encoding. Files that are not text are left alone.
#include <QByteArray>
#include <QString>

namespace kavrin {

struct ReplaceRequest {
    QString find;
    QString replacement;
    int flags = 0;         // SearchFlags
    bool backups = false;  // write "<file>.bak" with the old bytes first
};

struct BytesReplaceResult {
    enum class Status { NoHit, Changed, Skipped };
    Status status = Status::NoHit;
    int count = 0;
    QByteArray bytes;  // the new contents, when Changed
    QString reason;    // why it was skipped
};

// `htmlPage`: characters that a Windows-1252 page cannot hold are written as numeric character
// references (&#26085;); in any other such file they make the file skipped.
BytesReplaceResult replaceInBytes(const QByteArray& bytes, const ReplaceRequest& request, bool htmlPage);

// True for the names of the pages the editor colours on opening (".htm", ".html", ...).
bool isHtmlPageName(const QString& path);

// What happened to one file.
struct FileReplaceOutcome {
    enum class Kind { NoHit, Replaced, Skipped, Failed };
    Kind kind = Kind::NoHit;
    int count = 0;
    int errorNumber = 0;  // Failed: 53 not found, 58 backup name taken, 61 disk full, 70 permission
                          // denied, 75 other
    QString reason;       // Skipped or Failed: for the user
};

// Reads the file, replaces, writes the backup (when asked) and then the file, each atomically:
// a failure leaves the file whole. A file that holds the text but is not text (NUL bytes, bytes
// that do not decode) or is too large is Skipped; one without the text gives NoHit either way.
FileReplaceOutcome replaceInFile(const QString& path, const ReplaceRequest& request);

}  // namespace kavrin
