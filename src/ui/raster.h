// Pixel-exact line, dotted line, ellipse outline and glyph operations on an RGB32 image.
// Synapses are drawn in the inverting pen: every pixel of a figure is touched exactly once,
// so drawing the same figure again restores what was beneath (that is how gestures erase).
#pragma once

#include "model/geometry.h"

#include <QImage>
#include <algorithm>

namespace veltra {

class TRaster {
public:
    explicit TRaster(QImage& image)
        : bits_(image.bits()), stride_(image.bytesPerLine()), width_(image.width()),
          height_(image.height()) {}

    // true: invert pixels (not-xor with a black pen); false: paint them black.
    void SetInverting(bool inverting) { inverting_ = inverting; }

    // Pixels of the walk from a to b; the end b only when includeEnd. Dotted lines skip
    // every other pixel of the walk.
    void Line(GPoint a, GPoint b, bool includeEnd, bool dotted = false);
    // The outline of the ellipse inscribed in the rectangle (right and bottom excluded).
    void EllipseOutline(const GRect& r);
    void Pixel(int x, int y) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        auto* p = reinterpret_cast<QRgb*>(bits_ + y * stride_) + x;
        *p = inverting_ ? (~*p | 0xff000000u) : 0xff000000u;
    }

    // MERGEPAINT the mask (dst |= ~mask), then SRCAND the image (dst &= image).
    static void BlitGlyph(QImage& target, const QImage& image, const QImage& mask, int x, int y);
    // The same, the glyph stretched over `place` pixel by pixel (no smoothing, which would
    // blend the mask's edge into the picture).
    static void BlitGlyphScaled(QImage& target, const QImage& image, const QImage& mask,
                                const QRect& place);
    // The same two operations on RGB32 pictures, pixel by pixel without a painter (a view
    // zoomed out to fit draws tens of thousands of small glyphs).
    static void BlitGlyphRgb32(QImage& target, const QImage& image, const QImage& mask, int x,
                               int y);
    // The same with the pixels at hand: a glyph's picture and mask (RGB32, of one size) and
    // the target's rows, for drawing thousands of glyphs without asking the images each time.
    struct TGlyphBits {
        const uchar* image;
        qsizetype imageStride;
        const uchar* mask;
        qsizetype maskStride;
        int width;
        int height;
    };
    static void BlitGlyphRgb32(uchar* bits, qsizetype stride, int width, int height,
                               const TGlyphBits& glyph, int x, int y) {
        const int x0 = std::max(0, x);
        const int y0 = std::max(0, y);
        const int x1 = std::min(width, x + glyph.width);
        const int y1 = std::min(height, y + glyph.height);
        for (int ty = y0; ty < y1; ++ty) {
            auto* dst = reinterpret_cast<QRgb*>(bits + ty * stride);
            const auto* src =
                reinterpret_cast<const QRgb*>(glyph.image + (ty - y) * glyph.imageStride);
            const auto* msk =
                reinterpret_cast<const QRgb*>(glyph.mask + (ty - y) * glyph.maskStride);
            for (int tx = x0; tx < x1; ++tx)
                dst[tx] = ((dst[tx] | ~msk[tx - x]) & src[tx - x]) | 0xff000000u;
        }
    }

private:
    uchar* bits_; // one detach up front, not one per pixel
    qsizetype stride_;
    int width_;
    int height_;
    bool inverting_ = true;
};

} // namespace veltra
