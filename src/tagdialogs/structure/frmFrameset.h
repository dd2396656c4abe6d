#pragma once
// "FrameSet": a frameset element in front of the selection; in an edit only its start tag.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmFrameset : public TagDialog {
    Q_OBJECT
public:
    explicit frmFrameset(QWidget* parent = nullptr);
    QLineEdit* txtRows = nullptr;
    QLineEdit* txtCols = nullptr;
    QComboBox* cboFrameBorder = nullptr;
    QLineEdit* txtBorder = nullptr;
    UpDown* updBorder = nullptr;
    QLineEdit* txtFrameSpacing = nullptr;
    UpDown* updFrameSpacing = nullptr;
    QLineEdit* txtColor = nullptr;
    QLabel* lblColor = nullptr;
    QToolButton* cmdColor = nullptr;

protected:
    void prepareLoad() override { otherFrameBorder_.clear(); }
    bool loadAttribute(const TagAttribute& attribute) override;
    QString newEndTag() const override { return QStringLiteral("</frameset>"); }
    int newMode() const override { return 2; }

private:
    void frameBorderChanged();
    // The value the frame border list writes, kept up to date for the tag builder; never shown.
    QLineEdit* frameBorderValue_ = nullptr;
    // A frame border value the list does not offer, read from the edited tag.
    QString otherFrameBorder_;
};

}  // namespace kavrin
