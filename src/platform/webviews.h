#pragma once
// What the design view and the browse view share: a web engine view created only when first
// needed (a document that never leaves its source costs nothing), and the "kvpage" scheme
// through which both show local pages. Chromium takes a file's type from its name, so a preview
// copy named "page.htm.browse" would not render as HTML from a file address; served through
// this scheme it does, and so do the pictures and style sheets it names relative to itself.
#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QWidget>

class QWebEngineView;
class QWebEnginePage;
class QWebEngineProfile;

namespace kavrin {

// Registers the scheme with the engine. It has to happen before the engine's first object is
// created, so start-up calls it; every view calls it again (later calls change nothing).
void registerLocalPageScheme();
// The engine profile every view of the program uses, with the scheme's handler installed.
QWebEngineProfile* localPageProfile();
// Refuses a page's own scripts what they ask of local files (XMLHttpRequest, fetch, workers);
// what the page's markup loads goes on. For every page that runs its scripts.
void blockLocalReadsByScripts(QWebEnginePage* page);
// The scheme's address of a local file, and back (empty when the address is not a local one).
// The scheme serves a page's own folder tree, and only the folders of pages given an address.
QUrl localPageUrl(const QString& path, const QString& query = QString());
// The address the design view loads the page held under `token` from, as if from `path`.
QUrl designPageUrl(const QString& path, const QString& token);
QString localPagePath(const QUrl& url);
// Serves the file at `copyPath` under the scheme's address of `shownAs` ("" ends it), so that a
// copy kept elsewhere finds its pictures and style sheets in the folder of the page it stands for.
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
