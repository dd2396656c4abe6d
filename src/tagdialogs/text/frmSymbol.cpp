#include "tagdialogs/text/frmSymbol.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "documents/inserthtml.h"
#include "platform/system/screen.h"
#include "tagdialogs/tagdialog.h"

namespace kavrin {

namespace {

constexpr int kColumns = 32;
constexpr int kCellSize = 210;    // twips, square
constexpr int kRowPitch = 240;    // twips from one row's top to the next
constexpr int kNbspCell = 95;
constexpr int kTradeMarkCell = 96;

// The character code a cell stands for: ASCII from the blank on, then Latin-1 from the
// inverted exclamation mark on (the same codes in Unicode).
int cellCode(int index) { return index < kNbspCell ? index + 32 : index + 64; }

// Two letters in a cell made for one: a smaller size that shows both whole, or the cell's
// edges cut them.
void fitText(QLabel* cell) {
    QFont font = cell->font();
    const int room = cell->width() - 2;
    while (font.pointSizeF() > 4 && QFontMetrics(font).horizontalAdvance(cell->text()) > room)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    cell->setFont(font);
}

}  // namespace

QString symbolCellText(int index) {
    if (index < 0 || index >= kSymbolCells) return {};
    if (index == kNbspCell) return QStringLiteral(" ");
    if (index == kTradeMarkCell) return QStringLiteral("TM");
    return QChar(cellCode(index));
}

QString symbolReference(int index) {
    if (index < 0 || index >= kSymbolCells) return {};
    if (index == kNbspCell) return QStringLiteral("&nbsp;");
    // Numeric references are Unicode code points: the trade mark's old single-byte code 153
    // would name an invisible control character.
    if (index == kTradeMarkCell) return QStringLiteral("&#8482;");
    return QStringLiteral("&#") + QString::number(cellCode(index)) + QLatin1Char(';');
}

frmSymbol::frmSymbol(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmSymbol"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setCaption(QStringLiteral("Symbols"));

    picMain = new QWidget(this);
    picMain->setAutoFillBackground(true);
    QPalette white = picMain->palette();
    white.setColor(QPalette::Window, Qt::white);
    picMain->setPalette(white);
    const int rows = (kSymbolCells + kColumns - 1) / kColumns;
    picMain->setFixedSize(twipsToPixels(kColumns * kCellSize), twipsToPixels(rows * kRowPitch));
    lblSymbol.reserve(kSymbolCells);
    for (int n = 0; n < kSymbolCells; ++n) {
        auto* cell = new QLabel(symbolCellText(n), picMain);
        cell->setAlignment(Qt::AlignCenter);
        cell->setAutoFillBackground(true);
        cell->setGeometry(twipsToPixels((n % kColumns) * kCellSize), twipsToPixels((n / kColumns) * kRowPitch),
                          twipsToPixels(kCellSize), twipsToPixels(kCellSize));
        if (n == kTradeMarkCell) fitText(cell);
        cell->installEventFilter(this);
        lblSymbol << cell;
        paintCell(n, false);
    }

    txtSymbol = new QLineEdit(this);
    txtSymbol->setFixedSize(twipsToPixels(420), twipsToPixels(420));
    txtSymbol->setAlignment(Qt::AlignCenter);
    lblTip = new QLabel(this);
    lblTip->hide();
    cmdOk = new QPushButton(QStringLiteral("Insert"), this);
    cmdCancel = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* button : {cmdOk, cmdCancel}) button->setMinimumWidth(twipsToPixels(1095));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(twipsToPixels(120), twipsToPixels(120), twipsToPixels(120), twipsToPixels(120));
    outer->setSpacing(twipsToPixels(120));
    outer->addWidget(picMain);
    auto* foot = new QHBoxLayout();
    foot->addWidget(txtSymbol);
    foot->addWidget(lblTip);
    foot->addStretch(1);
    foot->addWidget(cmdOk, 0, Qt::AlignBottom);
    foot->addWidget(cmdCancel, 0, Qt::AlignBottom);
    outer->addLayout(foot);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(txtSymbol, cmdOk);
    setTabOrder(cmdOk, cmdCancel);

    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmSymbol::paintCell(int index, bool highlighted) {
    QLabel* cell = lblSymbol.value(index);
    if (!cell) return;
    QPalette palette = cell->palette();
    palette.setColor(QPalette::Window, highlighted ? QColor(0, 0, 255) : QColor(Qt::white));
    palette.setColor(QPalette::WindowText, highlighted ? QColor(Qt::white) : QColor(Qt::black));
    cell->setPalette(palette);
}

void frmSymbol::Form_Load() {
    selectedSymbol = 0;
    lblSymbol_MouseDown(0);
    cmdOk->setFocus();
}

void frmSymbol::lblSymbol_MouseDown(int index) {
    if (index < 0 || index >= kSymbolCells) return;
    paintCell(selectedSymbol, false);
    selectedSymbol = index;
    paintCell(index, true);

    QString tip;
    if (index == 0) tip = QStringLiteral("(space)");
    else if (index == kNbspCell) tip = QStringLiteral("(non-breaking space)");
    lblTip->setText(tip);
    lblTip->setVisible(!tip.isEmpty());

    QFont preview = txtSymbol->font();
    preview.setBold(true);
    preview.setPointSize(index == kTradeMarkCell ? 8 : 12);
    txtSymbol->setFont(preview);
    if (index == kTradeMarkCell) txtSymbol->setText(QStringLiteral("TM"));
    else if (index == 0 || index == kNbspCell) txtSymbol->setText(QStringLiteral(" "));
    else txtSymbol->setText(QLatin1Char(' ') + symbolCellText(index));
}

void frmSymbol::cmdOk_Click() {
    // As text after the tags, so the tag case setting leaves it alone; in design view the
    // reference reaches the page being designed.
    insertHtml(QString(), QString(), symbolReference(selectedSymbol), 3);
    unload();
}

void frmSymbol::cmdCancel_Click() { unload(); }

void frmSymbol::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(
        event,
        [this] {
            if (!pressFocusedButton()) cmdOk_Click();
        },
        [this] { cmdCancel_Click(); });
}

bool frmSymbol::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const auto at = std::find(lblSymbol.cbegin(), lblSymbol.cend(), watched);
        if (at != lblSymbol.cend()) {
            lblSymbol_MouseDown(int(at - lblSymbol.cbegin()));
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

void showSpecialCharacters() { runModal(new frmSymbol(dialogOwner())); }

}  // namespace kavrin
