#include "ui/anchors.h"

#include <algorithm>

namespace veltra {

void TAnchors::Add(QWidget* widget, int edges) {
    items_.push_back({widget, widget->geometry(), edges});
}

void TAnchors::Apply(QSize grown) {
    const int dx = std::max(grown.width(), 0);
    const int dy = std::max(grown.height(), 0);
    for (const TItem& item : items_) {
        if (item.widget.isNull()) continue;
        if (item.edges & (Right | Bottom))
            item.widget->move(item.designed.x() + ((item.edges & Right) ? dx : 0),
                              item.designed.y() + ((item.edges & Bottom) ? dy : 0));
        item.widget->resize(item.designed.width() + ((item.edges & Width) ? dx : 0),
                            item.designed.height() + ((item.edges & Height) ? dy : 0));
    }
}

} // namespace veltra
