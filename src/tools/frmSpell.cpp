#include "tools/frmSpell.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "documents/colouring/colorops.h"
#include "documents/globals.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "tools/spellcheck.h"
#include "tools/spelllists.h"
#include "tools/toolwindow.h"

namespace kavrin {

namespace {

QRect twipRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

QPushButton* button(QWidget* parent, const QString& caption, int top) {
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(twipRect(4470, top, 1150, 345));
    b->setAutoDefault(false);
    b->setEnabled(false);
    return b;
}

QLabel* label(QWidget* parent, const QString& caption, int top, int width) {
    auto* l = new QLabel(caption, parent);
    l->setGeometry(twipRect(240, top, width, 195));
    // This system's fonts run taller than the window was drawn for.
    l->adjustSize();
    return l;
}

QCheckBox* checkBox(QWidget* parent, const QString& caption, int left, int top, int width) {
    auto* c = new QCheckBox(caption, parent);
    c->setGeometry(twipRect(left, top, width, 195));
    c->adjustSize();
    return c;
}

bool isBlank(const QString& s) {
    for (const QChar c : s)
        if (c != u' ') return false;
    return true;
}

}  // namespace

frmSpell::frmSpell(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmSpell"));
    makeToolWindow(this);
    setCaption(QStringLiteral("Spelling"));

    QFont bold = font();
    bold.setBold(true);

    lblDictionary = label(this, QStringLiteral("Not in Dictionary:"), 150, 1245);
    txtWord = new QLineEdit(this);
    txtWord->setObjectName(QStringLiteral("txtWord"));
    txtWord->setGeometry(twipRect(240, 390, 4000, 315));
    txtWord->setReadOnly(true);
    txtWord->setFont(bold);
    QPalette wordPalette = txtWord->palette();
    wordPalette.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
    wordPalette.setColor(QPalette::Text, QColor(0x80, 0x00, 0x00));
    txtWord->setPalette(wordPalette);

    lblReplace = label(this, QStringLiteral("Change to:"), 810, 1035);
    txtReplace = new QLineEdit(this);
    txtReplace->setObjectName(QStringLiteral("txtReplace"));
    txtReplace->setGeometry(twipRect(240, 1050, 4005, 315));
    txtReplace->setFont(bold);
    txtReplace->installEventFilter(this);

    lblSuggest = label(this, QStringLiteral("Suggestions:"), 1470, 945);
    lstSuggest = new QListWidget(this);
    lstSuggest->setObjectName(QStringLiteral("lstSuggest"));
    lstSuggest->setGeometry(twipRect(240, 1710, 4005, 1230));

    cmdIgnore = button(this, QStringLiteral("&Ignore"), 210);
    cmdIgnore->setDefault(true);
    cmdIgnoreAll = button(this, QStringLiteral("I&gnore All"), 630);
    cmdAdd = button(this, QStringLiteral("&Add"), 1050);
    cmdChange = button(this, QStringLiteral("C&hange"), 1620);
    cmdChangeAll = button(this, QStringLiteral("Cha&nge All"), 2040);
    cmdCancel = button(this, QStringLiteral("Cancel"), 2610);
    cmdCancel->setEnabled(true);

    // An etched line across the window above the options.
    Line1 = new QFrame(this);
    Line1->setGeometry(0, twipsToPixels(3090), twipsToPixels(5865), 1);
    Line1->setStyleSheet(QStringLiteral("background-color: #808080;"));
    Line2 = new QFrame(this);
    Line2->setGeometry(0, twipsToPixels(3105), twipsToPixels(5865), 1);
    Line2->setStyleSheet(QStringLiteral("background-color: #ffffff;"));

    chkSkipTags = checkBox(this, QStringLiteral("Ignore HTML tags"), 240, 3270, 2500);
    chkSkipFiles = checkBox(this, QStringLiteral("Ignore Internet and file addresses"), 2850, 3270, 2940);
    chkSkipNums = checkBox(this, QStringLiteral("Ignore words with numbers"), 240, 3540, 2500);
    chkSkipUCase = checkBox(this, QStringLiteral("Ignore words in UPPERCASE"), 2850, 3540, 2940);

    // With this system's fonts the left options run into the right ones: move the right column
    // clear of them, and widen the window to fit.
    const int rightColumn = qMax(chkSkipFiles->x(), qMax(chkSkipTags->geometry().right(), chkSkipNums->geometry().right()) +
                                                        twipsToPixels(240));
    chkSkipFiles->move(rightColumn, chkSkipFiles->y());
    chkSkipUCase->move(rightColumn, chkSkipUCase->y());
    int width = twipsToPixels(5865);
    for (QWidget* w : {static_cast<QWidget*>(chkSkipFiles), static_cast<QWidget*>(chkSkipUCase)})
        width = qMax(width, w->geometry().right() + twipsToPixels(120));
    int height = twipsToPixels(3825);
    height = qMax(height, chkSkipNums->geometry().bottom() + twipsToPixels(150));
    setFixedSize(width, height);
    Line1->resize(width, 1);
    Line2->resize(width, 1);

    setTabOrder(txtWord, txtReplace);
    setTabOrder(txtReplace, lstSuggest);
    setTabOrder(lstSuggest, chkSkipTags);
    setTabOrder(chkSkipTags, cmdIgnore);
    setTabOrder(cmdIgnore, cmdIgnoreAll);
    setTabOrder(cmdIgnoreAll, cmdAdd);
    setTabOrder(cmdAdd, cmdChange);
    setTabOrder(cmdChange, cmdChangeAll);
    setTabOrder(cmdChangeAll, cmdCancel);
    setTabOrder(cmdCancel, chkSkipUCase);
    setTabOrder(chkSkipUCase, chkSkipFiles);
    setTabOrder(chkSkipFiles, chkSkipNums);

    connect(txtWord, &QLineEdit::textChanged, this, [this] { txtWord_Change(); });
    connect(txtReplace, &QLineEdit::textChanged, this, [this] { txtReplace_Change(); });
    connect(lstSuggest, &QListWidget::itemClicked, this, &frmSpell::lstSuggest_Click);
    connect(cmdIgnore, &QPushButton::clicked, this, [this] { cmdIgnore_Click(); });
    connect(cmdIgnoreAll, &QPushButton::clicked, this, [this] { cmdIgnoreAll_Click(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdChange, &QPushButton::clicked, this, [this] { cmdChange_Click(); });
    connect(cmdChangeAll, &QPushButton::clicked, this, [this] { cmdChangeAll_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(chkSkipTags, &QCheckBox::toggled, this, [](bool on) { IgnoreTags = on; });
    connect(chkSkipFiles, &QCheckBox::toggled, this, [](bool on) { IgnoreFileNames = on; });
    connect(chkSkipNums, &QCheckBox::toggled, this, [](bool on) { IgnoreNumbers = on; });
    connect(chkSkipUCase, &QCheckBox::toggled, this, [](bool on) { IgnoreUppercaseWords = on; });
}

void frmSpell::Form_Load() {
    placeToolWindow(this);
    chkSkipTags->setChecked(IgnoreTags);
    chkSkipFiles->setChecked(IgnoreFileNames);
    chkSkipNums->setChecked(IgnoreNumbers);
    chkSkipUCase->setChecked(IgnoreUppercaseWords);
    formVisible = true;
}

void frmSpell::Form_Unload(int& cancel) {
    (void)cancel;
    unloadingNow_ = true;
    // Closing the window ends the run without a word.
    if (spellCheckRunning) endSpellCheck();
    formVisible = false;
}

void frmSpell::showWord(const QString& word, const QStringList& suggestions) {
    txtWord->setText(word);
    lstSuggest->clear();
    lstSuggest->addItems(suggestions);
    lblSuggest->setEnabled(!suggestions.isEmpty());
    txtReplace->setText(suggestions.isEmpty() ? QString() : suggestions.front());
    updateButtons();
}

void frmSpell::updateButtons() {
    const bool word = !txtWord->text().isEmpty();
    cmdAdd->setEnabled(word && spellLists().user.words.size() < maxUserWords);
    cmdIgnore->setEnabled(word);
    cmdIgnoreAll->setEnabled(word);
    cmdChange->setEnabled(word);
    cmdChangeAll->setEnabled(word);
}

// A word shown without suggestions keeps the replacement box empty and Change enabled, so
// Change deletes the word; emptying a box the user had filled disables Change again.
void frmSpell::txtWord_Change() { updateButtons(); }
void frmSpell::txtReplace_Change() {
    const bool change = !txtWord->text().isEmpty() && !txtReplace->text().isEmpty();
    cmdChange->setEnabled(change);
    cmdChangeAll->setEnabled(change);
}

void frmSpell::lstSuggest_Click(QListWidgetItem* item) {
    if (item) txtReplace->setText(item->text());
}

void frmSpell::resume() {
    txtWord->clear();
    txtWord->repaint();
    txtReplace->clear();
    txtReplace->repaint();
    lstSuggest->clear();
    resumeSpellCheck();
}

void frmSpell::cmdIgnore_Click() {
    if (!cmdIgnore->isEnabled()) return;
    setBusy(true);
    resume();
}

void frmSpell::cmdIgnoreAll_Click() {
    if (!cmdIgnoreAll->isEnabled()) return;
    setBusy(true);
    spellLists().ignoreAll << txtWord->text();
    resume();
}

void frmSpell::cmdAdd_Click() {
    if (txtWord->text().isEmpty()) return;
    setBusy(true);
    spellLists().user.add(txtWord->text());
    resume();
}

void frmSpell::cmdCancel_Click() { endSpellCheck(); }

bool frmSpell::prepareReplacement(const QString& word, QString& rep) {
    if (isBlank(rep)) return true;
    for (const QString& part : rep.split(QLatin1Char(' '))) {
        if (isKnownWord(part)) continue;
        const int answer = toolMessage(this,
                                       QStringLiteral("You have chosen a word that is not found in the dictionary.\n\n"
                                                      "Do you want to use this word anyway?"),
                                       vbYesNo + vbExclamation);
        if (answer == vbNo) return false;
    }
    if (!word.isEmpty() && word.front().unicode() < 91) rep[0] = rep[0].toUpper();
    return true;
}

void frmSpell::cmdChange_Click() {
    const QString word = txtWord->text();
    QString rep = txtReplace->text();
    if (word.isEmpty() || !cmdChange->isEnabled()) return;
    if (!prepareReplacement(word, rep)) return;
    setBusy(true);
    if (!replaceSpellWord(word, rep)) return;  // the run has ended
    moveSpellLineOffset(int(rep.size()) - int(word.size()));
    resume();
}

void frmSpell::cmdChangeAll_Click() {
    const QString word = txtWord->text();
    QString rep = txtReplace->text();
    if (word.isEmpty() || !cmdChangeAll->isEnabled()) return;
    if (!prepareReplacement(word, rep)) return;
    setBusy(true);
    if (!replaceSpellWord(word, rep)) return;
    moveSpellLineOffset(int(rep.size()) - int(word.size()));
    addChangeAllPair(word, rep);
    resume();
}

void frmSpell::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(
        event,
        [this] {
            if (!pressFocusedButton()) cmdIgnore_Click();
        },
        [this] { cmdCancel_Click(); });
}

bool frmSpell::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtReplace && event->type() == QEvent::FocusIn) selectAllText(txtReplace);
    return Form::eventFilter(watched, event);
}

}  // namespace kavrin
