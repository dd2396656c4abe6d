#pragma once
// "Java Applet": an applet start tag; a new applet goes in before the selection.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmApplet : public TagDialog {
    Q_OBJECT
public:
    explicit frmApplet(QWidget* parent = nullptr);

    QLineEdit* txtCode = nullptr;
    QToolButton* cmdBrowse = nullptr;
    QLineEdit* txtCodeBase = nullptr;
    QLineEdit* txtName = nullptr;
    QLineEdit* txtTitle = nullptr;
    QLineEdit* txtAlt = nullptr;
    QLineEdit* txtArchive = nullptr;
    QLineEdit* txtWidth = nullptr;
    UpDown* updWidth = nullptr;
    QLineEdit* txtHeight = nullptr;
    UpDown* updHeight = nullptr;
    QComboBox* cboAlign = nullptr;
    QCheckBox* chkMayscript = nullptr;

    void cmdBrowse_Click();
    QString buildStartTag() const override;

protected:
    QString newEndTag() const override { return QStringLiteral("</applet>"); }
    int newMode() const override { return 2; }
    bool loadAttribute(const TagAttribute& attribute) override;
};

}  // namespace kavrin
