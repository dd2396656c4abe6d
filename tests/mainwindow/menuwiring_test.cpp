#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMetaMethod>

#include "mainwindow_fixture.h"

namespace kavrin::test {
namespace {

// receivers() is protected; a pointer to it taken through a derived class calls it on any
// action without pretending the action is of that class.
struct ActionView : QAction {
    static constexpr auto receiversOf = &ActionView::receivers;
};

int listeners(QAction* action) {
    return (action->*ActionView::receiversOf)(SIGNAL(triggered(bool))) +
           (action->*ActionView::receiversOf)(SIGNAL(toggled(bool)));
}

// A user who opens a menu must never find an item that is live and does nothing.
TEST_F(MainWindowTest, EveryNamedMenuItemHasAHandlerOrIsDisabled) {
    mdiMain* main = start();
    // The menu that holds an item listens to it too: only listeners beyond that are handlers.
    QMenu menu;
    const int menuOnly = listeners(menu.addAction("unconnected"));
    // Some items come alive only with a document open: look with none and with one.
    for (const bool withDocument : {false, true}) {
        SCOPED_TRACE(withDocument);
        if (withDocument) main->mnuFileNewBlank->trigger();
        ASSERT_EQ(activeDocument() != nullptr, withDocument);
        QStringList dead;
        int checked = 0;
        for (QAction* action : main->findChildren<QAction*>()) {
            const QString name = action->objectName();
            if (!name.startsWith("mnu") || action->menu()) continue;
            ++checked;
            if (action->isEnabled() && listeners(action) <= menuOnly) dead << name;
        }
        EXPECT_GT(checked, 120);
        EXPECT_EQ(dead.join(", ").toStdString(), "");
    }
}

}  // namespace
}  // namespace kavrin::test
