#pragma once
// "Body": the page's body start tag with its background, colours and margins; a preview shows
// the background colour behind samples in the text and link colours.
#include <QFrame>
#include <QGroupBox>

#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmBody : public TagDialog {
    Q_OBJECT
public:
    explicit frmBody(QWidget* parent = nullptr);

    QLineEdit* txtBackground = nullptr;
    QToolButton* cmdBrowse = nullptr;
    QLineEdit* txtBGcolor = nullptr;
    QLineEdit* txtText = nullptr;
    QLineEdit* txtLink = nullptr;
    QLineEdit* txtAlink = nullptr;
    QLineEdit* txtVlink = nullptr;
    QFrame* picColor = nullptr;
    QLabel* lblText = nullptr;
    QLabel* lblLink = nullptr;
    QLabel* lblAlink = nullptr;
    QLabel* lblVlink = nullptr;
    QPushButton* cmdColor = nullptr;
    QGroupBox* fraIE = nullptr;
    QLineEdit* txtLeftMargin = nullptr;
    UpDown* updLeftMargin = nullptr;
    QLineEdit* txtTopMargin = nullptr;
    UpDown* updTopMargin = nullptr;
    QCheckBox* chkFixedBackground = nullptr;

    // The colour attribute the colour button fills, or empty.
    QString colorTarget;

    void cmdColor_Click();
    void cmdBrowse_Click();
    void updateColorCaption();
    QString buildStartTag() const override;
    // The colour a target's swatch shows (red in the low byte).
    int swatchColor(const QString& target) const;

protected:
    void prepareLoad() override;
    bool loadAttribute(const TagAttribute& attribute) override;
    void afterLoad() override;
    void insertStartTag(const QString& startTag) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ColorPart {
        QString attribute;
        QLineEdit* field;
        QWidget* swatch;  // the preview's background for bgcolor, a sample's text otherwise
        QString caption;
    };
    const ColorPart* part(const QString& target) const;
    void setTarget(const QString& target);
    void paintSwatch(const ColorPart& p, int color);

    QVector<ColorPart> parts_;
};

}  // namespace kavrin
