#pragma once
// Extended Replace: replaces a text in the active document, in every open document, or in
// every file of one type in a folder (and its sub-folders), then lists what changed. Files are
// changed byte for byte outside the replaced text, each with an optional backup; a document that
// holds a file with unsaved changes gets the replacement in its window instead. The folder run
// goes on away from the window, which shows its progress and a Cancel button meanwhile, while
// the user goes on working; what comes after the run (the documents, the results) follows when
// it ends.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <memory>

#include "platform/forms/form.h"
#include "tools/replaceinfiles.h"

namespace kavrin {

class DocumentWindow;

class frmGlobalReplace : public Form {
    Q_OBJECT
public:
    explicit frmGlobalReplace(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* txtFind = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtReplace = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* optFile = nullptr;
    QRadioButton* optAllFiles = nullptr;
    QRadioButton* optFolder = nullptr;
    QComboBox* cboFilter = nullptr;
    QLineEdit* txtFolder = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QCheckBox* chkSubFolders = nullptr;
    QCheckBox* chkMatchCase = nullptr;
    QCheckBox* chkWholeWords = nullptr;
    QCheckBox* chkBackup = nullptr;
    QPushButton* cmdReplaceAll = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* lblSearch = nullptr;
    QLabel* lblStatus = nullptr;
    // Shown only while a folder run goes on.
    QProgressBar* pbrProgress = nullptr;
    QPushButton* cmdCancel = nullptr;

    void txtFind_Change();
    void optFile_Click();
    void optAllFiles_Click();
    void optFolder_Click();
    void cmdBrowse_Click();
    void cmdReplaceAll_Click();
    void cmdCancel_Click();
    void cmdClose_Click();

    // From Replace All until everything after the run is done (and replaceFinished has come).
    bool running() const { return running_; }
    // Stops a running folder run, without the questions and the results that would follow it,
    // and calls `then` once it has stopped and its documents are seen to: the program closes
    // then. At once when nothing runs.
    void stopThen(std::function<void()> then);

    // State of the last run, readable for tests.
    QStringList resultLines;
    QStringList resultPaths;
    int resultCount = 0;
    qint64 totalReplacements = 0;
    QString filterText;

    // Called on the worker after each file of a folder run (tests use it to cancel at a known
    // point); production code leaves it empty.
    static inline std::function<void(ReplaceProgress&)> afterEachFile;

signals:
    // A run has ended and all that follows it is done: documents changed or reloaded, the
    // results shown. Runs over documents end within Replace All; a folder run ends later.
    void replaceFinished();

protected:
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void message(const QString& text, int buttons, int* answer = nullptr);
    void enableFolderControls(bool on);
    void addEntry(const ReplaceEntry& entry);
    // Replaces in one document as one undo step; the number of replacements.
    int replaceInDocument(DocumentWindow* doc);
    void startFolderRun(const QString& folder, bool subFolders);
    void showProgress();
    // Which files documents hold with unsaved edits, as the user goes on working.
    void watchDocuments();
    void documentStateChanged(DocumentWindow* doc);
    void folderRunEnded();
    // What follows every run: `mode` 1 current file, 2 all open files, 3 and 4 a folder.
    void finishRun(int mode, const QStringList& rewritten, bool cancelled);
    void reloadChangedDocuments(const QStringList& rewritten);
    void showResults(const QVector<ReplaceEntry>& entries, bool folderMode, bool cancelled);

    ReplaceRequest request_;
    QVector<ReplaceEntry> entries_;
    bool running_ = false;
    int runMode_ = 0;
    class FolderReplaceJob* job_ = nullptr;
    class QTimer* tick_ = nullptr;
    std::shared_ptr<HeldFiles> held_;
    // Per document window watched during a run: the file it holds with unsaved edits, if any.
    QHash<DocumentWindow*, QString> heldBy_;
    // The window was closed during the run: it goes once the run has stopped.
    bool closeWhenDone_ = false;
    // The program closes: no question and no results after the run.
    bool quiet_ = false;
    std::function<void()> then_;
    class TypingFields* typing_ = nullptr;
};

// The one Extended Replace window, or nullptr when it is not loaded; created when `create` is set.
frmGlobalReplace* globalReplaceForm(bool create = false);

}  // namespace kavrin
