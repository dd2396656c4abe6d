#pragma once
// The question of Change Tag Case: upper or lower case, or Cancel.
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVector>

#include "platform/forms/form.h"

namespace kavrin {

class frmTagCase : public Form {
    Q_OBJECT
public:
    explicit frmTagCase(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QVector<QRadioButton*> optTagCase;  // 0 upper case, 1 lower case
    QPlainTextEdit* Text1 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The answer: 0 cancel (also when the window is closed by its frame), 1 upper, 2 lower.
    quint8 tagCase = 0;

    void cmdOk_Click();
    void cmdCancel_Click();

    // Asks modally and returns the answer.
    static quint8 ask();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kavrin
