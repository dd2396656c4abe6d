#include "platform/settingsstore.h"

// Placeholder until the store lands: nothing is kept.
namespace kavrin {
QString getSetting(const QString&, const QString&, const QString&, const QString& defaultValue) { return defaultValue; }
bool saveSetting(const QString&, const QString&, const QString&, const QString&) { return false; }
bool deleteSetting(const QString&, const QString&, const QString&) { return false; }
QStringList settingKeys(const QString&, const QString&) { return {}; }
QString settingsFilePath(const QString&) { return {}; }
void resetSettingsCache() {}
}  // namespace kavrin
