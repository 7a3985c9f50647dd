// Glyph sizes and transparency masks of the element types. They are model data, not
// pictures: they decide hit tests, glyph centres and where synapse lines end. The
// pictures themselves belong to the application.
#pragma once

#include "model/elementkind.h"

namespace veltra {

// A glyph is the picture of an element kind.
using TGlyphKind = TElementKind;

constexpr int GlyphIndex(TGlyphKind kind) {
    return KindInfo(kind).glyphIndex;
}
constexpr int GlyphWidth(TGlyphKind kind) {
    return KindInfo(kind).glyphWidth;
}
constexpr int GlyphHeight(TGlyphKind kind) {
    return KindInfo(kind).glyphHeight;
}

// True when the mask pixel (column, row) of the glyph is opaque (black in the mask).
// Outside the glyph box the answer is false.
bool GlyphMaskOpaque(TGlyphKind kind, int column, int row);

} // namespace veltra
