#include "mainwindow/toolbararea.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "mainwindow/colorbar.h"
#include "mainwindow/tagbuttons.h"
#include "platform/forms/toolbar.h"

// The program's own button pictures live in a library, where nothing refers to them by name.
static void initButtonPictures() { Q_INIT_RESOURCE(icons); }

namespace kavrin {

namespace {

// The 3-D edges of the area and its headers.
const QColor kWhite(255, 255, 255);
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kGrey(0x80, 0x80, 0x80);

constexpr int kHeaderHeight = 22;
// From the top edge to the headers, from the headers to the tag toolbars, and from the main
// toolbars' separator to the headers' first pixel.
constexpr int kHeaderTop = 6;
constexpr int kRowGap = 2;
constexpr int kHeaderLeft = 4;

// The colour, alignment and list buttons; beside the colour bar only the first one shows, the
// others belong to the design view.
struct ColorButton {
    const char* key;
    const char* toolTip;
    const char* icon;
};
const ColorButton kColorButtons[] = {
    {"color", "Select Color", "color-select"},         {"left", "Align Left", "format-justify-left"},
    {"center", "Align Center", "format-justify-center"}, {"right", "Align Right", "format-justify-right"},
    {"ul", "Bulleted List", "view-list-bullet"},        {"ol", "Numbered List", "view-list-ordered"},
};

}  // namespace

const QVector<TagTabInfo>& tagTabInfos() {
    static const QVector<TagTabInfo> infos{
        {"Basic", "Basic Tags", 54},   {"Text", "Text Formatting Tags", 45}, {"List", "List Tags", 29},
        {"Form", "Form Tags", 36},     {"Table", "Table Tags", 40},          {"Frame", "Frame Tags", 42},
        {"Advanced", "Advanced Tags", 63}, {"Color", "Color Toolbar", 36},
    };
    return infos;
}

// ---- Headers -------------------------------------------------------------------------------------

TagTab::TagTab(int index, const QString& label, const QString& toolTip, int designedWidth, QWidget* parent)
    : QWidget(parent), index_(index), label_(label) {
    setObjectName(QStringLiteral("picTab"));
    setToolTip(toolTip);
    setAttribute(Qt::WA_Hover);
    QFont f = font();
    f.setPointSizeF(qMax(6.5, f.pointSizeF() - 1));
    setFont(f);
    // Bold is what the chosen header shows, so that is what must fit.
    QFont bold = f;
    bold.setBold(true);
    const int needed = QFontMetrics(bold).horizontalAdvance(label_) + 10;
    setFixedSize(qMax(designedWidth, needed), kHeaderHeight);
}

void TagTab::setSelected(bool on) {
    if (selected_ == on) return;
    selected_ = on;
    update();
}

void TagTab::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    if (isRaised()) {
        p.setPen(kWhite);
        p.drawLine(0, 1, 0, h - 1);
        p.drawLine(1, 0, w - 3, 0);
        p.setPen(kSilver);
        p.drawLine(0, h - 1, w - 1, h - 1);
        p.setPen(kGrey);
        p.drawLine(w - 1, 1, w - 1, h - 2);
    } else {
        p.setPen(kWhite);
        p.drawLine(0, h - 1, w - 1, h - 1);
    }
    QFont f = font();
    f.setBold(selected_);
    p.setFont(f);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(QRect(1, 1, w - 2, h - 3), Qt::AlignCenter, label_);
}

void TagTab::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit MouseDown(index_);
}

void TagTab::enterEvent(QEnterEvent*) {
    hot_ = true;
    update();
}

void TagTab::leaveEvent(QEvent*) {
    hot_ = false;
    update();
}

// ---- The area ------------------------------------------------------------------------------------

ToolbarArea::ToolbarArea(QWidget* parent) : QWidget(parent) {
    static const bool pictures = (initButtonPictures(), true);
    (void)pictures;
    setObjectName(QStringLiteral("picTools"));
    auto* layout = new QHBoxLayout(this);
    // Room for the two edge lines at the top and the separator right of the main toolbars.
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);

    mainColumn_ = new QWidget(this);
    // The main toolbars keep every button whatever the view's rows beside them need.
    mainColumn_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    mainColumnLayout_ = new QVBoxLayout(mainColumn_);
    mainColumnLayout_->setContentsMargins(0, 0, 0, 0);
    mainColumnLayout_->setSpacing(2);
    layout->addWidget(mainColumn_, 0, Qt::AlignTop);

    views_ = new QStackedWidget(this);
    layout->addWidget(views_, 0, Qt::AlignTop);
    // Right of the rows, level with their second row: the colour buttons, which serve the edit
    // view's colour bar and the design view alike.
    besideRows_ = new QVBoxLayout();
    besideRows_->setContentsMargins(0, kHeaderTop + kHeaderHeight + kRowGap, 0, 0);
    layout->addLayout(besideRows_);
    layout->addStretch(1);

    tagRows_ = new QWidget(views_);
    tagRows_->setObjectName(QStringLiteral("tagRows"));
    auto* rows = new QVBoxLayout(tagRows_);
    rows->setContentsMargins(kHeaderLeft, kHeaderTop, 0, 0);
    rows->setSpacing(kRowGap);
    headerStrip_ = new QWidget(tagRows_);
    headerRow_ = new QHBoxLayout(headerStrip_);
    headerRow_->setContentsMargins(0, 0, 0, 0);
    headerRow_->setSpacing(0);
    rows->addWidget(headerStrip_);
    toolbarRow_ = new QHBoxLayout();
    toolbarRow_->setContentsMargins(-1, 0, 0, 0);
    toolbarRow_->setSpacing(0);
    rows->addLayout(toolbarRow_);
    rows->addStretch(1);
    views_->addWidget(tagRows_);
}

void ToolbarArea::setMainToolbars(QWidget* upper, QWidget* lower) {
    upper_ = upper;
    mainColumnLayout_->addWidget(upper);
    mainColumnLayout_->addWidget(lower);
}

ToolbarArea::TagRowParts ToolbarArea::buildTagRows() {
    TagRowParts parts;
    const QVector<TagTabInfo>& headers = tagTabInfos();
    for (int i = 0; i < headers.size(); ++i) {
        auto* tab = new TagTab(i, QString::fromLatin1(headers[i].label), QString::fromLatin1(headers[i].toolTip),
                               headers[i].width, tagRows_);
        headerRow_->addWidget(tab);
        parts.headers << tab;
    }
    headerRow_->addStretch(1);

    for (const TagToolbarInfo& info : tagToolbarInfos()) {
        auto* toolbar = new Toolbar(QString::fromLatin1(info.name), tagRows_);
        for (const TagButton& b : info.buttons) {
            QAction* action = toolbar->addButton(QString::fromLatin1(b.key), QString::fromLatin1(b.toolTip),
                                                 QString::fromLatin1(b.icon));
            action->setEnabled(tagButtonAvailable(b));
        }
        toolbar->hide();
        toolbarRow_->addWidget(toolbar);
        parts.toolbars << toolbar;
    }

    parts.colorBar = new ColorBar(tagRows_);
    // As high as the toolbars, so that its squares line up with their buttons.
    if (!parts.toolbars.isEmpty()) parts.colorBar->setFixedHeight(parts.toolbars.first()->sizeHint().height());
    parts.colorBar->hide();
    toolbarRow_->addWidget(parts.colorBar);

    parts.colorButtons = new Toolbar(QStringLiteral("tbrColor"), this);
    for (const ColorButton& b : kColorButtons) {
        // Alignment and lists show the design selection's state, so they hold a check.
        const bool state = qstrcmp(b.key, "color") != 0;
        QAction* action = parts.colorButtons->addButton(QString::fromLatin1(b.key), QString::fromLatin1(b.toolTip),
                                                        QString::fromLatin1(b.icon), state);
        if (state) {
            action->setVisible(false);
            action->setEnabled(false);
        }
    }
    parts.colorButtons->hide();
    // All its buttons show where it stands, never folded behind an extension arrow.
    parts.colorButtons->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    besideRows_->addWidget(parts.colorButtons);
    colorButtons_ = parts.colorButtons;
    colorHolder_ = besideRows_;
    besideRows_->addStretch(1);
    toolbarRow_->addStretch(1);
    return parts;
}

void ToolbarArea::addViewRows(QWidget* rows) {
    if (!rows || views_->indexOf(rows) >= 0) return;
    views_->addWidget(rows);
    // Rows not shown take no room, so the colour buttons stand right beside the shown ones.
    if (views_->currentWidget() != rows) rows->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

void ToolbarArea::showViewRows(QWidget* rows) {
    if (!rows) rows = tagRows_;
    addViewRows(rows);
    for (int i = 0; i < views_->count(); ++i) {
        QWidget* page = views_->widget(i);
        if (page == rows) page->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        else page->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    }
    views_->setCurrentWidget(rows);
    views_->updateGeometry();
    update();
}

QWidget* ToolbarArea::shownViewRows() const { return views_->currentWidget(); }

void ToolbarArea::holdColorButtons(QBoxLayout* row, int index) {
    if (!colorButtons_) return;
    QBoxLayout* target = row ? row : besideRows_;
    if (!row) index = 0;
    if (target == colorHolder_) return;
    const bool shown = colorButtons_->isVisibleTo(this);
    colorHolder_->removeWidget(colorButtons_);
    target->insertWidget(index, colorButtons_);
    colorHolder_ = target;
    colorButtons_->setVisible(shown);
}

void ToolbarArea::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    // Along the top edge.
    p.setPen(kGrey);
    p.drawLine(0, 0, w - 1, 0);
    p.setPen(kWhite);
    p.drawLine(0, 1, w - 1, 1);

    // Between the main toolbars, and right of them.
    const QRect column = mainColumn_->geometry();
    if (upper_) {
        const int y = column.top() + upper_->geometry().bottom() + 1;
        p.setPen(kGrey);
        p.drawLine(0, y, column.right(), y);
        p.setPen(kWhite);
        p.drawLine(0, y + 1, column.right(), y + 1);
    }
    const int x = column.right() + 1;
    p.setPen(kGrey);
    p.drawLine(x, 2, x, h - 1);
    p.setPen(kWhite);
    p.drawLine(x + 1, 2, x + 1, h - 1);

    // Under the header row, carrying on the headers' own bottom line.
    if (views_->currentWidget() == tagRows_) {
        const int y = views_->geometry().top() + tagRows_->geometry().top() + headerStrip_->geometry().bottom();
        p.setPen(kWhite);
        p.drawLine(x + 2, y, w - 1, y);
    }
}

}  // namespace kavrin
