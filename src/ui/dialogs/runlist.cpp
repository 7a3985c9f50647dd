#include "ui/dialogs/runlist.h"

#include "execution/runcontrol.h"
#include "model/protoneuronio.h"
#include "ui/desktophost.h"
#include "ui/dialogs/kindicon.h"
#include "ui/prompter.h"

#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace veltra {

namespace {

constexpr int ItemHeight = 16;
constexpr int KindRole = Qt::UserRole + 1;

// Each entry: the background, the element's picture 2 pixels in from the left at the top,
// and the label after the picture and 6 more pixels.
class TRunListDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect,
                          option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        const auto kind = static_cast<TGlyphKind>(index.data(KindRole).toInt());
        const QPixmap& picture = Picture(kind);
        painter->drawPixmap(option.rect.left() + 2, option.rect.top(), picture);
        painter->setPen(
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect textRect = option.rect.adjusted(picture.width() + 6, 0, 0, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop,
                          index.data(Qt::DisplayRole).toString());
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), ItemHeight};
    }

private:
    // The glyphs are taller than an entry: scaled down to the entry's height.
    static const QPixmap& Picture(TGlyphKind kind) {
        static const QPixmap pictures[] = {Scaled(TGlyphKind::Neuron), Scaled(TGlyphKind::Bias),
                                           Scaled(TGlyphKind::Input), Scaled(TGlyphKind::Output),
                                           Scaled(TGlyphKind::Module)};
        return pictures[static_cast<int>(kind)];
    }
    static QPixmap Scaled(TGlyphKind kind) {
        return KindPixmap(kind).scaledToHeight(ItemHeight, Qt::SmoothTransformation);
    }
};

} // namespace

TFormRunList::TFormRunList(TDesktopHost& host)
    : QDialog(&host.MainWindow(), Qt::Dialog), host_(host) {
    setObjectName(QStringLiteral("FormRunList"));
    setWindowTitle(QStringLiteral("Run List"));
    setFixedSize(250, 220);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListBoxRunList"));
    list_->setGeometry(8, 8, 234, 166);
    list_->setItemDelegate(new TRunListDelegate(list_));
    list_->setUniformItemSizes(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ButtonOK"));
    ok->setGeometry(44, 184, 75, 26);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { ButtonOKClick(); });
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    cancel->setGeometry(131, 184, 75, 26);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });
}

void TFormRunList::Fill(const std::vector<TProtoNeuronio*>& elements) {
    list_->clear();
    elements_ = elements;
    for (TProtoNeuronio* element : elements_) {
        auto* item = new QListWidgetItem(QString::fromStdString(element->Label()), list_);
        item->setData(KindRole, static_cast<int>(element->Kind()));
    }
}

void TFormRunList::ButtonOKClick() {
    const int row = list_->currentItem() != nullptr && list_->currentItem()->isSelected()
                        ? list_->currentRow()
                        : -1;
    if (row < 0 || row >= static_cast<int>(elements_.size())) {
        host_.Prompter().Message(this, QString::fromLatin1(SelectIoText));
        return;
    }
    chosenElement_ = elements_[static_cast<std::size_t>(row)];
    chosen_ = true;
    accept();
}

void TFormRunList::ButtonCancelClick() {
    chosenElement_ = nullptr;
    chosen_ = false;
    reject();
}

} // namespace veltra
