// The "Stop When..." dialog: the conditions that end a run of the Execution Browser. A watched
// element's value compared exactly with a typed decimal (or "changes"), an output's history
// ending in a pattern of 0, 1 and x, and "state repeats"; any of them stops the run.
#pragma once

#include "execution/stopcondition.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace veltra {

class TStopWhenDialog final : public QDialog {
public:
    explicit TStopWhenDialog(QWidget* parent);

    // Shows `conditions`, offering `elements` (the watched ones) for new ones.
    void Load(const std::vector<TStopCondition>& conditions,
              const std::vector<TProtoNeuronio*>& elements);
    // What OK keeps: the listed conditions, then "state repeats" when checked.
    std::vector<TStopCondition> Conditions() const;

    // Adds the condition the editor describes; false (and why, under the editor) when the
    // value is not a number or the pattern not one of 0, 1 and x.
    bool AddClick();
    void RemoveClick();

private:
    void ShowList();

    std::vector<TStopCondition> items_; // without "state repeats"
    std::vector<TProtoNeuronio*> elements_;
    QListWidget* list_;
    QComboBox* element_;
    QComboBox* op_;
    QLineEdit* value_;
    QLabel* error_;
    QCheckBox* repeats_;
};

} // namespace veltra
