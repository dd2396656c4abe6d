// What the design view writes back into pages of the shapes generators and people give them:
// keys and clicks into the real web engine, then the file as saved, byte for byte.
#include <ostream>

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
    DocumentWindow* doc = openInDesign(kDocBook);
    ASSERT_TRUE(doc);
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
    DocumentWindow* doc = openInDesign(page);
    ASSERT_TRUE(doc);
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
    DocumentWindow* doc = openInDesign(page);
    ASSERT_TRUE(doc);
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
    DocumentWindow* doc = openInDesign(page);
    ASSERT_TRUE(doc);
    EXPECT_TRUE(allAnswered());
    clickBefore(doc, "term 300");
    typeKeys(doc, "Qzx ");
    EXPECT_EQ(savedAfterEdit(doc), QByteArray(page).replace("<b>term 300", "<b>Qzx term 300"));
}

}  // namespace
}  // namespace kavrin::test
