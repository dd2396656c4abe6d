#pragma once
// One open document: its source editor and, in the build with views, its browse and design views.
#include <QListWidget>
#include <QPointer>
#include <QStringList>
#include <QTabBar>
#include <QTimer>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

#include "documents/design/designmerge.h"
#include "platform/forms/form.h"
#include "platform/richtext/richtextbox.h"
#include "platform/web/dhtmledit.h"
#include "platform/files/textfile.h"
#include "platform/web/webbrowser.h"

namespace kavrin {

// One change the undo and redo lists keep.
struct UndoEntry {
    int start = 0;
    int length = 0;
    QString text;
    bool operator==(const UndoEntry&) const = default;
};

class DocumentWindow : public Form {
    Q_OBJECT
public:
    explicit DocumentWindow(bool withViews, QWidget* parent = nullptr);
    ~DocumentWindow() override;

    bool isDocumentWindow() const override { return true; }
    // The build with the browse and design views.
    bool hasViews() const { return withViews_; }

    // ---- Public variables ----
    QString lstTipStr;
    QString filePath;
    int mode = 0;  // 0 source, 1 browse, 2 design
    QString dhtmDocPath;
    bool mbDontNavigateNow = false;
    bool fileSaved = false;
    bool attValueHelp = false;
    bool firstActivate = false;
    int changeLevel = 0;
    int selectionStart = 0;
    int selectionLen = 0;
    int undoI = 0;
    int redoI = 0;

    // ---- Controls ----
    RichTextBox* txtMain = nullptr;
    QListWidget* lstTip = nullptr;
    QTimer* tmrCheck4Focus = nullptr;
    QTimer* tmrTipPause = nullptr;
    QTabBar* tbsMain = nullptr;       // views build only
    DhtmlEdit* dhtm = nullptr;        // views build only
    WebBrowser* webBrowser = nullptr; // views build only

    // Design toolbar keys and the design commands whose state each button shows.
    QStringList designButtonKeys;
    QVector<int> designButtonCommands;

    // The ".browse" preview copies the browse view wrote; deleted when the window closes.
    QStringList browseFiles;
    // The document's file as it was read or last saved: a save over a file that is no longer so
    // would write over what another program put there.
    FileStamp diskStamp;

    // ---- Public procedures ----
    // Records the last change the change handling took as one undo step.
    void readyUndo();
    // Records a step a program edit worked out itself; the redo history is emptied.
    void addUndoStep(const UndoEntry& entry);
    // The same for steps made in a row; nothing changes when there are none.
    void addUndoSteps(const QVector<UndoEntry>& entries);
    // The change the change handling took last (from the text before it to the text now).
    const TextChange& lastChange() const { return lastChange_; }
    void setLastChange(TextChange change) { lastChange_ = std::move(change); }
    void clearDocument();
    void undoChange();
    void redoChange();
    void txtmain_SelChange();
    void switchToEdit();
    void switchToBrowse();
    // Gives the keyboard focus to the view the window shows, so that typing goes on there;
    // a window just opened would otherwise hand it to its first control, the views' tab bar.
    void focusCurrentView();

    // ---- The views (documentviews.cpp) ----
    void tbsMain_Click();
    void dhtm_ShowContextMenu(int x, int y);
    void dhtm_ContextMenuAction(int index);
    void dhtm_DisplayChanged();
    void webBrowser_NavigateComplete2(const QString& url);
    // Writes what the user changed in the design view into the source as one undo step; true
    // when the source changed. The design view then counts changes from here.
    bool applyDesignToSource();
    // Shows the source in the design view again, with relative links taken from `basePath`.
    void reloadDesign(const QString& basePath);
    // True when the design view is not shown or holds the page as it stands: what needs the
    // page's text can go on at once. Otherwise the page is asked, the hourglass shows, and
    // `then` runs once it answers. A page that does not answer leaves the document in Design
    // and unsaved, and the user is told; `otherwise` runs then instead, and also when the
    // window closes first. Nothing waits meanwhile.
    bool whenDesignCurrent(std::function<void()> then, std::function<void()> otherwise = {});
    // Closes the window as its close box does, with the question about unsaved changes, and
    // then runs `done`: true once the window has gone, false when it stays (the user kept it,
    // or its design view never told what was typed into it). A design view that owes its text
    // is waited for first, so `done` may come later; it comes once either way.
    void closeThen(std::function<void(bool closed)> done, int unloadMode = vbFormCode);

    const QVector<UndoEntry>& undoList() const { return undoList_; }
    const QVector<UndoEntry>& redoList() const { return redoList_; }

    // The focus flags the tip list's focus check reads.
    bool editorHasFocus() const { return editorHasFocus_; }
    bool tipListHasFocus = false;

    // Loads a file into the editor as plain text; false with the reason when it cannot be read.
    bool loadDocumentFile(const QString& path, QString* error = nullptr);

protected:
    void Form_Initialize() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Deactivate() override;
    void Form_Resize() override;
    void Form_Unload(int& cancel) override;

    // Editor events.
    void txtMain_Change();
    void txtMain_KeyDown(int& keyCode, int shift);
    void txtMain_Click();
    void txtMain_MouseUp(int button, int shift, int x, int y);
    void txtMain_DragOver(QDragMoveEvent* event);
    void txtMain_DragDrop(QDropEvent* event);
    void txtMain_GotFocus();
    void txtMain_LostFocus();

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // Its caret, text, undo history or saved state changed: whatever shows the active document's
    // state reads it again.
    void stateChanged(DocumentWindow* doc);

private:
    void placeViews();
    void switchToDesign();
    void connectViews();
    void deleteBrowseFiles();
    void designBecameCurrent();
    void designNotCurrent();
    // The page process of the view shown ended: the document goes back to Edit with what the
    // view had handed over, and the user hears of it.
    void viewPageEnded(bool design, bool complete);
    // The design view would not hold the page as the source writes it.
    void designTooDeep();
    void showEditAfterLostView();
    struct DesignWaiter {
        std::function<void()> then;
        std::function<void()> otherwise;
    };
    QList<DesignWaiter> designWaiters_;
    // Finds, off the user's thread, where the source and the design view's page read alike, so
    // that the write-back reads no more of them than lies around the change.
    void alignDesign();
    std::shared_ptr<const DesignAlignment> designAlignment_;
    quint64 alignmentId_ = 0;
    // The context menu's groups, between showing it and the user's choice.
    bool menuHasPositioning_ = false;
    bool menuHasTable_ = false;
    // Colour as you type: the typing colour at a tag's border, before the key.
    void prepareTypingColor(int start, int keyCode, int shift);
    // Colour as you type: the tag or comment around the caret, after the change.
    void colorAroundCaret();
    void spaceTyped(int& keyCode, int start);
    void equalsTyped(int start);
    void autoIndentOnEnter(int& keyCode, int start);
    void tipListKey(int& keyCode);
    void hideTipList();
    // Up to 501 characters before `start`, as the tips look at them.
    QString textBefore(int start) const;
    // Replaces the selection, the text `removed` at `start`, by an undo or redo step's text and
    // colours it, with the bar on a long page.
    void putBack(int start, const QString& removed, const QString& text);

    bool withViews_;
    TextChange lastChange_;
    QVector<UndoEntry> undoList_;
    QVector<UndoEntry> redoList_;
    bool editorHasFocus_ = false;
};

// The undo step the change handling records for `change`, which made the editor's text `now`:
// `s0` and `n0` are the selection saved just before the change, `caret` the selection start
// after it. Nothing when the text is as it was.
std::optional<UndoEntry> undoEntryFor(const SplitText& now, const TextChange& change, int s0, int n0, int caret);

// The source-only build.
class frmChild : public DocumentWindow {
    Q_OBJECT
public:
    explicit frmChild(QWidget* parent = nullptr) : DocumentWindow(false, parent) {}
};

// The build with browse and design views.
class frmChildIe : public DocumentWindow {
    Q_OBJECT
public:
    explicit frmChildIe(QWidget* parent = nullptr) : DocumentWindow(true, parent) {}
};

// A new, not yet loaded window of the build the settings ask for.
DocumentWindow* createDocumentWindow();
// What every activation of a document window does: selection back, document folder, state
// indicators, and at the first activation the task-bar tab, word wrap and colouring on open.
void activateDocument(DocumentWindow* doc);
// The main window's active document, or nullptr.
DocumentWindow* activeDocument();
// Every open document window, in load order.
QVector<DocumentWindow*> documentWindows();
// Closes the windows one after another, each as its close box does (a document through
// `closeThen`), and runs `done` once: true when all have gone, false at the first one that stays
// (the windows after it are left open).
void closeWindowsInTurn(QVector<QPointer<Form>> windows, int unloadMode, std::function<void(bool allClosed)> done);

}  // namespace kavrin
