// What the design view writes back into pages of the shapes generators and people give them:
// keys and clicks into the real web engine, then the file as saved, byte for byte.
#include <iostream>

#include <QRegularExpression>

#include "designpage.h"

namespace kavrin::test {
namespace {

using DesignWriteBackTest = DesignPageTest;

// DocBook output: every tag's ">" on the next line, upper-case tags, an entity, tabs, CR LF, a
// page with no charset that is plain ASCII.
const QByteArray kDocBook =
    "<HTML\r\n><BODY\r\n><P\r\nCLASS=\"COPYRIGHT\"\r\n>Copyright &copy; 2001 Joey</P\r\n><DL\r\n><DT\r\n>sshd</DT\r\n"
    "><DD\r\n><P\r\n>\t    Unprivileged user used by the privilege-separated\r\n\t    <B\r\nCLASS=\"COMMAND\"\r\n>sshd</B\r\n"
    "> when communicating.\r\n\t  </P\r\n></DD\r\n></DL\r\n></BODY\r\n></HTML\r\n>\r\n";

TEST_F(DesignWriteBackTest, BoldOnADocBookPageChangesThatWordAlone) {
    DocumentWindow* doc = openPage(kDocBook);
    view(doc, 2);
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    selectWord(doc, "Unprivileged");
    QTest::keyClick(input(doc), Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("Unprivileged</b>"); }, kWait));
    // The tab and spaces that start the paragraph stay outside the bold, the line keeps its
    // space before "user", the page its "&copy;".
    const QByteArray saved = savedAfterEdit(doc);
    EXPECT_EQ(saved.split('\n').value(10), ">\t    <b>Unprivileged</b> user used by the privilege-separated\r");
    EXPECT_EQ(QByteArray(saved).replace("<b>", "").replace("</b>", ""), kDocBook);
}

TEST_F(DesignWriteBackTest, EditsFarApartOnAPageOfRepeatedBlocksChangeTheirLinesAlone) {
    // A generated manual: the same block many times, paragraphs left open, raw "<" and ">".
    QByteArray page = "<html><body>\r\n";
    for (int i = 0; i < 300; ++i)
        page += "<h2>Using the stream</h2>\r\n<p>Call deflate() while avail_in > 0\r\n<p>Check the return code\r\n"
                "<pre>\r\n    if (ret < 0) return ret;\r\n</pre>\r\n";
    page += "</body></html>\r\n";
    DocumentWindow* doc = openPage(page);
    view(doc, 2);
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    clickBefore(doc, "Using");
    QTest::keyClick(input(doc), Qt::Key_Home, Qt::ControlModifier);
    typeKeys(doc, "START ");
    QTest::keyClick(input(doc), Qt::Key_End, Qt::ControlModifier);
    typeKeys(doc, " FINISH");
    const QByteArray saved = savedAfterEdit(doc);
    const QList<QByteArray> before = page.split('\n');
    const QList<QByteArray> after = saved.split('\n');
    ASSERT_EQ(after.size(), before.size()) << saved.right(300).toStdString();
    QStringList changed;
    for (int i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) changed << QString::fromUtf8(after[i]);
    ASSERT_EQ(changed.size(), 2) << changed.join('\n').toStdString();
    EXPECT_EQ(changed[0].toStdString(), "<h2>START Using the stream</h2>\r");
    EXPECT_TRUE(changed[1].contains(" FINISH")) << changed[1].toStdString();
    EXPECT_EQ(QByteArray(saved).replace("START ", "").replace(" FINISH", ""), page);
}

TEST_F(DesignWriteBackTest, LineBreaksBesideTypedTextStay) {
    const QByteArray page = "<html>\r\n<body>\r\n<p>Some <em>emphasised</em>.\r\n<P>\r\n\r\nSecond paragraph here\r\n"
                            "<pre>code</pre>\r\n</body>\r\n</html>\r\n";
    DocumentWindow* doc = openPage(page);
    view(doc, 2);
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    // At the end of a paragraph whose tag is left open, and at the start of one whose text
    // follows a blank line.
    clickBefore(doc, "emphasised");
    QTest::keyClick(input(doc), Qt::Key_End);
    typeKeys(doc, " typed text");
    clickBefore(doc, "Second");
    typeKeys(doc, "Qzx ");
    QByteArray expected = page;
    expected.replace("</em>.\r\n", "</em>. typed text\r\n").replace("\r\n\r\nSecond", "\r\n\r\nQzx Second");
    EXPECT_EQ(savedAfterEdit(doc), expected);
}

TEST_F(DesignWriteBackTest, APageNestedDeeperThanTheEngineKeepsIsNotOpenedInDesign) {
    QByteArray page = "<html><body>\r\n";
    for (int i = 0; i < 10000; ++i) page += "<div>";
    page += "deep text";
    for (int i = 0; i < 10000; ++i) page += "</div>";
    page += "\r\n</body></html>\r\n";
    DocumentWindow* doc = openPage(page);
    const QString source = doc->txtMain->text();
    expectMsgBox("nest", vbOK);
    doc->tbsMain->setCurrentIndex(2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return allAnswered(); }, kWait)) << "no word of why";
    EXPECT_EQ(doc->mode, 0);
    EXPECT_EQ(doc->tbsMain->currentIndex(), 0);
    EXPECT_FALSE(mainWindow->mnuViewDesign->isChecked());
    EXPECT_EQ(doc->txtMain->text(), source);
    EXPECT_TRUE(doc->fileSaved);
}

// Keys typed while the page was being built for Design are the user's: with the page refused,
// they go into the source, where the caret is.
TEST_F(DesignWriteBackTest, KeysTypedWhileARefusedPageOpensGoIntoTheSource) {
    QByteArray page = "<html><body>\r\n";
    for (int i = 0; i < 600; ++i) page += "<div>";
    page += "deep text";
    for (int i = 0; i < 600; ++i) page += "</div>";
    page += "\r\n</body></html>\r\n";
    DocumentWindow* doc = openPage(page);
    expectMsgBox("nest", vbOK);
    doc->tbsMain->setCurrentIndex(2);
    QTest::keyClicks(doc->dhtm, "Qzx");
    EXPECT_TRUE(QTest::qWaitFor([&] { return allAnswered(); }, kWait)) << "no word of why";
    EXPECT_EQ(doc->mode, 0);
    EXPECT_EQ(doc->txtMain->text().toUtf8(), "Qzx" + page);
}

// Glossaries leave their anchors open: the parser closes each <a> at the next one, so such a
// page nests no deeper than its lines, however many tags it opens.
TEST_F(DesignWriteBackTest, APageOfManyUnclosedAnchorsOpensInDesign) {
    QByteArray page = "<html><body>\r\n";
    for (int i = 0; i < 600; ++i) page += "<a name=\"t" + QByteArray::number(i) + "\"><b>term " + QByteArray::number(i) + "</b> - its meaning<br>\r\n";
    page += "</body></html>\r\n";
    DocumentWindow* doc = openPage(page);
    view(doc, 2);
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    EXPECT_TRUE(allAnswered());
    clickBefore(doc, "term 300");
    typeKeys(doc, "Qzx ");
    EXPECT_EQ(savedAfterEdit(doc), QByteArray(page).replace("<b>term 300", "<b>Qzx term 300"));
}

// Not run by default: a measure over real pages. KAVRIN_REAL_PAGES names a file that lists one
// page's path a line; each is opened, "Qzx " is typed at the start of a word in the middle of its
// text, and the source that comes back is compared with the page plus those four characters.
// Run: kavrin_test_mainwindow --gtest_also_run_disabled_tests --gtest_filter='*RealPages*'
TEST_F(DesignWriteBackTest, DISABLED_RealPagesComeBackWithJustTheTypedWord) {
    QFile list(qEnvironmentVariable("KAVRIN_REAL_PAGES"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly)) << "KAVRIN_REAL_PAGES names no readable list";
    int exact = 0, nbsp = 0, other = 0, skipped = 0;
    // A word from the middle of the page's shown text that is the first place its letters occur,
    // so that the click finds it.
    const QString pickWord =
        "(() => { const w = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT); const nodes = [], found = [];"
        "for (let t = w.nextNode(); t; t = w.nextNode()) { nodes.push(t); const e = t.parentElement;"
        "if (!e || e.closest('script,style,pre,textarea,select,button,noscript')) continue;"
        "const re = /(^|\\s)([A-Za-z]{4,})/g; let m;"
        "while ((m = re.exec(t.data))) { const i = m.index + m[1].length;"
        "const r = document.createRange(); r.setStart(t, i); r.setEnd(t, i + 1);"
        "const b = r.getBoundingClientRect(); if (b.width > 0 && b.height > 0) found.push([t, i, m[2]]); } }"
        "const first = (word) => { for (const t of nodes) { const i = t.data.indexOf(word); if (i >= 0) return [t, i]; } return null; };"
        "const mid = Math.floor(found.length / 2);"
        "for (let d = 0; d < found.length; ++d) for (const k of [mid + d, mid - d]) { const c = found[k]; if (!c) continue;"
        "const f = first(c[2]); if (f && f[0] === c[0] && f[1] === c[1]) return c[2]; }"
        "return ''; })()";
    while (!list.atEnd()) {
        const QString page = QString::fromUtf8(list.readLine()).trimmed();
        if (page.isEmpty()) continue;
        mainWindow->openFile(page);
        DocumentWindow* doc = activeDocument();
        if (!doc || !doc->hasViews()) { ++skipped; std::cout << "SKIP open " << page.toStdString() << "\n"; continue; }
        const QString before = doc->txtMain->text();
        view(doc, 2);
        const QString word = waitDesignReady(*doc->dhtm, kWait) ? js(doc, pickWord).toString() : QString();
        QString after = before, shownNear;
        if (!word.isEmpty()) {
            clickBefore(doc, word);
            typeKeys(doc, "Qzx ");
            shownNear = js(doc, "(() => { const t = document.body.innerText; const i = t.indexOf('Qzx'); return t.substr(i - 40, 80); })()").toString();
            view(doc, 0);
            after = doc->txtMain->text();
        }
        const int at = after.indexOf("Qzx ");
        QString rest = after;
        if (at >= 0) rest.remove(at, 4);
        // A space typed where a plain one would not show: the caret at the end of a block, or
        // before a space of the page's own.
        static const QRegularExpression endOfBlock("^Qzx&nbsp;\\s*<(/(p|li|td|th|div|h\\d|dd|dt)\\b|br\\b)",
                                                   QRegularExpression::CaseInsensitiveOption);
        const int nbspAt = after.indexOf("Qzx&nbsp;");
        const char* verdict = "OTHER";
        if (word.isEmpty()) ++skipped, verdict = "SKIP";
        else if (rest == before) ++exact, verdict = after.mid(at + 4).startsWith(word) ? "EXACT" : "EXACT-ELSEWHERE";
        else if (nbspAt >= 0 && QString(after).remove(nbspAt, 9) == before &&
                 (endOfBlock.match(after.mid(nbspAt)).hasMatch() || (nbspAt + 9 < after.size() && QStringView(u" \t\r\n").contains(after[nbspAt + 9]))))
            ++exact, verdict = "EXACT-AT-END";
        else if (QString(after).replace("&nbsp;", " ").remove("Qzx ") == QString(before).replace("&nbsp;", " ")) ++nbsp, verdict = "NBSP";
        else ++other;
        std::cout << verdict << " " << page.toStdString() << " [" << word.toStdString() << "]\n";
        // Typed elsewhere than before the word: where the page and the source took it.
        if (verdict[0] == 'E' && verdict[5])
            std::cout << "  source: " << after.mid(qMax(0, qMax(at, nbspAt) - 40), 80).toStdString() << "\n  page: " << shownNear.toStdString() << "\n";
        if (verdict[0] == 'O' || verdict[0] == 'N') {
            int i = 0;
            while (i < before.size() && i < after.size() && before[i] == after[i]) ++i;
            int j = 0;
            while (j < before.size() - i && j < after.size() - i && before[before.size() - 1 - j] == after[after.size() - 1 - j]) ++j;
            std::cout << "  was: " << before.mid(i, before.size() - i - j).left(400).toStdString() << "\n  now: "
                      << after.mid(i, after.size() - i - j).left(400).toStdString() << "\n  around: "
                      << after.mid(qMax(0, i - 80), 200).toStdString() << "\n  page: " << shownNear.toStdString() << "\n";
        }
        std::cout.flush();
        doc->fileSaved = true;
        mainWindow->mnuFileClose_Click();
        EXPECT_TRUE(QTest::qWaitFor([] { return Form::documentCount() == 0; }, kWait)) << "the page did not close";
    }
    std::cout << "exact " << exact << ", exact but &nbsp; " << nbsp << ", other " << other << ", skipped " << skipped << "\n";
    EXPECT_EQ(other + nbsp, 0);
}

}  // namespace
}  // namespace kavrin::test
