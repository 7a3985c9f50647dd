// Where a tool window opens: fully on the screen, and clear of the active drawing and of the
// other tool windows shown, wherever the screen has room for that; where it has not, over as
// little of them as can be.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace veltra {

// The top left corner for a frame of `size` within `screen`, overlapping the `avoid`
// rectangles as little as possible (by area), and of the places as good as that, the nearest
// to `preferred`. A frame larger than the screen goes to the screen's top left corner.
QPoint ClearPlace(QSize size, const QRect& screen, const std::vector<QRect>& avoid,
                  QPoint preferred);

// Moves a top-level window there on its screen (shrunk to fit it first), avoiding the given
// widgets' frames (those not shown are left out).
void PlaceClear(QWidget& window, const std::vector<const QWidget*>& avoid);

} // namespace veltra
