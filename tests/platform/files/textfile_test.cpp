#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sched.h>
#include <sys/mount.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <functional>
#include <string>

#include "fixture.h"
#include "platform/files/textfile.h"

namespace kavrin::test {
namespace {

using TextFileTest = KavrinTest;
using Enc = TextFormat::Encoding;
using End = TextFormat::LineEnd;

struct RoundTrip {
    const char* name;
    QByteArray bytes;
    QString text;  // as the editor sees it
    Enc encoding;
    bool bom;
    End lineEnd;
};

TEST_F(TextFileTest, EncodingsAndLineEndsRoundTripByteForByte) {
    QByteArray all1252;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n') all1252.append(char(b));
    const QString all1252Text = decodeWindows1252(all1252) + "\r\n";
    all1252.append("\r\n");

    const RoundTrip cases[] = {
        {"utf8 crlf", "<p>h\xC3\xA9llo</p>\r\n<b>\xE2\x82\xAC</b>\r\n", QStringLiteral("<p>héllo</p>\r\n<b>€</b>\r\n"), Enc::Utf8,
         false, End::CrLf},
        {"utf8 lf", "a\nb\n\nc", "a\r\nb\r\n\r\nc", Enc::Utf8, false, End::Lf},
        {"utf8 cr", "a\rb\r", "a\r\nb\r\n", Enc::Utf8, false, End::Cr},
        {"utf8 bom", "\xEF\xBB\xBFx\r\ny", "x\r\ny", Enc::Utf8, true, End::CrLf},
        {"bom only", "\xEF\xBB\xBF", "", Enc::Utf8, true, End::CrLf},
        {"cp1252", "caf\xE9 \x80 5\r\n", QStringLiteral("café € 5\r\n"), Enc::Windows1252, false, End::CrLf},
        {"cp1252 lf", "\x93quoted\x94\n\x81\x8D\x8F\x90\x9D", QStringLiteral("\u201Cquoted\u201D\r\n\u0081\u008D\u008F\u0090\u009D"),
         Enc::Windows1252, false, End::Lf},
        {"every byte", all1252, all1252Text, Enc::Windows1252, false, End::CrLf},
        {"bom then invalid", "\xEF\xBB\xBF\xE9t\xE9", QStringLiteral("ï»¿été"), Enc::Windows1252, false, End::CrLf},
        {"no final line end", "one\r\ntwo", "one\r\ntwo", Enc::Utf8, false, End::CrLf},
        // The wide encodings come back with their byte-order mark, surrogate pairs whole.
        {"utf16 le", QByteArray("\xFF\xFE<\0p\0>\0\xE9\0\r\0\n\0=\xD8\0\xDE", 18),
         QStringLiteral("<p>é\r\n😀"), Enc::Utf16Le, false, End::CrLf},
        {"utf16 be", QByteArray("\xFE\xFF\0a\0\n\x65\xE5", 8), QStringLiteral("a\r\n日"), Enc::Utf16Be, false, End::Lf},
        {"utf16 bom only", "\xFF\xFE", "", Enc::Utf16Le, false, End::CrLf},
        {"utf32 le", QByteArray("\xFF\xFE\0\0x\0\0\0\r\0\0\0\0\xF6\x01\0", 16), QStringLiteral("x\r\n😀"),
         Enc::Utf32Le, false, End::Cr},
        {"utf32 be", QByteArray("\0\0\xFE\xFF\0\0\0y", 8), "y", Enc::Utf32Be, false, End::CrLf},
        {"no line end at all", "single", "single", Enc::Utf8, false, End::CrLf},
        {"empty", "", "", Enc::Utf8, false, End::CrLf},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = writeFile(QStringLiteral("in.txt"), c.bytes);
        const TextFileResult r = readTextFile(path);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.text, c.text);
        EXPECT_EQ(r.format.encoding, c.encoding);
        EXPECT_EQ(r.format.utf8Bom, c.bom);
        EXPECT_EQ(r.format.lineEnd, c.lineEnd);

        const QString out = workDir + "out.txt";
        QString error;
        TextFormat written;
        ASSERT_TRUE(writeTextFile(out, r.text, r.format, &error, &written)) << error.toStdString();
        EXPECT_EQ(written, r.format);
        EXPECT_EQ(readFile(out), c.bytes);
    }
}

TEST_F(TextFileTest, MalformedUtf8IsReadAsWindows1252) {
    const QByteArray invalid[] = {
        "\xC0\xAF",          // overlong "/"
        "\xE0\x80\xAF",      // overlong, three bytes
        "\xED\xA0\x80",      // a surrogate
        "\xF4\x90\x80\x80",  // past U+10FFFF
        "ab\xC3",            // cut short at the end
        "\xC3(",             // lead byte without continuation
        "\xF8\x88\x80\x80\x80",
    };
    for (const QByteArray& bytes : invalid) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        const TextFileResult r = decodeText(bytes);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.format.encoding, Enc::Windows1252);
        EXPECT_EQ(encodeText(r.text, r.format), bytes);
    }
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80 \xEF\xBF\xBF", 8));
    EXPECT_EQ(decodeText("\xF0\x9F\x98\x80").text, QString::fromUtf8("\xF0\x9F\x98\x80"));
}

TEST_F(TextFileTest, MixedLineEndsFollowTheFirstAndAllBecomeCrLf) {
    const TextFileResult r = decodeText("a\nb\r\nc\rd");
    EXPECT_EQ(r.format.lineEnd, End::Lf);
    EXPECT_EQ(r.text, "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(encodeText(r.text, r.format), "a\nb\nc\nd");
    EXPECT_EQ(decodeText("x\r\r\n").format.lineEnd, End::Cr);
}

TEST_F(TextFileTest, BinaryMissingAndFolderAreRefusedWithAReason) {
    const TextFileResult bin = readTextFile(writeFile("pic.gif", QByteArray("GIF89a\0\0\x01", 9)));
    EXPECT_FALSE(bin.ok);
    EXPECT_TRUE(bin.binary);
    EXPECT_TRUE(bin.error.contains("pic.gif"));
    EXPECT_TRUE(bin.error.contains("binary"));

    const TextFileResult missing = readTextFile(workDir + "nothing.htm");
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.binary);
    EXPECT_TRUE(missing.error.contains("does not exist"));

    const TextFileResult folder = readTextFile(workDir);
    EXPECT_FALSE(folder.ok);
    EXPECT_TRUE(folder.error.contains("folder"));
}

TEST_F(TextFileTest, WideTextThatIsNotWellFormedIsRefusedWithAReason) {
    const struct {
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {QByteArray("\xFF\xFE" "a\0b", 5), "not valid UTF-16"},        // half a code unit at the end
        {QByteArray("\0\0\xFE\xFF\0\x11\0\0", 8), "not valid UTF-32"},  // past U+10FFFF
        {QByteArray("\xFE\xFF\0a\0\0\0b", 8), "binary"},            // a NUL character
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        const TextFileResult r = readTextFile(writeFile("wide.txt", c.bytes));
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.contains(c.reason)) << r.error.toStdString();
        EXPECT_TRUE(r.error.contains("wide.txt"));
    }
}

TEST_F(TextFileTest, CharactersWindows1252LacksAreRefusedReferencedOrSavedAsUtf8) {
    const QString path = workDir + "page.htm";
    const QByteArray old = "<p>caf\xE9</p>\n";
    writeFile("page.htm", old);
    TextFormat cp1252;
    cp1252.encoding = Enc::Windows1252;
    cp1252.lineEnd = End::Lf;
    const QString text = QStringLiteral("<p>café 日本 😀 €</p>\r\n");
    EXPECT_EQ(firstUnencodable(text, cp1252), 8);
    EXPECT_EQ(firstUnencodable(text, TextFormat{}), -1);

    QString error;
    TextFormat written;
    EXPECT_FALSE(writeTextFile(path, text, cp1252, &error, &written, Unencodable::Refuse));
    EXPECT_TRUE(error.contains("Windows-1252 cannot represent")) << error.toStdString();
    EXPECT_EQ(readFile(path), old);

    ASSERT_TRUE(writeTextFile(path, text, cp1252, &error, &written, Unencodable::CharacterReferences));
    EXPECT_EQ(written, cp1252);
    EXPECT_EQ(readFile(path), QByteArray("<p>caf\xE9 &#26085;&#26412; &#128512; \x80</p>\n"));

    ASSERT_TRUE(writeTextFile(path, text, cp1252, &error, &written, Unencodable::Utf8));
    EXPECT_EQ(written.encoding, Enc::Utf8);
    EXPECT_EQ(written.lineEnd, End::Lf);
    const TextFileResult back = readTextFile(path);
    EXPECT_EQ(back.text, text);
    EXPECT_EQ(back.format, written);
}

TEST_F(TextFileTest, SpecialFilesAreNeitherReadNorWrittenOver) {
    const QString fifo = workDir + "pipe.htm";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Reading would wait for a writer for ever; the reason says what stands there instead.
    const TextFileResult r = readTextFile(fifo);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains("named pipe (FIFO)")) << r.error.toStdString();
    QString error;
    EXPECT_FALSE(writeTextFile(fifo, "x", TextFormat{}, &error));
    EXPECT_TRUE(error.contains("named pipe (FIFO)")) << error.toStdString();
    EXPECT_FALSE(QFileInfo(fifo).isFile());

    const TextFileResult device = readTextFile("/dev/null");
    EXPECT_FALSE(device.ok);
    EXPECT_TRUE(device.error.contains("a device")) << device.error.toStdString();
}

TEST_F(TextFileTest, APermissionFailureNamesTheFileAndTheFolder) {
    const QString folder = workDir + "locked";
    QDir().mkpath(folder);
    const QString path = folder + "/page.htm";
    writeFile("locked/page.htm", "old");
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    QString error;
    bool written = true;
    {
        WithoutFilePrivileges asAUser;
        written = writeTextFile(path, "new", TextFormat{}, &error);
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(written);
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_TRUE(error.contains("no permission to write in the folder \"" + folder + "/\"")) << error.toStdString();
    EXPECT_EQ(readFile(path), "old");
}

TEST_F(TextFileTest, FailedWriteReportsTheReasonAndKeepsTheOldFile) {
    QString error;
    EXPECT_FALSE(writeTextFile(workDir + "no/such/folder/a.htm", "x", TextFormat{}, &error));
    EXPECT_TRUE(error.contains("a.htm"));
    EXPECT_FALSE(error.isEmpty());

    // A folder standing where the file should go.
    QDir().mkpath(workDir + "taken.htm");
    EXPECT_FALSE(writeFileAtomically(workDir + "taken.htm", "x", &error));
    EXPECT_TRUE(QFileInfo(workDir + "taken.htm").isDir());
}

TEST_F(TextFileTest, SaveOntoAFullDiskLeavesTheOldFileWhole) {
    const QString dir = workDir + "tiny";
    QDir().mkpath(dir);
    const auto [code, msg] = onFullDisk(dir, [&](qsizetype size) -> std::string {
        const QString path = dir + "/page.htm";
        const QByteArray old = "<html>old page</html>\r\n";
        QString error;
        if (!writeFileAtomically(path, old, &error)) return "could not write the old file: " + error.toStdString();
        if (!fillDisk(dir)) return "the disk would not fill";

        if (writeTextFile(path, QString(size, u'x'), TextFormat{}, &error)) return "the save reported success";
        if (error.isEmpty() || !error.contains("page.htm")) return "no reason given: " + error.toStdString();
        if (readFile(path) != old) return "the old file was damaged";
        const QStringList left = filesBesideBallast(dir);
        if (left != QStringList{"page.htm"}) return "work files left behind: " + left.join(',').toStdString();
        return {};
    });
    if (code == 77) GTEST_SKIP() << "cannot mount a tmpfs here: " << msg;
    EXPECT_EQ(code, 0) << msg;
}

TEST_F(TextFileTest, SaveOntoAReadOnlyVolumeLeavesTheOldFileWhole) {
    const QString dir = workDir + "tiny";
    QDir().mkpath(dir);
    const auto [code, msg] = inTinyTmpfs(dir, [&]() -> std::string {
        const QString path = dir + "/page.htm";
        const QByteArray old = "<html>old page</html>\r\n";
        QString error;
        if (!writeFileAtomically(path, old, &error)) return "could not write the old file: " + error.toStdString();
        if (mount("tmpfs", QFile::encodeName(dir).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            return std::string("remount read-only: ") + std::strerror(errno);
        if (writeTextFile(path, "new", TextFormat{}, &error)) return "a save onto a read-only volume reported success";
        if (error.isEmpty()) return "no reason for the read-only failure";
        if (readFile(path) != old) return "the old file was damaged";
        return {};
    });
    if (code == 77) GTEST_SKIP() << "cannot mount a tmpfs here: " << msg;
    EXPECT_EQ(code, 0) << msg;
}

TEST_F(TextFileTest, ACopyKeepsBytesPermissionsAndTimeAndReplacesOnlyWhenAsked) {
    QByteArray bytes;
    for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i) bytes += char(i * 7);  // more than one chunk, every byte value
    const QString from = writeFile("from.bin", bytes);
    QFile::setPermissions(from, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QDateTime stamp = QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5));
    {
        QFile f(from);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    const QString to = workDir + "to.bin";
    QString error;
    ASSERT_TRUE(copyFileAtomically(from, to, false, &error)) << error.toStdString();
    EXPECT_EQ(readFile(to), bytes);
    EXPECT_EQ(QFileInfo(to).lastModified(), stamp);
    EXPECT_TRUE(QFileInfo(to).permissions() & QFile::ExeOwner);

    writeFile("other.bin", "other");
    EXPECT_FALSE(copyFileAtomically(workDir + "other.bin", to, false, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(to), bytes);
    ASSERT_TRUE(copyFileAtomically(workDir + "other.bin", to, true, &error));
    EXPECT_EQ(readFile(to), "other");
    EXPECT_FALSE(copyFileAtomically(workDir + "missing", workDir + "x", false, &error));
    EXPECT_EQ(QDir(workDir).entryList(QDir::Files | QDir::Hidden), (QStringList{"from.bin", "other.bin", "to.bin"}));
}

// A copy made when files are moved to another disk, killed halfway: the half it had written
// stayed beside the target under a hidden name.
TEST_F(TextFileTest, ACopyKilledHalfwayLeavesNothingBeside) {
    QDir().mkpath(workDir + "to");
    const QString fifo = workDir + "source";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        copyFileAtomically(fifo, workDir + "to/page.htm", false);
        ::_exit(0);
    }
    // More than one piece of the copy: the first is written while the second is waited for.
    const int source = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
    ASSERT_GE(source, 0);
    const QByteArray bytes(3 * 1024 * 1024 / 2, 'x');
    ASSERT_EQ(::write(source, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::usleep(200 * 1000);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(source);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(QDir(workDir + "to").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(TextFileTest, ARewriteOrACopyKeepsPermissionsAndOwnerAndNeverLetsInAnotherGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user takes root";
    const uid_t nobody = 65534;
    // Root saving a user's read-only page: it stays read-only, and the user's.
    const QString page = writeFile("site/page.htm", "old");
    ASSERT_EQ(::chown(QFile::encodeName(page).constData(), nobody, nobody), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(page).constData(), 0444), 0);
    QString error;
    ASSERT_TRUE(writeTextFile(page, "new", TextFormat{}, &error)) << error.toStdString();
    EXPECT_EQ(readFile(page), "new");
    EXPECT_EQ(fileAccess(page), (FileAccess{0444, nobody, nobody}));
    ASSERT_TRUE(copyFileAtomically(page, workDir + "copy.htm", false, &error)) << error.toStdString();
    EXPECT_EQ(fileAccess(workDir + "copy.htm"), (FileAccess{0444, nobody, nobody}));

    // A writer who may not give the page's group (here: root without the right to give files
    // away): the new file is the writer's group's, and that group gets nothing.
    const QString shared = writeFile("site/shared.htm", "old");
    ASSERT_EQ(::chown(QFile::encodeName(shared).constData(), 0, nobody), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 02660), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (::syscall(SYS_capget, &header, data) != 0) ::_exit(2);
        data[0].effective &= ~(1u << CAP_CHOWN);
        if (::syscall(SYS_capset, &header, data) != 0) ::_exit(2);
        ::_exit(writeFileAtomically(shared, "new") ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "cannot give up a capability here";
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(shared), "new");
    EXPECT_EQ(fileAccess(shared), (FileAccess{0600, 0, unsigned(::getegid())}));
}

}  // namespace
}  // namespace kavrin::test
