// Tooltips that show a long number whole: wrapped into lines a screen can hold, and for a
// number too long to read on hover, its two ends with the count of its digits.
#pragma once

#include <QString>

class QLineEdit;

namespace veltra {

// The tooltip for a value's text; empty (no tooltip) for a text that its box shows whole
// anyway, i.e. `visibleChars` characters or fewer.
QString NumberTip(const QString& text, int visibleChars = 0);

// The box's tooltip follows its text (typed or set) with NumberTip.
void ShowWholeNumberOnHover(QLineEdit* box);

} // namespace veltra
