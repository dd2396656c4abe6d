#include "documents/globals.h"

#include "platform/files/paths.h"

namespace kavrin {

void resetProgramState() {
    mainWindow = nullptr;
    twipsPerPixelX = twipsPerPixelY = 0;
    installPath = programFolder();
    userDataPath = userDataFolder();
    tempPath = processTempFolder();
    fontNames.clear();
    fontCount = 0;
    documentFolder.clear();
    activeDocSaved = colorCoding = ignoreChange = colorBusy = false;
    selStartBeforeChange = selLengthBeforeChange = 0;
    unloadCancelled = closingAll = false;
    progressTotal = 0;

    editTagName.clear();
    editTagAttributes.clear();
    editingTag = false;
    dialogKind.clear();
    projectTitle.clear();
    projectFilePath.clear();
    projectCreated.clear();
    projectModified.clear();
    spellCheckRunning = false;
    spellWordStart = spellWordLength = 0;

    designerShowDetails = designerShowBorders = designerDivOnReturn = false;
    fontSize = 0;
    fontName.clear();
    tagTipDelay = 0;
    tagCompletion = false;
    indentText.clear();
    startupFolder.clear();
    tagColor = commentColor = imageColor = fontColor = anchorColor = tableColor = formColor =
        unrecognizedColor = 0;
    wordWrap = uppercaseTags = showToolbar = showStatusbar = showPanel = colorOnOpen = false;
    rememberLastFolder = autoIndent = addEndingP = showTaskBar = enableBrowserAndDesigner = false;
    IgnoreTags = IgnoreNumbers = IgnoreFileNames = IgnoreUppercaseWords = false;
    fileFilters.clear();
    numFilters = 0;
    fileDialogFilter.clear();
    currentFilter = 0;
}

}  // namespace kavrin
