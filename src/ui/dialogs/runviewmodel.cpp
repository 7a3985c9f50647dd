#include "ui/dialogs/runviewmodel.h"

#include "model/protolista.h"
#include "model/protoneuronio.h"
#include "ui/dialogs/kindicon.h"
#include "ui/numbertip.h"

#include <QIcon>
#include <algorithm>

namespace veltra {

namespace {

// The browser's ImageList: 0 neuron, 1 input, 2 output.
const QIcon& RowIcon(int image) {
    static const QIcon icons[] = {QIcon(KindPixmap(TGlyphKind::Neuron)),
                                  QIcon(KindPixmap(TGlyphKind::Input)),
                                  QIcon(KindPixmap(TGlyphKind::Output))};
    return icons[image >= 0 && image < 3 ? image : 0];
}

// About what the value column shows at its first width; a longer value gets a tooltip.
constexpr int ValueChars = 20;

} // namespace

TRunViewModel::TRunViewModel(QObject* parent) : QAbstractTableModel(parent) {
    // A row may outlive its element by a moment (an element deleted while the list shows
    // it): the row keeps its last text and stops reading the element.
    connect(&notices_, &TNetSignals::elementLeaving, this,
            [this](const TProtoNeuronio* e, bool released) {
                if (!released) return;
                for (Row& row : rows_)
                    if (row.element == e) row.element = nullptr;
            });
}

TRunViewModel::~TRunViewModel() {
    notices_.StopObservingAll();
}

void TRunViewModel::SetElements(const std::vector<TProtoNeuronio*>& elements) {
    const bool same =
        elements.size() == rows_.size() &&
        std::equal(elements.begin(), elements.end(), rows_.begin(),
                   [](TProtoNeuronio* e, const Row& row) { return e == row.element; });
    if (same) return;
    beginResetModel();
    rows_.clear();
    rows_.reserve(elements.size());
    for (TProtoNeuronio* e : elements) {
        rows_.push_back({e, KindInfo(e->Kind()).rowImage, {}, {}, 0});
        if (TProtoLista* list = e->Owner()) notices_.Observe(*list);
    }
    changed_ = false;
    endResetModel();
}

void TRunViewModel::ValuesChanged() {
    ++generation_;
    changed_ = true;
    if (!held_) Flush();
}

void TRunViewModel::Hold(bool hold) {
    held_ = hold;
    if (!held_) Flush();
}

void TRunViewModel::Flush() {
    if (!changed_) return;
    changed_ = false;
    // The view repaints what it shows of these rows, and asks for those texts only.
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 1), {Qt::DisplayRole});
}

void TRunViewModel::RemoveRow(int row) {
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

TProtoNeuronio* TRunViewModel::Element(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].element : nullptr;
}

int TRunViewModel::RowOf(const TProtoNeuronio* element) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (element != nullptr && rows_[i].element == element) return static_cast<int>(i);
    return -1;
}

const std::string& TRunViewModel::ValueText(const Row& row) const {
    if (row.made != generation_ && row.element != nullptr) {
        row.value = row.element->ValueText();
        row.made = generation_;
        ++formatted_;
    }
    return row.value;
}

int TRunViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TRunViewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant TRunViewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        if (index.column() == 1) return QString::fromStdString(ValueText(row));
        if (row.element != nullptr) row.caption = row.element->Label();
        return QString::fromStdString(row.caption);
    }
    if (role == Qt::DecorationRole && index.column() == 0)
        return RowIcon(static_cast<int>(row.image));
    // A value too long for its column shows whole on hover.
    if (role == Qt::ToolTipRole && index.column() == 1)
        return NumberTip(QString::fromStdString(ValueText(row)), ValueChars);
    return {};
}

QVariant TRunViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? QStringLiteral("Element") : QStringLiteral("Value");
}

} // namespace veltra
