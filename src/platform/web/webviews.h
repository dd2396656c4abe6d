#pragma once
// What the design view and the browse view share: a web engine view created only when first
// needed (a document that never leaves its source costs nothing), and the ways both are given
// local pages: Browse's from the program's server on the loopback address (shownserver.h), the
// design view's page through a scheme of its own and its pictures from that server. No page is
// given a file address: the engine's file loader would serve it any file of the user's. Served
// so instead, a page reaches its own site alone (pagesite.h), whatever its links, base or
// scripts ask; and a preview copy named "page.htm.browse" renders as HTML, which from a file
// address it would not.
#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>

class QWebEngineView;
class QWebEnginePage;
class QWebEngineProfile;

namespace kavrin {

// Registers the schemes with the engine. It has to happen before the engine's first object is
// created, so start-up calls it; every view calls it again (later calls change nothing).
void registerLocalPageScheme();
// The engine profile every view of the program uses, with the schemes' handler installed.
QWebEngineProfile* localPageProfile();
// Keeps a page that runs its scripts to its own site: what it loads from the user's disk comes
// from there alone (as the scheme's address of its site), and nothing of it is read by a script
// itself (XMLHttpRequest, fetch, workers); pictures, style sheets, scripts and frames of the
// site load as the markup asks. For every page that runs scripts.
void guardPageSite(QWebEnginePage* page);
// For the design view's page, which runs no script: stops early what its handler would refuse.
void guardDesignPage(QWebEnginePage* page);
// Where the open project lies, asked each time a page's site is decided ("" with none).
void setProjectFolderSource(std::function<QString()> source);
// The address a view shows the local file at `path` under, at the server: its site is the page's
// folder tree, or the project's (see pagesite.h); with `alone`, the file itself and nothing else.
QUrl localPageUrl(const QString& path, bool alone = false);
// The address the design view loads the page held under `token` from, as if from `path`, and
// the address of that page's folder at the server, which its relative pictures and style sheets
// are found from.
QUrl designPageUrl(const QString& path, const QString& token);
QUrl designFolderUrl(const QString& path);
// The local path an address of the schemes above (or a file address) stands for, else "".
QString localPagePath(const QUrl& url);
// Serves the file at `copyPath` under the name `shownAs` ("" ends it) to the pages of the site
// `shownAs` lies in, so that a copy kept elsewhere finds its pictures and style sheets in the
// folder of the page it stands for.
void showLocalPageAs(const QString& shownAs, const QString& copyPath);
// Pages held in memory (the opening of the design view's page) are served under a token until
// dropped.
QString holdLocalPage(const QByteArray& html, const QString& oldToken = QString());
void dropLocalPage(const QString& token);
// The character set a page's bytes are shown in: UTF-8 when they are valid UTF-8, else what the
// page itself declares, else Windows-1252 (the encodings the editor reads files in).
QByteArray pageContentType(const QByteArray& bytes);

class LazyWebView : public QWidget {
    Q_OBJECT
public:
    explicit LazyWebView(QWidget* parent = nullptr);
    // The engine view, created on first call.
    QWebEngineView* view();
    bool hasView() const { return view_ != nullptr; }

protected:
    void showEvent(QShowEvent* event) override;
    // Lets a subclass put its own page into the new view before anything loads.
    virtual void viewCreated() {}

private:
    QWebEngineView* view_ = nullptr;
};

}  // namespace kavrin
