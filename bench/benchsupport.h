#pragma once
// Benchmarks that open the main window run it against a private settings store, with the
// start-up questions and tips already answered, so nothing waits for a person.
#include <QTemporaryDir>

#include "platform/settingsstore.h"

namespace kavrin::bench {

inline void quietStart() {
    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    resetSettingsCache();
    saveSetting("Kavrin Pro", "Settings", "ShowIeMessage", "False");
    saveSetting("Kavrin Pro", "Help", "TipsOnStartup", "False");
    for (const char* key : {"htmlData", "scriptData", "tipsData"})
        saveSetting("Kavrin Pro", "DontShowAgain", key, "True");
}

}  // namespace kavrin::bench
