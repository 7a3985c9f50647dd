#include "ui/dialogs/longtextview.h"

#include <QAbstractListModel>
#include <QFontDatabase>
#include <algorithm>

namespace veltra {

// Rows over the text's bytes. A row is found from a table of where each line begins and how
// many rows come before it, so a text of one huge line costs nothing to index.
class TLongTextModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void SetText(std::string text) {
        beginResetModel();
        text_ = std::move(text);
        lines_.clear();
        std::size_t begin = 0;
        std::size_t rowsBefore = 0;
        const char* data = text_.data();
        const std::size_t size = text_.size();
        for (;;) {
            // One pass over the bytes: a text of many short lines stays linear too.
            const char* stop = std::find_if(data + begin, data + size,
                                            [](char c) { return c == '\r' || c == '\n'; });
            const auto end = static_cast<std::size_t>(stop - data);
            lines_.push_back({begin, end - begin, rowsBefore});
            rowsBefore += std::max<std::size_t>(1, (end - begin + RowChars - 1) / RowChars);
            if (end >= size) break;
            begin = end + (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n' ? 2 : 1);
        }
        rows_ = static_cast<int>(std::min<std::size_t>(rowsBefore, INT32_MAX));
        endResetModel();
    }

    const std::string& Text() const { return text_; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : rows_;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) return {};
        return RowText(index.row());
    }

    QString RowText(int row) const {
        const auto r = static_cast<std::size_t>(row);
        const auto line =
            std::upper_bound(lines_.begin(), lines_.end(), r,
                             [](std::size_t x, const TLine& l) { return x < l.rowsBefore; }) -
            1;
        const std::size_t offset = (r - line->rowsBefore) * RowChars;
        const std::size_t length =
            std::min<std::size_t>(RowChars, line->length - std::min(offset, line->length));
        // Sequence files are bytes: each shows as the character of its own code.
        return QString::fromLatin1(text_.data() + line->begin + offset,
                                   static_cast<qsizetype>(length));
    }

private:
    static constexpr std::size_t RowChars = TLongTextView::RowChars;
    struct TLine {
        std::size_t begin;
        std::size_t length;
        std::size_t rowsBefore;
    };
    std::string text_;
    std::vector<TLine> lines_;
    int rows_ = 0;
};

TLongTextView::TLongTextView(QWidget* parent)
    : QListView(parent), model_(new TLongTextModel(this)) {
    setModel(model_);
    setUniformItemSizes(true); // row heights are not measured one by one
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    model_->SetText({});
}

void TLongTextView::SetText(std::string text) {
    model_->SetText(std::move(text));
}

const std::string& TLongTextView::Text() const {
    return model_->Text();
}

int TLongTextView::RowCount() const {
    return model_->rowCount();
}

QString TLongTextView::RowText(int row) const {
    return model_->RowText(row);
}

} // namespace veltra
