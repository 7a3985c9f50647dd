#include "ui/ecra.h"

#include "model/dados.h"
#include "model/protoneuronio.h"
#include "model/sinapse.h"
#include "ui/drawingtexts.h"
#include "ui/drawingwindow.h"
#include "ui/glyphimages.h"
#include "ui/netrender.h"
#include "ui/netscroller.h"
#include "ui/qtcanvas.h"
#include "ui/textplacement.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <cstdlib>

namespace veltra {

TEcra::TEcra(TDrawingWindow& owner)
    : TScrolledBox(&owner), owner_(owner), scroller_(new TNetScroller(owner, *this)) {
    setObjectName(QStringLiteral("Ecra"));
    setMouseTracking(true);
    // Clicks in a drawing must not take the focus from the weight box, so a weight typed
    // there survives them.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont f = font();
    f.setPixelSize(13);
    setFont(f);
    // Values shown on the drawing follow a run at most once per frame.
    valueClock_.setSingleShot(true);
    valueClock_.setInterval(16);
    connect(&valueClock_, &QTimer::timeout, this, [this] {
        InvalidateAll();
        update();
    });
}

void TEcra::InvalidateModel(const QRect& area) {
    dirty_ += area;
    update(area);
}

void TEcra::InvalidateModel(const TRect& a) {
    QRect area = view_.Identity() ? QRect(QPoint(a.left, a.top), QPoint(a.right, a.bottom))
                                  : view_.ToScreen(a).adjusted(-1, -1, 1, 1);
    // Texts make room for each other and for glyphs, so a change anywhere may move a text
    // anywhere: they are placed again and the whole view is composed.
    if (DrawingTexts().Any()) {
        area = rect();
        texts_.reset();
    }
    InvalidateModel(area);
    // The net may have grown past the scroll range.
    scroller_->ScheduleRange();
}

void TEcra::InvalidateAll() {
    texts_.reset();
    InvalidateModel(rect());
    scroller_->ScheduleRange();
}

void TEcra::ValuesChanged() {
    if (!DrawingTexts().values || valueClock_.isActive()) return;
    valueClock_.start();
}

void TEcra::SetView(const TNetView& view) {
    const QPoint delta = view.Scroll() - view_.Scroll();
    const bool sameZoom = view.Zoom() == view_.Zoom();
    const bool shift = sameZoom && screen_.size() == size() && std::abs(delta.x()) < width() &&
                       std::abs(delta.y()) < height();
    view_ = view;
    // The texts' places hold at any scroll, not at another zoom.
    if (!sameZoom) texts_.reset();
    TDados& document = owner_.Document();
    if (document.dragState == TDragState::Drawing && document.pendingSynapse) {
        // The rubber band is on the screen only, drawn in the inverting pen: compose the
        // new view and draw it again there, so the next mouse move erases it where it is.
        InvalidateAll();
        Compose();
        auto canvas = owner_.ScreenCanvas();
        document.pendingSynapse->DrawRubberBand(*canvas);
        update();
        return;
    }
    if (!shift) {
        InvalidateModel(rect());
        scroller_->ScheduleRange();
        return;
    }
    // A scroll at the same zoom moves what is on screen (gesture figures included, which
    // stay where they are on the net) and composes only the strips it uncovers.
    screen_ = screen_.copy(QRect(delta, screen_.size()));
    dirty_.translate(-delta);
    for (const QRect& r : QRegion(rect()).subtracted(QRegion(rect().translated(-delta))))
        InvalidateModel(r);
    update();
    scroller_->ScheduleRange();
}

const TProtoLista& TEcra::Elements() const {
    return owner_.Document().Elements();
}

QPoint TEcra::Net(QPoint screen) const {
    const TPoint p = view_.ToNet(screen);
    return {p.x, p.y};
}

void TEcra::Compose() {
    if (screen_.size() != size()) {
        screen_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        screen_.fill(Qt::white);
        dirty_ = QRegion(rect());
    }
    dirty_ &= rect();
    if (dirty_.isEmpty()) return;
    // Only the invalid area is composed, in an image of its own size: a scroll step draws
    // the strip it uncovers, not the whole view.
    const QRect area = dirty_.boundingRect();
    TNetView local = view_;
    local.SetScroll(view_.Scroll() + area.topLeft());
    const QRect whole(QPoint(0, 0), area.size());
    // An area that is one rectangle (a whole repaint, a scroll's strip) is composed where
    // it stands on the screen image, which saves making and copying a picture of that size.
    const bool inPlace = dirty_.rectCount() == 1;
    QImage offscreen;
    if (inPlace) {
        const qsizetype stride = screen_.bytesPerLine();
        uchar* at = screen_.bits() + area.y() * stride + qsizetype{area.x()} * 4;
        offscreen = QImage(at, area.width(), area.height(), stride, QImage::Format_RGB32);
    } else {
        offscreen = QImage(area.size(), QImage::Format_RGB32);
    }
    offscreen.fill(Qt::white);
    {
        // Every straight figure writes its edge points to the status line, in a repaint too.
        TQtCanvas composer(offscreen, TGlyphImages::Shared(),
                           [this](const std::string& text) { owner_.ShowStatus(text); });
        composer.SetClip(whole);
        composer.SetView(local);
        DrawNetArea(Elements(), composer, local.ToNet(whole));
    }
    if (DrawingTexts().Any()) {
        // Placed on the unscrolled plane once per change, so that a scroll composing only
        // the strip it uncovers finds every text where the rest of the view has it.
        if (!texts_) {
            TNetView plane = view_;
            plane.SetScroll({});
            texts_ = PlaceTexts(Elements(), plane, font(), DrawingTexts());
        }
        QPainter text(&offscreen);
        text.setFont(font());
        text.setClipRegion(dirty_.translated(-area.topLeft()));
        DrawPlacedTexts(text, *texts_, local.Scroll(), whole);
    }
    if (!inPlace) {
        QPainter p(&screen_);
        p.setClipRegion(dirty_);
        p.drawImage(area.topLeft(), offscreen);
    }
    dirty_ = QRegion();
}

void TEcra::paintEvent(QPaintEvent* event) {
    Compose();
    QPainter p(this);
    p.drawImage(event->rect(), screen_, event->rect());
    TRect band;
    if (owner_.Band(band)) {
        p.setPen(QPen(QColor::fromRgb(SelectionMarkColour), 1, Qt::DotLine));
        p.drawRect(view_.ToScreen(band));
    }
    if (owner_.SelectionEmpty()) return;
    // The selection is marked over the picture, not in it: gestures drawn in the inverting
    // pen on the picture never meet the marks.
    p.setPen(QPen(QColor::fromRgb(SelectionMarkColour), 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    for (const TProtoNeuronio* e : owner_.Selection()) {
        // Saturating: an element may stand at the very end of the coordinate range.
        const QRect glyph = view_.ToScreen(e->GlyphBox());
        const QRect box(
            QPoint(ShiftCoordinate(glyph.left(), -2), ShiftCoordinate(glyph.top(), -2)),
            QPoint(ShiftCoordinate(glyph.right(), 2), ShiftCoordinate(glyph.bottom(), 2)));
        if (box.intersects(event->rect())) p.drawRect(box);
    }
}

void TEcra::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    InvalidateAll();
}

bool TEcra::CursorPos(QPoint& pos) const {
    pos = Net(cursor_);
    return cursorInside_;
}

bool TEcra::CursorOver(QPoint& pos) const {
    pos = cursor_;
    return cursorInside_;
}

void TEcra::mousePressEvent(QMouseEvent* event) {
    cursor_ = event->position().toPoint();
    cursorInside_ = true;
    if (event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && scroller_->SpaceHeld())) {
        scroller_->BeginPan(cursor_);
        return;
    }
    const QPoint p = Net(cursor_);
    owner_.EcraMouseDown(event->button(), p.x(), p.y(), event->modifiers());
}

void TEcra::mouseMoveEvent(QMouseEvent* event) {
    cursor_ = event->position().toPoint();
    cursorInside_ = true;
    if (scroller_->Panning()) {
        scroller_->PanTo(cursor_);
        return;
    }
    const QPoint p = Net(cursor_);
    owner_.EcraMouseMove(p.x(), p.y());
}

void TEcra::mouseReleaseEvent(QMouseEvent* event) {
    if (scroller_->Panning()) {
        scroller_->EndPan();
        return;
    }
    const QPoint p = Net(event->position().toPoint());
    owner_.EcraMouseUp(p.x(), p.y());
}

void TEcra::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = Net(event->position().toPoint());
    owner_.EcraDblClick(p.x(), p.y());
}

void TEcra::wheelEvent(QWheelEvent* event) {
    scroller_->Wheel(*event);
}

void TEcra::leaveEvent(QEvent* event) {
    cursorInside_ = false;
    QWidget::leaveEvent(event);
}

} // namespace veltra
