// Where the texts of a drawing go. Each element's label and value stand together beside its
// glyph and each weight beside its synapse's line, at the first of a few places round them
// that covers no glyph and no text placed before; where none is free, at the place that covers
// least, labels and values counting most. Elements are placed in list order, then weights.
#pragma once

#include "ui/drawingtexts.h"
#include "ui/netview.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

class QPainter;

namespace veltra {

class TProtoLista;

enum class TTextRole { Label, Value, Weight };

struct TPlacedText {
    TTextRole role;
    const void* owner; // the element (label, value) or the synapse (weight)
    QString text;      // as drawn: long numbers and labels shortened
    QRect box;         // the line it takes: its advance by the font's height, in view pixels
};

// The widest a label or value is drawn (longer ones lose their middle), in pixels of a
// 13-pixel font; other fonts scale it.
constexpr int TextMaxWidth = 272;

// The chosen texts of the whole net, placed in the view's pixels (a view without scroll gives
// places that hold wherever the view is scrolled to).
std::vector<TPlacedText> PlaceTexts(const TProtoLista& list, const TNetView& view,
                                    const QFont& font, const TDrawingTexts& texts);

// The boxes' union, or an empty rectangle when there is no text.
QRect TextBounds(const std::vector<TPlacedText>& placed);

// Draws the placed texts that reach `clip`, each moved by -shift (the view's scroll when the
// places were made without it), in the painter's font, the one they were placed for; weights
// on a white ground, which hides the lines running under them.
void DrawPlacedTexts(QPainter& painter, const std::vector<TPlacedText>& placed, QPoint shift,
                     const QRect& clip);

} // namespace veltra
