#pragma once
// The design view (an HTML page in editing mode) and the browse view of a document. Both create
// their web engine only when first shown, so a document that never leaves its source costs nothing.
#include <QString>
#include <QWidget>

class QWebEngineView;

namespace kavrin {

class LazyWebView : public QWidget {
    Q_OBJECT
public:
    explicit LazyWebView(QWidget* parent = nullptr);
    // The engine view, created on first call.
    QWebEngineView* view();
    bool hasView() const { return view_ != nullptr; }

protected:
    void showEvent(QShowEvent* event) override;
    virtual void viewCreated() {}

private:
    QWebEngineView* view_ = nullptr;
};

class DhtmlEdit : public LazyWebView {
    Q_OBJECT
public:
    explicit DhtmlEdit(QWidget* parent = nullptr) : LazyWebView(parent) {}
    bool ShowBorders = false;
    bool ShowDetails = false;
    bool UseDivOnCarriageReturn = false;
};

class WebBrowser : public LazyWebView {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr) : LazyWebView(parent) {}
    // Shows a local file (files ending in ".browse" are shown as HTML) or an address.
    void Navigate2(const QString& pathOrUrl);
    QString LocationURL();

signals:
    void NavigateComplete2(const QString& url);

protected:
    void viewCreated() override;
};

}  // namespace kavrin
