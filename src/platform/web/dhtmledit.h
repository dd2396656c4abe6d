#pragma once
// The design view's editing control: an HTML page in editing mode with the command set, command
// states and events of a DHTML editing control. The page reports whether it was changed and the
// state of every command over a web channel each time something changes, so reading them never
// waits. The page's HTML is asked for only where it must be current (leaving the view, saving):
// `requestCurrent` asks, and `becameCurrent` or `notCurrent` answers, without holding up the
// user's input meanwhile.
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QPair>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <deque>
#include <functional>
#include <memory>

#include "platform/web/webviews.h"

class QEvent;
class QKeyEvent;
class QMenu;
class QTimer;
class QWebChannel;

namespace kavrin {

// Published command identifiers of the editing control.
enum DesignCommand : int {
    DECMD_BOLD = 5000,
    DECMD_COPY = 5002,
    DECMD_CUT = 5003,
    DECMD_DELETE = 5004,
    DECMD_DELETECELLS = 5005,
    DECMD_DELETECOLS = 5006,
    DECMD_DELETEROWS = 5007,
    DECMD_FINDTEXT = 5008,
    DECMD_FONT = 5009,
    DECMD_GETBLOCKFMT = 5011,
    DECMD_GETBLOCKFMTNAMES = 5012,
    DECMD_GETFONTNAME = 5013,
    DECMD_GETFONTSIZE = 5014,
    DECMD_HYPERLINK = 5016,
    DECMD_INDENT = 5018,
    DECMD_INSERTCELL = 5019,
    DECMD_INSERTCOL = 5020,
    DECMD_INSERTROW = 5021,
    DECMD_ITALIC = 5023,
    DECMD_JUSTIFYCENTER = 5024,
    DECMD_JUSTIFYLEFT = 5025,
    DECMD_JUSTIFYRIGHT = 5026,
    DECMD_MAKE_ABSOLUTE = 5028,
    DECMD_MERGECELLS = 5029,
    DECMD_ORDERLIST = 5030,
    DECMD_OUTDENT = 5031,
    DECMD_PASTE = 5032,
    DECMD_REDO = 5033,
    DECMD_REMOVEFORMAT = 5034,
    DECMD_SELECTALL = 5035,
    DECMD_SEND_TO_BACK = 5040,
    DECMD_BRING_TO_FRONT = 5041,
    DECMD_SETBACKCOLOR = 5042,
    DECMD_SETBLOCKFMT = 5043,
    DECMD_SETFONTNAME = 5044,
    DECMD_SETFONTSIZE = 5045,
    DECMD_SETFORECOLOR = 5046,
    DECMD_SPLITCELL = 5047,
    DECMD_UNDERLINE = 5048,
    DECMD_UNDO = 5049,
    DECMD_UNLINK = 5050,
    DECMD_UNORDERLIST = 5051,
};

// What QueryStatus returns.
enum DesignCommandState : int {
    DECMDF_NOTSUPPORTED = 0,
    DECMDF_DISABLED = 1,
    DECMDF_ENABLED = 3,
    DECMDF_LATCHED = 7,
    DECMDF_NINCHED = 11,  // the selection has mixed values
};

// The second argument of ExecCommand.
enum CommandOption : int {
    OLECMDEXECOPT_DODEFAULT = 0,
    OLECMDEXECOPT_PROMPTUSER = 1,
    OLECMDEXECOPT_DONTPROMPTUSER = 2,
};

// Load errors of DocumentHTML.
constexpr int kDesignErrorFrameset = int(0x80100001);

// The engine keeps elements this many levels deep (<html> the first); deeper ones it puts beside
// the deepest as it reads the page.
constexpr int kDesignDeepestNesting = 512;

// Keys the page takes, rather than a command of the program's: typing, moving and the engine's
// editing keys. Those typed while the page is being built are kept for it; any other key with
// Ctrl or Alt reaches the program's own shortcuts (Save, a menu) as usual.
bool isPageKey(const QKeyEvent* key);

class DesignBridge;
class EventWatcher;

class DhtmlEdit : public LazyWebView {
    Q_OBJECT
public:
    explicit DhtmlEdit(QWidget* parent = nullptr);
    ~DhtmlEdit() override;

    // A display option: assigning it shows the page with it at once.
    class Option {
    public:
        Option(DhtmlEdit* owner) : owner_(owner) {}
        Option& operator=(bool on);
        operator bool() const { return on_; }

    private:
        DhtmlEdit* owner_;
        bool on_ = false;
    };
    Option ShowBorders{this};
    Option ShowDetails{this};
    Option UseDivOnCarriageReturn{this};

    // The designed page as the engine wrote it in its last answer to `requestCurrent` (or at
    // load); until the page has loaded, what was given. Current only while `isCurrent()`.
    QString DocumentHTML() const;
    // Loads a page for editing; returns 0, or the number of a load error (a frameset page is
    // shown but cannot be edited).
    int setDocumentHTML(const QString& html);
    // The page as the engine wrote it right after loading, before any change.
    QString loadedHTML() const { return loadedHtml_; }
    // The address relative links are taken from: a document's path, or "" for none.
    QString BaseURL() const { return baseUrl_; }
    void setBaseURL(const QString& path);
    // The page was changed by the user (or a command) since it was loaded or marked clean, as
    // it last reported; input it has not reported yet counts as a change too.
    bool IsDirty() const;
    // Takes the current page as the one later changes are counted from.
    void markClean();
    int QueryStatus(int command);
    // Runs a command; the GET commands return their value.
    QVariant ExecCommand(int command, int option = OLECMDEXECOPT_DODEFAULT, const QVariant& argument = QVariant());
    // Puts HTML at the selection: the selection's own HTML goes where `mode` says (1 between the
    // texts, 2 at the end, 3 and 4 nowhere), as the source view's insertion does.
    void insertHtml(const QString& openText, const QString& closeText, const QString& extraText, int mode);

    // Shows the context menu at the place of the last ShowContextMenu: texts ("" a separator)
    // with states (0 normal, 2 greyed).
    void SetContextMenu(const QStringList& texts, const QVector<int>& states);
    // The menu last shown, for whoever wants to look at it.
    QMenu* contextMenu() const { return menu_; }

    // The page has loaded and can be edited (or shown, for a page that cannot be edited).
    bool isReady() const { return ready_; }
    // The HTML held was read after the last input and command: nothing the user did is missing.
    // Keys typed while the page is being built are kept and go into it, in order, once it is
    // ready; until then it is not current.
    bool isCurrent() const;
    // Every change the page has reported, and every key sent to it, is in a copy of the page
    // held here (the last answer, or the copy read while the user paused): what would be kept
    // if the page's process ended now.
    bool holdsAllReported() const;
    // Asks the page for its HTML as it stands; `becameCurrent` follows, or `notCurrent` when
    // the page has not answered within `timeoutMs`, and two seconds more for each megabyte of
    // the page (or has not loaded).
    void requestCurrent(int timeoutMs = kCurrentTimeoutMs);
    static inline int kCurrentTimeoutMs = 8000;
    // How long a loaded page waits for its pictures before it is shown without them.
    static inline int kShowTimeoutMs = 30000;
    // For tests: reports of the page are held back until released, as a slow page's would be.
    void holdReports(bool hold);

signals:
    void ShowContextMenu(int x, int y);
    void ContextMenuAction(int index);
    // The selection or the formatting at it changed.
    void DisplayChanged();
    // The page has loaded (ok false: the engine could not show it).
    void documentLoaded(bool ok);
    // The HTML held is the page as it stands (after `requestCurrent`).
    void becameCurrent();
    // The page did not answer `requestCurrent` in time: what is held may miss the last input.
    void notCurrent();
    // The page reported a change the last report had not: the document is changed.
    void dirtyChanged(bool dirty);
    // The engine's page process ended (killed, out of memory, a crash): the page answers no
    // more. What it had handed over is held (`DocumentHTML`); `complete` when that is all it
    // was told or had reported. Loading a page again starts a new one.
    void pageProcessEnded(bool complete);
    // The page the engine built nests deeper than it keeps (`levels`): it moved the deeper
    // elements, so editing it would rewrite that part of the source. It is not opened for
    // editing and never becomes ready; keys typed while it was being built go to whatever has
    // the focus once this signal has been handled.
    void pageTooDeep(int levels);

protected:
    void viewCreated() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class DesignBridge;
    void startLoad();
    void pageLoaded(bool ok);
    void finishInit(const QVariantMap& map, quint64 load);
    void pageShown();
    void refuseTooDeep(int levels);
    void showWithoutWaiting();
    void receiveReport(const QVariant& report, std::function<void(const QVariantMap&)> after);
    void takeFlush(const QVariantMap& map);
    void applyState(const QVariant& state, bool announce);
    void applyOptions();
    // Runs a script of the page's own world; its result comes back as a report. Before the
    // page is ready, scripts wait their turn.
    void runReporting(const QString& script, std::function<void(const QVariantMap&)> after = {});
    // Keys typed while the page is being built: caught on their way to the page and kept.
    void catchInput();
    bool catchEvent(QObject* watched, QEvent* event);
    // Gives the page the focus it could not take while it was built, unless the user has given
    // it to something else since.
    void focusPage();
    // Shown, and in the document window the user works in.
    bool inActiveWindow() const;
    // Plays what was kept into the page, scripts in their place among the keys.
    void replayPending();
    void replay(QEvent* input);
    void noteInput();
    void sendFlush();
    void flushTimedOut();
    void pageAction(int command);
    void promptFont();
    void promptFind();
    void watchInput();
    QVariantMap loadFlags() const;
    // A page process can end at any time; reports carry no HTML, so a copy of the page is read
    // in the background once the user pauses, and kept for the moment it ends.
    void scheduleKeep();
    void keepPageCopy();
    void pageProcessGone();

    DesignBridge* bridge_ = nullptr;
    QWebChannel* channel_ = nullptr;
    QMenu* menu_ = nullptr;
    QTimer* flushTimer_ = nullptr;
    QTimer* showTimer_ = nullptr;
    bool awaitingShow_ = false;
    bool loadOk_ = false;
    bool loadedOk_ = false;    // the engine loaded the page's opening
    bool initPending_ = false;
    quint64 loadId_ = 0;       // the page set up last, as the page's answer names it
    QPoint menuPos_;
    QString sourceHtml_;   // as given
    QString loadedHtml_;   // as the engine wrote it at load
    QString html_;         // as last read
    QString baseUrl_;
    QString token_;
    QByteArray fileBase_;  // the base address put into the page loaded, "" for none
    QString pageText_;     // the page being loaded, until the page script builds it
    bool loadPending_ = false;
    bool loading_ = false;
    bool ready_ = false;
    bool readOnly_ = false;
    bool dirty_ = false;
    bool holding_ = false;
    QList<QPair<QVariant, std::function<void(const QVariantMap&)>>> held_;
    // What waits for the page to be ready, in the order it came: input the user gave it, and
    // scripts (commands) the control ran.
    struct Pending {
        std::unique_ptr<QEvent> input;
        QString script;
        std::function<void(const QVariantMap&)> after;
    };
    std::deque<Pending> pending_;
    EventWatcher* catcher_ = nullptr;  // on the application while input is caught
    bool replaying_ = false;
    bool keysMeantHere_ = false;  // the page was being built where the user was typing
    bool draining_ = false;
    // Keys wait for the page to take text, and a script for the keys played before it to reach
    // the page (they travel another way); neither waits longer than kGateMs.
    QTimer* keyGate_ = nullptr;
    QElapsedTimer gateSince_;
    static constexpr int kGateMs = 5000;
    quint64 pageKeys_ = 0;  // the keys the page has counted, as it last reported
    bool pageFocused_ = false;
    // Input and commands sent to the page, and the keys among them; the page counts the keys it
    // received, so a report that has seen fewer keys than were sent is not current.
    quint64 inputs_ = 0;
    quint64 keysSent_ = 0;
    // The input count the HTML held was read at.
    quint64 htmlInputs_ = 0;
    // The flush asked last, and the input count when it was asked.
    quint64 flushId_ = 0;
    quint64 flushInputs_ = 0;
    quint64 answeredFlush_ = 0;
    bool flushing_ = false;
    QElapsedTimer flushAsked_;
    QString lastFlushHtml_;
    double lastSeq_ = 0;
    double pageChanges_ = 0;
    double htmlChanges_ = 0;   // the page's change count when html_ was read
    double cleanChanges_ = 0;  // ... when the page was last taken as saved
    QHash<int, int> states_;
    QHash<int, QVariant> values_;
    QTimer* keepTimer_ = nullptr;
    QElapsedTimer keepSince_;
    QString keptHtml_;
    double keptChanges_ = -1;  // the page's change count the kept copy holds at least
    quint64 keptLoad_ = 0;
    bool pageEnded_ = false;
};

// True when a page's HTML sets up frames (outside its comments).
bool containsFrameset(const QString& html);
// The names of the block formats the format box offers, in order, and the tag of each.
QStringList designBlockFormatNames();
QString designBlockFormatTag(const QString& name);

}  // namespace kavrin
