#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <random>
#include <thread>

#include <csignal>

#include <QDir>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>

#include "fixture.h"
#include "platform/files/settingsstore.h"

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
        QStringLiteral("\uFEFF\uFEFFtwo byte order marks first"),
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
    const QStringList keys = {"a=b", "[x]", ";c", "#d", "back\\slash", "line\nbreak", "Font Name", "C:\\dir\\",
                              "a\\ b", "x\\=", QStringLiteral("\uFEFFmark")};
    for (const QString& k : keys) ASSERT_TRUE(saveSetting(app, "Odd ]Section[", k, k + " value"));
    resetSettingsCache();
    EXPECT_EQ(settingKeys(app, "odd ]section["), keys);
    for (const QString& k : keys) EXPECT_EQ(getSetting(app, "Odd ]Section[", k), k + " value");
    // Empty names are refused rather than written as a line nobody can read back.
    EXPECT_FALSE(saveSetting(app, "", "Key", "v"));
    EXPECT_FALSE(saveSetting(app, "Section", "  ", "v"));
}

// The file drops the blanks around a name as a reader of hand-written files must, so "b " and
// "b" would be one key: the first was overwritten by the second and answered for it.
TEST_F(SettingsStoreTest, NamesWithBlanksOrLineBreaksAtTheirEndsAreRefusedAndNeverStandForAnother) {
    ASSERT_TRUE(saveSetting(app, "S", "b", "two"));
    const QByteArray before = readFile(iniPath());
    const std::pair<QString, QString> ends[] = {{"", " "}, {" ", ""}, {"", "\r"}, {"", "\n"}, {"\r\n", ""},
                                                {"", "\t"}, {"", QString(QChar(0xA0))}};
    for (const auto& [front, back] : ends) {
        const QString key = front + "b" + back;
        const QString section = front + "S" + back;
        SCOPED_TRACE(QString(key).replace('\r', "\\r").replace('\n', "\\n").toStdString());
        EXPECT_FALSE(saveSetting(app, "S", key, "one"));
        EXPECT_TRUE(settingsWriteError(app).contains("begins or ends with a blank or a line break"))
            << settingsWriteError(app).toStdString();
        EXPECT_FALSE(saveSetting(app, section, "b", "one"));
        EXPECT_TRUE(settingsWriteError(app).contains("The section name")) << settingsWriteError(app).toStdString();
        EXPECT_FALSE(replaceSettingSection(app, "S", {{"b", "two"}, {key, "one"}}));
        EXPECT_EQ(getSetting(app, "S", key, "none"), "none");
        EXPECT_EQ(getSetting(app, section, "b", "none"), "none");
        EXPECT_TRUE(settingKeys(app, section).isEmpty());
        // Deleting such a name deletes nothing, and a blank one is not the whole section.
        EXPECT_TRUE(deleteSetting(app, "S", key));
        EXPECT_TRUE(deleteSetting(app, section));
        EXPECT_TRUE(deleteSetting(app, "S", back.isEmpty() ? front : back));
        resetSettingsCache();
        EXPECT_EQ(getSetting(app, "S", "b"), "two");
        EXPECT_EQ(getSetting(app, "S", key, "none"), "none");
    }
    EXPECT_EQ(readFile(iniPath()), before);
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

TEST_F(SettingsStoreTest, LinesWrittenByHandStayByteForByteWhenOtherKeysChange) {
    // Comments, blanks around a key, escapes, a code-page byte, a name ending in a backslash, a
    // repeated key, CR LF ends and a byte order mark: each line stays as it stood, and the lines
    // the program writes take the file's line ends.
    const QByteArray head = "\xEF\xBB\xBF; my settings, by hand\r\norphan=before any section\r\n[Paths]\r\n"
                            "  Home = /home/me \r\nLatin=caf\xe9\r\nEsc=a\\=b\\x\r\n";
    const QByteArray tail = "a\\ =1\r\n[x=1\r\n; read as the first\r\nhome=repeat\r\n";
    const QByteArray rest = "\r\n; before the next section\r\n[Only]\r\nC:\\dir\\ = x=y\r\n";
    writeIni(head + tail + "Gone=soon\r\ngone=its repeat\r\n" + rest);
    ASSERT_TRUE(saveSetting(app, "paths", "New", "1"));
    ASSERT_TRUE(deleteSetting(app, "Paths", "gone"));
    ASSERT_TRUE(saveSetting(app, "Paths", "Latin", "caf\u00e9 au lait"));
    EXPECT_EQ(readFile(iniPath()), head.left(head.indexOf("Latin")) + "Latin=caf\xC3\xA9 au lait\r\nEsc=a\\=b\\x\r\n" +
                                       tail + "New=1\r\n" + rest);
    for (int restart = 0; restart < 2; ++restart) {
        EXPECT_EQ(getSetting(app, "Paths", "HOME"), " /home/me ");
        EXPECT_EQ(getSetting(app, "Paths", "Esc"), "a=b\\x");
        EXPECT_EQ(getSetting(app, "Paths", "a\\"), "1");
        EXPECT_EQ(getSetting(app, "Paths", "[x"), "1");
        EXPECT_EQ(getSetting(app, "Paths", "Gone", "gone"), "gone");  // not its repeat either
        EXPECT_EQ(getSetting(app, "Only", "C:\\dir\\"), " x=y");
        resetSettingsCache();
    }
    // A section's comments stay when its keys are replaced; a deleted section takes its lines.
    ASSERT_TRUE(replaceSettingSection(app, "Paths", {{"Home", "/root"}}));
    ASSERT_TRUE(deleteSetting(app, "Only"));
    EXPECT_EQ(readFile(iniPath()), "\xEF\xBB\xBF; my settings, by hand\r\norphan=before any section\r\n[Paths]\r\n"
                                   "; read as the first\r\nHome=/root\r\n\r\n; before the next section\r\n");
}

TEST_F(SettingsStoreTest, RandomNamesAndValuesReadBackAsSavedAfterRestartsAndOtherSaves) {
    const quint32 seed = quint32(QDateTime::currentMSecsSinceEpoch());
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const std::u16string pieces[] = {u"a", u"B", u"z", u" ", u"\t", u"\\", u"\\\\", u"=", u"[", u"]", u";", u"#", u"\"", u"\n", u"\r",
                              u"\\n", u"\u00e9", u"\u65e5", u"\uFEFF", u"\u00A0", u"\u3000", u"\U0001F600", std::u16string(1, u'\0')};
    auto text = [&](int most) {
        QString t;
        for (int n = int(rng() % (most + 1)); n > 0; --n) t += QString::fromStdU16String(pieces[rng() % std::size(pieces)]);
        if (rng() % 40 == 0) t.insert(int(rng() % (t.size() + 1)), QChar(rng() % 2 ? 0xD83D : 0xDE00));  // half a pair
        return t;
    };
    auto half = [](const QString& t) {
        for (qsizetype i = 0; i < t.size(); ++i) {
            if (t[i].isHighSurrogate() && i + 1 < t.size() && t[i + 1].isLowSurrogate()) ++i;
            else if (t[i].isSurrogate()) return true;
        }
        return false;
    };
    auto id = [](const QString& name) { return name.toCaseFolded(); };
    // A name with blanks at its ends holds nothing and is never written.
    auto kept = [](const QString& name) { return name == name.trimmed(); };

    // Section -> key -> (name as first saved, value), by the names as the store compares them;
    // it starts with the keys of a file written by hand.
    std::map<QString, std::map<QString, std::pair<QString, QString>>> model;
    writeIni("; by hand\n[Hand]\n  Spaced Key =  v \na\\ =1\nEsc=a\\=b\\n\n");
    model[id("Hand")] = {{id("Spaced Key"), {"Spaced Key", "  v "}}, {id("a\\"), {"a\\", "1"}},
                         {id("Esc"), {"Esc", "a=b\n"}}};
    std::vector<QString> sections = {"Hand"}, keys = {"Spaced Key", "a\\", "Esc"};

    auto check = [&](int op) {
        for (const auto& [section, entries] : model) {
            QStringList stored = settingKeys(app, section);
            ASSERT_EQ(stored.size(), qsizetype(entries.size())) << "op " << op << " section " << section.toStdString();
            for (const auto& [key, entry] : entries) {
                EXPECT_TRUE(stored.contains(entry.first)) << "op " << op;
                ASSERT_EQ(getSetting(app, section, entry.first, "<none>"), entry.second)
                    << "op " << op << " key " << entry.first.toStdString();
            }
        }
    };
    std::unique_ptr<SettingsBatch> batch;
    for (int op = 1; op <= 600; ++op) {
        if (rng() % 5 == 0 || sections.size() < 4) sections.push_back(text(6));
        if (rng() % 2 == 0 || keys.size() < 4) keys.push_back(text(8));
        const QString section = sections[rng() % sections.size()];
        const QString key = keys[rng() % keys.size()];
        const unsigned what = rng() % 20;
        if (what == 0) {
            ASSERT_TRUE(deleteSetting(app, section)) << op;
            if (kept(section)) model.erase(id(section));
        } else if (what < 4) {
            ASSERT_TRUE(deleteSetting(app, section, key)) << op;
            // No key name at all deletes the whole section.
            if (auto s = model.find(id(section)); kept(section) && kept(key) && s != model.end() &&
                                                  (key.isEmpty() || (s->second.erase(id(key)) && s->second.empty())))
                model.erase(s);
        } else {
            const QString value = text(rng() % 10 == 0 ? 200 : 12);
            const bool storable = !section.trimmed().isEmpty() && !key.trimmed().isEmpty() && kept(section) &&
                                  kept(key) && !half(section) && !half(key) && !half(value);
            ASSERT_EQ(saveSetting(app, section, key, value), storable) << op;
            if (storable) {
                auto& entry = model[id(section)][id(key)];
                if (entry.first.isEmpty()) entry.first = key;
                entry.second = value;
            }
        }
        // Now and then a run of saves written in one go, a check, or a restart.
        if (rng() % 30 == 0) batch ? batch.reset() : batch.reset(new SettingsBatch(app));
        if (rng() % 10 == 0) check(op);
        if (!batch && rng() % 25 == 0) {
            resetSettingsCache();
            check(op);
        }
    }
    batch.reset();
    resetSettingsCache();
    check(0);
}

TEST_F(SettingsStoreTest, WhatCannotBeReadBackIsRefusedWithTheReason) {
    ASSERT_TRUE(saveSetting(app, "Options", "Font Name", "Courier New"));
    const QByteArray before = readFile(iniPath());
    // More than a file the store reads: refused whole, and the file stays readable.
    const QString huge(23 * 1024 * 1024, QChar(0x65E5));
    EXPECT_FALSE(saveSetting(app, "Custom Tags", "Custom_1", huge));
    EXPECT_TRUE(settingsWriteError(app).contains("Custom_1")) << settingsWriteError(app).toStdString();
    EXPECT_FALSE(replaceSettingSection(app, "Custom Tags", {{"Custom_1", huge}}));
    // Half of a character pair, anywhere, would come back as another character.
    EXPECT_FALSE(saveSetting(app, "Options", "Font Name", QString("Cour") + QChar(0xD800)));
    EXPECT_TRUE(settingsWriteError(app).contains("half of a character pair")) << settingsWriteError(app).toStdString();
    EXPECT_FALSE(saveSetting(app, "Options", QString(QChar(0xDC00)), "x"));
    EXPECT_EQ(readFile(iniPath()), before);
    EXPECT_EQ(getSetting(app, "Custom Tags", "Custom_1", "none"), "none");

    // Values far from the limit that together pass it: the write is refused, not made.
    {
        SettingsBatch batch(app);
        const QString third(22 * 1024 * 1024, 'x');
        for (const char* key : {"1", "2", "3"}) EXPECT_TRUE(saveSetting(app, "Big", key, third));
        EXPECT_FALSE(batch.commit());
    }
    EXPECT_TRUE(settingsWriteError(app).contains("more than")) << settingsWriteError(app).toStdString();
    EXPECT_EQ(readFile(iniPath()), before);
    EXPECT_EQ(getSetting(app, "Big", "1", "none"), "none");

    // In a batch the other values are written, and the refusal is what the caller hears of.
    {
        SettingsBatch batch(app);
        EXPECT_FALSE(saveSetting(app, "Options", "Font Name", QString(QChar(0xDFFF))));
        EXPECT_TRUE(saveSetting(app, "Options", "Font Size", "12"));
        EXPECT_TRUE(batch.commit());
    }
    EXPECT_TRUE(settingsWriteError(app).contains("Font Name")) << settingsWriteError(app).toStdString();
    resetSettingsCache();
    EXPECT_EQ(getSetting(app, "Options", "Font Size"), "12");
    EXPECT_EQ(getSetting(app, "Options", "Font Name"), "Courier New");
}

TEST_F(SettingsStoreTest, AFileTooLargeToReadIsMovedAsideAndNeverWrittenOver) {
    // Sparse, so the test costs no disk: what counts is that it is over the limit.
    writeIni("[Options]\nFont Size=12\n");
    ASSERT_TRUE(QFile::resize(iniPath(), 65 * 1024 * 1024));
    EXPECT_EQ(getSetting(app, "Options", "Font Size", "10"), "10");
    const QString aside = iniPath() + ".unreadable";
    const QString problem = takeSettingsReadProblem(app);
    EXPECT_TRUE(problem.contains(iniPath()) && problem.contains('"' + aside + '"') && problem.contains("64 MB"))
        << problem.toStdString();
    EXPECT_TRUE(takeSettingsReadProblem(app).isEmpty());  // said once

    ASSERT_TRUE(saveSetting(app, "Options", "WordWrap", "True"));
    EXPECT_EQ(readFile(iniPath()), "[Options]\nWordWrap=True\n");
    EXPECT_EQ(QFileInfo(aside).size(), 65 * 1024 * 1024);
    QFile big(aside);
    ASSERT_TRUE(big.open(QIODevice::ReadOnly));
    EXPECT_EQ(big.read(26), QByteArray("[Options]\nFont Size=12\n\0\0\0", 26));

    // A second one finds the first still there and takes a name of its own.
    resetSettingsCache();
    ASSERT_TRUE(QFile::resize(iniPath(), 65 * 1024 * 1024));
    EXPECT_EQ(getSetting(app, "Options", "WordWrap", "False"), "False");
    EXPECT_TRUE(takeSettingsReadProblem(app).contains(aside + "-2"));
    EXPECT_EQ(QFileInfo(aside + "-2").size(), 65 * 1024 * 1024);
    EXPECT_EQ(QFileInfo(aside).size(), 65 * 1024 * 1024);
}

TEST_F(SettingsStoreTest, ALinkedSettingsFileIsWrittenThroughToItsTarget) {
    // As a dotfile manager keeps it: the file lives elsewhere and the settings folder links to it.
    const QString target = tempDir + "dotfiles/kavrin.ini";
    QDir().mkpath(tempDir + "dotfiles");
    QDir().mkpath(QFileInfo(iniPath()).absolutePath());
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("# kept in git\n[Options]\n; my font\nFont Size=12\n");
    }
    const QByteArray relative = QFile::encodeName(QDir(QFileInfo(iniPath()).absolutePath()).relativeFilePath(target));
    ASSERT_EQ(::symlink(relative.constData(), QFile::encodeName(iniPath()).constData()), 0);
    ASSERT_TRUE(saveSetting(app, "Options", "Font Size", "14"));
    ASSERT_TRUE(saveSetting(app, "Options", "Font Name", "Mono"));
    EXPECT_TRUE(QFileInfo(iniPath()).isSymLink());
    EXPECT_EQ(QFileInfo(iniPath()).canonicalFilePath(), QFileInfo(target).canonicalFilePath());
    EXPECT_EQ(readFile(target), "# kept in git\n[Options]\n; my font\nFont Size=14\nFont Name=Mono\n");
    EXPECT_EQ(QDir(tempDir + "dotfiles").entryList(QDir::Files | QDir::Hidden), QStringList{"kavrin.ini"});
    resetSettingsCache();
    EXPECT_EQ(getSetting(app, "Options", "Font Name"), "Mono");
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
