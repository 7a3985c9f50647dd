#include "ui/qtcanvas.h"

#include "model/protoneuronio.h"
#include "model/geometry.h"
#include "ui/glyphimages.h"
#include "ui/raster.h"

#include <algorithm>
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
    if (!clip_.isNull() && !clip_.intersects(QRect(x, y, GlyphWidth(kind), GlyphHeight(kind))))
        return;
    TRaster::BlitGlyph(target_, glyphs_.Image(kind), glyphs_.Mask(kind), x, y);
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
    TRaster raster(target_);
    raster.SetInverting(shape.pen == TPenMode::NotXor);
    const GPoint p0 = G(shape.start);
    const GPoint p1 = G(shape.end);
    if (!clip_.isNull()) {
        // Every figure stays within a few pixels of its ends; a loop within 40 of its glyph.
        const int margin = shape.figure == TSynapseFigure::Loop ? 48 : 8;
        const QRect reach = QRect(QPoint(std::min(p0.x, p1.x), std::min(p0.y, p1.y)),
                                  QPoint(std::max(p0.x, p1.x), std::max(p0.y, p1.y)))
                                .adjusted(-margin, -margin, margin, margin);
        const TRect box = shape.source->GlyphBox();
        const QRect loopReach = QRect(QPoint(box.left, box.top), QPoint(box.right, box.bottom))
                                    .adjusted(-margin, -margin, margin, margin);
        if (!clip_.intersects(shape.figure == TSynapseFigure::Loop ? loopReach : reach)) return;
    }

    if (shape.figure == TSynapseFigure::Loop) {
        const LoopFigureShape loop = LoopFigure(BoxOf(*shape.source), p1);
        raster.EllipseOutline(loop.ellipse);
        raster.Line(loop.arrow[0], loop.arrow[1], false);
        raster.Line(loop.arrow[1], loop.arrow[2], false);
        return;
    }
    if (shape.rubberBand) {
        raster.Line(p0, p1, false, /*dotted=*/true);
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
    raster.Line(f.edge.b, f.edge.a, true);
    SetStatusText("FindEdge: " + std::to_string(f.edge.b.x) + "," + std::to_string(f.edge.b.y) +
                  "," + std::to_string(f.edge.a.x) + "," + std::to_string(f.edge.a.y));
    if (!f.arrow.valid) {
        SetStatusText(DivisionText);
        return;
    }
    // Wings run into the tip without touching it again, so every pixel is inverted once.
    raster.Line(f.arrow.wing1, f.edge.a, false);
    raster.Line(f.arrow.wing2, f.edge.a, false);
}

} // namespace veltra
