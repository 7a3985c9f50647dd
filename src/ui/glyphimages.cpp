#include "ui/glyphimages.h"

#include <QString>
#include <algorithm>

static void InitVeltraResources() {
    Q_INIT_RESOURCE(veltra);
}

namespace veltra {

namespace {
constexpr const char* ResourceNames[10] = {"NEURONIO", "NEURONIO_MASK", "PENDOR", "PENDOR_MASK",
                                           "INPUT",    "INPUT_MASK",    "OUTPUT", "OUTPUT_MASK",
                                           "MODULO",   "MODULO_MASK"};
} // namespace

TGlyphImages::TGlyphImages() {
    InitVeltraResources();
    for (int i = 0; i < 10; ++i) {
        QImage image(QStringLiteral(":/glyphs/") + QString::fromLatin1(ResourceNames[i]), "XPM");
        // The picture at i and its mask at i + 1 belong to the kind whose glyph index is i.
        const TGlyphKind kind =
            std::find_if(KindTable.begin(), KindTable.end(), [i](const TKindInfo& info) {
                return info.glyphIndex == i - i % 2;
            })->kind;
        if (image.width() != GlyphWidth(kind) || image.height() != GlyphHeight(kind)) {
            // Keep the geometry right even without the picture: a white box with a frame.
            complete_ = false;
            image = QImage(GlyphWidth(kind), GlyphHeight(kind), QImage::Format_RGB32);
            image.fill(i % 2 ? Qt::black : Qt::white);
        }
        glyphs_[static_cast<std::size_t>(i)] = image.convertToFormat(QImage::Format_RGB32);
    }
}

const TGlyphImages& TGlyphImages::Shared() {
    static const TGlyphImages images;
    return images;
}

} // namespace veltra
