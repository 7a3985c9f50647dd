// The synapse weight box `Sinapse_Box`: the initial weight of the next synapse drawn.
// Entering or leaving it (to another control of the main window) resets it to "0";
// Enter says so and moves the focus on.
#pragma once

#include <QLineEdit>
#include <functional>

namespace veltra {

class TWeightBox final : public QLineEdit {
public:
    // `inDrawing` tells whether a widget belongs to a drawing window: focus moving there
    // and back does not count as leaving the box (the drawings are windows of their own).
    TWeightBox(QWidget* parent, std::function<void()> onReturn,
               std::function<bool(const QWidget*)> inDrawing);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> onReturn_;
    std::function<bool(const QWidget*)> inDrawing_;
    bool awayInDrawing_ = false;
};

} // namespace veltra
