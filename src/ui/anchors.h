// Keeps widgets placed by hand in their places as their window is resized: each follows the
// window's right or bottom edge, or stretches with it, by as much as the window has grown
// beyond the size it was designed at.
#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace veltra {

class TAnchors {
public:
    enum Edge {
        Right = 1,  // moves with the right edge
        Bottom = 2, // moves with the bottom edge
        Width = 4,  // stretches with the width
        Height = 8  // stretches with the height
    };

    // Records the widget's present geometry as the one it has at the designed size. A widget
    // that only stretches keeps whatever place it is moved to meanwhile.
    void Add(QWidget* widget, int edges);
    // The window is now `grown` larger than its designed size (never smaller).
    void Apply(QSize grown);

private:
    struct TItem {
        QPointer<QWidget> widget;
        QRect designed;
        int edges;
    };
    std::vector<TItem> items_;
};

} // namespace veltra
