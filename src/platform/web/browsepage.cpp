#include "platform/web/browsepage.h"

#include <QFileInfo>
#include <QWebEngineLoadingInfo>

#include "platform/forms/msgbox.h"
#include "platform/web/webviews.h"

namespace kavrin {

namespace {

// The box before a page is left reaches a page as a confirm with the engine's own text.
bool isLeaveQuestion(const QString& text) {
    return text.startsWith(QLatin1String("Are you sure you want to leave this page?"));
}

// Boxes a page may show before each one offers to stop the rest.
constexpr int kBoxesBeforeOffer = 2;

}  // namespace

BrowsePage::BrowsePage(QWebEngineProfile* profile, Boxes boxes, QObject* parent)
    : QWebEnginePage(profile, parent), boxes_(boxes) {
    // A document of its own comes with a navigation of the main frame: a fragment or a script's
    // new address starts none. It is taken once it has come (its address shown, or its load or
    // error page ended): a navigation that brings none (a download, a stop) leaves the document
    // as it was, whatever address its script gives it meanwhile.
    connect(this, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (url == pendingUrl_) takePending(true);
    });
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus: break;
        case QWebEngineLoadingInfo::LoadSucceededStatus: takePending(true); break;
        case QWebEngineLoadingInfo::LoadFailedStatus: takePending(info.isErrorPage()); break;
        case QWebEngineLoadingInfo::LoadStoppedStatus: takePending(false); break;
        }
    });
}

bool BrowsePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    const bool accepted = QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    if (accepted && isMainFrame) pendingUrl_ = url;
    return accepted;
}

void BrowsePage::takePending(bool arrived) {
    if (pendingUrl_.isEmpty()) return;
    const bool changed = arrived && documentUrl_ != pendingUrl_;
    if (arrived) documentUrl_ = pendingUrl_;
    pendingUrl_.clear();
    if (changed) emit documentChanged();
}

void BrowsePage::startAfresh() {
    shown_ = 0;
    stopped_ = false;
}

bool BrowsePage::showsBox() {
    if (boxes_ == AnswerUnseen || stopped_) return false;
    ++shown_;
    return true;
}

QString BrowsePage::offer() const {
    return shown_ > kBoxesBeforeOffer ? QStringLiteral("Don't let this page show more dialogs") : QString();
}

void BrowsePage::noteStop(bool ticked) {
    if (ticked) stopped_ = true;
}

QString BrowsePage::boxTitle() const {
    const QString path = localPagePath(documentUrl_);
    const QString name = path.isEmpty() ? documentUrl_.host() : QFileInfo(path).fileName();
    return name.isEmpty() ? QStringLiteral("The page says") : QStringLiteral("The page %1 says").arg(name);
}

void BrowsePage::javaScriptAlert(const QUrl&, const QString& text) {
    if (!showsBox()) return;
    bool ticked = false;
    foreignMsgBox(text, vbOKOnly, boxTitle(), offer(), &ticked);
    noteStop(ticked);
}

bool BrowsePage::javaScriptConfirm(const QUrl&, const QString& text) {
    const bool leaving = isLeaveQuestion(text);
    // Unasked, a page is left as the user asked, and its own question reads as cancelled.
    if (!showsBox()) return leaving;
    bool ticked = false;
    const int answer = foreignMsgBox(text, leaving ? vbYesNo | vbQuestion : vbOKCancel | vbQuestion, boxTitle(),
                                     offer(), &ticked);
    noteStop(ticked);
    return answer == vbYes || answer == vbOK;
}

bool BrowsePage::javaScriptPrompt(const QUrl&, const QString& text, const QString& defaultValue, QString* result) {
    if (!showsBox()) return false;
    bool ticked = false;
    const std::optional<QString> answer = foreignInputBox(text, boxTitle(), defaultValue, offer(), &ticked);
    noteStop(ticked);
    if (!answer) return false;
    *result = *answer;
    return true;
}

}  // namespace kavrin
