#include "ui/netscroller.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace veltra {

namespace {

// One wheel notch scrolls three lines of this many pixels, as text views do.
constexpr int LineStep = 20;

} // namespace

TNetScroller::TNetScroller(QWidget& window, TScrolledBox& ecra)
    : QObject(&window), ecra_(ecra), hbar_(new QScrollBar(Qt::Horizontal, &window)),
      vbar_(new QScrollBar(Qt::Vertical, &window)) {
    hbar_->setObjectName(QStringLiteral("HorzScrollBar"));
    vbar_->setObjectName(QStringLiteral("VertScrollBar"));
    for (QScrollBar* bar : {hbar_, vbar_}) {
        bar->setRange(0, 0);
        bar->setSingleStep(LineStep);
        bar->hide();
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (!settingBars_) ScrollTo(QPoint(hbar_->value(), vbar_->value()));
        });
    }
    qApp->installEventFilter(this);
}

void TNetScroller::ScheduleRange() {
    if (rangeScheduled_) return;
    rangeScheduled_ = true;
    QTimer::singleShot(0, this, [this] { UpdateRange(); });
}

namespace {

int Clamped(qint64 value) {
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

} // namespace

void TNetScroller::UpdateRange() {
    rangeScheduled_ = false;
    const TNetView& view = ecra_.View();
    const QPoint scroll = view.Scroll();
    const QSize size = ecra_.size();
    // On the zoomed plane: the net with its margin, and always the part now on screen.
    QRect reach(scroll, size);
    TRect bounds;
    if (NetBounds(ecra_.Elements(), bounds)) {
        // The drawing starts at the net's origin, as a page does: room is added before it
        // only for elements left of or above the origin.
        // Elements may stand at the ends of the coordinate range: the margin stops there.
        const QRect net = view.ToScreen(bounds).translated(scroll);
        const int left = net.left() < 0 ? Clamped(qint64(net.left()) - Margin) : 0;
        const int top = net.top() < 0 ? Clamped(qint64(net.top()) - Margin) : 0;
        const QPoint end(Clamped(qint64(net.right()) + Margin),
                         Clamped(qint64(net.bottom()) + Margin));
        reach = reach.united(QRect(QPoint(left, top), end));
    }
    settingBars_ = true;
    hbar_->setRange(reach.left(),
                    std::max(reach.left(), Clamped(qint64(reach.right()) + 1 - size.width())));
    vbar_->setRange(reach.top(),
                    std::max(reach.top(), Clamped(qint64(reach.bottom()) + 1 - size.height())));
    hbar_->setPageStep(std::max(1, size.width()));
    vbar_->setPageStep(std::max(1, size.height()));
    hbar_->setValue(scroll.x());
    vbar_->setValue(scroll.y());
    settingBars_ = false;
    hbar_->setVisible(hbar_->minimum() < hbar_->maximum());
    vbar_->setVisible(vbar_->minimum() < vbar_->maximum());
}

void TNetScroller::ScrollTo(QPoint scroll) {
    TNetView view = ecra_.View();
    if (view.Scroll() == scroll) return;
    view.SetScroll(scroll);
    ecra_.SetView(view);
    ScheduleRange();
}

void TNetScroller::SetZoom(double zoom, QPoint anchor) {
    TNetView view = ecra_.View();
    view.ZoomAbout(zoom, anchor);
    ecra_.SetView(view);
    UpdateRange();
    emit ViewChanged(view.Zoom());
}

void TNetScroller::ZoomIn() {
    ZoomKeepingTheNet(TNetView::StepUp(ecra_.View().Zoom()));
}

void TNetScroller::ZoomOut() {
    ZoomKeepingTheNet(TNetView::StepDown(ecra_.View().Zoom()));
}

void TNetScroller::ZoomReset() {
    ZoomKeepingTheNet(1.0);
}

namespace {

// The least shift of the net's span [a, b) along an axis of the view [0, size) that puts it
// wholly in view, with `margin` round it where that fits too; a span larger than the view
// is left covering it, so that no more than the margin shows beyond the net.
int KeepInView(int a, int b, int margin, int size) {
    const int room = b - a + 2 * margin <= size ? margin : 0;
    if (b - a + 2 * room <= size) {
        if (a - room < 0) return room - a;
        if (b + room > size) return size - b - room;
        return 0;
    }
    if (a - margin > 0) return margin - a;
    if (b + margin < size) return size - b - margin;
    return 0;
}

} // namespace

void TNetScroller::ZoomKeepingTheNet(double zoom) {
    const TNetView start = ecra_.View();
    TRect bounds;
    const bool any = NetBounds(ecra_.Elements(), bounds);
    ShowView([&](QSize size) {
        // About the middle of the view, then moved as little as keeps the net (with its
        // margin) in view: zooming in on a net in a corner would otherwise push it out.
        TNetView view = start;
        view.ZoomAbout(zoom, QPoint(size.width() / 2, size.height() / 2));
        if (any) {
            const QRect net = view.ToScreen(bounds);
            const QPoint shift(KeepInView(net.left(), net.right() + 1, Margin, size.width()),
                               KeepInView(net.top(), net.bottom() + 1, Margin, size.height()));
            view.SetScroll(view.Scroll() - shift);
        }
        return view;
    });
}

void TNetScroller::ShowView(const std::function<TNetView(QSize)>& viewFor) {
    // The bars may come or go with the new view and change the paint box's size: the view
    // is made once more for that size.
    for (int pass = 0; pass < 2; ++pass) {
        const QSize size = ecra_.size();
        ecra_.SetView(viewFor(size));
        UpdateRange();
        if (QWidget* window = ecra_.parentWidget())
            QCoreApplication::sendPostedEvents(window, QEvent::LayoutRequest);
        if (ecra_.size() == size) break;
    }
    emit ViewChanged(ecra_.View().Zoom());
}

void TNetScroller::FitToWindow() {
    TRect bounds;
    TNetView view;
    if (NetBounds(ecra_.Elements(), bounds)) {
        // Room for the margin and the bars, so fitting never brings the bars back.
        const double room = 2.0 * Margin + 8;
        const double w = std::max<double>(1, double(bounds.right) - bounds.left);
        const double h = std::max<double>(1, double(bounds.bottom) - bounds.top);
        const double width = ecra_.width() + (vbar_->isVisible() ? vbar_->width() : 0);
        const double height = ecra_.height() + (hbar_->isVisible() ? hbar_->height() : 0);
        const double zoom = std::min((width - room) / w, (height - room) / h);
        view.SetZoom(std::floor(std::max(zoom, 0.0) * 1000.0) / 1000.0);
        const QRect net = view.ToScreen(bounds);
        view.SetScroll(net.center() - QPoint(int(width) / 2, int(height) / 2));
    }
    ecra_.SetView(view);
    UpdateRange();
    emit ViewChanged(view.Zoom());
}

void TNetScroller::CentreOn(TPoint net) {
    const TNetView start = ecra_.View();
    ShowView([&](QSize size) {
        TNetView view = start;
        const QPoint plane(TNetView::Plane(net.x, view.Zoom()),
                           TNetView::Plane(net.y, view.Zoom()));
        view.SetScroll(plane - QPoint(size.width() / 2, size.height() / 2));
        return view;
    });
}

void TNetScroller::Wheel(QWheelEvent& event) {
    if (rangeScheduled_) UpdateRange(); // the bars must know the net as it is now
    const QPoint delta = event.angleDelta();
    const Qt::KeyboardModifiers mods = event.modifiers();
    if (mods & Qt::ControlModifier) {
        const int notches = (delta.y() != 0 ? delta.y() : delta.x()) / 120;
        double zoom = ecra_.View().Zoom();
        for (int i = 0; i < std::abs(notches); ++i)
            zoom = notches > 0 ? TNetView::StepUp(zoom) : TNetView::StepDown(zoom);
        if (notches != 0) SetZoom(zoom, event.position().toPoint());
        event.accept();
        return;
    }
    int dx = delta.x();
    int dy = delta.y();
    if ((mods & Qt::ShiftModifier) && dx == 0) std::swap(dx, dy);
    const QPoint scroll = ecra_.View().Scroll();
    // Scroll within the bars' range; they only grow by moving elements out.
    hbar_->setValue(
        std::clamp(scroll.x() - dx * 3 * LineStep / 120, hbar_->minimum(), hbar_->maximum()));
    vbar_->setValue(
        std::clamp(scroll.y() - dy * 3 * LineStep / 120, vbar_->minimum(), vbar_->maximum()));
    event.accept();
}

void TNetScroller::BeginPan(QPoint at) {
    if (rangeScheduled_) UpdateRange();
    panning_ = true;
    panFrom_ = at;
    panScroll_ = ecra_.View().Scroll();
    ecra_.setCursor(Qt::ClosedHandCursor);
}

void TNetScroller::PanTo(QPoint at) {
    if (!panning_) return;
    const QPoint want = panScroll_ - (at - panFrom_);
    hbar_->setValue(std::clamp(want.x(), hbar_->minimum(), hbar_->maximum()));
    vbar_->setValue(std::clamp(want.y(), vbar_->minimum(), vbar_->maximum()));
}

void TNetScroller::EndPan() {
    panning_ = false;
    if (spaceHeld_)
        ecra_.setCursor(Qt::OpenHandCursor);
    else
        ecra_.unsetCursor();
}

bool TNetScroller::eventFilter(QObject* watched, QEvent* event) {
    // Space held over the drawing turns a left drag into a pan. The drawing never takes the
    // focus (the weight box keeps it), so the key is watched wherever it goes.
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        QPoint at;
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier &&
            (ecra_.CursorOver(at) || spaceHeld_) && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == ecra_.window()) {
            const bool press = type == QEvent::KeyPress;
            if (!key->isAutoRepeat() && spaceHeld_ != press) {
                spaceHeld_ = press;
                if (!panning_) {
                    if (press)
                        ecra_.setCursor(Qt::OpenHandCursor);
                    else
                        ecra_.unsetCursor();
                }
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace veltra
