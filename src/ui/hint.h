// The hover hint of one element: a small frameless window under the element's glyph that
// shows "Label:..." and its value, on top and without taking the focus.
#pragma once

#include <QLabel>
#include <QRect>

namespace veltra {

class THint final : public QLabel {
public:
    THint();
    // Lays the hint out under `glyphBoxOnScreen` (left edge, 4 pixels below its bottom)
    // with the text measured in `font`, and shows it.
    void ActivateHint(const QRect& glyphBoxOnScreen, const QString& text, const QFont& font);
    QRect HintRect() const { return hintRect_; }

private:
    QRect hintRect_;
};

} // namespace veltra
