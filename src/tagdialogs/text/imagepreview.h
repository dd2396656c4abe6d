#pragma once
// The pieces of the image dialog's preview: the holder that keeps a picture at its natural size,
// the box that paints it magnified and scrolled, and the rules of the zoom.
#include <QFrame>
#include <QImage>
#include <QString>

namespace kavrin {

// Magnification of the preview: 1 (natural size) to kMaxZoom.
constexpr int kMaxZoom = 16;
// A magnified picture must stay below this many twips in each direction.
constexpr int kMaxMagnifiedTwips = 32767;

// True when one more step of zoom is allowed: below kMaxZoom, and the magnified width and
// height (in twips) both stay below kMaxMagnifiedTwips.
bool canZoomIn(int zoom, int widthTwips, int heightTwips);
// How far a scroll bar must move to show `magnified` pixels in `inner` pixels; 0 when it fits.
int scrollOverhang(long long magnified, int inner);

// The picture holder: the picture read from a file, at its natural size. A file that does not
// read as a picture (missing, damaged, too big to hold) leaves the holder as it was.
class PictureHolder {
public:
    // True when the file was read; the holder then has its picture.
    bool loadPicture(const QString& path);
    void clear() { image_ = QImage(); }
    bool isEmpty() const { return image_.isNull(); }
    // Natural size in pixels, and in twips as the dialog's numbers are given.
    int widthPixels() const { return image_.width(); }
    int heightPixels() const { return image_.height(); }
    int width() const;
    int height() const;
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

// The 32 by 32 magnifying glass shown over the preview, its hot spot in the lens's centre.
QCursor magnifierCursor();

// The preview box: paints a holder's picture at a zoom, shifted left and up by the scroll
// offsets, and reports mouse presses with the button codes 1 (left), 2 (right), 4 (middle) added
// up for every button held.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
    void setPicture(const PictureHolder* holder) { holder_ = holder; }
    void setView(int zoom, int offsetX, int offsetY);
    int zoom() const { return zoom_; }
    // Inner size, in pixels.
    int scaleWidth() const { return contentsRect().width(); }
    int scaleHeight() const { return contentsRect().height(); }

signals:
    void MouseDown(int button, int shift, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const PictureHolder* holder_ = nullptr;
    int zoom_ = 0;
    int offsetX_ = 0;
    int offsetY_ = 0;
};

}  // namespace kavrin
