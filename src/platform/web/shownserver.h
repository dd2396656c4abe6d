#pragma once
// The program's server on the loopback address, over HTTP, under names of the form
// "<label>.localhost": to the engine each label is a web origin of its own. A label is either a
// site's (webviews.cpp: the pages Browse, the previews and printing show, with what of their
// site they load), or a file a site's page may show but no script of it may read: for the
// latter the engine's network stack applies the web's rules across origins to what a site's
// page loads from there: a picture taints a canvas, a style sheet's rules and a script's errors
// are hidden, a frame is opaque, and a fetch or a module finds no leave to share (no CORS headers
// are ever sent). Requests that do not name this server by such a name (another program's, a web
// page's through a name that resolves here) find nothing. Files go out in pieces as the
// connection takes them, never read whole.
#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

namespace kavrin {

struct ShownAnswer {
    QString file;     // the file to send (a path siteFile or displayFile gave), or
    QByteArray type;  // its content type
    QUrl redirect;    // where the file asked for is shown instead; neither: not found
    bool own = false; // a file of the site the label names, sent as a site's own server sends it
    QByteArray sharedWith;  // the one origin besides the label's own that may read it, if any
};

// Decides what a request for `path` (absolute, clean) under `label` gets; `foreign` when the
// engine says a page of another origin asks for it other than as a page of its own (a picture,
// a frame, a script). Called on this thread.
using ShownDecider = std::function<ShownAnswer(const QString& label, const QString& path, bool foreign)>;

// Starts the server on first use (with `decide`); the address at which `label` shows `path`.
QUrl shownFileUrl(const QString& label, const QString& path, const ShownDecider& decide);
// The label of an address of the server, else "".
QString shownLabel(const QUrl& url);

}  // namespace kavrin
