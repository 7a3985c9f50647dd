#include "ui/dialogs/kindicon.h"

#include "ui/glyphimages.h"

#include <QImage>

namespace veltra {

QPixmap KindPixmap(TGlyphKind kind) {
    const TGlyphImages& glyphs = TGlyphImages::Shared();
    QImage picture = glyphs.Image(kind).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (!GlyphMaskOpaque(kind, x, y)) picture.setPixel(x, y, qRgba(0, 0, 0, 0));
    return QPixmap::fromImage(picture);
}

} // namespace veltra
