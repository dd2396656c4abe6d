// The project list's pop-up commands: open the chosen files, add a file, remove the chosen ones.
#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/frmDontShow.h"
#include "mainwindow/mdiMain.h"
#include "panes/frmMenu.h"
#include "platform/forms/commondialog.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"

namespace kavrin {

namespace {

constexpr int kMaxDocuments = 99;

void noticeAutoSave() {
    if (noticeWanted(QStringLiteral("ProjectAutoSave")))
        showNotice(QStringLiteral("Changes to your project have automatically been saved."),
                   QStringLiteral("Project Autosave"), QString());
}

}  // namespace

void frmMenu::buildProjectMenu() {
    mnuProject = new QMenu(this);
    mnuProject->setObjectName(QStringLiteral("mnuProject"));
    mnuProjectEdit = mnuProject->addAction(QStringLiteral("Edit File"));
    mnuProject->addSeparator();
    mnuProjectAdd = mnuProject->addAction(QStringLiteral("Add File"));
    mnuProjectRemove = mnuProject->addAction(QStringLiteral("Remove File"));
    connect(mnuProjectEdit, &QAction::triggered, this, &frmMenu::mnuProjectEdit_Click);
    connect(mnuProjectAdd, &QAction::triggered, this, &frmMenu::mnuProjectAdd_Click);
    connect(mnuProjectRemove, &QAction::triggered, this, &frmMenu::mnuProjectRemove_Click);
}

void frmMenu::mnuProjectEdit_Click() {
    mdiMain* main = mainWindow;
    if (!main) return;
    const QStringList paths = main->selectedProjectFiles();
    if (paths.isEmpty()) return;
    setBusy(true);
    const QPointer<mdiMain> owner(main);
    main->closeLoneUntitledDocument([owner, paths] {
        if (!owner) return;
        owner->openFilesInTurn(paths, [owner](const QString& path) {
            if (Form::documentCount() >= kMaxDocuments) {
                setBusy(false);
                msgBox(QStringLiteral("You already have 99 documents open."), vbInformation,
                       QStringLiteral("Error: Too Many Open Documents."));
                return false;
            }
            DocumentWindow* open = nullptr;
            for (DocumentWindow* doc : documentWindows())
                if (samePath(doc->filePath, path)) open = doc;
            if (open) {
                msgBox("The file '" + path + "' is already open.", vbInformation, QStringLiteral("File Already Open"));
                owner->bringDocumentForward(open);
            } else {
                owner->openFile(path);
            }
            return true;
        });
    });
}

void frmMenu::mnuProjectAdd_Click() {
    mdiMain* main = mainWindow;
    if (!main || projectFilePath.isEmpty()) return;
    CommonDialog dialog;
    dialog.dialogTitle = QStringLiteral("Add File To Project");
    dialog.filter = fileDialogFilter;
    dialog.flags = 0x201004;
    dialog.owner = main;
    if (!dialog.showOpen() || dialog.fileName.isEmpty()) return;
    const QString path = dialog.fileName;
    if (main->project().files.contains(path)) {
        msgBox(QStringLiteral("This project already contains the selected file.\n\nPlease select another file."),
               vbExclamation, QStringLiteral("File Already Selected"));
        return;
    }
    Project changed = main->project();
    changed.files << path;
    changed.modified = projectTimeText();
    setBusy(true);
    const bool saved = main->saveProject(changed);
    setBusy(false);
    if (saved) noticeAutoSave();
}

void frmMenu::mnuProjectRemove_Click() {
    mdiMain* main = mainWindow;
    if (!main || projectFilePath.isEmpty()) return;
    if (msgBox(QStringLiteral("Remove selected file(s) from project?"), vbYesNo | vbDefaultButton2 | vbExclamation,
               QStringLiteral("Confirm Remove File")) != vbYes)
        return;
    Project changed = main->project();
    changed.files.clear();
    for (int row = 0; row < main->lstProjects->count(); ++row)
        if (!main->lstProjects->item(row)->isSelected()) changed.files << main->lstProjects->item(row)->text();
    changed.modified = projectTimeText();
    if (main->saveProject(changed)) noticeAutoSave();
}

}  // namespace kavrin
