// Synapse geometry: where a synapse line leaves its source glyph and meets its
// destination glyph, its arrowhead, the sideways shift of a paired synapse and the loop of
// a self-synapse. Pure integer/real arithmetic over the glyph masks, so it is testable
// without a display and cheap enough to run for every synapse on every repaint.
#pragma once

#include "model/glyphs.h"

#include <functional>
#include <type_traits>

namespace veltra {

struct GPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const GPoint&, const GPoint&) = default;
};

struct GRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const GRect&, const GRect&) = default;
};

// Where a glyph of a kind sits: its top-left corner.
struct GlyphPlace {
    TGlyphKind kind = TGlyphKind::Neuron;
    int x = 0;
    int y = 0;
};

// Nearest integer, halves to the even neighbour.
int RoundEven(double v);

// True when the point lies on the glyph: inside its mask, or in the column/row just past
// the bitmap (which the bounds test lets through and the mask cannot refuse).
inline bool OnGlyph(GPoint p, const GlyphPlace& g) {
    const int w = GlyphWidth(g.kind);
    const int h = GlyphHeight(g.kind);
    // 64-bit: a glyph may sit at the very end of the 32-bit range.
    const long long dx = static_cast<long long>(p.x) - g.x;
    const long long dy = static_cast<long long>(p.y) - g.y;
    if (dx < 0 || dx > w || dy < 0 || dy > h) return false;
    const int column = static_cast<int>(dx);
    const int row = static_cast<int>(dy);
    if (column == w || row == h) return true;
    return GlyphMaskOpaque(g.kind, column, row);
}

// The points of the walk from p0 to p1 (as WalkLine visits them) whose major coordinate lies
// within clip, each with its index along the whole walk. The work is bounded by the clip's
// size whatever the ends, so lines to far-away elements cost no more than visible ones.
void WalkLineWithin(GPoint p0, GPoint p1, const GRect& clip,
                    const std::function<void(GPoint, long long)>& visit);

// Visits the pixels of the line P0-P1 in the order the edge walk uses: forward from P0 when
// the major coordinate grows from P0 to P1, otherwise from P1 back to P0. `visit(GPoint)`.
// Returns whether the walk ran forward. A visitor that returns bool stops the walk by
// answering false.
template <typename Visit> bool WalkLine(GPoint p0, GPoint p1, Visit&& visit) {
    const int dx = p1.x - p0.x;
    const int dy = p1.y - p0.y;
    const int adx = dx < 0 ? -dx : dx;
    const int ady = dy < 0 ? -dy : dy;
    const bool up = (dx > 0) != (dy < 0);
    const bool xMajor = adx > ady;
    const bool forward = xMajor ? dx > 0 : dy > 0;
    const GPoint from = forward ? p0 : p1;
    const GPoint to = forward ? p1 : p0;
    const int major = xMajor ? adx : ady;
    const int minor = xMajor ? ady : adx;
    int e = 2 * minor - major;
    const int step1 = 2 * minor;
    const int step2 = 2 * (minor - major);
    int a = xMajor ? from.x : from.y;
    int b = xMajor ? from.y : from.x;
    const int last = xMajor ? to.x : to.y;
    for (; a <= last; ++a) {
        const GPoint p = xMajor ? GPoint{a, b} : GPoint{b, a};
        if constexpr (std::is_same_v<decltype(visit(p)), bool>) {
            if (!visit(p)) break;
        } else {
            visit(p);
        }
        if (up && e >= 0) {
            ++b;
            e += step2;
        } else if (!up && e > 0) {
            --b;
            e += step2;
        } else {
            e += step1;
        }
    }
    return forward;
}

// Start edge B (where the drawn line begins) and end edge A (where it ends, the arrow tip).
struct EdgePoints {
    GPoint b;
    GPoint a;
};

EdgePoints EdgeWalk(const GlyphPlace& source, const GlyphPlace& destination, GPoint p0, GPoint p1);

struct Arrowhead {
    bool valid = false; // false when P0 and the tip coincide (no direction)
    GPoint base;
    GPoint wing1;
    GPoint wing2;
};

Arrowhead ArrowheadAt(GPoint p0, GPoint tip);

// The straight figure of a synapse: line B-A and its arrowhead (wings drawn from A).
struct StraightFigureShape {
    EdgePoints edge;
    Arrowhead arrow;
};

StraightFigureShape StraightFigure(const GlyphPlace& source, const GlyphPlace& destination,
                                   GPoint p0, GPoint p1);

// The ends of a paired synapse, shifted 3 pixels to the side; false when P0 = P1.
bool PairedShift(GPoint p0, GPoint p1, GPoint& p0Shifted, GPoint& p1Shifted);

// A self-synapse loop: the ellipse's bounding rectangle and the arrow polyline.
struct LoopFigureShape {
    GRect ellipse;
    GPoint arrow[3];
};

LoopFigureShape LoopFigure(const GRect& sourceBox, GPoint p1);

GRect GlyphBox(const GlyphPlace& g);

} // namespace veltra
