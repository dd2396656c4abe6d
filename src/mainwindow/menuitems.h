#pragma once
// Every named item of the main window's menus, so each is a member of mdiMain with its own name.
#define KAVRIN_MAIN_MENU_ITEMS(X) \
    X(mnuFile) X(mnuFileNew) X(mnuFileNewBlank) X(mnuFileOpen) X(mnuFileReopen) X(mnuFileOpenFromWeb) \
    X(mnuFileNewProject) X(mnuFileOpenProject) X(mnuFileClose) X(mnuFileCloseAll) X(mnuFileSave) \
    X(mnuFileSaveAs) X(mnuFileSaveAll) X(mnuFilePrintSource) X(mnuFilePrintBrowser) X(mnuFileExit) \
    X(mnuEdit) X(mnuEditUndo) X(mnuEditRedo) X(mnuEditCut) X(mnuEditCopy) X(mnuEditPaste) \
    X(mnuEditSelectAll) X(mnuEditFindReplace) X(mnuEditExtendedReplace) X(mnuEditIndent) \
    X(mnuEditUnindent) X(mnuEditGotoLine) \
    X(mnuOptions) X(mnuOptionsToolbar) X(mnuOptionsStatusbar) X(mnuOptionsFileList) \
    X(mnuOptionsFileExplorer) X(mnuOptionsHtmlExplorer) X(mnuOptionsJavascriptExplorer) \
    X(mnuOptionsProjectExplorer) X(mnuViewEdit) X(mnuViewBrowse) X(mnuViewDesign) \
    X(mnuFormat) X(mnuFormatFont) X(mnuFormatHeading) X(mnuFormatBold) X(mnuFormatItalics) \
    X(mnuFormatBoldAndItalics) X(mnuFormatBig) X(mnuFormatSmall) X(mnuFormatStrike) X(mnuFormatSub) \
    X(mnuFormatSup) X(mnuFormatTT) X(mnuFormatUnderline) X(mnuFormatPre) \
    X(mnuInsert) X(mnuInsertP) X(mnuInsertBr) X(mnuInsertDiv) X(mnuInsertHr) X(mnuInsertComment) \
    X(mnuInsertImage) X(mnuInsertHyperlink) X(mnuInsertSymbol) X(mnuInsertList) X(mnuInsertListList) \
    X(mnuInsertListItem) X(mnuInsertDefinitionTerm) X(mnuInsertDefinitionData) X(mnuInsertForm) \
    X(mnuInsertFormForm) X(mnuInsertFormElement) X(mnuInsertTable) X(mnuInsertTableTable) \
    X(mnuInsertTableRow) X(mnuInsertTableHeading) X(mnuInsertTableData) X(mnuInsertFrame) \
    X(mnuInsertFrameset) X(mnuInsertFrameFrame) X(mnuInsertFloatingFrame) X(mnuInsertAdvanced) \
    X(mnuInsertApplet) X(mnuInsertParam) X(mnuInsertMarquee) X(mnuInsertScript) X(mnuInsertMeta) \
    X(mnuTools) X(mnuToolsSpell) X(mnuToolsChangeTagCase) X(mnuToolsRemoveTags) X(mnuToolsFormat) \
    X(mnuToolsFormatUppercase) X(mnuToolsFormatLowercase) X(mnuToolsFormatPropercase) \
    X(mnuToolsColorPicker) X(mnuToolsImageBrowser) X(mnuToolsFileDependencies) X(mnuToolsTableWizard) \
    X(mnuToolsListWizard) X(mnuToolsColorCode) X(mnuToolsColorCodeYes) X(mnuToolsColorCodeNo) \
    X(mnuToolsColorCodeRefresh) X(mnuToolsHelperApps) X(mnuToolsHelperFtp) X(mnuToolsHelperImage) \
    X(mnuToolsHelperIsmap) X(mnuToolsHelperValidator) X(mnuToolsOptions) \
    X(mnuWindow) X(mnuWindowCascade) X(mnuWindowTileHorizontally) X(mnuWindowTileVertically) \
    X(mnuWindowArrangeIcons) \
    X(mnuHelp) X(mnuHelpHtml4) X(mnuHelpCSS) X(mnuHelpTips) X(mnuHelpAbout) \
    X(mnuPopupUndo) X(mnuPopupRedo) X(mnuPopupCut) X(mnuPopupCopy) X(mnuPopupPaste) \
    X(mnuPopupIndent) X(mnuPopupUnindent) X(mnuPopupEditTag)
