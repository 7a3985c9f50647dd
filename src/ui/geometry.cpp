#include "ui/geometry.h"

#include <algorithm>
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

namespace {

// The walk of WalkLine, able to start at any step k: the minor coordinate after k steps
// has a closed form, so the edge search can look only where a glyph can be instead of
// along the whole line.
class TWalker {
public:
    TWalker(GPoint p0, GPoint p1) {
        const int dx = p1.x - p0.x;
        const int dy = p1.y - p0.y;
        const int adx = dx < 0 ? -dx : dx;
        const int ady = dy < 0 ? -dy : dy;
        up_ = (dx > 0) != (dy < 0);
        xMajor_ = adx > ady;
        forward_ = xMajor_ ? dx > 0 : dy > 0;
        from_ = forward_ ? p0 : p1;
        major_ = xMajor_ ? adx : ady;
        minor_ = xMajor_ ? ady : adx;
    }
    bool Forward() const { return forward_; }
    int Steps() const { return major_; } // points are k = 0 .. Steps()
    // The k range where the walk's major coordinate lies within [low, high].
    void Range(int low, int high, long long& kLow, long long& kHigh) const {
        const int base = xMajor_ ? from_.x : from_.y;
        kLow = static_cast<long long>(low) - base;
        kHigh = static_cast<long long>(high) - base;
    }
    GPoint At(long long k) const {
        long long m = 0;
        if (major_ > 0) {
            const long long num = 2LL * minor_ * k + major_ - (up_ ? 0 : 1);
            m = num / (2LL * major_);
        }
        const int a = static_cast<int>((xMajor_ ? from_.x : from_.y) + k);
        const int b = static_cast<int>((xMajor_ ? from_.y : from_.x) + (up_ ? m : -m));
        return xMajor_ ? GPoint{a, b} : GPoint{b, a};
    }
    bool XMajor() const { return xMajor_; }

private:
    GPoint from_;
    bool up_ = false;
    bool xMajor_ = false;
    bool forward_ = false;
    int major_ = 0;
    int minor_ = 0;
};

void MajorSpan(const TWalker& w, const GlyphPlace& g, long long& lo, long long& hi) {
    if (w.XMajor())
        w.Range(g.x, g.x + GlyphWidth(g.kind), lo, hi);
    else
        w.Range(g.y, g.y + GlyphHeight(g.kind), lo, hi);
}

// First walk point on the glyph; false when there is none.
bool FirstOn(const TWalker& w, const GlyphPlace& g, GPoint& found) {
    long long lo, hi;
    MajorSpan(w, g, lo, hi);
    for (long long k = std::max(lo, 0LL); k <= std::min(hi, static_cast<long long>(w.Steps())); ++k)
        if (const GPoint p = w.At(k); OnGlyph(p, g)) {
            found = p;
            return true;
        }
    return false;
}

// First walk point off the glyph; false when every point is on it.
bool FirstOff(const TWalker& w, const GlyphPlace& g, GPoint& found) {
    long long lo, hi;
    MajorSpan(w, g, lo, hi);
    const long long last = w.Steps();
    if (lo > 0 || hi < 0) { // the first point lies outside the glyph's span
        found = w.At(0);
        return true;
    }
    for (long long k = 0; k <= std::min(hi, last); ++k)
        if (const GPoint p = w.At(k); !OnGlyph(p, g)) {
            found = p;
            return true;
        }
    if (hi < last) {
        found = w.At(hi + 1);
        return true;
    }
    return false;
}

} // namespace

EdgePoints EdgeWalk(const GlyphPlace& source, const GlyphPlace& destination, GPoint p0, GPoint p1) {
    EdgePoints r{p0, p1};
    const TWalker w(p0, p1);
    if (w.Forward()) {
        FirstOff(w, source, r.b);
        FirstOn(w, destination, r.a);
    } else {
        FirstOn(w, source, r.b);
        FirstOff(w, destination, r.a);
    }
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
