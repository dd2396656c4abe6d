#include <gtest/gtest.h>

#include <QStringList>

#include "platform/richtext/splittext.h"

namespace kavrin::test {
namespace {

// Wherever the text is split, reading it is reading the whole.
TEST(SplitTextTest, ReadsAsTheWholeTextWhereverItIsSplit) {
    const QString whole = QStringLiteral("<p>a\r\n<!-- b -->c</p>");
    const QStringList probes{"<!--", "-->", "\r\n", "p>", "", whole, whole + "x"};
    for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
        const SplitText t(QStringView(whole).left(cut), QStringView(whole).mid(cut));
        ASSERT_EQ(t.size(), whole.size());
        for (qsizetype at = -2; at <= whole.size() + 2; ++at) {
            if (at >= 0 && at < whole.size()) ASSERT_EQ(t[at], whole[at]) << cut << " " << at;
            for (qsizetype n : {-1, 0, 1, 3, 40}) ASSERT_EQ(t.mid(at, n), whole.mid(at, n)) << cut << " " << at << " " << n;
            for (const QString& p : probes)
                ASSERT_EQ(t.matches(at, p), at >= 0 && QStringView(whole).mid(at).startsWith(p) && at <= whole.size())
                    << cut << " " << at << " " << p.toStdString();
        }
    }
}

}  // namespace
}  // namespace kavrin::test
