// Where the net's own coordinates land in a drawing window: a zoom factor and a scroll
// position on the zoomed plane. At 100% with no scroll the mapping is the identity, so the
// drawing is exactly what the model draws.
#pragma once

#include "model/point.h"

#include <QPoint>
#include <QRect>
#include <algorithm>
#include <cstdint>
#include <limits>

namespace veltra {

class TProtoLista;

class TNetView {
public:
    static constexpr double MinZoom = 0.1;
    static constexpr double MaxZoom = 8.0;

    double Zoom() const { return zoom_; }
    // The screen origin's place on the zoomed plane.
    QPoint Scroll() const { return scroll_; }
    void SetScroll(QPoint scroll) { scroll_ = scroll; }
    // Clamped to the zoom range.
    void SetZoom(double zoom);
    bool Unscaled() const { return zoom_ == 1.0; }
    bool Identity() const { return Unscaled() && scroll_.isNull(); }

    // A net coordinate on the zoomed plane (its pixel's top-left corner), saturated to int.
    static int Plane(std::int64_t net, double zoom) {
        if (zoom == 1.0) return Saturate(net);
        // floor without a library call: this runs for every figure of a repaint.
        const double v = static_cast<double>(net) * zoom + 1e-9;
        if (v > -2e9 && v < 2e9) {
            const auto t = static_cast<std::int64_t>(v);
            return Saturate(t - (static_cast<double>(t) > v ? 1 : 0));
        }
        return v < 0 ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    static int Saturate(std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                         std::numeric_limits<int>::max()));
    }
    QPoint ToScreen(TPoint net) const {
        return {Saturate(std::int64_t{Plane(net.x, zoom_)} - scroll_.x()),
                Saturate(std::int64_t{Plane(net.y, zoom_)} - scroll_.y())};
    }
    QPoint ToScreen(int x, int y) const { return ToScreen(TPoint{x, y}); }
    // The screen pixels a net box covers (right and bottom one past, as the box's).
    QRect ToScreen(const TRect& net) const;
    // The net pixel under a screen pixel; at 50% and 200% a net point placed through
    // ToScreen comes back unchanged.
    TPoint ToNet(QPoint screen) const;
    // The net area a screen area shows (a little larger rather than smaller).
    TRect ToNet(const QRect& screen) const;

    // Changes the zoom so that the net point under `anchor` (screen) stays under it.
    void ZoomAbout(double zoom, QPoint anchor);

    // The next zoom of the menu's ladder above or below the current one.
    static double StepUp(double zoom);
    static double StepDown(double zoom);

private:
    static int ToNetAxis(int plane, double zoom);
    double zoom_ = 1.0;
    QPoint scroll_;
};

// The net's glyph boxes together; false for an empty net.
bool NetBounds(const TProtoLista& list, TRect& bounds);

} // namespace veltra
