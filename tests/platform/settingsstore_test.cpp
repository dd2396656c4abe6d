#include <sys/resource.h>

#include <csignal>

#include <QDir>
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
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(readFile(iniPath()), before);
    // What is read is what the file holds, not what failed to be written.
    EXPECT_EQ(getSetting(app, "Options", "Font Size"), "10");
    EXPECT_EQ(getSetting(app, "Options", "Font Name"), "Courier New");
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
