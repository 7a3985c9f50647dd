// The rows of the Execution Browser's list as an item model: one row per watched element,
// columns "Element" and "Value". A refresh of the same elements changes the texts in place
// and tells the view once, so long runs stay cheap.
#pragma once

#include "execution/runcontrol.h"

#include <QAbstractTableModel>
#include <vector>

namespace veltra {

class TRunViewModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Takes the rows of a refresh: rebuilt when other elements are listed, otherwise only
    // the rows whose texts changed are reported to the view. While held, changed texts are
    // collected and reported together by the next Flush.
    void SetRows(const std::vector<TWatchRow>& rows);
    void Hold(bool hold);
    void Flush();
    void RemoveRow(int row);
    TProtoNeuronio* Element(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TWatchRow> rows_;
    bool held_ = false;
    int firstChanged_ = -1; // the rows changed since the view was last told
    int lastChanged_ = -1;
};

} // namespace veltra
