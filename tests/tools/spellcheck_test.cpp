// Spell-check runs through the Spelling window on real documents of a shown main window.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QWindow>

#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"
#include "tools/frmSpell.h"
#include "tools/spellcheck.h"
#include "tools/spelllists.h"

namespace kavrin::test {
namespace {

struct Edit {
    int start;
    int length;
    bool operator==(const Edit&) const = default;
};

const QString kComplete = QStringLiteral("Spell check complete.");
const QString kChanged = QStringLiteral("The document was changed during the spell check");

class SpellCheckTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        resetSpellChecker();
        // The settings' defaults.
        IgnoreTags = true;
        IgnoreNumbers = IgnoreFileNames = IgnoreUppercaseWords = false;
        mainWindow = new mdiMain();
        mainWindow->show();
    }
    void TearDown() override {
        resetSpellChecker();
        KavrinTest::TearDown();
    }

    DocumentWindow* page(const QString& text) {
        newDocument();
        DocumentWindow* doc = activeDocument();
        doc->txtMain->setText(text);
        doc->txtMain->select(0, 0);
        QObject::connect(doc->txtMain, &RichTextBox::Change, doc->txtMain,
                         [this] { edits.push_back({selStartBeforeChange, selLengthBeforeChange}); });
        return doc;
    }

    static frmSpell* spell() { return spellForm(); }
    static QString shown() { return spellForm() ? spellForm()->txtWord->text() : QString(); }

    // The word under review is selected in the page exactly.
    static void expectSelected(DocumentWindow* doc, const QString& word, int from = 0) {
        const int at = int(doc->txtMain->text().indexOf(word, from));
        EXPECT_EQ(doc->txtMain->selStart(), at) << word.toStdString();
        EXPECT_EQ(doc->txtMain->selLength(), word.size()) << word.toStdString();
        EXPECT_EQ(spellWordStart, at);
        EXPECT_EQ(spellWordLength, word.size());
    }

    // Runs a check on the page, ignoring every word offered; returns them in order.
    QStringList offeredWords(const QString& text) {
        DocumentWindow* doc = page(text);
        expectMsgBox(kComplete, vbOK);
        startSpellCheck();
        QStringList words;
        while (spellCheckRunning && words.size() < 50) {
            words << shown();
            EXPECT_EQ(doc->txtMain->selText(), shown());
            spell()->cmdIgnore->click();
        }
        EXPECT_TRUE(allAnswered());
        doc->fileSaved = true;  // nothing to ask when the test closes it
        doc->unload();
        return words;
    }

    std::vector<Edit> edits;
};

TEST_F(SpellCheckTest, RunSelectsEachUnknownWordOffersSuggestionsAndEndsComplete) {
    DocumentWindow* doc = page("<p>Helo wrld, this is fine.</p>\r\n<!-- commnt -->\r\n<b>Second</b> line qzxv.");
    startSpellCheck();
    ASSERT_TRUE(spellCheckRunning);
    frmSpell* f = spell();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(f->isModal());
    EXPECT_EQ(f->caption(), "Spelling");
    EXPECT_FALSE(f->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(f->windowHandle()->transientParent(), mainWindow->windowHandle());
    EXPECT_TRUE(f->chkSkipTags->isChecked());
    EXPECT_FALSE(f->chkSkipNums->isChecked());
    // The panes are out of reach for the run; the menus are not.
    EXPECT_FALSE(mainWindow->picTools->isEnabled());
    EXPECT_TRUE(mainWindow->menuBar->isEnabled());

    EXPECT_EQ(shown(), "Helo");
    expectSelected(doc, "Helo");
    EXPECT_GT(f->lstSuggest->count(), 0);
    EXPECT_EQ(f->txtReplace->text(), f->lstSuggest->item(0)->text());
    EXPECT_TRUE(f->lblSuggest->isEnabled());
    EXPECT_TRUE(f->cmdChange->isEnabled());
    EXPECT_TRUE(f->cmdAdd->isEnabled());

    // Enter presses Ignore.
    QTest::keyClick(f->lstSuggest, Qt::Key_Return);
    EXPECT_EQ(shown(), "wrld");
    expectSelected(doc, "wrld");
    f->cmdIgnore->click();

    // Without suggestions nothing is put up as the replacement, and Change would delete the word;
    // a replacement typed and wiped out again leaves Change disabled.
    EXPECT_EQ(shown(), "qzxv");
    expectSelected(doc, "qzxv");
    EXPECT_EQ(f->lstSuggest->count(), 0);
    EXPECT_FALSE(f->lblSuggest->isEnabled());
    EXPECT_EQ(f->txtReplace->text(), "");
    EXPECT_TRUE(f->cmdChange->isEnabled());
    EXPECT_TRUE(f->cmdChangeAll->isEnabled());
    QTest::keyClicks(f->txtReplace, "q");
    QTest::keyClick(f->txtReplace, Qt::Key_Backspace);
    EXPECT_FALSE(f->cmdChange->isEnabled());
    f->cmdChange->click();  // a disabled button does nothing
    EXPECT_TRUE(spellCheckRunning);
    EXPECT_TRUE(f->cmdIgnore->isEnabled());

    // A click in the page selects the word under review again.
    doc->txtMain->select(0, 2);
    QTest::mouseClick(doc->txtMain->viewport(), Qt::LeftButton);
    expectSelected(doc, "qzxv");
    // So does a click on the main window's panes, which hand the focus back to the Spelling window.
    doc->txtMain->select(0, 2);
    QTest::mouseClick(mainWindow->picTools, Qt::LeftButton, {}, QPoint(2, 2));
    expectSelected(doc, "qzxv");

    expectMsgBox(kComplete, vbOK);
    f->cmdIgnore->click();
    EXPECT_FALSE(spellCheckRunning);
    EXPECT_EQ(spellForm(), nullptr);
    EXPECT_TRUE(mainWindow->picTools->isEnabled());
    EXPECT_TRUE(edits.empty());

    // The empty replacement of a word without suggestions deletes it; the next word of the line
    // is still selected exactly, and Change All deletes its later occurrences too.
    doc = page("Brg qzxv wrld qzxv.");
    startSpellCheck();
    f = spell();
    ASSERT_EQ(shown(), "Brg");
    f->cmdIgnore->click();
    ASSERT_EQ(shown(), "qzxv");
    f->cmdChangeAll->click();
    EXPECT_EQ(doc->txtMain->text(), "Brg  wrld qzxv.");
    EXPECT_EQ(shown(), "wrld");
    expectSelected(doc, "wrld");
    expectMsgBox(kComplete, vbOK);
    f->cmdIgnore->click();
    EXPECT_EQ(doc->txtMain->text(), "Brg  wrld .");
    EXPECT_FALSE(spellCheckRunning);
    EXPECT_TRUE(QFile::exists(userDir + "kvCustom.dct"));
}

TEST_F(SpellCheckTest, SkipSwitchesDecideWhatIsChecked) {
    const QString text =
        "<qzt class=\"wdgt\">See www.kavrinx.com or\r\n<!-- nte\r\n-->page.html, CSSX, MP3X and 4x4z; <i>blorf</i>";
    EXPECT_EQ(offeredWords(text), (QStringList{"www.kavrinx.com", "page.html", "CSSX", "MP3X", "4x4z", "blorf"}));
    IgnoreFileNames = true;
    EXPECT_EQ(offeredWords(text), (QStringList{"CSSX", "MP3X", "4x4z", "blorf"}));
    IgnoreFileNames = false;
    IgnoreNumbers = true;
    EXPECT_EQ(offeredWords(text), (QStringList{"www.kavrinx.com", "page.html", "CSSX", "blorf"}));
    IgnoreNumbers = false;
    IgnoreUppercaseWords = true;
    EXPECT_EQ(offeredWords(text), (QStringList{"www.kavrinx.com", "page.html", "4x4z", "blorf"}));
    IgnoreUppercaseWords = false;
    // Without skipping tags the tag's name and the comment's words are checked too.
    IgnoreTags = false;
    EXPECT_EQ(offeredWords(text), (QStringList{"qzt", "class=\"wdgt", "www.kavrinx.com", "nte", "page.html", "CSSX",
                                               "MP3X", "4x4z", "blorf"}));
}

TEST_F(SpellCheckTest, ChangeAllReplacesLaterOccurrencesAtExactOffsetsOneEditEach) {
    DocumentWindow* doc = page("Teh cat; teh dog (teh), qzxv.\r\nteh end qzxv");
    startSpellCheck();
    ASSERT_EQ(shown(), "Teh");
    frmSpell* f = spell();
    f->txtReplace->setText("the");
    f->cmdChangeAll->click();
    // The first replacement takes the word's capital; the later ones repeat it as applied.
    EXPECT_EQ(doc->txtMain->text(), "The cat; The dog (The), qzxv.\r\nteh end qzxv");
    EXPECT_EQ(shown(), "qzxv");
    expectSelected(doc, "qzxv");
    EXPECT_EQ(edits, (std::vector<Edit>{{0, 3}, {9, 3}, {18, 3}}));
    f->cmdIgnore->click();
    EXPECT_EQ(doc->txtMain->text(), "The cat; The dog (The), qzxv.\r\nThe end qzxv");
    EXPECT_EQ(shown(), "qzxv");
    expectSelected(doc, "qzxv", 30);
    EXPECT_EQ(edits.back(), (Edit{31, 3}));

    f->txtReplace->setText("quiz");
    expectMsgBox(kComplete, vbOK);
    f->cmdChange->click();
    EXPECT_EQ(doc->txtMain->text(), "The cat; The dog (The), qzxv.\r\nThe end quiz");
    EXPECT_EQ(edits.back(), (Edit{39, 4}));
    EXPECT_EQ(edits.size(), 5u);
    EXPECT_FALSE(spellCheckRunning);
}

// Alt with a letter of no button typed it into "Change to", and Change then wrote it into the page.
TEST_F(SpellCheckTest, AltLettersPressButtonsAndTypeNothingIntoChangeTo) {
    DocumentWindow* doc = page("Teh cat.");
    startSpellCheck();
    frmSpell* f = spell();
    ASSERT_NE(f, nullptr);
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    f->txtReplace->setFocus();
    f->txtReplace->clear();
    QTest::keyClicks(f->txtReplace, "the");
    QTest::keyClick(f->txtReplace, Qt::Key_C, Qt::AltModifier);
    QTest::keyClick(f->txtReplace, Qt::Key_V, Qt::AltModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a menu opened";
    EXPECT_EQ(f->txtReplace->text(), "the");
    EXPECT_EQ(doc->txtMain->text(), "Teh cat.");
    expectMsgBox(kComplete, vbOK);
    QTest::keyClick(f->txtReplace, Qt::Key_H, Qt::AltModifier);  // Change
    EXPECT_EQ(doc->txtMain->text(), "The cat.");
    EXPECT_FALSE(spellCheckRunning);
}

TEST_F(SpellCheckTest, ChangeChecksEachWordOfTheReplacementAndAppliesTheCapitalRule) {
    DocumentWindow* doc = page("Recieve it, recieve it, recieve it.");
    startSpellCheck();
    frmSpell* f = spell();
    ASSERT_EQ(shown(), "Recieve");
    EXPECT_EQ(f->txtReplace->text(), "Recife");  // the first suggestion

    // An unknown word in the replacement asks; No keeps everything as it is.
    f->txtReplace->setText("receive qzxv");
    expectMsgBox("Do you want to use this word anyway?", vbNo);
    f->cmdChange->click();
    EXPECT_EQ(doc->txtMain->text(), "Recieve it, recieve it, recieve it.");
    EXPECT_EQ(shown(), "Recieve");
    EXPECT_TRUE(edits.empty());

    // Known words only: no question; the word's capital carries over.
    f->txtReplace->setText("receive");
    f->cmdChange->click();
    EXPECT_EQ(doc->txtMain->text(), "Receive it, recieve it, recieve it.");
    EXPECT_EQ(shown(), "recieve");
    expectSelected(doc, "recieve");

    // A lower-case word keeps the replacement's own capital; a doubled blank is an empty part.
    f->txtReplace->setText("Paris  receive");
    expectMsgBox("not found in the dictionary", vbYes);
    f->cmdChange->click();
    EXPECT_EQ(doc->txtMain->text(), "Receive it, Paris  receive it, recieve it.");
    expectSelected(doc, "recieve");
    f->txtReplace->setText("receive");
    expectMsgBox(kComplete, vbOK);
    f->cmdChange->click();
    EXPECT_EQ(doc->txtMain->text(), "Receive it, Paris  receive it, receive it.");
    EXPECT_EQ(edits, (std::vector<Edit>{{0, 7}, {12, 7}, {31, 7}}));
}

TEST_F(SpellCheckTest, AddedAndIgnoredWordsAreKeptAcrossRuns) {
    DocumentWindow* doc = page("qzxv and blorf");
    startSpellCheck();
    ASSERT_EQ(shown(), "qzxv");
    spell()->cmdAdd->click();
    ASSERT_EQ(shown(), "blorf");
    expectMsgBox(kComplete, vbOK);
    spell()->cmdIgnoreAll->click();
    EXPECT_EQ(readFile(userDir + "kvCustom.dct"), "qzxv\r\n");

    // The next run knows both, in any case, without reading the file again.
    doc->txtMain->setText("Qzxv BLORF zzqt");
    startSpellCheck();
    EXPECT_EQ(shown(), "zzqt");
    QTest::keyClick(spell(), Qt::Key_Escape);  // Esc is Cancel: no message
    EXPECT_FALSE(spellCheckRunning);
    EXPECT_EQ(readFile(userDir + "kvCustom.dct"), "qzxv\r\n");
}

TEST_F(SpellCheckTest, AUserListThatCannotBeWrittenOnAFullDiskStaysWholeAndKeepsTheNewWord) {
    const QString dir = QDir(userDir).absolutePath();
    const auto [code, message] = onFullDisk(dir, [&](qsizetype size) -> std::string {
        resetSpellChecker();
        QByteArray old;
        for (int i = 0; old.size() < size; ++i) old += "mine" + QByteArray::number(i) + "\r\n";
        QFile f(userDir + "kvCustom.dct");
        if (!f.open(QIODevice::WriteOnly) || f.write(old) != old.size()) return "no old list";
        f.close();
        DocumentWindow* doc = page("qzxv");
        startSpellCheck();
        if (shown() != "qzxv") return "the word was not offered";
        if (!fillDisk(dir)) return "the disk would not fill";
        expectMsgBox(kComplete, vbOK);
        spell()->cmdAdd->click();
        if (!allAnswered()) return "the run did not end";
        if (readFile(userDir + "kvCustom.dct") != old) return "the old list was damaged";
        if (filesBesideBallast(dir) != QStringList{"kvCustom.dct"}) return "work files left behind";

        // With room again, the end of the next run writes the word that could not be written.
        QFile::remove(dir + "/.ballast");
        doc->txtMain->setText("qzxv blorf");
        startSpellCheck();
        if (shown() != "blorf") return "the added word was forgotten";
        QTest::keyClick(spell(), Qt::Key_Escape);
        if (readFile(userDir + "kvCustom.dct") != old + "qzxv\r\n") return "the word was not written later";
        doc->fileSaved = true;
        doc->unload();
        return {};
    });
    if (code == 77) GTEST_SKIP() << message;
    EXPECT_EQ(code, 0) << message;
}

TEST_F(SpellCheckTest, AddIsNotOfferedOnceTheUserListIsFullAndAnUnreadableListIsLeftAlone) {
    QByteArray full;
    for (int i = 0; i < maxUserWords; ++i) full += "w" + QByteArray::number(i) + "\r\n";
    QFile f(userDir + "kvCustom.dct");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(full);
    f.close();
    DocumentWindow* doc = page("qzxv");
    startSpellCheck();
    ASSERT_EQ(shown(), "qzxv");
    EXPECT_FALSE(spell()->cmdAdd->isEnabled());
    spell()->close();  // the window's close box ends the run without a word
    QApplication::processEvents();
    EXPECT_FALSE(spellCheckRunning);
    EXPECT_EQ(readFile(userDir + "kvCustom.dct"), full);

    // A list that cannot be read is never written over, also after an Add.
    resetSpellChecker();
    const QByteArray spoiled("mine\r\n\0\r\n", 9);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(spoiled);
    f.close();
    startSpellCheck();
    ASSERT_EQ(shown(), "qzxv");
    expectMsgBox(kComplete, vbOK);
    spell()->cmdAdd->click();
    EXPECT_EQ(readFile(userDir + "kvCustom.dct"), spoiled);
    (void)doc;
}

TEST_F(SpellCheckTest, AnEditOfThePageEndsTheRunBeforeAnythingIsReplaced) {
    DocumentWindow* doc = page("qzxv one blorf two zzqt");
    startSpellCheck();
    ASSERT_EQ(shown(), "qzxv");
    spell()->cmdIgnore->click();
    ASSERT_EQ(shown(), "blorf");
    // The user types in front of the word while the run waits.
    doc->txtMain->select(0, 0);
    QTest::keyClicks(doc->txtMain, "A ");
    spell()->txtReplace->setText("bluff");
    expectMsgBox(kChanged, vbOK);
    spell()->cmdChange->click();
    EXPECT_FALSE(spellCheckRunning);
    EXPECT_EQ(spellForm(), nullptr);
    EXPECT_EQ(doc->txtMain->text(), "A qzxv one blorf two zzqt");

    // Found when the next word is about to be shown, too.
    doc->txtMain->setText("qzxv one blorf");
    startSpellCheck();
    ASSERT_EQ(shown(), "qzxv");
    doc->txtMain->select(9, 0);
    QTest::keyClicks(doc->txtMain, "x");
    expectMsgBox(kChanged, vbOK);
    spell()->cmdIgnore->click();
    EXPECT_FALSE(spellCheckRunning);

    // Closing the page ends the run quietly.
    doc->txtMain->setText("qzxv");
    startSpellCheck();
    ASSERT_TRUE(spellCheckRunning);
    expectMsgBox("Save changes", vbNo);
    doc->unload();
    QApplication::processEvents();
    if (spell()) spell()->cmdIgnore->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(spellCheckRunning);
}

TEST_F(SpellCheckTest, TheRunStaysWithTheDocumentItStartedOn) {
    DocumentWindow* first = page("Some qzxv here.");
    startSpellCheck();
    ASSERT_EQ(shown(), "qzxv");
    // A second start during the run only brings the window forward.
    mainWindow->mnuToolsSpell->trigger();
    EXPECT_EQ(shown(), "qzxv");
    DocumentWindow* second = page("Other qzxv there.");
    ASSERT_EQ(activeDocument(), second);
    second->txtMain->select(6, 4);
    spell()->txtReplace->setText("quiz");
    expectMsgBox(kComplete, vbOK);
    spell()->cmdChange->click();
    EXPECT_EQ(first->txtMain->text(), "Some quiz here.");
    EXPECT_EQ(second->txtMain->text(), "Other qzxv there.");
}

TEST_F(SpellCheckTest, ToolbarStartsARunAndAMissingMainListIsReported) {
    DocumentWindow* doc = page("Hello world, all known.");
    (void)doc;
    expectMsgBox(kComplete, vbOK);
    mainWindow->tbrMainB_ButtonClick("spell");
    EXPECT_FALSE(spellCheckRunning);
    EXPECT_EQ(spellForm(), nullptr);

    resetSpellChecker();
    QFile::remove(programDir + "kvEnglish.dct");
    expectMsgBox("The main dictionary '" + programDir + "kvEnglish.dct' was not found.", vbOK);
    mainWindow->mnuToolsSpell->trigger();
    EXPECT_FALSE(spellCheckRunning);
    EXPECT_FALSE(spellLists().loaded);
}

TEST_F(SpellCheckTest, WordsMeetTheMainListInAnyCaseAndAListOutOfOrderMissesWhatItAlwaysMissed) {
    auto useMainList = [this](const char* utf8) {
        resetSpellChecker();
        QFile f(programDir + "kvEnglish.dct");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(utf8);
    };
    // Letters beyond ASCII, an apostrophe and a digit, in the order of the lower-case forms.
    useMainList("don't\r\nF\xc3\xbcr\r\n\xc4\xb0stanbul\r\nmp3\r\nZo\xc3\xab\r\n\xc3\x89tude\r\n");
    EXPECT_EQ(offeredWords(QString::fromUtf8("DON'T Don\xe2\x80\x99t F\xc3\x9cR f\xc3\xbcr \xc4\xb0STANBUL MP3 mp3 "
                                             "ZO\xc3\x8b zo\xc3\xab \xc3\x89TUDE \xc3\xa9tude qzxv")),
              QStringList{"qzxv"});
    // A list edited out of order: the lookup still misses the words it missed before.
    useMainList("zebra\r\nalpha\r\nmango\r\n");
    EXPECT_EQ(offeredWords("zebra alpha mango"), (QStringList{"zebra", "alpha"}));
}

}  // namespace
}  // namespace kavrin::test
