#pragma once
// The per-user settings store: one INI file per application in the user's config folder.
// Section and key names are compared without regard to case; values are kept exactly.
#include <QString>
#include <QPair>
#include <QStringList>
#include <QVector>

namespace kavrin {

// Value of app / section / key, or defaultValue when there is none.
QString getSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
// Writes one value at once (atomic rewrite of the file; the file's other lines stay as they are).
// Returns false when the file could not be written, or the value would not read back as it is.
bool saveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value);
// Writes several values of one section in one atomic rewrite, in order.
bool saveSettings(const QString& app, const QString& section, const QVector<QPair<QString, QString>>& values);
// Deletes a key, or with an empty key the whole section.
bool deleteSetting(const QString& app, const QString& section, const QString& key = QString());
// Replaces a whole section by `entries` (key, value) in one atomic write, so the store never
// holds half of the old section and half of the new one; no entries deletes the section.
bool replaceSettingSection(const QString& app, const QString& section,
                           const QVector<QPair<QString, QString>>& entries);
// Keys of a section in stored order.
QStringList settingKeys(const QString& app, const QString& section);
// Path of an application's file ($XDG_CONFIG_HOME, else ~/.config).
QString settingsFilePath(const QString& app);
// The reason the last write of an application's file failed, or the last save was refused
// ("" after a good one).
QString settingsWriteError(const QString& app);
// What went wrong when the application's file was read, once: a file that exists but cannot be
// read whole (too large, unreadable, not a file) is moved aside or else left alone, never
// written over, and the program runs on its defaults. "" when the file was read.
QString takeSettingsReadProblem(const QString& app);

// Keeps the saves and deletes made while it lives in memory and writes them when it ends (or at
// commit()), in one go: many saves to a large file cost one write. Meanwhile reads see them.
class SettingsBatch {
public:
    explicit SettingsBatch(const QString& app);
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;
    // Writes what was saved. False when the file could not be written: what is read is then
    // again what the file holds.
    bool commit();

private:
    QString path_;
    bool done_ = false;
    bool ok_ = false;
};

// Forgets what was read, so the next access reads the file again (tests change the environment).
void resetSettingsCache();

}  // namespace kavrin
