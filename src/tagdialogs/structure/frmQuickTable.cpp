#include "tagdialogs/structure/frmQuickTable.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include "documents/colouring/colorops.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/inserthtml.h"
#include "platform/system/convert.h"
#include "platform/system/screen.h"
#include "platform/files/settingsstore.h"

namespace kavrin {

namespace {

// The grid's one setting; the section's name is spelled so in every store that has it.
const QString kApp = QStringLiteral("Kavrin Pro");
const QString kSection = QStringLiteral("Settigngs");
const QString kKey = QStringLiteral("LabelCells");

// Each cell is 195 twips with a one-pixel border that it shares with its neighbours.
constexpr int kCellTwips = 195;
constexpr int kPitchTwips = kCellTwips - 15;

QColor toQColor(int color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

}  // namespace

QString quickTableHtml(int rows, int cols, bool labelCells, const QString& indent) {
    const QString crlf = QStringLiteral("\r\n");
    QString html = QStringLiteral("<table>") + crlf;
    for (int r = 1; r <= rows; ++r) {
        // Each row's start tag follows the previous row's end tag on its line.
        html += QStringLiteral("<tr>");
        for (int c = 1; c <= cols; ++c) {
            html += crlf + indent + QStringLiteral("<td>");
            if (labelCells) html += QStringLiteral("Cell ") + trimNumber(r) + ',' + trimNumber(c);
            html += QStringLiteral("</td>");
        }
        html += crlf + QStringLiteral("</tr>");
    }
    html += crlf + QStringLiteral("</table>") + crlf;
    return html;
}

// ---- The grid ---------------------------------------------------------------------------------

QuickTableGrid::QuickTableGrid(QWidget* parent) : QWidget(parent), colors_(kCells * kCells, -1) {
    setObjectName(QStringLiteral("lblCell"));
    setMouseTracking(true);
    const int side = twipsToPixels(kCells * kPitchTwips + 15);
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
}

int QuickTableGrid::cellAt(const QPoint& point) const {
    const int pitch = twipsToPixels(kPitchTwips);
    if (point.x() < 0 || point.y() < 0) return -1;
    const int col = qMin(point.x() / pitch, kCells - 1);
    const int row = qMin(point.y() / pitch, kCells - 1);
    if (point.x() >= width() || point.y() >= height()) return -1;
    return row * kCells + col;
}

QPoint QuickTableGrid::cellCenter(int k) const {
    const int pitch = twipsToPixels(kPitchTwips);
    return {(k % kCells) * pitch + pitch / 2, (k / kCells) * pitch + pitch / 2};
}

void QuickTableGrid::setCellColor(int k, int color) {
    if (k < 0 || k >= colors_.size() || colors_[k] == color) return;
    colors_[k] = color;
    update();
}

void QuickTableGrid::resetColors() {
    colors_.fill(-1);
    update();
}

void QuickTableGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int pitch = twipsToPixels(kPitchTwips);
    const int cell = twipsToPixels(kCellTwips);
    const QColor background = palette().color(QPalette::Base);
    for (int k = 0; k < colors_.size(); ++k) {
        const QRect r((k % kCells) * pitch, (k / kCells) * pitch, cell, cell);
        p.fillRect(r, colors_[k] < 0 ? background : toQColor(colors_[k]));
        p.setPen(Qt::black);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void QuickTableGrid::mouseMoveEvent(QMouseEvent* event) {
    const int k = cellAt(event->position().toPoint());
    if (k >= 0) emit lblCell_MouseMove(k);
}

void QuickTableGrid::mouseReleaseEvent(QMouseEvent* event) {
    const int k = cellAt(event->position().toPoint());
    if (k < 0) return;
    // The block follows the pointer to the cell it is released on.
    emit lblCell_MouseMove(k);
    emit lblCell_MouseUp(k);
}

// ---- The window -------------------------------------------------------------------------------

frmQuickTable::frmQuickTable(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmQuickTable"));
    // A pop-up under its toolbar button, with neither title bar nor frame buttons.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setCaption(QStringLiteral("Quick Table"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 2);
    layout->setSpacing(2);
    lblCaption = new QLabel(windowTitle(), this);
    lblCaption->setObjectName(QStringLiteral("lblCaption"));
    lblCaption->setAlignment(Qt::AlignCenter);
    lblCaption->setAutoFillBackground(true);
    QPalette captionPalette = lblCaption->palette();
    captionPalette.setColor(QPalette::Window, captionPalette.color(QPalette::Active, QPalette::Highlight));
    captionPalette.setColor(QPalette::WindowText, captionPalette.color(QPalette::Active, QPalette::HighlightedText));
    lblCaption->setPalette(captionPalette);
    QFont captionFont = lblCaption->font();
    captionFont.setBold(true);
    lblCaption->setFont(captionFont);
    layout->addWidget(lblCaption);
    connect(this, &QWidget::windowTitleChanged, lblCaption, &QLabel::setText);
    lblCell = new QuickTableGrid(this);
    layout->addWidget(lblCell);
    chkLabelCells = new QCheckBox(QStringLiteral("&Label Cells"), this);
    chkLabelCells->setObjectName(QStringLiteral("chkLabelCells"));
    layout->addWidget(chkLabelCells, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(lblCell, &QuickTableGrid::lblCell_MouseMove, this, &frmQuickTable::lblCell_MouseMove);
    connect(lblCell, &QuickTableGrid::lblCell_MouseUp, this, &frmQuickTable::lblCell_MouseUp);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusLeft(now); });
    // A click elsewhere in the program dismisses the grid too, even where the click takes no focus.
    qApp->installEventFilter(this);
}

void frmQuickTable::Form_Load() {
    lblCell->resetColors();
    lastCellIndex = -1;
    const std::optional<int> stored = cint(getSetting(kApp, kSection, kKey, QStringLiteral("0")));
    chkLabelCells->setChecked(stored.value_or(0) == 1);
}

void frmQuickTable::lblCell_MouseMove(int k) {
    if (k == lastCellIndex || k < 0 || k >= QuickTableGrid::kCells * QuickTableGrid::kCells) return;
    constexpr int n = QuickTableGrid::kCells;
    quickRows = k / n + 1;
    quickCols = k % n + 1;
    setCaption(trimNumber(quickRows) + QStringLiteral(" x ") + trimNumber(quickCols));
    for (int i = 0; i < n * n; ++i)
        lblCell->setCellColor(i, i / n < quickRows && i % n < quickCols ? kMarked : kUnmarked);
    lastCellIndex = k;
}

void frmQuickTable::lblCell_MouseUp(int) {
    if (inserting_ || isUnloading()) return;
    inserting_ = true;
    setBusy(true);
    const QString html = quickTableHtml(quickRows, quickCols, chkLabelCells->isChecked(), indentText);
    insertHtml(html, QString(), QString(), 1);
    QPointer<frmQuickTable> self(this);
    unload();
    setBusy(false);
    // Typing goes on in the page, whose window the grid had taken the activation from.
    if (DocumentWindow* doc = activeDocument()) {
        doc->txtMain->window()->activateWindow();
        doc->txtMain->setFocus();
    }
    if (self) inserting_ = false;
}

void frmQuickTable::focusLeft(QWidget* now) {
    if (!now || !isLoaded() || isUnloading() || inserting_) return;
    if (now->window() == this) return;
    unload();
}

bool frmQuickTable::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType())
        focusLeft(static_cast<QWidget*>(watched));
    return false;
}

void frmQuickTable::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        unload();
        return;
    }
    Form::keyPressEvent(event);
}

void frmQuickTable::paintEvent(QPaintEvent* event) {
    Form::paintEvent(event);
    // Without a frame of the window manager's, the pop-up draws its own edge.
    QPainter p(this);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void frmQuickTable::Form_Unload(int& cancel) {
    (void)cancel;
    saveSetting(kApp, kSection, kKey, chkLabelCells->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace kavrin
