#include "ui/raster.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace veltra {

void TRaster::Line(GPoint a, GPoint b, bool includeEnd, bool dotted) {
    if (a == b && !includeEnd) return;
    const bool inside = a.x >= 0 && a.y >= 0 && b.x >= 0 && b.y >= 0 && a.x < width_ &&
                        b.x < width_ && a.y < height_ && b.y < height_;
    if (inside && !dotted && inverting_) {
        // Common case of a repaint: the whole line on the image. The same pixels as
        // WalkLine, stepped with a pointer and no per-pixel bounds.
        const int dx = b.x - a.x;
        const int dy = b.y - a.y;
        const int adx = dx < 0 ? -dx : dx;
        const int ady = dy < 0 ? -dy : dy;
        const bool up = (dx > 0) != (dy < 0);
        const bool xMajor = adx > ady;
        const bool forward = xMajor ? dx > 0 : dy > 0;
        const GPoint from = forward ? a : b;
        const int major = xMajor ? adx : ady;
        const int minor = xMajor ? ady : adx;
        const qsizetype majorStep = xMajor ? 4 : stride_;
        const qsizetype minorStep = (xMajor ? stride_ : 4) * (up ? 1 : -1);
        uchar* p = bits_ + from.y * stride_ + from.x * 4;
        uchar* const skip = includeEnd ? nullptr : bits_ + b.y * stride_ + b.x * 4;
        int e = 2 * minor - major;
        const int step1 = 2 * minor;
        const int step2 = 2 * (minor - major);
        auto walk = [&](auto step) {
            for (int k = 0;; ++k) {
                if (p != skip) {
                    auto* px = reinterpret_cast<QRgb*>(p);
                    *px = ~*px | 0xff000000u;
                }
                if (k == major) break;
                step();
            }
        };
        if (major < 32) {
            // On a short line (zoomed out, thousands of them) whether the walk takes a minor
            // step is as good as random: chosen with masks, not a branch the processor would
            // mispredict half the time. A long line's steps repeat, and a branch that
            // follows them is the faster.
            const int threshold = up ? 0 : 1;
            walk([&] {
                const int take = -static_cast<int>(e >= threshold); // all ones or zero
                p += majorStep + (minorStep & take);
                e += step1 + ((step2 - step1) & take);
            });
        } else {
            walk([&] {
                p += majorStep;
                if (up ? e >= 0 : e > 0) {
                    p += minorStep;
                    e += step2;
                } else {
                    e += step1;
                }
            });
        }
        return;
    }
    // Only the part of the walk that can land on the image is visited.
    WalkLineWithin(a, b, GRect{0, 0, width_, height_}, [&](GPoint p, long long index) {
        const bool skip = (dotted && (index & 1)) || (!includeEnd && p == b);
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

namespace veltra {

void TRaster::BlitGlyphRgb32(QImage& target, const QImage& image, const QImage& mask, int x,
                             int y) {
    const int x0 = std::max(0, x);
    const int y0 = std::max(0, y);
    const int x1 = std::min(target.width(), x + image.width());
    const int y1 = std::min(target.height(), y + image.height());
    if (x0 >= x1 || y0 >= y1) return;
    BlitGlyphRgb32(target.bits(), target.bytesPerLine(), target.width(), target.height(),
                   {image.constBits(), image.bytesPerLine(), mask.constBits(), mask.bytesPerLine(),
                    image.width(), image.height()},
                   x, y);
}

void TRaster::BlitGlyphScaled(QImage& target, const QImage& image, const QImage& mask,
                              const QRect& place) {
    QPainter p(&target);
    p.setCompositionMode(QPainter::RasterOp_NotSourceOrDestination);
    p.drawImage(place, mask);
    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.drawImage(place, image);
}

} // namespace veltra
