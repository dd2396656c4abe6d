#pragma once
// Open, save, colour, print and folder dialogs. Filters use the "name|pattern;pattern|..." text;
// Cancel is a distinct result (the show functions return false).
#include <QString>
#include <QStringList>

class QWidget;
class QPrinter;

namespace kavrin {

enum CommonDialogFlags : int {
    cdlOFNReadOnly = 0x1,
    cdlOFNOverwritePrompt = 0x2,
    cdlOFNHideReadOnly = 0x4,
    cdlOFNAllowMultiselect = 0x200,
    cdlOFNPathMustExist = 0x800,
    cdlOFNFileMustExist = 0x1000,
    cdlOFNExplorer = 0x80000,
    cdlOFNLongNames = 0x200000,
    cdlCCRGBInit = 0x1,
    cdlCCFullOpen = 0x2,
    cdlPDSelection = 0x1,
    cdlPDNoSelection = 0x4,
    cdlPDNoPageNums = 0x8,
    cdlPDReturnDC = 0x100,
};

class CommonDialog {
public:
    QString dialogTitle;
    QString filter;       // "HTML Files|*.htm;*.html|All Files|*.*"
    int filterIndex = 1;  // 1-based
    int flags = 0;
    QString fileName;     // in: proposed name; out: chosen path
    QStringList fileNames;  // multiselect result
    QString initDir;
    int color = 0;        // colour dialog, red in the low byte
    bool printSelection = false;  // print dialog: the user chose the selection
    QWidget* owner = nullptr;

    bool showOpen();
    bool showSave();
    bool showColor();
    // Fills `printer` from the dialog; false for Cancel.
    bool showPrinter(QPrinter* printer);

    // "name|a;b|name2|c" as Qt's filter list "name (a b)".
    static QStringList qtFilters(const QString& filter);
};

// Folder picker; "" when the user cancels.
QString pickFolder(const QString& prompt, const QString& startFolder = QString(), QWidget* owner = nullptr);

}  // namespace kavrin
