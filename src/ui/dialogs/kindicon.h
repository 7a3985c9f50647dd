// Small pictures of element kinds for lists: the element's glyph with its mask applied.
#pragma once

#include "model/glyphs.h"

#include <QPixmap>

namespace veltra {

// The glyph of the kind, transparent where its mask is clear.
QPixmap KindPixmap(TGlyphKind kind);

} // namespace veltra
