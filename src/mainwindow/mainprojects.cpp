// The project pane: the open project's title, its toolbar and its list of files, and the File
// menu's New Project and Open Project.
#include <QFile>
#include <QMouseEvent>

#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "panes/fileitems.h"
#include "panes/frmMenu.h"
#include "platform/forms/commondialog.h"
#include "platform/forms/eventwatcher.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"

namespace kavrin {

namespace {

const QString kProjectFilter = QStringLiteral("Kavrin Project Files (*.kvf)|*.kvf");
constexpr int kProjectDialogFlags = 0x201004;

// The open or save dialog of a project file.
CommonDialog projectFileDialog(const QString& title, QWidget* owner) {
    CommonDialog dialog;
    dialog.dialogTitle = title;
    dialog.filter = kProjectFilter;
    dialog.flags = kProjectDialogFlags;
    dialog.owner = owner;
    return dialog;
}

QString toolTipOf(const Project& project) {
    return "Created " + project.created + " - Modified " + project.modified;
}

}  // namespace

void mdiMain::connectProjectCommands() {
    tbrProjects->addButton(QStringLiteral("new_project"), QStringLiteral("New Project"), QStringLiteral("document-new"));
    tbrProjects->addButton(QStringLiteral("open_project"), QStringLiteral("Open Project"),
                           QStringLiteral("document-open"));
    tbrProjects->addButton(QStringLiteral("delete_project"), QStringLiteral("Delete Project"),
                           QStringLiteral("edit-delete"));
    tbrProjects->setIconSize(QSize(16, 16));
    tbrProjects->setButtonEnabled(QStringLiteral("delete_project"), false);
    txtProjects->setEnabled(false);
    picProjectTbr->resize(tbrProjects->sizeHint());
    connect(tbrProjects, &Toolbar::ButtonClick, this, &mdiMain::tbrProjects_ButtonClick);
    connect(txtProjects, &QLineEdit::textChanged, this, &mdiMain::txtProjects_Change);
    lstProjects->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstProjects->setIconSize(QSize(16, 16));
    connect(lstProjects, &QListWidget::itemDoubleClicked, this, [this] { lstProjects_DblClick(); });
    auto* watcher = new EventWatcher(lstProjects);
    watcher->watch = [this](QObject*, QEvent* event) {
        if (event->type() != QEvent::MouseButtonRelease) return;
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        const int button = vbButton(mouse->button());
        // The list settles its selection first.
        QMetaObject::invokeMethod(this, [this, button, at] { lstProjects_MouseUp(button, 0, at.x(), at.y()); },
                                  Qt::QueuedConnection);
    };
    lstProjects->viewport()->installEventFilter(watcher);
    connect(mnuFileNewProject, &QAction::triggered, this, &mdiMain::mnuFileNewProject_Click);
    connect(mnuFileOpenProject, &QAction::triggered, this, &mdiMain::mnuFileOpenProject_Click);
}

// The pane shows the open project: title, times, files, and whether it can be deleted.
void mdiMain::showProject() {
    projectTitle = project_.title;
    projectCreated = project_.created;
    projectModified = project_.modified;
    lstProjects->clear();
    for (const QString& path : project_.files)
        new QListWidgetItem(paneImage(fileIconKey(path)), path, lstProjects);
    tbrProjects->setButtonEnabled(QStringLiteral("delete_project"), !projectFilePath.isEmpty());
    // The title box always shows the project the list shows, so typing renames that one; with
    // no project there is nothing to rename.
    if (txtProjects->text() != project_.title) txtProjects->setText(project_.title);
    txtProjects->setEnabled(!projectFilePath.isEmpty());
    txtProjects->setToolTip(projectFilePath.isEmpty() ? QString() : toolTipOf(project_));
}

void mdiMain::openProject(const QString& path, const Project& opened, const TextFormat& format) {
    project_ = opened;
    projectFormat_ = format;
    projectFilePath = path;
    projectWriteFailed_ = false;
    showProject();
}

bool mdiMain::writeProject(const Project& changed, bool reportRepeats) {
    QString error;
    if (!writeProjectFile(projectFilePath, changed, projectFormat_, &error)) {
        // While one title keeps failing, once is enough to say so.
        if (reportRepeats || !projectWriteFailed_)
            msgBox("The project file '" + projectFilePath + "' could not be written.\n\n" + error +
                       "\n\nThe project stays as it was before this change.",
                   vbExclamation, QStringLiteral("Project Not Saved"));
        projectWriteFailed_ = true;
        return false;
    }
    projectWriteFailed_ = false;
    project_ = changed;
    showProject();
    return true;
}

bool mdiMain::saveProject(const Project& changed) {
    if (projectFilePath.isEmpty()) return false;
    return writeProject(changed, true);
}

QStringList mdiMain::selectedProjectFiles() const {
    QStringList paths;
    for (int row = 0; row < lstProjects->count(); ++row)
        if (lstProjects->item(row)->isSelected()) paths << lstProjects->item(row)->text();
    return paths;
}

DocumentWindow* mdiMain::loneUntitledDocument() const {
    const QVector<DocumentWindow*> docs = documentWindows();
    if (docs.size() == 1 && docs.first()->fileSaved && docs.first()->filePath == QLatin1String("Untitled_0"))
        return docs.first();
    return nullptr;
}

bool mdiMain::whenLoneUntitledKnown(std::function<void()> again) {
    // Keys its design view has not reported yet may have touched it: its page is asked first.
    // One that cannot answer is taken as unsaved, so it stays.
    DocumentWindow* lone = loneUntitledDocument();
    return !lone || lone->whenDesignCurrent(again, again);
}

void mdiMain::closeLoneUntitledDocument(std::function<void()> then) {
    const QPointer<mdiMain> self(this);
    if (!whenLoneUntitledKnown([self, then] {
            if (self) self->closeLoneUntitledDocument(then);
        }))
        return;
    if (DocumentWindow* lone = loneUntitledDocument())
        lone->closeThen([then](bool) { then(); });
    else
        then();
}

void mdiMain::mnuFileNewProject_Click() {
    bool cancelled = false;
    const QString title = inputBox(QStringLiteral("Enter a name for the new project."),
                                   QStringLiteral("New Kavrin Project"), QStringLiteral("Project Title"), &cancelled)
                              .trimmed();
    if (cancelled || title.isEmpty()) return;
    // Nothing of the open project changes until the new one's file exists.
    QString path;
    for (;;) {
        CommonDialog dialog = projectFileDialog(QStringLiteral("Save Kavrin Project As"), this);
        if (!dialog.showSave() || dialog.fileName.isEmpty()) return;
        path = projectFileNameFor(dialog.fileName);
        if (!entryExists(path)) break;
        msgBox(QStringLiteral("A project file by that name already exists in the specified folder.\n\n"
                              "Please select a different name or a different folder."),
               vbInformation | vbOKOnly, QStringLiteral("Project File Name Already Exists"));
    }
    Project created;
    created.title = title;
    created.created = projectTimeText();
    created.modified = created.created;
    QString error;
    const TextFormat format;
    if (!writeProjectFile(path, created, format, &error)) {
        msgBox("The project file '" + path + "' could not be created.\n\n" + error, vbExclamation,
               QStringLiteral("New Kavrin Project"));
        return;
    }
    openProject(path, created, format);
    mnuOptionsProjectExplorer_Click();
}

void mdiMain::mnuFileOpenProject_Click() {
    CommonDialog dialog = projectFileDialog(QStringLiteral("Open Kavrin Project"), this);
    if (!dialog.showOpen() || dialog.fileName.isEmpty()) return;
    setBusy(true);
    // Read whole before anything changes: a file that is no project must neither replace the
    // open project nor be written over by its next change.
    Project opened;
    TextFormat format;
    QString error;
    const bool read = readProjectFile(dialog.fileName, &opened, &format, &error);
    setBusy(false);
    if (!read) {
        msgBox(error, vbExclamation, QStringLiteral("Open Kavrin Project"));
        return;
    }
    openProject(dialog.fileName, opened, format);
    mnuOptionsProjectExplorer_Click();
}

void mdiMain::tbrProjects_ButtonClick(const QString& key) {
    if (key == QLatin1String("new_project")) {
        mnuFileNewProject_Click();
    } else if (key == QLatin1String("open_project")) {
        mnuFileOpenProject_Click();
    } else if (key == QLatin1String("delete_project")) {
        if (projectFilePath.isEmpty()) return;
        if (msgBox(QStringLiteral("Are you sure that you want to permanently delete this project?"),
                   vbYesNo | vbDefaultButton2 | vbExclamation, QStringLiteral("Confirm Project Delete")) != vbYes)
            return;
        QFile file(projectFilePath);
        if (!file.exists() || !file.remove()) {
            const QString why = file.exists() ? file.errorString() : QStringLiteral("The file no longer exists.");
            msgBox("The project file '" + projectFilePath + "' could not be deleted.\n\n" + why, vbExclamation,
                   QStringLiteral("Error"));
            return;
        }
        openProject(QString(), Project(), TextFormat());
    }
}

void mdiMain::txtProjects_Change() {
    if (projectFilePath.isEmpty()) return;
    const QString title = txtProjects->text().trimmed();
    if (title == project_.title) return;
    Project changed = project_;
    changed.title = title;
    changed.modified = projectTimeText();
    writeProject(changed, false);
}

void mdiMain::lstProjects_DblClick() {
    QListWidgetItem* item = lstProjects->currentItem();
    const QString path = item ? item->text() : QString();
    if (path.isEmpty()) return;
    if (!fileExists(path)) {
        msgBox("The file '" + path + "' no longer exists.", vbExclamation, QStringLiteral("File Not Found"));
        return;
    }
    setBusy(true);
    openFile(path);
    setBusy(false);
}

void mdiMain::lstProjects_MouseUp(int button, int, int x, int y) {
    if (button == vbLeftButton) return;
    frmMenu* menu = frmMenuInstance();
    const bool open = !projectFilePath.isEmpty();
    const bool selected = !selectedProjectFiles().isEmpty();
    menu->mnuProjectAdd->setEnabled(open);
    menu->mnuProjectRemove->setEnabled(open && selected);
    menu->mnuProjectEdit->setEnabled(selected);
    menu->mnuProject->popup(lstProjects->viewport()->mapToGlobal(QPoint(x, y)));
}

}  // namespace kavrin
