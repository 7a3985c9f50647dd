#include "ui/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace veltra {

namespace {

long long OverlapArea(const QRect& a, const QRect& b) {
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : static_cast<long long>(both.width()) * both.height();
}

} // namespace

QPoint ClearPlace(QSize size, const QRect& screen, const std::vector<QRect>& avoid,
                  QPoint preferred) {
    if (size.width() > screen.width() || size.height() > screen.height()) return screen.topLeft();
    // A frame clear of everything can slide left, then up, until it meets the screen's edge
    // or another rectangle: so some clear place, if there is one, has its left edge at the
    // screen's or just right of a rectangle, and its top likewise. Right and bottom edges
    // join them for the places that overlap least, and the preferred place itself.
    const int lastX = screen.right() + 1 - size.width();
    const int lastY = screen.bottom() + 1 - size.height();
    std::vector<int> xs{screen.left(), lastX, preferred.x()};
    std::vector<int> ys{screen.top(), lastY, preferred.y()};
    for (const QRect& r : avoid) {
        xs.insert(xs.end(), {r.right() + 1, r.left() - size.width(), r.left()});
        ys.insert(ys.end(), {r.bottom() + 1, r.top() - size.height(), r.top()});
    }
    QPoint best = screen.topLeft();
    long long bestOverlap = std::numeric_limits<long long>::max();
    long long bestDistance = std::numeric_limits<long long>::max();
    for (int x : xs) {
        x = std::clamp(x, screen.left(), lastX);
        for (int y : ys) {
            y = std::clamp(y, screen.top(), lastY);
            const QRect frame(QPoint(x, y), size);
            long long overlap = 0;
            for (const QRect& r : avoid)
                overlap += OverlapArea(frame, r);
            const long long dx = x - preferred.x(), dy = y - preferred.y();
            const long long distance = dx * dx + dy * dy;
            if (overlap < bestOverlap || (overlap == bestOverlap && distance < bestDistance)) {
                best = QPoint(x, y);
                bestOverlap = overlap;
                bestDistance = distance;
            }
        }
    }
    return best;
}

void PlaceClear(QWidget& window, const std::vector<const QWidget*>& avoid) {
    const QScreen* screen =
        window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect available = screen->availableGeometry();
    // The frame the window manager adds, known once the window has been shown.
    const QSize frameExtra = window.testAttribute(Qt::WA_WState_Created) &&
                                     window.frameGeometry().size() != window.size()
                                 ? window.frameGeometry().size() - window.size()
                                 : QSize(8, 32);
    window.resize(window.size().boundedTo(available.size() - frameExtra));
    std::vector<QRect> rects;
    for (const QWidget* w : avoid)
        if (w != nullptr && w != &window && w->isVisible() && !w->isMinimized())
            rects.push_back(w->isWindow() ? w->frameGeometry()
                                          : QRect(w->mapToGlobal(QPoint(0, 0)), w->size()));
    const QSize frame = window.size() + frameExtra;
    // Where it is now (its last place, or the middle of the screen at first) is preferred.
    const QPoint at = ClearPlace(frame, available, rects, window.frameGeometry().topLeft());
    window.move(at);
}

} // namespace veltra
