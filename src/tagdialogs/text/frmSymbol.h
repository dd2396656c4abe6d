#pragma once
// "Symbols": a table of 192 characters; the one picked goes into the active document as a
// character reference.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVector>

#include "platform/forms/form.h"

namespace kavrin {

constexpr int kSymbolCells = 192;

// What cell `index` (0 to 191) shows: codes 32 to 126, a blank standing for the non-breaking
// space, "TM", then codes 161 to 255.
QString symbolCellText(int index);
// The reference written for the cell; a browser shows it as the cell's character.
QString symbolReference(int index);

class frmSymbol : public Form {
    Q_OBJECT
public:
    explicit frmSymbol(QWidget* parent = nullptr);

    QWidget* picMain = nullptr;
    QVector<QLabel*> lblSymbol;
    QLineEdit* txtSymbol = nullptr;
    QLabel* lblTip = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The highlighted cell.
    int selectedSymbol = 0;

    // A mouse button pressed on a cell.
    void lblSymbol_MouseDown(int index);
    void cmdOk_Click();
    void cmdCancel_Click();

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintCell(int index, bool highlighted);
};

// Shows the special-character table modally over the active document.
void showSpecialCharacters();

}  // namespace kavrin
