#include "platform/web/dhtmledit.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <memory>

#include "platform/web/designfont.h"
#include "platform/forms/eventwatcher.h"
#include "platform/web/pagebase.h"
#include "platform/forms/msgbox.h"

static void initDesignerResources() { Q_INIT_RESOURCE(designer); }

namespace kavrin {

namespace {

constexpr int kWorld = QWebEngineScript::ApplicationWorld;

const std::pair<const char*, const char*> kBlockFormats[] = {
    {"Normal", "p"},           {"Formatted", "pre"},         {"Address", "address"},
    {"Heading 1", "h1"},       {"Heading 2", "h2"},          {"Heading 3", "h3"},
    {"Heading 4", "h4"},       {"Heading 5", "h5"},          {"Heading 6", "h6"},
    {"Numbered List", "ol"},   {"Bulleted List", "ul"},      {"Directory List", "dir"},
    {"Menu List", "menu"},     {"Definition Term", "dt"},    {"Definition", "dd"},
    {"Normal (DIV)", "div"},
};

QString readResource(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString jsString(const QString& text) {
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

QString jsValue(const QVariant& value) {
    return QString::fromUtf8(QJsonDocument(QJsonArray{QJsonValue::fromVariant(value)}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
}

// Pages never leave the document they were given: links and forms in the design view are edited,
// not followed.
class DesignPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    // The one address the page may show: the document the control loaded. A refresh tag or a
    // followed link would take the user's work away.
    QUrl expected;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        (void)type;
        return !isMainFrame || url == expected;
    }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
};

}  // namespace

// The page's end of the web channel: every report of the page arrives here.
class DesignBridge : public QObject {
    Q_OBJECT
public:
    explicit DesignBridge(DhtmlEdit* owner) : QObject(owner), owner_(owner) {}

public slots:
    void update(const QVariantMap& state) { owner_->receiveReport(state, {}); }

private:
    DhtmlEdit* owner_;
};

DhtmlEdit::Option& DhtmlEdit::Option::operator=(bool on) {
    if (on_ == on) return *this;
    on_ = on;
    owner_->applyOptions();
    return *this;
}

DhtmlEdit::DhtmlEdit(QWidget* parent) : LazyWebView(parent) {
    initDesignerResources();
    bridge_ = new DesignBridge(this);
    flushTimer_ = new QTimer(this);
    flushTimer_->setSingleShot(true);
    connect(flushTimer_, &QTimer::timeout, this, &DhtmlEdit::flushTimedOut);
    showTimer_ = new QTimer(this);
    showTimer_->setSingleShot(true);
    connect(showTimer_, &QTimer::timeout, this, &DhtmlEdit::showWithoutWaiting);
    keyGate_ = new QTimer(this);
    keyGate_->setInterval(20);
    connect(keyGate_, &QTimer::timeout, this, &DhtmlEdit::replayPending);
    keepTimer_ = new QTimer(this);
    keepTimer_->setSingleShot(true);
    connect(keepTimer_, &QTimer::timeout, this, &DhtmlEdit::keepPageCopy);
    // Every report the page sends after a change ends in this signal.
    connect(this, &DhtmlEdit::DisplayChanged, this, &DhtmlEdit::scheduleKeep);
}

DhtmlEdit::~DhtmlEdit() {
    if (catcher_) qApp->removeEventFilter(catcher_);
    if (!token_.isEmpty()) dropLocalPage(token_);
}

void DhtmlEdit::viewCreated() {
    auto* page = new DesignPage(localPageProfile(), view());
    guardDesignPage(page);
    // The page's own scripts stay off: they would rewrite the document (document.write, menus
    // built at load) and the source would take their output for the user's work.
    page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    page->settings()->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    page->settings()->setAttribute(QWebEngineSettings::JavascriptCanPaste, true);
    channel_ = new QWebChannel(page);
    channel_->registerObject(QStringLiteral("designBridge"), bridge_);
    page->setWebChannel(channel_, kWorld);

    // The design scripts run in a world of their own, in the top page only. Formatting and the
    // designer's own editing go in before the designer, which calls into them.
    const auto addScript = [page](const char* name, const char* resource, QWebEngineScript::InjectionPoint point) {
        QWebEngineScript script;
        script.setName(QString::fromLatin1(name));
        script.setSourceCode(readResource(QString::fromLatin1(resource)));
        script.setInjectionPoint(point);
        script.setWorldId(kWorld);
        script.setRunsOnSubFrames(false);
        page->scripts().insert(script);
    };
    addScript("qwebchannel", ":/qtwebchannel/qwebchannel.js", QWebEngineScript::DocumentCreation);
    addScript("designformat", ":/kavrin/designformat.js", QWebEngineScript::DocumentReady);
    addScript("designedit", ":/kavrin/designedit.js", QWebEngineScript::DocumentReady);
    addScript("designer", ":/kavrin/designer.js", QWebEngineScript::DocumentReady);

    view()->setPage(page);
    view()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view(), &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        // The menu speaks for the place the click selected, which the page reports first.
        menuPos_ = pos;
        runReporting(QStringLiteral("kv.state()"), [this, pos](const QVariantMap&) { emit ShowContextMenu(pos.x(), pos.y()); });
    });
    connect(page, &QWebEnginePage::loadFinished, this, &DhtmlEdit::pageLoaded);
    connect(page, &QWebEnginePage::renderProcessTerminated, this, &DhtmlEdit::pageProcessGone);
    watchInput();
}

void DhtmlEdit::watchInput() {
    // Typing and clicks go straight to the engine; noting them tells a read that the page owes
    // a report.
    if (QWidget* proxy = view()->focusProxy()) proxy->installEventFilter(this);
    for (QWidget* child : view()->findChildren<QWidget*>()) child->installEventFilter(this);
}

bool DhtmlEdit::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        ++keysSent_;
        noteInput();
        break;
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Drop:
        noteInput();
        break;
    default:
        break;
    }
    return LazyWebView::eventFilter(watched, event);
}

// ---- Loading ------------------------------------------------------------------------------------

bool containsFrameset(const QString& html) {
    static const QRegularExpression comment(QStringLiteral("<!--.*?-->"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression frameset(QStringLiteral("<frameset[\\s>/]"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (!html.contains(QLatin1String("frameset"), Qt::CaseInsensitive)) return false;
    QString text = html;
    text.remove(comment);
    return text.contains(frameset);
}

QStringList designBlockFormatNames() {
    QStringList names;
    for (const auto& [name, tag] : kBlockFormats) names << QString::fromLatin1(name);
    return names;
}

QString designBlockFormatTag(const QString& name) {
    for (const auto& [n, tag] : kBlockFormats)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) return QString::fromLatin1(tag);
    return QString();
}

int DhtmlEdit::setDocumentHTML(const QString& html) {
    // Whoever waits on the page as it stood hears of the new one instead.
    const bool awaited = flushTimer_->isActive();
    sourceHtml_ = html;
    loadedHtml_ = html;
    html_ = html;
    dirty_ = false;
    ready_ = false;
    htmlInputs_ = inputs_;
    pageChanges_ = htmlChanges_ = cleanChanges_ = 0;
    flushing_ = false;
    flushTimer_->stop();
    awaitingShow_ = false;
    showTimer_->stop();
    // Commands given to the page being replaced go with it; keys typed into it come to the new
    // one, where the user goes on typing.
    std::erase_if(pending_, [](const Pending& p) { return !p.input; });
    keyGate_->stop();
    catchInput();
    readOnly_ = containsFrameset(html);
    states_.clear();
    values_.clear();
    // The base address usually follows; the page loads once both are known.
    if (!loadPending_) {
        loadPending_ = true;
        QTimer::singleShot(0, this, [this] {
            if (loadPending_) startLoad();
        });
    }
    if (awaited) requestCurrent();
    return readOnly_ ? kDesignErrorFrameset : 0;
}

void DhtmlEdit::setBaseURL(const QString& path) {
    if (baseUrl_ == path) return;
    baseUrl_ = path;
    // A page already shown takes its pictures and links from the new place.
    if (!loadPending_ && (ready_ || loading_)) {
        sourceHtml_ = html_;
        loadPending_ = true;
        catchInput();
        QTimer::singleShot(0, this, [this] {
            if (loadPending_) startLoad();
        });
    }
}

QVariantMap DhtmlEdit::loadFlags() const {
    // Elements the parser would supply are written back only when the source has them.
    auto has = [this](const char* tag) {
        return sourceHtml_.contains(QRegularExpression(QStringLiteral("<") + QLatin1String(tag) + QStringLiteral("[\\s>]"),
                                                       QRegularExpression::CaseInsensitiveOption));
    };
    return {{"html", has("html")}, {"head", has("head")}, {"body", has("body")}};
}

void DhtmlEdit::startLoad() {
    loadPending_ = false;
    pageEnded_ = false;
    awaitingShow_ = false;
    showTimer_->stop();
    loading_ = true;
    ready_ = false;
    const QString base = baseUrl_.isEmpty() || baseUrl_.startsWith(QLatin1String("Untitled"))
                             ? QStringLiteral("/untitled/untitled.htm")
                             : baseUrl_;
    const QString path = QString(base).replace('\\', '/');
    QByteArray page = sourceHtml_.toUtf8();
    // Pictures and style sheets come from the page's folder, as far as its site reaches; the
    // page reads the base back out of what it writes.
    fileBase_.clear();
    if (!baseUrl_.isEmpty() && !baseUrl_.startsWith(QLatin1String("Untitled")))
        page = withFolderBase(page, designFolderUrl(path).toEncoded(), &fileBase_);
    // The engine's loader hands a page over in small pieces and lays out what it has after each
    // one, which on a long page costs far more than the page itself. Only the page's opening is
    // loaded (it decides the mode the page is shown in); the page script builds the rest in one
    // go from the text.
    pageText_ = QString::fromUtf8(page);
    token_ = holdLocalPage(pagePrologue(page), token_);
    const QUrl url = designPageUrl(path, token_);
    static_cast<DesignPage*>(view()->page())->expected = url;
    view()->load(url);
}

void DhtmlEdit::pageLoaded(bool ok) {
    if (loadPending_ || !loading_) return;
    loading_ = false;
    loadedOk_ = ok;
    // A refresh tag would load the opening alone again, over the user's work.
    static_cast<DesignPage*>(view()->page())->expected = QUrl();
    watchInput();
    // The page's widget is there now; given the focus before the page is set up, it has it by
    // the time the keys kept for it go in.
    focusPage();
    QVariantList formats;
    for (const auto& [name, tag] : kBlockFormats) formats << QVariant(QVariantList{name, tag});
    QVariantMap options{{"borders", bool(ShowBorders)},
                        {"details", bool(ShowDetails)},
                        {"divOnReturn", bool(UseDivOnCarriageReturn)},
                        {"readOnly", readOnly_ || !ok},
                        {"flags", loadFlags()},
                        {"base", QString::fromLatin1(fileBase_)},
                        {"page", std::exchange(pageText_, QString())},
                        {"blockFormats", formats},
                        {"deepest", kDesignDeepestNesting},
                        {"load", double(++loadId_)}};
    const QString script = QStringLiteral("window.kv ? kv.init(%1) : null").arg(jsValue(options));
    // The page sends its answer over the channel as well, which comes in sooner than the answer
    // to the call; whichever comes first is taken.
    initPending_ = true;
    // The page answers pending calls as it is destroyed, which happens while the control is
    // being destroyed and is no longer a DhtmlEdit: the answer checks what the object still is
    // before it takes it for one.
    const QPointer<QObject> guard(this);
    const quint64 load = loadId_;
    view()->page()->runJavaScript(script, kWorld, [guard, load](const QVariant& result) {
        if (auto* self = qobject_cast<DhtmlEdit*>(guard.data())) self->finishInit(result.toMap(), load);
    });
}

void DhtmlEdit::finishInit(const QVariantMap& map, quint64 load) {
    if (!initPending_ || load != loadId_) return;
    initPending_ = false;
    if (const int levels = map.value(QStringLiteral("depth")).toInt(); levels > kDesignDeepestNesting) {
        refuseTooDeep(levels);
        return;
    }
    if (map.contains(QStringLiteral("html"))) loadedHtml_ = map.value(QStringLiteral("html")).toString();
    html_ = loadedHtml_;
    htmlInputs_ = inputs_;
    // The page counts the keys it has seen from here on as the control does.
    keysSent_ = pageKeys_ = quint64(map.value(QStringLiteral("keys")).toDouble());
    lastSeq_ = 0;
    applyState(map, false);
    htmlChanges_ = cleanChanges_ = pageChanges_;
    dirty_ = false;
    loadOk_ = loadedOk_ && !map.isEmpty();
    if (map.value(QStringLiteral("shown"), true).toBool()) {
        pageShown();
        return;
    }
    // The page shows itself once its pictures have settled, and says so in a report; one that
    // waits on a picture from a slow server is shown without it after a while.
    awaitingShow_ = true;
    showTimer_->start(kShowTimeoutMs);
}

void DhtmlEdit::pageShown() {
    awaitingShow_ = false;
    showTimer_->stop();
    ready_ = true;
    focusPage();
    emit documentLoaded(loadOk_);
    emit DisplayChanged();
    // Keys typed and commands given while the page loaded go in now, in their order.
    replayPending();
}

void DhtmlEdit::refuseTooDeep(int levels) {
    readOnly_ = true;
    // Commands given to the page go with it; keys typed for it go where the user is taken.
    std::deque<Pending> kept = std::exchange(pending_, {});
    keyGate_->stop();
    if (catcher_) {
        qApp->removeEventFilter(catcher_);
        catcher_->deleteLater();
        catcher_ = nullptr;
    }
    keysMeantHere_ = false;
    const QPointer<DhtmlEdit> self(this);
    emit pageTooDeep(levels);
    QWidget* focus = QApplication::focusWidget();
    if (!self || !focus || focus == this || isAncestorOf(focus)) return;
    const QPointer<QWidget> target(focus);
    for (const Pending& p : kept)
        if (p.input && target) QCoreApplication::sendEvent(target, p.input.get());
}

void DhtmlEdit::showWithoutWaiting() {
    if (!awaitingShow_) return;
    const QPointer<QObject> guard(this);  // see pageLoaded()
    view()->page()->runJavaScript(QStringLiteral("kv.show()"), kWorld, [guard](const QVariant& result) {
        auto* self = qobject_cast<DhtmlEdit*>(guard.data());
        if (!self || !self->awaitingShow_ || self->loading_ || self->loadPending_) return;
        self->applyState(result, false);
        self->pageShown();
    });
}

// ---- The page's reports -------------------------------------------------------------------------

void DhtmlEdit::receiveReport(const QVariant& report, std::function<void(const QVariantMap&)> after) {
    if (const QVariantMap map = report.toMap(); map.contains(QStringLiteral("init"))) {
        finishInit(map, quint64(map.value(QStringLiteral("init")).toDouble()));
        return;
    }
    if (holding_) {
        held_.append({report, std::move(after)});
        return;
    }
    applyState(report, true);
    if (after) after(report.toMap());
}

void DhtmlEdit::holdReports(bool hold) {
    holding_ = hold;
    if (hold) return;
    while (!held_.isEmpty() && !holding_) {
        auto [report, after] = held_.takeFirst();
        applyState(report, true);
        if (after) after(report.toMap());
    }
}

void DhtmlEdit::applyState(const QVariant& state, bool announce) {
    const QVariantMap map = state.toMap();
    if (map.isEmpty()) return;
    if (awaitingShow_ && map.value(QStringLiteral("shown")).toBool()) {
        awaitingShow_ = false;
        QTimer::singleShot(0, this, [this] {
            if (!loading_ && !loadPending_ && !ready_) pageShown();
        });
    }
    if (map.contains(QStringLiteral("flush"))) takeFlush(map);
    // Reports travel two ways (the channel, and the answers to the control's calls) and can
    // overtake each other; an older one must not undo a newer one.
    const double seq = map.value(QStringLiteral("seq")).toDouble();
    if (seq <= lastSeq_) return;
    lastSeq_ = seq;
    pageKeys_ = quint64(map.value(QStringLiteral("keys")).toDouble());
    pageFocused_ = map.value(QStringLiteral("focused")).toBool();
    // What was held back (keys until the page has the focus, a script until the keys before it
    // have arrived) may go on now.
    if (keyGate_->isActive())
        QTimer::singleShot(0, this, [this] {
            if (keyGate_->isActive()) replayPending();
        });
    const bool wasDirty = dirty_;
    pageChanges_ = map.value(QStringLiteral("changes")).toDouble();
    // Changed since the HTML last taken as clean: a report sent before the page heard of that
    // can still be on its way, and its own dirty flag would undo it.
    dirty_ = pageChanges_ > cleanChanges_;
    // An answer that carries only the HTML leaves the command states as last reported.
    if (map.contains(QStringLiteral("states"))) {
        states_.clear();
        const QVariantMap states = map.value(QStringLiteral("states")).toMap();
        for (auto it = states.cbegin(); it != states.cend(); ++it) states_.insert(it.key().toInt(), it.value().toInt());
        values_.clear();
        const QVariantMap values = map.value(QStringLiteral("values")).toMap();
        for (auto it = values.cbegin(); it != values.cend(); ++it) values_.insert(it.key().toInt(), it.value());
    }
    if (!announce || !ready_) return;
    if (dirty_ != wasDirty) emit dirtyChanged(dirty_);
    emit DisplayChanged();
}

void DhtmlEdit::runReporting(const QString& script, std::function<void(const QVariantMap&)> after) {
    if (!ready_ || (!pending_.empty() && !draining_)) {
        // A page that will never load runs nothing; one on its way runs the script once it is
        // there, after what was given before it.
        if (loading_ || loadPending_ || awaitingShow_ || ready_) pending_.push_back({nullptr, script, std::move(after)});
        return;
    }
    const QPointer<QObject> guard(this);  // see pageLoaded()
    view()->page()->runJavaScript(script, kWorld, [guard, after = std::move(after)](const QVariant& result) {
        if (auto* self = qobject_cast<DhtmlEdit*>(guard.data())) self->receiveReport(result, after);
    });
}

void DhtmlEdit::noteInput() { ++inputs_; }

// ---- Input while the page is being built ---------------------------------------------------------

bool isPageKey(const QKeyEvent* key) {
    const Qt::KeyboardModifiers held = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F35) return false;
    if (!held) return true;
    // AltGr gives characters as Ctrl and Alt together on some keyboards.
    if (held == (Qt::ControlModifier | Qt::AltModifier) && !key->text().isEmpty() && key->text()[0].isPrint())
        return true;
    static const QKeySequence::StandardKey editing[] = {
        QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Cut, QKeySequence::Copy, QKeySequence::Paste,
        QKeySequence::SelectAll, QKeySequence::Bold, QKeySequence::Italic, QKeySequence::Underline,
        QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord, QKeySequence::MoveToNextWord,
        QKeySequence::MoveToPreviousWord, QKeySequence::MoveToStartOfDocument, QKeySequence::MoveToEndOfDocument,
        QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord, QKeySequence::SelectStartOfDocument,
        QKeySequence::SelectEndOfDocument};
    for (QKeySequence::StandardKey standard : editing)
        if (key->matches(standard)) return true;
    return false;
}

void DhtmlEdit::catchInput() {
    keysMeantHere_ = true;
    if (catcher_) return;
    catcher_ = new EventWatcher(this);
    catcher_->filter = [this](QObject* watched, QEvent* event) { return catchEvent(watched, event); };
    qApp->installEventFilter(catcher_);
}

bool DhtmlEdit::inActiveWindow() const {
    const QWidget* part = parentWidget();
    while (part && !qobject_cast<const QMdiSubWindow*>(part)) part = part->parentWidget();
    const auto* sub = qobject_cast<const QMdiSubWindow*>(part);
    return isVisible() && (!sub || (sub->mdiArea() && sub->mdiArea()->activeSubWindow() == sub));
}

void DhtmlEdit::focusPage() {
    if (!keysMeantHere_ || !inActiveWindow()) return;
    QWidget* focus = QApplication::focusWidget();
    if (!focus || (focus != this && !isAncestorOf(focus))) setFocus();
}

bool DhtmlEdit::catchEvent(QObject* watched, QEvent* event) {
    if (replaying_) return false;
    // The type first: every event of the program passes here.
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::ShortcutOverride && type != QEvent::KeyPress &&
        type != QEvent::KeyRelease && type != QEvent::InputMethod)
        return false;
    QWidget* widget = watchedWidget(watched);
    if (!widget) return false;
    const bool here = widget == this || isAncestorOf(widget);
    if (type == QEvent::MouseButtonPress) {
        // A click elsewhere gives the keys to what was clicked.
        if (!here) keysMeantHere_ = false;
        return false;
    }
    // The page cannot hold the focus before it is there: the view is shown a moment after the
    // control, and the engine replaces the page's widget as the page loads. Keys meant for the
    // page meanwhile reach whatever holds the focus in its window instead.
    if (!here && !(keysMeantHere_ && widget->window() == window() && inActiveWindow())) return false;
    if (type == QEvent::ShortcutOverride) {
        if (!isPageKey(static_cast<QKeyEvent*>(event))) return false;
        // Taken as a key of the page's own, so that it comes as a key press and is kept.
        event->accept();
        return true;
    }
    if (type == QEvent::KeyRelease) {
        // A release whose press went elsewhere (the key that chose the view) is none of the page's.
        const int code = static_cast<QKeyEvent*>(event)->key();
        const bool pressed = std::any_of(pending_.begin(), pending_.end(), [code](const Pending& p) {
            return p.input && p.input->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(p.input.get())->key() == code;
        });
        if (!pressed) return false;
    }
    pending_.push_back({std::unique_ptr<QEvent>(event->clone()), QString(), {}});
    return true;
}

void DhtmlEdit::replayPending() {
    if (!ready_) return;
    const QPointer<DhtmlEdit> self(this);
    // Holds back what is not to go yet, looking again shortly; a page that never gets there
    // (a key the engine swallowed, a page that takes no text) is not waited for long.
    auto holdBack = [this](bool notYet) {
        if (!notYet) return false;
        if (!keyGate_->isActive()) {
            keyGate_->start();
            gateSince_.start();
        }
        return gateSince_.elapsed() < kGateMs;
    };
    bool keysGo = false;
    while (self && ready_ && !pending_.empty()) {
        Pending& next = pending_.front();
        if (next.input) {
            // The page is given the focus as it loads, and its widget takes text a moment after
            // the page has the caret; a key that comes sooner is lost.
            QWidget* taker = view()->focusProxy();
            const bool takesText = pageFocused_ && taker && taker->inputMethodQuery(Qt::ImEnabled).toBool();
            if (!keysGo && holdBack(keysMeantHere_ && !takesText)) return;
            keysGo = true;
            keyGate_->stop();
            const std::unique_ptr<QEvent> input = std::move(next.input);
            pending_.pop_front();
            replay(input.get());
            continue;
        }
        // Keys and scripts reach the page by different ways: a script sent at once could
        // overtake the keys just played.
        if (holdBack(pageKeys_ < keysSent_)) return;
        keyGate_->stop();
        Pending script = std::move(next);
        pending_.pop_front();
        draining_ = true;
        runReporting(script.script, std::move(script.after));
        draining_ = false;
    }
    if (self && ready_ && pending_.empty() && catcher_) {
        keysMeantHere_ = false;
        qApp->removeEventFilter(catcher_);
        catcher_->deleteLater();
        catcher_ = nullptr;
    }
}

void DhtmlEdit::replay(QEvent* input) {
    // As the window system gives a key: the shortcut question first (the engine answers its
    // editing keys there), then the key itself, to the widget that takes the page's input.
    QWidget* target = view()->focusProxy() ? view()->focusProxy() : view();
    replaying_ = true;
    if (input->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(input);
        QKeyEvent shortcut(QEvent::ShortcutOverride, key->key(), key->modifiers(), key->nativeScanCode(),
                           key->nativeVirtualKey(), key->nativeModifiers(), key->text(), key->isAutoRepeat(),
                           key->count());
        QCoreApplication::sendEvent(target, &shortcut);
    }
    QCoreApplication::sendEvent(target, input);
    replaying_ = false;
}

bool DhtmlEdit::isCurrent() const {
    // A page that has ended tells nothing more: what it told is all there is.
    if (pageEnded_) return true;
    // Keys kept while the page was being built are not in it yet.
    if (std::any_of(pending_.begin(), pending_.end(), [](const Pending& p) { return p.input != nullptr; })) return false;
    // Input sent since the HTML was read, or a change the page reported since, makes it old.
    return !ready_ || readOnly_ || (htmlInputs_ == inputs_ && pageChanges_ <= htmlChanges_);
}

void DhtmlEdit::requestCurrent(int timeoutMs) {
    if (isCurrent()) {
        QTimer::singleShot(0, this, [this] {
            if (isCurrent()) emit becameCurrent();
            else requestCurrent();
        });
        return;
    }
    if (!flushTimer_->isActive()) {
        // Each answer writes out and hands over the whole page: a long one takes seconds, more
        // on a busy machine, and is not to be taken for a page that does not answer.
        flushTimer_->start(timeoutMs + int(std::min<qsizetype>(html_.size() / 512, 120000)));
        flushAsked_.start();
    }
    lastFlushHtml_.clear();
    if (!flushing_) sendFlush();
}

void DhtmlEdit::sendFlush() {
    flushing_ = true;
    flushInputs_ = inputs_;
    runReporting(QStringLiteral("kv.flush(%1)").arg(++flushId_));
}

void DhtmlEdit::takeFlush(const QVariantMap& map) {
    // The page answers by the channel and by the call's answer: the second copy is no news.
    const quint64 id = map.value(QStringLiteral("flush")).toULongLong();
    if (!flushing_ || id != flushId_ || id == answeredFlush_) return;
    answeredFlush_ = id;
    const QString html = map.value(QStringLiteral("html")).toString();
    const quint64 keys = quint64(map.value(QStringLiteral("keys")).toDouble());
    // Keys and scripts reach the page by different ways, so a key sent before the question can
    // still be on its way: the answer counts only once the page has seen every key sent. A key
    // the engine swallowed would never be counted; answers alike over two seconds settle that.
    // Half a second was not enough on a busy machine: a key still on its way was taken for
    // swallowed, the page for unchanged, and its window closed without asking.
    constexpr qint64 kKeyOnItsWayMs = 2000;
    const bool settled = keys >= keysSent_ || (flushAsked_.elapsed() >= kKeyOnItsWayMs && html == lastFlushHtml_);
    if (flushInputs_ != inputs_ || !settled) {
        lastFlushHtml_ = html;
        if (!flushTimer_->isActive()) {
            flushing_ = false;
            return;
        }
        // Input sent since the question: ask again at once; a key still on its way: shortly.
        QTimer::singleShot(flushInputs_ != inputs_ ? 0 : 20, this, [this] {
            if (flushing_) sendFlush();
        });
        return;
    }
    html_ = html;
    htmlInputs_ = flushInputs_;
    htmlChanges_ = map.value(QStringLiteral("changes")).toDouble();
    flushing_ = false;
    flushTimer_->stop();
    // A report of a later change can come in after this answer (the two travel different ways):
    // then the page is asked again, so that whoever waits hears one way or the other.
    QTimer::singleShot(0, this, [this] {
        if (isCurrent()) emit becameCurrent();
        else requestCurrent();
    });
}

void DhtmlEdit::flushTimedOut() {
    flushing_ = false;
    if (isCurrent()) return;
    emit notCurrent();
}

QString DhtmlEdit::DocumentHTML() const { return ready_ ? html_ : sourceHtml_; }

bool DhtmlEdit::IsDirty() const { return ready_ && !readOnly_ && dirty_; }

void DhtmlEdit::markClean() {
    if (!ready_) return;
    loadedHtml_ = html_;
    // A change the page made after the HTML was read keeps it dirty.
    cleanChanges_ = htmlChanges_;
    dirty_ = pageChanges_ > cleanChanges_;
}

// ---- The page's process ending ------------------------------------------------------------------

void DhtmlEdit::scheduleKeep() {
    if (!ready_ || readOnly_ || pageEnded_) return;
    if (pageChanges_ <= std::max(htmlChanges_, keptLoad_ == loadId_ ? keptChanges_ : -1.0)) return;
    // Read once the user pauses, and now and then while the typing goes on; a long page takes
    // longer to write out, so it is read less often.
    const int pause = 1000 + int(std::min<qsizetype>(html_.size() / 1024, 4000));
    if (!keepTimer_->isActive()) keepSince_.start();
    else if (keepSince_.elapsed() > 10 * pause) return;
    keepTimer_->start(pause);
}

void DhtmlEdit::keepPageCopy() {
    if (!ready_ || readOnly_ || pageEnded_ || !pending_.empty()) return;
    const QPointer<QObject> guard(this);  // see pageLoaded()
    const quint64 load = loadId_;
    // The page's changes reported so far are all in what it writes out now.
    const double changes = pageChanges_;
    view()->page()->runJavaScript(QStringLiteral("kv.serialize()"), kWorld, [guard, load, changes](const QVariant& html) {
        auto* self = qobject_cast<DhtmlEdit*>(guard.data());
        if (!self || self->pageEnded_ || load != self->loadId_ || html.typeId() != QMetaType::QString) return;
        self->keptHtml_ = html.toString();
        self->keptChanges_ = changes;
        self->keptLoad_ = load;
    });
}

bool DhtmlEdit::holdsAllReported() const {
    const double held = std::max(htmlChanges_, keptLoad_ == loadId_ ? keptChanges_ : -1.0);
    const bool keysLeft =
        std::any_of(pending_.begin(), pending_.end(), [](const Pending& p) { return p.input != nullptr; });
    return !keysLeft && pageChanges_ <= held && pageKeys_ >= keysSent_;
}

void DhtmlEdit::pageProcessGone() {
    if (pageEnded_) return;
    pageEnded_ = true;
    flushTimer_->stop();
    flushing_ = false;
    keepTimer_->stop();
    keyGate_->stop();
    showTimer_->stop();
    awaitingShow_ = false;
    // The kept copy, when it is newer than the last answer, is the page as far as it is known.
    if (ready_ && keptLoad_ == loadId_ && keptChanges_ > htmlChanges_) {
        html_ = keptHtml_;
        htmlChanges_ = keptChanges_;
    }
    const bool complete = holdsAllReported();
    // Keys caught for a page that will not come go where the user types next.
    pending_.clear();
    if (catcher_) {
        qApp->removeEventFilter(catcher_);
        catcher_->deleteLater();
        catcher_ = nullptr;
    }
    keysMeantHere_ = false;
    emit pageProcessEnded(complete);
}

// ---- Commands -----------------------------------------------------------------------------------

int DhtmlEdit::QueryStatus(int command) {
    if (!ready_) return command == DECMD_FINDTEXT || command == DECMD_SELECTALL ? DECMDF_DISABLED : DECMDF_NOTSUPPORTED;
    switch (command) {
    case DECMD_PASTE: {
        if (readOnly_) return DECMDF_DISABLED;
        const QMimeData* data = QApplication::clipboard()->mimeData();
        const bool something = data && (data->hasText() || data->hasHtml() || data->hasImage());
        return something ? DECMDF_ENABLED : DECMDF_DISABLED;
    }
    case DECMD_UNDO:
    case DECMD_REDO:
        // The engine's own Undo and Redo actions keep the state of some earlier edit; the page
        // reports its history as it stands.
        if (readOnly_) return DECMDF_DISABLED;
        return states_.value(command, DECMDF_DISABLED);
    default:
        break;
    }
    if (readOnly_) return states_.contains(command) ? DECMDF_DISABLED : DECMDF_NOTSUPPORTED;
    return states_.value(command, DECMDF_NOTSUPPORTED);
}

void DhtmlEdit::pageAction(int command) {
    QWebEnginePage::WebAction action = QWebEnginePage::NoWebAction;
    switch (command) {
    case DECMD_CUT: action = QWebEnginePage::Cut; break;
    case DECMD_COPY: action = QWebEnginePage::Copy; break;
    case DECMD_PASTE: action = QWebEnginePage::Paste; break;
    case DECMD_UNDO: action = QWebEnginePage::Undo; break;
    case DECMD_REDO: action = QWebEnginePage::Redo; break;
    case DECMD_SELECTALL: action = QWebEnginePage::SelectAll; break;
    default: return;
    }
    view()->page()->triggerAction(action);
    noteInput();
}

QVariant DhtmlEdit::ExecCommand(int command, int option, const QVariant& argument) {
    switch (command) {
    case DECMD_GETBLOCKFMT:
    case DECMD_GETFONTNAME:
    case DECMD_GETFONTSIZE:
        // As of the last report: the page reports after every change of the selection.
        return values_.value(command);
    case DECMD_GETBLOCKFMTNAMES:
        return designBlockFormatNames();
    case DECMD_COPY:
    case DECMD_SELECTALL:
        if (readOnly_) {
            pageAction(command);
            return QVariant();
        }
        break;
    case DECMD_FINDTEXT:
        promptFind();
        return QVariant();
    case DECMD_FONT:
        if (option != OLECMDEXECOPT_DONTPROMPTUSER) promptFont();
        return QVariant();
    default:
        break;
    }
    const bool clipboardOrHistory = command == DECMD_CUT || command == DECMD_COPY || command == DECMD_PASTE ||
                                    command == DECMD_UNDO || command == DECMD_REDO;
    if (readOnly_ || (!states_.contains(command) && !clipboardOrHistory)) return QVariant();
    const QString arg = jsValue(argument.isNull() ? QVariant(QString()) : argument);
    noteInput();
    runReporting(QStringLiteral("kv.exec(%1, %2)").arg(command).arg(arg), [this, command, clipboardOrHistory](const QVariantMap& result) {
        // The page may refuse the clipboard to a script; the engine's own action then does it.
        if (clipboardOrHistory && !result.value(QStringLiteral("ok")).toBool()) pageAction(command);
    });
    return QVariant();
}

void DhtmlEdit::insertHtml(const QString& openText, const QString& closeText, const QString& extraText, int mode) {
    if (readOnly_) return;
    noteInput();
    runReporting(QStringLiteral("kv.insertHtml(%1, %2, %3, %4)")
                     .arg(jsString(openText), jsString(closeText), jsString(extraText))
                     .arg(mode));
}

void DhtmlEdit::applyOptions() {
    if (!ready_) return;
    QVariantMap options{{"borders", bool(ShowBorders)},
                        {"details", bool(ShowDetails)},
                        {"divOnReturn", bool(UseDivOnCarriageReturn)}};
    runReporting(QStringLiteral("kv.setOptions(%1)").arg(jsValue(options)));
}

void DhtmlEdit::promptFont() {
    // A window deletes itself once unloaded; the choice is read before that can happen.
    QPointer<DesignFontDialog> dialog = new DesignFontDialog(window());
    dialog->fontName = values_.value(DECMD_GETFONTNAME).toString();
    dialog->fontSize = values_.value(DECMD_GETFONTSIZE).toInt();
    dialog->bold = states_.value(DECMD_BOLD) == DECMDF_LATCHED;
    dialog->italic = states_.value(DECMD_ITALIC) == DECMDF_LATCHED;
    dialog->underline = states_.value(DECMD_UNDERLINE) == DECMDF_LATCHED;
    const bool chosen = dialog->ask();
    if (!dialog || !chosen) return;
    QVariantMap font{{"bold", dialog->bold}, {"italic", dialog->italic}, {"underline", dialog->underline}};
    if (!dialog->fontName.isEmpty()) font.insert(QStringLiteral("face"), dialog->fontName);
    if (dialog->fontSize >= 1 && dialog->fontSize <= 7) font.insert(QStringLiteral("size"), dialog->fontSize);
    if (dialog->isLoaded()) dialog->unload();
    noteInput();
    runReporting(QStringLiteral("kv.applyFont(%1)").arg(jsValue(font)));
}

void DhtmlEdit::promptFind() {
    const QString text = inputBox(QStringLiteral("Find what:"), QStringLiteral("Find"));
    if (text.isEmpty()) return;
    view()->page()->findText(text);
}

void DhtmlEdit::SetContextMenu(const QStringList& texts, const QVector<int>& states) {
    if (!menu_) {
        menu_ = new QMenu(this);
        menu_->setObjectName(QStringLiteral("dhtmContextMenu"));
    }
    menu_->clear();
    for (int i = 0; i < texts.size(); ++i) {
        if (texts[i].isEmpty()) {
            menu_->addSeparator();
            continue;
        }
        QAction* action = menu_->addAction(texts[i]);
        action->setEnabled(i >= states.size() || states[i] != 2);
        connect(action, &QAction::triggered, this, [this, i] { emit ContextMenuAction(i); });
    }
    menu_->popup(view()->mapToGlobal(menuPos_));
}

}  // namespace kavrin

#include "dhtmledit.moc"
