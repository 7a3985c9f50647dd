// The nine 16 x 16 pictures the Info dialog's tree and the element lists of the module
// dialogs show, addressed by image index (neuron 0, bias 1, input 2, output 3, synapse 4,
// 10/01 5, coordinates 6, item 7, module 8), and the owner drawing those lists share.
#pragma once

#include "model/glyphs.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <array>

class QListWidget;
class QListWidgetItem;

namespace veltra {

class TProtoNeuronio;

class TImageList {
public:
    static constexpr int Count = 9;
    static const TImageList& Shared();

    // The picture on its olive background, as drawn.
    const QPixmap& Raw(int index) const { return raw_.at(static_cast<std::size_t>(index)); }
    // The picture with olive treated as transparent.
    const QPixmap& Picture(int index) const { return clear_.at(static_cast<std::size_t>(index)); }
    QIcon Icon(int index) const;

    static QColor Transparent() { return {128, 128, 0}; }

private:
    TImageList();
    std::array<QPixmap, Count> raw_;
    std::array<QPixmap, Count> clear_;
};

// Roles of the items of an owner-drawn element list.
enum TElementItemRole { ElementRole = Qt::UserRole, KindRole = Qt::UserRole + 1 };

// Adds an item showing the element's label and holding the element. The kind is stored
// too, so painting never has to reach the element.
QListWidgetItem* AddElementItem(QListWidget& list, TProtoNeuronio* element);
TProtoNeuronio* ItemElement(const QListWidgetItem* item);

// The picture an element list shows for an item: input 2, neuron 0, none (-1) otherwise.
int ListPictureIndex(int kind);

// Owner drawing of one item: the rectangle filled with the list's background, the picture
// at (left + 2, top), the text at picture width + 6 from the left edge (6 without one).
class TElementItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int ItemHeight = 16;
    // Where the text starts, from the item's left edge.
    static int TextOffset(int pictureIndex);
};

} // namespace veltra
