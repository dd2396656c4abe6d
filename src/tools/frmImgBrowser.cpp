#include "tools/frmImgBrowser.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "documents/colouring/colorops.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "panes/sidepanel.h"
#include "panes/tagdialogcalls.h"
#include "platform/files/filesystem.h"
#include "platform/system/screen.h"
#include "tools/thumbgrid.h"
#include "tools/thumbnailloader.h"

namespace kavrin {

namespace {

constexpr int kTwips = kTwipsPerPixel;

int px(double twips) { return int(roundf(float(twips / kTwips))); }

// The view's own pointer: a magnifying glass.
QCursor zoomCursor() {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4));
    p.drawEllipse(2, 2, 11, 11);
    p.drawLine(12, 12, 18, 18);
    p.setPen(QPen(Qt::black, 2));
    p.drawEllipse(2, 2, 11, 11);
    p.drawLine(12, 12, 18, 18);
    return QCursor(pixmap, 7, 7);
}

int buttonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    default:
        return 4;
    }
}

}  // namespace

// ---- ThumbCell ------------------------------------------------------------------------------------

ThumbCell::ThumbCell(int index, QWidget* parent) : QWidget(parent), index_(index) {
    const int side = px(kThumbSize);
    resize(side, side);
}

void ThumbCell::setHolding(bool on) {
    holding_ = on;
    // A cell starts again empty: the picture of another folder never lingers.
    picture_ = QImage();
    current_ = false;
    setCursor(on ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update();
}

void ThumbCell::setCurrent(bool on) {
    if (current_ == on) return;
    current_ = on;
    update();
}

void ThumbCell::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void ThumbCell::paintEvent(QPaintEvent*) {
    if (!holding_) return;
    QPainter p(this);
    p.setPen(current_ ? QPen(palette().color(QPalette::Highlight), 2) : QPen(palette().color(QPalette::Dark)));
    p.drawRect(current_ ? rect().adjusted(1, 1, -1, -1) : rect().adjusted(0, 0, -1, -1));
    if (picture_.isNull()) return;
    const QSize inner = size() - QSize(2, 2);
    const QSize shown = picture_.size().scaled(inner, Qt::KeepAspectRatio);
    const QRect target(QPoint(1 + (inner.width() - shown.width()) / 2, 1 + (inner.height() - shown.height()) / 2),
                       shown);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, picture_);
}

void ThumbCell::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && holding_) emit Click(index_);
}

void ThumbCell::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && holding_) emit DblClick(index_);
}

// ---- ImageView ------------------------------------------------------------------------------------

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

void ImageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (onPaint) onPaint(p);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    setFocus();
    emit MouseDown(buttonCode(event->button()));
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(int(event->position().x()), int(event->position().y()));
}

// ---- The window -----------------------------------------------------------------------------------

frmImgBrowser::frmImgBrowser(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmImgBrowser"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    setCaption(QStringLiteral("Image Browser"));

    drvList = new QComboBox(this);
    for (const Volume& v : mountedVolumes())
        drvList->addItem(v.label.isEmpty() ? v.rootPath : v.label + QStringLiteral(" (") + v.rootPath + u')',
                         v.rootPath);

    dirModel_ = new QFileSystemModel(this);
    dirModel_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    dirModel_->setReadOnly(true);
    dirList = new QTreeView(this);
    dirList->setModel(dirModel_);
    dirList->setHeaderHidden(true);
    for (int column = 1; column < dirModel_->columnCount(); ++column) dirList->hideColumn(column);

    picThumbWin = new QWidget(this);
    picThumbWin->setFocusPolicy(Qt::StrongFocus);
    picThumbWin->installEventFilter(this);
    for (int k = 0; k < kMaxThumbnails; ++k) {
        auto* cell = new ThumbCell(k, picThumbWin);
        connect(cell, &ThumbCell::Click, this, &frmImgBrowser::imgThumb_Click);
        connect(cell, &ThumbCell::DblClick, this, &frmImgBrowser::imgThumb_DblClick);
        imgThumb << cell;
    }
    thmVScroll = new QScrollBar(Qt::Vertical, picThumbWin);
    thmVScroll->hide();

    picSplitter = new SplitterBar(Qt::Vertical, this);
    picSplitter->setCursor(Qt::SplitHCursor);
    picSplitter->onMouseDown = [this](int b, int s, int x, int y) { picSplitter_MouseDown(b, s, x, y); };
    picSplitter->onMouseMove = [this](int b, int s, int x, int y) { picSplitter_MouseMove(b, s, x, y); };
    picSplitter->onMouseUp = [this](int b, int s, int x, int y) { picSplitter_MouseUp(b, s, x, y); };

    picMain = new ImageView(this);
    picMain->onPaint = [this](QPainter& p) { paintImage(p); };
    picMain->setCursor(zoomCursor());
    HScroll = new QScrollBar(Qt::Horizontal, picMain);
    VScroll = new QScrollBar(Qt::Vertical, picMain);
    HScroll->hide();
    VScroll->hide();
    picBlock = new QWidget(picMain);
    picBlock->setAutoFillBackground(true);
    picBlock->resize(px(kScrollBarTwips), px(kScrollBarTwips));

    sbrMain = new QStatusBar(this);
    sbrMain->setSizeGripEnabled(false);
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(sbrMain);
        label->setFrameShape(QFrame::StyledPanel);
        sbrMain->addWidget(label, i == 0 ? 3 : 1);
        panels_ << label;
    }

    loader_ = new ThumbnailLoader(this);
    connect(loader_, &ThumbnailLoader::thumbnailReady, this, &frmImgBrowser::thumbnailArrived);
    connect(loader_, &ThumbnailLoader::finished, this, &frmImgBrowser::folderLoaded);
    connect(loader_, &ThumbnailLoader::fullImageReady, this, [this](int tag, const QImage& image) {
        if (tag != viewRequest_ || currentImage < 1) return;
        imgPicture_ = image;
        fullFor_ = currentImage;
        picMain->update();
    });

    connect(drvList, &QComboBox::activated, this, [this] { drvList_Change(); });
    connect(dirList->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        const QString path = dirModel_->filePath(index);
        if (path.isEmpty() || path == dirPath_) return;
        dirPath_ = path;
        dirList_Change();
    });
    // Folders are listed in the background: the chosen one is brought into view once its
    // parent has been read.
    connect(dirModel_, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
        if (dirPath_.startsWith(folder)) showFolderInList();
    });
    connect(thmVScroll, &QScrollBar::valueChanged, this, [this] { thmVScroll_Change(); });
    connect(picMain, &ImageView::MouseDown, this, &frmImgBrowser::picMain_MouseDown);
    connect(picMain, &ImageView::MouseMove, this, &frmImgBrowser::picMain_MouseMove);
    for (QScrollBar* bar : {HScroll, VScroll})
        connect(bar, &QScrollBar::valueChanged, picMain, qOverload<>(&QWidget::update));
}

frmImgBrowser::~frmImgBrowser() = default;

QLabel* frmImgBrowser::panel(int index) const { return panels_.value(index - 1); }

void frmImgBrowser::Form_Load() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(area.width() * 7 / 10, area.height() * 6 / 10);
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    setMinimumSize(px(5000), px(4100));
    splitterLeft_ = px(3400);
    viewerZoom = 1;
    currentImage = -1;
    browserActivated = false;
    imagePatterns = {QStringLiteral("*.gif"), QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")};
    Form_Resize();
    // The arrow keys step through the pictures unless the folder list has the focus.
    picThumbWin->setFocus();
}

void frmImgBrowser::Form_Activate() {
    if (browserActivated) return;
    browserActivated = true;
    repaint();
    // The folder selected in the folder tree; with none, the folder the file explorer shows,
    // else the user's own folder.
    QString start = mainWindow ? mainWindow->selectedTreeFolder() : QString();
    if ((start.isEmpty() || !QFileInfo(start).isDir()) && mainWindow) start = mainWindow->fileListFolder();
    if (start.isEmpty() || !QFileInfo(start).isDir()) start = QDir::homePath();
    setDirPath(start);
}

void frmImgBrowser::Form_Unload(int& cancel) {
    (void)cancel;
    loader_->cancel();
    imagePaths.clear();
    for (ThumbCell* cell : imgThumb) cell->setHolding(false);
    imgPicture_ = QImage();
}

void frmImgBrowser::setDirPath(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    const int volume = volumeIndexOf(mountedVolumes(), clean);
    const QString root = volume >= 0 ? mountedVolumes()[volume].rootPath : QStringLiteral("/");
    if (const int item = drvList->findData(root); item >= 0) drvList->setCurrentIndex(item);
    dirModel_->setRootPath(root);
    dirList->setRootIndex(dirModel_->index(root));
    if (clean == dirPath_) return;
    dirPath_ = clean;
    showFolderInList();
    dirList_Change();
}

void frmImgBrowser::showFolderInList() {
    const QModelIndex index = dirModel_->index(dirPath_);
    if (!index.isValid()) return;
    const QSignalBlocker block(dirList->selectionModel());
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) dirList->expand(up);
    dirList->setCurrentIndex(index);
    dirList->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void frmImgBrowser::drvList_Change() {
    const QString root = drvList->currentData().toString();
    // A volume that cannot be read changes nothing.
    if (root.isEmpty() || !QFileInfo(root).isReadable()) return;
    setDirPath(root);
}

void frmImgBrowser::dirList_Change() {
    const QString folder = dirPath_.endsWith(u'/') ? dirPath_ : dirPath_ + u'/';
    loader_->cancel();
    imageCount = 0;
    imagePaths.clear();
    for (const QString& pattern : imagePatterns) {
        const QStringList names = QDir(folder).entryList({pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
        for (const QString& name : names) {
            if (imageCount == kMaxThumbnails) break;
            imagePaths << folder + name;
            ++imageCount;
        }
    }
    for (int k = 0; k < kMaxThumbnails; ++k) imgThumb[k]->setHolding(k < imageCount);
    marked_ = -1;
    naturalSizes_ = QVector<QSize>(imageCount);
    arrived_ = 0;
    imgPicture_ = QImage();
    fullFor_ = -1;
    if (imageCount == 0) {
        loading_ = false;
        currentImage = -1;
        for (int i : {2, 3, 1, 4}) panel(i)->clear();
        panel(5)->setText(QStringLiteral("0 Images"));
        picMain->update();
    } else {
        loading_ = true;
        panel(1)->setText(QStringLiteral("Loading ") + fileNameOf(imagePaths.front()) + QStringLiteral("..."));
        panel(5)->setText(QStringLiteral("0 Images"));
        const int inner = px(kThumbSize) - 2;
        loader_->load(imagePaths, QSize(inner, inner) * devicePixelRatio());
        currentImage = 1;
        showCurrentImage();
    }
    // The folder list and the thumbnails share the column by the number of pictures.
    Form_Resize();
}

void frmImgBrowser::thumbnailArrived(int index, const QImage& thumbnail, const QSize& natural) {
    if (index < 0 || index >= imageCount) return;
    imgThumb[index]->setPicture(thumbnail);
    naturalSizes_[index] = natural;
    ++arrived_;
    panel(1)->setText(QStringLiteral("Loading ") + fileNameOf(imagePaths[index]) + QStringLiteral("..."));
    panel(5)->setText(trimNumber(arrived_) + QStringLiteral(" Images"));
    // Until the picture itself comes, the viewer shows its thumbnail.
    if (index == currentImage - 1 && !viewedAtFullSize()) picMain->update();
}

void frmImgBrowser::folderLoaded() {
    loading_ = false;
    if (currentImage > 0) showImagePanels();
}

void frmImgBrowser::picThumbWin_Resize() {
    const QSignalBlocker block(thmVScroll);
    thmVScroll->setValue(0);
    const ThumbGrid grid = thumbGrid(picThumbWin->width() * kTwips, picThumbWin->height() * kTwips, imageCount);
    if (grid.columns > 0) {
        for (int k = 0; k < kMaxThumbnails; ++k) {
            const QPoint at = thumbPosition(k, grid.columns);
            imgThumb[k]->move(px(at.x()), px(at.y()));
        }
    }
    thmVScroll->setGeometry(picThumbWin->width() - px(kScrollBarTwips), 0, px(kScrollBarTwips), picThumbWin->height());
    if (grid.columns > 0 && grid.scrollMax > 0) {
        thmVScroll->setRange(0, grid.scrollMax);
        thmVScroll->setPageStep(qMax(1, grid.rows));
        thmVScroll->show();
        thmVScroll->raise();
    } else {
        thmVScroll->hide();
    }
}

void frmImgBrowser::thmVScroll_Change() {
    const ThumbGrid grid = thumbGrid(picThumbWin->width() * kTwips, picThumbWin->height() * kTwips, imageCount);
    if (grid.columns <= 0) return;
    // The pane is hidden while the thumbnails move, so they do not repaint one by one.
    picThumbWin->setUpdatesEnabled(false);
    const int first = thmVScroll->value() * grid.columns;
    for (int k = 0; k < first && k < kMaxThumbnails; ++k) imgThumb[k]->move(0, px(-2000));
    for (int k = first; k < imageCount; ++k) {
        const QPoint at = thumbPosition(k, grid.columns, first);
        imgThumb[k]->move(px(at.x()), px(at.y()));
    }
    picThumbWin->setUpdatesEnabled(true);
}

void frmImgBrowser::Form_Resize() {
    if (windowState() == vbMinimized) return;
    const int width = this->width(), height = this->height();
    splitterLeft_ = qMin(splitterLeft_, width - px(1400));
    const int statusHeight = sbrMain->sizeHint().height();
    sbrMain->setGeometry(0, height - statusHeight, width, statusHeight);
    const int left = splitterLeft_;
    picMain->setGeometry(left + 5, 0, qMax(0, width - left - 5), qMax(0, height - statusHeight));
    picSplitter->setGeometry(left, picMain->y() + 2, 5, qMax(0, picMain->height() - 4));
    const int drvHeight = drvList->sizeHint().height();
    drvList->setGeometry(1, 0, left - 1, drvHeight);
    // The folder list takes what the thumbnails leave of the column: all of it for a folder
    // without pictures, never less than 2000 twips.
    const int columnTop = drvHeight + 4;
    const int columnHeight = qMax(0, height - columnTop - statusHeight - 4);
    int thumbsHeight = 0;
    if (imageCount > 0) {
        const int columns = qMax(1, ((left - 1) * kTwips - kScrollBarTwips) / kThumbPitch);
        const int rows = (imageCount + columns - 1) / columns;
        thumbsHeight = px(double(rows) * kThumbPitch + 30);
    }
    const int listHeight = qMin(columnHeight, qMax(px(2000), columnHeight - 4 - thumbsHeight));
    dirList->setGeometry(1, columnTop, left - 1, listHeight);
    const int thumbTop = dirList->y() + dirList->height() + 4;
    picThumbWin->setGeometry(1, thumbTop, left - 1, qMax(0, height - thumbTop - statusHeight - 4));
    picThumbWin_Resize();
    layoutViewer();
}

void frmImgBrowser::picSplitter_MouseDown(int button, int, int, int) {
    if (button != 1) return;
    splitterDragging_ = true;
    picSplitter->setBackColor(Qt::black);
}

void frmImgBrowser::picSplitter_MouseMove(int button, int, int x, int) {
    if (!(button & 1) || !splitterDragging_) return;
    const int left = qBound(px(1400), picSplitter->x() + x, qMax(px(1400), width() - px(1400)));
    picSplitter->move(left, picMain->y() + 2);
}

void frmImgBrowser::picSplitter_MouseUp(int button, int, int, int) {
    if (button != 1 || !splitterDragging_) return;
    splitterDragging_ = false;
    picSplitter->setBackColor(QColor(0xC0, 0xC0, 0xC0));
    splitterLeft_ = picSplitter->x();
    Form_Resize();
}

void frmImgBrowser::imgThumb_Click(int index) {
    if (index < 0 || index >= imageCount || !imgThumb[index]->holding()) return;
    currentImage = index + 1;
    showCurrentImage();
}

void frmImgBrowser::imgThumb_DblClick(int index) {
    if (index < 0 || index >= imageCount || !imgThumb[index]->holding()) return;
    dialogKind = imagePaths[index];
    showImageDialog();
}

// ---- The viewer -----------------------------------------------------------------------------------

QSize frmImgBrowser::naturalSize(int image) {
    QSize& size = naturalSizes_[image - 1];
    // The size is in the picture's header, which is read at once when the thumbnail has not
    // brought it yet.
    if (!size.isValid()) size = QImageReader(imagePaths[image - 1]).size();
    return size.isValid() ? size : QSize(0, 0);
}

void frmImgBrowser::showCurrentImage() {
    if (currentImage < 1 || currentImage > imageCount) return;
    if (fullFor_ != currentImage) {
        imgPicture_ = QImage();
        fullFor_ = -1;
        viewRequest_ = currentImage;
        loader_->readFull(imagePaths[currentImage - 1], currentImage);
    }
    if (marked_ >= 0 && marked_ < imgThumb.size()) imgThumb[marked_]->setCurrent(false);
    marked_ = currentImage - 1;
    imgThumb[marked_]->setCurrent(true);
    const QSize natural = naturalSize(currentImage);
    viewerZoom = fitZoom(viewerZoom, natural.width() * kTwips, natural.height() * kTwips);
    showImagePanels();
    layoutViewer();
    picMain->update();
}

void frmImgBrowser::showImagePanels() {
    const QString path = imagePaths.value(currentImage - 1);
    const QSize natural = naturalSize(currentImage);
    panel(6)->setText(QStringLiteral("Zoom x") + QString::number(viewerZoom));
    panel(2)->setText(QStringLiteral("Width: ") + QString::number(natural.width()));
    panel(3)->setText(QStringLiteral("Height: ") + QString::number(natural.height()));
    panel(4)->setText(imageSizeText(QFileInfo(path).size()));
    // While the folder loads, panels 1 and 5 tell how far it has come.
    if (loading_) return;
    panel(1)->setText(fileNameOf(path));
    panel(5)->setText(QStringLiteral("Image ") + QString::number(currentImage) + QStringLiteral(" of ") +
                      QString::number(imageCount));
}

void frmImgBrowser::layoutViewer() {
    const int W = picMain->width() * kTwips, H = picMain->height() * kTwips;
    const QSize natural = currentImage > 0 ? naturalSize(currentImage) : QSize(0, 0);
    const ViewerBars bars = viewerBars(W, H, viewerZoom, natural.width() * kTwips, natural.height() * kTwips);
    auto place = [](QScrollBar* bar, bool shown, const QRect& twips, int max, int large, int small) {
        const QSignalBlocker block(bar);
        bar->setVisible(shown);
        if (shown) {
            bar->setGeometry(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height()));
            bar->setRange(0, qMax(0, max));
            bar->setPageStep(qMax(1, large));
            bar->setSingleStep(qMax(1, small));
        }
        bar->setValue(0);
    };
    place(HScroll, bars.horizontal, bars.hRect, bars.hMax, bars.hLarge, bars.hSmall);
    place(VScroll, bars.vertical, bars.vRect, bars.vMax, bars.vLarge, bars.vSmall);
    picBlock->move(px(bars.block.x()), px(bars.block.y()));
}

void frmImgBrowser::paintImage(QPainter& painter) {
    if (currentImage < 1) return;
    const QSize natural = naturalSize(currentImage);
    // The thumbnail stands in until the picture itself has been read.
    const QImage& picture = !imgPicture_.isNull() ? imgPicture_ : imgThumb[currentImage - 1]->picture();
    if (picture.isNull() || natural.isEmpty()) return;
    const QRect target(px(-HScroll->value()), px(-VScroll->value()), natural.width() * viewerZoom,
                       natural.height() * viewerZoom);
    if (target.size() == picture.size()) {
        painter.drawImage(target.topLeft(), picture);
        return;
    }
    // Only the part in view is scaled.
    const QRect visible = target.intersected(picMain->rect());
    if (visible.isEmpty()) return;
    const double sx = double(picture.width()) / target.width(), sy = double(picture.height()) / target.height();
    const QRectF source((visible.x() - target.x()) * sx, (visible.y() - target.y()) * sy, visible.width() * sx,
                        visible.height() * sy);
    painter.drawImage(QRectF(visible), picture, source);
}

void frmImgBrowser::picMain_MouseDown(int button) {
    if (currentImage == -1) return;
    const QSize natural = naturalSize(currentImage);
    const int zoom = button == 1 ? zoomIn(viewerZoom, natural.width() * kTwips, natural.height() * kTwips)
                                 : zoomOut(viewerZoom);
    if (zoom == viewerZoom) return;
    viewerZoom = zoom;
    panel(6)->setText(QStringLiteral("Zoom x") + QString::number(viewerZoom));
    showCurrentImage();
}

void frmImgBrowser::picMain_MouseMove(int x, int y) {
    const bool inPicture = x < picMain->width() - px(460) && y < picMain->height() - px(460);
    if (inPicture) picMain->setCursor(zoomCursor());
    else picMain->unsetCursor();
}

void frmImgBrowser::showPreviousImage() {
    if (imageCount < 1 || currentImage < 1) return;
    currentImage = currentImage - 1 < 1 ? imageCount : currentImage - 1;
    showCurrentImage();
}

void frmImgBrowser::showNextImage() {
    if (imageCount < 1 || currentImage < 1) return;
    currentImage = currentImage + 1 > imageCount ? 1 : currentImage + 1;
    showCurrentImage();
}

void frmImgBrowser::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left) showPreviousImage();
    else if (event->key() == Qt::Key_Right) showNextImage();
    else Form::keyPressEvent(event);
}

bool frmImgBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picThumbWin && event->type() == QEvent::Resize) picThumbWin_Resize();
    return Form::eventFilter(watched, event);
}

}  // namespace kavrin
