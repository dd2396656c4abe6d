#pragma once
// The image browser: the GIF and JPEG pictures of a folder as a grid of up to 300 thumbnails,
// with a viewer beside it that zooms the chosen picture. Thumbnails are decoded small on worker
// threads and appear as they come, so the window answers while a folder loads; a picture is read
// at its own size only while it is being viewed. A double-click hands the picture to the image
// dialog.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QSize>
#include <QStatusBar>
#include <QStringList>
#include <QTreeView>
#include <QVector>

#include "platform/forms/form.h"

class QFileSystemModel;

namespace kavrin {

class SplitterBar;
class ThumbnailLoader;

// One thumbnail: a square that shows its picture within a single-line border while it holds one.
class ThumbCell : public QWidget {
    Q_OBJECT
public:
    ThumbCell(int index, QWidget* parent);
    // Holding: bordered, with the hand pointer, answering clicks; the picture comes later (and
    // stays null for a picture that cannot be read).
    void setHolding(bool on);
    bool holding() const { return holding_; }
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    // The thumbnail of the picture in the viewer is marked.
    void setCurrent(bool on);

signals:
    void Click(int index);
    void DblClick(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int index_;
    bool holding_ = false;
    bool current_ = false;
    QImage picture_;
};

// The viewer's surface: it paints through its window and reports the mouse.
class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent);
    std::function<void(QPainter&)> onPaint;

signals:
    void MouseDown(int button);
    void MouseMove(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

class frmImgBrowser : public Form {
    Q_OBJECT
public:
    explicit frmImgBrowser(QWidget* parent = nullptr);
    ~frmImgBrowser() override;

    QComboBox* drvList = nullptr;
    QTreeView* dirList = nullptr;
    QWidget* picThumbWin = nullptr;
    QVector<ThumbCell*> imgThumb;  // 300, indices 0 to 299
    QScrollBar* thmVScroll = nullptr;
    SplitterBar* picSplitter = nullptr;
    ImageView* picMain = nullptr;
    QScrollBar* HScroll = nullptr;
    QScrollBar* VScroll = nullptr;
    QWidget* picBlock = nullptr;
    QStatusBar* sbrMain = nullptr;
    // Status bar panel 1 to 6.
    QLabel* panel(int index) const;

    QStringList imagePatterns;
    QStringList imagePaths;  // entry i - 1 is the picture of thumbnail i - 1
    int imageCount = 0;
    int currentImage = -1;   // 1-based; -1 when none
    int viewerZoom = 1;
    bool browserActivated = false;

    // The folder the folder list shows ("" before any); setting it loads that folder.
    QString dirPath() const { return dirPath_; }
    void setDirPath(const QString& path);
    // True until every thumbnail of the folder has arrived.
    bool loading() const { return loading_; }
    // The picture the viewer holds, and whether it is the one read from disk for viewing.
    const QImage& viewedPicture() const { return imgPicture_; }
    bool viewedAtFullSize() const { return fullFor_ == currentImage && currentImage > 0; }
    ThumbnailLoader* loader() const { return loader_; }

    void drvList_Change();
    void dirList_Change();
    void picThumbWin_Resize();
    void thmVScroll_Change();
    void imgThumb_Click(int index);
    void imgThumb_DblClick(int index);
    void picSplitter_MouseDown(int button, int shift, int x, int y);
    void picSplitter_MouseMove(int button, int shift, int x, int y);
    void picSplitter_MouseUp(int button, int shift, int x, int y);

    // The viewer.
    void showCurrentImage();
    void layoutViewer();
    void paintImage(QPainter& painter);
    void showPreviousImage();
    void showNextImage();
    void picMain_MouseDown(int button);
    void picMain_MouseMove(int x, int y);

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;
    void Form_Unload(int& cancel) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void thumbnailArrived(int index, const QImage& thumbnail, const QSize& natural);
    void folderLoaded();
    void showImagePanels();
    // Selects and shows the current folder in the folder list without loading it again.
    void showFolderInList();
    QSize naturalSize(int image);

    QFileSystemModel* dirModel_ = nullptr;
    QVector<QLabel*> panels_;
    ThumbnailLoader* loader_ = nullptr;
    QString dirPath_;
    QVector<QSize> naturalSizes_;
    QImage imgPicture_;
    int fullFor_ = -1;      // the image imgPicture_ was read for at full size
    int viewRequest_ = 0;   // the picture read for viewing that is still wanted
    int arrived_ = 0;
    int marked_ = -1;       // the thumbnail marked as shown
    bool loading_ = false;
    int splitterLeft_ = 0;  // pixels
    bool splitterDragging_ = false;
};

}  // namespace kavrin
