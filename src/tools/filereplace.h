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

// The error number of a page whose backup name holds something that is not an earlier backup.
inline constexpr int backupNameTaken = 58;

// What happened to one file.
struct FileReplaceOutcome {
    enum class Kind { NoHit, Replaced, Skipped, Failed };
    Kind kind = Kind::NoHit;
    int count = 0;
    int errorNumber = 0;  // Failed: 53 not found, 58 backup name taken, 61 disk full, 70 permission
                          // denied, 75 other
    QString reason;       // Skipped or Failed: for the user

    // A failure to read or write ends the work in the file's folder; a backup name that is
    // taken concerns that page alone.
    bool endsFolder() const { return kind == Kind::Failed && errorNumber != backupNameTaken; }
};

// Reads the file, replaces, writes the backup (when asked) and then the file, each atomically:
// a failure leaves the file whole. A file that holds the text but is not text (NUL bytes, bytes
// that do not decode) or is too large is Skipped; one without the text gives NoHit either way.
FileReplaceOutcome replaceInFile(const QString& path, const ReplaceRequest& request);

// Writes "<path>.bak" holding the file's contents before it changes (`bytes`, or what the file
// holds now), as writeBackupOf does. False with `failure` (Failed, its number and reason) when
// no backup could be made; the page must then stay as it is.
bool backUpFile(const QString& path, const QByteArray& bytes, FileReplaceOutcome* failure);
bool backUpFile(const QString& path, FileReplaceOutcome* failure);

}  // namespace kavrin
