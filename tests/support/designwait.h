#pragma once
// Waiting, in a test, for what the design view tells without being waited on.
#include <QString>
#include <QTest>

#include "platform/web/dhtmledit.h"

namespace kavrin::test {

inline bool waitDesignReady(DhtmlEdit& edit, int timeoutMs = 20000) {
    return QTest::qWaitFor([&] { return edit.isReady(); }, timeoutMs);
}

// Asks the page for its HTML as it stands and waits for the answer.
inline bool waitDesignCurrent(DhtmlEdit& edit, int timeoutMs = 20000) {
    if (!waitDesignReady(edit, timeoutMs)) return false;
    edit.requestCurrent(timeoutMs);
    return QTest::qWaitFor([&] { return edit.isCurrent(); }, timeoutMs);
}

// The page's HTML as it stands, after every command and input sent to it.
inline QString currentHtml(DhtmlEdit& edit) {
    waitDesignCurrent(edit);
    return edit.DocumentHTML();
}

}  // namespace kavrin::test
