// Edit -> Find: the elements of the active net whose label holds the text typed (in any
// case), in the net's order; the one picked is selected and centred in its window.
#pragma once

#include <QDialog>
#include <vector>

class QLineEdit;
class QListWidget;

namespace veltra {

class TDesktopHost;
class TProtoNeuronio;

class TFindDialog final : public QDialog {
public:
    explicit TFindDialog(QWidget* parent);

    // The elements to look among; the text typed stays from the last search.
    void Load(const std::vector<TProtoNeuronio*>& elements);
    // The element of the current row, null when the list is empty.
    TProtoNeuronio* Chosen() const;
    // The elements listed now.
    const std::vector<TProtoNeuronio*>& Matches() const { return shown_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Filter();

    QLineEdit* text_;
    QListWidget* list_;
    std::vector<TProtoNeuronio*> elements_;
    std::vector<TProtoNeuronio*> shown_;
};

// The command: asks in the dialog, then selects the element and centres the view on it.
void FindItemClick(TDesktopHost& host);

} // namespace veltra
