#include "documents/globals.h"
#include "documents/module1.h"
#include "fixture.h"

namespace kavrin::test {
namespace {

using FontListTest = KavrinTest;

TEST(SortStringArray, CaseInsensitiveByCharacterCodeAndStable) {
    QStringList names{"Zeta", "arial", "Arial Black", "ARIAL", "Arial", "9pin", "_Under", "@Mincho",
                      "courier", "Courier New", "", "b"};
    sortStringArray(names);
    // "arial", "ARIAL" and "Arial" differ only in case and keep their order; a prefix comes first;
    // digits and punctuation come before letters by code, not by the locale's collation.
    EXPECT_EQ(names, (QStringList{"", "9pin", "@Mincho", "_Under", "arial", "ARIAL", "Arial", "Arial Black",
                                  "b", "courier", "Courier New", "Zeta"}));

    QStringList empty;
    sortStringArray(empty);
    EXPECT_TRUE(empty.isEmpty());
}

TEST_F(FontListTest, ListsAtMostTheFirst400FontsSorted) {
    QStringList installed;
    for (int i = 400; i >= 0; --i) installed << QStringLiteral("Font %1").arg(i, 3, 10, QLatin1Char('0'));
    // Platform order is descending, so the 401st (dropped) entry is "Font 000".
    loadFontNames(installed);
    ASSERT_EQ(fontCount, 400);
    ASSERT_EQ(fontNames.size(), 400);
    EXPECT_EQ(fontNames.first(), "Font 001");
    EXPECT_EQ(fontNames.last(), "Font 400");
    EXPECT_TRUE(std::is_sorted(fontNames.begin(), fontNames.end()));
}

TEST_F(FontListTest, SecondLoadRebuildsFromScratch) {
    loadFontNames(QStringList{"Serif", "Mono", "Sans"});
    EXPECT_EQ(fontNames, (QStringList{"Mono", "Sans", "Serif"}));
    loadFontNames(QStringList{"Helvetica"});
    EXPECT_EQ(fontNames, QStringList{"Helvetica"});
    EXPECT_EQ(fontCount, 1);
    // A screen without fonts leaves the list unbuilt, so the next caller tries again.
    loadFontNames(QStringList{});
    EXPECT_EQ(fontCount, 0);
    EXPECT_TRUE(fontNames.isEmpty());
    // The installed fonts.
    loadFontNames();
    EXPECT_EQ(fontCount, std::min<qsizetype>(400, fontNames.size()));
    EXPECT_LE(fontCount, 400);
}

}  // namespace
}  // namespace kavrin::test
