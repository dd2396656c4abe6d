#include "tagdialogs/text/frmFont.h"

#include <QEvent>
#include <QPainter>
#include <QSignalBlocker>

#include "documents/globals.h"
#include "documents/inserthtml.h"
#include "documents/module1.h"
#include "platform/system/screen.h"
#include "tagdialogs/frmColor.h"
#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {

const QString kSampleFace = QStringLiteral("Times New Roman");
constexpr int kSamplePoints = 12;
// The sample's left edge within the frame: large sizes start further left to stay in view.
constexpr int kSampleLeft = 870;
constexpr int kLargeSampleLeft = 270;
constexpr int kLargestNearSize = 25;

QPixmap fontPicture() {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont serif(kSampleFace);
    serif.setPixelSize(20);
    serif.setBold(true);
    p.setFont(serif);
    p.setPen(QColor(0x20, 0x40, 0xA0));
    p.drawText(QRect(0, 0, 16, 24), Qt::AlignCenter, QStringLiteral("A"));
    serif.setPixelSize(13);
    p.setFont(serif);
    p.setPen(QColor(0xB0, 0x20, 0x20));
    p.drawText(QRect(12, 6, 12, 18), Qt::AlignCenter, QStringLiteral("a"));
    return pixmap;
}

}  // namespace

FaceList splitFaceList(const QString& value) {
    FaceList list;
    QString* const names[] = {&list.face, &list.alt1, &list.alt2};
    int filled = 0;
    QString rest = value;
    // The first name stays as written; after each comma the rest is trimmed.
    while (true) {
        if (filled == 3) {
            if (!rest.isEmpty()) list.extra = QStringLiteral(", ") + rest;
            break;
        }
        const qsizetype comma = rest.indexOf(u',');
        const QString name = comma < 0 ? rest : rest.left(comma);
        if (!name.isEmpty()) *names[filled++] = name;
        if (comma < 0) break;
        rest = rest.mid(comma + 1).trimmed();
    }
    return list;
}

int sampleSizeFor(const QString& sizeText) {
    static const std::pair<const char*, int> sizes[] = {
        {"+1", 13}, {"+2", 18}, {"+3", 25}, {"+4", 36}, {"-1", 11}, {"-2", 10}, {"-3", 8},
        {"1", 8},   {"2", 10},  {"3", 12},  {"4", 13},  {"5", 18},  {"6", 25},  {"7", 36},
    };
    for (const auto& [text, points] : sizes)
        if (sizeText == QLatin1String(text)) return points;
    return kSamplePoints;
}

frmFont::frmFont(QWidget* parent) : TagDialog(QStringLiteral("font"), QStringLiteral("Font"), parent) {
    setObjectName(QStringLiteral("frmFont"));
    fraMain = new QGroupBox(this);
    cboSize = choiceBox({"", "+1", "+2", "+3", "+4", "-1", "-2", "-3", "1", "2", "3", "4", "5", "6", "7"}, fraMain);
    cboSize->setMinimumWidth(twipsToPixels(1095));
    chkBold = new QCheckBox(QStringLiteral("Bold"), fraMain);
    chkItalic = new QCheckBox(QStringLiteral("Italic"), fraMain);
    txtColor = sizedField(fraMain, 1095);
    lblColor = colorSwatch(fraMain);
    setSwatchColor(lblColor, 0);
    cmdColor = colorButton(QStringLiteral("Select color"), fraMain);
    cboFace = choiceBox({}, fraMain);
    cboFace2 = choiceBox({}, fraMain);
    cboFace3 = choiceBox({}, fraMain);
    for (QComboBox* box : {cboFace, cboFace2, cboFace3}) box->setMinimumWidth(twipsToPixels(3000));
    cboFace2->setEnabled(false);
    cboFace3->setEnabled(false);

    picSample = new QWidget(fraMain);
    picSample->setFixedSize(twipsToPixels(4500), twipsToPixels(900));
    lblSample = new QLabel(QStringLiteral("Font Sample"), picSample);

    auto* frame = new QGridLayout(fraMain);
    frame->setHorizontalSpacing(twipsToPixels(90));
    frame->setVerticalSpacing(twipsToPixels(75));
    auto* sizeRow = new QHBoxLayout();
    sizeRow->setSpacing(twipsToPixels(150));
    sizeRow->addWidget(cboSize);
    sizeRow->addWidget(chkBold);
    sizeRow->addWidget(chkItalic);
    sizeRow->addStretch(1);
    auto* colorRow = new QHBoxLayout();
    colorRow->setSpacing(twipsToPixels(60));
    colorRow->addWidget(txtColor);
    colorRow->addWidget(lblColor);
    colorRow->addWidget(cmdColor);
    colorRow->addStretch(1);
    frame->addWidget(new QLabel(QStringLiteral("Size"), fraMain), 0, 0);
    frame->addLayout(sizeRow, 0, 1);
    frame->addWidget(new QLabel(QStringLiteral("Color"), fraMain), 1, 0);
    frame->addLayout(colorRow, 1, 1);
    frame->addWidget(new QLabel(QStringLiteral("Face"), fraMain), 2, 0);
    frame->addWidget(cboFace, 2, 1);
    frame->addWidget(picSample, 3, 0, 1, 2);
    frame->addWidget(new QLabel(QStringLiteral("Alt. Face 1"), fraMain), 4, 0);
    frame->addWidget(cboFace2, 4, 1);
    frame->addWidget(new QLabel(QStringLiteral("Alt. Face 2"), fraMain), 5, 0);
    frame->addWidget(cboFace3, 5, 1);
    grid()->addWidget(fraMain, 0, 0, 1, 2);

    auto* icon = new QLabel(this);
    icon->setPixmap(fontPicture());
    addButtonRow(icon);
    setTabChain({cboSize, chkBold, chkItalic, txtColor, cmdColor, cboFace, cboFace2, cboFace3, cmdOk, cmdCancel});

    // face is written by buildStartTag itself, before these.
    bindText(QStringLiteral("size"), cboSize);
    bindColor(QStringLiteral("color"), txtColor, lblColor);

    connect(cboSize, &QComboBox::activated, this, [this] { cboSize_Click(); });
    connect(cboFace, &QComboBox::activated, this, [this] { cboFace_Click(); });
    connect(cboFace, &QComboBox::editTextChanged, this, [this] { faceChanged(); });
    connect(cboFace2, &QComboBox::activated, this, [this] { face2Changed(); });
    connect(cboFace2, &QComboBox::editTextChanged, this, [this] { face2Changed(); });
    connect(chkBold, &QCheckBox::toggled, this, [this] { updateSampleStyle(); });
    connect(chkItalic, &QCheckBox::toggled, this, [this] { updateSampleStyle(); });
    connect(cmdColor, &QToolButton::clicked, this, [this] { cmdColor_Click(); });
    lblColor->installEventFilter(this);
}

void frmFont::prepareLoad() {
    extraFaces.clear();
    QFont sample(kSampleFace);
    sample.setPointSize(kSamplePoints);
    lblSample->setFont(sample);
    setSampleSize(kSamplePoints);
    setSampleColor(0);
    if (editingTag) {
        // Bold and italic wrap new text only; an edited tag is the font start tag alone.
        chkBold->hide();
        chkItalic->hide();
    }
}

bool frmFont::loadAttribute(const TagAttribute& attribute) {
    if (attribute.name.toLower() != QLatin1String("face")) return false;
    const FaceList list = splitFaceList(attribute.value);
    cboFace->setEditText(list.face);
    if (!list.alt1.isEmpty()) cboFace2->setEditText(list.alt1);
    if (!list.alt2.isEmpty()) cboFace3->setEditText(list.alt2);
    extraFaces = list.extra;
    return true;
}

void frmFont::afterLoad() {
    cboSize->setFocus();
    if (!editingTag) return;
    setSampleSize(sampleSizeFor(cboSize->currentText()));
    setSampleColor(swatchColor(lblColor));
}

void frmFont::Form_Activate() {
    placeSample();
    // Fonts installed meanwhile appear the next time the dialog opens; within one showing the
    // lists are built once, however often the dialog comes back to the front.
    if (cboFace->count() > 0 && cboFace->count() == fontCount) return;
    setCaption(QStringLiteral("Loading Fonts..."));
    setBusy(true);
    doEvents();
    if (fontCount == 0) loadFontNames();
    const QString texts[] = {cboFace->currentText(), cboFace2->currentText(), cboFace3->currentText()};
    QComboBox* const boxes[] = {cboFace, cboFace2, cboFace3};
    for (QComboBox* box : boxes) {
        const QSignalBlocker quiet(box);
        box->clear();
        box->addItems(fontNames.mid(0, fontCount));
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
    // Put back in order, so that the alternates are enabled again where they hold text.
    for (int i = 0; i < 3; ++i) boxes[i]->setEditText(texts[i]);
    faceChanged();
    face2Changed();
    setBusy(false);
    setCaption(QStringLiteral("Font"));
}

void frmFont::faceChanged() {
    if (cboFace->currentText().isEmpty()) {
        cboFace2->setEditText(QString());
        cboFace2->setEnabled(false);
        cboFace3->setEnabled(false);
        cboFace3->setEditText(QString());
    } else {
        cboFace2->setEnabled(true);
    }
}

void frmFont::face2Changed() {
    if (cboFace2->currentText().isEmpty()) {
        cboFace3->setEditText(QString());
        cboFace3->setEnabled(false);
    } else {
        cboFace3->setEnabled(true);
    }
}

void frmFont::cboSize_Click() { setSampleSize(sampleSizeFor(cboSize->currentText())); }

void frmFont::cboFace_Click() {
    QFont sample = lblSample->font();
    sample.setFamily(cboFace->currentText());
    lblSample->setFont(sample);
    placeSample();
    faceChanged();
}

void frmFont::setSampleSize(int points) {
    QFont sample = lblSample->font();
    sample.setPointSize(points);
    lblSample->setFont(sample);
    placeSample();
}

void frmFont::placeSample() {
    lblSample->adjustSize();
    const int points = lblSample->font().pointSize();
    const int left = twipsToPixels(points <= kLargestNearSize ? kSampleLeft : kLargeSampleLeft);
    // The sample's place starts where the frame's layout puts it, known once the dialog shows.
    const int offset = picSample->mapTo(fraMain, QPoint()).x();
    lblSample->move(qMax(0, left - offset), qMax(0, (picSample->height() - lblSample->height()) / 2));
}

void frmFont::setSampleColor(int color) {
    QPalette palette = lblSample->palette();
    palette.setColor(QPalette::WindowText, qtColor(color));
    lblSample->setPalette(palette);
}

void frmFont::updateSampleStyle() {
    QFont sample = lblSample->font();
    sample.setBold(chkBold->isChecked());
    sample.setItalic(chkItalic->isChecked());
    lblSample->setFont(sample);
    placeSample();
}

void frmFont::cmdColor_Click() {
    pickColor(txtColor, lblColor);
    if (!frmColor::hexColor.isEmpty()) setSampleColor(frmColor::winColor.toInt());
}

bool frmFont::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblColor && event->type() == QEvent::MouseButtonDblClick) {
        cmdColor_Click();
        return true;
    }
    return TagDialog::eventFilter(watched, event);
}

QString frmFont::buildStartTag() const {
    QString tag = TagDialog::buildStartTag();
    const QString face = cboFace->currentText();
    if (face.isEmpty()) return tag;
    QString faces = face;
    for (const QComboBox* alternate : {cboFace2, cboFace3})
        if (!alternate->currentText().isEmpty()) faces += QStringLiteral(", ") + alternate->currentText();
    tag.insert(element.size() + 1, attributeText(QStringLiteral("face"), faces + extraFaces));
    return tag;
}

void frmFont::insertStartTag(const QString& startTag) {
    if (editingTag) {
        insertHtml(startTag, QString(), QString(), 3);
        return;
    }
    const bool bold = chkBold->isChecked();
    const bool italic = chkItalic->isChecked();
    const QString start = (bold ? QStringLiteral("<b>") : QString()) + (italic ? QStringLiteral("<i>") : QString()) + startTag;
    const QString end = QStringLiteral("</font>") + (italic ? QStringLiteral("</i>") : QString()) +
                        (bold ? QStringLiteral("</b>") : QString());
    insertHtml(start, end, QString(), 1);
}

}  // namespace kavrin
