#pragma once
// Program-wide state shared by every window: what the start-up, the document windows and the
// settings model keep between events. All of it starts at zero, empty or False.
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

namespace kavrin {

class mdiMain;

// ---- State that is not a setting -------------------------------------------------------------
inline mdiMain* mainWindow = nullptr;
inline int twipsPerPixelX = 0;
inline int twipsPerPixelY = 0;
// Program folder with its read-only data files, ending in "/".
inline QString installPath;
// The user's own files the program writes (templates, personal word list), ending in "/".
inline QString userDataPath;
// This process's work files ("temp.htm", "temp.rtf", ...), ending in "/".
inline QString tempPath;
// Installed screen fonts, sorted; fontCount 0 means the list has not been built yet.
inline QStringList fontNames;
inline int fontCount = 0;
// Folder of the active document (lower case shown only; see documentFolderOf), or "Untitled".
inline QString documentFolder;
inline bool activeDocSaved = false;
inline bool colorCoding = false;
inline bool ignoreChange = false;
inline bool colorBusy = false;
inline int selStartBeforeChange = 0;
inline int selLengthBeforeChange = 0;
inline bool unloadCancelled = false;
inline bool closingAll = false;
inline int progressTotal = 0;

// ---- The tag being edited and dialog hand-over -------------------------------------------------
struct TagAttribute {
    QString name;   // as written
    QString value;  // without its surrounding quotes
    bool bare = false;  // written without "=" (a flag word, or a value left out)
};
inline QString editTagName;
inline QVector<TagAttribute> editTagAttributes;
inline bool editingTag = false;
inline QString dialogKind;

// ---- The open project ---------------------------------------------------------------------------
inline QString projectTitle;
inline QString projectFilePath;
inline QString projectCreated;
inline QString projectModified;

// ---- Spell checker state --------------------------------------------------------------------------
inline bool spellCheckRunning = false;
inline int spellWordStart = 0;
inline int spellWordLength = 0;

// ---- Settings (keys, defaults and conversions belong to the settings model) ----------------------
inline bool designerShowDetails = false;
inline bool designerShowBorders = false;
inline bool designerDivOnReturn = false;
inline int fontSize = 0;
inline QString fontName;
inline int tagTipDelay = 0;
inline bool tagCompletion = false;
inline QString indentText;
inline QString startupFolder;
inline int tagColor = 0;
inline int commentColor = 0;
inline int imageColor = 0;
inline int fontColor = 0;
inline int anchorColor = 0;
inline int tableColor = 0;
inline int formColor = 0;
inline int unrecognizedColor = 0;
inline bool wordWrap = false;
inline bool uppercaseTags = false;
inline bool showToolbar = false;
inline bool showStatusbar = false;
inline bool showPanel = false;
inline bool colorOnOpen = false;
inline bool rememberLastFolder = false;
inline bool autoIndent = false;
inline bool addEndingP = false;
inline bool showTaskBar = false;
inline bool enableBrowserAndDesigner = false;
inline bool IgnoreTags = false;
inline bool IgnoreNumbers = false;
inline bool IgnoreFileNames = false;
inline bool IgnoreUppercaseWords = false;

// File filters: name and pattern of each, in order (filter i of the menus is entry i - 1).
struct FileFilter {
    QString name;
    QString pattern;
};
inline QVector<FileFilter> fileFilters;
inline int numFilters = 0;
inline QString fileDialogFilter;
inline int currentFilter = 0;

// Puts every variable above back to its start value (tests call it between cases).
// installPath, userDataPath and tempPath come back to the system's folders.
void resetProgramState();

}  // namespace kavrin
