#include <QGuiApplication>

#include <climits>

#include "fixture.h"
#include "platform/system/screen.h"

namespace kavrin::test {
namespace {

using ScreenTest = KavrinTest;

TEST_F(ScreenTest, BusyPointerDoesNotStack) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    setBusy(true);
    setBusy(true);
    setBusy(true);
    EXPECT_TRUE(isBusy());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    // One call clears what several set.
    setBusy(false);
    EXPECT_FALSE(isBusy());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // A clear without a set takes away nobody else's pointer.
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    setBusy(false);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
}

TEST_F(ScreenTest, TwipsConvertAtFifteenPerPixel) {
    EXPECT_EQ(twipsToPixels(3500), 233);
    EXPECT_EQ(twipsToPixels(-22), -1);
    EXPECT_EQ(pixelsToTwips(200), 3000);
    // Values at the ends of the range (a damaged settings file) neither wrap nor overflow.
    EXPECT_EQ(twipsToPixels(INT_MAX), INT_MAX / 15);
    EXPECT_EQ(twipsToPixels(INT_MIN), -143165577);
    EXPECT_EQ(pixelsToTwips(INT_MAX), INT_MAX);
    EXPECT_EQ(pixelsToTwips(INT_MIN), INT_MIN);
    EXPECT_EQ(pixelsToTwips(INT_MAX / 15), INT_MAX / 15 * 15);
}

}  // namespace
}  // namespace kavrin::test
