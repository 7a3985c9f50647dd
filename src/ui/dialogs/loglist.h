// The output page's history list (ListBoxLog): one entry per recorded step, held as one run of
// bytes with where each entry begins, so that a history of millions of entries, or of values
// of millions of digits, shows at once. Only the entries in sight are formatted, a long one
// shortened as lists show it; it shows whole on hover (its ends when too long to read), in a
// viewer on a double click, and Copy takes it whole.
#pragma once

#include <QListView>
#include <string>
#include <string_view>

namespace veltra {

class TLogListModel;
class TValueLog;

class TLogList final : public QListView {
    Q_OBJECT
public:
    explicit TLogList(QWidget* parent = nullptr);

    int count() const;
    // The entry's bytes, whole.
    std::string Entry(int row) const;
    // The entry as the list shows it.
    QString Shown(int row) const;
    void clear();
    // Adds the log's entries from `from` on.
    void Append(const TValueLog& log, std::size_t from);
    // Takes the lines of a sequence file's text (CR LF between them) as the entries; the
    // break that ends the last line adds none.
    void SetLines(std::string_view text);
    // The entries, CR LF between them.
    const std::string& Text() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    TLogListModel* model_;
};

} // namespace veltra
