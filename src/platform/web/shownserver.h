#pragma once
// Files a page may show but no script of it may read, served over HTTP on the loopback address
// under names of the form "<label>.localhost": to the engine each label is a web origin of its
// own, so its network stack applies the web's rules across origins to what a page of the local
// scheme loads from there: a picture taints a canvas, a style sheet's rules and a script's
// errors are hidden, a frame is opaque, and a fetch or a module finds no leave to share (no
// CORS headers are ever sent). Requests that do not name this server by such a name (another
// program's, a web page's through a name that resolves here) find nothing.
#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

namespace kavrin {

struct ShownAnswer {
    QString file;     // the file to send (a path siteFile or displayFile gave), or
    QByteArray type;  // its content type
    QUrl redirect;    // where the file asked for is shown instead; neither: not found
};

// Decides what a request for `path` (absolute, clean) under `label` gets. Called on this thread.
using ShownDecider = std::function<ShownAnswer(const QString& label, const QString& path)>;

// Starts the server on first use (with `decide`); the address at which `label` shows `path`.
QUrl shownFileUrl(const QString& label, const QString& path, const ShownDecider& decide);
// The label of an address of the server, else "".
QString shownLabel(const QUrl& url);

}  // namespace kavrin
