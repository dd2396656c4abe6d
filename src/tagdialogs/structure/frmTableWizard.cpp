#include "tagdialogs/structure/frmTableWizard.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

#include "documents/colouring/colorops.h"
#include "documents/globals.h"
#include "documents/inserthtml.h"
#include "platform/system/convert.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "tagdialogs/frmColor.h"

namespace kavrin {

namespace {

constexpr int kGridLeft = 150;  // twips from the page's corner to the first cell
constexpr int kGridWidth = 5500;
constexpr int kGridHeight = 3000;
constexpr int kOverlap = 30;

// The first page's preview: lines that cut the box into the rows and columns asked for.
class GridPreview : public QWidget {
public:
    GridPreview(const frmTableWizard* wizard, QWidget* parent) : QWidget(parent), wizard_(wizard) {
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        setPalette(p);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (wizard_->currentPage != 1) return;
        QPainter painter(this);
        painter.setPen(Qt::black);
        const int rows = std::max(1, wizard_->rowCount);
        const int cols = std::max(1, wizard_->colCount);
        const int rowStep = int(height() / double(rows) + 0.5);
        const int colStep = int(width() / double(cols) + 0.5);
        for (int i = 1; i <= rows; ++i) painter.drawLine(0, i * rowStep - 1, width(), i * rowStep - 1);
        for (int j = 1; j <= cols; ++j) painter.drawLine(j * colStep - 1, 0, j * colStep - 1, height());
        painter.drawRect(0, 0, width() - 1, height() - 1);
    }

private:
    const frmTableWizard* wizard_;
};

// The picture beside the pages: a small table drawn in the selection colour.
class WizardPicture : public QWidget {
public:
    explicit WizardPicture(QWidget* parent) : QWidget(parent) { setFixedWidth(twipsToPixels(1575)); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        // A banner down the whole column: a deep blue that lightens towards the foot.
        QLinearGradient banner(0, 0, 0, height());
        banner.setColorAt(0, QColor(0x20, 0x4a, 0x87));
        banner.setColorAt(1, QColor(0x72, 0x9f, 0xcf));
        p.fillRect(rect(), banner);

        // A table with its heading row, as big as the column allows, a third of the way down.
        const int margin = qMax(8, width() / 8);
        const int tableWidth = width() - 2 * margin;
        const int rowHeight = qMax(12, tableWidth / 5);
        constexpr int kRows = 5, kColumns = 3;
        const QRect table(margin, qMax(margin, height() / 3 - rowHeight * kRows / 2), tableWidth, rowHeight * kRows);
        p.fillRect(table.translated(4, 4), QColor(0, 0, 0, 70));
        p.fillRect(table, Qt::white);
        p.fillRect(QRect(table.left(), table.top(), table.width(), rowHeight), QColor(0xfc, 0xe9, 0x4f));
        p.setPen(QPen(QColor(0x2e, 0x34, 0x36), 1));
        p.drawRect(table.adjusted(0, 0, -1, -1));
        for (int r = 1; r < kRows; ++r) p.drawLine(table.left(), table.top() + r * rowHeight, table.right(), table.top() + r * rowHeight);
        for (int c = 1; c < kColumns; ++c) {
            const int x = table.left() + c * table.width() / kColumns;
            p.drawLine(x, table.top() + rowHeight, x, table.bottom());
        }
        // Two cells merged across the last rows, as the wizard can make them.
        p.fillRect(QRect(table.left() + 1, table.top() + 3 * rowHeight + 1, table.width() / kColumns - 1,
                         2 * rowHeight - 2),
                   QColor(0xd3, 0xe3, 0xf5));
        p.drawLine(table.left() + table.width() / kColumns, table.top() + 3 * rowHeight,
                   table.left() + table.width() / kColumns, table.bottom());
    }
};

QComboBox* listBox(const QStringList& items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    // An empty entry first: nothing is chosen at the start, and a choice can be taken back.
    combo->addItem(QString());
    combo->addItems(items);
    combo->setCurrentIndex(0);
    combo->setMinimumWidth(twipsToPixels(1455));
    return combo;
}

QGridLayout* pageGrid(QWidget* page) {
    QGridLayout* grid = fieldGrid(page);
    grid->setContentsMargins(0, 0, 0, 0);
    return grid;
}

QLabel* fieldLabel(const char* text, QWidget* parent) { return new QLabel(QString::fromLatin1(text), parent); }

void paintLabel(QLabel* label, const QColor& color) {
    QPalette p = label->palette();
    p.setColor(QPalette::Window, color);
    label->setPalette(p);
}

}  // namespace

frmTableWizard::frmTableWizard(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmTableWizard"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setCaption(QStringLiteral("Table Wizard"));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(twipsToPixels(150), twipsToPixels(150), twipsToPixels(150), twipsToPixels(150));
    outer->setSpacing(twipsToPixels(150));
    auto* top = new QHBoxLayout();
    top->setSpacing(twipsToPixels(150));
    outer->addLayout(top, 1);
    picImage = new WizardPicture(this);
    top->addWidget(picImage);
    auto* pages = new QGridLayout();
    top->addLayout(pages, 1);
    for (QWidget*& page : picFrame) {
        page = new QWidget(this);
        // The window keeps one size whichever page shows.
        QSizePolicy policy = page->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        page->setSizePolicy(policy);
        pages->addWidget(page, 0, 0);
    }

    // ---- Page 1: the size ----
    {
        QWidget* page = picFrame[0];
        auto* grid = pageGrid(page);
        txtRows = sizedField(page, 615);
        updRows = new UpDown(page);
        txtCols = sizedField(page, 615);
        updCols = new UpDown(page);
        txtRows->setText(QStringLiteral("2"));
        txtCols->setText(QStringLiteral("2"));
        auto* intro = new QLabel(QStringLiteral("How many rows and columns will the table have?"), page);
        grid->addWidget(intro, 0, 0, 1, 4);
        grid->addWidget(fieldLabel("Rows", page), 1, 0);
        grid->addWidget(withBeside(page, txtRows, updRows), 1, 1);
        grid->addWidget(fieldLabel("Columns", page), 1, 2);
        grid->addWidget(withBeside(page, txtCols, updCols), 1, 3);
        picMain = new GridPreview(this, page);
        picMain->setFixedSize(twipsToPixels(4500), twipsToPixels(3000));
        grid->addWidget(picMain, 2, 0, 1, 5, Qt::AlignLeft | Qt::AlignTop);
        grid->setColumnStretch(4, 1);
        grid->setRowStretch(3, 1);
    }

    // ---- Page 2: the cells ----
    {
        QWidget* page = picFrame[1];
        auto* grid = pageGrid(page);
        picCells = new QWidget(page);
        picCells->setFixedSize(twipsToPixels(2 * kGridLeft + kGridWidth + kOverlap),
                               twipsToPixels(2 * kGridLeft + kGridHeight + kOverlap));
        for (int i = 0; i <= kWizardMaxCells; ++i) {
            auto* label = new QLabel(picCells);
            label->setAutoFillBackground(true);
            label->setFrameStyle(QFrame::Box | QFrame::Plain);
            label->setAlignment(Qt::AlignCenter);
            label->setTextFormat(Qt::PlainText);
            label->hide();
            label->installEventFilter(this);
            lblCell[size_t(i)] = label;
        }
        txtContent = new QLineEdit(page);
        txtContent->installEventFilter(this);
        cboHorizontal = listBox({"left", "center", "right"}, page);
        cboVertical = listBox({"top", "middle", "bottom", "baseline"}, page);
        txtCellColor = sizedField(page, 1095);
        cmdCellColor = colorButton(QStringLiteral("Select Color"), page);
        txtCellWidth = sizedField(page, 735);
        updCellWidth = new UpDown(page);
        txtCellHeight = sizedField(page, 735);
        updCellHeight = new UpDown(page);
        chkHeading = new QCheckBox(QStringLiteral("Heading"), page);
        auto spanButton = [page](const char* text) {
            auto* b = new QPushButton(QString::fromLatin1(text), page);
            b->setFixedWidth(twipsToPixels(375));
            b->setEnabled(false);
            return b;
        };
        cmdColspanMinus = spanButton("-");
        cmdColspanPlus = spanButton("+");
        cmdRowspanMinus = spanButton("-");
        cmdRowspanPlus = spanButton("+");

        grid->addWidget(picCells, 0, 0, 1, 4, Qt::AlignLeft);
        grid->addWidget(fieldLabel("Content", page), 1, 0);
        grid->addWidget(txtContent, 1, 1, 1, 3);
        grid->addWidget(fieldLabel("Horizontal Alignment", page), 2, 0);
        grid->addWidget(cboHorizontal, 2, 1);
        grid->addWidget(fieldLabel("Vertical Alignment", page), 2, 2);
        grid->addWidget(cboVertical, 2, 3);
        grid->addWidget(fieldLabel("Background Color", page), 3, 0);
        grid->addWidget(withBeside(page, txtCellColor, cmdCellColor), 3, 1);
        grid->addWidget(chkHeading, 3, 2, 1, 2);
        grid->addWidget(fieldLabel("Width", page), 4, 0);
        grid->addWidget(withBeside(page, txtCellWidth, updCellWidth), 4, 1);
        grid->addWidget(fieldLabel("Height", page), 4, 2);
        grid->addWidget(withBeside(page, txtCellHeight, updCellHeight), 4, 3);
        grid->addWidget(fieldLabel("Column Span", page), 5, 0);
        grid->addWidget(withBeside(page, cmdColspanMinus, cmdColspanPlus), 5, 1);
        grid->addWidget(fieldLabel("Row Span", page), 5, 2);
        grid->addWidget(withBeside(page, cmdRowspanMinus, cmdRowspanPlus), 5, 3);
        grid->setRowStretch(6, 1);
    }

    // ---- Page 3: the table ----
    {
        QWidget* page = picFrame[2];
        auto* grid = pageGrid(page);
        cboAlign = listBox({"left", "center", "right"}, page);
        cboVAlign = listBox({"top", "middle", "bottom", "baseline"}, page);
        txtWidth = sizedField(page, 735);
        updWidth = new UpDown(page);
        txtHeight = sizedField(page, 735);
        updHeight = new UpDown(page);
        txtBGcolor = sizedField(page, 1095);
        lblColor = colorSwatch(page);
        cmdBgcolor = colorButton(QStringLiteral("Select color"), page);
        txtBorder = sizedField(page, 735);
        updBorder = new UpDown(page);
        txtCellPadding = sizedField(page, 735);
        updCellPadding = new UpDown(page);
        txtCellSpacing = sizedField(page, 735);
        updCellSpacing = new UpDown(page);
        for (QLineEdit* field : {txtBorder, txtCellPadding, txtCellSpacing}) setDigitsOnly(field);
        cboRules = listBox({"all", "cols", "groups", "none", "rows"}, page);
        cboFrame = listBox({"above", "below", "border", "box", "hsides", "lhs", "rhs", "vsides", "void"}, page);
        txtCaption = new QLineEdit(page);
        cboCaptionAlign = listBox({"top", "bottom", "left", "right"}, page);

        const std::pair<const char*, QWidget*> rows[] = {
            {"Horizontal Alignment", cboAlign},
            {"Vertical Alignment", cboVAlign},
            {"Width", withBeside(page, txtWidth, updWidth)},
            {"Height", withBeside(page, txtHeight, updHeight)},
            {"Background Color", withBeside(page, txtBGcolor, lblColor, cmdBgcolor)},
            {"Border", withBeside(page, txtBorder, updBorder)},
            {"Cell Padding", withBeside(page, txtCellPadding, updCellPadding)},
            {"Cel Spacing", withBeside(page, txtCellSpacing, updCellSpacing)},
            {"Rules", cboRules},
            {"Frame", cboFrame},
            {"Caption", txtCaption},
            {"Caption Align", cboCaptionAlign},
        };
        addLabelledRows(grid, page, rows);
    }

    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdBack = new QPushButton(QStringLiteral("< &Back"), this);
    cmdNext = new QPushButton(QStringLiteral("&Next >"), this);
    for (QPushButton* b : {cmdCancel, cmdBack, cmdNext}) b->setMinimumWidth(twipsToPixels(1095));
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    buttons->addSpacing(twipsToPixels(150));
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdNext);
    outer->addLayout(buttons);
    setMinimumSize(twipsToPixels(7995), twipsToPixels(6585));
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(txtRows, &QLineEdit::textChanged, this, [this] { txtRows_Change(); });
    connect(txtCols, &QLineEdit::textChanged, this, [this] { txtCols_Change(); });
    bindRangedSpin(this, updRows, txtRows, 1, kWizardMaxCells);
    bindRangedSpin(this, updCols, txtCols, 1, kWizardMaxCells);
    bindRangedSpin(this, updCellWidth, txtCellWidth, 0, 9000);
    bindRangedSpin(this, updCellHeight, txtCellHeight, 0, 9000);
    bindRangedSpin(this, updBorder, txtBorder, 0, 1000);
    bindRangedSpin(this, updCellPadding, txtCellPadding, 0, 500);
    bindRangedSpin(this, updCellSpacing, txtCellSpacing, 0, 500);
    connect(updWidth, &UpDown::UpClick, this, [this] { spinTextBox(txtWidth, 1, 0); });
    connect(updWidth, &UpDown::DownClick, this, [this] { spinTextBox(txtWidth, 0, 0); });
    connect(updHeight, &UpDown::UpClick, this, [this] { spinTextBox(txtHeight, 1, 0); });
    connect(updHeight, &UpDown::DownClick, this, [this] { spinTextBox(txtHeight, 0, 0); });
    // The selected box shows what its cell will hold.
    connect(txtContent, &QLineEdit::textChanged, this,
            [this](const QString& text) { lblCell[size_t(currentCell)]->setText(text); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { cmdNext_Click(); });
    connect(cmdBack, &QPushButton::clicked, this, [this] { cmdBack_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdColspanPlus, &QPushButton::clicked, this, [this] { cmdColspanPlus_Click(); });
    connect(cmdColspanMinus, &QPushButton::clicked, this, [this] { cmdColspanMinus_Click(); });
    connect(cmdRowspanPlus, &QPushButton::clicked, this, [this] { cmdRowspanPlus_Click(); });
    connect(cmdRowspanMinus, &QPushButton::clicked, this, [this] { cmdRowspanMinus_Click(); });
    connect(cmdCellColor, &QToolButton::clicked, this, [this] { cmdCellColor_Click(); });
    connect(cmdBgcolor, &QToolButton::clicked, this, [this] { cmdBgcolor_Click(); });
}

void frmTableWizard::Form_Load() {
    rowCount = 2;
    colCount = 2;
    currentCell = 1;
    currentPage = 1;
    cmdBack->setEnabled(false);
    showPage(1);
}

void frmTableWizard::showPage(int page) {
    for (int i = 0; i < 3; ++i) picFrame[size_t(i)]->setVisible(i == page - 1);
    cmdNext->setDefault(true);
    // The focus goes to the page's first field, never to a button that Enter would press.
    QWidget* first = page == 1 ? txtRows : page == 2 ? txtContent : static_cast<QWidget*>(cboAlign);
    first->setFocus();
}

// ---- Page 1 ----------------------------------------------------------------------------------------

void frmTableWizard::txtRows_Change() { countChanged(true); }
void frmTableWizard::txtCols_Change() { countChanged(false); }

void frmTableWizard::countChanged(bool rows) {
    QLineEdit* box = rows ? txtRows : txtCols;
    int& count = rows ? rowCount : colCount;
    const int other = rows ? colCount : rowCount;
    const std::optional<double> typed = cdbl(box->text());
    if (!typed) {
        box->setText(trimNumber(count));
        return;
    }
    const long long n = *typed > 1e9 ? 1000000000LL : *typed < -1e9 ? -1000000000LL : roundHalfEven(*typed);
    if (n < 1 || n > kWizardMaxCells) {
        // A table needs at least one row and column; the count it had stays.
        msgBox(rows ? QStringLiteral("The number of rows must be from 1 to 150.")
                    : QStringLiteral("The number of columns must be from 1 to 150."),
               vbExclamation, appTitle);
        box->setText(trimNumber(count));
        return;
    }
    if (n * other > kWizardMaxCells) {
        msgBox(QStringLiteral("Table cannot have more than ") + trimNumber(kWizardMaxCells) + QStringLiteral(" cells."),
               vbExclamation, appTitle);
        // The largest count that fits, written as the number prints with its sign's blank.
        box->setText(QLatin1Char(' ') + trimNumber(kWizardMaxCells / other));
        return;
    }
    count = int(n);
    picMain->update();
}

// ---- Page changes -----------------------------------------------------------------------------------

void frmTableWizard::cmdNext_Click() {
    ++currentPage;
    if (currentPage == 2 || currentPage == 3) {
        showPage(currentPage);
        cmdBack->setEnabled(true);
        if (currentPage == 2) buildCellGrid();
        else cmdNext->setText(QStringLiteral("&Finish"));
        return;
    }
    if (currentPage != 4) return;
    storeCell();
    const QString start = wizardTableStart(tableFields());
    const QString body = wizardTableBody(cells, indentText);
    // The whole table goes in front of the selection, which follows it.
    insertHtml(start, body, QString(), 2);
    unload();
}

void frmTableWizard::cmdBack_Click() {
    if (currentPage <= 1) return;
    --currentPage;
    if (currentPage == 1) cmdBack->setEnabled(false);
    if (currentPage == 2) cmdNext->setText(QStringLiteral("&Next >"));
    showPage(currentPage);
}

void frmTableWizard::cmdCancel_Click() { unload(); }

void frmTableWizard::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(
        event,
        [this] {
            if (!pressFocusedButton()) cmdNext->click();
        },
        [this] { cmdCancel_Click(); });
}

// ---- Page 2 ----------------------------------------------------------------------------------------

void frmTableWizard::buildCellGrid() {
    cells.build(rowCount, colCount);
    cellWidth = int(kGridWidth / double(colCount) + 0.5);
    cellHeight = int(kGridHeight / double(rowCount) + 0.5);
    for (QLabel* label : lblCell) {
        label->hide();
        label->clear();
        paintLabel(label, Qt::white);
    }
    currentCell = 1;
    // A grid built anew starts with empty editors, so nothing typed for an old cell ends up in
    // the new first cell.
    loadCell();
    layOutCells();
    updateSpanButtons();
}

void frmTableWizard::layOutCells() {
    for (int k = 1; k <= cells.cellCount(); ++k) {
        QLabel* label = lblCell[size_t(k)];
        if (cells.isCovered(k)) {
            label->hide();
            continue;
        }
        const WizardCell& cell = cells.cell(k);
        const int left = kGridLeft + int((cells.columnOf(k) - 1) * cellWidth);
        const int top = kGridLeft + int((cells.rowOf(k) - 1) * cellHeight);
        label->setGeometry(twipsToPixels(left), twipsToPixels(top),
                           twipsToPixels(int(cell.colspan * cellWidth) + kOverlap),
                           twipsToPixels(int(cell.rowspan * cellHeight) + kOverlap));
        paintLabel(label, k == currentCell ? palette().color(QPalette::Highlight) : QColor(Qt::white));
        label->show();
        label->raise();
    }
}

void frmTableWizard::storeCell() {
    if (currentCell < 1 || currentCell > cells.cellCount()) return;
    WizardCell& cell = cells.cell(currentCell);
    cell.content = txtContent->text();
    cell.align = cboHorizontal->currentText();
    cell.valign = cboVertical->currentText();
    cell.bgcolor = txtCellColor->text();
    cell.width = txtCellWidth->text();
    cell.height = txtCellHeight->text();
    cell.heading = chkHeading->isChecked();
}

void frmTableWizard::loadCell() {
    const WizardCell& cell = cells.cell(currentCell);
    txtContent->setText(cell.content);
    cboHorizontal->setCurrentIndex(std::max(0, cboHorizontal->findText(cell.align)));
    cboVertical->setCurrentIndex(std::max(0, cboVertical->findText(cell.valign)));
    txtCellColor->setText(cell.bgcolor);
    txtCellWidth->setText(cell.width);
    txtCellHeight->setText(cell.height);
    chkHeading->setChecked(cell.heading);
}

void frmTableWizard::lblCell_Click(int index) {
    if (index < 1 || index > cells.cellCount() || cells.isCovered(index)) return;
    storeCell();
    currentCell = index;
    loadCell();
    layOutCells();
    updateSpanButtons();
}

void frmTableWizard::updateSpanButtons() {
    cmdColspanPlus->setEnabled(cells.canWiden(currentCell));
    cmdColspanMinus->setEnabled(cells.canNarrow(currentCell));
    cmdRowspanPlus->setEnabled(cells.canDeepen(currentCell));
    cmdRowspanMinus->setEnabled(cells.canShorten(currentCell));
}

void frmTableWizard::cmdColspanPlus_Click() {
    cells.widen(currentCell);
    layOutCells();
    updateSpanButtons();
}

void frmTableWizard::cmdColspanMinus_Click() {
    cells.narrow(currentCell);
    layOutCells();
    updateSpanButtons();
}

void frmTableWizard::cmdRowspanPlus_Click() {
    cells.deepen(currentCell);
    layOutCells();
    updateSpanButtons();
}

void frmTableWizard::cmdRowspanMinus_Click() {
    cells.shorten(currentCell);
    layOutCells();
    updateSpanButtons();
}

bool frmTableWizard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (int i = 1; i <= kWizardMaxCells; ++i)
            if (lblCell[size_t(i)] == watched) {
                lblCell_Click(i);
                return true;
            }
    }
    if (watched == txtContent && event->type() == QEvent::FocusIn) selectAllText(txtContent);
    return Form::eventFilter(watched, event);
}

// ---- Colours -----------------------------------------------------------------------------------------

void frmTableWizard::cmdCellColor_Click() {
    frmColor::pick(-1);
    if (!frmColor::hexColor.isEmpty()) txtCellColor->setText(frmColor::hexColor);
}

void frmTableWizard::cmdBgcolor_Click() {
    frmColor::pick(-1);
    if (frmColor::hexColor.isEmpty()) return;
    txtBGcolor->setText(frmColor::hexColor);
    setSwatchColor(lblColor, frmColor::winColor.toInt());
}

// ---- Page 3 ----------------------------------------------------------------------------------------

WizardTable frmTableWizard::tableFields() const {
    WizardTable t;
    t.align = cboAlign->currentText();
    t.valign = cboVAlign->currentText();
    t.width = txtWidth->text();
    t.height = txtHeight->text();
    t.cellpadding = txtCellPadding->text();
    t.cellspacing = txtCellSpacing->text();
    t.frame = cboFrame->currentText();
    t.rules = cboRules->currentText();
    t.border = txtBorder->text();
    t.bgcolor = txtBGcolor->text();
    t.caption = txtCaption->text();
    t.captionAlign = cboCaptionAlign->currentText();
    return t;
}

void showTableWizard() { runModal(new frmTableWizard(dialogOwner())); }

}  // namespace kavrin
