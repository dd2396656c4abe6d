// What later dialogs build on and the four dialogs here do not show: a dialog that reads one
// attribute itself, and the Browse helper.
#include "tagdialogs/tagdialog.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

// A dialog with a file field and an attribute it reads itself.
class frmSample : public TagDialog {
public:
    explicit frmSample(QWidget* parent) : TagDialog("sample", "Sample", parent) {
        txtSrc = new QLineEdit(this);
        addRow("Source", txtSrc);
        bindText("src", txtSrc);
        finishLayout();
    }
    void cmdBrowse_Click() { browseFile(txtSrc, "Select File", "All Files (*.*)|*.*"); }
    QLineEdit* txtSrc;
    QString loop;

protected:
    bool loadAttribute(const TagAttribute& a) override {
        if (a.name.toLower() != "loop") return false;
        loop = a.value;
        return true;
    }
    QString newEndTag() const override { return "</sample>"; }
    int newMode() const override { return 2; }
};

class ModelTest : public TagDialogTest {};

TEST_F(ModelTest, OwnAttributesAndBrowseRelativeToTheDocument) {
    doc->filePath = workDir + "site/page.htm";
    documentFolder = workDir + "site/";
    editTagAttributes = {{"LOOP", "2"}, {"src", "old.gif"}, {"alt", "x"}};
    editingTag = true;
    expectDialogWindow<frmSample>("frmSample", [this](frmSample& d) {
        EXPECT_EQ(d.loop, "2");
        EXPECT_EQ(d.txtSrc->text(), "old.gif");
        EXPECT_EQ(d.extraAttributes, " alt=\"x\"");
        expectDialogCancel("open");
        d.cmdBrowse_Click();
        EXPECT_EQ(d.txtSrc->text(), "old.gif");
        expectDialog("open", [this](CommonDialog& cdl) {
            EXPECT_EQ(cdl.dialogTitle, "Select File");
            EXPECT_EQ(cdl.flags, 0x201004);
            cdl.fileName = workDir + "site/img/new.gif";
            return true;
        });
        d.cmdBrowse_Click();
        EXPECT_EQ(d.txtSrc->text(), "img/new.gif");
        d.cmdOk->click();
    });
    setDocument("|<sample src=old.gif loop=2 alt=x>|");
    showModalDialog<frmSample>();
    EXPECT_EQ(text(), "<sample src=\"img/new.gif\" alt=\"x\">");

    // A new element takes the dialog's own end tag and mode.
    editingTag = false;
    editTagAttributes.clear();
    expectDialogWindow<frmSample>("frmSample", [](frmSample& d) { d.cmdOk->click(); });
    setDocument("a|b|");
    showModalDialog<frmSample>();
    EXPECT_EQ(text(), "a<sample></sample>b");
}

}  // namespace
}  // namespace kavrin::test
