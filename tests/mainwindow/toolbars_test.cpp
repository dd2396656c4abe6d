// The toolbar area's headers as a user works them, and View > Toolbar, Status Bar and Resource
// Panel with their check marks, within a run and across runs.
#include <QApplication>
#include <QTest>
#include <QToolButton>

#include "mainwindow/colorbar.h"
#include "mainwindow/toolbararea.h"
#include "mainwindow_fixture.h"
#include "platform/system/screen.h"

namespace kavrin::test {
namespace {

class ToolbarsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start();
        QCoreApplication::processEvents();  // the layout settles as the window is first shown
    }
    static void pressHeader(int index) { QTest::mousePress(mainWindow->picTab[index], Qt::LeftButton); }
    static void hover(QWidget* w) {
        QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)));
        QApplication::sendEvent(w, &enter);
    }
    static void leave(QWidget* w) {
        QEvent e(QEvent::Leave);
        QApplication::sendEvent(w, &e);
    }
    // Which of the tag toolbars (0 to 6) and the colour bar (7) are showing.
    static QVector<int> shownRows() {
        QVector<int> shown;
        for (int i = 0; i < 7; ++i)
            if (mainWindow->tagToolbar(i)->isVisible()) shown << i;
        if (mainWindow->picColor->isVisible()) shown << 7;
        return shown;
    }
    static void pressToolButton(Toolbar* toolbar, const QString& key) {
        QTest::mouseClick(qobject_cast<QToolButton*>(toolbar->widgetForAction(toolbar->button(key))), Qt::LeftButton);
    }
};

TEST_F(ToolbarsTest, HeadersChooseTheToolbarBeneathThem) {
    mdiMain* main = mainWindow;
    ASSERT_EQ(main->picTab.size(), 8);
    // One row, each header where the one before it ends, right of the main toolbars.
    for (int i = 1; i < 8; ++i) {
        EXPECT_EQ(main->picTab[i]->x(), main->picTab[i - 1]->geometry().right() + 1);
        EXPECT_EQ(main->picTab[i]->y(), main->picTab[0]->y());
    }
    EXPECT_GT(main->picTab[0]->mapTo(main, QPoint()).x(), main->tbrMainA->mapTo(main, QPoint()).x() + main->tbrMainA->width());
    // At start the first header is chosen and its toolbar shows.
    EXPECT_TRUE(main->picTab[0]->isRaised());
    EXPECT_EQ(shownRows(), QVector<int>{0});

    newDocument();
    DocumentWindow* doc = activeDocument();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    main->treMain->setFocus();
    ASSERT_TRUE(main->treMain->hasFocus());
    pressHeader(4);
    EXPECT_EQ(shownRows(), QVector<int>{4});
    EXPECT_TRUE(main->picTab[4]->isSelected());
    EXPECT_FALSE(main->picTab[0]->isRaised());
    // The user goes on typing where the caret was.
    EXPECT_TRUE(doc->txtMain->hasFocus());

    // The chosen header again changes nothing, not even the focus.
    main->treMain->setFocus();
    pressHeader(4);
    EXPECT_EQ(shownRows(), QVector<int>{4});
    EXPECT_TRUE(main->treMain->hasFocus());

    // The colour header shows the colour bar and, of the colour buttons, only "Select Color".
    pressHeader(7);
    EXPECT_EQ(shownRows(), QVector<int>{7});
    EXPECT_TRUE(main->tbrColor->isVisible());
    for (const QString& key : main->tbrColor->keys())
        EXPECT_EQ(main->tbrColor->button(key)->isVisible(), key == "color") << key.toStdString();
    QCoreApplication::processEvents();
    const QRect bar(main->picColor->mapTo(main, QPoint()), main->picColor->size());
    const QRect buttons(main->tbrColor->mapTo(main, QPoint()), main->tbrColor->size());
    EXPECT_GT(buttons.left(), bar.right());
    EXPECT_LT(buttons.left(), bar.right() + 30);
    EXPECT_NEAR(buttons.center().y(), bar.center().y(), 2);
    pressHeader(1);
    EXPECT_EQ(shownRows(), QVector<int>{1});
    EXPECT_FALSE(main->tbrColor->isVisible());

    // Another view's rows take the place of the headers and tag toolbars, and give it back.
    auto* rows = new QWidget();
    main->picTools->showViewRows(rows);
    EXPECT_FALSE(main->picTab[0]->isVisible());
    EXPECT_FALSE(main->tbrFont->isVisible());
    main->picTools->showViewRows(nullptr);
    EXPECT_TRUE(main->picTab[0]->isVisible());
    EXPECT_EQ(shownRows(), QVector<int>{1});
}

TEST_F(ToolbarsTest, TheHeaderUnderThePointerIsRaisedAndTheChosenOneStaysRaised) {
    TagTab* chosen = mainWindow->picTab[0];
    TagTab* other = mainWindow->picTab[2];
    hover(other);
    EXPECT_TRUE(other->isRaised());
    // Moving on to the next header flattens the one left behind.
    leave(other);
    hover(mainWindow->picTab[3]);
    EXPECT_FALSE(other->isRaised());
    EXPECT_TRUE(mainWindow->picTab[3]->isRaised());
    leave(mainWindow->picTab[3]);
    hover(chosen);
    leave(chosen);
    EXPECT_TRUE(chosen->isRaised());
    // The hover outlives no press: the pressed header stays raised after the pointer leaves.
    hover(other);
    pressHeader(2);
    leave(other);
    EXPECT_TRUE(other->isRaised());
    EXPECT_FALSE(chosen->isRaised());
}

TEST_F(ToolbarsTest, ViewItemsSwitchTheirBarsAndTheirCheckMarksTellTheTruth) {
    mdiMain* main = mainWindow;
    newDocument();
    ASSERT_TRUE(main->picPop->isVisible());
    for (QAction* item : {main->mnuOptionsToolbar, main->mnuOptionsStatusbar, main->mnuOptionsFileList}) {
        EXPECT_TRUE(item->isCheckable());
        EXPECT_TRUE(item->isChecked());
    }

    main->mnuOptionsToolbar->trigger();
    EXPECT_FALSE(main->picTools->isVisible());
    EXPECT_FALSE(main->mnuOptionsToolbar->isChecked());
    EXPECT_FALSE(showToolbar);
    main->mnuOptionsToolbar->trigger();
    EXPECT_TRUE(main->picTools->isVisible());
    EXPECT_TRUE(main->mnuOptionsToolbar->isChecked());

    // The document task bar goes with the status bar, and comes back only when the options want it.
    main->mnuOptionsStatusbar->trigger();
    EXPECT_FALSE(main->stbMain->isVisible());
    EXPECT_FALSE(main->picPop->isVisible());
    EXPECT_FALSE(main->mnuOptionsStatusbar->isChecked());
    main->mnuOptionsStatusbar->trigger();
    EXPECT_TRUE(main->stbMain->isVisible());
    EXPECT_TRUE(main->picPop->isVisible());
    showTaskBar = false;
    main->mnuOptionsStatusbar->trigger();
    main->mnuOptionsStatusbar->trigger();
    EXPECT_TRUE(main->stbMain->isVisible());
    EXPECT_FALSE(main->picPop->isVisible());
    EXPECT_TRUE(main->mnuOptionsStatusbar->isChecked());

    // The side panel, from the menu and from the main toolbar's "panel" button alike.
    QAction* panelButton = main->tbrMainB->button("panel");
    main->mnuOptionsFileList->trigger();
    EXPECT_FALSE(main->picFile->isVisible());
    EXPECT_FALSE(main->mnuOptionsFileList->isChecked());
    EXPECT_FALSE(panelButton->isChecked());
    pressToolButton(main->tbrMainB, "panel");
    EXPECT_TRUE(main->picFile->isVisible());
    EXPECT_TRUE(main->mnuOptionsFileList->isChecked());
    EXPECT_TRUE(panelButton->isChecked());

    // A panel dragged nearly shut comes back a fifth of the window wide.
    main->setPicFileWidth(150);
    main->mnuOptionsFileList->trigger();
    EXPECT_FALSE(main->picFile->isVisible());
    EXPECT_NEAR(main->picFileWidth(), pixelsToTwips(main->width()) / 5, kTwipsPerPixel);
    main->mnuOptionsFileList->trigger();
    EXPECT_NEAR(main->picFile->width(), main->width() / 5, 1);
}

TEST_F(ToolbarsTest, ViewChoicesAreKeptBetweenRuns) {
    for (QAction* item : {mainWindow->mnuOptionsToolbar, mainWindow->mnuOptionsStatusbar, mainWindow->mnuOptionsFileList})
        item->trigger();
    ASSERT_TRUE(exitProgram());
    EXPECT_EQ(setting("Options", "ShowToolbar"), "False");
    EXPECT_EQ(setting("Options", "ShowStatusbar"), "False");
    EXPECT_EQ(setting("Options", "ShowPanel"), "False");

    newRun();
    mdiMain* main = start();
    EXPECT_FALSE(main->picTools->isVisible());
    EXPECT_FALSE(main->stbMain->isVisible());
    EXPECT_FALSE(main->picFile->isVisible());
    for (QAction* item : {main->mnuOptionsToolbar, main->mnuOptionsStatusbar, main->mnuOptionsFileList})
        EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(main->tbrMainB->button("panel")->isChecked());
}

}  // namespace
}  // namespace kavrin::test
