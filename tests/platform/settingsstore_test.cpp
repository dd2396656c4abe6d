#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <csignal>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include "fixture.h"
#include "platform/settingsstore.h"

namespace kavrin::test {
namespace {

const QString app = QStringLiteral("Kavrin Pro");

class SettingsStoreTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        // These cases look at the whole file: start from none at all.
        QFile::remove(iniPath());
        resetSettingsCache();
    }
    QString iniPath() const { return settingsFilePath(app); }
    void writeIni(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(iniPath()).absolutePath());
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

TEST_F(SettingsStoreTest, FileLivesInTheConfigFolderUnderASafeName) {
    EXPECT_EQ(settingsFilePath(app), configDir + "kavrin/Kavrin Pro.ini");
    // A name with separators cannot leave the folder.
    EXPECT_EQ(settingsFilePath("../x/y"), configDir + "kavrin/_._x_y.ini");
    EXPECT_EQ(settingsFilePath(""), configDir + "kavrin/_.ini");

    // Without an absolute XDG_CONFIG_HOME the store falls back to ~/.config.
    qputenv("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(settingsFilePath(app), homeDir + ".config/kavrin/Kavrin Pro.ini");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settingsFilePath(app), homeDir + ".config/kavrin/Kavrin Pro.ini");
    qputenv("XDG_CONFIG_HOME", configDir.toUtf8());
}

TEST_F(SettingsStoreTest, SectionAndKeyNamesIgnoreCaseAndKeepTheirFirstSpelling) {
    EXPECT_EQ(getSetting(app, "HelperApps", "Ftp", "none"), "none");
    ASSERT_TRUE(saveSetting(app, "HelperApps", "Ftp", "/usr/bin/ftp"));
    ASSERT_TRUE(saveSetting(app, "HelperApps", "HTMLValidator", "tidy"));
    EXPECT_EQ(getSetting(app, "helperapps", "FTP"), "/usr/bin/ftp");
    EXPECT_EQ(getSetting(app, "HELPERAPPS", "HtmlValidator"), "tidy");

    ASSERT_TRUE(saveSetting(app, "HELPERAPPS", "FTP", "lftp"));
    resetSettingsCache();
    EXPECT_EQ(getSetting(app, "HelperApps", "ftp"), "lftp");
    EXPECT_EQ(settingKeys(app, "helperAPPS"), (QStringList{"Ftp", "HTMLValidator"}));
    const QByteArray file = readFile(iniPath());
    EXPECT_EQ(file, "[HelperApps]\nFtp=lftp\nHTMLValidator=tidy\n");
}

TEST_F(SettingsStoreTest, ValuesRoundTripExactly) {
    const QStringList values = {
        "    ",                       // an indent is the blanks themselves
        "  blanks around  ",
        "",
        "a=b=c",
        "x #; y",
        "; looks like a comment",
        "# also",
        "[Looks Like A Section]",
        "C:\\Program Files\\new\\table",
        "line one\r\nline two\nline three\r",
        "ends with a backslash\\",
        "\\",
        "\\\\n",
        "\\\n",
        "tab\tinside",
        QString::fromUtf8("Ünïcødé € 日本"),
    };
    for (int i = 0; i < values.size(); ++i)
        ASSERT_TRUE(saveSetting(app, "Values", QString("Key%1").arg(i), values[i])) << i;
    resetSettingsCache();
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(getSetting(app, "Values", QString("Key%1").arg(i), "default"), values[i]) << i;

    // A line break never splits a line of the file, and the other lines stay readable as written.
    const QByteArray file = readFile(iniPath());
    EXPECT_EQ(file.count('\n'), values.size() + 1);
    EXPECT_TRUE(file.contains("Key0=    \n"));
    EXPECT_TRUE(file.contains("Key3=a=b=c\n"));
    EXPECT_TRUE(file.contains("Key8=C:\\Program Files\\\\new\\table\n"));
}

TEST_F(SettingsStoreTest, AwkwardNamesRoundTrip) {
    const QStringList keys = {"a=b", "[x]", ";c", "#d", "back\\slash", "line\nbreak", "Font Name"};
    for (const QString& k : keys) ASSERT_TRUE(saveSetting(app, "Odd ]Section[", k, k + " value"));
    resetSettingsCache();
    EXPECT_EQ(settingKeys(app, "odd ]section["), keys);
    for (const QString& k : keys) EXPECT_EQ(getSetting(app, "Odd ]Section[", k), k + " value");
    // Empty names are refused rather than written as a line nobody can read back.
    EXPECT_FALSE(saveSetting(app, "", "Key", "v"));
    EXPECT_FALSE(saveSetting(app, "Section", "  ", "v"));
}

TEST_F(SettingsStoreTest, KeysKeepTheirOrderAndDeleteTakesAKeyOrASection) {
    for (const char* k : {"ReopenArray2", "ReopenArray0", "ReopenArray1"}) saveSetting(app, "Reopen", k, k);
    saveSetting(app, "Custom Tags", "NumCustomTags", "2");
    saveSetting(app, "Custom Tags", "Custom_1", "<B>");
    saveSetting(app, "Custom Tags", "Custom_2", "<I>");
    EXPECT_EQ(settingKeys(app, "Reopen"), (QStringList{"ReopenArray2", "ReopenArray0", "ReopenArray1"}));

    // Changing a value keeps its place.
    saveSetting(app, "Reopen", "reopenarray2", "changed");
    EXPECT_EQ(settingKeys(app, "Reopen").first(), "ReopenArray2");

    EXPECT_TRUE(deleteSetting(app, "REOPEN", "reopenARRAY0"));
    EXPECT_EQ(settingKeys(app, "Reopen"), (QStringList{"ReopenArray2", "ReopenArray1"}));
    EXPECT_TRUE(deleteSetting(app, "custom tags"));
    EXPECT_TRUE(settingKeys(app, "Custom Tags").isEmpty());
    EXPECT_EQ(getSetting(app, "Custom Tags", "Custom_1", "gone"), "gone");
    // Deleting what is not there is no failure.
    EXPECT_TRUE(deleteSetting(app, "Custom Tags"));
    EXPECT_TRUE(deleteSetting(app, "Reopen", "NoSuchKey"));

    resetSettingsCache();
    EXPECT_EQ(getSetting(app, "Reopen", "ReopenArray2"), "changed");
    EXPECT_FALSE(readFile(iniPath()).contains("Custom"));
}

TEST_F(SettingsStoreTest, DamagedFilesReadWhatCanBeReadAndNeverCrash) {
    QByteArray bytes("orphan=before any section\n");
    bytes += QByteArray("\x00\x01\xff\xfe garbage \x00 line\n", 20);
    bytes += "[Options]\r\n";
    bytes += "Indent=  \r\n";  // a file with CR LF line ends still gives the blanks
    bytes += "; comment\n";
    bytes += "no equals sign here\n";
    bytes += "=value without key\n";
    bytes += "Good=yes\n";
    bytes += "good=second copy is ignored\n";
    bytes += "[";  // a header cut short
    bytes += "\n[Broken\n";
    bytes += "Latin=caf\xe9\n";
    writeIni(bytes);

    EXPECT_EQ(getSetting(app, "Options", "Good"), "yes");
    EXPECT_EQ(getSetting(app, "Options", "Indent"), "  ");
    EXPECT_EQ(getSetting(app, "Options", "orphan", "none"), "none");
    // Bytes that are not UTF-8 are read one for one rather than lost.
    EXPECT_EQ(getSetting(app, "Options", "Latin"), QString::fromLatin1("caf\xe9"));
    // The store goes on working and writes a clean file.
    ASSERT_TRUE(saveSetting(app, "Options", "New", "1"));
    resetSettingsCache();
    EXPECT_EQ(getSetting(app, "Options", "Good"), "yes");
    EXPECT_EQ(getSetting(app, "Options", "New"), "1");

    // An empty file and a folder in the file's place are no settings, and no crash.
    writeIni("");
    EXPECT_EQ(getSetting(app, "Options", "Good", "d"), "d");
    QFile::remove(iniPath());
    QDir().mkpath(iniPath());
    resetSettingsCache();
    EXPECT_EQ(getSetting(app, "Options", "Good", "d"), "d");
    EXPECT_FALSE(saveSetting(app, "Options", "Good", "yes"));
    EXPECT_TRUE(QFileInfo(iniPath()).isDir());
}

TEST_F(SettingsStoreTest, AFailedWriteReportsFalseAndLeavesTheOldFileWhole) {
    ASSERT_TRUE(saveSetting(app, "Options", "Font Name", "Courier New"));
    ASSERT_TRUE(saveSetting(app, "Options", "Font Size", "10"));
    const QByteArray before = readFile(iniPath());

    // A file-size limit makes every write past it fail, for root too.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = old;
    tiny.rlim_cur = 8;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool saved = saveSetting(app, "Options", "Font Size", "12");
    const bool deleted = deleteSetting(app, "Options", "Font Name");
    const bool added = saveSetting(app, "Options", "Font Style", "Bold") || saveSetting(app, "Colors", "Tag", "1");
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_FALSE(deleted);
    EXPECT_FALSE(added);
    EXPECT_EQ(readFile(iniPath()), before);
    // What is read is what the file holds, not what failed to be written.
    EXPECT_EQ(getSetting(app, "Options", "Font Size"), "10");
    EXPECT_EQ(getSetting(app, "Options", "Font Name"), "Courier New");
    EXPECT_EQ(settingKeys(app, "Options"), (QStringList{"Font Name", "Font Size"}));
    EXPECT_EQ(getSetting(app, "Colors", "Tag", "none"), "none");
    EXPECT_EQ(QDir(QFileInfo(iniPath()).absolutePath()).entryList(QDir::Files), QStringList{"Kavrin Pro.ini"});
}

TEST_F(SettingsStoreTest, AWriteOntoAFullDiskKeepsTheOldFileAndWhatIsRead) {
    const QString dir = QFileInfo(iniPath()).absolutePath();
    QDir().mkpath(dir);
    const auto [code, message] = onFullDisk(dir, [&](qsizetype size) -> std::string {
        resetSettingsCache();
        // A store of about `size` bytes, so the rewrite is that large too.
        const QString filler(qMax<qsizetype>(1, size - 40), u'f');
        if (!saveSetting(app, "Options", "Filler", filler) || !saveSetting(app, "Options", "Font Size", "10"))
            return "no old file";
        const QByteArray before = readFile(iniPath());
        if (!fillDisk(dir)) return "the disk would not fill";

        if (saveSetting(app, "Options", "Font Size", "12")) return "the save reported success";
        if (deleteSetting(app, "Options", "Filler")) return "the delete reported success";
        if (readFile(iniPath()) != before) return "the old file was damaged";
        if (getSetting(app, "Options", "Font Size") != "10") return "what failed to be written is read";
        if (filesBesideBallast(dir) != QStringList{"Kavrin Pro.ini"}) return "work files left behind";
        return {};
    });
    if (code == 77) GTEST_SKIP() << message;
    EXPECT_EQ(code, 0) << message;
}

TEST_F(SettingsStoreTest, ALargeFileIsReadInLinearTime) {
    // 200,000 keys (about 2 MB) in one section, a repeated key and a second section at the end.
    QByteArray bytes = "[Reopen]\n";
    for (int i = 0; i < 200000; ++i) bytes += "Key" + QByteArray::number(i) + "=value " + QByteArray::number(i) + "\n";
    bytes += "key7=repeat\n[Options]\nFont Size=12\n";
    writeIni(bytes);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(getSetting(app, "Options", "Font Size"), "12");
    EXPECT_EQ(getSetting(app, "reopen", "KEY199999"), "value 199999");
    EXPECT_EQ(getSetting(app, "Reopen", "Key7"), "value 7");
    for (int i = 0; i < 1000; ++i) getSetting(app, "Reopen", "Key" + QString::number(i * 199));
    // Read key by key against all before it, this took minutes.
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_EQ(settingKeys(app, "Reopen").size(), 200000);
}

TEST_F(SettingsStoreTest, HandWrittenLinesAreWrittenBackCleanWhenAnotherKeyIsSaved) {
    // Lines kept as read until a save: blanks around a key, escapes, a code-page byte, a CR LF
    // end and a byte order mark must not reach the new file as they stood.
    writeIni("\xEF\xBB\xBF[Paths]\r\n  Home = /home/me \r\nLatin=caf\xe9\nEsc=a\\=b\\x\n[x=1\n"
             "Plain=as is\nhome=repeat\n");
    ASSERT_TRUE(saveSetting(app, "paths", "New", "1"));
    EXPECT_EQ(readFile(iniPath()),
              "[Paths]\nHome= /home/me \nLatin=caf\xC3\xA9\nEsc=a=b\\x\n\\[x=1\nPlain=as is\nNew=1\n");
    resetSettingsCache();
    EXPECT_EQ(getSetting(app, "Paths", "HOME"), " /home/me ");
    EXPECT_EQ(getSetting(app, "Paths", "[x"), "1");
}

TEST_F(SettingsStoreTest, ABadByteSpoilsOnlyItsOwnLine) {
    writeIni("[Reopen]\nReopenArray0=/home/j\xC3\xBCrgen/caf\xC3\xA9.htm\n"
             "ReopenArray1=/old/caf\xE9 \x93quoted\x94.htm\n"
             "ReopenArray2=/home/\xE6\x97\xA5\xE6\x9C\xAC.htm\n");
    EXPECT_EQ(getSetting(app, "Reopen", "ReopenArray0"), QString::fromUtf8("/home/jürgen/café.htm"));
    EXPECT_EQ(getSetting(app, "Reopen", "ReopenArray1"), QString::fromUtf8("/old/café “quoted”.htm"));
    EXPECT_EQ(getSetting(app, "Reopen", "ReopenArray2"), QString::fromUtf8("/home/日本.htm"));
}

TEST_F(SettingsStoreTest, AFifoInPlaceOfTheFileIsNeitherWaitedOnNorReplaced) {
    QDir().mkpath(QFileInfo(iniPath()).absolutePath());
    const QByteArray fifo = QFile::encodeName(iniPath());
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    // Should the store wait on the FIFO after all, a writer that comes and goes lets it go on,
    // so the test fails rather than hangs.
    std::atomic<bool> done{false};
    std::thread valve([&] {
        for (int i = 0; i < 300 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (done) return;
        const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
    });
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(getSetting(app, "Options", "Font Size", "10"), "10");
    const qint64 elapsed = timer.elapsed();
    done = true;
    valve.join();
    EXPECT_LT(elapsed, 1000);

    EXPECT_FALSE(saveSetting(app, "Options", "Font Size", "12"));
    EXPECT_TRUE(settingsWriteError(app).contains(iniPath())) << settingsWriteError(app).toStdString();
    struct stat info {};
    ASSERT_EQ(::stat(fifo.constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(SettingsStoreTest, ABatchWritesOnceAndAFailedOneLeavesWhatTheFileHolds) {
    ASSERT_TRUE(saveSetting(app, "Options", "Font Size", "10"));
    {
        SettingsBatch batch(app);
        for (int i = 0; i < 50; ++i) ASSERT_TRUE(saveSetting(app, "Filters", QString::number(i), "x"));
        ASSERT_TRUE(deleteSetting(app, "Options", "Font Size"));
        EXPECT_EQ(getSetting(app, "Filters", "49"), "x");     // reads see the batch
        EXPECT_EQ(readFile(iniPath()), "[Options]\nFont Size=10\n");  // the file does not yet
        EXPECT_TRUE(batch.commit());
    }
    resetSettingsCache();
    EXPECT_EQ(getSetting(app, "Filters", "49"), "x");
    EXPECT_EQ(getSetting(app, "Options", "Font Size", "gone"), "gone");

    const QByteArray before = readFile(iniPath());
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    bool committed = true;
    {
        SettingsBatch batch(app);
        saveSetting(app, "Options", "Font Size", "14");
        struct rlimit tiny = old;
        tiny.rlim_cur = 8;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
        committed = batch.commit();
        setrlimit(RLIMIT_FSIZE, &old);
    }
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(committed);
    EXPECT_EQ(readFile(iniPath()), before);
    EXPECT_EQ(getSetting(app, "Options", "Font Size", "gone"), "gone");
    EXPECT_TRUE(settingsWriteError(app).contains(iniPath())) << settingsWriteError(app).toStdString();
}

TEST_F(SettingsStoreTest, TheCacheNoticesAChangeOnDisk) {
    ASSERT_TRUE(saveSetting(app, "Options", "WordWrap", "False"));
    EXPECT_EQ(getSetting(app, "Options", "WordWrap"), "False");
    writeIni("[Options]\nWordWrap=True\n");
    EXPECT_EQ(getSetting(app, "Options", "WordWrap"), "True");
    // A save after the outside change keeps it.
    ASSERT_TRUE(saveSetting(app, "Options", "AutoIndent", "False"));
    EXPECT_EQ(readFile(iniPath()), "[Options]\nWordWrap=True\nAutoIndent=False\n");
    QFile::remove(iniPath());
    EXPECT_EQ(getSetting(app, "Options", "WordWrap", "gone"), "gone");
}

TEST_F(SettingsStoreTest, EachApplicationHasItsOwnFile) {
    saveSetting(app, "S", "K", "pro");
    saveSetting("Other", "S", "K", "other");
    EXPECT_EQ(getSetting(app, "S", "K"), "pro");
    EXPECT_EQ(getSetting("Other", "S", "K"), "other");
    EXPECT_TRUE(QFile::exists(configDir + "kavrin/Other.ini"));
}

}  // namespace
}  // namespace kavrin::test
