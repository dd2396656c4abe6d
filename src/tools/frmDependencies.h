#pragma once
// File Dependencies: the pages, pictures and other files the active document refers to, found
// on Start and copied to the clipboard as chosen.
#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "platform/forms/form.h"

namespace kavrin {

class frmDependencies : public Form {
    Q_OBJECT
public:
    explicit frmDependencies(QWidget* parent = nullptr);

    QGroupBox* fraFileTypes = nullptr;
    QCheckBox* chkHTML = nullptr;
    QCheckBox* chkImage = nullptr;
    QCheckBox* chkOther = nullptr;
    QListWidget* lstFiles = nullptr;
    QProgressBar* pbr1 = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdClose = nullptr;

    QStringList dependencyNames;

    void cmdStart_Click();
    void cmdCopy_Click();
    void cmdClose_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kavrin
