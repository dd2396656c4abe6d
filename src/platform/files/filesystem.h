#pragma once
// Volumes and folder listings for the file explorer, and renames that never replace anything.
//
// A volume on a network may hang when it is touched (a server that went away). Nothing here
// touches a network volume on the calling thread: the volume list comes from the mount table
// without probing the mounts, and a folder on a network volume is read by a worker that the
// caller waits for only a few seconds.
#include <QDateTime>
#include <QString>
#include <QVector>
#include <functional>

struct stat;

namespace kavrin {

// ---- Volumes ---------------------------------------------------------------------------------

enum class VolumeKind { Fixed, Removable, Network, Optical };

struct Volume {
    QString rootPath;        // mount point, "/" for the root
    QString device;          // "/dev/sdb1", "//server/share", "server:/export"
    QString fileSystemType;  // "ext4", "cifs", "iso9660", ...
    QString label;           // file-system label; "" when it has none
    VolumeKind kind = VolumeKind::Fixed;
};

// One line of the mount table.
struct MountEntry {
    QString device;
    QString mountPoint;
    QString fileSystemType;
};

// The mount table's lines ("/proc/self/mounts" format, octal escapes decoded).
QVector<MountEntry> parseMountTable(const QByteArray& text);
// The volumes a user browses, from the mount table: "/" first, then the home folder (labelled
// "Home", of the kind of the volume that holds it) when one is given, then the others by mount
// point, each device once. Pseudo file systems, loop images, boot and system mounts are left out.
// `isRemovableDevice` answers for a block device path ("/dev/sdb1"); `labelOf` gives a device's
// file-system label.
QVector<Volume> volumesFromMounts(const QVector<MountEntry>& mounts,
                                  const std::function<bool(const QString& device)>& isRemovableDevice,
                                  const std::function<QString(const QString& device)>& labelOf,
                                  const QString& homePath = QString());

// The mounted volumes of this machine (or of the source a test put in place).
QVector<Volume> mountedVolumes();
// Replaces where mountedVolumes() comes from; an empty function puts the machine back.
void setVolumeSource(std::function<QVector<Volume>()> source);

// The volume that holds `path` (longest mount point that is a prefix of it), from `volumes`.
// Nothing is touched on disk. Returns -1 when none holds it.
int volumeIndexOf(const QVector<Volume>& volumes, const QString& path);
// True when `path` lies on a network volume of the current volume list.
bool isOnNetworkVolume(const QString& path);

// ---- Folder listings -------------------------------------------------------------------------

enum class ListStatus {
    Ok,
    NotReady,  // no medium, a network that does not answer, or no answer in time
    Failed,    // any other failure (no such folder, no permission)
};

struct FolderEntry {
    QString name;
    bool isFolder = false;
    bool hasSubFolders = false;  // folders, when asked for
    qint64 size = 0;             // files
    QDateTime modified;          // files
};

struct FolderListing {
    ListStatus status = ListStatus::Ok;
    QString error;  // the system's reason when not Ok
    QVector<FolderEntry> entries;
};

enum class ListWhat {
    Probe,            // only whether the folder can be read
    SubFolders,       // visible sub-folders, by name without regard to case
    SubFoldersPeek,   // the same, each saying whether it has visible sub-folders itself
    Files,            // visible files (not folders), by name without regard to case, with size and date
};

// Reads a folder on this thread. Hidden (dot) entries are left out.
FolderListing readFolder(const QString& path, ListWhat what);
// Reads a folder; one on a network volume is read by a worker and waited for at most
// networkWaitMs(). A volume whose earlier read has not come back yet is not tried again.
FolderListing listFolder(const QString& path, ListWhat what);
// True when `path` names an existing folder; on a network volume with the same bounded wait.
bool folderExistsBounded(const QString& path);

int networkWaitMs();
void setNetworkWaitMs(int ms);
// Replaces readFolder() as what listFolder() runs; an empty function puts it back.
void setFolderReader(std::function<FolderListing(const QString& path, ListWhat what)> reader);

// ---- Names and renames -----------------------------------------------------------------------

// "/a/b" + "c" = "/a/b/c"; "/" + "c" = "/c".
QString joinPath(const QString& folder, const QString& name);
// True when anything at all exists at `path`: file, folder, hidden entry or dangling link.
bool entryExists(const QString& path);
// Renames a file or folder. An existing target is never replaced: the rename fails instead.
// False with the reason when the file system refuses.
bool renameNoReplace(const QString& from, const QString& to, QString* error = nullptr);

// ---- Moving and copying ----------------------------------------------------------------------

// True when both paths name one and the same file or folder on disk (one device and inode),
// however they are spelled: through a link, a bind mount or a second name.
bool sameFileOnDisk(const QString& a, const QString& b);

// Moves a file to `to`. On one file system it is renamed, so it is at no moment in both places
// or in neither; across file systems it is copied (see copyFileAtomically) and the original is
// deleted only once the copy is complete and checked. An existing target is replaced only with
// `replace`. False with the reason; a failed move leaves both places as they were, except that
// a copy whose original cannot be deleted afterwards stays (then both exist).
bool moveFileSafely(const QString& from, const QString& to, bool replace, QString* error = nullptr);

// ---- Access of a file that takes another's place ---------------------------------------------

// Gives the open file `fd`, a new file that is to take the place of the file `like` describes
// (or a copy of it), that file's permission bits exactly and, as far as this process may, its
// owner, group and access list (read from `likeName`, the path `like` was read from). A group
// that cannot be given takes its permissions with it: the new file never lets in people the old
// one kept out.
void takeAccessOf(int fd, const struct stat& like, const QByteArray& likeName);

}  // namespace kavrin
