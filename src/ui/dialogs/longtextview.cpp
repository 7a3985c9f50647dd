#include "ui/dialogs/longtextview.h"

#include <QAbstractListModel>
#include <QClipboard>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
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

void CopyLongText(const std::string& text) {
    QGuiApplication::clipboard()->setText(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void ShowLongText(QWidget* parent, const QString& title, std::string text) {
    // On top, as the tool windows it is opened from are: it opens above them.
    auto* window = new QDialog(parent);
    window->setWindowFlags(window->windowFlags() | Qt::WindowStaysOnTopHint |
                           Qt::WindowMinMaxButtonsHint);
    window->setObjectName(QStringLiteral("LongTextViewer"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    auto* view = new TLongTextView(window);
    view->setObjectName(QStringLiteral("LongTextView"));
    auto* length = new QLabel(QStringLiteral("%1 characters")
                                  .arg(QLocale(QLocale::English).toString(qulonglong(text.size()))),
                              window);
    auto* copy = new QPushButton(QStringLiteral("&Copy"), window);
    copy->setObjectName(QStringLiteral("LongTextCopy"));
    auto* close = new QPushButton(QStringLiteral("Close"), window);
    close->setDefault(true);
    QObject::connect(copy, &QPushButton::clicked, view, [view] { CopyLongText(view->Text()); });
    QObject::connect(close, &QPushButton::clicked, window, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(length, 1);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(view, 1);
    layout->addLayout(buttons);
    view->SetText(std::move(text));
    // Room for a row of the view beside its scroll bar, and some twenty rows.
    const QFontMetrics metrics(view->font());
    window->resize(
        metrics.horizontalAdvance(QString(TLongTextView::RowChars + 12, QLatin1Char('0'))),
        metrics.height() * 24);
    window->show();
}

} // namespace veltra
