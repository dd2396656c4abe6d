#pragma once
// Files the program writes under names the user did not choose: backups beside a file, the
// browse view's copy beside a page, preview and work files. A name beside the user's files may
// hold anything (a link planted in a shared folder or an unpacked archive, a file of the user's
// that happens to bear it), so such a file is only ever created new, or replaces a file this
// program wrote there itself: a regular file of this user with one link and the program's mark.
// Nothing is ever written through a link, and nothing else at the name is replaced or deleted.
#include <QByteArray>
#include <QString>

#include <functional>

namespace kavrin {

enum class OwnWrite {
    Written,    // the bytes are in place, whole
    NameTaken,  // something the program did not write stands at the name; it was not touched
    Failed,     // the file system refused (the reason says why); nothing changed at the name
};

// Writes `bytes` to `path` through a new temporary file beside it, which then takes the name.
// `mode` gives the permissions: by default only the user may read the file, as it may hold the
// text of a page nobody else may read (-1: those of any new file, after the umask); `durable`
// puts the bytes on the disk before the name is given (a backup must outlive a crash, a work
// file need not).
OwnWrite writeOwnFile(const QString& path, const QByteArray& bytes, QString* error = nullptr, int mode = 0600,
                      bool durable = false);
// Takes the next bytes of a file being written; false when they could not be written.
using OwnBytesSink = std::function<bool(const char* data, qsizetype size)>;
// The same with the bytes made as they are written: `produce` hands them to its sink a piece at
// a time and returns false when it gave up (or the sink refused a piece). Only a whole file
// takes the name.
OwnWrite writeOwnFile(const QString& path, const std::function<bool(const OwnBytesSink& put)>& produce,
                      QString* error = nullptr, int mode = 0600, bool durable = false);
// Writes `bytes`, the contents of `original` before a change, to "<original>.bak", durably, with
// the original's permissions, owner and group (see takeAccessOf) and modification time. The name
// is the page's backup slot: an earlier backup there is replaced when it is a plain file of this
// user with one link (older runs, other editors and people make them too; for root, a file of
// the original's owner as well). A link, a file with a second name, a folder, a special file or
// another user's file there gives NameTaken and stays as it is.
OwnWrite writeBackupOf(const QString& original, const QByteArray& bytes, QString* error = nullptr);
// A file being written to take the place of `target`, in the target's folder, that shows under
// no name until it is whole: where the file system allows, the system gives it none until it is
// committed, so a program killed meanwhile leaves nothing; elsewhere it has a hidden name that
// carries the program's work mark and is locked while it is written, and a later WorkFile for
// the same target removes such a file once its writer has gone.
class WorkFile {
public:
    explicit WorkFile(const QString& target);
    ~WorkFile();
    WorkFile(const WorkFile&) = delete;
    WorkFile& operator=(const WorkFile&) = delete;
    // The file to write, or -1 when it could not be made (`error()` says why).
    int fd() const { return fd_; }
    int error() const { return error_; }
    // Gives the file the target's name: over whatever is there with `replace`, else only when
    // nothing is (EEXIST otherwise). 0, or the reason's errno; the file is gone after a failure.
    int commit(bool replace);
    // For tests: work files always get a name, as on a file system without unnamed files.
    static inline bool unnamedAllowed = true;

private:
    int linkNamed(QByteArray* name);
    void drop();
    QByteArray target_;
    QByteArray name_;  // the hidden name, while the file has one
    int fd_ = -1;
    int error_ = 0;
};

// True when `path` holds a file this program wrote there (see above).
bool isOwnFile(const QString& path);
// Deletes `path` only when it is such a file; true when it is gone or was never there.
bool removeOwnFile(const QString& path);
// Writes `bytes` to a name never used before in `folder` (the program's private work folder),
// made from `name`; returns the new path, or "" with the reason.
QString writePrivateFile(const QString& folder, const QString& name, const QByteArray& bytes,
                         QString* error = nullptr);

// Notes a file written beside the user's files for this run alone (a browse copy), so that the
// next start removes it when this program is killed before it could (and it is still ours).
void removeAtNextStart(const QString& path);

// The program's private work folders are named from this prefix and the process id, so that
// the next start can tell the folders of a program that was killed from those of one that runs.
// A name proves nothing (people name folders as they like): each folder carries a mark, written
// when it was made, that ties it to this process and to the folder itself, so a copy of it, or a
// folder put in its place, is no longer the program's.
QString privateFolderPrefix();
// Makes this process's private work folder in `tempRoot` (mode 0700, with its mark); returns its
// path, or "" with the reason.
QString makePrivateFolder(const QString& tempRoot, QString* error = nullptr);
// Removes a work folder of this process with all it holds, and the files beside the user's it
// noted that are still the program's; only when the folder proves to be the one it made (owned
// by this user, mode 0700, its mark intact). True when it went.
bool removePrivateFolder(const QString& path);
// Removes the private work folders that programs that are no longer running left in `tempRoot`
// (proven as above, and never the running program's own), with the files they noted to remove;
// returns how many folders were removed.
int removeLeftoverPrivateFolders(const QString& tempRoot);

}  // namespace kavrin
