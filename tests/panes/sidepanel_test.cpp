// The side panel in the shown main window: layout, tabs, splitters, kept sizes, minimising.
#include <QMdiArea>
#include <QTabBar>

#include "platform/files/settingsstore.h"

#include "panes_fixture.h"

namespace kavrin::test {
namespace {

class SidePanelTest : public PanesTest {
protected:
    void press(QWidget* w, QPoint at) { sendMouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void move(QWidget* w, QPoint at) { sendMouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void release(QWidget* w, QPoint at) {
        sendMouse(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        QApplication::processEvents();
    }
};

// A tool window of the kind that floats beside the main window.
class ToolWindow : public Form {
public:
    ToolWindow() { setCaption("Tool"); }
};

TEST_F(SidePanelTest, ThePanelHoldsTheExplorerOverItsTabStrip) {
    openMainWindow();
    QWidget* panel = mainWindow->picFile;
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->width(), 200);
    EXPECT_EQ(panel->x(), 0);
    const int h = panel->height();
    ASSERT_GT(h, 300);
    const PanelGeometry g = layoutPanel(200, h, 233, 1, mainWindow->txtProjects->sizeHint().height(),
                                        mainWindow->picProjectTbr->size());
    for (auto [pane, place] : {std::pair<QWidget*, QRect>{mainWindow->tbsMain, g.tbsMain},
                               {mainWindow->picSplitter, g.picSplitter}, {mainWindow->picHSplitter, g.picHSplitter},
                               {mainWindow->treMain, g.treMain}, {mainWindow->filList, g.filList}})
        EXPECT_EQ(pane->geometry(), place) << pane->objectName().toStdString();

    QTabBar* tabs = mainWindow->tbsMain->tabBar();
    ASSERT_EQ(tabs->count(), 4);
    QStringList keys, tips;
    for (int i = 0; i < 4; ++i) {
        keys << tabs->tabData(i).toString();
        tips << tabs->tabToolTip(i);
        EXPECT_TRUE(tabs->tabText(i).isEmpty());
    }
    EXPECT_EQ(keys, (QStringList{"file", "html", "script", "project"}));
    EXPECT_EQ(tips, (QStringList{"File Explorer", "HTML Explorer", "JavaScript Explorer", "Project Explorer"}));

    // Another tab hides the explorer; its own tab brings it back as it was.
    mainWindow->tbsMain->setCurrentIndex(3);
    EXPECT_TRUE(mainWindow->picProjectTbr->isVisible());
    EXPECT_FALSE(mainWindow->filList->isVisible());
    mainWindow->tbsMain->setCurrentIndex(0);
    EXPECT_TRUE(mainWindow->treMain->isVisible());
    EXPECT_TRUE(mainWindow->filList->isVisible());
    EXPECT_FALSE(mainWindow->picProjectTbr->isVisible());
}

TEST_F(SidePanelTest, TheSplitterBetweenTreeAndListMovesThePanesWhenReleased) {
    openMainWindow();
    SplitterBar* bar = mainWindow->picHSplitter;
    const int h = mainWindow->picFile->height();

    press(bar, QPoint(20, 3));
    EXPECT_EQ(bar->backColor(), QColor(Qt::black));
    move(bar, QPoint(20, 53));
    EXPECT_EQ(bar->y(), 286);
    EXPECT_EQ(mainWindow->treMain->height(), 204);  // the panes wait for the release
    release(bar, QPoint(20, 3));
    EXPECT_EQ(bar->backColor(), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(mainWindow->treMain->geometry(), QRect(6, 29, 183, 257));
    EXPECT_EQ(mainWindow->filList->y(), 291);
    EXPECT_EQ(mainWindow->picHSplitterTop(), 286 * 15);

    // Moves stop 60 pixels from either end; a move without the button pressed does nothing.
    press(bar, QPoint(20, 3));
    move(bar, QPoint(20, -5000));
    EXPECT_EQ(bar->y(), 60);
    move(bar, QPoint(20, 5000));
    EXPECT_EQ(bar->y(), h - 60);
    release(bar, QPoint(20, 3));
    sendMouse(bar, QEvent::MouseMove, QPoint(20, -100), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(bar->y(), h - 60);
    EXPECT_EQ(mainWindow->filList->height(), h - (h - 60 - 29) - 38);
}

TEST_F(SidePanelTest, TheSplitterBesideTheDocumentsSetsThePanelWidth) {
    openMainWindow();
    SplitterBar* bar = mainWindow->picSplitter;
    QRubberBand* drawn = mainWindow->splitterBar();

    // A press and release in place leaves the width as it was.
    press(bar, QPoint(3, 100));
    EXPECT_TRUE(drawn->isVisible());
    EXPECT_EQ(drawn->geometry().x(), bar->mapTo(mainWindow, QPoint(0, 0)).x());
    release(bar, QPoint(3, 100));
    EXPECT_FALSE(drawn->isVisible());
    EXPECT_EQ(mainWindow->picFileWidth(), 3000);

    press(bar, QPoint(3, 100));
    move(bar, QPoint(103, 100));
    EXPECT_EQ(mainWindow->picFile->width(), 200);  // only the bar follows the mouse
    // Too far to the left the bar stays where it was; the release takes the last bar drawn.
    move(bar, QPoint(-180, 100));
    release(bar, QPoint(-180, 100));
    QApplication::processEvents();
    EXPECT_EQ(mainWindow->picFileWidth(), 300 * 15);
    EXPECT_EQ(mainWindow->picFile->width(), 300);
    EXPECT_EQ(mainWindow->treMain->width(), 300 - 17);

    // Nor does it go beyond nine tenths of the window less 90 twips.
    press(bar, QPoint(3, 100));
    move(bar, QPoint(2000, 100));
    release(bar, QPoint(2000, 100));
    EXPECT_EQ(mainWindow->picFileWidth(), 300 * 15);
}

TEST_F(SidePanelTest, TheSizesTheSettingsKeepComeBackAsGiven) {
    openMainWindow();
    mainWindow->setPicFileWidth(4500);
    mainWindow->setPicHSplitterTop(2000);
    QApplication::processEvents();
    EXPECT_EQ(mainWindow->picFile->width(), 300);
    EXPECT_EQ(mainWindow->picHSplitter->y(), 133);
    EXPECT_EQ(mainWindow->picFileWidth(), 4500);
    EXPECT_EQ(mainWindow->picHSplitterTop(), 2000);

    // A top the panel cannot hold is kept, and used once the panel is tall enough.
    mainWindow->setPicHSplitterTop(30000);
    EXPECT_EQ(mainWindow->picHSplitter->y(), mainWindow->picFile->height() - 60);
    EXPECT_EQ(mainWindow->picHSplitterTop(), 30000);
    mainWindow->setPicHSplitterTop(2000);

    // A panel wider than nine tenths of the window is cut, and the documents keep their room:
    // the window does not grow for it.
    const int windowWidth = mainWindow->width();
    mainWindow->setPicFileWidth(60000);
    QApplication::processEvents();
    EXPECT_EQ(mainWindow->width(), windowWidth);
    EXPECT_LE(mainWindow->picFile->width(), int(0.9 * windowWidth));
    EXPECT_GT(mainWindow->mdiArea()->width(), 0);
    EXPECT_EQ(mainWindow->picFileWidth(), mainWindow->picFile->width() * 15);

    // The next run finds them where this one left them.
    mainWindow->setPicFileWidth(4500);
    QApplication::processEvents();
    ASSERT_TRUE(mainWindow->unload());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(getSetting("Kavrin Pro", "Settings", "FileListWidth"), "4500");
    EXPECT_EQ(getSetting("Kavrin Pro", "Settings", "PicHSplitterTop"), "2000");
    openMainWindow();
    QApplication::processEvents();
    EXPECT_EQ(mainWindow->picFile->width(), 300);
    EXPECT_EQ(mainWindow->picHSplitter->y(), 133);
    EXPECT_EQ(mainWindow->treMain->height(), 133 - 29);
}

TEST_F(SidePanelTest, MinimisingTakesTheShowingToolWindowsAlong) {
    openMainWindow();
    frmMenuInstance();
    auto* shown = new ToolWindow();
    shown->show();
    auto* hidden = new ToolWindow();
    hidden->load();
    ASSERT_TRUE(shown->isVisible());
    ASSERT_FALSE(hidden->isVisible());

    mainWindow->setWindowState(vbMinimized);
    QApplication::processEvents();
    mainWindow->MDIForm_Resize();
    EXPECT_FALSE(shown->isVisible());

    mainWindow->setWindowState(vbNormal);
    QApplication::processEvents();
    mainWindow->MDIForm_Resize();
    EXPECT_TRUE(shown->isVisible());
    // A window that was hidden before stays hidden, and so does the menu window.
    EXPECT_FALSE(hidden->isVisible());
    EXPECT_FALSE(frmMenuInstance()->isVisible());
}

}  // namespace
}  // namespace kavrin::test
