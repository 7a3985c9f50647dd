#include "ui/netview.h"

#include "model/protolista.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace veltra {

namespace {

constexpr std::array<double, 17> Ladder = {0.1,  0.15, 0.25, 0.33, 0.5, 0.67, 0.75, 0.9, 1.0,
                                           1.25, 1.5,  2.0,  3.0,  4.0, 5.0,  6.0,  8.0};

// A zoom read back from a fit or a wheel differs from a ladder rung by rounding only.
constexpr double Slack = 1e-6;

} // namespace

void TNetView::SetZoom(double zoom) {
    zoom_ = std::clamp(zoom, MinZoom, MaxZoom);
}

QRect TNetView::ToScreen(const TRect& net) const {
    const QPoint a = ToScreen(TPoint{net.left, net.top});
    const QPoint b = ToScreen(TPoint{net.right, net.bottom});
    // Never empty: a glyph at 10% still covers a pixel.
    // (In 64 bits: b may be at the start of the int range.)
    return QRect(a,
                 QPoint(static_cast<int>(std::max<std::int64_t>(a.x(), std::int64_t{b.x()} - 1)),
                        static_cast<int>(std::max<std::int64_t>(a.y(), std::int64_t{b.y()} - 1))));
}

int TNetView::ToNetAxis(int plane, double zoom) {
    if (zoom == 1.0) return plane;
    // Zoomed in, each screen pixel lies in exactly one net pixel: the last one starting at
    // or before it. Zoomed out, several net pixels share a screen pixel: take the first.
    const double v =
        zoom >= 1.0 ? std::ceil((plane + 1.0) / zoom - 1e-9) - 1.0 : std::ceil(plane / zoom - 1e-9);
    return TNetView::Saturate(static_cast<std::int64_t>(std::clamp(v, -4e18, 4e18)));
}

TPoint TNetView::ToNet(QPoint screen) const {
    return {ToNetAxis(TNetView::Saturate(std::int64_t{screen.x()} + scroll_.x()), zoom_),
            ToNetAxis(TNetView::Saturate(std::int64_t{screen.y()} + scroll_.y()), zoom_)};
}

TRect TNetView::ToNet(const QRect& screen) const {
    const TPoint a = ToNet(screen.topLeft());
    const TPoint b = ToNet(screen.bottomRight() + QPoint(1, 1));
    return {ShiftCoordinate(a.x, -1), ShiftCoordinate(a.y, -1), ShiftCoordinate(b.x, 1),
            ShiftCoordinate(b.y, 1)};
}

void TNetView::ZoomAbout(double zoom, QPoint anchor) {
    const double planeX = double(anchor.x()) + scroll_.x();
    const double planeY = double(anchor.y()) + scroll_.y();
    const double netX = planeX / zoom_;
    const double netY = planeY / zoom_;
    SetZoom(zoom);
    scroll_ = QPoint(TNetView::Saturate(std::llround(netX * zoom_ - anchor.x())),
                     TNetView::Saturate(std::llround(netY * zoom_ - anchor.y())));
}

bool NetBounds(const TProtoLista& list, TRect& bounds) {
    bool any = false;
    for (const auto& e : list) {
        const TRect r = e->GlyphBox();
        if (!any) {
            bounds = r;
            any = true;
            continue;
        }
        bounds.left = std::min(bounds.left, r.left);
        bounds.top = std::min(bounds.top, r.top);
        bounds.right = std::max(bounds.right, r.right);
        bounds.bottom = std::max(bounds.bottom, r.bottom);
    }
    return any;
}

double TNetView::StepUp(double zoom) {
    for (double rung : Ladder)
        if (rung > zoom + Slack) return rung;
    return MaxZoom;
}

double TNetView::StepDown(double zoom) {
    for (auto it = Ladder.rbegin(); it != Ladder.rend(); ++it)
        if (*it < zoom - Slack) return *it;
    return MinZoom;
}

} // namespace veltra
