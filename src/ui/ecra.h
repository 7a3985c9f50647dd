// The paint box of a drawing window. It keeps what is on screen in an image: gestures draw
// on it in the inverting pen between paints, and areas the model invalidates are composed
// again from the model in an off-screen image and copied in at the next paint.
#pragma once

#include "model/point.h"
#include "ui/netscroller.h"
#include "ui/netview.h"
#include "ui/textplacement.h"

#include <QImage>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <vector>

namespace veltra {

class TDrawingWindow;
class TProtoLista;

class TEcra final : public TScrolledBox {
public:
    // The dashed frame around each selected element.
    static constexpr QRgb SelectionMarkColour = 0xff2060d0;

    explicit TEcra(TDrawingWindow& owner);

    QImage& Screen() { return screen_; }
    // How net coordinates map to the paint box. Mouse positions reach the drawing window in
    // net coordinates; the model's invalid areas are mapped back to the screen.
    const TNetView& View() const override { return view_; }
    void SetView(const TNetView& view) override;
    TNetScroller& Scroller() { return *scroller_; }
    const TProtoLista& Elements() const override;
    // Marks an area for composing again from the model at the next paint: in paint-box
    // pixels, or a net area.
    void InvalidateModel(const QRect& area);
    void InvalidateModel(const TRect& area);
    void InvalidateAll();
    // The net's values changed (a step): values shown on the drawing are drawn again, at
    // most once per frame however fast the steps come.
    void ValuesChanged();
    // EcraPaint: composes the invalid areas from the model now (tests and benchmarks call
    // it to repaint without an event loop).
    void Compose();
    // The last mouse position over the paint box, in net coordinates; false while the mouse
    // is elsewhere.
    bool CursorPos(QPoint& pos) const;
    // The same in paint-box pixels.
    bool CursorOver(QPoint& pos) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPoint Net(QPoint screen) const;

    TDrawingWindow& owner_;
    TNetView view_;
    TNetScroller* scroller_;
    QImage screen_;
    QTimer valueClock_;
    QRegion dirty_;
    // Where the shown texts go, made when first needed after a change.
    std::optional<std::vector<TPlacedText>> texts_;
    QPoint cursor_;
    bool cursorInside_ = false;
};

} // namespace veltra
