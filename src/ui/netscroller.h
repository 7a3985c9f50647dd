// Scrolling and zooming of one drawing window: the scroll bars over the net's bounding box
// plus a margin (always including what is on screen, so no element is ever out of reach),
// the wheel, panning with the middle button or Space and a drag, and the zoom commands.
#pragma once

#include "ui/netview.h"

#include <QObject>
#include <QPoint>
#include <QWidget>
#include <functional>

class QScrollBar;
class QWheelEvent;

namespace veltra {

class TProtoLista;

// The paint box a scroller moves over the net (the drawing window's TEcra): its view, the
// elements it shows and where the mouse is over it.
class TScrolledBox : public QWidget {
public:
    using QWidget::QWidget;
    virtual const TNetView& View() const = 0;
    virtual void SetView(const TNetView& view) = 0;
    virtual const TProtoLista& Elements() const = 0;
    // The last mouse position over the box, in its pixels; false while the mouse is elsewhere.
    virtual bool CursorOver(QPoint& pos) const = 0;
};

class TNetScroller final : public QObject {
    Q_OBJECT
public:
    // Plane pixels of empty room kept round the net.
    static constexpr int Margin = 48;

    TNetScroller(QWidget& window, TScrolledBox& ecra);

    QScrollBar& HorizontalBar() { return *hbar_; }
    QScrollBar& VerticalBar() { return *vbar_; }

    // Sets the bars' ranges from the net and the view (after edits, resizes and zooms).
    void UpdateRange();
    // Coalesces many edits into one UpdateRange at the next turn of the event loop.
    void ScheduleRange();

    // Zooms about a point of the paint box, which keeps the net point under it (the wheel).
    void SetZoom(double zoom, QPoint anchor);
    // The menu's zoom commands: about the middle of the view, keeping the net in view.
    void ZoomIn();
    void ZoomOut();
    void ZoomReset();
    void FitToWindow();
    // Scrolls so that the net point shows at the middle of the paint box.
    void CentreOn(TPoint net);

    void Wheel(QWheelEvent& event);
    bool Panning() const { return panning_; }
    void BeginPan(QPoint at);
    void PanTo(QPoint at);
    void EndPan();
    bool SpaceHeld() const { return spaceHeld_; }

signals:
    void ViewChanged(double zoom);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ZoomKeepingTheNet(double zoom);
    // Shows the view made for the paint box's size, again when the bars change that size.
    void ShowView(const std::function<TNetView(QSize)>& viewFor);
    void ScrollTo(QPoint scroll);

    TScrolledBox& ecra_;
    QScrollBar* hbar_;
    QScrollBar* vbar_;
    bool settingBars_ = false;
    bool rangeScheduled_ = false;
    bool panning_ = false;
    bool spaceHeld_ = false;
    QPoint panFrom_;
    QPoint panScroll_;
};

} // namespace veltra
