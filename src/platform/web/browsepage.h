#pragma once
// The page of a view that runs a page's own scripts (Browse, the previews, printing), which
// keeps what those scripts cannot be trusted with: the boxes they ask for, and the address of
// the document shown.
//
// The engine asks for a script's box (alert, confirm, prompt, the question before a page is
// left) in a call that must return the answer, so each is a modal box, as every box of the
// program is. A page that asks for box after box would keep the person in them: from its third
// box since it was loaded, each box offers to stop the page's boxes, and once that is chosen
// they are answered at once without showing (an alert goes on, confirm and prompt read as
// cancelled, the page may be left) until the view is sent to a page anew (startAfresh). A page
// that sends the view on by itself (a link, a new location, a reload) keeps count and stop: a
// script that could start afresh could keep the person in its boxes for good. A page printed is
// never seen, and its boxes are answered so from the first.
#include <QUrl>
#include <QWebEnginePage>

namespace kavrin {

class BrowsePage : public QWebEnginePage {
    Q_OBJECT
public:
    enum Boxes { AskTheUser, AnswerUnseen };
    BrowsePage(QWebEngineProfile* profile, Boxes boxes, QObject* parent = nullptr);

    // The address the document shown was loaded from. A script may change the page's address
    // (history.pushState, replaceState, a new fragment) to any of its own origin's; this one it
    // cannot.
    QUrl documentUrl() const { return documentUrl_; }
    // The view is being sent to a page (by the user, or the program for the user): its boxes are
    // shown again, counted from the first.
    void startAfresh();

signals:
    // Another document has come (documentUrl changed): its address may have shown before.
    void documentChanged();

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl& origin, const QString& text) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& text) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& text, const QString& defaultValue,
                          QString* result) override;

private:
    // Whether the next box is shown at all; counts it when it is.
    bool showsBox();
    // Takes the answer to whether the boxes stop from here on.
    void noteStop(bool ticked);
    QString offer() const;
    QString boxTitle() const;
    // The document the last navigation asked for has come, or (`arrived` false) none will.
    void takePending(bool arrived);

    const Boxes boxes_;
    QUrl documentUrl_;
    QUrl pendingUrl_;  // asked for by a navigation of the main frame, not yet come
    int shown_ = 0;  // boxes shown since the view was sent to a page
    bool stopped_ = false;
};

}  // namespace kavrin
