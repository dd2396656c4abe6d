#pragma once
// "Form Element": one form control, an input of one of nine kinds, a text area, a selection
// list or an option, chosen on a strip of twelve tabs whose kinds share the fields.
#include <QGroupBox>
#include <QTabBar>
#include <optional>

#include "tagdialogs/structure/formelement.h"
#include "tagdialogs/tagdialog.h"
#include "tagdialogs/text/imagepreview.h"

namespace kavrin {

class frmInput : public TagDialog {
    Q_OBJECT
public:
    explicit frmInput(QWidget* parent = nullptr);

    QTabBar* tbsMain = nullptr;
    QGroupBox* fraMain = nullptr;
    // Measures a browsed picture; never shown.
    PictureHolder img1;

    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    QLabel* lblValue = nullptr;
    QLineEdit* txtValue = nullptr;
    QToolButton* cmdImage = nullptr;
    QLabel* lblAlign = nullptr;
    QComboBox* cboAlign = nullptr;
    QLabel* lblTabindex = nullptr;
    QLineEdit* txtTabindex = nullptr;
    QCheckBox* chkNoTab = nullptr;
    QLabel* lblSize = nullptr;
    QLineEdit* txtSize = nullptr;
    QLabel* lblMaxLength = nullptr;
    QLineEdit* txtMaxLength = nullptr;
    QLabel* lblHeight = nullptr;
    QLineEdit* txtHeight = nullptr;
    QLabel* lblVSpace = nullptr;
    QLineEdit* txtVSpace = nullptr;
    QLabel* lblBorder = nullptr;
    QLineEdit* txtBorder = nullptr;
    QComboBox* cboWrap = nullptr;
    QLabel* lblRows = nullptr;
    QLineEdit* txtRows = nullptr;
    QLabel* lblCols = nullptr;
    QLineEdit* txtCols = nullptr;
    QCheckBox* chkChecked = nullptr;
    QCheckBox* chkMultiple = nullptr;
    QCheckBox* chkSelected = nullptr;

    // The current kind: the selected tab.
    FormKind kind() const { return FormKind(tbsMain->currentIndex() + 1); }
    // Selects a tab by its number, 1 ("Button") to 12 ("Option"), and sets the kind up, also
    // when that tab is already the selected one.
    void selectTab(int tab);
    // The kind setup: empties every field and shows those of the current kind.
    void tbsMain_Click();
    void chkNoTab_Click();
    void cmdImage_Click();

    QString buildStartTag() const override;

protected:
    void resetFields();
    void prepareLoad() override;
    bool loadAttribute(const TagAttribute& attribute) override;
    void afterLoad() override;
    void insertStartTag(const QString& startTag) override;
    void Form_Unload(int& cancel) override;

private:
    QWidget* field(FormField f) const;
    FormFieldValues values() const;
    // Text areas, selection lists and options reached through Edit Tag are elements of their
    // own; everything else the dialog edits is an input.
    bool editsOwnElement() const;

    // The edited tag's attributes that the kind does not write, in their order.
    QVector<TagAttribute> kept_;
    // An edited input whose type names none of the kinds keeps that type ("" for none) as long
    // as its kind stays as it opened.
    std::optional<QString> inputType_;
    // Type attributes still to be passed over while an edited tag fills the fields.
    int typesToTake_ = 0;
    bool loading_ = false;
};

// Shows the dialog for a new element on the tab numbered `presetTab` (1 to 12: Button,
// Checkbox, Hidden, Image, Password, Radio, Reset, Submit, Text, Textarea, Select, Option);
// any other number opens it on the kind it chooses itself.
void showFormElementDialog(int presetTab = 0);

}  // namespace kavrin
