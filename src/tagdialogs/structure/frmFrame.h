#pragma once
// "Frame": a frame start tag in front of the selection; its frame border is always written.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmFrame : public TagDialog {
    Q_OBJECT
public:
    explicit frmFrame(QWidget* parent = nullptr);
    QLineEdit* txtSrc = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QLineEdit* txtName = nullptr;
    QComboBox* cboScrolling = nullptr;
    QLineEdit* txtSpacing = nullptr;
    QLineEdit* txtColor = nullptr;
    QLabel* lblColor = nullptr;
    QToolButton* cmdColor = nullptr;
    QLineEdit* txtMarginWidth = nullptr;
    UpDown* updMarginWidth = nullptr;
    QLineEdit* txtMarginHeight = nullptr;
    UpDown* updMarginHeight = nullptr;
    QCheckBox* chkNoResize = nullptr;
    QCheckBox* chkBorder = nullptr;

    QString buildStartTag() const override;

protected:
    bool loadAttribute(const TagAttribute& attribute) override;
    int newMode() const override { return 2; }
    void Form_Unload(int& cancel) override;
};

// The frame border of a frame or inline frame: checked only for exactly "yes" or "1".
bool frameBorderChecked(const QString& value);
// `base` (ending in the kept attributes and ">") with the frame border written before them.
QString withFrameBorder(const QString& base, const QString& extraAttributes, bool checked);

}  // namespace kavrin
