#pragma once
// Extended Replace: replaces a text in the active document, in every open document, or in
// every file of one type in a folder (and its sub-folders), then lists what changed. Files are
// changed byte for byte outside the replaced text, each with an optional backup; a document that
// holds a file with unsaved changes gets the replacement in its window instead. The folder run
// goes on away from the window, which shows its progress and a Cancel button meanwhile.
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

#include "platform/form.h"
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

    bool running() const { return running_; }

    // State of the last run, readable for tests.
    QStringList resultLines;
    QStringList resultPaths;
    int resultCount = 0;
    qint64 totalReplacements = 0;
    QString filterText;

    // Called on the worker after each file of a folder run (tests use it to cancel at a known
    // point); production code leaves it empty.
    static inline std::function<void(ReplaceProgress&)> afterEachFile;

protected:
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void message(const QString& text, int buttons, int* answer = nullptr);
    void enableFolderControls(bool on);
    void addEntry(const ReplaceEntry& entry);
    // Replaces in one document as one undo step; the number of replacements.
    int replaceInDocument(DocumentWindow* doc);
    void runInFolder(const QString& folder, bool subFolders, QVector<ReplaceEntry>* entries, bool* cancelled);
    void reloadChangedDocuments(const QStringList& rewritten);
    void showResults(const QVector<ReplaceEntry>& entries, bool folderMode, bool cancelled);

    ReplaceRequest request_;
    QVector<ReplaceEntry> entries_;
    bool running_ = false;
    ReplaceProgress* progress_ = nullptr;
    class TypingFields* typing_ = nullptr;
};

// The one Extended Replace window, or nullptr when it is not loaded; created when `create` is set.
frmGlobalReplace* globalReplaceForm(bool create = false);

}  // namespace kavrin
