// Replace All's search rules, and replacing inside a file's bytes without touching anything else.
#include <gtest/gtest.h>

#include <QStringEncoder>

#include "tools/filereplace.h"
#include "qstringprint.h"
#include "tools/textsearch.h"

namespace kavrin::test {
namespace {

using Hits = QVector<qsizetype>;

TEST(TextSearchTest, ReplaceAllNeverSearchesWhatItInserted) {
    // Each search starts after the inserted text: "a" by "aa" in "a a a" makes three, not more.
    EXPECT_EQ(replacementHits(u"a a a", u"a", u"aa", 0), (Hits{0, 2, 4}));
    EXPECT_EQ(applyReplacements(u"a a a", {0, 2, 4}, 1, u"aa"), "aa aa aa");
    EXPECT_EQ(replacementHits(u"aaa", u"aa", u"x", 0), (Hits{0}));
    // Case and whole words as the editor's find has them.
    EXPECT_EQ(replacementHits(u"Cat cat CAT", u"cat", u"dog", searchMatchCase), (Hits{4}));
    EXPECT_EQ(replacementHits(u"cat concat cat_x cat.", u"cat", u"dog", searchWholeWord), (Hits{0, 17}));
    EXPECT_TRUE(replacementHits(u"abc", u"", u"x", 0).isEmpty());
}

TEST(TextSearchTest, WholeWordsSeeTheReplacementInFrontOfTheNextHit) {
    // "a." twice in a row: after the first becomes "b_", the second is preceded by "_", a word
    // character, so it is no whole word any more; after "b." it still is.
    EXPECT_EQ(replacementHits(u"a.a.", u"a.", u"b_", searchWholeWord), (Hits{0}));
    EXPECT_EQ(replacementHits(u"a.a.", u"a.", u"b.", searchWholeWord), (Hits{0, 2}));
    // With nothing put in, what stood in front of the removed hit stands in front of the next.
    EXPECT_EQ(replacementHits(u"xa.a.", u"a.", u"", searchWholeWord), (Hits{3}));
    EXPECT_EQ(replacementHits(u" a.a.", u"a.", u"", searchWholeWord), (Hits{1, 3}));
    EXPECT_EQ(findText(u"x cat", u"cat", 2, -1, searchWholeWord, QChar(u'y')), -1);
    EXPECT_EQ(findText(u"x cat", u"cat", 2, -1, searchWholeWord, QChar()), 2);
}

BytesReplaceResult replaced(const QByteArray& bytes, const QString& find, const QString& replacement,
                            bool html = true, int flags = 0) {
    return replaceInBytes(bytes, ReplaceRequest{find, replacement, flags, false}, html);
}

TEST(FileBytesReplaceTest, OnlyTheReplacedBytesChangeInEveryEncoding) {
    // UTF-8 with LF line ends and no final line end; non-ASCII on both sides.
    BytesReplaceResult r = replaced("caf\xC3\xA9 <b>Caf\xC3\xA9</b>\ncafe", QString::fromUtf8("caf\xC3\xA9"),
                                    QString::fromUtf8("na\xC3\xAFve"));
    EXPECT_EQ(r.status, BytesReplaceResult::Status::Changed);
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(r.bytes, "na\xC3\xAFve <b>na\xC3\xAFve</b>\ncafe");

    // A byte-order mark and CR LF stay.
    r = replaced("\xEF\xBB\xBFone\r\ntwo one\r\n", "one", "three");
    EXPECT_EQ(r.bytes, "\xEF\xBB\xBFthree\r\ntwo three\r\n");

    // Windows-1252 stays Windows-1252, with lone CR line ends and bytes that UTF-8 would refuse.
    r = replaced("\xE9t\xE9\r\x81\x9D\xE9t\xE9", QString::fromUtf8("\xC3\xA9t\xC3\xA9"), QString::fromUtf8("\xC3\xA0"));
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(r.bytes, "\xE0\r\x81\x9D\xE0");

    // UTF-16 with its byte-order mark.
    QStringEncoder le(QStringConverter::Utf16LE);
    const QByteArray utf16 = QByteArray("\xFF\xFE") + QByteArray(le.encode(u"x<p>x\r\n"));
    r = replaced(utf16, "x", QString::fromUtf8("\xE2\x82\xAC"));
    EXPECT_EQ(r.bytes, QByteArray("\xFF\xFE") + QByteArray(le.encode(QString::fromUtf8("\xE2\x82\xAC<p>\xE2\x82\xAC\r\n"))));

    // A line break in the replacement takes the file's own line end.
    r = replaced("a\nb a", "a", "1\r\n2");
    EXPECT_EQ(r.bytes, "1\n2\nb 1\n2");
}

TEST(FileBytesReplaceTest, WhatAWindows1252FileCannotHold) {
    const QString cjk = QString::fromUtf8("\xE6\x97\xA5");
    // In a page a character reference stands for it, in any other file the file is left alone.
    BytesReplaceResult r = replaced("\xE9 x", "x", cjk + "!", true);
    EXPECT_EQ(r.bytes, "\xE9 &#26085;!");
    r = replaced("\xE9 x", "x", QString::fromUcs4(U"\U0001F600"), true);
    EXPECT_EQ(r.bytes, "\xE9 &#128512;");
    r = replaced("\xE9 x", "x", cjk, false);
    EXPECT_EQ(r.status, BytesReplaceResult::Status::Skipped);
    EXPECT_TRUE(r.reason.contains("Windows-1252"));
}

TEST(FileBytesReplaceTest, FilesThatAreNotTextAreNeverChanged) {
    // NUL bytes: listed when the text is in there, ignored when it is not.
    BytesReplaceResult r = replaced(QByteArray("GIF89a\0\0 Logo \0", 15), "logo", "x");
    EXPECT_EQ(r.status, BytesReplaceResult::Status::Skipped);
    EXPECT_TRUE(r.reason.contains("binary"));
    EXPECT_EQ(replaced(QByteArray("GIF89a\0\0", 8), "logo", "x").status, BytesReplaceResult::Status::NoHit);
    // A byte-order mark over bytes that are no UTF-8.
    r = replaced("\xEF\xBB\xBFlogo \xFF", "logo", "x");
    EXPECT_EQ(r.status, BytesReplaceResult::Status::Skipped);
    // UTF-16 of an odd length.
    EXPECT_EQ(replaced(QByteArray("\xFF\xFEl\0o\0g\0o", 9), "logo", "x").status, BytesReplaceResult::Status::NoHit);
    // No hit, no change.
    EXPECT_EQ(replaced("plain page", "logo", "x").status, BytesReplaceResult::Status::NoHit);
}

}  // namespace
}  // namespace kavrin::test
