#include "tools/thumbgrid.h"

#include <cmath>

#include "platform/system/convert.h"

namespace kavrin {

ThumbGrid thumbGrid(double innerWidth, double innerHeight, int imageCount) {
    ThumbGrid g;
    const long long w = roundHalfEven(innerWidth - kScrollBarTwips);
    const long long h = roundHalfEven(innerHeight);
    g.columns = w > 0 ? int(w / kThumbPitch) : 0;
    g.rows = h > 0 ? int(h / kThumbPitch) : 0;
    if (g.columns > 0) g.scrollMax = int(roundHalfEven(double(imageCount) / g.columns - g.rows));
    return g;
}

QPoint thumbPosition(int k, int columns, int first) {
    if (columns <= 0) return {};
    const int j = k - first;
    return {(j % columns) * kThumbPitch, (j / columns) * kThumbPitch};
}

int fitZoom(int zoom, int widthTwips, int heightTwips) {
    while (zoom > 0 && (qint64(zoom) * heightTwips >= kTwipLimit || qint64(zoom) * widthTwips >= kTwipLimit)) --zoom;
    return qMax(zoom, 1);
}

int zoomIn(int zoom, int widthTwips, int heightTwips) {
    if (zoom >= kMaxZoom) return zoom;
    const qint64 next = zoom + 1;
    return next * heightTwips < kTwipLimit && next * widthTwips < kTwipLimit ? zoom + 1 : zoom;
}

int zoomOut(int zoom) { return zoom <= 1 ? zoom : zoom - 1; }

ViewerBars viewerBars(int W, int H, int z, int widthTwips, int heightTwips) {
    ViewerBars b;
    const qint64 zw = qint64(z) * widthTwips, zh = qint64(z) * heightTwips;
    b.horizontal = zw > W;
    b.vertical = zh > H;
    const int bar = kScrollBarTwips;
    b.block = {W, H};
    if (b.horizontal && b.vertical) {
        b.hRect = {0, H - bar, W - bar, bar};
        b.vRect = {W - bar, 0, bar, H - bar};
        b.block = {W - bar, H - bar};
    } else if (b.horizontal) {
        b.hRect = {0, H - bar, W, bar};
    } else if (b.vertical) {
        b.vRect = {W - bar, 0, bar, H};
    }
    if (b.horizontal) {
        b.hMax = int(roundHalfEven(double(zw - b.hRect.width())));
        b.hLarge = int(roundHalfEven(b.hMax / 10.0));
        b.hSmall = int(roundHalfEven(b.hMax / 100.0));
    }
    if (b.vertical) {
        b.vMax = int(roundHalfEven(double(zh - b.vRect.height())));
        b.vLarge = int(roundHalfEven(b.vMax / 10.0));
        b.vSmall = int(roundHalfEven(b.vMax / 100.0));
    }
    return b;
}

QString imageSizeText(qint64 bytes) {
    if (bytes < 1024) return QStringLiteral("Size: ") + QString::number(bytes) + QStringLiteral("bytes");
    return QStringLiteral("Size: ") + QString::number(bytes / 1024) + QStringLiteral("KB");
}

}  // namespace kavrin
