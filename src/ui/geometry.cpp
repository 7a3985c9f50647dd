#include "ui/geometry.h"

#include <cmath>

namespace veltra {

int RoundEven(double v) {
    const double r = std::round(v);
    // std::round sends halves away from zero; pull exact halves back to the even neighbour.
    if (std::fabs(v - std::trunc(v)) == 0.5 && std::fmod(r, 2.0) != 0.0)
        return static_cast<int>(r - (v > 0 ? 1.0 : -1.0));
    return static_cast<int>(r);
}

GRect GlyphBox(const GlyphPlace& g) {
    return {g.x, g.y, g.x + GlyphWidth(g.kind), g.y + GlyphHeight(g.kind)};
}

bool OnGlyph(GPoint p, const GlyphPlace& g) {
    const int w = GlyphWidth(g.kind);
    const int h = GlyphHeight(g.kind);
    if (p.x < g.x || p.x > g.x + w || p.y < g.y || p.y > g.y + h) return false;
    const int column = p.x - g.x;
    const int row = p.y - g.y;
    if (column == w || row == h) return true;
    return GlyphMaskOpaque(g.kind, column, row);
}

EdgePoints EdgeWalk(const GlyphPlace& source, const GlyphPlace& destination, GPoint p0, GPoint p1) {
    EdgePoints r{p0, p1};
    bool haveB = false;
    bool haveA = false;
    // The direction is known before the first point: it only depends on the deltas.
    const int dx = p1.x - p0.x;
    const int dy = p1.y - p0.y;
    const bool forward = (dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy) ? dx > 0 : dy > 0;
    WalkLine(p0, p1, [&](GPoint p) {
        if (forward) {
            if (!haveB && !OnGlyph(p, source)) {
                r.b = p;
                haveB = true;
            }
            if (!haveA && OnGlyph(p, destination)) {
                r.a = p;
                haveA = true;
            }
        } else {
            if (!haveB && OnGlyph(p, source)) {
                r.b = p;
                haveB = true;
            }
            if (!haveA && !OnGlyph(p, destination)) {
                r.a = p;
                haveA = true;
            }
        }
    });
    return r;
}

Arrowhead ArrowheadAt(GPoint p0, GPoint tip) {
    Arrowhead r;
    const double dx = tip.x - p0.x;
    const double dy = tip.y - p0.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0.0) return r;
    const double ux = dx / len;
    const double uy = dy / len;
    r.valid = true;
    r.base = {RoundEven(tip.x - 4 * ux), RoundEven(tip.y - 4 * uy)};
    r.wing1 = {r.base.x - RoundEven(3 * uy), r.base.y + RoundEven(3 * ux)};
    r.wing2 = {r.base.x + RoundEven(3 * uy), r.base.y - RoundEven(3 * ux)};
    return r;
}

StraightFigureShape StraightFigure(const GlyphPlace& source, const GlyphPlace& destination,
                                   GPoint p0, GPoint p1) {
    StraightFigureShape r;
    r.edge = EdgeWalk(source, destination, p0, p1);
    r.arrow = ArrowheadAt(p0, r.edge.a);
    return r;
}

bool PairedShift(GPoint p0, GPoint p1, GPoint& p0Shifted, GPoint& p1Shifted) {
    const double dx = p1.x - p0.x;
    const double dy = p1.y - p0.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0.0) return false;
    const double ux = dx / len;
    const double uy = dy / len;
    p0Shifted = {RoundEven(p0.x - 3 * uy), RoundEven(p0.y + 3 * ux)};
    p1Shifted = {RoundEven(p1.x - 3 * uy), RoundEven(p1.y + 3 * ux)};
    return true;
}

LoopFigureShape LoopFigure(const GRect& box, GPoint p1) {
    const int cx = (box.left + box.right) / 2;
    const int cy = (box.top + box.bottom) / 2;
    const int ddx = p1.x - cx;
    const int ddy = p1.y - cy;
    if (-ddy <= ddx && ddx <= ddy)
        return {{cx - 4, box.bottom, cx + 4, cy + 35},
                {{cx - 1, box.bottom + 6}, {cx, box.bottom}, {cx + 6, box.bottom + 4}}};
    if (ddy <= ddx && ddx <= -ddy)
        return {{cx - 4, cy - 35, cx + 4, box.top},
                {{cx, box.top - 5}, {cx, box.top}, {cx - 7, box.top - 3}}};
    if (ddx <= -ddy && ddx <= ddy)
        return {{cx - 35, cy - 4, box.left, cy + 4},
                {{box.left - 6, cy - 1}, {box.left, cy}, {box.left - 4, cy + 6}}};
    return {{box.right, cy - 4, cx + 35, cy + 4},
            {{box.right + 6, cy - 1}, {box.right, cy - 1}, {box.right + 3, cy - 7}}};
}

} // namespace veltra
