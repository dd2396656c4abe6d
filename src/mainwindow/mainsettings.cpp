// The settings model: reading every preference into the program-wide variables and the main
// window's controls at start, and writing them all back at exit.
#include "mainwindow/mainsettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <climits>
#include <cmath>
#include <tuple>

#include "documents/colouring/colorops.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/system/convert.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"

namespace kavrin {

namespace {

QString get(const QString& section, const QString& key, const QString& defaultValue) {
    return getSetting(settingsApp, section, key, defaultValue);
}

// A stored value that does not convert (a hand-edited or damaged store) gives the default, so
// that no setting starts at a value nobody chose (a font of size 0, black tags, no filters).
template <typename Convert>
void read(const QString& section, const QString& key, const QString& defaultValue, Convert convert,
          decltype(*convert(QString()))& variable) {
    if (const auto v = convert(get(section, key, defaultValue))) variable = *v;
    else if (const auto d = convert(defaultValue)) variable = *d;
}
void readBool(const QString& section, const QString& key, const QString& defaultValue, bool& variable) {
    read(section, key, defaultValue, cbool, variable);
}
void readInteger(const QString& section, const QString& key, const QString& defaultValue, int& variable) {
    read(section, key, defaultValue, cint, variable);
}
void readLong(const QString& section, const QString& key, const QString& defaultValue, int& variable) {
    read(section, key, defaultValue, clng, variable);
}
void readByte(const QString& section, const QString& key, const QString& defaultValue, int& variable) {
    read(section, key, defaultValue, cbyte, variable);
}

// The values of the running saveSettings that were refused, each as "Key" in [Section].
QStringList refusedValues;

void put(const QString& section, const QString& key, const QString& value) {
    if (settingsModelWriter && !settingsModelWriter(settingsApp, section, key, value))
        refusedValues << "\"" + key + "\" in [" + section + "]";
}

// The refused values by name, the first few of a long list.
QString namesOf(const QStringList& values) {
    constexpr int kShown = 8;
    QString names = values.mid(0, kShown).join(QStringLiteral(", "));
    if (values.size() > kShown) names += QStringLiteral(" and %1 more").arg(values.size() - kShown);
    return names;
}
void putBool(const QString& section, const QString& key, bool value) { put(section, key, boolText(value)); }
void putNumber(const QString& section, const QString& key, long long value) { put(section, key, trimNumber(value)); }

const QString kOptions = QStringLiteral("Options");
const QString kSettings = QStringLiteral("Settings");
const QString kColors = QStringLiteral("CustomColors");
const QString kSpelling = QStringLiteral("Spelling");
const QString kFilters = QStringLiteral("Filters");
const QString kReopen = QStringLiteral("Reopen");
const QString kCustomTags = QStringLiteral("Custom Tags");

// The screen rectangle in twips that a window at `center` (pixels) belongs to.
QRect screenTwips(const QPoint& center) {
    QScreen* screen = QGuiApplication::screenAt(center);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect r = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    return {pixelsToTwips(r.x()), pixelsToTwips(r.y()), pixelsToTwips(r.width()), pixelsToTwips(r.height())};
}

}  // namespace

QString defaultFilter(int number) {
    switch (number) {
    case 1:
        return QStringLiteral("HTML Files (*.html;*.htm;*.shtml;*.shtm;*.asp)|*.html;*.htm;*.shtml;*.shtm;*.asp");
    case 2:
        return QStringLiteral("Text Files (*.txt)|*.txt");
    case 3:
        return QStringLiteral("All Files (*.*)|*.*");
    default:
        return {};
    }
}

Placement fitPlacement(Placement wanted, int screenLeft, int screenTop, int screenWidth, int screenHeight) {
    // A placement stored on a larger or since-removed screen must not put the window out of
    // reach: it is made to fit the screen and moved onto it.
    const int minWidth = qMin(screenWidth, pixelsToTwips(200));
    const int minHeight = qMin(screenHeight, pixelsToTwips(150));
    Placement p = wanted;
    p.width = qBound(minWidth, p.width, screenWidth);
    p.height = qBound(minHeight, p.height, screenHeight);
    p.left = qBound(screenLeft, p.left, screenLeft + screenWidth - p.width);
    p.top = qBound(screenTop, p.top, screenTop + screenHeight - p.height);
    return p;
}

void mdiMain::loadSettings() {
    // View flags with their menu checks and bars.
    const std::tuple<const char*, bool&, QAction*, QWidget*> viewFlags[] = {
        {"ShowToolbar", showToolbar, mnuOptionsToolbar, picTools},
        {"ShowStatusbar", showStatusbar, mnuOptionsStatusbar, stbMain},
        {"ShowPanel", showPanel, mnuOptionsFileList, picFile},
    };
    for (const auto& [key, flag, item, bar] : viewFlags) {
        readBool(kOptions, key, "True", flag);
        item->setChecked(flag);
        bar->setVisible(flag);
    }
    readBool(kOptions, "ShowTaskBar", "True", showTaskBar);
    // The task bar strip appears with the first document (showTaskBarStrip).
    showTaskBarStrip(tbsPop->count() > 0);
    readBool(kOptions, "RememberLastFolder", "False", rememberLastFolder);
    startupFolder = get(kOptions, "StartupFolder", "my computer");

    // File filters: "name|pattern" each; the open and save dialogs take them all joined.
    currentFilter = 1;
    readByte(kFilters, "Num Filters", "3", numFilters);
    fileFilters.clear();
    fileFilters.resize(numFilters);
    fileDialogFilter.clear();
    for (int i = 1; i <= numFilters; ++i) {
        const QString value = get(kFilters, trimNumber(i), defaultFilter(i));
        const int bar = int(value.indexOf('|'));
        FileFilter& filter = fileFilters[i - 1];
        filter.name = bar >= 0 ? value.left(bar) : QString();
        filter.pattern = bar >= 0 ? value.mid(bar + 1) : value;
        fileDialogFilter += value + '|';
    }
    if (!fileDialogFilter.isEmpty()) fileDialogFilter.chop(1);
    showFileListFilters();

    int view = 2;
    readInteger(kSettings, "ListView", "2", view);
    mnuFileListViewStyle_Click(view);

    readLong(kColors, "TagColor", "10485760", tagColor);
    readLong(kColors, "CommentColor", "8421504", commentColor);
    readLong(kColors, "TableColor", "128", tableColor);
    readLong(kColors, "ImageColor", "32768", imageColor);
    readLong(kColors, "AnchorColor", "16744448", anchorColor);
    readLong(kColors, "FontColor", "4227200", fontColor);
    readLong(kColors, "FormColor", "8421440", formColor);
    readLong(kColors, "UnrecognizedColor", "255", unrecognizedColor);
    readBool(kColors, "ColorOnOpen", "True", colorOnOpen);

    readBool(kOptions, "EnableBrowserAndDesigner", "False", enableBrowserAndDesigner);
    enableViewItems();
    readBool(kOptions, "WordWrap", "False", wordWrap);
    indentText = get(kOptions, "Indent", "    ");
    readBool(kOptions, "AutoIndent", "True", autoIndent);
    readBool(kOptions, "UppercaseTags", "True", uppercaseTags);
    readBool(kOptions, "AddEndingP", "False", addEndingP);
    fontName = get(kOptions, "Font Name", "Courier New");
    readByte(kOptions, "Font Size", "10", fontSize);
    readInteger(kOptions, "TagTipDelay", "1000", tagTipDelay);
    readBool(kOptions, "TagCompletion", "True", tagCompletion);

    const auto top = cdbl(get(kSettings, "PicHSplitterTop", "3500"));
    setPicHSplitterTop(top && std::isfinite(*top) ? *top : 3500.0);
    picFile_Resize();

    readBool(kSettings, "DesingerShowDetails", "False", designerShowDetails);
    readBool(kSettings, "DesingerShowBorders", "False", designerShowBorders);
    readBool(kSettings, "DesignerDivOnReturn", "False", designerDivOnReturn);

    readBool(kSpelling, "IgnoreTags", "True", IgnoreTags);
    readBool(kSpelling, "IgnoreNumbers", "False", IgnoreNumbers);
    readBool(kSpelling, "IgnoreFileNames", "False", IgnoreFileNames);
    readBool(kSpelling, "IgnoreUppercaseWords", "False", IgnoreUppercaseWords);

    loadCustomColors();

    for (int i = 0; i < mnuFileReopenArr.size(); ++i) {
        const QString path = get(kReopen, "ReopenArray" + trimNumber(i), QString());
        mnuFileReopenArr[i]->setData(path);
    }
    showRecentItems();
}

void mdiMain::loadWindowPlacement() {
    int state = vbNormal;
    readInteger(kSettings, "WindowState", "0", state);
    if (state != vbMaximized) state = vbNormal;  // a window closed minimised comes back normal

    const QRect screen = screenTwips(QGuiApplication::primaryScreen()
                                         ? QGuiApplication::primaryScreen()->availableGeometry().center()
                                         : QPoint());
    Placement p;
    p.width = int(roundHalfEven(screen.width() * 0.8));
    p.height = int(roundHalfEven(screen.height() * 0.75));
    readLong(kSettings, "Width", trimNumber(p.width), p.width);
    readLong(kSettings, "Height", trimNumber(p.height), p.height);
    // The stored size may be anything a damaged file holds: the centre is worked out in 64 bits.
    const auto centred = [](int start, int extent, int size) {
        return int(qBound<qint64>(qint64(INT_MIN), start + (qint64(extent) - size) / 2, qint64(INT_MAX)));
    };
    p.left = centred(screen.x(), screen.width(), p.width);
    p.top = centred(screen.y(), screen.height(), p.height);
    readLong(kSettings, "Left", trimNumber(p.left), p.left);
    readLong(kSettings, "Top", trimNumber(p.top), p.top);

    // The screen the stored window was on, or the main one when that is gone.
    const QPoint center(twipsToPixels(p.left) + twipsToPixels(p.width) / 2,
                        twipsToPixels(p.top) + twipsToPixels(p.height) / 2);
    const QRect on = screenTwips(center);
    p = fitPlacement(p, on.x(), on.y(), on.width(), on.height());
    setGeometry(twipsToPixels(p.left), twipsToPixels(p.top), twipsToPixels(p.width), twipsToPixels(p.height));

    int panelWidth = 200 * kTwipsPerPixel;
    readLong(kSettings, "FileListWidth", trimNumber(panelWidth), panelWidth);
    // Whatever was stored, the panel leaves room for the documents, so that it cannot push the
    // window past the screen.
    const int windowWidth = twipsToPixels(p.width);
    const int maxPanel = qMax(40, qMin(windowWidth - 100, windowWidth * 2 / 3));
    picFile->setFixedWidth(qBound(0, twipsToPixels(panelWidth), maxPanel));

    // Applied last, so that a maximised window keeps its normal placement for when it is restored.
    if (state == vbMaximized) QWidget::setWindowState(Qt::WindowMaximized);
}

void mdiMain::saveSettings() {
    // Every value goes to the file in one write, and a file that cannot take them is reported
    // once: the choices of this session would otherwise be gone without a word.
    refusedValues.clear();
    SettingsBatch batch(settingsApp);
    writeSettings();
    const bool written = batch.commit();
    if (written && refusedValues.isEmpty()) return;
    const QString reason = settingsWriteError(settingsApp);
    const QString path = settingsFilePath(settingsApp);
    // A value the file cannot hold is left out and the others are written: the message names
    // what is lost, not the whole session.
    if (written)
        msgBox("Not every setting could be saved to '" + path + "'." +
                   (reason.isEmpty() ? QString() : "\r\n\r\n" + reason) + "\r\n\r\nNot kept: " +
                   namesOf(refusedValues) + ". Every other setting of this session was saved.",
               vbExclamation, "Settings Not Saved");
    else
        msgBox("The settings could not be saved to '" + path + "'." +
                   (reason.isEmpty() ? QString() : "\r\n\r\n" + reason) +
                   "\r\n\r\nThe options changed in this session will not be kept.",
               vbExclamation, "Settings Not Saved");
}

void mdiMain::writeSettings() {
    putBool(kOptions, "EnableBrowserAndDesigner", enableBrowserAndDesigner);
    put(kOptions, "Indent", indentText);
    put(kOptions, "StartupFolder", startupFolder);

    putNumber(kSettings, "FileListWidth", pixelsToTwips(picFile->width()));
    put(kSettings, "PicHSplitterTop", QString::number(picHSplitterTop()));

    put(kOptions, "Font Name", fontName);
    putNumber(kOptions, "Font Size", fontSize);
    putNumber(kOptions, "TagTipDelay", tagTipDelay);
    putBool(kOptions, "ShowToolbar", showToolbar);
    putBool(kOptions, "ShowStatusbar", showStatusbar);
    putBool(kOptions, "ShowPanel", showPanel);
    putBool(kOptions, "RememberLastFolder", rememberLastFolder);
    putBool(kOptions, "AutoIndent", autoIndent);

    putBool(kColors, "ColorOnOpen", colorOnOpen);

    putBool(kOptions, "UppercaseTags", uppercaseTags);
    putBool(kOptions, "AddEndingP", addEndingP);
    putBool(kOptions, "WordWrap", wordWrap);
    putBool(kOptions, "TagCompletion", tagCompletion);

    putBool(kSpelling, "IgnoreTags", IgnoreTags);
    putBool(kSpelling, "IgnoreNumbers", IgnoreNumbers);
    putBool(kSpelling, "IgnoreFileNames", IgnoreFileNames);
    putBool(kSpelling, "IgnoreUppercaseWords", IgnoreUppercaseWords);

    putBool(kSettings, "DesingerShowDetails", designerShowDetails);
    putBool(kSettings, "DesingerShowBorders", designerShowBorders);
    putBool(kSettings, "DesignerDivOnReturn", designerDivOnReturn);

    putBool(kOptions, "ShowTaskBar", showTaskBar);

    // A maximised or minimised window keeps the last normal placement stored.
    const int state = windowState();
    if (state == vbNormal) {
        const QRect g = geometry();
        putNumber(kSettings, "Left", pixelsToTwips(g.x()));
        putNumber(kSettings, "Top", pixelsToTwips(g.y()));
        putNumber(kSettings, "Width", pixelsToTwips(g.width()));
        putNumber(kSettings, "Height", pixelsToTwips(g.height()));
    }
    putNumber(kSettings, "WindowState", state);

    putNumber(kFilters, "Num Filters", numFilters);
    for (int i = 1; i <= numFilters && i <= fileFilters.size(); ++i)
        put(kFilters, trimNumber(i), fileFilters[i - 1].name + '|' + fileFilters[i - 1].pattern);

    putNumber(kColors, "TagColor", tagColor);
    putNumber(kColors, "CommentColor", commentColor);
    putNumber(kColors, "TableColor", tableColor);
    putNumber(kColors, "FontColor", fontColor);
    putNumber(kColors, "AnchorColor", anchorColor);
    putNumber(kColors, "ImageColor", imageColor);
    putNumber(kColors, "FormColor", formColor);
    putNumber(kColors, "UnrecognizedColor", unrecognizedColor);

    for (int i = 0; i < mnuFileReopenArr.size(); ++i)
        put(kReopen, "ReopenArray" + trimNumber(i), mnuFileReopenArr[i]->data().toString());

    // Custom tags are written when they change; only a change the store refused then is left
    // for now.
    QStringList tags;
    if (customTagsOfTagTree(&tags)) {
        deleteSetting(settingsApp, kCustomTags);
        int written = 0;
        for (const QString& tag : tags) put(kCustomTags, "Custom_" + trimNumber(++written), tag);
        if (written > 0) putNumber(kCustomTags, "NumCustomTags", written);
    }
}

}  // namespace kavrin
