#include "tagdialogs/frmColor.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "documents/colouring/colorops.h"
#include "platform/forms/dialogsize.h"
#include "platform/system/screen.h"
#include "tagdialogs/tagdialog.h"

namespace kavrin {

namespace {

constexpr int kLevels[6] = {0, 51, 102, 153, 204, 255};
constexpr int kPitch = 180;    // twips from one box to the next
constexpr int kBoxSize = 185;  // twips a box is drawn over
constexpr int kHitSize = 195;  // twips a box answers to
constexpr int kPerRow = 18;
constexpr int kLastWhiteLabel = 130;  // the code reads in white up to this box, in black after it

QRect twipRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

QColor qcolor(int color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

}  // namespace

QVector<PaletteEntry> webSafePalette() {
    QVector<PaletteEntry> entries;
    entries.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                const int k = int(entries.size());  // 0-based
                entries.push_back({(k % kPerRow) * kPitch, (k / kPerRow) * kPitch,
                                   kLevels[r] | (kLevels[g] << 8) | (kLevels[b] << 16)});
            }
    return entries;
}

int paletteEntryAt(int xTwips, int yTwips) {
    static const QVector<PaletteEntry> entries = webSafePalette();
    for (int k = 0; k < entries.size(); ++k) {
        const PaletteEntry& e = entries[k];
        if (e.x <= xTwips && xTwips < e.x + kHitSize && e.y <= yTwips && yTwips < e.y + kHitSize) return k + 1;
    }
    return 0;
}

frmColor::frmColor(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmColor"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setCaption(QStringLiteral("Web-Safe Color Palette"));

    lblColor = new QLabel(this);
    lblColor->setFrameStyle(QFrame::Box | QFrame::Plain);
    lblColor->setAutoFillBackground(true);
    lblColor->setGeometry(twipRect(0, 2220, 3255, 465));
    // Clicks on the swatch are the swatch's own, not the grid's.
    lblColor->setAttribute(Qt::WA_NoMousePropagation);

    lblHex = new QLabel(QStringLiteral("000000"), this);
    lblHex->setAlignment(Qt::AlignCenter);
    lblHex->setGeometry(twipRect(0, 2325, 3255, 255));
    lblHex->setAttribute(Qt::WA_NoMousePropagation);

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setGeometry(twipRect(0, 2760, 1005, 345));
    cmdOther = new QPushButton(QStringLiteral("&Other"), this);
    cmdOther->setGeometry(twipRect(1125, 2760, 1005, 345));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setGeometry(twipRect(2250, 2760, 1005, 345));
    const int contentWidth = twipsToPixels(3270);
    const int width = qMax(contentWidth, titleFitWidth(windowTitle()));
    inset_ = (width - contentWidth) / 2;
    setFixedSize(width, twipsToPixels(3180));
    for (QWidget* child : {static_cast<QWidget*>(lblColor), static_cast<QWidget*>(lblHex),
                           static_cast<QWidget*>(cmdOk), static_cast<QWidget*>(cmdOther),
                           static_cast<QWidget*>(cmdCancel)})
        child->move(child->x() + inset_, child->y());
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdOther, &QPushButton::clicked, this, [this] { cmdOther_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmColor::pick(int startColor) {
    auto* picker = new frmColor(dialogOwner());
    picker->startColor = startColor;
    runModal(picker);
}

void frmColor::buildPalette() {
    palette_ = webSafePalette();
    selected_ = 1;
}

void frmColor::showSwatch(int color) {
    swatch_ = color & 0xFFFFFF;
    QPalette p = lblColor->palette();
    p.setColor(QPalette::Window, qcolor(swatch_));
    lblColor->setPalette(p);
    lblHex->setText(colorToHex(QString::number(swatch_)));
}

void frmColor::Form_Load() {
    accepted_ = false;
    buildPalette();
    QColor text = Qt::white;
    if (startColor < 0) {
        showSwatch(palette_[0].color);
    } else {
        // The caller's colour; its box is marked when it is one of the grid's.
        showSwatch(startColor);
        selected_ = -1;
        for (int k = 0; k < palette_.size(); ++k)
            if (palette_[k].color == swatch_) selected_ = k + 1;
        if (selected_ > kLastWhiteLabel || (selected_ < 0 && qcolor(swatch_).lightness() > 140)) text = Qt::black;
    }
    QPalette p = lblHex->palette();
    p.setColor(QPalette::WindowText, text);
    lblHex->setPalette(p);
}

void frmColor::paintEvent(QPaintEvent* event) {
    Form::paintEvent(event);
    QPainter painter(this);
    painter.translate(inset_, 0);
    const QColor outline = palette().color(QPalette::WindowText);
    auto box = [](const PaletteEntry& e) {
        return QRect(twipsToPixels(e.x), twipsToPixels(e.y), twipsToPixels(kBoxSize), twipsToPixels(kBoxSize));
    };
    for (const PaletteEntry& e : palette_) {
        painter.setPen(outline);
        painter.setBrush(qcolor(e.color));
        painter.drawRect(box(e));
    }
    if (selected_ >= 1 && selected_ <= palette_.size()) {
        painter.setPen(Qt::white);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box(palette_[selected_ - 1]));
    }
}

void frmColor::Form_MouseDown(int x, int y) {
    const int k = paletteEntryAt(pixelsToTwips(x), pixelsToTwips(y));
    if (k == 0) return;
    selected_ = k;
    showSwatch(palette_[k - 1].color);
    QPalette p = lblHex->palette();
    p.setColor(QPalette::WindowText, k <= kLastWhiteLabel ? Qt::white : Qt::black);
    lblHex->setPalette(p);
    update();
}

void frmColor::Form_DblClick() { cmdOk_Click(); }

void frmColor::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    Form_MouseDown(at.x() - inset_, at.y());
    event->accept();
}

void frmColor::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    Form_DblClick();
}

void frmColor::cmdOk_Click() {
    winColor = QString::number(swatch_);
    hexColor = colorToHex(winColor);
    accepted_ = true;
    unload();
}

void frmColor::cmdCancel_Click() {
    hexColor.clear();
    winColor.clear();
    unload();
}

void frmColor::cmdOther_Click() {
    cdlColor.owner = this;
    cdlColor.color = swatch_;
    cdlColor.flags = cdlCCRGBInit;
    if (!cdlColor.showColor()) return;
    showSwatch(cdlColor.color);
    selected_ = -1;
    update();
}

void frmColor::Form_Unload(int& cancel) {
    (void)cancel;
    // However the window goes without OK (Cancel, its frame, the program ending), nothing was
    // chosen: a caller must never take the previous showing's colour for a new choice.
    if (!accepted_) {
        hexColor.clear();
        winColor.clear();
    }
}

void frmColor::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(
        event,
        [this] {
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
            else cmdOk_Click();
        },
        [this] { cmdCancel_Click(); });
}

}  // namespace kavrin
