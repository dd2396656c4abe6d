#include "tagdialogs/text/frmMeta.h"

#include "documents/documentwindow.h"
#include "documents/editorevents.h"
#include "documents/globals.h"
#include "documents/inserthtml.h"
#include "platform/system/screen.h"
#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {

constexpr int kHeadSearchLength = 5000;
const QString kDefaultPause = QStringLiteral("3");

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

}  // namespace

std::optional<RefreshContent> splitRefreshContent(const QString& content) {
    qsizetype i = 0;
    const qsizetype n = content.size();
    while (i < n && content[i].isDigit() && content[i].unicode() < 128) ++i;
    if (i == 0) return std::nullopt;
    RefreshContent refresh;
    refresh.pause = content.left(i);
    const qsizetype sepStart = i;
    while (i < n && isBlank(content[i])) ++i;
    if (i < n && (content[i] == u';' || content[i] == u',')) ++i;
    while (i < n && isBlank(content[i])) ++i;
    // "URL" then "=", blanks allowed around the "="; without the "=" the word is the address.
    if (content.mid(i, 3).compare(QLatin1String("url"), Qt::CaseInsensitive) == 0) {
        qsizetype j = i + 3;
        while (j < n && isBlank(content[j])) ++j;
        if (j < n && content[j] == u'=') {
            ++j;
            while (j < n && isBlank(content[j])) ++j;
            i = j;
        }
    }
    // Anything else right after the digits ("5x") is no pause.
    if (i == sepStart && i < n) return std::nullopt;
    refresh.separator = content.mid(sepStart, i - sepStart);
    refresh.url = content.mid(i);
    return refresh;
}

QString joinRefreshContent(const RefreshContent& refresh) {
    QString separator = refresh.separator;
    if (refresh.url.isEmpty() ? separator.contains(u'=') : separator.isEmpty()) separator = QStringLiteral("; ");
    return refresh.pause + separator + refresh.url;
}

int metaInsertOffset(const QString& text) {
    const QString head = text.left(kHeadSearchLength);
    for (qsizetype at = head.indexOf(QLatin1String("<head"), 0, Qt::CaseInsensitive); at >= 0;
         at = head.indexOf(QLatin1String("<head"), at + 1, Qt::CaseInsensitive)) {
        const qsizetype after = at + 5;
        if (after >= head.size()) break;
        // "<header>" and the like are other elements.
        if (head[after] != u'>' && !isBlank(head[after])) continue;
        const int close = tagCloseFrom(text, int(at));
        return close < 0 ? -1 : close + 1;
    }
    return -1;
}

frmMeta::frmMeta(QWidget* parent) : TagDialog(QStringLiteral("meta"), QStringLiteral("Meta Tags"), parent) {
    setObjectName(QStringLiteral("frmMeta"));
    fraMain = new QGroupBox(this);
    cboHTTP = choiceBox({"Description", "Keywords", "Reply-to", "Expires", "Robots", "Author", "Refresh"}, fraMain);
    cboName = choiceBox({"Description", "Keywords", "Reply-to", "Expires", "Robots", "Author"}, fraMain);
    for (QComboBox* kind : {cboHTTP, cboName}) kind->setMinimumWidth(twipsToPixels(2400));
    lblContent = new QLabel(QStringLiteral("Content"), fraMain);

    auto* contentArea = new QWidget(fraMain);
    auto* stack = new QGridLayout(contentArea);
    stack->setContentsMargins(0, 0, 0, 0);
    txtContent = new QPlainTextEdit(contentArea);
    txtContent->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtContent->setTabChangesFocus(true);
    txtContent->setFixedSize(twipsToPixels(3600), twipsToPixels(900));
    cboRobots = choiceBox({"NOINDEX,NOFOLLOW", "INDEX,NOFOLLOW", "NOINDEX,FOLLOW", "INDEX,FOLLOW"}, contentArea);
    picRefresh = new QWidget(contentArea);
    auto* refresh = new QGridLayout(picRefresh);
    refresh->setContentsMargins(0, 0, 0, 0);
    txtUrl = new QLineEdit(picRefresh);
    txtPause = sizedField(picRefresh, 600);
    setDigitsOnly(txtPause);
    refresh->addWidget(new QLabel(QStringLiteral("Load URL"), picRefresh), 0, 0);
    refresh->addWidget(txtUrl, 0, 1, 1, 2);
    refresh->addWidget(new QLabel(QStringLiteral("after"), picRefresh), 1, 0);
    refresh->addWidget(txtPause, 1, 1);
    refresh->addWidget(new QLabel(QStringLiteral("seconds"), picRefresh), 1, 2);
    refresh->setColumnStretch(2, 1);
    // The content area keeps its size whichever of the three shows.
    for (QWidget* w : {static_cast<QWidget*>(txtContent), static_cast<QWidget*>(cboRobots), picRefresh}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
        stack->addWidget(w, 0, 0, Qt::AlignTop | Qt::AlignLeft);
    }
    stack->setRowStretch(0, 1);

    auto* frame = new QGridLayout(fraMain);
    frame->setHorizontalSpacing(twipsToPixels(90));
    frame->setVerticalSpacing(twipsToPixels(75));
    frame->addWidget(new QLabel(QStringLiteral("HTTP-EQUIV"), fraMain), 0, 0);
    frame->addWidget(cboHTTP, 0, 1, Qt::AlignLeft);
    frame->addWidget(new QLabel(QStringLiteral("Name"), fraMain), 1, 0);
    frame->addWidget(cboName, 1, 1, Qt::AlignLeft);
    frame->addWidget(lblContent, 2, 0, Qt::AlignTop);
    frame->addWidget(contentArea, 2, 1);
    grid()->addWidget(fraMain, 0, 0, 1, 2);
    addButtonRow();
    setTabChain({cboHTTP, cboName, txtContent, cboRobots, txtUrl, txtPause, cmdOk, cmdCancel});

    // Filled from an edited tag; written by buildStartTag, which writes only one of the kinds.
    bindText(QStringLiteral("http-equiv"), cboHTTP);
    bindText(QStringLiteral("name"), cboName);
    bindText(QStringLiteral("content"), txtContent);

    connect(cboHTTP, &QComboBox::activated, this, [this] { cboHTTP_Click(); });
    connect(cboName, &QComboBox::activated, this, [this] { cboName_Click(); });
}

void frmMeta::showContentArea(QWidget* shown) {
    for (QWidget* w : {static_cast<QWidget*>(txtContent), static_cast<QWidget*>(cboRobots), picRefresh})
        w->setVisible(w == shown);
}

void frmMeta::prepareLoad() {
    refreshSeparator_ = QStringLiteral("; ");
    showContentArea(txtContent);
    lblContent->setText(QStringLiteral("Content"));
    txtPause->setText(kDefaultPause);
}

void frmMeta::afterLoad() {
    cboHTTP->setFocus();
    // An edited refresh header shows its pause and address where they are edited, so that OK
    // writes them back as they were.
    if (!editingTag || cboHTTP->currentText().compare(QLatin1String("refresh"), Qt::CaseInsensitive) != 0) return;
    const std::optional<RefreshContent> refresh = splitRefreshContent(txtContent->toPlainText());
    if (!refresh) return;
    txtPause->setText(refresh->pause);
    txtUrl->setText(refresh->url);
    refreshSeparator_ = refresh->separator;
    txtContent->clear();
    showContentArea(picRefresh);
    lblContent->clear();
}

void frmMeta::kindChosen(QComboBox* own, QComboBox* other) {
    txtContent->clear();
    picRefresh->hide();
    const QString kind = own->currentText().toLower();
    if (kind == QLatin1String("robots")) {
        showContentArea(cboRobots);
        lblContent->setText(QStringLiteral("Content"));
    } else if (kind == QLatin1String("refresh") && own == cboHTTP) {
        showContentArea(picRefresh);
        lblContent->clear();
        cboName->setEditText(QString());
    } else {
        showContentArea(txtContent);
        if (kind == QLatin1String("reply-to")) {
            lblContent->setText(QStringLiteral("Email"));
        } else if (kind == QLatin1String("author")) {
            lblContent->setText(QStringLiteral("Author Name"));
        } else if (kind == QLatin1String("expires")) {
            lblContent->setText(QStringLiteral("Date"));
            txtContent->setPlainText(QStringLiteral("04 Dec 1999 00:00:00 GMT"));
        } else {
            lblContent->setText(QStringLiteral("Content"));
        }
    }
    if (!own->currentText().isEmpty()) other->setEditText(QString());
}

void frmMeta::cboHTTP_Click() { kindChosen(cboHTTP, cboName); }
void frmMeta::cboName_Click() { kindChosen(cboName, cboHTTP); }

bool frmMeta::refreshInUse() const {
    return !picRefresh->isHidden() && cboHTTP->currentText().compare(QLatin1String("refresh"), Qt::CaseInsensitive) == 0;
}

QString frmMeta::buildStartTag() const {
    QString tag = QStringLiteral("<meta");
    if (refreshInUse()) {
        const RefreshContent refresh{txtPause->text(), refreshSeparator_, txtUrl->text()};
        tag += attributeText(QStringLiteral("http-equiv"), QStringLiteral("Refresh"));
        tag += attributeText(QStringLiteral("content"), joinRefreshContent(refresh));
    } else {
        const QString http = cboHTTP->currentText();
        if (!http.isEmpty()) tag += attributeText(QStringLiteral("http-equiv"), http);
        else tag += attributeText(QStringLiteral("name"), cboName->currentText());
        const QString content = cboRobots->isHidden() ? txtContent->toPlainText() : cboRobots->currentText();
        tag += attributeText(QStringLiteral("content"), content);
    }
    return tag + extraAttributes + QLatin1Char('>');
}

void frmMeta::cmdOk_Click() {
    if (cboHTTP->currentText().isEmpty() && cboName->currentText().isEmpty()) {
        unload();
        return;
    }
    // A pause of 0 is an immediate refresh and stays; only a missing one takes the default.
    if (refreshInUse() && txtPause->text().isEmpty()) txtPause->setText(kDefaultPause);
    TagDialog::cmdOk_Click();
}

void frmMeta::insertStartTag(const QString& startTag) {
    if (editingTag) {
        insertHtml(startTag, QString(), QString(), 3);
        return;
    }
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    QString tag = startTag;
    const int at = metaInsertOffset(doc->txtMain->text());
    if (at >= 0) {
        selectRange(at, 0);
        tag = QStringLiteral("\r\n") + indentText + tag;
    } else {
        selectRange(0, 0);
    }
    if (uppercaseTags) tag = upperCaseTag(tag);
    insertHtml(tag, QString(), QString(), 1);
}

void frmMeta::Form_Unload(int& cancel) {
    (void)cancel;
    dialogKind.clear();
}

}  // namespace kavrin
