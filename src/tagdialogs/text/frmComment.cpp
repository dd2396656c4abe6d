#include "tagdialogs/text/frmComment.h"

#include <QEvent>
#include <QVBoxLayout>

#include "documents/documentwindow.h"
#include "documents/editorevents.h"
#include "documents/globals.h"
#include "documents/inserthtml.h"
#include "mainwindow/mainsettings.h"
#include "mainwindow/mdiMain.h"
#include "platform/system/screen.h"
#include "platform/files/settingsstore.h"

namespace kavrin {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
constexpr int kMinWidth = 10;
constexpr int kMaxWidth = 200;
constexpr int kStep = 5;
// Narrower boxes are made this wide, whatever the field says.
constexpr int kOutputMinWidth = 25;

QString equals(int n) { return QString(qMax(0, n), QLatin1Char('=')); }

QString selectionOfActiveDocument() {
    DocumentWindow* doc = activeDocument();
    return doc ? doc->txtMain->selText() : QString();
}
}  // namespace

CommentParts buildComment(int style, const QString& text, int width, bool upper) {
    CommentParts parts{QStringLiteral("<!--"), QString(), QString()};
    const int w = width;
    if (style == 3) {
        parts.text = text;
        // A text wider than the banner gets no "=" rather than a negative count.
        const int n = qMax(0, (w - int(text.size())) / 2);
        parts.start += equals(n);
        parts.end = equals(n);
    } else if (style == 2) {
        parts.start += equals(w - 4);
        parts.end = equals(w - 3);
        if (text.size() > w) {
            QString rest = text;
            QString lines;
            while (rest.size() > w) {
                const int blank = int(rest.left(w).lastIndexOf(QLatin1Char(' ')));
                const int p = blank >= 0 ? blank + 1 : w;
                lines += kCrLf + rest.left(p);
                rest = rest.mid(p);
            }
            parts.text = lines + kCrLf + rest;
        } else {
            parts.start += kCrLf + QString(qMax(0, (w - int(text.size())) / 2), QLatin1Char(' '));
            parts.text = text;
        }
        parts.end = kCrLf + parts.end;
    } else {
        parts.text = text;
    }
    parts.end += QStringLiteral("-->");
    if (upper) parts.text = parts.text.toUpper();
    return parts;
}

frmComment::frmComment(QWidget* parent) : TagDialog(QStringLiteral("!--"), QStringLiteral("Comment"), parent) {
    setObjectName(QStringLiteral("frmComment"));
    const TabbedArea area = addTabbedArea();
    tbsMain = area.tabs;
    styles_ = new QButtonGroup(this);

    auto* basicPage = new QWidget(area.content);
    auto* basic = new QGridLayout(basicPage);
    optStyle[0] = new QRadioButton(basicPage);
    fraMain[0] = new QFrame(basicPage);
    fraMain[0]->setFrameShape(QFrame::Box);
    Label2 = new QLabel(QStringLiteral("<!-- Selected Text -->"), fraMain[0]);
    Label2->setTextFormat(Qt::PlainText);
    Label2->installEventFilter(this);
    (new QVBoxLayout(fraMain[0]))->addWidget(Label2);
    basic->addWidget(optStyle[0], 0, 0, Qt::AlignTop);
    basic->addWidget(fraMain[0], 0, 1);
    basic->setRowStretch(1, 1);
    // The sample takes the place of the Advanced page's first box, beside its option button,
    // rather than floating off to the right of it.
    basic->setColumnStretch(1, 1);

    auto* advancedPage = new QWidget(area.content);
    auto* advanced = new QGridLayout(advancedPage);
    optStyle[1] = new QRadioButton(advancedPage);
    fraMain[2] = new QFrame(advancedPage);
    fraMain[2]->setFrameShape(QFrame::Box);
    lblBeginComment = new QLabel(QStringLiteral("<!--") + equals(40), fraMain[2]);
    txtStyleA = new QLineEdit(fraMain[2]);
    lblEndComment = new QLabel(equals(40) + QStringLiteral("-->"), fraMain[2]);
    auto* boxLayout = new QVBoxLayout(fraMain[2]);
    for (QWidget* w : {static_cast<QWidget*>(lblBeginComment), static_cast<QWidget*>(txtStyleA),
                       static_cast<QWidget*>(lblEndComment)})
        boxLayout->addWidget(w);
    optStyle[2] = new QRadioButton(advancedPage);
    fraMain[1] = new QFrame(advancedPage);
    fraMain[1]->setFrameShape(QFrame::Box);
    lblBegin2 = new QLabel(QStringLiteral("<!--=="), fraMain[1]);
    txtStyleB = new QLineEdit(fraMain[1]);
    lblEnd2 = new QLabel(QStringLiteral("==-->"), fraMain[1]);
    auto* bannerLayout = new QHBoxLayout(fraMain[1]);
    bannerLayout->addWidget(lblBegin2);
    bannerLayout->addWidget(txtStyleB, 1);
    bannerLayout->addWidget(lblEnd2);
    for (QLabel* label : {lblBeginComment, lblEndComment, lblBegin2, lblEnd2}) label->setTextFormat(Qt::PlainText);
    chkUCase = new QCheckBox(QStringLiteral("Uppercase commented text"), advancedPage);
    lblWidth = new QLabel(QStringLiteral("Comment width"), advancedPage);
    txtWidth = new QLineEdit(advancedPage);
    txtWidth->setMaximumWidth(twipsToPixels(700));
    setDigitsOnly(txtWidth);
    updWidth = new UpDown(advancedPage);
    auto* widthRow = new QHBoxLayout();
    widthRow->addWidget(lblWidth);
    widthRow->addWidget(txtWidth);
    widthRow->addWidget(updWidth);
    widthRow->addStretch(1);
    advanced->addWidget(optStyle[1], 0, 0, Qt::AlignTop);
    advanced->addWidget(fraMain[2], 0, 1);
    advanced->addWidget(optStyle[2], 1, 0, Qt::AlignTop);
    advanced->addWidget(fraMain[1], 1, 1);
    advanced->addWidget(chkUCase, 2, 1);
    advanced->addLayout(widthRow, 3, 1);
    for (QLineEdit* box : {txtStyleA, txtStyleB}) box->installEventFilter(this);

    stackPages(area.pages, {basicPage, advancedPage});
    for (int i = 0; i < 3; ++i) styles_->addButton(optStyle[i], i);
    optStyle[0]->setChecked(true);
    addButtonRow();
    setTabChain({tbsMain, optStyle[0], optStyle[1], txtStyleA, optStyle[2], txtStyleB, chkUCase, txtWidth, cmdOk,
                 cmdCancel});
    resize(twipsToPixels(5580), twipsToPixels(4875));

    connect(tbsMain, &QTabBar::currentChanged, this, [this] { tbsMain_Click(); });
    connect(styles_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) optStyle_Click(id);
    });
    connect(txtWidth, &QLineEdit::editingFinished, this, [this] { checkWidth(); });
    connect(updWidth, &UpDown::UpClick, this, [this] {
        txtWidth->setText(QString::number(qMin(kMaxWidth, txtWidth->text().toInt() + kStep)));
        checkWidth();
    });
    connect(updWidth, &UpDown::DownClick, this, [this] {
        txtWidth->setText(QString::number(qMax(kMinWidth, txtWidth->text().toInt() - kStep)));
        checkWidth();
    });
    tbsMain_Click();
}

void frmComment::Form_Load() {
    // No edit mode: the dialog never reads a tag.
    selectedText = selectionOfActiveDocument();
    bool ok = false;
    const int stored = getSetting(settingsApp, QStringLiteral("Settings"), QStringLiteral("CommentLength"),
                                  QStringLiteral("70")).trimmed().toInt(&ok);
    commentWidth = ok && stored >= 0 && stored <= 255 ? stored : 70;
    txtWidth->setText(QString::number(commentWidth));
    tbsMain->setCurrentIndex(0);
    tbsMain_Click();
    optStyle[0]->setFocus();
}

int frmComment::style() const { return qMax(0, styles_->checkedId()) + 1; }

void frmComment::tbsMain_Click() {
    const bool basic = tbsMain->currentIndex() == 0;
    optStyle[0]->parentWidget()->setVisible(basic);
    optStyle[1]->parentWidget()->setVisible(!basic);
}

void frmComment::optStyle_Click(int index) {
    if (index == 1) {
        txtStyleA->setText(selectedText);
        txtStyleA->setFocus();
    } else if (index == 2) {
        txtStyleB->setText(selectedText);
        txtStyleB->setFocus();
    } else {
        optStyle[0]->setFocus();
    }
}

void frmComment::checkWidth() {
    // Checked when the field is left, not at every key, so a width can be typed digit by digit.
    bool ok = false;
    const int n = txtWidth->text().toInt(&ok);
    if (!ok) txtWidth->setText(QString::number(commentWidth));
    else if (n < kMinWidth) txtWidth->setText(QString::number(kMinWidth));
    else if (n > kMaxWidth) txtWidth->setText(QString::number(kMaxWidth));
}

bool frmComment::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == Label2) optStyle[0]->setChecked(true);
        for (int i : {1, 2}) {
            QLineEdit* box = i == 1 ? txtStyleA : txtStyleB;
            if (watched == box) {
                optStyle[i]->setChecked(true);
                box->setFocus();
                box->selectAll();
                return true;
            }
        }
    }
    return TagDialog::eventFilter(watched, event);
}

void frmComment::cmdOk_Click() {
    checkWidth();
    const int typed = txtWidth->text().toInt();
    if (typed >= 0 && typed <= 255) commentWidth = typed;
    saveSetting(settingsApp, QStringLiteral("Settings"), QStringLiteral("CommentLength"),
                QStringLiteral(" ") + QString::number(commentWidth));
    const int w = qMax(kOutputMinWidth, commentWidth);
    const int s = style();
    const QString text = s == 2 ? txtStyleA->text() : s == 3 ? txtStyleB->text() : selectionOfActiveDocument();
    const CommentParts parts = buildComment(s, text, w, chkUCase->isChecked());
    setEditorRedraw(false);
    insertHtml(parts.start, parts.end, parts.text, 3);
    setEditorRedraw(true);
    unload();
}

}  // namespace kavrin
