#include "tagdialogs/text/imagepreview.h"

#include <algorithm>
#include <limits>

#include <QCursor>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

#include "platform/system/screen.h"

namespace kavrin {

bool canZoomIn(int zoom, int widthTwips, int heightTwips) {
    if (zoom >= kMaxZoom) return false;
    const long long next = zoom + 1;
    return next * widthTwips < kMaxMagnifiedTwips && next * heightTwips < kMaxMagnifiedTwips;
}

int scrollOverhang(long long magnified, int inner) {
    if (magnified <= inner) return 0;
    return int(std::min<long long>(magnified - inner, std::numeric_limits<int>::max()));
}

bool PictureHolder::loadPicture(const QString& path) {
    if (path.isEmpty()) return false;
    QImageReader reader(path);
    // The content decides, not the name: a picture saved under another format's extension
    // still shows.
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull()) return false;
    image_ = std::move(image);
    return true;
}

int PictureHolder::width() const { return pixelsToTwips(image_.width()); }
int PictureHolder::height() const { return pixelsToTwips(image_.height()); }

QCursor magnifierCursor() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Handle toward the lower right.
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(14, 13, 24, 23);
    // Lens: black rim, white ring, clear glass.
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPoint(9, 8), 7, 7);
    p.setPen(QPen(Qt::white, 1));
    p.drawEllipse(QPoint(9, 8), 5, 5);
    p.end();
    return QCursor(pixmap, 9, 8);
}

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setCursor(magnifierCursor());
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::setView(int zoom, int offsetX, int offsetY) {
    zoom_ = zoom;
    offsetX_ = offsetX;
    offsetY_ = offsetY;
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!holder_ || holder_->isEmpty() || zoom_ < 1) return;
    QPainter p(this);
    const QRect inner = contentsRect();
    p.setClipRect(inner);
    const QImage& image = holder_->image();
    // Only the part that shows is scaled, so a big picture at a high zoom costs no more than
    // the box it fills. Whole source pixels keep every magnified pixel the same size.
    const int z = zoom_;
    const int left = offsetX_ / z;
    const int top = offsetY_ / z;
    const int right = std::min(image.width(), (offsetX_ + inner.width() + z - 1) / z);
    const int bottom = std::min(image.height(), (offsetY_ + inner.height() + z - 1) / z);
    if (right <= left || bottom <= top) return;
    const QRect source(left, top, right - left, bottom - top);
    const QRect target(inner.left() + left * z - offsetX_, inner.top() + top * z - offsetY_, source.width() * z,
                       source.height() * z);
    p.drawImage(target, image, source);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    int button = 0;
    if (event->buttons() & Qt::LeftButton) button |= 1;
    if (event->buttons() & Qt::RightButton) button |= 2;
    if (event->buttons() & Qt::MiddleButton) button |= 4;
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (event->modifiers() & Qt::ControlModifier) shift |= 2;
    if (event->modifiers() & Qt::AltModifier) shift |= 4;
    const QPoint at = event->position().toPoint();
    emit MouseDown(button, shift, at.x(), at.y());
    event->accept();
}

}  // namespace kavrin
