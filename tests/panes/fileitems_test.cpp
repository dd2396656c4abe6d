// What the explorer shows for files and volumes, and the file-system layer under it.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <atomic>
#include <thread>

#include "fixture.h"
#include "panes/fileitems.h"
#include "panes/sidepanel.h"
#include "platform/files/filesystem.h"

namespace kavrin::test {
namespace {

TEST(FileItemTexts, SizeIsWholeKilobytesPlusOneGroupedByThousands) {
    EXPECT_EQ(fileSizeText(0), "1KB");
    EXPECT_EQ(fileSizeText(1023), "1KB");
    EXPECT_EQ(fileSizeText(1024), "2KB");
    EXPECT_EQ(fileSizeText(998 * 1024), "999KB");
    EXPECT_EQ(fileSizeText(999 * 1024), "1,000KB");
    EXPECT_EQ(fileSizeText(1024 * 1024), "1,025KB");
    // Seven digits are grouped as numbers are, not with one separator only.
    EXPECT_EQ(fileSizeText(qint64(2) * 1024 * 1024 * 1024), "2,097,153KB");
}

TEST(FileItemTexts, TypeFollowsTheIconKeyElseTheExtension) {
    EXPECT_EQ(fileTypeText("page.html"), "HTM");
    EXPECT_EQ(fileTypeText("photo.JPG"), "GIF");
    EXPECT_EQ(fileTypeText("letter.rtf"), "DOC");
    EXPECT_EQ(fileTypeText("image.psd"), "PSD");
    EXPECT_EQ(fileTypeText("backup.tar.gz"), "GZ");
    EXPECT_EQ(fileTypeText("README"), "???");
    EXPECT_EQ(fileTypeText("trailing."), "");
}

TEST(FileItemTexts, PatternsMatchWithoutRegardToCase) {
    const FilePattern html("*.html;*.htm; *.shtml");
    EXPECT_TRUE(html.matches("index.HTML"));
    EXPECT_TRUE(html.matches("b.Htm"));
    EXPECT_TRUE(html.matches("c.shtml"));
    EXPECT_FALSE(html.matches("c.html.bak"));
    EXPECT_FALSE(html.matches("htm"));
    EXPECT_FALSE(html.matches("notes.txt"));

    for (const char* all : {"*.*", "*", "", " ; "}) {
        EXPECT_TRUE(FilePattern(all).matches("README")) << all;
        EXPECT_TRUE(FilePattern(all).matches("x.y.z")) << all;
    }
    const FilePattern single("page?.htm");
    EXPECT_TRUE(single.matches("PAGE1.htm"));
    EXPECT_FALSE(single.matches("page10.htm"));
    // Characters that mean something to a regular expression are plain here.
    EXPECT_TRUE(FilePattern("a+b(1).*").matches("a+b(1).txt"));
    EXPECT_FALSE(FilePattern("a+b(1).*").matches("aab1.txt"));
}

TEST(FileItemTexts, VolumeNamesAndImagesByKind) {
    Volume stick{"/media/u/STICK", "/dev/sdb1", "vfat", "STICK", VolumeKind::Removable};
    EXPECT_EQ(volumeNodeText(stick), "Removable Disk (/media/u/STICK)");
    Volume share{"/mnt/docs", "//srv01/docs", "cifs", "", VolumeKind::Network};
    EXPECT_EQ(volumeNodeText(share), "docs on 'srv01' (/mnt/docs)");
    Volume nfs{"/mnt/home", "nas:/export/home", "nfs4", "", VolumeKind::Network};
    EXPECT_EQ(volumeNodeText(nfs), "/export/home on 'nas' (/mnt/home)");
    Volume odd{"/mnt/odd", "odd", "davfs", "", VolumeKind::Network};
    EXPECT_EQ(volumeNodeText(odd), "odd (/mnt/odd)");
    Volume disc{"/media/cdrom", "/dev/sr0", "iso9660", "", VolumeKind::Optical};
    EXPECT_EQ(volumeNodeText(disc), "CD-ROM (/media/cdrom)");
    disc.label = "HOLIDAY";
    EXPECT_EQ(volumeNodeText(disc), "HOLIDAY (/media/cdrom)");
    Volume data{"/data", "/dev/sda3", "ext4", "", VolumeKind::Fixed};
    EXPECT_EQ(volumeNodeText(data), "(/data)");
    data.label = "Data";
    EXPECT_EQ(volumeNodeText(data), "Data (/data)");

    EXPECT_EQ(volumeImageKey(VolumeKind::Removable), "floppy");
    EXPECT_EQ(volumeImageKey(VolumeKind::Network), "netdrive");
    EXPECT_EQ(volumeImageKey(VolumeKind::Optical), "cd");
    EXPECT_EQ(volumeImageKey(VolumeKind::Fixed), "drive");
}

TEST(Volumes, MountTableGivesTheVolumesAUserBrowses) {
    const QByteArray table =
        "overlay / overlay rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "/dev/sda2 /home ext4 rw 0 0\n"
        "/dev/sda1 /boot/efi vfat rw 0 0\n"
        "/dev/loop0 /snap/core/1 squashfs ro 0 0\n"
        "/dev/vda1 /etc/hosts ext4 rw 0 0\n"
        "/dev/sdb1 /media/u/STICK vfat rw 0 0\n"
        "/dev/sr0 /media/u/DISC iso9660 ro 0 0\n"
        "//srv01/docs /mnt/docs cifs rw 0 0\n"
        "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0\n"
        "me@host:/srv /mnt/remote fuse.sshfs rw 0 0\n"
        "/dev/sdc1 /mnt/My\\040Disk ext4 rw 0 0\n"
        "/dev/sdd1 /data ext4 rw 0 0\n"
        "/dev/sde1 /data xfs rw 0 0\n";
    const QVector<MountEntry> mounts = parseMountTable(table);
    ASSERT_EQ(mounts.size(), 15);
    EXPECT_EQ(mounts[12].mountPoint, "/mnt/My Disk");

    const QVector<Volume> volumes = volumesFromMounts(
        mounts, [](const QString& device) { return device == "/dev/sdc1"; },
        [](const QString& device) { return device == "/dev/sda2" ? QString("Home") : QString(); });
    QStringList seen;
    for (const Volume& v : volumes) seen << v.rootPath + "=" + QString::number(int(v.kind)) + ":" + v.label;
    const QString fixed = QString::number(int(VolumeKind::Fixed));
    const QString removable = QString::number(int(VolumeKind::Removable));
    const QString network = QString::number(int(VolumeKind::Network));
    const QString optical = QString::number(int(VolumeKind::Optical));
    EXPECT_EQ(seen, (QStringList{"/=" + fixed + ":", "/data=" + fixed + ":", "/home=" + fixed + ":Home",
                                 "/media/u/DISC=" + optical + ":", "/media/u/STICK=" + removable + ":",
                                 "/mnt/My Disk=" + removable + ":", "/mnt/docs=" + network + ":",
                                 "/mnt/remote=" + network + ":"}));
    // The last mount over a mount point is the one that shows.
    EXPECT_EQ(volumes[1].fileSystemType, "xfs");

    // Without any table the root is still there.
    const QVector<Volume> bare = volumesFromMounts({}, {}, {});
    ASSERT_EQ(bare.size(), 1);
    EXPECT_EQ(bare[0].rootPath, "/");

    EXPECT_EQ(volumeIndexOf(volumes, "/media/u/STICK/site/a.htm"), 4);
    EXPECT_EQ(volumeIndexOf(volumes, "/media/u/STICKY"), 0);
    EXPECT_EQ(volumeIndexOf(volumes, "/mnt/docs"), 6);
    EXPECT_EQ(volumeIndexOf(volumes, "relative/path"), -1);
}

TEST(Volumes, BindMountsSnapsAndPseudoFileSystemsLeaveTheRootHomeAndEachRealVolumeOnce) {
    // A desktop with snaps, a btrfs root with its home subvolume, a data disk bound into two
    // more places, a stick mounted twice and a share.
    const QByteArray table =
        "/dev/nvme0n1p2 / btrfs rw,subvol=/@ 0 0\n"
        "/dev/nvme0n1p2 /home btrfs rw,subvol=/@home 0 0\n"
        "sysfs /sys sysfs rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "udev /dev devtmpfs rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "tmpfs /run/user/1000 tmpfs rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "securityfs /sys/kernel/security securityfs rw 0 0\n"
        "/dev/loop0 /snap/core22/1122 squashfs ro 0 0\n"
        "/dev/loop1 /snap/firefox/3836 squashfs ro 0 0\n"
        "/dev/loop2 /snap/gtk-common-themes/1535 squashfs ro 0 0\n"
        "/dev/nvme0n1p1 /boot/efi vfat rw 0 0\n"
        "/dev/sda1 /srv/data ext4 rw 0 0\n"
        "/dev/sda1 /home/u/data ext4 rw 0 0\n"
        "/dev/sda1 /var/www ext4 rw 0 0\n"
        "/dev/sdb1 /mnt/stick vfat rw 0 0\n"
        "/dev/sdb1 /media/u/STICK vfat rw 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "nsfs /run/snapd/ns/firefox.mnt nsfs rw 0 0\n"
        "portal /run/user/1000/doc fuse.portal rw 0 0\n"
        "server:/export /mnt/nfs nfs4 rw 0 0\n"
        "server:/export /home/u/nfs nfs4 rw 0 0\n";
    const auto labels = [](const QString& device) { return device == "/dev/sda1" ? QString("Data") : QString(); };
    QStringList seen;
    for (const Volume& v : volumesFromMounts(parseMountTable(table), {}, labels, "/home/u/"))
        seen << v.rootPath + "=" + QString::number(int(v.kind)) + ":" + v.label;
    const QString fixed = QString::number(int(VolumeKind::Fixed));
    const QString removable = QString::number(int(VolumeKind::Removable));
    const QString network = QString::number(int(VolumeKind::Network));
    EXPECT_EQ(seen, (QStringList{"/=" + fixed + ":", "/home/u=" + fixed + ":Home", "/media/u/STICK=" + removable + ":",
                                 "/mnt/nfs=" + network + ":", "/srv/data=" + fixed + ":Data"}));

    // A home that is a volume of its own is listed once, as the home, of its own kind.
    seen.clear();
    for (const Volume& v : volumesFromMounts(parseMountTable("/dev/vda / ext4 rw 0 0\n"
                                                             "srv:/home/u /home/u nfs rw 0 0\n"),
                                             {}, {}, "/home/u"))
        seen << v.rootPath + "=" + QString::number(int(v.kind)) + ":" + v.label;
    EXPECT_EQ(seen, (QStringList{"/=" + fixed + ":", "/home/u=" + network + ":Home"}));
}

TEST(PanelLayout, PanesFollowThePanelAndTheSplitter) {
    PanelGeometry g = layoutPanel(200, 600, 233, 1, 22, QSize(70, 26));
    EXPECT_EQ(g.tbsMain, QRect(2, 3, 192, 597));
    EXPECT_EQ(g.picSplitter, QRect(194, 2, 6, 596));
    EXPECT_EQ(g.picHSplitter, QRect(6, 233, 183, 6));
    EXPECT_EQ(g.treMain, QRect(6, 29, 183, 204));
    EXPECT_EQ(g.filList, QRect(5, 238, 185, 358));
    EXPECT_EQ(g.treTags, QRect(6, 29, 183, 566));
    EXPECT_EQ(g.lstProjects, QRect(5, 56, 185, 540));
    EXPECT_EQ(g.txtProjects, QRect(6, 29, 111, 22));
    EXPECT_EQ(g.picProjectTbr.topLeft(), QPoint(121, 27));
    EXPECT_FALSE(g.picProjectTbrVisible);
    EXPECT_TRUE(layoutPanel(200, 600, 233, 4, 22, QSize(70, 26)).picProjectTbrVisible);

    // The splitter keeps 900 twips (60 pixels) from either end...
    EXPECT_EQ(layoutPanel(200, 600, 10, 1, 22, QSize(70, 26)).picHSplitter.top(), 60);
    EXPECT_EQ(layoutPanel(200, 600, 590, 1, 22, QSize(70, 26)).picHSplitter.top(), 540);
    // ...and in a panel too short for both it ends at the upper limit.
    g = layoutPanel(200, 100, 233, 4, 22, QSize(70, 26));
    EXPECT_EQ(g.picHSplitter.top(), 40);
    EXPECT_EQ(g.treMain.height(), 11);
    // At 1700 twips or less the project toolbar is hidden and the title spans the pane.
    EXPECT_FALSE(g.picProjectTbrVisible);
    EXPECT_EQ(g.txtProjects.width(), 183);
    // Nothing comes out with a negative size.
    g = layoutPanel(3, 10, 0, 1, 22, QSize(70, 26));
    for (const QRect& r : {g.tbsMain, g.treMain, g.filList, g.treTags, g.picHSplitter}) {
        EXPECT_GE(r.width(), 0);
        EXPECT_GE(r.height(), 0);
    }
}

class FileSystemTest : public KavrinTest {
protected:
    void TearDown() override {
        KavrinTest::TearDown();
        setVolumeSource({});
        setFolderReader({});
        setNetworkWaitMs(3000);
    }
};

TEST_F(FileSystemTest, RenameNeverReplacesAnything) {
    const QString a = writeFile("a.htm", "A");
    writeFile("b.htm", "B");
    writeFile(".hidden", "H");
    QDir().mkpath(workDir + "empty");
    QString error;
    EXPECT_FALSE(renameNoReplace(a, workDir + "b.htm", &error));
    EXPECT_TRUE(error.contains("already exists")) << error.toStdString();
    EXPECT_FALSE(renameNoReplace(a, workDir + ".hidden", &error));
    EXPECT_FALSE(renameNoReplace(a, workDir + "empty", &error));
    ASSERT_TRUE(QFile::link(workDir + "nowhere", workDir + "dangling"));
    EXPECT_FALSE(renameNoReplace(a, workDir + "dangling", &error));
    EXPECT_TRUE(entryExists(workDir + "dangling"));
    EXPECT_FALSE(renameNoReplace(workDir + "missing", workDir + "c.htm", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(a), "A");
    EXPECT_EQ(readFile(workDir + "b.htm"), "B");
    EXPECT_EQ(readFile(workDir + ".hidden"), "H");

    EXPECT_TRUE(renameNoReplace(a, workDir + "A.htm", &error)) << error.toStdString();
    EXPECT_EQ(readFile(workDir + "A.htm"), "A");
    EXPECT_FALSE(QFile::exists(a));
    QDir().mkpath(workDir + "full/inner");
    EXPECT_FALSE(renameNoReplace(workDir + "full", workDir + "empty", &error));
    EXPECT_TRUE(renameNoReplace(workDir + "full", workDir + "moved", &error));
    EXPECT_TRUE(QDir(workDir + "moved/inner").exists());
}

TEST_F(FileSystemTest, FolderReadingLeavesHiddenEntriesOutAndSortsWithoutCase) {
    QDir().mkpath(workDir + "top/beta/deeper");
    QDir().mkpath(workDir + "top/Alpha");
    QDir().mkpath(workDir + "top/.git/objects");
    QDir().mkpath(workDir + "top/gamma/.only-hidden");
    writeFile("top/zeta.htm", "12345");
    writeFile("top/Delta.txt", "");
    writeFile("top/.profile", "x");
    ASSERT_TRUE(QFile::link(workDir + "top/beta", workDir + "top/link-to-beta"));
    ASSERT_TRUE(QFile::link(workDir + "top/none", workDir + "top/broken"));

    FolderListing folders = readFolder(workDir + "top", ListWhat::SubFoldersPeek);
    ASSERT_EQ(folders.status, ListStatus::Ok);
    QStringList names;
    for (const FolderEntry& e : folders.entries) names << e.name + (e.hasSubFolders ? "+" : "");
    EXPECT_EQ(names, (QStringList{"Alpha", "beta+", "gamma", "link-to-beta+"}));

    FolderListing list = readFolder(workDir + "top", ListWhat::Files);
    ASSERT_EQ(list.status, ListStatus::Ok);
    ASSERT_EQ(list.entries.size(), 2);
    EXPECT_EQ(list.entries[0].name, "Delta.txt");
    EXPECT_EQ(list.entries[1].name, "zeta.htm");
    EXPECT_EQ(list.entries[1].size, 5);
    EXPECT_TRUE(list.entries[1].modified.isValid());

    EXPECT_EQ(readFolder(workDir + "missing", ListWhat::Probe).status, ListStatus::Failed);
    EXPECT_EQ(readFolder(workDir + "top/zeta.htm", ListWhat::Probe).status, ListStatus::Failed);
}

TEST_F(FileSystemTest, ANetworkVolumeIsWaitedForOnlyAFewSeconds) {
    QDir().mkpath(workDir + "net/share");
    QDir().mkpath(workDir + "local/sub");
    setVolumeSource([this] {
        return QVector<Volume>{{workDir + "local", "/dev/sda1", "ext4", "", VolumeKind::Fixed},
                               {workDir + "net", "//srv/share", "cifs", "", VolumeKind::Network}};
    });
    auto hang = std::make_shared<std::atomic<bool>>(false);
    auto networkReads = std::make_shared<std::atomic<int>>(0);
    const QString net = workDir + "net";
    setFolderReader([hang, networkReads, net](const QString& path, ListWhat what) {
        if (path.startsWith(net)) {
            ++*networkReads;
            // A server that went away: the read comes back much later.
            for (int i = 0; i < 200 && hang->load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return readFolder(path, what);
    });
    setNetworkWaitMs(300);

    EXPECT_TRUE(isOnNetworkVolume(workDir + "net/share"));
    EXPECT_FALSE(isOnNetworkVolume(workDir + "local/sub"));
    FolderListing answered = listFolder(workDir + "net", ListWhat::SubFolders);
    ASSERT_EQ(answered.status, ListStatus::Ok);
    ASSERT_EQ(answered.entries.size(), 1);
    EXPECT_TRUE(folderExistsBounded(workDir + "net/share"));

    hang->store(true);
    QElapsedTimer clock;
    clock.start();
    FolderListing late = listFolder(workDir + "net", ListWhat::SubFolders);
    EXPECT_EQ(late.status, ListStatus::NotReady);
    EXPECT_LT(clock.elapsed(), 1500);
    // The volume is not asked again while its first answer is still out.
    const int before = networkReads->load();
    clock.restart();
    EXPECT_EQ(listFolder(workDir + "net/share", ListWhat::Probe).status, ListStatus::NotReady);
    EXPECT_FALSE(folderExistsBounded(workDir + "net/share"));
    EXPECT_LT(clock.elapsed(), 200);
    EXPECT_EQ(networkReads->load(), before);
    // Local folders never wait on it.
    EXPECT_EQ(listFolder(workDir + "local", ListWhat::SubFolders).entries.size(), 1);
    hang->store(false);
    // Once the late answer is in, the volume is asked again.
    for (int i = 0; i < 100 && listFolder(workDir + "net", ListWhat::Probe).status != ListStatus::Ok; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(listFolder(workDir + "net", ListWhat::Probe).status, ListStatus::Ok);
}

}  // namespace
}  // namespace kavrin::test
