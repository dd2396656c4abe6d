#pragma once
// "Script": a script start tag, optionally with comment lines hiding the code from old browsers.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmScript : public TagDialog {
    Q_OBJECT
public:
    explicit frmScript(QWidget* parent = nullptr);

    QComboBox* cboLang = nullptr;
    QLineEdit* txtSrc = nullptr;
    QToolButton* cmdBrowse = nullptr;
    QCheckBox* chkDefer = nullptr;
    QCheckBox* chkComment = nullptr;

    void cmdBrowse_Click();

protected:
    QString newEndTag() const override { return QStringLiteral("</script>"); }
    int newMode() const override { return 2; }
    void prepareLoad() override;
    bool loadAttribute(const TagAttribute& attribute) override;
    void insertStartTag(const QString& startTag) override;

private:
    bool tagHasSrc_ = false;  // the edited tag names its file under src
};

}  // namespace kavrin
