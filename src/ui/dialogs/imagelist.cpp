#include "ui/dialogs/imagelist.h"

#include "model/protoneuronio.h"

#include <QBitmap>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>

namespace veltra {

namespace {

constexpr int Side = 16;

// Small text without smoothing, so no pixel blends into the olive background.
QFont PictureFont(int pixels, bool bold = true) {
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void Letter(QPainter& p, const QString& text, const QColor& colour, int pixels, QRect box = {}) {
    p.setPen(colour);
    p.setFont(PictureFont(pixels));
    p.drawText(box.isNull() ? QRect(0, 0, Side, Side) : box, Qt::AlignCenter, text);
}

void Circle(QPainter& p, const QColor& fill, const QColor& line) {
    p.setPen(line);
    p.setBrush(fill);
    p.drawEllipse(1, 1, Side - 3, Side - 3);
    p.setBrush(Qt::NoBrush);
}

void Boxed(QPainter& p, const QString& word, const QColor& fill, int pixels) {
    p.setPen(Qt::black);
    p.setBrush(fill);
    p.drawRect(0, 3, Side - 1, 9);
    p.setBrush(Qt::NoBrush);
    Letter(p, word, Qt::white, pixels, QRect(0, 3, Side, 10));
}

void CurvedArrow(QPainter& p) {
    QPainterPath path(QPointF(2, 13));
    path.cubicTo(QPointF(2, 3), QPointF(9, 2), QPointF(12, 6));
    p.setPen(QPen(Qt::black, 1));
    p.drawPath(path);
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygon({QPoint(9, 7), QPoint(14, 9), QPoint(14, 3)}));
    p.setBrush(Qt::NoBrush);
}

QPixmap Draw(int index) {
    QImage image(Side, Side, QImage::Format_RGB32);
    image.fill(TImageList::Transparent());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    switch (index) {
    case 0:
        Circle(p, Qt::black, Qt::black);
        Letter(p, QStringLiteral("N"), Qt::white, 10);
        break;
    case 1:
        Circle(p, Qt::white, Qt::black);
        Letter(p, QStringLiteral("B"), Qt::black, 10);
        break;
    case 2:
        Boxed(p, QStringLiteral("in"), QColor(200, 0, 0), 8);
        break;
    case 3:
        Boxed(p, QStringLiteral("out"), QColor(0, 150, 0), 7);
        break;
    case 4:
        CurvedArrow(p);
        break;
    case 5:
        Letter(p, QStringLiteral("10"), Qt::black, 7, QRect(0, 0, Side, 8));
        Letter(p, QStringLiteral("01"), Qt::black, 7, QRect(0, 8, Side, 8));
        break;
    case 6:
        Letter(p, QStringLiteral("(xy)"), Qt::black, 7);
        break;
    case 7:
        Letter(p, QStringLiteral("i"), QColor(0, 0, 160), 12);
        break;
    case 8:
        Circle(p, QColor(0, 0, 200), QColor(0, 0, 120));
        Letter(p, QStringLiteral("M"), Qt::white, 9);
        break;
    default:
        break;
    }
    p.end();
    return QPixmap::fromImage(image);
}

} // namespace

TImageList::TImageList() {
    for (int i = 0; i < Count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        raw_[at] = Draw(i);
        clear_[at] = raw_[at];
        clear_[at].setMask(raw_[at].createMaskFromColor(Transparent(), Qt::MaskInColor));
    }
}

const TImageList& TImageList::Shared() {
    static const TImageList list;
    return list;
}

QIcon TImageList::Icon(int index) const {
    return index >= 0 && index < Count ? QIcon(Picture(index)) : QIcon();
}

QListWidgetItem* AddElementItem(QListWidget& list, TProtoNeuronio* element) {
    auto* item = new QListWidgetItem(QString::fromStdString(element->Label()), &list);
    item->setData(ElementRole, QVariant::fromValue(reinterpret_cast<quintptr>(element)));
    item->setData(KindRole, static_cast<int>(element->Kind()));
    return item;
}

TProtoNeuronio* ItemElement(const QListWidgetItem* item) {
    if (item == nullptr) return nullptr;
    return reinterpret_cast<TProtoNeuronio*>(item->data(ElementRole).value<quintptr>());
}

int ListPictureIndex(int kind) {
    if (kind == static_cast<int>(TElementKind::Input)) return 2;
    if (kind == static_cast<int>(TElementKind::Neuron)) return 0;
    return -1;
}

int TElementItemDelegate::TextOffset(int pictureIndex) {
    const int width = pictureIndex >= 0 ? TImageList::Shared().Picture(pictureIndex).width() : 0;
    return width + 6;
}

void TElementItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QRect r = option.rect;
    painter->save();
    painter->fillRect(r, selected ? option.palette.highlight() : option.palette.base());
    const QVariant kind = index.data(KindRole);
    const int picture = kind.isValid() ? ListPictureIndex(kind.toInt()) : -1;
    if (picture >= 0)
        painter->drawPixmap(r.left() + 2, r.top(), TImageList::Shared().Picture(picture));
    painter->setPen(selected ? option.palette.highlightedText().color()
                             : option.palette.text().color());
    painter->setFont(option.font);
    const QRect text(r.left() + TextOffset(picture), r.top(), r.width(), r.height());
    painter->drawText(text, Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
    if ((option.state & QStyle::State_HasFocus) != 0) {
        painter->setPen(QPen(option.palette.text().color(), 1, Qt::DotLine));
        painter->drawRect(r.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QSize TElementItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), ItemHeight};
}

} // namespace veltra
