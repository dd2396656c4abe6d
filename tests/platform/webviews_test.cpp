// The design and browse controls' own rules, and the design control on the real web engine.
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include "fixture.h"
#include "platform/dhtmledit.h"
#include "platform/webbrowser.h"

namespace kavrin::test {
namespace {

class WebViewsTest : public KavrinTest {};

TEST_F(WebViewsTest, PagesAreShownInTheEncodingTheEditorReadsThemIn) {
    EXPECT_EQ(pageContentType("<p>caf\xc3\xa9</p>"), "text/html;charset=utf-8");
    EXPECT_EQ(pageContentType("<p>caf\xe9</p>"), "text/html;charset=windows-1252");
    // A page that names its own character set keeps it when its bytes are not UTF-8.
    EXPECT_EQ(pageContentType("<meta charset=\"iso-8859-2\"><p>\xb9</p>"), "text/html");
    EXPECT_EQ(pageContentType("<meta http-equiv=Content-Type content=\"text/html; charset=koi8-r\">\xc1"), "text/html");
}

TEST_F(WebViewsTest, FramesetPagesAreToldApartAndShownWithoutEditing) {
    EXPECT_TRUE(containsFrameset("<html><FRAMESET cols=\"50%,*\"><frame src=a.htm></frameset></html>"));
    EXPECT_FALSE(containsFrameset("<!-- <frameset> --><p>frameset is a word</p>"));
    EXPECT_FALSE(containsFrameset("<framesetx>"));

    DhtmlEdit edit;
    edit.resize(400, 300);
    edit.show();
    EXPECT_EQ(edit.setDocumentHTML("<frameset rows=\"*\"><frame src=\"a.htm\"></frameset>"), kDesignErrorFrameset);
    ASSERT_TRUE(edit.waitReady(20000));
    EXPECT_LT(edit.QueryStatus(DECMD_BOLD), DECMDF_ENABLED);
    edit.ExecCommand(DECMD_SELECTALL);
    edit.ExecCommand(DECMD_DELETE);
    EXPECT_FALSE(edit.IsDirty());

    // An ordinary page loads for editing; the display options never reach its HTML.
    EXPECT_EQ(edit.setDocumentHTML("<table><tr><td id=c>x</td></tr></table>"), 0);
    ASSERT_TRUE(edit.waitReady(20000));
    const QString loaded = edit.loadedHTML();
    edit.ShowBorders = true;
    edit.ShowDetails = true;
    EXPECT_EQ(edit.DocumentHTML(), loaded);
    EXPECT_FALSE(edit.IsDirty());
    EXPECT_EQ(edit.ExecCommand(DECMD_GETBLOCKFMTNAMES).toStringList().first(), "Normal");
    EXPECT_EQ(designBlockFormatTag("Heading 3"), "h3");
}

}  // namespace
}  // namespace kavrin::test
