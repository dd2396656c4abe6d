#include "tools/frmSearchResults.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>

#include "documents/colouring/colorops.h"
#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/system/screen.h"

namespace kavrin {

namespace {

// Marks the lines that hold why the file above failed or was skipped.
constexpr int kReasonRole = Qt::UserRole + 1;

}  // namespace

frmSearchResults::frmSearchResults(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmSearchResults"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setCaption(QStringLiteral("Search Results"));

    Label2 = new QLabel(QStringLiteral("File Name"), this);
    Label1 = new QLabel(QStringLiteral("Matches"), this);
    lstMain = new QTreeWidget(this);
    lstMain->setColumnCount(2);
    lstMain->setHeaderHidden(true);
    lstMain->setRootIsDecorated(false);
    // Why a file failed or was skipped stands on lines of its own under the file, wrapped at
    // the list's width, so the file name keeps its column and the reason is read whole.
    lstMain->setWordWrap(true);
    lstMain->viewport()->installEventFilter(this);
    // A long reason in the second column squeezes the first: the file's own name, at the end of
    // its path, must stay readable.
    lstMain->setTextElideMode(Qt::ElideMiddle);
    lstMain->header()->setStretchLastSection(false);
    lstMain->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstMain->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lblFilter = new QLabel(this);
    lblTotalFiles = new QLabel(this);
    lblNumReplacements = new QLabel(this);
    lblCancelled = new QLabel(
        QStringLiteral("The run was cancelled: the files it had not reached yet were left as they were."), this);
    lblCancelled->setWordWrap(true);
    lblCancelled->hide();
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(Label1, 0, 1, Qt::AlignRight);
    grid->addWidget(lstMain, 1, 0, 1, 2);
    grid->addWidget(lblFilter, 2, 0, 1, 2);
    grid->addWidget(lblTotalFiles, 3, 0, 1, 2);
    grid->addWidget(lblNumReplacements, 4, 0, 1, 2);
    grid->addWidget(lblCancelled, 5, 0, 1, 2);
    grid->addWidget(cmdOk, 6, 1, Qt::AlignRight);
    resize(twipsToPixels(7800), twipsToPixels(5400));

    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(lstMain, &QTreeWidget::itemDoubleClicked, this, [this] { lstMain_DblClick(); });
}

void frmSearchResults::setResults(const QVector<ReplaceEntry>& entries, const QString& filter,
                                  qint64 totalReplacements, bool cancelled) {
    lstMain->clear();
    lines_.clear();
    for (const ReplaceEntry& e : entries) {
        lines_ << e.line();
        QString second;
        switch (e.kind) {
        case ReplaceEntry::Kind::Failed:
            second = QStringLiteral("Error ") + QString::number(e.errorNumber);
            break;
        case ReplaceEntry::Kind::Skipped:
            second = QStringLiteral("Skipped");
            break;
        default:
            second = QString::number(e.count);
        }
        auto* item = new QTreeWidgetItem(lstMain, {e.path, second});
        item->setData(0, Qt::UserRole, e.path);
        item->setToolTip(0, e.line());
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (e.kind == ReplaceEntry::Kind::Failed || e.kind == ReplaceEntry::Kind::Skipped) {
            auto* reason = new QTreeWidgetItem(lstMain, {e.reason});
            reason->setData(0, Qt::UserRole, e.path);
            reason->setData(0, kReasonRole, true);
            reason->setToolTip(0, e.line());
            reason->setFirstColumnSpanned(true);
            QFont font = lstMain->font();
            font.setItalic(true);
            reason->setFont(0, font);
        }
    }
    fitReasonLines();
    lblFilter->setText(filter.isEmpty() ? QString() : QStringLiteral("Filter:  ") + filter);
    lblTotalFiles->setText(QStringLiteral("Num Files:  ") + trimNumber(entries.size()));
    lblNumReplacements->setText(QStringLiteral("Total Replacements:  ") + trimNumber(totalReplacements));
    lblCancelled->setVisible(cancelled);
    if (lstMain->topLevelItemCount() > 0) lstMain->setCurrentItem(lstMain->topLevelItem(0));
    // The window opens on its default button: Enter closes it, as OK promises. Enter opens a
    // file only once the user has gone into the list.
    cmdOk->setFocus();
}

void frmSearchResults::cmdOk_Click() { unload(); }

void frmSearchResults::fitReasonLines() {
    // The list lays out spanned lines by the height it is told: each reason gets the height of
    // its text wrapped at the list's width.
    const int margin = 2 * (lstMain->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, lstMain) + 1);
    const int width = qMax(40, lstMain->viewport()->width() - margin);
    QFont font = lstMain->font();
    font.setItalic(true);
    const QFontMetrics metrics(font);
    for (int i = 0; i < lstMain->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = lstMain->topLevelItem(i);
        if (!item->data(0, kReasonRole).toBool()) continue;
        const QRect box = metrics.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, item->text(0));
        const QSize hint(width, box.height() + 4);
        if (item->sizeHint(0) != hint) item->setSizeHint(0, hint);
    }
}

bool frmSearchResults::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstMain->viewport() && event->type() == QEvent::Resize) fitReasonLines();
    return Form::eventFilter(watched, event);
}

void frmSearchResults::lstMain_DblClick() {
    QTreeWidgetItem* item = lstMain->currentItem();
    if (!item) return;
    const QString path = item->data(0, Qt::UserRole).toString();
    unload();
    if (!mainWindow || path.isEmpty()) return;
    // A result may be a document that was never saved: it is brought forward, not opened.
    for (DocumentWindow* doc : documentWindows()) {
        if (samePath(doc->filePath, path) && doc->subWindow()) {
            mainWindow->bringDocumentForward(doc);
            return;
        }
    }
    mainWindow->openFile(path);
}

void frmSearchResults::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(
        event,
        [this] {
            if (lstMain->hasFocus() && lstMain->currentItem()) lstMain_DblClick();
            else cmdOk_Click();
        },
        [this] { cmdOk_Click(); });
}

}  // namespace kavrin
