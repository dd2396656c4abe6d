#include "platform/files/ownfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPair>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <fcntl.h>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <system_error>
#include <unistd.h>
#include <utility>

#include "platform/files/filesystem.h"
#include "platform/files/paths.h"

namespace kavrin {

namespace {

// The mark the program leaves on the files it writes, so that a later run knows them too.
constexpr char kMark[] = "user.kavrin.own";

// Files written by this run on file systems that keep no extended attributes, with the time of
// their last change: a file made later under a freed inode number, or changed since, is not ours.
using Identity = QPair<quint64, quint64>;
QHash<Identity, qint64>& writtenHere() {
    // Never destroyed: the work folder is cleared while the program's statics go.
    static auto* files = new QHash<Identity, qint64>;
    return *files;
}

Identity identityOf(const struct stat& st) { return {quint64(st.st_dev), quint64(st.st_ino)}; }
qint64 changedAt(const struct stat& st) { return qint64(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec; }

void remember(const QByteArray& name) {
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0) writtenHere().insert(identityOf(st), changedAt(st));
}

QString systemReason(int code) { return QString::fromStdString(std::error_code(code, std::generic_category()).message()); }

QString writeReason(int code) {
    switch (code) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("the disk is full.");
    case EROFS:
        return QStringLiteral("the volume is read-only.");
    case EACCES:
    case EPERM:
        return QStringLiteral("you have no permission to write in its folder.");
    case ENOENT:
        return QStringLiteral("its folder does not exist.");
    default:
        return systemReason(code) + u'.';
    }
}

bool ownStat(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid();
}

bool marked(int fd, const struct stat& st) {
    char value[4];
    if (::fgetxattr(fd, kMark, value, sizeof value) > 0) return true;
    if (errno != ENOTSUP) return false;
    const auto it = writtenHere().constFind(identityOf(st));
    return it != writtenHere().cend() && *it == changedAt(st);
}

// Opens the name itself, never what a link points to, without waiting on a FIFO.
int openNoFollow(const QByteArray& name) {
    return ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

bool isOwn(const QByteArray& name) {
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !ownStat(st)) return false;
    const int fd = openNoFollow(name);
    if (fd < 0) return false;
    struct stat opened {};
    const bool same = ::fstat(fd, &opened) == 0 && opened.st_dev == st.st_dev && opened.st_ino == st.st_ino &&
                      ownStat(opened) && marked(fd, opened);
    ::close(fd);
    return same;
}

bool writeAll(int fd, const char* data, qsizetype left) {
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

bool writeAll(int fd, const QByteArray& bytes) { return writeAll(fd, bytes.constData(), bytes.size()); }

// Writes the file's bytes to `fd`: 0, or the reason it could not.
using FdWriter = std::function<int(int fd)>;

FdWriter bytesWriter(const QByteArray& bytes) {
    return [&bytes](int fd) { return writeAll(fd, bytes) ? 0 : errno; };
}

// ---- Work files -----------------------------------------------------------------------------

// The mark of a work file that has a name: the file is the program's until it takes its target's
// name, when the mark goes. It is not the mark of the program's own files, so that a copy of
// a user's file made through a work file never counts as the program's.
constexpr char kWorkMark[] = "user.kavrin.work";
// A target has a few work names, so that a writer killed on one, or a second writer at work on
// the same target, leaves the next one free; all of them are tried in turn, none is searched for.
constexpr int kWorkNames = 4;

QByteArray workName(const QByteArray& target, int number) {
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray name = target.left(slash + 1) + '.' + target.mid(slash + 1) + ".kavrin-part";
    if (number > 1) name += QByteArray::number(number);
    return name;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A work file whose writer is gone: a plain file of this user under the name with the work mark,
// which no writer holds locked (a lock goes with the process that held it).
void removeIfAbandoned(const QByteArray& name) {
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !ownStat(st)) return;
    const int fd = openNoFollow(name);
    if (fd < 0) return;
    struct stat opened {};
    char value[4];
    if (::fstat(fd, &opened) == 0 && sameFile(opened, st) && ownStat(opened) &&
        ::fgetxattr(fd, kWorkMark, value, sizeof value) > 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        struct stat now {};
        // Still the same file at the name the moment it goes.
        if (::lstat(name.constData(), &now) == 0 && sameFile(now, opened)) ::unlink(name.constData());
    }
    ::close(fd);
}

// Links a file the system gave no name at `to`; EEXIST when something stands there.
int linkUnnamed(int fd, const QByteArray& to) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, to.constData(), AT_SYMLINK_FOLLOW) == 0) return 0;
    const int code = errno;
    if (code == EEXIST) return code;
    // Without /proc the file itself can be named, by a process allowed to.
    if (::linkat(fd, "", AT_FDCWD, to.constData(), AT_EMPTY_PATH) == 0) return 0;
    return code;
}

}  // namespace

WorkFile::WorkFile(const QString& target) : target_(QFile::encodeName(QFileInfo(target).absoluteFilePath())) {
    for (int n = 1; n <= kWorkNames; ++n) removeIfAbandoned(workName(target_, n));
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    if (unnamedAllowed) {
        fd_ = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            ::flock(fd_, LOCK_EX | LOCK_NB);
            return;
        }
        // A file system without unnamed files says so in one of these ways; anything else is a
        // reason of its own (no folder, no permission, a full disk).
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOSYS) {
            error_ = errno;
            return;
        }
    }
    QByteArray name;
    error_ = linkNamed(&name);
}

int WorkFile::linkNamed(QByteArray* name) {
    // With a file already made (an unnamed one that is to replace the target), it takes the work
    // name by a link; otherwise the work name is made.
    const bool made = fd_ >= 0;
    if (made) ::fsetxattr(fd_, kWorkMark, "1", 1, 0);
    for (int n = 1; n <= kWorkNames; ++n) {
        *name = workName(target_, n);
        if (made) {
            const int code = linkUnnamed(fd_, *name);
            if (code == 0) {
                name_ = *name;
                return 0;
            }
            if (code != EEXIST) return code;
            continue;
        }
        fd_ = ::open(name->constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            name_ = *name;
            // Locked before it is marked: whoever finds the mark finds the lock.
            ::flock(fd_, LOCK_EX | LOCK_NB);
            ::fsetxattr(fd_, kWorkMark, "1", 1, 0);
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

int WorkFile::commit(bool replace) {
    if (fd_ < 0) return error_ ? error_ : EBADF;
    int code = 0;
    if (name_.isEmpty() && !replace) {
        // Nothing there: the whole file takes the name at once, and a name that is taken is refused.
        code = linkUnnamed(fd_, target_);
    } else {
        QByteArray name;
        if (name_.isEmpty()) code = linkNamed(&name);
        if (code == 0) {
            if (replace) {
                code = ::rename(name_.constData(), target_.constData()) == 0 ? 0 : errno;
            } else {
                code = ::renameat2(AT_FDCWD, name_.constData(), AT_FDCWD, target_.constData(), RENAME_NOREPLACE) == 0
                           ? 0
                           : errno;
                if (code == EINVAL || code == ENOSYS || code == ENOTSUP) {
                    // A file system without the flag: a hard link is refused as well when the name is taken.
                    code = ::link(name_.constData(), target_.constData()) == 0 ? 0 : errno;
                    if (code == 0) ::unlink(name_.constData());
                }
            }
            if (code == 0) name_.clear();
        }
    }
    if (code != 0) {
        drop();
        return code;
    }
    ::fremovexattr(fd_, kWorkMark);
    ::close(fd_);
    fd_ = -1;
    return 0;
}

void WorkFile::drop() {
    if (fd_ < 0) return;
    if (!name_.isEmpty()) {
        struct stat mine {};
        struct stat there {};
        if (::fstat(fd_, &mine) == 0 && ::lstat(name_.constData(), &there) == 0 && sameFile(mine, there))
            ::unlink(name_.constData());
        name_.clear();
    }
    ::close(fd_);
    fd_ = -1;
}

WorkFile::~WorkFile() { drop(); }

namespace {

// Who stands at the name a file is about to take, and whether it may be replaced.
enum class Slot {
    Own,     // only a file this program wrote there
    Backup,  // an earlier backup: any plain file of this user with one link
};

bool earlierBackup(const QByteArray& name, const struct stat* original) {
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) return false;
    const uid_t me = ::geteuid();
    // Root keeps a backup in the name of the page's owner, so the owner's earlier one is as good.
    const bool mine = st.st_uid == me || (me == 0 && original && st.st_uid == original->st_uid);
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && mine;
}

OwnWrite writeOwn(const QString& path, const FdWriter& write, QString* error, int mode, bool durable, Slot slot,
                  const struct stat* like = nullptr, const QByteArray& likeName = QByteArray()) {
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    auto fail = [&](int code) {
        if (error)
            *error = QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), writeReason(code));
        return OwnWrite::Failed;
    };
    auto taken = [&] {
        if (error)
            *error = (slot == Slot::Backup
                          ? QStringLiteral("The name \"%1\" is taken by something that is not an earlier backup of yours "
                                           "(a link, a file with a second name, a folder, a special file or another "
                                           "user's file); it was left as it is.")
                          : QStringLiteral("The name \"%1\" is taken by something this program did not write (a "
                                           "link, a folder or another file); it was left as it is."))
                         .arg(QDir::toNativeSeparators(path));
        return OwnWrite::NameTaken;
    };

    struct stat st {};
    bool replace = false;
    if (::lstat(target.constData(), &st) == 0) {
        if (!(slot == Slot::Backup ? earlierBackup(target, like) : isOwn(target))) return taken();
        replace = true;
    } else if (errno != ENOENT) {
        return fail(errno);
    }

    // A half-written file never shows under the real name, nor, when the program is killed, under
    // one nobody removes.
    WorkFile work(path);
    const int fd = work.fd();
    if (fd < 0) return fail(work.error());
    if (const int code = write(fd); code != 0) return fail(code);
    if (durable && ::fsync(fd) != 0) return fail(errno);
    ::fsetxattr(fd, kMark, "1", 1, 0);  // where the file system keeps none, this run remembers it
    if (like) {
        takeAccessOf(fd, *like, likeName);
        const struct timespec times[2] = {{0, UTIME_OMIT}, like->st_mtim};
        ::futimens(fd, times);
    } else {
        if (mode < 0) {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = int(0666 & ~mask);
        }
        if (::fchmod(fd, mode_t(mode)) != 0) return fail(errno);
    }

    if (const int code = work.commit(replace); code != 0) {
        if (code == EEXIST) return taken();
        return fail(code);
    }
    remember(target);
    if (error) error->clear();
    return OwnWrite::Written;
}

}  // namespace

OwnWrite writeOwnFile(const QString& path, const QByteArray& bytes, QString* error, int mode, bool durable) {
    return writeOwn(path, bytesWriter(bytes), error, mode, durable, Slot::Own);
}

OwnWrite writeOwnFile(const QString& path, const std::function<bool(const OwnBytesSink& put)>& produce, QString* error,
                      int mode, bool durable) {
    const FdWriter write = [&produce](int fd) {
        int code = 0;
        const bool done = produce([&](const char* data, qsizetype size) {
            if (writeAll(fd, data, size)) return true;
            code = errno != 0 ? errno : EIO;
            return false;
        });
        // A producer that gave up by itself leaves a file that is not whole all the same.
        return done ? 0 : (code != 0 ? code : ECANCELED);
    };
    return writeOwn(path, write, error, mode, durable, Slot::Own);
}

OwnWrite writeBackupOf(const QString& original, const QByteArray& bytes, QString* error) {
    const QByteArray name = QFile::encodeName(QFileInfo(original).absoluteFilePath());
    struct stat st {};
    // A page that is gone meanwhile leaves a backup only its user may read.
    const bool known = ::stat(name.constData(), &st) == 0 && S_ISREG(st.st_mode);
    return writeOwn(original + QStringLiteral(".bak"), bytesWriter(bytes), error, 0600, true, Slot::Backup,
                    known ? &st : nullptr, name);
}

bool isOwnFile(const QString& path) { return isOwn(QFile::encodeName(QFileInfo(path).absoluteFilePath())); }

bool removeOwnFile(const QString& path) {
    const QByteArray name = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) return errno == ENOENT;
    if (!isOwn(name)) return false;
    if (::unlink(name.constData()) != 0) return false;
    writtenHere().remove(identityOf(st));
    return true;
}

QString writePrivateFile(const QString& folder, const QString& name, const QByteArray& bytes, QString* error) {
    QString base = folder;
    if (!base.endsWith(u'/')) base += u'/';
    // "page-XXXXXX.htm": a name never used before that keeps the kind of file the name says.
    const QFileInfo info(name);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    QString stem = info.fileName();
    stem.chop(suffix.size());
    if (stem.isEmpty()) stem = QStringLiteral("copy");
    const QByteArray suffixBytes = QFile::encodeName(suffix);
    QByteArray path = QFile::encodeName(base + stem + QStringLiteral("-XXXXXX")) + suffixBytes;
    const int fd = ::mkostemps(path.data(), int(suffixBytes.size()), O_CLOEXEC);
    auto fail = [&](int code) {
        if (error)
            *error = QStringLiteral("Cannot write a copy in \"%1\": %2").arg(QDir::toNativeSeparators(folder),
                                                                           writeReason(code));
        return QString();
    };
    if (fd < 0) return fail(errno);
    if (!writeAll(fd, bytes)) {
        const int code = errno;
        ::close(fd);
        ::unlink(path.constData());
        return fail(code);
    }
    ::fsetxattr(fd, kMark, "1", 1, 0);
    ::close(fd);
    remember(path);
    if (error) error->clear();
    return QFile::decodeName(path);
}

namespace {
// The list of a run's files beside the user's, in its private folder.
constexpr char kLedger[] = "files-beside";
}  // namespace

void removeAtNextStart(const QString& path) {
    QFile ledger(processTempFolder() + QLatin1String(kLedger));
    if (!ledger.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    ledger.write(QFile::encodeName(QFileInfo(path).absoluteFilePath()) + '\n');
}

QString privateFolderPrefix() { return QStringLiteral("kavrin-"); }

namespace {

// The mark inside a work folder: the process that made it and the folder's own identity, so
// that a copy of the folder, or another folder put in its place, carries no valid mark.
constexpr char kFolderMark[] = ".work-folder";

QByteArray folderMarkText(qint64 pid, const struct stat& folder) {
    return "kavrin work folder\n" + QByteArray::number(pid) + ' ' + QByteArray::number(quint64(folder.st_dev)) + ' ' +
           QByteArray::number(quint64(folder.st_ino)) + '\n';
}

// "kavrin-<pid>-<anything>": the pid, else 0.
qint64 pidInName(const QString& name) {
    if (!name.startsWith(privateFolderPrefix())) return 0;
    const QString rest = name.mid(privateFolderPrefix().size());
    const qsizetype dash = rest.indexOf(u'-');
    if (dash <= 0 || dash == rest.size() - 1) return 0;
    bool ok = false;
    const qint64 pid = rest.left(dash).toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

// The process that made the work folder at `path`, or 0 when the folder does not prove to be
// one: a folder (not a link) of this user with mode 0700 whose mark names the process in its
// name and the folder itself.
qint64 provenFolderOwner(const QString& path) {
    const qint64 pid = pidInName(QFileInfo(path).fileName());
    if (pid == 0) return 0;
    const int dir = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return 0;
    struct stat folder {};
    bool proven = ::fstat(dir, &folder) == 0 && S_ISDIR(folder.st_mode) && folder.st_uid == ::geteuid() &&
                  (folder.st_mode & 07777) == 0700;
    const int mark = proven ? ::openat(dir, kFolderMark, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC) : -1;
    ::close(dir);
    if (mark < 0) return 0;
    const QByteArray expected = folderMarkText(pid, folder);
    struct stat st {};
    char text[128];
    proven = ::fstat(mark, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1 &&
             st.st_size == expected.size() && ::read(mark, text, sizeof text) == expected.size() &&
             QByteArrayView(text, expected.size()) == expected;
    ::close(mark);
    return proven ? pid : 0;
}

// Removes a proven folder with the files beside the user's that its run noted.
bool removeFolderAndNoted(const QString& path) {
    QFile ledger(path + u'/' + QLatin1String(kLedger));
    if (ledger.open(QIODevice::ReadOnly)) {
        // Only a file that still carries the mark goes: the user may have put one of their own
        // in its place since.
        for (const QByteArray& line : ledger.readAll().split('\n'))
            if (!line.isEmpty()) removeOwnFile(QFile::decodeName(line));
    }
    return QDir(path).removeRecursively();
}

}  // namespace

QString makePrivateFolder(const QString& tempRoot, QString* error) {
    QString root = tempRoot;
    if (!root.endsWith(u'/')) root += u'/';
    QByteArray name = QFile::encodeName(root + privateFolderPrefix() + QString::number(::getpid()) +
                                        QStringLiteral("-XXXXXX"));
    auto fail = [&](int code) {
        if (error)
            *error = QStringLiteral("Cannot make a work folder in \"%1\": %2").arg(QDir::toNativeSeparators(tempRoot),
                                                                                 writeReason(code));
        return QString();
    };
    if (!::mkdtemp(name.data())) return fail(errno);
    const int dir = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat folder {};
    int code = 0;
    if (dir < 0 || ::fchmod(dir, 0700) != 0 || ::fstat(dir, &folder) != 0) {
        code = errno;
    } else {
        const int mark = ::openat(dir, kFolderMark, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (mark < 0 || !writeAll(mark, folderMarkText(::getpid(), folder))) code = errno;
        if (mark >= 0) ::close(mark);
    }
    if (dir >= 0) ::close(dir);
    if (code != 0) {
        QDir(QFile::decodeName(name)).removeRecursively();
        return fail(code);
    }
    if (error) error->clear();
    return QFile::decodeName(name);
}

bool removePrivateFolder(const QString& path) {
    QString folder = path;
    while (folder.size() > 1 && folder.endsWith(u'/')) folder.chop(1);
    if (provenFolderOwner(folder) != ::getpid()) return false;
    return removeFolderAndNoted(folder);
}

int removeLeftoverPrivateFolders(const QString& tempRoot) {
    int removed = 0;
    const QDir root(tempRoot);
    const QStringList names =
        root.entryList({privateFolderPrefix() + QStringLiteral("*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString path = root.absoluteFilePath(name);
        const qint64 pid = provenFolderOwner(path);
        if (pid == 0 || pid == ::getpid()) continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;  // still running, or not ours to ask
        if (removeFolderAndNoted(path)) ++removed;
    }
    return removed;
}

}  // namespace kavrin
