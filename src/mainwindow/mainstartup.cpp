// The main window's life: initialisation from the settings, placement, the first activation
// (command-line files, notices, the browser question, the tip of the day) and the shut-down.
#include "mainwindow/mainstartup.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include <memory>
#include <optional>
#include <utility>

#include "documents/colouring/colorops.h"
#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmDontShow.h"
#include "mainwindow/frmTips.h"
#include "mainwindow/mainsettings.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"
#include "platform/files/ownfiles.h"
#include "platform/files/paths.h"
#include "platform/system/screen.h"
#include "platform/files/textfile.h"
#include "tools/frmGlobalReplace.h"

namespace kavrin {

namespace {

const QString kSettingsSection = QStringLiteral("Settings");

struct DataFileNotice {
    const char* file;
    const char* key;
    const char* ending;
    const char* title;
};

const DataFileNotice kDataFileNotices[] = {
    {"html.dat", "htmlData",
     ", was not found.  Without this file the following features will not work: Tag Tips and HTML Explorer.",
     "HTML Data File Not Found"},
    {"script.dat", "scriptData",
     ", was not found.  Without this file the following features will not work: JavaScript Explorer.",
     "JavaScript Data File Not Found"},
    {"tips.dat", "tipsData",
     ", was not found.  Without this file the following features will not work: Kavrin Tips.",
     "Tips Data File Not Found"},
};

}  // namespace

QByteArray templatePage() {
    return QByteArrayLiteral(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\r\n"
        "<HTML>\r\n"
        "<HEAD>\r\n"
        "    <TITLE>Untitled</TITLE>\r\n"
        "    <META NAME=\"GENERATOR\" CONTENT=\"Kavrin Pro 2.0\">\r\n"
        "</HEAD>\r\n"
        "\r\n"
        "<BODY BGCOLOR=\"#FFFFFF\">\r\n"
        "\r\n"
        "\r\n"
        "\r\n"
        "</BODY>\r\n"
        "</HTML>\r\n");
}

QString templateFilePath(int number) {
    return userDataPath + QStringLiteral("Custom") + trimNumber(number) + QStringLiteral(".htm");
}

QStringList commandLineFiles(const QStringList& arguments) {
    // The system hands the arguments over already split, quotes removed: each one is a path.
    QStringList files;
    for (const QString& argument : arguments.mid(0, 10)) {
        if (argument.isEmpty()) continue;
        files << QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
    }
    return files;
}

QString browserQuestion() {
    return QStringLiteral(
               "Kavrin Pro contains an integrated Web browser and Web page designer: the Browse and Design "
               "views of a document.  They run on the web engine built into Kavrin Pro, so no other browser "
               "is needed.  A document opened while they are disabled keeps the source view only.") +
           "\n\n" + QStringLiteral("You may enable or disable these tools at any time by accessing Options from the Tools menu.") +
           "\n\n" + QStringLiteral("Enable the Web browser and Web page Designer?");
}

// ---- Initialisation ------------------------------------------------------------------------------

void mdiMain::MDIForm_Initialize() {
    // The few values written while starting reach the file in one write, however large it is.
    SettingsBatch startWrites(settingsApp);
    // A settings file that could not be read is told of once the window is there.
    settingsReadProblem_ = takeSettingsReadProblem(settingsApp);
    if (installPath.isEmpty()) installPath = programFolder();
    if (!installPath.endsWith('/')) installPath += '/';
    if (userDataPath.isEmpty()) userDataPath = userDataFolder();
    if (!userDataPath.endsWith('/')) userDataPath += '/';

    // ---- Side panes: the folder tree gets its root before the settings are read.
    initTreMain();
    arrangeToolbars();

    settingsModelWriter(settingsApp, kSettingsSection, QStringLiteral("InstalPath"), installPath);
    settingsModelWriter(settingsApp, kSettingsSection, QStringLiteral("VersionInfo"), QStringLiteral("3.0"));

    // The shortcut keys show beside the captions.
    mnuEditUndo->setText(QStringLiteral("&Undo"));
    mnuEditRedo->setText(QStringLiteral("&Redo"));
    mnuEditCut->setText(QStringLiteral("Cu&t"));
    mnuEditCopy->setText(QStringLiteral("&Copy"));
    mnuEditPaste->setText(QStringLiteral("&Paste"));
    mnuToolsColorCodeRefresh->setText(QStringLiteral("Refresh\tF3"));

    connectStartupItems();
    loadSettings();
    customTags.load();

    if (QLabel* size = stbPanel(2)) size->setText(QStringLiteral("0 KB"));

    // ---- Side panes: the file explorer opens in the start folder when it still exists.
    QString folder = startupFolder;
    if (folderExists(folder) && QFileInfo(folder).isDir()) {
        setTreePath(folder);
        populateFileList();
    }

    for (int i = 1; i <= mnuToolsHelperAppsBrowser.size(); ++i)
        mnuToolsHelperAppsBrowser[i - 1]->setText(getSetting(
            settingsApp, QStringLiteral("HelperApps"), "BrowserName" + trimNumber(i), "Web Browser " + trimNumber(i)));

    createTemplates();
}

void mdiMain::createTemplates() {
    for (int i = 1; i <= mnuFileNewTemplate.size(); ++i) {
        QString title = getSetting(settingsApp, QStringLiteral("TemplateTitles"), "Custom" + trimNumber(i),
                                   "Template" + trimNumber(i))
                            .trimmed();
        if (title.isEmpty()) title = "Custom" + trimNumber(i);
        mnuFileNewTemplate[i - 1]->setText(title);
        // An existing template is the user's own page and is never touched; nor is anything else
        // at the name (a link whose target is gone would otherwise have its target created).
        const QString path = templateFilePath(i);
        // It holds nothing private: it gets the permissions of any new file of the user's.
        if (!QFileInfo::exists(path)) writeOwnFile(path, templatePage(), nullptr, -1);
    }
}

void mdiMain::connectStartupItems() {
    connect(mnuFileOpen, &QAction::triggered, this, &mdiMain::mnuFileOpen_Click);
    for (int i = 0; i < mnuFileReopenArr.size(); ++i)
        connect(mnuFileReopenArr[i], &QAction::triggered, this, [this, i] { mnuFileReopenArr_Click(i); });
    connect(mnuHelpTips, &QAction::triggered, this, &mdiMain::mnuHelpTips_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &mdiMain::mnuHelpAbout_Click);
}

void mdiMain::MDIForm_Load() {
    loadWindowPlacement();
    // A window that is to hold the web views is made for them before it is first shown.
    const bool questionToCome = getSetting(settingsApp, kSettingsSection, QStringLiteral("ShowIeMessage"),
                                           QStringLiteral("True")) == QLatin1String("True");
    if (enableBrowserAndDesigner || questionToCome) prepareForWebViews();
}

// ---- First activation ----------------------------------------------------------------------------

void mdiMain::MDIForm_Activate() {
    setBusy(false);
    if (firstActivation_ != 0) return;
    firstActivation_ = 1;

    tbrBasic->update();
    tbrMainA->update();
    tbrMainB->update();
    if (showPanel)
        if (QAction* panel = tbrMainB->button(QStringLiteral("panel"))) panel->setChecked(true);

    if (!settingsReadProblem_.isEmpty())
        msgBox(std::exchange(settingsReadProblem_, QString()), vbExclamation, QStringLiteral("Settings Not Read"));
    // The user may work in the first files while the others open; the rest of the first
    // activation follows them.
    const QPointer<mdiMain> self(this);
    openCommandLineFiles([self] {
        if (self) self->finishFirstActivation();
    });
}

void mdiMain::finishFirstActivation() {
    // ---- Side panes: the hidden window with their pop-up menus stays loaded from here on.
    loadMenuForm();
    showDataFileNotices();
    askBrowserAndDesigner();

    if (getSetting(settingsApp, QStringLiteral("Help"), QStringLiteral("TipsOnStartup"), QStringLiteral("True")) ==
        QLatin1String("True")) {
        QPointer<frmTips> tips = new frmTips(this);
        tips->load();
        if (tips && tips->isLoaded()) {
            tips->chkShowTips->setChecked(true);
            tips->showModal();
        }
        if (tips && tips->isLoaded()) tips->unload();
    }
}

void mdiMain::openCommandLineFiles(std::function<void()> then) {
    openFilesInTurn(
        commandLineFiles(commandLineArguments),
        [this](const QString& path) {
            openFile(path);
            return true;
        },
        std::move(then));
}

void mdiMain::showDataFileNotices() {
    for (const DataFileNotice& notice : kDataFileNotices) {
        if (fileExists(installPath + notice.file)) continue;
        if (!noticeWanted(QString::fromLatin1(notice.key))) continue;
        showNotice("An important resource file, " + installPath + notice.file + notice.ending,
                   QString::fromLatin1(notice.title), QStringLiteral("critical"));
    }
}

void mdiMain::askBrowserAndDesigner() {
    if (enableBrowserAndDesigner) return;
    if (getSetting(settingsApp, kSettingsSection, QStringLiteral("ShowIeMessage"), QStringLiteral("True")) !=
        QLatin1String("True"))
        return;
    // Written before asking, so that the question never comes back whatever happens next.
    settingsModelWriter(settingsApp, kSettingsSection, QStringLiteral("ShowIeMessage"), QStringLiteral("False"));
    const int answer = msgBox(browserQuestion(), vbOKCancel + vbQuestion + vbDefaultButton2, appTitle);
    enableBrowserAndDesigner = answer == vbOK;
    enableViewItems();
}

// ---- Help menu ---------------------------------------------------------------------------------

void mdiMain::mnuHelpTips_Click() {
    QPointer<frmTips> tips = new frmTips(this);
    tips->showModal();
    if (tips && tips->isLoaded()) tips->unload();
}

void mdiMain::mnuHelpAbout_Click() {
    QPointer<frmAbout> about = new frmAbout(this);
    about->showModal();
    if (about && about->isLoaded()) about->unload();
}

// ---- Shut-down ----------------------------------------------------------------------------------

void mdiMain::setClosePending(bool pending) {
    if (closePending_ == pending) return;
    closePending_ = pending;
    if (!pending) emit pendingCloseSettled();
}

void mdiMain::MDIForm_Unload(int& cancel) {
    // A close already on its way goes on by itself; asking again would ask every question twice.
    if (closePending_ && !resumingClose_) {
        cancel = 1;
        return;
    }
    resumingClose_ = false;
    // A document in Design may hold input its page has not reported: the save questions wait
    // for it rather than miss it, and the close goes on once the pages have told.
    const QPointer<mdiMain> self(this);
    auto resume = [self] {
        if (!self) return;
        self->resumingClose_ = true;
        self->unload(vbFormCode);
        if (self) self->resumingClose_ = false;
    };
    // A replacement in a folder stops between two files, the documents it changed are seen to,
    // and then the close goes on: no file is left half replaced and no thread outlives the
    // program, and nothing waits here meanwhile.
    if (frmGlobalReplace* replace = globalReplaceForm(); replace && replace->running()) {
        closePending_ = true;
        cancel = 1;
        replace->stopThen(resume);
        return;
    }
    if (!whenDesignsCurrent(
            resume,
            [self] {
                if (self) self->setClosePending(false);
            })) {
        closePending_ = true;
        cancel = 1;
        return;
    }
    unloadCancelled = false;
    // Every other window goes first, newest first; a document whose save question is cancelled
    // keeps the program running, and nothing is saved. One whose design view has to tell what
    // was typed into it first has the close go on once it has gone.
    QVector<QPointer<Form>> others;
    const std::vector<Form*> open = Form::forms();
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if (*it != this) others << *it;
    auto outcome = std::make_shared<std::optional<bool>>();
    auto deferred = std::make_shared<bool>(false);
    closeWindowsInTurn(others, vbFormMDIForm, [self, outcome, deferred, resume](bool allClosed) {
        unloadCancelled = false;
        if (!*deferred) {
            *outcome = allClosed;
            return;
        }
        if (!self) return;
        if (allClosed) resume();
        else self->setClosePending(false);
    });
    if (!outcome->has_value()) {
        *deferred = true;
        closePending_ = true;
        cancel = 1;
        return;
    }
    setClosePending(false);
    if (!**outcome) {
        cancel = 1;
        return;
    }

    if (rememberLastFolder) {
        const QString folder = fileListFolder();
        if (!folder.isEmpty()) startupFolder = folder;
    }
    saveSettings();
    // The colour picker, when loaded, went with the other windows above.
    doEvents();
    // The spell checker's word list is freed by the spell checker when it goes.
    editTagAttributes.clear();
    fileFilters.clear();
    if (mainWindow == this) mainWindow = nullptr;
}

}  // namespace kavrin
