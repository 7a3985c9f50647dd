#include "ui/dialogs/runviewmodel.h"

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

void TRunViewModel::SetRows(const std::vector<TWatchRow>& rows) {
    const bool sameElements =
        rows.size() == rows_.size() &&
        std::equal(rows.begin(), rows.end(), rows_.begin(),
                   [](const TWatchRow& a, const TWatchRow& b) { return a.element == b.element; });
    if (!sameElements) {
        beginResetModel();
        rows_ = rows;
        firstChanged_ = lastChanged_ = -1;
        endResetModel();
        return;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        TWatchRow& mine = rows_[i];
        if (mine.caption == rows[i].caption && mine.value == rows[i].value) continue;
        mine.caption = rows[i].caption;
        mine.value = rows[i].value;
        const int row = static_cast<int>(i);
        if (firstChanged_ < 0 || row < firstChanged_) firstChanged_ = row;
        lastChanged_ = std::max(lastChanged_, row);
    }
    if (!held_) Flush();
}

void TRunViewModel::Hold(bool hold) {
    held_ = hold;
    if (!held_) Flush();
}

void TRunViewModel::Flush() {
    if (firstChanged_ < 0) return;
    const int first = std::min(firstChanged_, rowCount() - 1);
    const int last = std::min(lastChanged_, rowCount() - 1);
    firstChanged_ = lastChanged_ = -1;
    if (first >= 0 && last >= first)
        emit dataChanged(index(first, 0), index(last, 1), {Qt::DisplayRole});
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

int TRunViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TRunViewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant TRunViewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const TWatchRow& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return QString::fromStdString(index.column() == 0 ? row.caption : row.value);
    if (role == Qt::DecorationRole && index.column() == 0)
        return RowIcon(static_cast<int>(row.image));
    // A value too long for its column shows whole on hover.
    if (role == Qt::ToolTipRole && index.column() == 1)
        return NumberTip(QString::fromStdString(row.value), ValueChars);
    return {};
}

QVariant TRunViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? QStringLiteral("Element") : QStringLiteral("Value");
}

} // namespace veltra
