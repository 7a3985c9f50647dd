#include "model/glyphs.h"

namespace veltra {
namespace {

// Half-widths of the two disc masks, row by row from the top: a row's opaque columns
// run from `first` to width - 1 - first.
constexpr int DiscA[20] = {7, 5, 3, 2, 2, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 2, 2, 3, 5, 7};
constexpr int DiscB[19] = {7, 5, 3, 2, 2, 1, 1, 0, 0, 0, 0, 0, 1, 1, 2, 2, 3, 5, 7};

bool DiscOpaque(const int* first, int width, int column, int row) {
    return column >= first[row] && column <= width - 1 - first[row];
}

} // namespace

bool GlyphMaskOpaque(TGlyphKind kind, int column, int row) {
    if (column < 0 || row < 0 || column >= GlyphWidth(kind) || row >= GlyphHeight(kind))
        return false;
    switch (kind) {
    case TGlyphKind::Neuron:
    case TGlyphKind::Bias:
        return DiscOpaque(DiscA, 19, column, row);
    case TGlyphKind::Module:
        return DiscOpaque(DiscB, 19, column, row);
    case TGlyphKind::Input:
    case TGlyphKind::Output:
        return true;
    }
    return false;
}

} // namespace veltra
