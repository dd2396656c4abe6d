#pragma once
// The arithmetic of the image browser and its viewer, in twips: the thumbnail grid and its
// scrolling, the zoom factor's limits, the viewer's scroll bars and the size text.
#include <QPoint>
#include <QRect>
#include <QString>

namespace kavrin {

inline constexpr int kThumbPitch = 1035;  // a 1005 thumbnail and a gap of 30
inline constexpr int kThumbSize = 1005;
inline constexpr int kScrollBarTwips = 225;
inline constexpr int kMaxThumbnails = 300;
inline constexpr int kMaxZoom = 15;
inline constexpr int kTwipLimit = 32767;

struct ThumbGrid {
    int columns = 0;    // 0: the pane is narrower than one column
    int rows = 0;
    int scrollMax = 0;  // the scroll bar shows only when this is above 0
};

// The grid for a pane of the inner size given; 225 twips on the right stay for the scroll bar.
ThumbGrid thumbGrid(double innerWidth, double innerHeight, int imageCount);
// Top-left corner of thumbnail k when the grid is scrolled to show thumbnail `first` at the top
// left (first = scroll value x columns).
QPoint thumbPosition(int k, int columns, int first = 0);

// The zoom lowered until zoom x width and zoom x height (twips) are both below 32767; at least 1.
int fitZoom(int zoom, int widthTwips, int heightTwips);
// A left click: one step up while the larger picture still fits and 15 is not reached.
int zoomIn(int zoom, int widthTwips, int heightTwips);
// Any other button: one step down, never below 1.
int zoomOut(int zoom);

// The viewer's scroll bars for a view of W x H twips showing a picture zoomed to z.
struct ViewerBars {
    bool horizontal = false;
    bool vertical = false;
    QRect hRect, vRect;  // where the bars go when shown
    QPoint block;        // the corner block; (W, H) puts it out of view
    int hMax = 0, hLarge = 0, hSmall = 0;
    int vMax = 0, vLarge = 0, vSmall = 0;
};
ViewerBars viewerBars(int viewWidth, int viewHeight, int zoom, int widthTwips, int heightTwips);

// "Size: 1023bytes" below 1024 bytes, else "Size: " and the whole number of KB and "KB".
QString imageSizeText(qint64 bytes);

}  // namespace kavrin
