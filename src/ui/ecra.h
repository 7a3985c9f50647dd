// The paint box of a drawing window. It keeps what is on screen in an image: gestures draw
// on it in the inverting pen between paints, and areas the model invalidates are composed
// again from the model in an off-screen image and copied in at the next paint.
#pragma once

#include "model/point.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

namespace veltra {

class TMDIChild;

class TEcra final : public QWidget {
public:
    explicit TEcra(TMDIChild& owner);

    QImage& Screen() { return screen_; }
    // Marks an area for composing again from the model at the next paint.
    void InvalidateModel(const QRect& area);
    void InvalidateModel(const TRect& area);
    void InvalidateAll();
    // EcraPaint: composes the invalid areas from the model now (tests and benchmarks call
    // it to repaint without an event loop).
    void Compose();
    // The last mouse position over the paint box; null while the mouse is elsewhere.
    bool CursorPos(QPoint& pos) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    TMDIChild& owner_;
    QImage screen_;
    QRegion dirty_;
    QPoint cursor_;
    bool cursorInside_ = false;
};

} // namespace veltra
