// The synapse weight box `Sinapse_Box`: the initial weight of the next synapse drawn.
// Entering or leaving it (to another control of the main window) resets it to "0";
// Enter says so and moves the focus on.
#pragma once

#include <QLineEdit>
#include <functional>

namespace veltra {

class TWeightBox final : public QLineEdit {
public:
    explicit TWeightBox(QWidget* parent, std::function<void()> onReturn);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> onReturn_;
};

} // namespace veltra
