#include "platform/files/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>

#include "platform/files/textfile.h"

namespace kavrin {

namespace {

QString decodeMountField(const QByteArray& field) {
    // The mount table writes blanks, tabs, line feeds and backslashes as "\ooo".
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = digits.size() == 3;
            for (char c : digits) ok = ok && c >= '0' && c <= '7';
            if (ok) {
                out.append(char(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QFile::decodeName(out);
}

bool underAny(const QString& path, std::initializer_list<const char*> roots) {
    for (const char* r : roots) {
        const QString root = QString::fromLatin1(r);
        if (path == root || path.startsWith(root + QLatin1Char('/'))) return true;
    }
    return false;
}

bool isNetworkType(const QString& type, const QString& device) {
    static const QStringList types{
        "nfs",   "nfs4",     "cifs",      "smb3",       "smbfs",      "ncpfs",        "afs",
        "ceph",  "glusterfs", "9p",       "davfs",      "sshfs",      "fuse.sshfs",   "fuse.davfs2",
        "lustre", "gpfs",    "beegfs",    "fuse.rclone", "fuse.s3fs", "fuse.glusterfs", "fuse.cephfs",
    };
    if (types.contains(type)) return true;
    // Other user-space file systems that name a host ("user@host:/path") reach over the network.
    return type.startsWith(QLatin1String("fuse.")) && device.contains(QLatin1Char(':'));
}

// "sdb1" -> "sdb", "nvme0n1p2" -> "nvme0n1", "mmcblk0p1" -> "mmcblk0".
QString blockDeviceBase(const QString& device) {
    QString name = device.mid(device.lastIndexOf(QLatin1Char('/')) + 1);
    static const QRegularExpression numbered(QStringLiteral("^((?:nvme\\d+n\\d+)|(?:mmcblk\\d+))p\\d+$"));
    static const QRegularExpression lettered(QStringLiteral("^([a-z]+)\\d+$"));
    QRegularExpressionMatch m = numbered.match(name);
    if (m.hasMatch()) return m.captured(1);
    m = lettered.match(name);
    if (m.hasMatch()) return m.captured(1);
    return name;
}

bool deviceIsRemovable(const QString& device) {
    if (!device.startsWith(QLatin1String("/dev/"))) return false;
    const QString real = QFileInfo(device).canonicalFilePath();
    QFile f(QStringLiteral("/sys/block/") + blockDeviceBase(real.isEmpty() ? device : real) +
            QStringLiteral("/removable"));
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(1) == "1";
}

QString decodeLabel(const QString& name) {
    // udev writes unsafe characters of a label as "\xHH".
    QByteArray out;
    const QByteArray in = QFile::encodeName(name);
    for (int i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int value = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(in[i]);
    }
    return QString::fromUtf8(out);
}

QHash<QString, QString> deviceLabels() {
    QHash<QString, QString> labels;
    const QDir dir(QStringLiteral("/dev/disk/by-label"));
    for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty()) labels.insert(target, decodeLabel(link.fileName()));
    }
    return labels;
}

QVector<Volume> machineVolumes() {
    QFile table(QStringLiteral("/proc/self/mounts"));
    QByteArray text;
    if (table.open(QIODevice::ReadOnly)) text = table.readAll();
    const QHash<QString, QString> labels = deviceLabels();
    return volumesFromMounts(
        parseMountTable(text), deviceIsRemovable,
        [&labels](const QString& device) {
            const QString real = QFileInfo(device).canonicalFilePath();
            return labels.value(real.isEmpty() ? device : real);
        },
        QDir::homePath());
}

std::function<QVector<Volume>()>& volumeSource() {
    static std::function<QVector<Volume>()> source;
    return source;
}

std::function<FolderListing(const QString&, ListWhat)>& folderReader() {
    static std::function<FolderListing(const QString&, ListWhat)> reader;
    return reader;
}

int& networkWait() {
    static int ms = 3000;
    return ms;
}

// Volumes with a read still out. Never destroyed: a worker may finish while the program ends.
struct BusyVolumes {
    std::mutex mutex;
    std::set<QString> roots;
};
BusyVolumes& busyVolumes() {
    static auto* busy = new BusyVolumes;
    return *busy;
}

bool notReadyErrno(int error) {
    switch (error) {
    case ENOMEDIUM:
    case EIO:
    case ENOTCONN:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ETIMEDOUT:
    case ESTALE:
    case ENXIO:
    case ENODEV:
        return true;
    default:
        return false;
    }
}

FolderListing failure(int error) {
    FolderListing result;
    result.status = notReadyErrno(error) ? ListStatus::NotReady : ListStatus::Failed;
    result.error = QString::fromStdString(std::error_code(error, std::generic_category()).message());
    return result;
}

bool hasVisibleSubFolder(int parentFd, const char* name) {
    const int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    bool found = false;
    while (struct dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        if (e->d_type == DT_DIR) {
            found = true;
            break;
        }
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st {};
            if (fstatat(dirfd(dir), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)) {
                found = true;
                break;
            }
        }
    }
    closedir(dir);
    return found;
}

}  // namespace

// ---- Volumes ---------------------------------------------------------------------------------

QVector<MountEntry> parseMountTable(const QByteArray& text) {
    QVector<MountEntry> entries;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3 || fields[0].isEmpty()) continue;
        entries.push_back({decodeMountField(fields[0]), decodeMountField(fields[1]), decodeMountField(fields[2])});
    }
    return entries;
}

namespace {

// Which of two mount points of one device stands for it: one in the media folders (where the
// desktop mounts a stick), else the one nearest the root, else the first by name.
bool betterMountPoint(const QString& a, const QString& b) {
    const bool mediaA = underAny(a, {"/media", "/run/media"});
    const bool mediaB = underAny(b, {"/media", "/run/media"});
    if (mediaA != mediaB) return mediaA;
    const qsizetype depthA = a.count(QLatin1Char('/'));
    const qsizetype depthB = b.count(QLatin1Char('/'));
    if (depthA != depthB) return depthA < depthB;
    return a < b;
}

}  // namespace

QVector<Volume> volumesFromMounts(const QVector<MountEntry>& mounts,
                                  const std::function<bool(const QString&)>& isRemovableDevice,
                                  const std::function<QString(const QString&)>& labelOf, const QString& homePath) {
    // A mount point mounted over again shows only its last mount.
    QMap<QString, MountEntry> byPoint;
    for (const MountEntry& m : mounts) {
        if (!m.mountPoint.startsWith(QLatin1Char('/'))) continue;
        byPoint.insert(QDir::cleanPath(m.mountPoint), m);
    }

    Volume root;
    root.rootPath = QStringLiteral("/");
    if (byPoint.contains(root.rootPath)) {
        const MountEntry& m = byPoint.value(root.rootPath);
        root.device = m.device;
        root.fileSystemType = m.fileSystemType;
        root.kind = isNetworkType(m.fileSystemType, m.device) ? VolumeKind::Network : VolumeKind::Fixed;
        if (root.kind != VolumeKind::Network && labelOf) root.label = labelOf(m.device);
    }

    QVector<Volume> others;
    for (auto it = byPoint.cbegin(); it != byPoint.cend(); ++it) {
        const QString point = it.key();
        const MountEntry& m = it.value();
        if (point == QLatin1String("/")) continue;
        Volume v;
        v.rootPath = point;
        v.device = m.device;
        v.fileSystemType = m.fileSystemType;
        if (isNetworkType(m.fileSystemType, m.device)) {
            if (underAny(point, {"/proc", "/sys", "/dev", "/run/user"})) continue;
            v.kind = VolumeKind::Network;
            others.push_back(v);
            continue;
        }
        if (!m.device.startsWith(QLatin1String("/dev/")) || m.device.startsWith(QLatin1String("/dev/loop")) ||
            m.device.startsWith(QLatin1String("/dev/zram")) || m.fileSystemType == QLatin1String("squashfs"))
            continue;
        const bool mediaFolder = underAny(point, {"/media", "/run/media"});
        if (!mediaFolder && underAny(point, {"/proc", "/sys", "/dev", "/run", "/boot", "/efi", "/snap", "/var/snap",
                                             "/var/lib/docker", "/var/lib/snapd", "/etc"}))
            continue;
        if (m.fileSystemType == QLatin1String("iso9660") || m.fileSystemType == QLatin1String("udf"))
            v.kind = VolumeKind::Optical;
        else if (mediaFolder || (isRemovableDevice && isRemovableDevice(m.device)))
            v.kind = VolumeKind::Removable;
        else
            v.kind = VolumeKind::Fixed;
        if (labelOf) v.label = labelOf(m.device);
        others.push_back(v);
    }

    // A device mounted at several places (a bind mount, a second subvolume of the root's disk)
    // is one volume: the root's device is the root, any other shows at its best mount point.
    QHash<QString, int> bestOf;
    for (int i = 0; i < others.size(); ++i) {
        const QString& device = others[i].device;
        if (device == root.device) continue;
        const auto found = bestOf.constFind(device);
        if (found == bestOf.cend() || betterMountPoint(others[i].rootPath, others[*found].rootPath))
            bestOf.insert(device, i);
    }
    QVector<Volume> volumes{root};
    for (int i = 0; i < others.size(); ++i)
        if (bestOf.value(others[i].device, -1) == i) volumes.push_back(others[i]);

    // The user's home folder comes next to the root, as a volume of the kind that holds it.
    const QString home = homePath.isEmpty() ? QString() : QDir::cleanPath(homePath);
    if (home.startsWith(QLatin1Char('/')) && home != QLatin1String("/")) {
        Volume homeVolume;
        const int own = [&] {
            for (int i = 0; i < volumes.size(); ++i)
                if (volumes[i].rootPath == home) return i;
            return -1;
        }();
        if (own >= 0) homeVolume = volumes.takeAt(own);
        else homeVolume = volumes[volumeIndexOf(volumes, home)];
        homeVolume.rootPath = home;
        homeVolume.label = QStringLiteral("Home");
        volumes.insert(1, homeVolume);
    }
    return volumes;
}

QVector<Volume> mountedVolumes() {
    if (volumeSource()) return volumeSource()();
    return machineVolumes();
}

void setVolumeSource(std::function<QVector<Volume>()> source) { volumeSource() = std::move(source); }

int volumeIndexOf(const QVector<Volume>& volumes, const QString& path) {
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < volumes.size(); ++i) {
        const QString& root = volumes[i].rootPath;
        const bool holds = root == QLatin1String("/")
                               ? path.startsWith(QLatin1Char('/'))
                               : (path == root || path.startsWith(root + QLatin1Char('/')));
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

bool isOnNetworkVolume(const QString& path) {
    const QVector<Volume> volumes = mountedVolumes();
    const int i = volumeIndexOf(volumes, path);
    return i >= 0 && volumes[i].kind == VolumeKind::Network;
}

// ---- Folder listings -------------------------------------------------------------------------

FolderListing readFolder(const QString& path, ListWhat what) {
    if (path.isEmpty()) return failure(ENOENT);
    DIR* dir = opendir(QFile::encodeName(path).constData());
    if (!dir) return failure(errno);
    FolderListing result;
    if (what == ListWhat::Probe) {
        closedir(dir);
        return result;
    }
    const int fd = dirfd(dir);
    errno = 0;
    while (struct dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        struct stat st {};
        bool folder = e->d_type == DT_DIR;
        bool haveStat = false;
        if (what == ListWhat::Files || e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            // A link counts as what it points to; a dangling one is neither file nor folder.
            if (fstatat(fd, e->d_name, &st, 0) != 0) continue;
            haveStat = true;
            folder = S_ISDIR(st.st_mode);
        }
        FolderEntry entry;
        entry.name = QFile::decodeName(e->d_name);
        entry.isFolder = folder;
        if (what == ListWhat::Files) {
            if (folder || !haveStat) continue;
            entry.size = st.st_size;
            entry.modified = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
        } else {
            if (!folder) continue;
            if (what == ListWhat::SubFoldersPeek) entry.hasSubFolders = hasVisibleSubFolder(fd, e->d_name);
        }
        result.entries.push_back(std::move(entry));
    }
    const int readError = errno;
    closedir(dir);
    if (readError != 0 && result.entries.isEmpty()) return failure(readError);
    std::stable_sort(result.entries.begin(), result.entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return result;
}

FolderListing listFolder(const QString& path, ListWhat what) {
    auto reader = folderReader() ? folderReader() : std::function<FolderListing(const QString&, ListWhat)>(readFolder);
    const QVector<Volume> volumes = mountedVolumes();
    const int index = volumeIndexOf(volumes, path);
    if (index < 0 || volumes[index].kind != VolumeKind::Network) return reader(path, what);

    const QString root = volumes[index].rootPath;
    BusyVolumes& busy = busyVolumes();
    {
        std::lock_guard<std::mutex> lock(busy.mutex);
        if (!busy.roots.insert(root).second) {
            FolderListing stuck;
            stuck.status = ListStatus::NotReady;
            stuck.error = QStringLiteral("The volume has not answered an earlier request yet.");
            return stuck;
        }
    }
    struct Pending {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        FolderListing result;
    };
    auto pending = std::make_shared<Pending>();
    // A read that hangs in the kernel cannot be called back: the worker is left to finish on
    // its own and only frees the volume when it does.
    auto work = [pending, reader, path, what, root] {
        FolderListing result = reader(path, what);
        {
            // Free first: a caller that has its answer may ask the volume again at once.
            BusyVolumes& b = busyVolumes();
            std::lock_guard<std::mutex> lock(b.mutex);
            b.roots.erase(root);
        }
        {
            std::lock_guard<std::mutex> lock(pending->mutex);
            pending->result = std::move(result);
            pending->finished = true;
        }
        pending->done.notify_all();
    };
    try {
        std::thread(std::move(work)).detach();
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> lock(busy.mutex);
        busy.roots.erase(root);
        FolderListing none;
        none.status = ListStatus::NotReady;
        none.error = QStringLiteral("The volume could not be read now.");
        return none;
    }

    std::unique_lock<std::mutex> lock(pending->mutex);
    if (!pending->done.wait_for(lock, std::chrono::milliseconds(networkWait()), [&] { return pending->finished; })) {
        FolderListing late;
        late.status = ListStatus::NotReady;
        late.error = QStringLiteral("The volume did not answer in time.");
        return late;
    }
    return pending->result;
}

bool folderExistsBounded(const QString& path) {
    if (path.trimmed().isEmpty()) return false;
    if (!isOnNetworkVolume(path)) return QFileInfo(path).isDir();
    return listFolder(path, ListWhat::Probe).status == ListStatus::Ok;
}

int networkWaitMs() { return networkWait(); }
void setNetworkWaitMs(int ms) { networkWait() = ms; }

void setFolderReader(std::function<FolderListing(const QString&, ListWhat)> reader) {
    folderReader() = std::move(reader);
}

// ---- Names and renames -----------------------------------------------------------------------

QString joinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/'))) return folder + name;
    return folder + QLatin1Char('/') + name;
}

bool entryExists(const QString& path) {
    if (path.isEmpty()) return false;
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool renameNoReplace(const QString& from, const QString& to, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0) return true;
    int failed = errno;
    if (failed == EINVAL || failed == ENOSYS || failed == ENOTSUP) {
        // A file system without the no-replace rename: look first, then rename.
        if (entryExists(to)) failed = EEXIST;
        else if (::rename(source.constData(), target.constData()) == 0) return true;
        else failed = errno;
    }
    if (failed == EEXIST) return fail(QStringLiteral("A file or folder with this name already exists."));
    return fail(QString::fromStdString(std::error_code(failed, std::generic_category()).message()));
}

bool sameFileOnDisk(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(QFile::encodeName(a).constData(), &first) != 0) return false;
    if (::stat(QFile::encodeName(b).constData(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool moveFileSafely(const QString& from, const QString& to, bool replace, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int failed = 0;
    if (replace) {
        failed = ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
    } else {
        failed = renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0 ? 0 : errno;
        if (failed == EINVAL || failed == ENOSYS || failed == ENOTSUP) {
            if (entryExists(to)) failed = EEXIST;
            else failed = ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
        }
    }
    if (failed == 0) return true;
    if (failed == EEXIST) return fail(QStringLiteral("A file or folder with this name already exists."));
    if (failed != EXDEV) return fail(QString::fromStdString(std::error_code(failed, std::generic_category()).message()));
    // Another file system: copy, check, and only then let the original go.
    QString why;
    if (!copyFileAtomically(from, to, replace, &why)) return fail(why);
    if (::unlink(source.constData()) != 0)
        return fail("The file was copied, but the original could not be deleted: " +
                    QString::fromStdString(std::error_code(errno, std::generic_category()).message()));
    return true;
}

// ---- Access of a file that takes another's place ---------------------------------------------

void takeAccessOf(int fd, const struct stat& like, const QByteArray& likeName) {
    struct stat now {};
    if (::fstat(fd, &now) != 0) return;
    // Owner and group first: a change of owner clears the set-id bits, which the mode gives back.
    if (now.st_uid != like.st_uid || now.st_gid != like.st_gid) {
        if (::fchown(fd, like.st_uid, like.st_gid) != 0 && ::fchown(fd, uid_t(-1), like.st_gid) != 0) {
            // Neither could be given: the file stays this process's, and the mode keeps it no wider.
        }
        if (::fstat(fd, &now) != 0) return;
    }
    mode_t mode = like.st_mode & 07777;
    if (now.st_gid != like.st_gid) mode &= ~mode_t(S_IRWXG | S_ISGID);
    if (now.st_uid != like.st_uid) mode &= ~mode_t(S_ISUID);
    if (::fchmod(fd, mode) != 0) return;
    // An access list names people beside owner, group and others; it means the same only on a
    // file of the same owner and group.
    if (likeName.isEmpty() || now.st_uid != like.st_uid || now.st_gid != like.st_gid) return;
    static constexpr char kAcl[] = "system.posix_acl_access";
    char acl[4096];
    const ssize_t size = ::getxattr(likeName.constData(), kAcl, acl, sizeof acl);
    if (size > 0) ::fsetxattr(fd, kAcl, acl, size_t(size), 0);
}

}  // namespace kavrin
