#pragma once
// The browse view and the live previews: a web browser control that shows local files (a
// ".browse" preview copy as HTML) and web addresses, with its history commands and the address
// of each page it has come to.
#include <QString>
#include <QUrl>

#include "platform/webviews.h"

namespace kavrin {

class WebBrowser : public LazyWebView {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr);

    // An address as typed: a local path, a file or web address, or a bare host name.
    void Navigate(const QString& address);
    // A local file (files ending in ".browse" are shown as HTML) or an address.
    void Navigate2(const QString& pathOrUrl);
    // Shows the page copy at `copyPath` as if it stood at `shownAs`: its pictures, style sheets
    // and links come from the folder of `shownAs`, and that is the address it reports.
    void showPageCopy(const QString& copyPath, const QString& shownAs);
    void GoBack();
    void GoForward();
    void Stop();
    void Refresh();
    // There is no system home page: home is the first page this browser was sent to.
    void GoHome();
    // The page shown: a local file as its path, anything else as its address.
    QString LocationURL();
    bool canGoBack();
    bool canGoForward();

signals:
    // A page of the main frame has been reached (its address, as LocationURL gives it).
    void NavigateComplete2(const QString& url);

protected:
    void viewCreated() override;

private:
    static QUrl addressOf(const QString& pathOrUrl);
    QString home_;
};

}  // namespace kavrin
