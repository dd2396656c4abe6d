#pragma once
// The settings model: where each preference of the program-wide variables lives in the store,
// and the writer the model saves through.
#include <QString>

#include "platform/files/settingsstore.h"

namespace kavrin {

// Application name every setting is stored under.
inline const QString settingsApp = QStringLiteral("Kavrin Pro");

// Where the model writes; tests point it at a recorder to see the order of the writes.
using SettingsWriter = bool (*)(const QString& app, const QString& section, const QString& key,
                                const QString& value);
inline SettingsWriter settingsModelWriter = &saveSetting;

// The default filters of a first start: 1 HTML, 2 text, 3 all files; "" for any other number.
QString defaultFilter(int number);

// Window placement in twips as it is applied: the size fits the screen rectangle `screen`
// (twips) and the window lies inside it.
struct Placement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
Placement fitPlacement(Placement wanted, int screenLeft, int screenTop, int screenWidth, int screenHeight);

}  // namespace kavrin
