// Word lists, lookup, suggestions and the word scanner, without any window.
#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>

#include "documents/globals.h"
#include "fixture.h"
#include "platform/files/textfile.h"
#include "tools/spelllists.h"
#include "tools/spellscan.h"
#include "tools/spellsuggest.h"

namespace kavrin::test {
namespace {

const MainWordList& shippedList() {
    static const MainWordList list = [] {
        MainWordList l;
        l.setText(readTextFile(QStringLiteral(KAVRIN_DATA_DIR "/kvEnglish.dct")).text);
        return l;
    }();
    return list;
}

// A list in the order the lookup needs: by lower-case form, code unit by code unit.
MainWordList listOf(QStringList lines) {
    std::stable_sort(lines.begin(), lines.end(),
                     [](const QString& a, const QString& b) { return a.toLower() < b.toLower(); });
    MainWordList l;
    l.setText(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    return l;
}

TEST(SpellWordLists, ShippedListIsSortedAndFindsWordsInAnyCase) {
    const MainWordList& list = shippedList();
    ASSERT_GT(list.count(), 100600);  // more than the old fixed capacity: the list grows as needed
    // The lookup depends on the order: every entry must be found by it.
    for (int i = 1; i < list.count(); ++i)
        ASSERT_LE(list.lower(i - 1).compare(list.lower(i)), 0) << i;
    for (int i = 0; i < list.count(); i += 997) EXPECT_TRUE(list.contains(list.lower(i))) << i;
    // Stored only with a capital, found however the page writes it (the lookup gets lower case).
    EXPECT_TRUE(list.contains("english"));
    EXPECT_TRUE(list.contains("paris"));
    // Both ends of the list.
    EXPECT_TRUE(list.contains("a"));
    EXPECT_TRUE(list.contains("zyuganov's"));
    EXPECT_FALSE(list.contains("zzzzz"));
    EXPECT_FALSE(list.contains("recieve"));
    EXPECT_FALSE(list.contains("English"));  // the word must come in lower case
}

TEST(SpellWordLists, SmallAndOddListsLookUpSafely) {
    const MainWordList one = listOf({"Word"});
    EXPECT_EQ(one.count(), 1);
    EXPECT_TRUE(one.contains("word"));
    EXPECT_FALSE(one.contains("other"));
    EXPECT_FALSE(one.contains(""));

    MainWordList empty;
    empty.setText("");
    EXPECT_EQ(empty.count(), 0);
    EXPECT_FALSE(empty.contains("a"));
    EXPECT_TRUE(suggestionsFor(empty, "abc").isEmpty());

    // An empty line is an entry and sorts first; the last line needs no line break.
    MainWordList withEmpty;
    withEmpty.setText("\r\nabc\r\nbcd");
    EXPECT_EQ(withEmpty.count(), 3);
    EXPECT_TRUE(withEmpty.contains(""));
    EXPECT_TRUE(withEmpty.contains("bcd"));

    // A list much longer than fifteen halvings can narrow: the last window grows, nothing is lost.
    QStringList many;
    for (int i = 0; i < 300000; ++i) many << QStringLiteral("w%1").arg(i, 6, 10, QLatin1Char('0'));
    const MainWordList big = listOf(many);
    for (int i = 0; i < 300000; i += 4999) EXPECT_TRUE(big.contains(many[i])) << i;
    EXPECT_TRUE(big.contains("w299999"));
    EXPECT_FALSE(big.contains("w300000"));
}

class UserWordListTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        unloadWordLists();
    }
    void TearDown() override {
        unloadWordLists();
        KavrinTest::TearDown();
    }
};

TEST_F(UserWordListTest, ReadsWithoutEmptyLinesAndWritesOneWordALine) {
    const QString path = userDir + "kvCustom.dct";
    UserWordList user;
    user.read(path);  // missing: empty, and created when written
    EXPECT_FALSE(user.exists);
    EXPECT_TRUE(user.words.isEmpty());
    EXPECT_TRUE(user.write(path));
    EXPECT_EQ(readFile(path), "");

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Kavrin\r\n\r\nqzx\n\r\n");
    f.close();
    user.read(path);
    EXPECT_EQ(user.words, (QStringList{"Kavrin", "qzx"}));
    EXPECT_TRUE(user.containsLower("kavrin"));
    EXPECT_TRUE(user.add("Blorf"));
    EXPECT_TRUE(user.write(path));
    EXPECT_EQ(readFile(path), "Kavrin\r\nqzx\r\nBlorf\r\n");
}

TEST_F(UserWordListTest, AddStopsAtTwentyThousandWords) {
    UserWordList user;
    for (int i = 0; i < maxUserWords - 1; ++i) user.words << QStringLiteral("w%1").arg(i);
    EXPECT_TRUE(user.add("last"));  // the 20000th is stored
    EXPECT_EQ(user.words.size(), maxUserWords);
    EXPECT_FALSE(user.add("more"));  // the 20001st is not
    EXPECT_EQ(user.words.size(), maxUserWords);
    EXPECT_EQ(user.words.back(), "last");
}

TEST_F(UserWordListTest, AListThatCouldNotBeReadIsNeverOverwritten) {
    const QString path = userDir + "kvCustom.dct";
    const QByteArray spoiled("mine\r\nw\0rds\r\n", 13);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(spoiled);
    f.close();

    UserWordList user;
    user.read(path);
    EXPECT_TRUE(user.unreadable);
    EXPECT_TRUE(user.add("Added"));
    EXPECT_FALSE(user.write(path));
    EXPECT_EQ(readFile(path), spoiled);  // the user's file stays as it was

    // Once the file reads again its words come first and the new word after them.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("mine\r\n");
    f.close();
    EXPECT_TRUE(user.write(path));
    EXPECT_EQ(readFile(path), "mine\r\nAdded\r\n");
    EXPECT_FALSE(user.unreadable);
}

TEST_F(UserWordListTest, LoadingOnceAndKnownWordsForReplacements) {
    QFile f(userDir + "kvCustom.dct");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Kavrin\r\n");
    f.close();
    ASSERT_TRUE(loadWordLists());
    EXPECT_TRUE(spellLists().loaded);
    EXPECT_TRUE(isKnownWord("KAVRIN"));
    EXPECT_TRUE(isKnownWord("Receive"));
    EXPECT_FALSE(isKnownWord("blorf"));
    spellLists().ignoreAll << "Blorf";
    EXPECT_TRUE(isKnownWord("blorf"));
    EXPECT_FALSE(isKnownWord(""));  // an empty part of a replacement is not a word

    // Loaded once: a later change of the file is not read again.
    QFile::remove(installPath + "kvEnglish.dct");
    EXPECT_TRUE(loadWordLists());
    unloadWordLists();
    QString error;
    EXPECT_FALSE(loadWordLists(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(spellLists().loaded);
}

TEST(SpellSuggestions, LikeMatcherMeansWhatTheWildcardsSay) {
    EXPECT_TRUE(likeMatch("Receive", "rec*ve"));
    EXPECT_TRUE(likeMatch("receive", "REC*"));
    EXPECT_FALSE(likeMatch("rec", "rec*ve"));
    EXPECT_TRUE(likeMatch("recve", "rec*ve"));
    EXPECT_FALSE(likeMatch("recvex", "rec*ve"));
    EXPECT_TRUE(likeMatch("a1c", "a#c"));
    EXPECT_FALSE(likeMatch("abc", "a#c"));
    EXPECT_TRUE(likeMatch("abc", "a?c"));
    EXPECT_TRUE(likeMatch("abc", "a[xbz]c"));
    EXPECT_TRUE(likeMatch("aBc", "a[a-c]c"));
    EXPECT_FALSE(likeMatch("abc", "a[!b]c"));
    EXPECT_TRUE(likeMatch("adc", "a[!b]c"));
    EXPECT_FALSE(likeMatch("a[c", "a[c"));  // an open bracket is no pattern
    EXPECT_TRUE(likeMatch("", "*"));
    EXPECT_TRUE(likeMatch("abcabd", "*abd"));
}

TEST(SpellSuggestions, KnownMisspellingsOfTheShippedList) {
    const MainWordList& list = shippedList();
    // The prefix groups come before the shorter patterns, so for "recieve" the words beginning
    // with "reci" are listed before "receive".
    EXPECT_EQ(suggestionsFor(list, "recieve").mid(0, 4), (QStringList{"Recife", "recipe", "recite", "receive"}));
    EXPECT_EQ(suggestionsFor(list, "seperate").value(0), "separate");
    EXPECT_EQ(suggestionsFor(list, "definately").value(0), "definitely");
    EXPECT_EQ(suggestionsFor(list, "occured").value(0), "occurred");
    EXPECT_EQ(suggestionsFor(list, "becuase").value(0), "because");
    EXPECT_EQ(suggestionsFor(list, "accomodate").value(0), "accommodate");
    // Suggestions end in the word's last letter: nothing ends in "h" here.
    EXPECT_TRUE(suggestionsFor(list, "teh").isEmpty());
    // A two-letter word: only two-letter entries.
    for (const QString& s : suggestionsFor(list, "aa")) EXPECT_EQ(s.size(), 2) << s.toStdString();
    // The "z" block runs to the end of the list.
    EXPECT_TRUE(suggestionsFor(list, "zyuganow's").contains("Zyuganov's"));
    // Words that do not begin with a letter a to z get none.
    EXPECT_TRUE(suggestionsFor(list, "1st").isEmpty());
    EXPECT_TRUE(suggestionsFor(list, "'tis").isEmpty());
    EXPECT_TRUE(suggestionsFor(list, QString::fromUtf8("\xc3\xa9tude")).isEmpty());
    EXPECT_TRUE(suggestionsFor(list, "a" + QString(255, QLatin1Char('b'))).isEmpty());
    EXPECT_TRUE(suggestionsFor(list, "a" + QString(254, QLatin1Char('b'))).isEmpty());
}

TEST(SpellSuggestions, CascadeOrderStopsAndFilters) {
    // Ten L6*R4 matches and five L6*R3 matches: the first stop comes after L6*, so all fifteen.
    QStringList words;
    for (int i = 0; i < 10; ++i) words << QStringLiteral("abcdef%1wxyz").arg(QChar(u'a' + i));
    for (int i = 0; i < 5; ++i) words << QStringLiteral("abcdef%1qxyz").arg(QChar(u'a' + i));
    MainWordList list = listOf(words);
    EXPECT_EQ(suggestionsFor(list, "abcdefwxyz").size(), 15);

    // Length tolerance, last letter, first letter, each candidate once.
    list = listOf({"babble", "cable", "cables", "cabled", "cabby", "cabbie", "caboodle", "cabriolet", "dable", "dace",
                   "dad", "dado", "daffy", "daft", "dagger", "dahlia", "daily", "dainty"});
    const QStringList s = suggestionsFor(list, "cabble");
    // "cabbie" by its first four letters, then "cable" and "caboodle" by "cab*le"; "cabriolet" is too
    // long, "cabled", "cables" and "cabby" end differently, "babble" and "dable" begin differently.
    EXPECT_EQ(s, (QStringList{"cabbie", "cable", "caboodle"}));

    // A candidate that fits every pattern is listed once, at the first.
    list = listOf({"abcdefxghij"});
    EXPECT_EQ(suggestionsFor(list, "abcdefghij"), (QStringList{"abcdefxghij"}));
}

TEST(SpellSuggestions, BlockWalkAtTheEndsOfTheList) {
    // The word's letter begins the list: the block starts at the first entry.
    QStringList words{"aback", "abacus", "abase", "abate", "baker", "bakes"};
    MainWordList list = listOf(words);
    EXPECT_EQ(suggestionsFor(list, "abasf"), QStringList());
    EXPECT_EQ(suggestionsFor(list, "abatk"), (QStringList{"aback"}));
    EXPECT_EQ(suggestionsFor(list, "abcte"), (QStringList{"abase", "abate"}));
    // ... and stops before the next letter.
    EXPECT_FALSE(suggestionsFor(list, "aakes").contains("bakes"));
    // The last letter block of the list runs to its last entry.
    list = listOf({"apple", "yacht", "yard", "zeal", "zebra", "zero", "zest", "zesty"});
    EXPECT_EQ(suggestionsFor(list, "zeso"), (QStringList{"zero"}));
    EXPECT_EQ(suggestionsFor(list, "zeaty"), (QStringList{"zesty"}));
    EXPECT_EQ(suggestionsFor(list, "yarb"), QStringList());
    EXPECT_EQ(suggestionsFor(list, "yerd"), (QStringList{"yard"}));
    // More than a hundred entries before the block: found by the sampled entries.
    words.clear();
    for (int i = 0; i < 250; ++i) words << QStringLiteral("a%1x").arg(i, 3, 10, QLatin1Char('0'));
    words << "bbcx" << "bbdx" << "bcde";
    for (int i = 0; i < 40; ++i) words << QStringLiteral("c%1x").arg(i, 3, 10, QLatin1Char('0'));
    list = listOf(words);
    EXPECT_EQ(suggestionsFor(list, "bbex"), (QStringList{"bbcx", "bbdx"}));
}

TEST(SpellScan, TrimmingAndWordRules) {
    int trailing = 0;
    EXPECT_EQ(trimPunctuation("(word),", trailing), "word");
    EXPECT_EQ(trailing, 2);
    trailing = 0;
    EXPECT_EQ(trimPunctuation("\"'`\\/[{word}]!?", trailing), "word");
    EXPECT_EQ(trailing, 4);
    trailing = 0;
    EXPECT_EQ(trimPunctuation("...!", trailing), "");  // only punctuation: nothing left
    EXPECT_EQ(trimPunctuation("don't", trailing), "don't");

    EXPECT_TRUE(isWebOrFileAddress("index.html"));
    EXPECT_TRUE(isWebOrFileAddress("page.htm"));
    EXPECT_TRUE(isWebOrFileAddress("c:\\pages"));
    EXPECT_TRUE(isWebOrFileAddress("http://x"));
    EXPECT_TRUE(isWebOrFileAddress("www.example.com/page"));
    EXPECT_FALSE(isWebOrFileAddress("a.b"));  // shorter than five
    EXPECT_FALSE(isWebOrFileAddress("abc.d"));
    EXPECT_FALSE(isWebOrFileAddress("words"));

    EXPECT_TRUE(isAllUpperCase("HTML"));
    EXPECT_TRUE(isAllUpperCase("MP3"));
    EXPECT_FALSE(isAllUpperCase("HTmL"));
}

struct Seen {
    QString word;
    int position;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> scanAll(const QString& text, bool skipTags) {
    SpellScanner s;
    s.start(text);
    std::vector<Seen> seen;
    const SpellWordCheck check = [&seen](QStringView w, int p) {
        seen.push_back({w.toString(), p});
        return true;
    };
    EXPECT_TRUE(skipTags ? s.scanWordsSkipTags(check) : s.scanWords(check));
    return seen;
}

TEST(SpellScan, PlainScanSplitsAtBlanksHyphensTabsAndAngles) {
    const QString right(QChar(0x2019));
    EXPECT_EQ(scanAll("Two-way\tstreet <b>bold</b>\r\nit" + right + "s end", false),
              (std::vector<Seen>{{"Two", 4}, {"way", 8}, {"street", 15}, {"b", 18}, {"bold", 23}, {"/b", 26},
                                 {"it's", 5}, {"end", 9}}));
}

TEST(SpellScan, TagSkippingScanLeavesTagsAndCommentsOut) {
    EXPECT_EQ(scanAll("one<a href=\"x y\">two</a> three\r\n<!-- hidden\r\nstill -->after <i\r\nclass=x>four",
                      true),
              (std::vector<Seen>{{"one", 4}, {"two", 21}, {"three", 31}, {"after", 15}, {"four", 13}}));
    // A word right after "-->" starts at its first letter; "!" elsewhere is part of a word.
    EXPECT_EQ(scanAll("<!--x-->word Hi!", true), (std::vector<Seen>{{"word", 13}, {"Hi!", 17}}));
}

TEST(SpellScan, AStoppedScanResumesAfterTheWordAndKeepsItsOffsets) {
    SpellScanner s;
    s.start("alpha beta\r\ngamma<b>delta</b>");
    std::vector<Seen> seen;
    int stopAt = 2;
    const SpellWordCheck check = [&](QStringView w, int p) {
        seen.push_back({w.toString(), p});
        return --stopAt != 0;
    };
    EXPECT_FALSE(s.scanWordsSkipTags(check));  // stops at "beta", the last word of line 1
    EXPECT_EQ(seen.back(), (Seen{"beta", 11}));
    EXPECT_EQ(s.lineOffset, 0);
    stopAt = 1;
    EXPECT_FALSE(s.scanWordsSkipTags(check));  // "gamma", stopped at "<": inside the tag now
    EXPECT_EQ(seen.back(), (Seen{"gamma", 6}));
    EXPECT_EQ(s.lineOffset, 12);
    EXPECT_TRUE(s.inTag);
    stopAt = 0;
    EXPECT_TRUE(s.scanWordsSkipTags(check));
    EXPECT_EQ(seen.back(), (Seen{"delta", 14}));
    EXPECT_EQ(seen.size(), 4u);
}

}  // namespace
}  // namespace kavrin::test
