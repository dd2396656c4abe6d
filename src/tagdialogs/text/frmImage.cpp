#include "tagdialogs/text/frmImage.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>

#include "documents/colouring/colorops.h"
#include "documents/fileops.h"
#include "platform/forms/commondialog.h"
#include "platform/system/screen.h"
#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {

const QString kImageFilter =
    QStringLiteral("Images (*.gif;*.jpg;*.jpeg;*.png)|*.gif;*.jpg;*.jpeg;*.png|All Files (*.*)|*.*");
constexpr int kOpenFlags = cdlOFNLongNames | cdlOFNFileMustExist | cdlOFNHideReadOnly;  // &H201004

QToolButton* browseButton(QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(QStringLiteral("Browse"));
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

QLineEdit* numberField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setFixedWidth(twipsToPixels(735));
    return field;
}

QWidget* fieldWithBeside(QWidget* parent, QWidget* field, QWidget* beside, bool stretchField = true) {
    auto* cell = new QWidget(parent);
    auto* row = new QHBoxLayout(cell);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(twipsToPixels(60));
    field->setParent(cell);
    beside->setParent(cell);
    row->addWidget(field, stretchField ? 1 : 0);
    row->addWidget(beside);
    if (!stretchField) row->addStretch(1);
    return cell;
}

// A framed picture: sky, a hill and a sun.
void drawPicture(QPainter& p, const QRect& r) {
    p.fillRect(r, QColor(0x80, 0xC0, 0xFF));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x90, 0x30));
    p.drawPolygon(QPolygon({QPoint(r.left(), r.bottom()), QPoint(r.left() + r.width() / 2, r.top() + r.height() / 2),
                            QPoint(r.right(), r.bottom())}));
    p.setBrush(QColor(0xFF, 0xD0, 0x00));
    p.drawRect(r.right() - 3, r.top() + 2, 2, 2);
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::black);
    p.drawRect(r);
}

// A word of sample text whose baseline is at `baseline`: a capital, small letters and one
// letter that goes below the line.
void drawWord(QPainter& p, int x, int baseline) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(x, baseline - 6, 2, 6);       // capital
    p.drawRect(x + 3, baseline - 4, 3, 4);   // small letters
    p.drawRect(x + 7, baseline - 4, 3, 4);
    p.drawRect(x + 11, baseline - 4, 1, 6);  // descender
    p.drawRect(x + 13, baseline - 4, 3, 4);
}

void drawTextLines(QPainter& p, int left, int right) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x90, 0x90, 0x90));
    for (int y = 3; y <= 19; y += 4) p.drawRect(left, y, right - left, 2);
}

}  // namespace

QPixmap frmImage::alignmentPicture(int index) {
    QPixmap pixmap(index == 5 ? 41 : 43, 24);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    const QRect picture(2, 5, 16, 14);  // top 5, bottom 18, middle 12
    switch (index) {
    case 1:  // absbottom: the text's lowest point level with the picture's bottom
        drawPicture(p, picture);
        drawWord(p, 22, picture.bottom() - 2);
        break;
    case 2:  // absmiddle: the text centred on the picture
        drawPicture(p, picture);
        drawWord(p, 22, picture.center().y() + 3);
        break;
    case 3:  // bottom, baseline: the baseline at the picture's bottom
        drawPicture(p, picture);
        drawWord(p, 22, picture.bottom() + 1);
        break;
    case 4:  // left: the picture at the left, text lines to its right
        drawPicture(p, QRect(2, 3, 16, 14));
        drawTextLines(p, 22, 40);
        break;
    case 5:  // middle: the baseline at the picture's middle
        drawPicture(p, picture);
        drawWord(p, 22, picture.center().y());
        break;
    case 6:  // right: the picture at the right, text lines to its left
        drawPicture(p, QRect(25, 3, 16, 14));
        drawTextLines(p, 2, 20);
        break;
    case 7:  // top, texttop: the text's top level with the picture's top
        drawPicture(p, picture);
        drawWord(p, 22, picture.top() + 6);
        break;
    default:
        break;
    }
    return pixmap;
}

frmImage::frmImage(QWidget* parent) : TagDialog(QStringLiteral("img"), QStringLiteral("Image"), parent) {
    setObjectName(QStringLiteral("frmImage"));

    const TabbedArea area = addTabbedArea();
    QWidget* const content = area.content;
    tbsMain = area.tabs;

    // ---- Basic ----
    fraImage = new QFrame(content);
    fraImage->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* basic = new QGridLayout(fraImage);
    basic->setHorizontalSpacing(twipsToPixels(90));
    basic->setVerticalSpacing(twipsToPixels(75));
    txtSrc = new QLineEdit(fraImage);
    txtSrc->setMinimumWidth(twipsToPixels(2655));
    cmdBrowse = browseButton(fraImage);
    txtAlt = new QLineEdit(fraImage);
    txtUseMap = new QLineEdit(fraImage);
    chkIsmap = new QCheckBox(QStringLiteral("ISMAP"), fraImage);
    cboAlignment = choiceBox(
        {"", "left", "right", "top", "texttop", "middle", "absmiddle", "bottom", "baseline", "absbottom"}, fraImage);
    imgAlign = new QLabel(fraImage);
    imgAlign->setFixedSize(43, 24);
    txtVspace = numberField(fraImage);
    updVspace = new UpDown(fraImage);
    txtHspace = numberField(fraImage);
    updHspace = new UpDown(fraImage);
    txtHeight = numberField(fraImage);
    updHeight = new UpDown(fraImage);
    txtWidth = numberField(fraImage);
    updWidth = new UpDown(fraImage);
    txtBorder = numberField(fraImage);
    updBorder = new UpDown(fraImage);

    auto label = [](const char* text, QWidget* parent) { return new QLabel(QString::fromLatin1(text), parent); };
    basic->addWidget(label("Source", fraImage), 0, 0);
    basic->addWidget(fieldWithBeside(fraImage, txtSrc, cmdBrowse), 0, 1, 1, 4);
    basic->addWidget(label("Alt. text", fraImage), 1, 0);
    basic->addWidget(txtAlt, 1, 1, 1, 4);
    basic->addWidget(label("Use Map", fraImage), 2, 0);
    basic->addWidget(fieldWithBeside(fraImage, txtUseMap, chkIsmap), 2, 1, 1, 4);
    basic->addWidget(label("Align", fraImage), 3, 0);
    basic->addWidget(fieldWithBeside(fraImage, cboAlignment, imgAlign, false), 3, 1, 1, 4);
    const std::tuple<const char*, QLineEdit*, UpDown*, const char*, QLineEdit*, UpDown*> pairs[] = {
        {"VSpace", txtVspace, updVspace, "HSpace", txtHspace, updHspace},
        {"Height", txtHeight, updHeight, "Width", txtWidth, updWidth},
        {"Border", txtBorder, updBorder, nullptr, nullptr, nullptr},
    };
    int row = 4;
    for (const auto& [text1, field1, arrows1, text2, field2, arrows2] : pairs) {
        basic->addWidget(label(text1, fraImage), row, 0);
        basic->addWidget(fieldWithBeside(fraImage, field1, arrows1, false), row, 1);
        if (text2) {
            basic->addWidget(label(text2, fraImage), row, 3, Qt::AlignRight);
            basic->addWidget(fieldWithBeside(fraImage, field2, arrows2, false), row, 4);
        }
        ++row;
    }
    basic->setColumnStretch(2, 1);
    basic->setRowStretch(row, 1);

    // ---- Advanced: the two older browsers' extras ----
    auto* advancedPage = new QWidget(content);
    auto* advanced = new QVBoxLayout(advancedPage);
    advanced->setContentsMargins(0, 0, 0, 0);
    fraIE = new QGroupBox(QStringLiteral("Internet Explorer"), advancedPage);
    auto* ie = new QGridLayout(fraIE);
    ie->setHorizontalSpacing(twipsToPixels(90));
    ie->setVerticalSpacing(twipsToPixels(75));
    txtDynSrc = new QLineEdit(fraIE);
    cmdDynSrc = browseButton(fraIE);
    cboStart = choiceBox({"fileopen", "mouseover", "fileopen,mouseover"}, fraIE);
    chkControls = new QCheckBox(QStringLiteral("Controls"), fraIE);
    txtLoop = numberField(fraIE);
    chkInfinite = new QCheckBox(QStringLiteral("Infinite"), fraIE);
    txtLoopDelay = numberField(fraIE);
    setDigitsOnly(txtLoop);
    setDigitsOnly(txtLoopDelay);
    ie->addWidget(label("Dyn Source", fraIE), 0, 0);
    ie->addWidget(fieldWithBeside(fraIE, txtDynSrc, cmdDynSrc), 0, 1);
    ie->addWidget(label("Start", fraIE), 1, 0);
    ie->addWidget(fieldWithBeside(fraIE, cboStart, chkControls, false), 1, 1);
    ie->addWidget(label("Loop", fraIE), 2, 0);
    ie->addWidget(fieldWithBeside(fraIE, txtLoop, chkInfinite, false), 2, 1);
    ie->addWidget(label("Loop Delay", fraIE), 3, 0);
    ie->addWidget(txtLoopDelay, 3, 1);
    advanced->addWidget(fraIE);
    fraNetscape = new QGroupBox(QStringLiteral("Netscape"), advancedPage);
    auto* netscape = new QGridLayout(fraNetscape);
    netscape->setHorizontalSpacing(twipsToPixels(90));
    txtLowsrc = new QLineEdit(fraNetscape);
    cmdLowSrc = browseButton(fraNetscape);
    netscape->addWidget(label("LowSrc", fraNetscape), 0, 0);
    netscape->addWidget(fieldWithBeside(fraNetscape, txtLowsrc, cmdLowSrc), 0, 1);
    advanced->addWidget(fraNetscape);
    advanced->addStretch(1);

    stackPages(area.pages, {fraImage, advancedPage});

    // ---- Preview column, out of sight until a picture is shown ----
    fraPreview = new QWidget(content);
    auto* preview = new QGridLayout(fraPreview);
    preview->setContentsMargins(0, 0, 0, 0);
    preview->setSpacing(0);
    picImage = new PictureBox(fraPreview);
    picImage->setFixedSize(twipsToPixels(3045), twipsToPixels(3855));
    picImage->setPicture(&img1);
    HScroll = new QScrollBar(Qt::Horizontal, fraPreview);
    HScroll->setFixedWidth(twipsToPixels(3045));
    VScroll = new QScrollBar(Qt::Vertical, fraPreview);
    VScroll->setFixedHeight(twipsToPixels(3855));
    for (QScrollBar* bar : {HScroll, VScroll}) {
        QSizePolicy policy = bar->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        bar->setSizePolicy(policy);
        bar->hide();
    }
    cmdHeightWidth = new QPushButton(QStringLiteral("&Rescale Image Dimentions"), fraPreview);
    cmdHeightWidth->setEnabled(false);
    preview->addWidget(picImage, 0, 0);
    preview->addWidget(VScroll, 0, 1);
    preview->addWidget(HScroll, 1, 0);
    preview->addItem(new QSpacerItem(0, twipsToPixels(285), QSizePolicy::Minimum, QSizePolicy::Fixed), 2, 0);
    preview->addWidget(cmdHeightWidth, 3, 0, 1, 2, Qt::AlignLeft);
    preview->setRowStretch(4, 1);
    fraPreview->hide();
    area.columns->addWidget(fraPreview, 0, Qt::AlignTop);

    Image1 = new QLabel(this);
    Image1->setPixmap(alignmentPicture(4).copy(2, 3, 16, 16));
    Image1->setFixedSize(16, 16);
    addButtonRow(Image1);

    setTabChain({tbsMain,      txtSrc,    cmdBrowse, txtAlt,      txtUseMap,   chkIsmap,
                 cboAlignment, txtVspace, txtHspace, txtHeight,   txtWidth,    txtBorder,
                 txtDynSrc,    cmdDynSrc, cboStart,  chkControls, txtLoop,     chkInfinite,
                 txtLoopDelay, txtLowsrc, cmdLowSrc, cmdHeightWidth, cmdOk,    cmdCancel});

    textAttributes_ = {
        {QStringLiteral("src"), txtSrc, {}},          {QStringLiteral("lowsrc"), txtLowsrc, {}},
        {QStringLiteral("alt"), txtAlt, {}},          {QStringLiteral("align"), cboAlignment, {}},
        {QStringLiteral("vspace"), txtVspace, {}},    {QStringLiteral("hspace"), txtHspace, {}},
        {QStringLiteral("height"), txtHeight, {}},    {QStringLiteral("width"), txtWidth, {}},
        {QStringLiteral("border"), txtBorder, {}},    {QStringLiteral("dynsrc"), txtDynSrc, {}},
        {QStringLiteral("usemap"), txtUseMap, {}},    {QStringLiteral("start"), cboStart, {}},
        {QStringLiteral("loop"), txtLoop, {}},        {QStringLiteral("loopdelay"), txtLoopDelay, {}},
    };

    bindSpin(updVspace, txtVspace);
    bindSpin(updHspace, txtHspace);
    bindSpin(updHeight, txtHeight);
    bindSpin(updWidth, txtWidth);
    bindSpin(updBorder, txtBorder);
    connect(tbsMain, &QTabBar::currentChanged, this, [this] { tbsMain_Click(); });
    connect(cboAlignment, &QComboBox::activated, this, [this] { cboAlignment_Click(); });
    connect(chkInfinite, &QCheckBox::toggled, this, [this] { chkInfinite_Click(); });
    connect(cmdBrowse, &QToolButton::clicked, this, [this] { cmdBrowse_Click(); });
    connect(cmdDynSrc, &QToolButton::clicked, this, [this] { cmdDynSrc_Click(); });
    connect(cmdLowSrc, &QToolButton::clicked, this, [this] { cmdLowSrc_Click(); });
    connect(picImage, &PictureBox::MouseDown, this,
            [this](int button, int shift, int x, int y) { picImage_MouseDown(button, shift, x, y); });
    connect(HScroll, &QScrollBar::valueChanged, this, [this] { HScroll_Change(); });
    connect(VScroll, &QScrollBar::valueChanged, this, [this] { VScroll_Change(); });
    connect(cmdHeightWidth, &QPushButton::clicked, this, [this] { cmdHeightWidth_Click(); });
}

// ---- Loading ------------------------------------------------------------------------------------

void frmImage::prepareLoad() {
    for (TextAttribute& a : textAttributes_) a.keptBare.clear();
    tbsMain->setCurrentIndex(0);
    tbsMain_Click();
}

frmImage::TextAttribute* frmImage::textAttribute(const QString& lowerName) {
    for (TextAttribute& a : textAttributes_)
        if (a.name == lowerName) return &a;
    return nullptr;
}

const frmImage::TextAttribute* frmImage::textAttribute(const QString& lowerName) const {
    return const_cast<frmImage*>(this)->textAttribute(lowerName);
}

bool frmImage::loadAttribute(const TagAttribute& attribute) {
    const QString name = attribute.name.toLower();
    if (name == QLatin1String("ismap")) {
        chkIsmap->setChecked(true);
        return true;
    }
    if (name == QLatin1String("controls")) {
        chkControls->setChecked(true);
        return true;
    }
    if (name == QLatin1String("loop") && attribute.value == QLatin1String("infinite")) {
        chkInfinite->setChecked(true);
        return true;
    }
    TextAttribute* a = textAttribute(name);
    if (!a) return false;
    setFieldText(a->field, attribute.value);
    a->keptBare = attribute.bare ? attribute.name : QString();
    return true;
}

void frmImage::afterLoad() {
    if (dialogKind == QLatin1String("Insert image")) {
        const QString full = fileListSelectedPath ? fileListSelectedPath() : QString();
        if (!full.isEmpty()) {
            imagePath = relativePathTo(QString(full).replace(QLatin1Char('\\'), QLatin1Char('/')));
            txtSrc->setText(imagePath);
            // Each place the picture may be found replaces it only when it reads.
            if (fileExists(documentFolder + imagePath)) img1.loadPicture(documentFolder + imagePath);
            if (fileExists(imagePath)) img1.loadPicture(imagePath);
            img1.loadPicture(full);
            showPictureSize();
        }
        setBusy(false);
        return;
    }
    const bool pathGiven = fileExists(dialogKind);
    if (pathGiven) txtSrc->setText(relativePathTo(QString(dialogKind).replace(QLatin1Char('\\'), QLatin1Char('/'))));
    if (pathGiven || editingTag) previewSource();
}

void frmImage::Form_Load() {
    TagDialog::Form_Load();
    txtSrc->setFocus();
}

void frmImage::Form_Unload(int& cancel) {
    (void)cancel;
    dialogKind.clear();
}

void frmImage::previewSource() {
    const QString src = txtSrc->text();
    if (src.isEmpty()) return;
    QString path = documentFolder + src;
    if (!fileExists(path)) path = src;
    if (!fileExists(path)) return;
    // A file that does not read as a picture shows an empty preview.
    if (!img1.loadPicture(path)) img1.clear();
    showImage();
}

void frmImage::showPictureSize() {
    // Without a picture there is no size to give: a height and width of 0 would hide the image.
    if (img1.isEmpty()) return;
    txtHeight->setText(trimNumber(img1.heightPixels()));
    txtWidth->setText(trimNumber(img1.widthPixels()));
}

// ---- Fields -------------------------------------------------------------------------------------

void frmImage::tbsMain_Click() {
    const bool basic = tbsMain->currentIndex() == 0;
    fraImage->setVisible(basic);
    fraIE->parentWidget()->setVisible(!basic);
    fraIE->setVisible(!basic);
    fraNetscape->setVisible(!basic);
}

void frmImage::cboAlignment_Click() {
    const QString t = cboAlignment->currentText().trimmed().toLower();
    int index = 0;
    if (t == QLatin1String("absbottom")) index = 1;
    else if (t == QLatin1String("absmiddle")) index = 2;
    else if (t == QLatin1String("bottom") || t == QLatin1String("baseline")) index = 3;
    else if (t == QLatin1String("left")) index = 4;
    else if (t == QLatin1String("middle")) index = 5;
    else if (t == QLatin1String("right")) index = 6;
    else if (t == QLatin1String("top") || t == QLatin1String("texttop")) index = 7;
    if (index) imgAlign->setPixmap(alignmentPicture(index));
    else imgAlign->clear();
}

void frmImage::chkInfinite_Click() { txtLoop->setEnabled(!chkInfinite->isChecked()); }

void frmImage::cmdBrowse_Click() {
    CommonDialog dialog;
    dialog.owner = this;
    dialog.dialogTitle = QStringLiteral("Select an Image");
    dialog.filter = kImageFilter;
    dialog.flags = kOpenFlags;
    if (!dialog.showOpen()) return;
    imagePath = QString(dialog.fileName).replace(QLatin1Char('\\'), QLatin1Char('/'));
    txtSrc->setText(relativePathTo(imagePath));
    if (img1.loadPicture(imagePath)) showPictureSize();
    else img1.clear();  // an unreadable file shows an empty preview, not the previous picture
    showImage();
}

// The older browsers' sources are written relative to the document like the main source, so
// that they still work when the page is published.
void frmImage::cmdDynSrc_Click() {
    browseFile(txtDynSrc, QStringLiteral("Select a file"), QStringLiteral("Avi files (*.avi)|*.avi|All files (*.*)|*.*"));
}

void frmImage::cmdLowSrc_Click() { browseFile(txtLowsrc, QStringLiteral("Select an Image"), kImageFilter); }

// ---- Preview --------------------------------------------------------------------------------------

void frmImage::setBar(QScrollBar* bar, long long magnified, int inner) {
    const QSignalBlocker quiet(bar);
    bar->setValue(0);
    const int overhang = scrollOverhang(magnified, inner);
    if (overhang <= 0) {
        bar->hide();
        return;
    }
    bar->setRange(0, overhang);
    // A step that comes out as 0 keeps the bar's previous one.
    if (overhang / 10 > 0) bar->setPageStep(overhang / 10);
    if (overhang / 100 > 0) bar->setSingleStep(overhang / 100);
    bar->show();
}

void frmImage::setZoomView() {
    setBar(HScroll, static_cast<long long>(zoomFactor) * img1.widthPixels(), picImage->scaleWidth());
    setBar(VScroll, static_cast<long long>(zoomFactor) * img1.heightPixels(), picImage->scaleHeight());
    setCaption(QStringLiteral("Image - zoom 1:") + QString::number(zoomFactor));
    repaintPreview();
}

void frmImage::showImage() {
    fraPreview->show();
    zoomFactor = 1;
    setZoomView();
    cmdHeightWidth->setEnabled(!img1.isEmpty());
}

void frmImage::repaintPreview() {
    picImage->setView(zoomFactor, HScroll->isVisible() ? HScroll->value() : 0,
                      VScroll->isVisible() ? VScroll->value() : 0);
}

void frmImage::picImage_MouseDown(int button, int shift, int x, int y) {
    (void)shift;
    (void)x;
    (void)y;
    const int old = zoomFactor;
    if (button == 1 && canZoomIn(zoomFactor, img1.width(), img1.height())) ++zoomFactor;
    else if (button == 2 && zoomFactor >= 2) --zoomFactor;
    if (zoomFactor != old) setZoomView();
}

void frmImage::HScroll_Change() { repaintPreview(); }
void frmImage::VScroll_Change() { repaintPreview(); }

void frmImage::cmdHeightWidth_Click() {
    // Before a picture is shown there is no size to write; 0 by 0 would hide the image.
    if (img1.isEmpty() || zoomFactor < 1) return;
    txtHeight->setText(trimNumber(static_cast<long long>(img1.heightPixels()) * zoomFactor));
    txtWidth->setText(trimNumber(static_cast<long long>(img1.widthPixels()) * zoomFactor));
}

// ---- OK -------------------------------------------------------------------------------------------

QString frmImage::written(const QString& name) const {
    const TextAttribute* a = textAttribute(name);
    if (!a) return {};
    const QString text = fieldText(a->field);
    if (!text.isEmpty()) return attributeText(name, text);
    if (!a->keptBare.isEmpty()) return QLatin1Char(' ') + a->keptBare;
    return {};
}

QString frmImage::buildStartTag() const {
    // The source is written even when empty.
    QString tag = QLatin1String("<img src=\"") + quoteAttributeValue(txtSrc->text()) + QLatin1Char('"');
    for (const char* name : {"lowsrc", "alt", "align", "vspace", "hspace", "height", "width", "border"})
        tag += written(QString::fromLatin1(name));
    const QString map = txtUseMap->text();
    if (!map.isEmpty()) tag += attributeText(QStringLiteral("usemap"), map.startsWith(QLatin1Char('#')) ? map : '#' + map);
    else tag += written(QStringLiteral("usemap"));
    if (chkIsmap->isChecked()) tag += QLatin1String(" ISMAP");
    tag += written(QStringLiteral("dynsrc"));
    // Infinite turns the Loop field off, so one loop attribute is written.
    if (chkInfinite->isChecked()) tag += attributeText(QStringLiteral("loop"), QStringLiteral("infinite"));
    else if (txtLoop->isEnabled()) tag += written(QStringLiteral("loop"));
    tag += written(QStringLiteral("loopdelay"));
    tag += written(QStringLiteral("start"));
    if (chkControls->isChecked()) tag += QLatin1String(" controls");
    return tag + extraAttributes + QLatin1Char('>');
}

}  // namespace kavrin
