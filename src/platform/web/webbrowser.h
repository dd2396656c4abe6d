#pragma once
// The browse view and the live previews: a web browser control that shows local files (a
// ".browse" preview copy as HTML) with their sites (webviews.h) and web addresses, with its
// history commands and the address of each page it has come to.
#include <QString>
#include <QUrl>

#include "platform/web/webviews.h"

namespace kavrin {

class BrowsePage;

class WebBrowser : public LazyWebView {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr);
    ~WebBrowser() override;

    // An address as typed: a local path (a "#" and a name after it, a place in the file), a file
    // or web address, or a bare host name.
    void Navigate(const QString& address);
    // A local file (files ending in ".browse" are shown as HTML) or an address.
    void Navigate2(const QString& pathOrUrl);
    // Shows the page copy at `copyPath` as the page at `shownAs` (the page it is a copy of): its
    // pictures, style sheets and links come from the folder of `shownAs`, that is the address it
    // reports, and a link of its site to that page (to itself, say) shows the copy too, until
    // endPageCopy.
    void showPageCopy(const QString& copyPath, const QString& shownAs);
    void endPageCopy();
    // Shows a page the program wrote for itself (an untitled page's copy, a preview), which loads
    // nothing else from the disk.
    void showWorkPage(const QString& path);
    void GoBack();
    void GoForward();
    void Stop();
    void Refresh();
    // There is no system home page: home is the first page this browser was sent to.
    void GoHome();
    // The page shown: a local file as its path (with the place in it the address names), anything
    // else as its address.
    QString LocationURL();
    bool canGoBack();
    bool canGoForward();

signals:
    // A page of the main frame has been reached (its address, as LocationURL gives it).
    void NavigateComplete2(const QString& url);
    // The engine's page process ended (killed, out of memory, a crash): the view shows nothing
    // until it is sent to a page again.
    void pageProcessEnded();

protected:
    void viewCreated() override;

private:
    static QUrl addressOf(const QString& pathOrUrl);
    void showAddress(const QUrl& url);
    BrowsePage* page_ = nullptr;
    QString home_;
    QString copyShownAs_;
};

}  // namespace kavrin
