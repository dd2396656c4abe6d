#pragma once
// "Font": a font element around the selection, optionally inside bold and italic, with its face
// (a main face and two alternates), size and colour; a sample shows the choice. Through Edit
// Tag it rewrites an existing font start tag.
#include <QGroupBox>

#include "tagdialogs/tagdialog.h"

namespace kavrin {

// A face attribute taken apart: the first three names and, after them, ", " and the rest of the
// list as written. Names left empty between commas are passed over.
struct FaceList {
    QString face;
    QString alt1;
    QString alt2;
    QString extra;
};
FaceList splitFaceList(const QString& value);
// The sample's size in points for a size text of the list ("+1" .. "+4", "-1" .. "-3",
// "1" .. "7"); 12 for anything else.
int sampleSizeFor(const QString& sizeText);

class frmFont : public TagDialog {
    Q_OBJECT
public:
    explicit frmFont(QWidget* parent = nullptr);

    QGroupBox* fraMain = nullptr;
    QComboBox* cboSize = nullptr;
    QCheckBox* chkBold = nullptr;
    QCheckBox* chkItalic = nullptr;
    QLineEdit* txtColor = nullptr;
    QLabel* lblColor = nullptr;
    QToolButton* cmdColor = nullptr;
    QComboBox* cboFace = nullptr;
    QWidget* picSample = nullptr;  // the sample's place; the sample moves within it
    QLabel* lblSample = nullptr;
    QComboBox* cboFace2 = nullptr;
    QComboBox* cboFace3 = nullptr;

    // Face names of an edited tag beyond the third, as ", " and the rest of its list.
    QString extraFaces;

    void cmdColor_Click();
    void cboSize_Click();
    void cboFace_Click();
    QString buildStartTag() const override;

protected:
    void prepareLoad() override;
    bool loadAttribute(const TagAttribute& attribute) override;
    void afterLoad() override;
    void insertStartTag(const QString& startTag) override;
    void Form_Activate() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillFaceLists();
    void faceChanged();
    void face2Changed();
    void setSampleSize(int points);
    void placeSample();
    void setSampleColor(int color);
    void updateSampleStyle();
};

}  // namespace kavrin
