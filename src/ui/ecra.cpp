#include "ui/ecra.h"

#include "ui/glyphimages.h"
#include "ui/mdichild.h"
#include "ui/qtcanvas.h"

#include <QMouseEvent>
#include <QPainter>

namespace veltra {

TEcra::TEcra(TMDIChild& owner) : QWidget(&owner), owner_(owner) {
    setObjectName(QStringLiteral("Ecra"));
    setMouseTracking(true);
    // Clicks in a drawing must not take the focus from the weight box, so a weight typed
    // there survives them.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont f = font();
    f.setPixelSize(13);
    setFont(f);
}

void TEcra::InvalidateModel(const QRect& area) {
    dirty_ += area;
    update(area);
}

void TEcra::InvalidateModel(const TRect& a) {
    InvalidateModel(QRect(QPoint(a.left, a.top), QPoint(a.right, a.bottom)));
}

void TEcra::InvalidateAll() {
    InvalidateModel(rect());
}

void TEcra::Compose() {
    if (screen_.size() != size()) {
        screen_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        screen_.fill(Qt::white);
        dirty_ = QRegion(rect());
    }
    if (dirty_.isEmpty()) return;
    QImage offscreen(screen_.size(), QImage::Format_RGB32);
    offscreen.fill(Qt::white);
    {
        // Every straight figure writes its edge points to the status line, in a repaint too.
        TQtCanvas composer(offscreen, TGlyphImages::Shared(),
                           [this](const std::string& text) { owner_.ShowStatus(text); });
        composer.SetClip(dirty_.boundingRect());
        owner_.Document().DrawAll(composer);
    }
    QPainter p(&screen_);
    p.setClipRegion(dirty_);
    p.drawImage(0, 0, offscreen);
    dirty_ = QRegion();
}

void TEcra::paintEvent(QPaintEvent* event) {
    Compose();
    QPainter p(this);
    p.drawImage(event->rect(), screen_, event->rect());
}

void TEcra::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    InvalidateAll();
}

bool TEcra::CursorPos(QPoint& pos) const {
    pos = cursor_;
    return cursorInside_;
}

void TEcra::mousePressEvent(QMouseEvent* event) {
    cursor_ = event->position().toPoint();
    cursorInside_ = true;
    owner_.EcraMouseDown(event->button(), cursor_.x(), cursor_.y());
}

void TEcra::mouseMoveEvent(QMouseEvent* event) {
    cursor_ = event->position().toPoint();
    cursorInside_ = true;
    owner_.EcraMouseMove(cursor_.x(), cursor_.y());
}

void TEcra::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    owner_.EcraMouseUp(p.x(), p.y());
}

void TEcra::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    owner_.EcraDblClick(p.x(), p.y());
}

void TEcra::leaveEvent(QEvent* event) {
    cursorInside_ = false;
    QWidget::leaveEvent(event);
}

} // namespace veltra
