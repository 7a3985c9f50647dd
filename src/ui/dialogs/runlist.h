// The modal "Run List": the neurons, inputs and outputs of the active net that are not
// watched, one owner-drawn entry each; OK picks the selected one for the Execution Browser.
#pragma once

#include <QDialog>
#include <vector>

class QListWidget;

namespace veltra {

class TDesktopHost;
class TProtoNeuronio;

class TFormRunList final : public QDialog {
    Q_OBJECT
public:
    explicit TFormRunList(TDesktopHost& host);

    // Replaces the entries: each shows the element's label and carries the element.
    void Fill(const std::vector<TProtoNeuronio*>& elements);
    QListWidget& List() { return *list_; }

    // OK refuses ("Please select the IO") and stays open while no entry is selected.
    void ButtonOKClick();
    void ButtonCancelClick();

    TProtoNeuronio* ChosenElement() const { return chosenElement_; }
    bool Chosen() const { return chosen_; }

private:
    TDesktopHost& host_;
    QListWidget* list_;
    std::vector<TProtoNeuronio*> elements_; // parallel to the entries
    TProtoNeuronio* chosenElement_ = nullptr;
    bool chosen_ = false;
};

} // namespace veltra
