// Glyph sizes and transparency masks of the element types. They are model data, not
// pictures: they decide hit tests, glyph centres and where synapse lines end. The
// pictures themselves belong to the application.
#pragma once

namespace veltra {

enum class TGlyphKind { Neuron, Bias, Input, Output, Module };

// Index of a type's image in a document's glyph list; its mask sits at index + 1.
constexpr int GlyphIndex(TGlyphKind kind) {
    switch (kind) {
    case TGlyphKind::Neuron: return 0;
    case TGlyphKind::Bias: return 2;
    case TGlyphKind::Input: return 4;
    case TGlyphKind::Output: return 6;
    case TGlyphKind::Module: return 8;
    }
    return 0;
}

constexpr int GlyphWidth(TGlyphKind kind) {
    switch (kind) {
    case TGlyphKind::Input: return 22;
    case TGlyphKind::Output: return 28;
    default: return 19;
    }
}

constexpr int GlyphHeight(TGlyphKind kind) {
    switch (kind) {
    case TGlyphKind::Neuron:
    case TGlyphKind::Bias: return 20;
    case TGlyphKind::Input: return 18;
    case TGlyphKind::Output: return 19;
    case TGlyphKind::Module: return 19;
    }
    return 0;
}

// True when the mask pixel (column, row) of the glyph is opaque (black in the mask).
// Outside the glyph box the answer is false.
bool GlyphMaskOpaque(TGlyphKind kind, int column, int row);

} // namespace veltra
