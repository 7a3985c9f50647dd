#include "ui/dialogs/loglist.h"

#include "model/valuelog.h"
#include "ui/dialogs/longtextview.h"
#include "ui/numbertip.h"

#include <QAbstractListModel>
#include <QHash>
#include <QKeyEvent>
#include <algorithm>
#include <vector>

namespace veltra {

namespace {

// The bytes of a sequence file show as the characters of their codes.
QString Latin1(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

class TLogListModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(begins_.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        if (role == Qt::DisplayRole) return Shown(index.row());
        if (role == Qt::ToolTipRole)
            return NumberTip(TextEndsOf(EntryView(index.row()), TipAsk, TipAsk, unit_),
                             static_cast<int>(ListedChars));
        return {};
    }

    std::string_view EntryView(int row) const {
        const auto r = static_cast<std::size_t>(row);
        const std::size_t begin = begins_[r];
        const std::size_t end = r + 1 < begins_.size() ? begins_[r + 1] - 2 : text_.size();
        return std::string_view(text_).substr(begin, end - begin);
    }

    QString Shown(int row) const {
        const std::string_view entry = EntryView(row);
        if (entry.size() <= ListedChars) return Latin1(entry);
        // A long entry is shortened once (its digits are counted over its whole text).
        auto cached = shortened_.constFind(row);
        if (cached != shortened_.constEnd()) return *cached;
        const TTextEnds ends = TextEndsOf(entry, ListedAsk, ListedAsk, unit_);
        return shortened_[row] = Latin1(ListedHead(ends)) +
                                 QString::fromStdString(ListedMiddle(ends)) +
                                 Latin1(ListedTail(ends));
    }

    void Clear() {
        beginResetModel();
        text_.clear();
        begins_.clear();
        shortened_.clear();
        endResetModel();
    }

    void Append(const TValueLog& log, std::size_t from) {
        if (from >= log.Size()) return;
        beginInsertRows({}, rowCount(), static_cast<int>(log.Size() - 1));
        unit_ = TTextEnds::TUnit::Digits;
        for (std::size_t k = from; k < log.Size(); ++k)
            Add(log.At(k));
        endInsertRows();
    }

    void SetLines(std::string_view text) {
        beginResetModel();
        shortened_.clear();
        text_.assign(text);
        begins_.clear();
        unit_ = TTextEnds::TUnit::Characters;
        if (text_.size() >= 2 && text_.compare(text_.size() - 2, 2, "\r\n") == 0)
            text_.resize(text_.size() - 2); // the break that ends the last line
        if (!text.empty()) {
            begins_.push_back(0);
            for (std::size_t at = 0; (at = text_.find("\r\n", at)) != std::string::npos; at += 2)
                begins_.push_back(at + 2);
        }
        endResetModel();
    }

    const std::string& Text() const { return text_; }

private:
    void Add(std::string_view entry) {
        if (!begins_.empty()) text_ += "\r\n";
        begins_.push_back(text_.size());
        text_ += entry;
    }

    std::string text_;                                 // the entries, CR LF between them
    std::vector<std::size_t> begins_;                  // where each entry begins in text_
    TTextEnds::TUnit unit_ = TTextEnds::TUnit::Digits; // values logged, or lines of a file
    mutable QHash<int, QString> shortened_;
};

TLogList::TLogList(QWidget* parent) : QListView(parent), model_(new TLogListModel(this)) {
    setModel(model_);
    setUniformItemSizes(true); // rows are not measured one by one
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            ShowLongText(this, QStringLiteral("History entry %1").arg(index.row() + 1),
                         Entry(index.row()));
    });
}

int TLogList::count() const {
    return model_->rowCount();
}

std::string TLogList::Entry(int row) const {
    if (row < 0 || row >= count()) return {};
    return std::string(model_->EntryView(row));
}

QString TLogList::Shown(int row) const {
    return row >= 0 && row < count() ? model_->Shown(row) : QString();
}

void TLogList::clear() {
    model_->Clear();
}

void TLogList::Append(const TValueLog& log, std::size_t from) {
    model_->Append(log, from);
}

void TLogList::SetLines(std::string_view text) {
    model_->SetLines(text);
}

const std::string& TLogList::Text() const {
    return model_->Text();
}

void TLogList::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) && currentIndex().isValid()) {
        CopyLongText(Entry(currentIndex().row()));
        return;
    }
    QListView::keyPressEvent(event);
}

} // namespace veltra
