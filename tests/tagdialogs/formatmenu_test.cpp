// The Format and Insert menu items on a selection.
#include "tagtest.h"

namespace kavrin::test {
namespace {

class FormatMenuTest : public TagDialogTest {};

TEST_F(FormatMenuTest, HeadingsWrapTheSelection) {
    ASSERT_EQ(mainWindow->mnuFormatHeadingArr.size(), 6);
    setDocument("|Title|\r\n");
    mainWindow->mnuFormatHeadingArr[2]->trigger();
    EXPECT_EQ(text(), "<h3>Title</h3>\r\n");
    EXPECT_EQ(caret(), 9);  // before the end tag
    for (int i = 0; i < 6; ++i) {
        setDocument("|x|");
        mainWindow->mnuFormatHeadingArr[i]->trigger();
        EXPECT_EQ(text(), QString("<h%1>x</h%1>").arg(i + 1));
    }
}

TEST_F(FormatMenuTest, EveryFormatAndInsertItemWritesItsPair) {
    const std::pair<QAction*, const char*> items[] = {
        {mainWindow->mnuFormatBold, "<b>x</b>"},
        {mainWindow->mnuFormatItalics, "<i>x</i>"},
        {mainWindow->mnuFormatBoldAndItalics, "<b><i>x</i></b>"},
        {mainWindow->mnuFormatBig, "<big>x</big>"},
        {mainWindow->mnuFormatSmall, "<small>x</small>"},
        {mainWindow->mnuFormatStrike, "<strike>x</strike>"},
        {mainWindow->mnuFormatSub, "<sub>x</sub>"},
        {mainWindow->mnuFormatSup, "<sup>x</sup>"},
        {mainWindow->mnuFormatTT, "<tt>x</tt>"},
        {mainWindow->mnuFormatUnderline, "<u>x</u>"},
        {mainWindow->mnuFormatPre, "<pre>x</pre>"},
        {mainWindow->mnuInsertBr, "<br>x"},
        {mainWindow->mnuInsertDiv, "<div>x</div>"},
        {mainWindow->mnuInsertHr, "<hr>x"},
        {mainWindow->mnuInsertComment, "<!--x-->"},
        {mainWindow->mnuInsertListItem, "<li>x"},
        {mainWindow->mnuInsertDefinitionTerm, "<dt>x"},
        {mainWindow->mnuInsertDefinitionData, "<dd>x"},
    };
    for (const auto& [item, written] : items) {
        setDocument("|x|");
        item->trigger();
        EXPECT_EQ(text(), written) << item->objectName().toStdString();
    }
    EXPECT_TRUE(editor()->redraw());  // the comment switched drawing back on
}

TEST_F(FormatMenuTest, ParagraphBreakFollowsTheEndingSetting) {
    setDocument("|para|");
    mainWindow->mnuInsertP->trigger();
    EXPECT_EQ(text(), "<p>para");
    EXPECT_EQ(caret(), 7);

    addEndingP = true;
    setDocument("|para|");
    mainWindow->mnuInsertP->trigger();
    EXPECT_EQ(text(), "<p>para</p>");
    EXPECT_EQ(caret(), 7);
}

TEST_F(FormatMenuTest, WithoutADocumentNothingHappens) {
    doc->unload();
    ASSERT_EQ(activeDocument(), nullptr);
    mainWindow->mnuFormatBold->trigger();
    mainWindow->mnuInsertComment->trigger();
    mainWindow->initEditTag();
    EXPECT_FALSE(mainWindow->mnuPopupEditTag->isEnabled());
    mainWindow->mnuPopupEditTag_Click();
}

}  // namespace
}  // namespace kavrin::test
