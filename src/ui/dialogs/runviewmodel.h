// The rows of the Execution Browser's list as an item model: one row per watched element,
// columns "Element" and "Value". The model holds the elements, not their texts: a value is
// formatted when its row is painted (or otherwise asked for) and the text is kept until the
// next step, so a run formats only the rows on screen, once per repaint, however many are
// watched and however fast it steps. A long value or sequence is shown shortened, made from
// its two ends without its whole text; the whole text is made only when asked for (copy,
// the viewer).
#pragma once

#include "model/elementkind.h"
#include "ui/netsignals.h"

#include <QAbstractTableModel>
#include <string>
#include <vector>

namespace veltra {

class TProtoNeuronio;

class TRunViewModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TRunViewModel(QObject* parent = nullptr);
    ~TRunViewModel() override;

    // Takes the watched elements in list order: the rows are rebuilt when other elements are
    // listed, otherwise left as they are.
    void SetElements(const std::vector<TProtoNeuronio*>& elements);
    // Every value may have changed (a step, a reset): the texts are made afresh when next
    // asked for, and the view is told, at once or, while held, by the next Flush.
    void ValuesChanged();
    void Hold(bool hold);
    void Flush();
    void RemoveRow(int row);
    TProtoNeuronio* Element(int row) const;
    // The row of an element, -1 when it has none.
    int RowOf(const TProtoNeuronio* element) const;
    // How many value texts have been made for showing.
    long long Formatted() const { return formatted_; }
    // The whole ValueText of the row's element (empty once the element is released).
    std::string WholeValue(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        TProtoNeuronio* element; // null once the element is released: the last text stays
        TRowImage image;
        mutable std::string caption;     // the label as last read
        mutable QString value;           // the shown text of the value as of `made`
        mutable unsigned long long made; // the generation the text was made in
    };
    // The shown value text of the row, made now if the values changed since it was last made.
    const QString& ValueText(const Row& row) const;

    std::vector<Row> rows_;
    unsigned long long generation_ = 1; // rows' texts of an older generation are stale
    mutable long long formatted_ = 0;
    bool held_ = false;
    bool changed_ = false; // the values changed since the view was last told
    TNetSignals notices_;  // rows stop reading elements as they are released
};

} // namespace veltra
