#include "model/canvas.h"
#include "model/dados.h"
#include "model/inputs.h"
#include "model/neuronio.h"
#include "ui/glyphimages.h"
#include "ui/qtcanvas.h"
#include "ui/raster.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace veltra {
namespace {

constexpr QRgb Black = 0xff000000u;
constexpr QRgb White = 0xffffffffu;

template <typename T> T* Add(TDados& doc, int x, int y) {
    auto e = std::make_unique<T>();
    const int g = GlyphIndex(e->Kind());
    e->Setup(x, y, g, g + 1, doc.Net().ElementCounter());
    return static_cast<T*>(doc.AddElement(std::move(e)));
}

void Connect(TDados& doc, TProtoNeuronio* from, TPoint press, TPoint release) {
    TNullCanvas none;
    doc.BeginSynapse(from, press, none);
    doc.EndSynapse(none, release.x, release.y);
}

class RenderTest : public ::testing::Test {
protected:
    QImage Render(const TDados& doc) {
        QImage image(240, 140, QImage::Format_RGB32);
        image.fill(Qt::white);
        TQtCanvas canvas(image, TGlyphImages::Shared(), [&](const std::string& s) { status = s; });
        doc.DrawAll(canvas);
        return image;
    }
    std::string status;
};

TEST_F(RenderTest, GlyphPicturesHaveTheirSizesAndMaskShapes) {
    const TGlyphImages& g = TGlyphImages::Shared();
    EXPECT_TRUE(g.Complete());
    for (TGlyphKind kind : {TGlyphKind::Neuron, TGlyphKind::Bias, TGlyphKind::Input,
                            TGlyphKind::Output, TGlyphKind::Module}) {
        const QImage& image = g.Image(kind);
        const QImage& mask = g.Mask(kind);
        ASSERT_EQ(image.size(), QSize(GlyphWidth(kind), GlyphHeight(kind)));
        ASSERT_EQ(mask.size(), image.size());
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x) {
                const bool opaque = GlyphMaskOpaque(kind, x, y);
                EXPECT_EQ(mask.pixel(x, y), opaque ? Black : White) << x << "," << y;
                if (!opaque) { // an image is white wherever its mask is
                    EXPECT_EQ(image.pixel(x, y), White) << x << "," << y;
                }
            }
    }
}

TEST_F(RenderTest, SynapseRunsFromOutlineToOutlineWithItsArrow) {
    TDados doc;
    auto* a = Add<TNeuronio>(doc, 0, 0);
    auto* b = Add<TNeuronio>(doc, 100, 0);
    Connect(doc, a, {9, 10}, {109, 10});
    const QImage img = Render(doc);
    EXPECT_EQ(status, "FindEdge: 20,10,100,10");
    EXPECT_EQ(img.pixel(19, 10), White); // just past the source bitmap: not drawn
    for (int x : {20, 50, 99, 100})
        EXPECT_EQ(img.pixel(x, 10), Black) << x;
    EXPECT_EQ(img.pixel(96, 13), Black);
    EXPECT_EQ(img.pixel(96, 7), Black);
    EXPECT_EQ(img.pixel(101, 10), Black); // the destination's ring, drawn over the tip
    EXPECT_EQ(img.pixel(105, 10), White); // inside the disc: white, covers the line
    EXPECT_EQ(img.pixel(0, 0), White);    // transparent glyph corner

    // The reverse synapse carries the pair flag and is drawn 3 pixels aside.
    Connect(doc, b, {109, 10}, {9, 10});
    const QImage paired = Render(doc);
    EXPECT_EQ(status, "FindEdge: 100,7,20,7");
    EXPECT_EQ(paired.pixel(50, 7), Black);
    EXPECT_EQ(paired.pixel(50, 10), Black);
    EXPECT_EQ(paired.pixel(24, 4), Black);
    // That wing ends on the partner's line: inverted twice, it shows white.
    EXPECT_EQ(paired.pixel(24, 10), White);
}

TEST_F(RenderTest, InputHidesLinesUnderItsBoxButADiscLeavesItsCorners) {
    TDados doc;
    auto* a = Add<TNeuronio>(doc, 0, 40);
    Add<TNeuronio>(doc, 200, 40);
    Connect(doc, a, {9, 50}, {209, 50});
    Add<TInputs>(doc, 60, 45);    // its whole rectangle covers the line
    Add<TNeuronio>(doc, 120, 35); // the line crosses its row 15, transparent at the ends
    const QImage img = Render(doc);
    EXPECT_EQ(img.pixel(58, 50), Black);
    EXPECT_EQ(img.pixel(70, 50), White);  // inside the input's frame
    EXPECT_EQ(img.pixel(120, 50), Black); // neuron mask column 0 of row 15: transparent
    EXPECT_EQ(img.pixel(129, 50), White); // neuron inside: white
}

TEST_F(RenderTest, SelfLoopSitsAboveAndInvertingTwiceRestores) {
    TDados doc;
    auto* n = Add<TNeuronio>(doc, 50, 60);
    Connect(doc, n, {59, 62}, {59, 62}); // pressed above the centre: loop above the glyph
    const QImage img = Render(doc);
    // Ellipse (55,35)-(63,60), arrow strokes (59,55) -> (59,60) -> (52,57).
    EXPECT_EQ(img.pixel(59, 35), Black);
    EXPECT_EQ(img.pixel(59, 47), White); // inside the loop
    EXPECT_EQ(img.pixel(59, 56), Black);
    EXPECT_EQ(img.pixel(54, 58), Black);

    // Every figure inverts each of its pixels once: drawn twice, nothing is left.
    QImage twice = img;
    {
        TQtCanvas canvas(twice, TGlyphImages::Shared());
        for (const auto& e : doc.Elements())
            for (TSinapse* s : e->OutgoingSynapses()) {
                s->Draw(canvas, TPenMode::NotXor);
                s->Draw(canvas, TPenMode::NotXor);
            }
        TSinapse band;
        band.SetUp(n, n);
        band.SetStartPoint({10, 10});
        band.SetEndPoint({200, 130});
        band.DrawRubberBand(canvas);
        band.DrawRubberBand(canvas);
    }
    EXPECT_EQ(twice, img);
}

TEST_F(RenderTest, CoincidingEndsDrawNoArrow) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    std::string said;
    TQtCanvas canvas(image, TGlyphImages::Shared(), [&](const std::string& s) { said = s; });
    TDados doc;
    auto* a = Add<TNeuronio>(doc, 0, 0);
    auto* b = Add<TNeuronio>(doc, 0, 0);
    TSynapseShape shape;
    shape.figure = TSynapseFigure::Paired;
    shape.source = a;
    shape.destination = b;
    shape.start = shape.end = {9, 10};
    canvas.DrawSynapse(shape);
    canvas.Flush();
    EXPECT_EQ(said, "Divisao por 0 !!!!!!");
    EXPECT_EQ(image.pixel(9, 10), White);
}

} // namespace
} // namespace veltra
