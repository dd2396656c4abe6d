#pragma once
// "Table": a table start tag with its attributes and, for a new table, its rows and cells. The
// build with the browser and designer (frmTableIe) shows beside the fields a live preview of a
// sample table drawn with the current attributes.
#include <QGroupBox>
#include <QTabBar>

#include "tagdialogs/tagdialog.h"

namespace kavrin {

class WebBrowser;

class frmTable : public TagDialog {
    Q_OBJECT
public:
    explicit frmTable(QWidget* parent = nullptr);

    QTabBar* tbsMain = nullptr;
    QFrame* fraBasic = nullptr;
    QGroupBox* fraIe = nullptr;
    // The live preview; nullptr in the build without it.
    WebBrowser* webBrowser = nullptr;

    // Basic
    QLabel* lblRows = nullptr;
    QLineEdit* txtNumRows = nullptr;
    UpDown* updRows = nullptr;
    QLabel* lblCols = nullptr;
    QLineEdit* txtNumCols = nullptr;
    UpDown* updCols = nullptr;
    QLineEdit* txtWidth = nullptr;
    UpDown* updWidth = nullptr;
    QLineEdit* txtHeight = nullptr;
    UpDown* updHeight = nullptr;
    QComboBox* cboAlign = nullptr;
    QLineEdit* txtCellPadding = nullptr;
    UpDown* updCellPadding = nullptr;
    QLineEdit* txtCellSpacing = nullptr;
    UpDown* updCellSpacing = nullptr;
    QLineEdit* txtBorder = nullptr;
    UpDown* updBorder = nullptr;
    QComboBox* cboFrame = nullptr;
    QComboBox* cboRules = nullptr;
    QLineEdit* txtBackColor = nullptr;
    QLabel* lblBack = nullptr;
    QToolButton* cmdBackColor = nullptr;
    QCheckBox* chkLableCells = nullptr;
    // Advanced
    QLineEdit* txtSrc = nullptr;
    QToolButton* cmdBrowse = nullptr;
    QLineEdit* txtBorderColor = nullptr;
    QLabel* lblBorder = nullptr;
    QToolButton* cmdBorderColor = nullptr;
    QLineEdit* txtBorderLight = nullptr;
    QLabel* lblBorderLight = nullptr;
    QToolButton* cmdBorderLight = nullptr;
    QLineEdit* txtBorderDark = nullptr;
    QLabel* lblBorderDark = nullptr;
    QToolButton* cmdBorderDark = nullptr;

    void tbsMain_Click();
    void cmdBackColor_Click();
    void cmdBorderColor_Click();
    void cmdBorderLight_Click();
    void cmdBorderDark_Click();
    void cmdBrowse_Click();
    void cmdOk_Click() override;

    // Appends the twelve attributes of the fields (not the background), each with its blank.
    void addTableAttributes(QString& tag) const;
    // Rewrites the preview page from the fields and shows it again.
    void updatePreview();
    // Where the preview page is written.
    static QString previewPath();

protected:
    frmTable(QWidget* parent, bool withPreview);
    QString newEndTag() const override { return QStringLiteral("</table>"); }
    void prepareLoad() override;
    void afterLoad() override;
    void Form_Load() override;

private:
    struct AttributeField {
        QString name;
        QLineEdit* edit;
        QComboBox* combo;
    };
    QVector<AttributeField> attributeFields_;
};

// The table dialog of the build with the browser and designer: the same window with the preview.
class frmTableIe : public frmTable {
    Q_OBJECT
public:
    explicit frmTableIe(QWidget* parent = nullptr);
};

// A new, unloaded table dialog of the build in use: frmTableIe while the browser and designer
// are enabled, else frmTable.
Form* newTableDialog(QWidget* owner);
// Shows that dialog modally.
void showTableDialog();

}  // namespace kavrin
