#pragma once
// The inline frame dialog: a new iframe element in front of the selection, its end tag right
// after the start tag (without one a browser takes the rest of the page as the frame's fallback).
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmIFrame : public TagDialog {
    Q_OBJECT
public:
    explicit frmIFrame(QWidget* parent = nullptr);
    QLineEdit* txtSrc = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QLineEdit* txtName = nullptr;
    QComboBox* cboScrolling = nullptr;
    QComboBox* cboAlign = nullptr;
    QLineEdit* txtWidth = nullptr;
    UpDown* updWidth = nullptr;
    QLineEdit* txtHeight = nullptr;
    UpDown* updHeight = nullptr;
    QLineEdit* txtMarginWidth = nullptr;
    UpDown* updMarginWidth = nullptr;
    QLineEdit* txtMarginHeight = nullptr;
    UpDown* updMarginHeight = nullptr;
    QCheckBox* chkBorder = nullptr;

    QString buildStartTag() const override;

protected:
    QString newEndTag() const override { return QStringLiteral("</iframe>"); }
    int newMode() const override { return 2; }
    bool loadAttribute(const TagAttribute& attribute) override;
    void insertStartTag(const QString& startTag) override;
};

}  // namespace kavrin
