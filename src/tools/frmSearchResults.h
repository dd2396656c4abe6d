#pragma once
// The results of one Replace in many files run: each changed, skipped or failed file with its
// number of replacements, the pattern, and the totals. A result opens in the editor with a
// double-click or Enter.
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "platform/forms/form.h"
#include "tools/replaceinfiles.h"

namespace kavrin {

class frmSearchResults : public Form {
    Q_OBJECT
public:
    explicit frmSearchResults(QWidget* parent = nullptr);

    QLabel* Label2 = nullptr;  // "File Name"
    QLabel* Label1 = nullptr;  // "Matches"
    QTreeWidget* lstMain = nullptr;
    QLabel* lblFilter = nullptr;
    QLabel* lblTotalFiles = nullptr;
    QLabel* lblNumReplacements = nullptr;
    QLabel* lblCancelled = nullptr;
    QPushButton* cmdOk = nullptr;

    // Fills the list and the labels; `filter` empty for a run over documents.
    void setResults(const QVector<ReplaceEntry>& entries, const QString& filter, qint64 totalReplacements,
                    bool cancelled);
    // The lines as the list holds them, in order.
    QStringList lines() const { return lines_; }

    void cmdOk_Click();
    // Closes the window and opens the file of the chosen line (or brings its document forward).
    void lstMain_DblClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitReasonLines();
    QStringList lines_;
};

}  // namespace kavrin
