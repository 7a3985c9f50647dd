// How long numbers and sequences are shown. Lists show a long one shortened: its first and
// last characters with how many it has between them. On hover a tooltip shows it whole,
// wrapped into lines a screen can hold, or, when too long to read on hover, its two ends
// with the count. Both are made from the text's ends alone (TTextEnds), never from a pass
// over a text of millions of characters.
#pragma once

#include "numeric/textends.h"

#include <QString>
#include <string_view>

class QLineEdit;

namespace veltra {

// ListedForm as a QString (ends asked for with ListedAsk characters on either side).
QString ListedText(const TTextEnds& ends);
QString ListedText(std::string_view text, TTextEnds::TUnit unit);

// The tooltip for a value's text; empty (no tooltip) for a text that its box shows whole
// anyway, i.e. `visibleChars` characters or fewer.
QString NumberTip(const QString& text, int visibleChars = 0);
// The same from the text's ends, asked for with TipAsk characters on either side.
inline constexpr std::size_t TipAsk = 1024;
QString NumberTip(const TTextEnds& ends, int visibleChars = 0);

// The box's tooltip follows its text (typed or set) with NumberTip.
void ShowWholeNumberOnHover(QLineEdit* box);

} // namespace veltra
