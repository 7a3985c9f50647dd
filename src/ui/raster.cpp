#include "ui/raster.h"

#include <QPainter>
#include <cmath>
#include <vector>

namespace veltra {

void TRaster::Pixel(int x, int y) {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    line[x] = inverting_ ? (~line[x] | 0xff000000u) : 0xff000000u;
}

void TRaster::Line(GPoint a, GPoint b, bool includeEnd, bool dotted) {
    if (a == b && !includeEnd) return;
    int index = 0;
    WalkLine(a, b, [&](GPoint p) {
        const bool skip = (dotted && (index & 1)) || (!includeEnd && p == b);
        ++index;
        if (!skip) Pixel(p.x, p.y);
    });
}

void TRaster::EllipseOutline(const GRect& r) {
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    // Pixel centres inside the ellipse; the outline is every inside pixel with a
    // 4-neighbour outside, which touches each pixel once.
    const double cx = (w - 1) / 2.0;
    const double cy = (h - 1) / 2.0;
    const double rx = w / 2.0;
    const double ry = h / 2.0;
    auto inside = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h) return false;
        const double u = (x - cx) / rx;
        const double v = (y - cy) / ry;
        return u * u + v * v <= 1.0 + 1e-9;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (inside(x, y) &&
                (!inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1)))
                Pixel(r.left + x, r.top + y);
}

void TRaster::BlitGlyph(QImage& target, const QImage& image, const QImage& mask, int x, int y) {
    QPainter p(&target);
    p.setCompositionMode(QPainter::RasterOp_NotSourceOrDestination);
    p.drawImage(x, y, mask);
    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.drawImage(x, y, image);
}

} // namespace veltra
