#pragma once
// The one shared test fixture: a fresh program folder (with the data files), user data folder,
// temp folder and settings store per test, program state reset, and a scripted responder for
// message boxes, input boxes, common dialogs and modal windows. A test says what it expects to
// be asked and how to answer; anything unexpected fails the test.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "documents/colouring/tagclasses.h"
#include "platform/forms/commondialog.h"
#include "platform/forms/form.h"

class QTimer;

namespace kavrin {
class RichTextBox;
}

namespace kavrin::test {

// Sets an editor's text from `marked`, where one "|" marks the caret and two mark the selection.
void setMarkedText(RichTextBox* editor, const QString& marked);

// Runs `body` in a child process with its own mount namespace and a tmpfs of `size` at `dir`.
// Returns the child's exit code (77: namespaces or mounts not permitted) and its message.
std::pair<int, std::string> inTinyTmpfs(const QString& dir, const std::function<std::string()>& body,
                                        const char* size = "64k");

// The sizes every writer is tried with on a full disk: far below the 16 KB write buffer, just
// within it (the whole file still sits in the buffer when the writer commits), and far beyond it.
inline constexpr qsizetype fullDiskSizes[] = {300, 16000, 200 * 1024};

// Fills every free block of the volume that holds `dir` with a ballast file, so that the next
// write of any size fails for want of space. False when the volume would not fill.
bool fillDisk(const QString& dir);
// The files in `dir` (hidden ones too) but the ballast, sorted.
QStringList filesBesideBallast(const QString& dir);

// Permission bits, owner and group of the entry at `path` itself (a link is not followed).
struct FileAccess {
    unsigned mode = 0;
    unsigned uid = 0;
    unsigned gid = 0;
    bool operator==(const FileAccess&) const = default;
};
FileAccess fileAccess(const QString& path);
void PrintTo(const FileAccess& access, std::ostream* os);

// Runs `body(size)` for each of fullDiskSizes, each time on a fresh tmpfs mounted at `dir` (see
// inTinyTmpfs) with room for an old file of every size. The body puts the old state in place, calls fillDisk(dir), runs the writer
// and returns what went wrong ("" when all is well). Returns 0, 77 when mounts are not permitted,
// or 1 with the failures, each named by its size.
std::pair<int, std::string> onFullDisk(const QString& dir, const std::function<std::string(qsizetype size)>& body);

// While it lives, the calling thread has none of the capabilities that let root write where
// file permissions say no, so permission failures can be tested as root too; for any other user
// it changes nothing.
// Watches for boxes no hook answers (the engine's own, say): each is closed as soon as it shows
// and its text kept, so that a box that would wait for a person fails the test instead of
// holding it.
class UnansweredBoxes {
public:
    UnansweredBoxes();
    ~UnansweredBoxes();
    QStringList seen;

private:
    QTimer* timer_;
};

class WithoutFilePrivileges {
public:
    WithoutFilePrivileges();
    ~WithoutFilePrivileges();
    WithoutFilePrivileges(const WithoutFilePrivileges&) = delete;
    WithoutFilePrivileges& operator=(const WithoutFilePrivileges&) = delete;

private:
    bool dropped_ = false;
};

class KavrinTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Answers the next message box, which must contain `containing` in its prompt.
    void expectMsgBox(const QString& containing, int answer);
    // Ticks (or not) the check box of the box just answered, whose text must contain
    // `containing`. A check box nobody expected fails the test.
    void expectCheckBox(const QString& containing, bool tick);
    // Answers the next input box (nullopt = Cancel).
    void expectInputBox(const QString& containing, std::optional<QString> answer);
    // Answers the next common dialog of `kind` ("open", "save", "color", "print", "folder");
    // the function fills the dialog's result fields and returns false for Cancel.
    void expectDialog(const QString& kind, std::function<bool(CommonDialog&)> answer);
    // Shorthands: choose `path` in the next open / save dialog, or cancel it.
    void expectOpen(const QString& path);
    void expectSave(const QString& path);
    void expectDialogCancel(const QString& kind);
    // Drives the next modal window whose class name (metaObject()->className() without the
    // namespace) is `className`.
    void expectModal(const QString& className, std::function<void(Form&)> drive);
    // True when every expectation has been used.
    bool allAnswered() const;

    // Writes a file (bytes as given) under the test's root and returns its path.
    QString writeFile(const QString& relativePath, const QByteArray& bytes);
    static QByteArray readFile(const QString& path);

    // Prompts of every message box shown so far.
    QStringList shownMessages;

    QTemporaryDir root;
    QString programDir;  // installPath: holds copies of the data files
    QString userDir;     // userDataPath
    QString tempDir;     // tempPath
    QString configDir;   // XDG_CONFIG_HOME (settings store)
    QString homeDir;     // HOME (trash lives below it)
    QString workDir;     // a place for the test's own files

private:
    struct Expectation {
        enum Kind { Msg, Input, Check, Dialog, Modal } kind;
        QString text;  // containing / dialog kind / class name
        int answer = 0;  // the button, or whether to tick
        std::optional<QString> inputAnswer;
        std::function<bool(CommonDialog&)> dialog;
        std::function<void(Form&)> modal;
    };
    std::deque<Expectation> expectations_;
};

// The colour settings' defaults, for tests that hand colours to the colouring as arguments.
inline TagColors defaultTagColors() {
    TagColors c;
    c.tag = 10485760;         // &HA00000
    c.comment = 8421504;      // &H808080
    c.table = 128;            // &H80
    c.image = 32768;          // &H8000
    c.anchor = 16744448;      // &HFF8000
    c.font = 4227200;         // &H408080
    c.form = 8421440;         // &H808040
    c.unrecognized = 255;     // &HFF
    return c;
}

}  // namespace kavrin::test
