#pragma once
// "Marquee - Internet Explorer only": a marquee start tag around the selection.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmMarquee : public TagDialog {
    Q_OBJECT
public:
    explicit frmMarquee(QWidget* parent = nullptr);

    QComboBox* cboBehavior = nullptr;
    QComboBox* cboDirection = nullptr;
    QLineEdit* txtScrollAmount = nullptr;
    QLineEdit* txtScrollDelay = nullptr;
    QComboBox* cboAlign = nullptr;
    QComboBox* cboLoop = nullptr;
    QLineEdit* txtHeight = nullptr;
    UpDown* updHeight = nullptr;
    QLineEdit* txtWidth = nullptr;
    UpDown* updWidth = nullptr;
    QLineEdit* txtHspace = nullptr;
    UpDown* updHspace = nullptr;
    QLineEdit* txtVspace = nullptr;
    UpDown* updVspace = nullptr;
    QLineEdit* txtColor = nullptr;
    QLabel* lblColor = nullptr;
    QToolButton* cmdColor = nullptr;

    void cmdColor_Click();

protected:
    QString newEndTag() const override { return QStringLiteral("</marquee>"); }
};

}  // namespace kavrin
