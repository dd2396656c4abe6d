#pragma once
// The tip of the day: one tip of "tips.dat" at a time, remembering across runs which tip comes
// next and whether tips show at start-up.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

#include "platform/forms/form.h"

namespace kavrin {

// The tips of the file's text: each line trimmed, empty lines left out.
QStringList parseTips(const QString& text);
// The tip to show first for the stored "CurrentTip" value: one past the last starts again at 1,
// anything else out of range is brought into 1 to count. 0 when there are no tips.
int firstTipNumber(double stored, int count);
// The tip after `current`, the first after the last. 0 when there are no tips.
int nextTipNumber(int current, int count);

class frmTips : public Form {
    Q_OBJECT
public:
    explicit frmTips(QWidget* parent = nullptr);

    QLabel* lblTip = nullptr;
    QCheckBox* chkShowTips = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdOk = nullptr;

    void cmdNext_Click();
    void cmdOk_Click();

    // The number of the tip shown (1-based; 0 with no tips) and how many there are.
    int currentTip() const { return current_; }
    int tipCount() const { return int(tips_.size()); }

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showTip();

    QStringList tips_;
    int current_ = 0;
    bool fileMissing_ = false;
};

}  // namespace kavrin
