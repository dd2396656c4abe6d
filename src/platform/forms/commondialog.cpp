#include "platform/forms/commondialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/forms/dialoghooks.h"
#include "platform/forms/dialogsize.h"

namespace kavrin {

namespace {

QWidget* ownerOr(QWidget* owner) { return owner ? owner : QApplication::activeWindow(); }

// Windows accepts "\" in the names it is handed; here "/" is the separator.
QString slashes(const QString& path) { return QString(path).replace('\\', '/'); }

// The folder the dialog opens in and the name it proposes: a proposed name with a folder of its
// own wins over the initial folder, as on Windows.
void placeDialog(QFileDialog& dialog, const QString& initDir, const QString& fileName) {
    const QString name = slashes(fileName);
    QString folder = slashes(initDir);
    QString proposed = name;
    if (name.contains('/')) {
        const QFileInfo info(name);
        folder = info.absolutePath();
        proposed = info.fileName();
    }
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) dialog.setDirectory(folder);
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    // Room for long names; the user can still widen it for longer ones, so the window keeps the
    // frame's resize handle.
    dialog.setMinimumWidth(titleFitWidth(dialog.windowTitle()));
    dialog.resize(qMax(720, titleFitWidth(dialog.windowTitle())), 460);
}

void applyFilters(QFileDialog& dialog, const QString& filter, int filterIndex) {
    const QStringList filters = CommonDialog::qtFilters(filter);
    if (filters.isEmpty()) return;
    dialog.setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size()) dialog.selectNameFilter(filters[filterIndex - 1]);
}

// With the pattern group hidden the dialog may report the filter by its name alone.
int chosenFilterIndex(const QFileDialog& dialog, const QString& filter, int previous) {
    const QString chosen = dialog.selectedNameFilter();
    const QStringList filters = CommonDialog::qtFilters(filter);
    for (int i = 0; i < filters.size(); ++i)
        if (chosen == filters[i] || chosen == filters[i].left(filters[i].lastIndexOf(QLatin1String(" ("))))
            return i + 1;
    return previous;
}

// Colours are 24-bit numbers with red in the low byte.
QColor toQColor(int color) { return QColor(color & 0xff, (color >> 8) & 0xff, (color >> 16) & 0xff); }
int fromQColor(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

}  // namespace

QStringList CommonDialog::qtFilters(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split('|');
    // Parts come in name / pattern pairs; a name without its pattern is no filter.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& raw : parts[i + 1].split(';')) {
            QString p = raw.trimmed();
            if (p.isEmpty()) continue;
            // "*.*" matches every file on Windows, names without a dot included; here it would not.
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
            if (!patterns.contains(p)) patterns << p;
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        QString name = parts[i].trimmed();
        if (name.isEmpty()) name = patterns.join(' ');
        // The dialog hides this last group and matches by it; the name keeps whatever it says.
        result << name + QStringLiteral(" (") + patterns.join(' ') + ')';
    }
    return result;
}

bool CommonDialog::showOpen() {
    if (dialogHooks().commonDialog) {
        if (!dialogHooks().commonDialog(*this, QStringLiteral("open"))) return false;
        if (fileNames.isEmpty() && !fileName.isEmpty()) fileNames = QStringList{fileName};
        if (fileName.isEmpty() && !fileNames.isEmpty()) fileName = fileNames.first();
        return true;
    }
    QFileDialog dialog(ownerOr(owner), dialogTitle.isEmpty() ? QStringLiteral("Open") : dialogTitle);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    if (flags & cdlOFNAllowMultiselect)
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else if (flags & cdlOFNFileMustExist)
        dialog.setFileMode(QFileDialog::ExistingFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
    applyFilters(dialog, filter, filterIndex);
    placeDialog(dialog, initDir, fileName);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return false;
    fileNames = chosen;
    fileName = chosen.first();
    filterIndex = chosenFilterIndex(dialog, filter, filterIndex);
    return true;
}

bool CommonDialog::showSave() {
    if (dialogHooks().commonDialog) {
        if (!dialogHooks().commonDialog(*this, QStringLiteral("save"))) return false;
        fileNames = fileName.isEmpty() ? QStringList{} : QStringList{fileName};
        return true;
    }
    QFileDialog dialog(ownerOr(owner), dialogTitle.isEmpty() ? QStringLiteral("Save As") : dialogTitle);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    // Without the overwrite flag the caller has asked its own question, or wants none.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(flags & cdlOFNOverwritePrompt));
    applyFilters(dialog, filter, filterIndex);
    placeDialog(dialog, initDir, fileName);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
    fileName = chosen.first();
    fileNames = QStringList{fileName};
    filterIndex = chosenFilterIndex(dialog, filter, filterIndex);
    return true;
}

bool CommonDialog::showColor() {
    if (dialogHooks().commonDialog) {
        if (!dialogHooks().commonDialog(*this, QStringLiteral("color"))) return false;
        color &= 0xffffff;
        return true;
    }
    QColorDialog dialog(ownerOr(owner));
    if (!dialogTitle.isEmpty()) dialog.setWindowTitle(dialogTitle);
    dialog.setCurrentColor(toQColor(color));
    if (dialog.exec() != QDialog::Accepted) return false;
    color = fromQColor(dialog.selectedColor());
    return true;
}

bool CommonDialog::showPrinter(QPrinter* printer) {
    printSelection = (flags & cdlPDSelection) != 0;
    bool accepted = false;
    if (dialogHooks().commonDialog) {
        accepted = dialogHooks().commonDialog(*this, QStringLiteral("print"));
        if (accepted && printer)
            printer->setPrintRange(printSelection ? QPrinter::Selection : QPrinter::AllPages);
    } else {
        QPrinter fallback;
        QPrinter* target = printer ? printer : &fallback;
        target->setPrintRange(printSelection ? QPrinter::Selection : QPrinter::AllPages);
        QPrintDialog dialog(target, ownerOr(owner));
        if (!dialogTitle.isEmpty()) dialog.setWindowTitle(dialogTitle);
        QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintToFile |
                                                           QAbstractPrintDialog::PrintShowPageSize |
                                                           QAbstractPrintDialog::PrintCollateCopies;
        if (!(flags & cdlPDNoSelection)) options |= QAbstractPrintDialog::PrintSelection;
        if (!(flags & cdlPDNoPageNums)) options |= QAbstractPrintDialog::PrintPageRange;
        dialog.setOptions(options);
        accepted = dialog.exec() == QDialog::Accepted;
        if (accepted) printSelection = target->printRange() == QPrinter::Selection;
    }
    if (!accepted) return false;
    // The flags report what was chosen, as the Windows print dialog reports it.
    flags = printSelection ? (flags | cdlPDSelection) : (flags & ~cdlPDSelection);
    return true;
}

QString pickFolder(const QString& prompt, const QString& startFolder, QWidget* owner) {
    if (dialogHooks().commonDialog) {
        CommonDialog dialog;
        dialog.dialogTitle = prompt;
        dialog.initDir = startFolder;
        dialog.owner = owner;
        if (!dialogHooks().commonDialog(dialog, QStringLiteral("folder"))) return QString();
        return dialog.fileName;
    }
    return QFileDialog::getExistingDirectory(ownerOr(owner), prompt, slashes(startFolder),
                                             QFileDialog::ShowDirsOnly);
}

}  // namespace kavrin
