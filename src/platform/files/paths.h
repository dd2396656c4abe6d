#pragma once
// Where the program's files live on this system. Every folder path ends in "/".
// The program-wide variables installPath, userDataPath and tempPath start from these.
#include <QString>

namespace kavrin {

// The program's own folder, which holds its read-only data files.
QString programFolder();
// The user's own files the program writes (page templates, personal word list):
// $XDG_DATA_HOME/kavrin, else ~/.local/share/kavrin. Created when missing.
QString userDataFolder();
// A private work folder of this process for temporary files, created on first use and
// removed when the program ends.
QString processTempFolder();

}  // namespace kavrin
