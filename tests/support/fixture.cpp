#include "fixture.h"

#include <cxxabi.h>
#include <errno.h>
#include <sched.h>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include <cstdlib>
#include <typeinfo>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QTimer>

#include "designwait.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "platform/forms/dialoghooks.h"
#include "platform/forms/msgbox.h"
#include "platform/richtext/richtextbox.h"
#include "platform/files/settingsstore.h"

namespace kavrin::test {

void setMarkedText(RichTextBox* editor, const QString& marked) {
    QString plain = marked;
    const int first = int(plain.indexOf('|'));
    plain.remove(first, 1);
    const int second = int(plain.indexOf('|'));
    if (second >= 0) plain.remove(second, 1);
    editor->setText(plain);
    editor->select(first, second >= 0 ? second - first : 0);
}

namespace {

QString folder(const QString& path) {
    QDir().mkpath(path);
    return path.endsWith('/') ? path : path + '/';
}

QString shortClassName(const Form& form) {
    // The dynamic type, so windows without their own meta-object are named too.
    int status = 0;
    char* demangled = abi::__cxa_demangle(typeid(form).name(), nullptr, nullptr, &status);
    QString name = QString::fromLatin1(status == 0 && demangled ? demangled : typeid(form).name());
    std::free(demangled);
    const int colon = name.lastIndexOf(':');
    return colon >= 0 ? name.mid(colon + 1) : name;
}

}  // namespace

std::pair<int, std::string> inTinyTmpfs(const QString& dir, const std::function<std::string()>& body,
                                        const char* size) {
    int fds[2];
    if (pipe(fds) != 0) return {77, "pipe failed"};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        auto finish = [&](int code, const std::string& msg) {
            (void)!write(fds[1], msg.data(), msg.size());
            _exit(code);
        };
        // The small disk is a tmpfs in a private mount namespace: root, or user namespaces, only.
        if (unshare(CLONE_NEWNS) != 0)
            finish(77, std::string("no private mount namespace for a small tmpfs (needs root or user namespaces): "
                                   "unshare: ") +
                           std::strerror(errno));
        if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            finish(77, std::string("private mounts: ") + std::strerror(errno));
        const QByteArray d = QFile::encodeName(dir);
        const std::string options = std::string("size=") + size;
        if (mount("tmpfs", d.constData(), "tmpfs", 0, options.c_str()) != 0)
            finish(77, std::string("mount tmpfs: ") + std::strerror(errno));
        const std::string failure = body();
        umount2(d.constData(), MNT_DETACH);
        finish(failure.empty() ? 0 : 1, failure);
    }
    close(fds[1]);
    std::string msg;
    char buf[512];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) msg.append(buf, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 1, msg};
}

namespace {
const QString kBallast = QStringLiteral(".ballast");
}  // namespace

bool fillDisk(const QString& dir) {
    QFile ballast(dir + '/' + kBallast);
    if (!ballast.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) return false;
    // Page-sized pieces first, then single bytes for whatever a page-granular volume still has.
    const QByteArray page(4096, 'b');
    while (ballast.write(page) == page.size()) {
    }
    while (ballast.write("b", 1) == 1) {
    }
    ballast.close();
    // Full means that a new file cannot take a single byte.
    const QString probePath = dir + QStringLiteral("/.probe");
    QFile probe(probePath);
    const bool roomLeft = probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && probe.write("p", 1) == 1;
    probe.close();
    QFile::remove(probePath);
    return !roomLeft;
}

QStringList filesBesideBallast(const QString& dir) {
    QStringList files = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    files.removeAll(kBallast);
    return files;
}

FileAccess fileAccess(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return {unsigned(st.st_mode & 07777), unsigned(st.st_uid), unsigned(st.st_gid)};
}

void PrintTo(const FileAccess& access, std::ostream* os) {
    *os << std::oct << access.mode << std::dec << ' ' << access.uid << ':' << access.gid;
}

std::pair<int, std::string> onFullDisk(const QString& dir, const std::function<std::string(qsizetype size)>& body) {
    std::string failures;
    for (const qsizetype size : fullDiskSizes) {
        const auto [code, message] = inTinyTmpfs(dir, [&] { return body(size); }, "512k");
        if (code == 77) return {77, message};
        if (code != 0) failures += std::to_string(size) + " bytes: " + message + "\n";
    }
    return {failures.empty() ? 0 : 1, failures};
}

namespace {

// CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH and CAP_FOWNER.
constexpr quint32 kFileCapabilities = (1u << 1) | (1u << 2) | (1u << 3);

bool setEffectiveFileCapabilities(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    if (on) data[0].effective |= kFileCapabilities & data[0].permitted;
    else data[0].effective &= ~kFileCapabilities;
    return syscall(SYS_capset, &header, data) == 0;
}

}  // namespace

WithoutFilePrivileges::WithoutFilePrivileges() {
    if (geteuid() == 0) dropped_ = setEffectiveFileCapabilities(false);
}

WithoutFilePrivileges::~WithoutFilePrivileges() {
    if (dropped_) setEffectiveFileCapabilities(true);
}

void KavrinTest::SetUp() {
    ASSERT_TRUE(root.isValid());
    const QString base = root.path() + '/';
    programDir = folder(base + "program");
    userDir = folder(base + "userdata");
    tempDir = folder(base + "temp");
    configDir = folder(base + "config");
    homeDir = folder(base + "home");
    workDir = folder(base + "work");
    qputenv("XDG_CONFIG_HOME", configDir.toUtf8());
    qputenv("XDG_DATA_HOME", (homeDir + ".local/share").toUtf8());
    qputenv("HOME", homeDir.toUtf8());

    // The program folder holds copies of the shipped data files, so a test may remove or spoil them.
    const QDir data(QStringLiteral(KAVRIN_DATA_DIR));
    for (const QFileInfo& info : data.entryInfoList(QDir::Files))
        QFile::copy(info.filePath(), programDir + info.fileName());

    resetProgramState();
    resetSettingsCache();
    installPath = programDir;
    userDataPath = userDir;
    tempPath = tempDir;
    // A main window created by a test starts quietly: the one-time question about the browser
    // and designer and the tip of the day have been dealt with. Tests of them remove the keys.
    saveSetting(QStringLiteral("Kavrin Pro"), QStringLiteral("Settings"), QStringLiteral("ShowIeMessage"),
                QStringLiteral("False"));
    saveSetting(QStringLiteral("Kavrin Pro"), QStringLiteral("Help"), QStringLiteral("TipsOnStartup"),
                QStringLiteral("False"));

    auto& hooks = dialogHooks();
    hooks.msgBox = [this](const QString& prompt, int buttons, const QString& title) {
        shownMessages << prompt;
        if (expectations_.empty() || expectations_.front().kind != Expectation::Msg) {
            ADD_FAILURE() << "Unexpected message box: \"" << prompt.toStdString() << "\" (title \""
                          << title.toStdString() << "\", buttons " << buttons << ")";
            return int(vbCancel);
        }
        Expectation e = expectations_.front();
        expectations_.pop_front();
        EXPECT_TRUE(prompt.contains(e.text))
            << "Message box \"" << prompt.toStdString() << "\" does not contain \"" << e.text.toStdString() << "\"";
        return e.answer;
    };
    hooks.inputBox = [this](const QString& prompt, const QString&, const QString&) -> std::optional<QString> {
        if (expectations_.empty() || expectations_.front().kind != Expectation::Input) {
            ADD_FAILURE() << "Unexpected input box: \"" << prompt.toStdString() << "\"";
            return std::nullopt;
        }
        Expectation e = expectations_.front();
        expectations_.pop_front();
        EXPECT_TRUE(prompt.contains(e.text)) << "Input box \"" << prompt.toStdString() << "\"";
        return e.inputAnswer;
    };
    hooks.checkBox = [this](const QString& offer) {
        if (expectations_.empty() || expectations_.front().kind != Expectation::Check) {
            ADD_FAILURE() << "Unexpected check box: \"" << offer.toStdString() << "\"";
            return false;
        }
        Expectation e = expectations_.front();
        expectations_.pop_front();
        EXPECT_TRUE(offer.contains(e.text)) << "Check box \"" << offer.toStdString() << "\"";
        return e.answer != 0;
    };
    hooks.commonDialog = [this](CommonDialog& dialog, const QString& kind) {
        if (expectations_.empty() || expectations_.front().kind != Expectation::Dialog ||
            expectations_.front().text != kind) {
            ADD_FAILURE() << "Unexpected " << kind.toStdString() << " dialog \""
                          << dialog.dialogTitle.toStdString() << "\"";
            return false;
        }
        Expectation e = expectations_.front();
        expectations_.pop_front();
        return e.dialog(dialog);
    };
    hooks.modalForm = [this](Form& form) {
        const QString name = shortClassName(form);
        if (expectations_.empty() || expectations_.front().kind != Expectation::Modal ||
            expectations_.front().text != name) {
            ADD_FAILURE() << "Unexpected modal window " << name.toStdString();
            form.unload();
            return;
        }
        Expectation e = expectations_.front();
        expectations_.pop_front();
        e.modal(form);
    };
}

void KavrinTest::TearDown() {
    EXPECT_TRUE(allAnswered()) << expectations_.size() << " expected dialog(s) never came";
    // Close what the test left open without asking anyone.
    auto& hooks = dialogHooks();
    hooks.msgBox = [](const QString&, int buttons, const QString&) {
        return (buttons & 7) == vbYesNoCancel || (buttons & 7) == vbYesNo ? int(vbNo) : int(vbOK);
    };
    hooks.inputBox = [](const QString&, const QString&, const QString&) { return std::optional<QString>(); };
    hooks.checkBox = [](const QString&) { return false; };
    hooks.commonDialog = [](CommonDialog&, const QString&) { return false; };
    hooks.modalForm = [](Form& form) { form.unload(); };
    // A document in Design closes only once its page has told what it holds.
    for (Form* form : Form::forms())
        if (auto* doc = qobject_cast<DocumentWindow*>(form); doc && doc->mode == 2 && doc->dhtm)
            waitDesignCurrent(*doc->dhtm);
    const std::vector<Form*> open = Form::forms();
    for (auto it = open.rbegin(); it != open.rend(); ++it) (*it)->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    hooks = DialogHooks();
    resetProgramState();
    resetSettingsCache();
}

void KavrinTest::expectMsgBox(const QString& containing, int answer) {
    Expectation e{Expectation::Msg, containing};
    e.answer = answer;
    expectations_.push_back(e);
}

UnansweredBoxes::UnansweredBoxes() : timer_(new QTimer) {
    QObject::connect(timer_, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!box) return;
        const auto* message = qobject_cast<QMessageBox*>(box);
        seen << (message ? message->text() : box->windowTitle());
        box->reject();
    });
    timer_->start(20);
}

UnansweredBoxes::~UnansweredBoxes() { delete timer_; }

void KavrinTest::expectCheckBox(const QString& containing, bool tick) {
    Expectation e{Expectation::Check, containing};
    e.answer = tick ? 1 : 0;
    expectations_.push_back(e);
}

void KavrinTest::expectInputBox(const QString& containing, std::optional<QString> answer) {
    Expectation e{Expectation::Input, containing};
    e.inputAnswer = std::move(answer);
    expectations_.push_back(e);
}

void KavrinTest::expectDialog(const QString& kind, std::function<bool(CommonDialog&)> answer) {
    Expectation e{Expectation::Dialog, kind};
    e.dialog = std::move(answer);
    expectations_.push_back(e);
}

void KavrinTest::expectOpen(const QString& path) {
    expectDialog("open", [path](CommonDialog& d) {
        d.fileName = path;
        d.fileNames = QStringList{path};
        return true;
    });
}

void KavrinTest::expectSave(const QString& path) {
    expectDialog("save", [path](CommonDialog& d) {
        d.fileName = path;
        return true;
    });
}

void KavrinTest::expectDialogCancel(const QString& kind) {
    expectDialog(kind, [](CommonDialog&) { return false; });
}

void KavrinTest::expectModal(const QString& className, std::function<void(Form&)> drive) {
    Expectation e{Expectation::Modal, className};
    e.modal = std::move(drive);
    expectations_.push_back(e);
}

bool KavrinTest::allAnswered() const { return expectations_.empty(); }

QString KavrinTest::writeFile(const QString& relativePath, const QByteArray& bytes) {
    const QString path = workDir + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) ADD_FAILURE() << "cannot write " << path.toStdString();
    f.write(bytes);
    return path;
}

QByteArray KavrinTest::readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

}  // namespace kavrin::test
