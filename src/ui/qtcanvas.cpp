#include "ui/qtcanvas.h"

#include "model/geometry.h"
#include "model/protoneuronio.h"
#include "ui/glyphimages.h"
#include "ui/raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace veltra {

namespace {

constexpr const char* DivisionText = "Divisao por 0 !!!!!!";

GPoint G(TPoint p) {
    return {p.x, p.y};
}

GlyphPlace PlaceOf(const TProtoNeuronio& e) {
    return {e.Kind(), e.GetPosition().x, e.GetPosition().y};
}

// Zoomed out, the glyphs of every kind scaled once for the zoom in use and drawn without
// a painter: fitting a big net draws tens of thousands of them.
struct TScaledGlyphs {
    double zoom = 0;
    std::array<QImage, 5> image;
    std::array<QImage, 5> mask;
};

const TScaledGlyphs& ScaledGlyphs(const TGlyphImages& glyphs, double zoom) {
    static thread_local TScaledGlyphs cache;
    static thread_local const TGlyphImages* owner = nullptr;
    if (cache.zoom == zoom && owner == &glyphs) return cache;
    for (const TKindInfo& info : KindTable) {
        const TGlyphKind kind = info.kind;
        const auto i = std::size_t(GlyphIndex(kind) / 2);
        const QSize size(std::max(1, int(std::lround(GlyphWidth(kind) * zoom))),
                         std::max(1, int(std::lround(GlyphHeight(kind) * zoom))));
        cache.image[i] = glyphs.Image(kind)
                             .convertToFormat(QImage::Format_RGB32)
                             .scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        cache.mask[i] = glyphs.Mask(kind)
                            .convertToFormat(QImage::Format_RGB32)
                            .scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    cache.zoom = zoom;
    owner = &glyphs;
    return cache;
}

GRect BoxOf(const TProtoNeuronio& e) {
    const TRect r = e.GlyphBox();
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

TQtCanvas::TQtCanvas(QImage& target, const TGlyphImages& glyphs, StatusSink status,
                     InvalidateSink invalidate)
    : target_(target), glyphs_(glyphs), status_(std::move(status)),
      invalidate_(std::move(invalidate)) {}

TQtCanvas::~TQtCanvas() {
    Flush();
}

void TQtCanvas::Flush() {
    if (hasStatus_ && status_) status_(pendingStatus_);
    hasStatus_ = false;
}

void TQtCanvas::DrawGlyph(TGlyphKind kind, int x, int y) {
    const QRect place = view_.ToScreen(
        TRect{x, y, ShiftCoordinate(x, GlyphWidth(kind)), ShiftCoordinate(y, GlyphHeight(kind))});
    if (!clip_.isNull() && !clip_.intersects(place)) return;
    if (view_.Unscaled()) {
        TRaster::BlitGlyph(target_, glyphs_.Image(kind), glyphs_.Mask(kind), place.x(), place.y());
    } else if (view_.Zoom() < 1.0 && target_.format() == QImage::Format_RGB32) {
        const TScaledGlyphs& scaled = ScaledGlyphs(glyphs_, view_.Zoom());
        const auto i = std::size_t(GlyphIndex(kind) / 2);
        TRaster::BlitGlyphRgb32(target_, scaled.image[i], scaled.mask[i], place.x(), place.y());
    } else {
        TRaster::BlitGlyphScaled(target_, glyphs_.Image(kind), glyphs_.Mask(kind), place);
    }
}

void TQtCanvas::DrawGlyphs(const std::vector<TPlacedGlyph>& glyphs) {
    if (view_.Unscaled() || !(view_.Zoom() < 1.0 && target_.format() == QImage::Format_RGB32)) {
        for (const TPlacedGlyph& g : glyphs)
            DrawGlyph(g.kind, g.at.x, g.at.y);
        return;
    }
    const TScaledGlyphs& scaled = ScaledGlyphs(glyphs_, view_.Zoom());
    std::array<TRaster::TGlyphBits, 5> bitsOf{};
    for (std::size_t i = 0; i < bitsOf.size(); ++i)
        bitsOf[i] = {scaled.image[i].constBits(), scaled.image[i].bytesPerLine(),
                     scaled.mask[i].constBits(),  scaled.mask[i].bytesPerLine(),
                     scaled.image[i].width(),     scaled.image[i].height()};
    uchar* const bits = target_.bits();
    const qsizetype stride = target_.bytesPerLine();
    const int width = target_.width();
    const int height = target_.height();
    for (const TPlacedGlyph& g : glyphs) {
        const int x = g.at.x;
        const int y = g.at.y;
        const QRect place = view_.ToScreen(TRect{x, y, ShiftCoordinate(x, GlyphWidth(g.kind)),
                                                 ShiftCoordinate(y, GlyphHeight(g.kind))});
        if (!clip_.isNull() && !clip_.intersects(place)) continue;
        TRaster::BlitGlyphRgb32(bits, stride, width, height,
                                bitsOf[std::size_t(GlyphIndex(g.kind) / 2)], place.x(), place.y());
    }
}

void TQtCanvas::SetStatusText(const std::string& text) {
    pendingStatus_ = text;
    hasStatus_ = true;
}

void TQtCanvas::Invalidate(const TRect& area) {
    if (invalidate_) invalidate_(area);
}

void TQtCanvas::DrawSynapse(const TSynapseShape& shape) {
    if (shape.source == nullptr) return;
    if (Overview() && shape.figure != TSynapseFigure::Loop && !shape.rubberBand) {
        TOverviewLines(*this).Line(shape.start, shape.end, shape.figure == TSynapseFigure::Paired);
        return;
    }
    TRaster raster(target_);
    raster.SetInverting(shape.pen == TPenMode::NotXor);
    const GPoint p0 = G(shape.start);
    const GPoint p1 = G(shape.end);
    // Figures are worked out in net coordinates (the edge walk belongs to the glyph masks)
    // and only their corner points are placed on the image.
    auto on = [this](GPoint p) {
        const QPoint s = view_.ToScreen(TPoint{p.x, p.y});
        return GPoint{s.x(), s.y()};
    };
    if (!clip_.isNull()) {
        // Every figure stays within a few pixels of its ends; a loop within 40 of its glyph.
        // The reach is worked out in 64 bits: ends at the edge of the coordinate range
        // would take an int past it.
        const std::int64_t margin = shape.figure == TSynapseFigure::Loop ? 48 : 8;
        auto grown = [margin](std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) {
            return TRect{TNetView::Saturate(l - margin), TNetView::Saturate(t - margin),
                         TNetView::Saturate(r + margin), TNetView::Saturate(b + margin)};
        };
        const TRect box = shape.source->GlyphBox();
        const TRect reach = shape.figure == TSynapseFigure::Loop
                                ? grown(box.left, box.top, box.right, box.bottom)
                                : grown(std::min(p0.x, p1.x), std::min(p0.y, p1.y),
                                        std::max(p0.x, p1.x), std::max(p0.y, p1.y));
        if (!clip_.intersects(view_.ToScreen(reach))) return;
    }

    if (shape.figure == TSynapseFigure::Loop) {
        const LoopFigureShape loop = LoopFigure(BoxOf(*shape.source), p1);
        const GPoint e0 = on({loop.ellipse.left, loop.ellipse.top});
        const GPoint e1 = on({loop.ellipse.right, loop.ellipse.bottom});
        raster.EllipseOutline(GRect{e0.x, e0.y, e1.x, e1.y});
        raster.Line(on(loop.arrow[0]), on(loop.arrow[1]), false);
        raster.Line(on(loop.arrow[1]), on(loop.arrow[2]), false);
        return;
    }
    if (shape.rubberBand) {
        raster.Line(on(p0), on(p1), false, /*dotted=*/true);
        return;
    }

    GPoint s0 = p0;
    GPoint s1 = p1;
    if (shape.figure == TSynapseFigure::Paired && !PairedShift(p0, p1, s0, s1)) {
        SetStatusText(DivisionText);
        return;
    }
    // Without a destination the line simply runs to the stored end.
    // A glyph left or right of the whole segment is never met by the walk; choose the side
    // that has room, since ends may sit anywhere in the 32-bit range.
    constexpr int Away = 1000000;
    const int lowX = std::min(s0.x, s1.x);
    const int highX = std::max(s0.x, s1.x);
    const int farX = highX <= std::numeric_limits<int>::max() - Away ? highX + Away
                     : lowX >= std::numeric_limits<int>::min() + Away
                         ? lowX - Away
                         : std::numeric_limits<int>::min();
    const GlyphPlace far{TGlyphKind::Neuron, farX, s1.y};
    const StraightFigureShape f = StraightFigure(
        PlaceOf(*shape.source), shape.destination ? PlaceOf(*shape.destination) : far, s0, s1);
    raster.Line(on(f.edge.b), on(f.edge.a), true);
    SetStatusText("FindEdge: " + std::to_string(f.edge.b.x) + "," + std::to_string(f.edge.b.y) +
                  "," + std::to_string(f.edge.a.x) + "," + std::to_string(f.edge.a.y));
    if (!f.arrow.valid) {
        SetStatusText(DivisionText);
        return;
    }
    // Wings run into the tip without touching it again, so every pixel is inverted once.
    raster.Line(on(f.arrow.wing1), on(f.edge.a), false);
    raster.Line(on(f.arrow.wing2), on(f.edge.a), false);
}

} // namespace veltra
