// What the design view writes back into pages of the shapes generators and people give them:
// keys and clicks into the real web engine, then the file as saved, byte for byte.
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "designwait.h"
#include "mainwindow_fixture.h"

inline void PrintTo(const QByteArray& bytes, std::ostream* os) { *os << '"' << bytes.toStdString() << '"'; }

namespace kavrin::test {
namespace {

constexpr int kWait = 20000;

class DesignWriteBackTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        enableBrowserAndDesigner = true;
        start();
        enableBrowserAndDesigner = true;
    }

    DocumentWindow* openPage(const QByteArray& bytes) {
        path = writeFile("site/page.htm", bytes);
        mainWindow->openFile(path);
        DocumentWindow* doc = activeDocument();
        EXPECT_TRUE(doc && doc->hasViews());
        return doc;
    }

    static void view(DocumentWindow* doc, int tab) {
        doc->tbsMain->setCurrentIndex(tab);
        EXPECT_TRUE(QTest::qWaitFor([&] { return doc->mode == tab; }, kWait)) << "the view did not change";
    }

    static QVariant js(DocumentWindow* doc, const QString& script) {
        QVariant result;
        bool done = false;
        doc->dhtm->view()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kWait));
        return result;
    }

    static QWidget* input(DocumentWindow* doc) { return doc->dhtm->view()->focusProxy(); }

    // Where the first occurrence of `text` in the page's text shows: the middle of its first
    // character (`first`) or of the whole of it.
    static QPoint placeOf(DocumentWindow* doc, const QString& text, bool first) {
        const QVariantList box =
            js(doc, QString("(() => { const w = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);"
                            "for (let t = w.nextNode(); t; t = w.nextNode()) { const i = t.data.indexOf(%1); if (i < 0) continue;"
                            "t.parentElement.scrollIntoView({block: 'center', behavior: 'instant'});"
                            "const r = document.createRange(); r.setStart(t, i); r.setEnd(t, i + (%2 ? 1 : %1.length));"
                            "const b = r.getBoundingClientRect(); return [b.left, b.top, b.width, b.height]; } return []; })()")
                        .arg("'" + text + "'", first ? "true" : "false"))
                .toList();
        EXPECT_EQ(box.size(), 4) << text.toStdString();
        if (box.size() != 4) return {};
        const double x = first ? box[0].toDouble() + 1 : box[0].toDouble() + box[2].toDouble() / 2;
        return QPoint(int(x), int(box[1].toDouble() + box[3].toDouble() / 2));
    }

    // Selects a word as a person does from the keyboard: a click before it, then Shift+Ctrl+Right.
    static void selectWord(DocumentWindow* doc, const QString& word) {
        clickBefore(doc, word);
        QTest::keyClick(input(doc), Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, "getSelection().toString()").toString() == word; }, kWait))
            << js(doc, "getSelection().toString()").toString().toStdString();
    }

    // A click just inside the first character of `text`: the caret goes before it.
    static void clickBefore(DocumentWindow* doc, const QString& text) {
        QTest::mouseClick(input(doc), Qt::LeftButton, {}, placeOf(doc, text, true));
        const QString there = QString("(() => { const s = getSelection(); if (!s.isCollapsed) return false;"
                                      "const r = document.createRange(); r.setStart(s.anchorNode, s.anchorOffset);"
                                      "r.setEnd(document.body, document.body.childNodes.length); return r.toString().startsWith(%1); })()")
                                  .arg("'" + text + "'");
        EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, there).toBool(); }, kWait)) << text.toStdString();
    }

    // Types with real keys and waits until the page holds what was typed.
    static void typeKeys(DocumentWindow* doc, const QString& text) {
        QTest::keyClicks(input(doc), text);
        EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains(text.trimmed()); }, kWait));
    }

    QByteArray savedAfterEdit(DocumentWindow* doc) {
        view(doc, 0);
        mainWindow->mnuFileSave_Click();
        EXPECT_TRUE(doc->fileSaved);
        return readFile(path);
    }

    QString path;
};

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
    // The engine may take the tab and spaces that start the paragraph into the bold; they show
    // nothing either way. The line keeps its space before "user", the page its "&copy;".
    const QByteArray saved = savedAfterEdit(doc);
    const QByteArray line = saved.split('\n').value(10);
    EXPECT_TRUE(line == ">\t    <b>Unprivileged</b> user used by the privilege-separated\r" ||
                line == "><b>\t    Unprivileged</b> user used by the privilege-separated\r")
        << line.toStdString();
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
    EXPECT_TRUE(allAnswered()) << "no word of why";
    EXPECT_EQ(doc->mode, 0);
    EXPECT_EQ(doc->tbsMain->currentIndex(), 0);
    EXPECT_FALSE(mainWindow->mnuViewDesign->isChecked());
    EXPECT_EQ(doc->txtMain->text(), source);
    EXPECT_TRUE(doc->fileSaved);
}

}  // namespace
}  // namespace kavrin::test
