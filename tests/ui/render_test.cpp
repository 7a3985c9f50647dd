#include "model/canvas.h"
#include "model/dados.h"
#include "model/geometry.h"
#include "model/inputs.h"
#include "model/neuronio.h"
#include "ui/glyphimages.h"
#include "ui/netrender.h"
#include "ui/qtcanvas.h"
#include "ui/raster.h"

#include <QGuiApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

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

namespace veltra {
namespace {

// A file may place elements anywhere in the 32-bit range. Drawing such a net must neither
// overflow nor walk billions of off-image pixels, and what is on the image still draws.
TEST_F(RenderTest, ElementsAtTheEndsOfTheIntegerRangeDrawSafelyAndQuickly) {
    auto neuron = [](int id, const std::string& at, const std::string& targets) {
        std::string synapses;
        int count = 0;
        for (char t : targets) {
            synapses += std::string("<TSINAPSE>\r\nValor:1\r\nDestino:") + t +
                        "\r\nvisible:true\r\n</TSINAPSE>\r\n";
            ++count;
        }
        return "<TPROTONEURONIO=TNEURONIO>\r\nId:" + std::to_string(id) + "\r\nEtiqueta:n\r\n" +
               "Posicao:" + at + "\r\nVisible_in_runform:true\r\nPos_Sinapses:\r\n" +
               "<TListaSinapses=" + std::to_string(count) + ">\r\n" + synapses +
               "</TListaSinapses>\r\nActividade:0\r\nFuncaoActivacao:TSacturated_Linear\r\n"
               "loop:false\r\n</TPROTONEURONIO>\r\n";
    };
    // Far corners feed each other (a pair), loop on themselves and reach the near ones.
    const std::string text =
        "<TREDE=version 0.4>\r\n<TProtoLista=4>\r\n" + neuron(0, "2147483647;2147483647", "0123") +
        neuron(1, "-2147483648;-2147483648", "0123") + neuron(2, "20;40", "3") +
        neuron(3, "120;40", "") + "</TProtoLista>\r\n</TREDE>\r\n";
    TDados doc;
    std::istringstream in(text);
    ASSERT_EQ(doc.Load(in), "");
    ASSERT_EQ(doc.Elements().Count(), 4);
    const QImage image = Render(doc);
    // The near synapse (centres at y 50) still runs between the two near glyphs.
    EXPECT_EQ(image.pixel(80, 50), Black);
    EXPECT_EQ(image.pixel(80, 120), White);
}

// Zoomed out, a synapse and its reverse run between the same centres: both must show, the
// reverse a pixel aside, not the two inverting each other away.
TEST_F(RenderTest, ZoomedOutASynapseAndItsReverseBothShow) {
    for (const bool both : {false, true}) {
        TDados doc;
        auto* a = Add<TNeuronio>(doc, 0, 0);
        auto* b = Add<TNeuronio>(doc, 400, 0);
        Connect(doc, a, a->Centre(), b->Centre());
        if (both) Connect(doc, b, b->Centre(), a->Centre());
        TNetView view;
        view.SetZoom(0.128);
        QImage image(80, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        TQtCanvas canvas(image, TGlyphImages::Shared());
        canvas.SetView(view);
        doc.DrawAll(canvas);
        // Between the two glyphs (screen columns 0-2 and 51-53) every column holds the line,
        // and the reverse beside it.
        for (int x = 5; x < 49; ++x) {
            int inked = 0;
            for (int y = 0; y < image.height(); ++y)
                inked += image.pixel(x, y) == Black;
            EXPECT_EQ(inked, both ? 2 : 1) << x << " " << both;
        }
    }
}

// The line walk inverts each pixel of the walk that lies on the image once (its last one
// only when asked): a random picture shows a pixel inverted twice or one missed.
TEST(RasterLineTest, InvertsExactlyTheWalkPointsThatLieOnTheImage) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> x(-30, 89);
    std::uniform_int_distribution<int> y(-25, 64);
    std::uniform_int_distribution<QRgb> colour;
    QImage start(60, 40, QImage::Format_RGB32);
    for (int row = 0; row < start.height(); ++row)
        for (int column = 0; column < start.width(); ++column)
            start.setPixel(column, row, colour(rng) | 0xff000000u);
    for (int i = 0; i < 3000; ++i) {
        const GPoint a{x(rng), y(rng)};
        const GPoint b = i % 5 == 0 ? GPoint{a.x + i % 3 - 1, a.y + i % 7 - 3} // short ones
                                    : GPoint{x(rng), y(rng)};
        const bool includeEnd = i % 2 == 0;
        QImage drawn = start;
        TRaster(drawn).Line(a, b, includeEnd);
        QImage expected = start;
        WalkLine(a, b, [&](GPoint p) {
            if (!expected.rect().contains(p.x, p.y) || (!includeEnd && p == b)) return;
            expected.setPixel(p.x, p.y, ~expected.pixel(p.x, p.y) | 0xff000000u);
        });
        ASSERT_EQ(drawn, expected)
            << a.x << "," << a.y << " -> " << b.x << "," << b.y << " " << includeEnd;
    }
}

// Zoomed out, a repaint draws straight synapses without their figures and takes the glyphs
// on the same walk: the picture must be the one the net draws figure by figure, with loops,
// pairs, hidden synapses and elements off the picture.
TEST_F(RenderTest, ZoomedOutRepaintIsTheNetDrawnFigureByFigure) {
    TDados doc;
    std::mt19937 rng(9);
    std::uniform_int_distribution<int> at(-400, 2600);
    std::vector<TProtoNeuronio*> elements;
    for (int i = 0; i < 80; ++i) {
        if (i % 9 == 0)
            elements.push_back(Add<TInputs>(doc, at(rng), at(rng) / 2));
        else
            elements.push_back(Add<TNeuronio>(doc, at(rng), at(rng) / 2));
    }
    std::uniform_int_distribution<std::size_t> pick(0, elements.size() - 1);
    auto centre = [](const TProtoNeuronio* e) { return e->Centre(); };
    for (int i = 0; i < 300; ++i) {
        TProtoNeuronio* from = elements[pick(rng)];
        if (from->Kind() != TGlyphKind::Neuron) continue; // synapses leave neurons here
        TProtoNeuronio* to = elements[pick(rng)];
        Connect(doc, from, centre(from), centre(to));
        if (i % 4 == 0 && to->Kind() == TGlyphKind::Neuron) // the pair back
            Connect(doc, to, centre(to), centre(from));
        if (i % 23 == 0) Connect(doc, from, centre(from), centre(from)); // a loop
    }
    int hidden = 0;
    for (const auto& e : doc.Elements())
        for (TSinapse* s : e->OutgoingSynapses())
            if (++hidden % 17 == 0) s->SetVisible(false);

    struct Case {
        double zoom;
        QPoint scroll;
        bool clipped;
    };
    for (const Case& c :
         {Case{0.1, {-20, -10}, true}, Case{0.128, {5, -30}, true}, Case{0.128, {5, -30}, false},
          Case{0.25, {40, 0}, true}, Case{0.33, {-60, 30}, true}, Case{0.5, {10, 10}, true}}) {
        TNetView view;
        view.SetZoom(c.zoom);
        view.SetScroll(c.scroll);
        QImage expected(320, 200, QImage::Format_RGB32);
        expected.fill(Qt::white);
        {
            TQtCanvas canvas(expected, TGlyphImages::Shared());
            canvas.SetView(view);
            doc.DrawAll(canvas);
        }
        QImage drawn(expected.size(), QImage::Format_RGB32);
        drawn.fill(Qt::white);
        {
            TQtCanvas canvas(drawn, TGlyphImages::Shared());
            canvas.SetView(view);
            if (c.clipped) canvas.SetClip(drawn.rect());
            DrawNetArea(doc.Elements(), canvas, view.ToNet(drawn.rect()));
        }
        int inked = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                inked += drawn.pixel(x, y) != White;
        EXPECT_GT(inked, 500) << c.zoom; // the net is on the picture
        EXPECT_EQ(drawn, expected) << c.zoom << " " << c.clipped;
    }
}

TEST(GeometryClipTest, ClippedWalkVisitsExactlyTheWalkPointsInsideTheMajorRange) {
    const GRect clip{0, 0, 50, 40};
    for (int i = 0; i < 400; ++i) {
        const GPoint p0{(i * 37) % 140 - 45, (i * 53) % 120 - 40};
        const GPoint p1{(i * 71) % 140 - 45, (i * 29) % 120 - 40};
        std::vector<std::pair<GPoint, long long>> full, clipped;
        long long index = 0;
        const bool xMajor = std::abs(p1.x - p0.x) > std::abs(p1.y - p0.y);
        WalkLine(p0, p1, [&](GPoint p) {
            const int major = xMajor ? p.x : p.y;
            const int high = xMajor ? clip.right : clip.bottom;
            if (major >= 0 && major < high) full.emplace_back(p, index);
            ++index;
        });
        WalkLineWithin(p0, p1, clip, [&](GPoint p, long long k) { clipped.emplace_back(p, k); });
        ASSERT_EQ(clipped, full) << p0.x << "," << p0.y << " -> " << p1.x << "," << p1.y;
    }
    // Ends at the two extremes of the range: bounded work, points on the diagonal.
    long long visits = 0;
    WalkLineWithin({std::numeric_limits<int>::min(), std::numeric_limits<int>::min()},
                   {std::numeric_limits<int>::max(), std::numeric_limits<int>::max()}, clip,
                   [&](GPoint p, long long) {
                       EXPECT_EQ(p.x, p.y);
                       ++visits;
                   });
    EXPECT_EQ(visits, 40);
}

} // namespace
} // namespace veltra
