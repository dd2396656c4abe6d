#pragma once
// "Image": an img start tag with its source, size, alignment, spacing, border and alternative
// text, and the older browsers' extras; a preview beside the tabs shows the picture, magnified
// on request, once one is chosen.
#include <QGroupBox>
#include <QScrollBar>
#include <QTabBar>
#include <functional>

#include "tagdialogs/tagdialog.h"
#include "tagdialogs/text/imagepreview.h"

namespace kavrin {

// The file the file list's Insert command is inserting (its folder and the selected name), for
// the image dialog opened with dialogKind "Insert image". The side panel provides it.
inline std::function<QString()> fileListSelectedPath;

class frmImage : public TagDialog {
    Q_OBJECT
public:
    explicit frmImage(QWidget* parent = nullptr);

    QTabBar* tbsMain = nullptr;
    QFrame* fraImage = nullptr;
    QGroupBox* fraIE = nullptr;
    QGroupBox* fraNetscape = nullptr;
    QLabel* Image1 = nullptr;

    // Basic
    QLineEdit* txtSrc = nullptr;
    QToolButton* cmdBrowse = nullptr;
    QLineEdit* txtAlt = nullptr;
    QLineEdit* txtUseMap = nullptr;
    QCheckBox* chkIsmap = nullptr;
    QComboBox* cboAlignment = nullptr;
    QLabel* imgAlign = nullptr;
    QLineEdit* txtVspace = nullptr;
    UpDown* updVspace = nullptr;
    QLineEdit* txtHspace = nullptr;
    UpDown* updHspace = nullptr;
    QLineEdit* txtHeight = nullptr;
    UpDown* updHeight = nullptr;
    QLineEdit* txtWidth = nullptr;
    UpDown* updWidth = nullptr;
    QLineEdit* txtBorder = nullptr;
    UpDown* updBorder = nullptr;
    // Advanced
    QLineEdit* txtDynSrc = nullptr;
    QToolButton* cmdDynSrc = nullptr;
    QComboBox* cboStart = nullptr;
    QCheckBox* chkControls = nullptr;
    QLineEdit* txtLoop = nullptr;
    QCheckBox* chkInfinite = nullptr;
    QLineEdit* txtLoopDelay = nullptr;
    QLineEdit* txtLowsrc = nullptr;
    QToolButton* cmdLowSrc = nullptr;

    // Preview
    QWidget* fraPreview = nullptr;
    PictureHolder img1;
    PictureBox* picImage = nullptr;
    QScrollBar* HScroll = nullptr;
    QScrollBar* VScroll = nullptr;
    QPushButton* cmdHeightWidth = nullptr;

    // The chosen picture's path: full after Browse, relative after the file list's Insert.
    QString imagePath;
    // Magnification of the preview; 0 until a picture is shown.
    int zoomFactor = 0;

    void tbsMain_Click();
    void cboAlignment_Click();
    void chkInfinite_Click();
    void cmdBrowse_Click();
    void cmdDynSrc_Click();
    void cmdLowSrc_Click();
    QString buildStartTag() const override;

    // Shows the holder's picture at its natural size from its top left corner; the first time,
    // the dialog widens to make room for the preview.
    void showImage();
    void picImage_MouseDown(int button, int shift, int x, int y);
    void HScroll_Change();
    void VScroll_Change();
    // Writes the picture's size as shown (natural size times zoom) into Height and Width.
    void cmdHeightWidth_Click();

    // The alignment pictures, 1 to 7.
    static QPixmap alignmentPicture(int index);

protected:
    void prepareLoad() override;
    bool loadAttribute(const TagAttribute& attribute) override;
    void afterLoad() override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;

private:
    struct TextAttribute {
        QString name;
        QWidget* field;
        QString keptBare;  // name as written when the tag had it without a value
    };
    TextAttribute* textAttribute(const QString& lowerName);
    const TextAttribute* textAttribute(const QString& lowerName) const;
    // " name=\"text\"" for a filled field, " name" for one the tag had bare and that is still
    // empty, else nothing.
    QString written(const QString& name) const;
    void repaintPreview();
    void setZoomView();
    void setBar(QScrollBar* bar, long long magnified, int inner);
    void showPictureSize();
    // Shows the picture the Source names, found from the document's folder or as written.
    void previewSource();

    QVector<TextAttribute> textAttributes_;
};

}  // namespace kavrin
