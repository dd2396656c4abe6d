// The rules of the tag tree and the script tree, apart from any widget: how data file lines
// become nodes, what a node writes into a page, which commands it offers, and the type-ahead.
#include <gtest/gtest.h>

#include <QFile>

#include "panes/scriptdata.h"
#include "panes/tagdata.h"

namespace kavrin {
namespace {

QStringList texts(const TreeBuild& build) {
    QStringList out;
    for (const TreeNodeData& node : build.nodes) out << node.text;
    return out;
}

// "text:image@parent" for each node, the parent given by its text.
QStringList shape(const TreeBuild& build) {
    QStringList out;
    for (const TreeNodeData& node : build.nodes)
        out << node.text + ":" + node.image + "@" +
                   (node.parent >= 0 ? build.nodes[node.parent].text : QStringLiteral("-"));
    return out;
}

QString shipped(const char* name) {
    QFile f(QStringLiteral(KAVRIN_DATA_DIR) + "/" + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromUtf8(f.readAll());
}

TEST(TagTreeData, LinesBecomeTagsWithTheirAttributesValuesEventsAndFlags) {
    QSet<QString> keys{"custom"};
    const TreeBuild build = tagNodesFromData(
        u"  <B></B>  \r\n\r\n<A HREF=x TARGET=_blank,_top onClick= NOWRAP ></A>\r\n<FONT SIZE=n  COLOR=Red,,Blue= >",
        &keys);
    EXPECT_TRUE(build.error.isEmpty());
    EXPECT_EQ(shape(build), (QStringList{
                                "HTML Tags:closedfolder@-", "<!-- -->:tag@HTML Tags", "<b></b>:tag@HTML Tags",
                                "<a></a>:tag@HTML Tags", "href=:attribute@<a></a>", "target=:attribute@<a></a>",
                                "_blank:value@target=", "_top:value@target=", "onClick=:event@<a></a>",
                                "nowrap:flag@<a></a>", "<font>:tag@HTML Tags", "size=:attribute@<font>",
                                // Two blanks in a row give an empty flag; empty list items give empty values.
                                ":flag@<font>", "color=:attribute@<font>", "red:value@color=", ":value@color=",
                                "blue=:value@color=",
                            }));
    EXPECT_EQ(build.nodes[0].key, "top");
    EXPECT_EQ(build.nodes[0].expandedImage, "openfolder");
    // A tag from a line without a blank has no key; the others are keyed by their text, and an
    // attribute with values by its tag's key and its name as written.
    EXPECT_EQ(build.nodes[2].key, "");
    EXPECT_EQ(build.nodes[3].key, "<a></a>");
    EXPECT_EQ(build.nodes[5].key, "<a></a>TARGET=");
    EXPECT_TRUE(keys.contains("<font>COLOR="));
}

TEST(TagTreeData, ASecondTagOrAttributeWithTheSameKeyStopsTheBuildKeepingWhatCameBefore) {
    QSet<QString> keys;
    TreeBuild build = tagNodesFromData(u"<I X ></I>\n<U></U>\n<i Y ></i>\n<S></S>", &keys);
    EXPECT_EQ(texts(build), (QStringList{"HTML Tags", "<!-- -->", "<i></i>", "x", "<u></u>"}));
    EXPECT_TRUE(build.error.contains("Line 3")) << build.error.toStdString();
    EXPECT_TRUE(build.error.contains("<i></i>"));

    keys.clear();
    build = tagNodesFromData(u"<Q A=1,2 A=3,4 ></Q>", &keys);
    EXPECT_EQ(texts(build), (QStringList{"HTML Tags", "<!-- -->", "<q></q>", "a=", "1", "2"}));
    EXPECT_FALSE(build.error.isEmpty());
    // The same name with values in another spelling is another key.
    keys.clear();
    EXPECT_TRUE(tagNodesFromData(u"<Q A=1,2 a=3,4 ></Q>", &keys).error.isEmpty());
}

TEST(TagTreeData, TheShippedTagDataBuildsWholeAndQuickly) {
    QSet<QString> keys{"custom"};
    const TreeBuild build = tagNodesFromData(shipped("html.dat"), &keys);
    EXPECT_TRUE(build.error.isEmpty()) << build.error.toStdString();
    const QStringList all = texts(build);
    // Every text that Edit... opens a dialog for is one of the shipped tags.
    for (const QString& text : tagNodeEditTexts()) EXPECT_TRUE(all.contains(text)) << text.toStdString();
    EXPECT_GT(build.nodes.size(), 3000);
}

TEST(TagTreeData, ANodeSplitsIntoStartAndEndTagAndAttributesGetQuotes) {
    auto check = [](const QString& text, bool endingP, const QString& start, const QString& end, bool quoted) {
        const TagNodeInsertion got = tagNodeInsertion(text, endingP);
        EXPECT_EQ(got.startTag, start) << text.toStdString();
        EXPECT_EQ(got.endTag, end) << text.toStdString();
        EXPECT_EQ(got.quoted, quoted) << text.toStdString();
    };
    check("<a></a>", false, "<a>", "</a>", false);
    check("<font color=red></font>", false, "<font color=red>", "</font>", false);
    check("<p></p>", false, "<p>", "", false);
    check("<p></p>", true, "<p>", "</p>", false);
    check("<br>", false, "<br>", "", false);
    check("<!-- -->", false, "<!-- -->", "", false);
    check("href=", false, "href=\"\"", "", true);
    check("onClick=", false, "onClick=\"\"", "", true);
    check("center", false, "center", "", false);
}

TEST(TagTreeData, TheMenuOffersWhatTheNodeAllows) {
    auto items = [](const QString& text, bool root, bool custom, bool dialog, bool document) {
        const TagNodeMenuState s = tagNodeMenuState(text, root, custom, dialog, document);
        return QString("%1%2%3%4%5%6")
            .arg(s.insert)
            .arg(s.edit)
            .arg(s.copy)
            .arg(s.addCustom)
            .arg(s.editCustom)
            .arg(s.deleteCustom);
    };
    // insert, edit, copy, add custom, edit custom, delete custom
    EXPECT_EQ(items("HTML Tags", true, false, false, true), "000100");
    EXPECT_EQ(items("Custom Tags", true, false, false, true), "000100");
    EXPECT_EQ(items("<td></td>", false, false, true, true), "111100");
    EXPECT_EQ(items("<td></td>", false, false, false, true), "101100");  // its dialog does not exist yet
    EXPECT_EQ(items("<td></td>", false, true, true, true), "111111");    // a custom tag with such a text
    EXPECT_EQ(items("<blink></blink>", false, false, true, true), "101100");
    EXPECT_EQ(items("href=", false, false, true, true), "101100");
    EXPECT_EQ(items("<td></td>", false, false, true, false), "001100");  // nowhere to insert

    EXPECT_FALSE(tagNodeInsertsOnDoubleClick("<a></a>", false, false));
    EXPECT_FALSE(tagNodeInsertsOnDoubleClick("HTML Tags", true, false));
    EXPECT_TRUE(tagNodeInsertsOnDoubleClick("<foo></foo>", false, true));
    EXPECT_TRUE(tagNodeInsertsOnDoubleClick("align=", false, false));
    EXPECT_TRUE(tagNodeInsertsOnDoubleClick("nowrap", false, false));
}

TEST(TagTreeData, TypingALetterCyclesThroughTheTagsThatBeginWithIt) {
    const QStringList tags{"<!-- -->", "<a></a>", "<table></table>", "<b></b>", "<td></td>", "<tr></tr>"};
    TagTypeAhead state;
    EXPECT_EQ(tagTypeAheadNext(tags, 't', state), 2);
    EXPECT_EQ(tagTypeAheadNext(tags, 't', state), 4);
    EXPECT_EQ(tagTypeAheadNext(tags, 'T', state), 5);
    EXPECT_EQ(tagTypeAheadNext(tags, 't', state), 2);  // round to the first again
    EXPECT_EQ(tagTypeAheadNext(tags, 'a', state), 1);  // another letter starts from the top
    EXPECT_EQ(tagTypeAheadNext(tags, 'a', state), 1);
    EXPECT_EQ(tagTypeAheadNext(tags, 'z', state), -1);
    EXPECT_EQ(tagTypeAheadNext(tags, 'z', state), -1);
    EXPECT_EQ(tagTypeAheadNext(tags, '!', state), 0);
}

TEST(ScriptTreeData, FieldsAreCutAsTheFileWritesThem) {
    ScriptLine line;
    QString error;
    ASSERT_TRUE(parseScriptLine(u"window,x,  Document, document, object", &line, &error));
    EXPECT_EQ(line.parentKey, "window");
    EXPECT_EQ(line.ownKey, "document");
    EXPECT_EQ(line.caption, "document");
    EXPECT_EQ(line.image, "object");
    ASSERT_TRUE(parseScriptLine(u"document,x,, write(text;more), method, more", &line, &error));
    EXPECT_EQ(line.ownKey, "");
    EXPECT_EQ(line.caption, "write(text,more)");
    EXPECT_EQ(line.image, "method, more");
    // Without the blank after its comma a caption loses its first letter.
    ASSERT_TRUE(parseScriptLine(u"a,b,,xyz, property", &line, &error));
    EXPECT_EQ(line.caption, "yz");

    for (const char16_t* bad : {u"a,b,c", u"a,b,c,", u"a,b,c, d,", u"abc"})
        EXPECT_FALSE(parseScriptLine(bad, &line, &error)) << QString::fromUtf16(bad).toStdString();
}

TEST(ScriptTreeData, TheTreeHasItsRootsItemsAndFunctionsInFileOrder) {
    const TreeBuild build = scriptNodesFromData(
        u"window,x,document, document, object\r\n\r\n"
        u"document,x,, write(text;more), method\r\n"
        u"x,y,nav,z,w\r\n"
        u"  nav,x,, appName, property  \r\n");
    EXPECT_TRUE(build.error.isEmpty()) << build.error.toStdString();
    EXPECT_EQ(shape(build), (QStringList{
                                "Window:window@-", "document:object@Window", "write(text,more):method@document",
                                "Navigator:object@-", "appName:property@Navigator",
                                "escape(string):method@-", "eval(expression):method@-", "number(objRef):method@-",
                                "parseFloat(string):method@-", "parseInt(string [, radix])):method@-",
                                "string(objRef):method@-", "unEscape(string):method@-",
                            }));
    EXPECT_EQ(build.nodes[1].key, "document");
    EXPECT_EQ(build.nodes[3].key, "nav");

    const TreeBuild whole = scriptNodesFromData(shipped("script.dat"));
    EXPECT_TRUE(whole.error.isEmpty()) << whole.error.toStdString();
    EXPECT_GT(whole.nodes.size(), 800);
}

TEST(ScriptTreeData, ABadLineEndsTheLoadWithoutTheFunctions) {
    struct Case {
        const char16_t* text;
        const char* reason;
    };
    for (const Case& c : {Case{u"window,x,a, a, object\nnowhere,x,, b, property", "nowhere"},
                          Case{u"window,x,a, a, object\nwindow,x,A, again, object", "'a'"},
                          Case{u"window,x,a, a, object\nwindow,x,nav, n, object\nwindow,x,nav, n, object", "'nav'"},
                          Case{u"window,x,a, a, object\nwindow,x,b", "Line 2"}}) {
        const TreeBuild build = scriptNodesFromData(c.text);
        EXPECT_TRUE(build.error.contains(c.reason)) << build.error.toStdString();
        EXPECT_EQ(build.nodes.last().image, "object") << "no function roots after an error";
        EXPECT_EQ(build.nodes[1].text, "a");
    }
}

TEST(ScriptTreeData, AnItemWritesItselfWithQuotesOrParentheses) {
    auto check = [](const QString& caption, bool method, const QString& text, int back) {
        const ScriptInsertion got = scriptInsertion(caption, method);
        EXPECT_EQ(got.text, text) << caption.toStdString();
        EXPECT_EQ(got.caretBack, back) << caption.toStdString();
    };
    check("onLoad=", false, "onLoad=\"\"", 1);
    check("write(text,more)", true, "write()", 1);
    check("parseInt(string [, radix]))", true, "parseInt()", 1);
    check("reload", true, "reload()", 1);  // a method written without parentheses still gets them
    check("document", false, "document", 0);
    check("history.back()", false, "history.back()", 1);
}

}  // namespace
}  // namespace kavrin
