// Text beside the drawing: element labels and values and synapse weights, drawn at screen
// resolution over the composed glyphs so they stay legible at every zoom (where they go is
// textplacement.h). Which of them show is one choice for every window, kept by the View menu
// across runs.
#pragma once

#include "numeric/textends.h"

#include <QString>
#include <string>

namespace veltra {

struct TDrawingTexts {
    bool labels = false;
    bool values = false;
    bool weights = false;
    bool Any() const { return labels || values || weights; }
};

// The process's choice (the View menu reads and writes it).
TDrawingTexts& DrawingTexts();

// A long number as its first and last digits and its length, so that a value of a
// thousand digits fits beside a glyph: "0.3333…3333 (1,204 digits)". Short texts stay.
std::string ElideNumber(const std::string& text);
// The same from the text's ends, asked for with ElideAsk characters on either side (a value
// of millions of digits is drawn without making its text); a sequence counts its symbols.
inline constexpr std::size_t ElideAsk = 12;
std::string ElideNumber(const TTextEnds& ends);

// Control characters (C0 and DEL) as the pictures Unicode keeps for them ("\n" as U+240A):
// seen rather than acting on the layout, and valid in an SVG file, which XML forbids them in.
QString PrintableText(QString text);

} // namespace veltra
