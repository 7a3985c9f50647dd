// The pictures of the ten element glyphs (image and mask per element kind), loaded once
// from the program's resources and shared by every drawing window.
#pragma once

#include "model/glyphs.h"

#include <QImage>
#include <array>

namespace veltra {

class TGlyphImages {
public:
    // LoadGlyphs: the ten bitmaps by resource name, in glyph-index order.
    TGlyphImages();
    static const TGlyphImages& Shared();

    const QImage& Glyph(int index) const { return glyphs_.at(static_cast<std::size_t>(index)); }
    const QImage& Image(TGlyphKind kind) const { return Glyph(GlyphIndex(kind)); }
    const QImage& Mask(TGlyphKind kind) const { return Glyph(GlyphIndex(kind) + 1); }
    // False when a resource was missing or had the wrong size.
    bool Complete() const { return complete_; }

private:
    std::array<QImage, 10> glyphs_;
    bool complete_ = true;
};

} // namespace veltra
