#pragma once
// The browser chooser: a borderless pop-up under the main toolbar's browser button listing the four
// configured browsers. The row under the mouse is highlighted; a click on a row closes the pop-up
// and previews the active document in that browser; a click anywhere else only closes it.
#include <QLabel>
#include <QTimer>
#include <QVector>

#include "platform/forms/form.h"

namespace kavrin {

class frmBrowsers : public Form {
    Q_OBJECT
public:
    explicit frmBrowsers(QWidget* parent = nullptr);

    QVector<QWidget*> picBrowser;  // 0 to 3, one row each
    QVector<QLabel*> lblBrowser;   // the browser's name inside each row
    QTimer* tmrCursorPos = nullptr;
    // The highlighted row, -1 when none.
    int hoverIndex = -1;

    void picBrowser_MouseMove(int index);
    void lblBrowser_MouseMove(int index) { picBrowser_MouseMove(index); }
    void picBrowser_Click(int index);
    void lblBrowser_Click(int index) { picBrowser_Click(index); }
    void tmrCursorPos_Timer();

    // Where the pop-up goes: under the widget (the toolbar button) when given, else at the fixed
    // offsets from the main window's corner.
    static QPoint placeUnder(const QWidget* anchor);
    // Row colours, for what the user sees.
    static QColor highlightBack() { return QColor(0x00, 0x00, 0x80); }
    QColor rowBack(int index) const;
    QColor labelColor(int index) const;

    // Shows the one chooser (a new one each time: nothing is kept between uses).
    static frmBrowsers* showChooser(const QWidget* anchor);

protected:
    void Form_Load() override;
    void Form_Deactivate() override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setRowColors(int index, const QColor& back, const QColor& text);
    QPoint anchorPos_;
    bool anchored_ = false;
    bool choosing_ = false;
};

}  // namespace kavrin
