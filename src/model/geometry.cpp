#include "model/geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace veltra {

namespace {
// Coordinates may sit anywhere in the 32-bit range (a file says where); a box edge past the
// end of the range stops there instead of overflowing.
int Shifted(int at, int by) {
    const long long v = static_cast<long long>(at) + by;
    return static_cast<int>(
        std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
} // namespace

int RoundEven(double v) {
    // Far-away coordinates stop at the ends of the range rather than overflow.
    v = std::clamp(v, static_cast<double>(std::numeric_limits<int>::min()),
                   static_cast<double>(std::numeric_limits<int>::max()));
    const double r = std::round(v);
    // std::round sends halves away from zero; pull exact halves back to the even neighbour.
    if (std::fabs(v - std::trunc(v)) == 0.5 && std::fmod(r, 2.0) != 0.0)
        return static_cast<int>(r - (v > 0 ? 1.0 : -1.0));
    return static_cast<int>(r);
}

GRect GlyphBox(const GlyphPlace& g) {
    return {g.x, g.y, Shifted(g.x, GlyphWidth(g.kind)), Shifted(g.y, GlyphHeight(g.kind))};
}

namespace {

__extension__ typedef __int128 Wide; // a GCC/clang extension; -Wpedantic would flag it

// The walk of WalkLine, able to start at any step k: the minor coordinate after k steps
// has a closed form, so the edge search can look only where a glyph can be instead of
// along the whole line.
class TWalker {
public:
    TWalker(GPoint p0, GPoint p1) {
        // 64-bit: the ends may be the two extremes of the 32-bit range.
        const long long dx = static_cast<long long>(p1.x) - p0.x;
        const long long dy = static_cast<long long>(p1.y) - p0.y;
        const long long adx = dx < 0 ? -dx : dx;
        const long long ady = dy < 0 ? -dy : dy;
        up_ = (dx > 0) != (dy < 0);
        xMajor_ = adx > ady;
        forward_ = xMajor_ ? dx > 0 : dy > 0;
        from_ = forward_ ? p0 : p1;
        major_ = xMajor_ ? adx : ady;
        minor_ = xMajor_ ? ady : adx;
    }
    bool Forward() const { return forward_; }
    long long Steps() const { return major_; } // points are k = 0 .. Steps()
    // The k range where the walk's major coordinate lies within [low, high].
    void Range(int low, int high, long long& kLow, long long& kHigh) const {
        const int base = xMajor_ ? from_.x : from_.y;
        kLow = static_cast<long long>(low) - base;
        kHigh = static_cast<long long>(high) - base;
    }
    GPoint At(long long k) const {
        long long m = 0;
        if (major_ > 0) {
            // 2 * minor * k needs up to 66 bits when the ends span the whole 32-bit range.
            const Wide num = Wide{2} * minor_ * k + major_ - (up_ ? 0 : 1);
            m = static_cast<long long>(num / (Wide{2} * major_));
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
    long long major_ = 0;
    long long minor_ = 0;
};

void MajorSpan(const TWalker& w, const GlyphPlace& g, long long& lo, long long& hi) {
    if (w.XMajor())
        w.Range(g.x, Shifted(g.x, GlyphWidth(g.kind)), lo, hi);
    else
        w.Range(g.y, Shifted(g.y, GlyphHeight(g.kind)), lo, hi);
}

// First walk point on the glyph; false when there is none.
bool FirstOn(const TWalker& w, const GlyphPlace& g, GPoint& found) {
    long long lo, hi;
    MajorSpan(w, g, lo, hi);
    for (long long k = std::max(lo, 0LL); k <= std::min(hi, w.Steps()); ++k)
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

void WalkLineWithin(GPoint p0, GPoint p1, const GRect& clip,
                    const std::function<void(GPoint, long long)>& visit) {
    const TWalker w(p0, p1);
    long long lo, hi;
    if (w.XMajor())
        w.Range(clip.left, clip.right - 1, lo, hi);
    else
        w.Range(clip.top, clip.bottom - 1, lo, hi);
    for (long long k = std::max(lo, 0LL); k <= std::min(hi, w.Steps()); ++k)
        visit(w.At(k), k);
}

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
    const double dx = static_cast<double>(tip.x) - p0.x;
    const double dy = static_cast<double>(tip.y) - p0.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0.0) return r;
    const double ux = dx / len;
    const double uy = dy / len;
    r.valid = true;
    r.base = {RoundEven(tip.x - 4 * ux), RoundEven(tip.y - 4 * uy)};
    r.wing1 = {Shifted(r.base.x, -RoundEven(3 * uy)), Shifted(r.base.y, RoundEven(3 * ux))};
    r.wing2 = {Shifted(r.base.x, RoundEven(3 * uy)), Shifted(r.base.y, -RoundEven(3 * ux))};
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
    const double dx = static_cast<double>(p1.x) - p0.x;
    const double dy = static_cast<double>(p1.y) - p0.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0.0) return false;
    const double ux = dx / len;
    const double uy = dy / len;
    p0Shifted = {RoundEven(p0.x - 3 * uy), RoundEven(p0.y + 3 * ux)};
    p1Shifted = {RoundEven(p1.x - 3 * uy), RoundEven(p1.y + 3 * ux)};
    return true;
}

LoopFigureShape LoopFigure(const GRect& box, GPoint p1) {
    const int cx = static_cast<int>((static_cast<long long>(box.left) + box.right) / 2);
    const int cy = static_cast<int>((static_cast<long long>(box.top) + box.bottom) / 2);
    const long long ddx = static_cast<long long>(p1.x) - cx;
    const long long ddy = static_cast<long long>(p1.y) - cy;
    const auto S = Shifted;
    if (-ddy <= ddx && ddx <= ddy)
        return {{S(cx, -4), box.bottom, S(cx, 4), S(cy, 35)},
                {{S(cx, -1), S(box.bottom, 6)}, {cx, box.bottom}, {S(cx, 6), S(box.bottom, 4)}}};
    if (ddy <= ddx && ddx <= -ddy)
        return {{S(cx, -4), S(cy, -35), S(cx, 4), box.top},
                {{cx, S(box.top, -5)}, {cx, box.top}, {S(cx, -7), S(box.top, -3)}}};
    if (ddx <= -ddy && ddx <= ddy)
        return {{S(cx, -35), S(cy, -4), box.left, S(cy, 4)},
                {{S(box.left, -6), S(cy, -1)}, {box.left, cy}, {S(box.left, -4), S(cy, 6)}}};
    return {{box.right, S(cy, -4), S(cx, 35), S(cy, 4)},
            {{S(box.right, 6), S(cy, -1)}, {box.right, S(cy, -1)}, {S(box.right, 3), S(cy, -7)}}};
}

} // namespace veltra
