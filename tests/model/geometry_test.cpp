#include "model/geometry.h"

#include <gtest/gtest.h>
#include <vector>

namespace veltra {
namespace {

std::vector<GPoint> Walk(GPoint a, GPoint b) {
    std::vector<GPoint> out;
    WalkLine(a, b, [&](GPoint p) { out.push_back(p); });
    return out;
}

GlyphPlace Neuron(int x, int y) {
    return {TGlyphKind::Neuron, x, y};
}

TEST(GeometryTest, WalkTieRulesDifferForRisingAndFallingLines) {
    const std::vector<GPoint> rising{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}};
    EXPECT_EQ(Walk({0, 0}, {4, 2}), rising);
    EXPECT_EQ(Walk({0, 0}, {4, -2}),
              (std::vector<GPoint>{{0, 0}, {1, 0}, {2, -1}, {3, -1}, {4, -2}}));
    // Walking back from the far end visits the same pixels in the same order.
    EXPECT_EQ(Walk({4, 2}, {0, 0}), rising);
    // Steep lines walk along y; a single point is visited once.
    EXPECT_EQ(Walk({0, 0}, {1, 3}), (std::vector<GPoint>{{0, 0}, {0, 1}, {1, 2}, {1, 3}}));
    EXPECT_EQ(Walk({5, 5}, {5, 5}), (std::vector<GPoint>{{5, 5}}));
}

TEST(GeometryTest, OnGlyphUsesMaskAndCountsTheColumnAndRowPastTheBitmap) {
    const GlyphPlace n = Neuron(10, 20);
    EXPECT_TRUE(OnGlyph({10 + 9, 20 + 10}, n));
    EXPECT_FALSE(OnGlyph({10, 20}, n));          // transparent corner of the disc
    EXPECT_TRUE(OnGlyph({10 + 19, 20 + 10}, n)); // column W: outside the mask, still "on"
    EXPECT_TRUE(OnGlyph({10 + 3, 20 + 20}, n));  // row H
    EXPECT_FALSE(OnGlyph({10 + 20, 20 + 10}, n));
    EXPECT_FALSE(OnGlyph({9, 30}, n));
    const GlyphPlace in{TGlyphKind::Input, 0, 0};
    EXPECT_TRUE(OnGlyph({0, 0}, in)); // rectangular mask: corners are on
    const GlyphPlace m{TGlyphKind::Module, 0, 0};
    EXPECT_TRUE(OnGlyph({0, 11}, m));
    EXPECT_FALSE(OnGlyph({0, 12}, m)); // disc mask B is one row shorter
}

TEST(GeometryTest, HorizontalSynapseForwardAndBackward) {
    StraightFigureShape f = StraightFigure(Neuron(0, 0), Neuron(100, 0), {9, 10}, {109, 10});
    EXPECT_EQ(f.edge.b, (GPoint{20, 10}));
    EXPECT_EQ(f.edge.a, (GPoint{100, 10}));
    ASSERT_TRUE(f.arrow.valid);
    EXPECT_EQ(f.arrow.base, (GPoint{96, 10}));
    EXPECT_EQ(f.arrow.wing1, (GPoint{96, 13}));
    EXPECT_EQ(f.arrow.wing2, (GPoint{96, 7}));

    f = StraightFigure(Neuron(100, 0), Neuron(0, 0), {109, 10}, {9, 10});
    EXPECT_EQ(f.edge.b, (GPoint{100, 10}));
    EXPECT_EQ(f.edge.a, (GPoint{20, 10}));
    EXPECT_EQ(f.arrow.base, (GPoint{24, 10}));
    EXPECT_EQ(f.arrow.wing1, (GPoint{24, 7}));
    EXPECT_EQ(f.arrow.wing2, (GPoint{24, 13}));
}

TEST(GeometryTest, PairedSynapseIsShiftedThreePixels) {
    GPoint p0, p1;
    ASSERT_TRUE(PairedShift({109, 10}, {9, 10}, p0, p1));
    EXPECT_EQ(p0, (GPoint{109, 7}));
    EXPECT_EQ(p1, (GPoint{9, 7}));
    const StraightFigureShape f = StraightFigure(Neuron(100, 0), Neuron(0, 0), p0, p1);
    EXPECT_EQ(f.edge.b, (GPoint{100, 7}));
    EXPECT_EQ(f.edge.a, (GPoint{20, 7}));
    EXPECT_EQ(f.arrow.base, (GPoint{24, 7}));
    EXPECT_EQ(f.arrow.wing1, (GPoint{24, 4}));
    EXPECT_EQ(f.arrow.wing2, (GPoint{24, 10}));
    EXPECT_FALSE(PairedShift({5, 5}, {5, 5}, p0, p1));
}

TEST(GeometryTest, WalkThatFindsNothingKeepsTheStoredEnds) {
    // A short line inside the source that never reaches the destination's glyph.
    const StraightFigureShape f = StraightFigure(Neuron(0, 0), Neuron(100, 100), {9, 10}, {12, 10});
    EXPECT_EQ(f.edge.b, (GPoint{9, 10}));
    EXPECT_EQ(f.edge.a, (GPoint{12, 10}));
    EXPECT_FALSE(ArrowheadAt({3, 3}, {3, 3}).valid);
}

TEST(GeometryTest, DiagonalSynapseEndsOnTheDiscOutline) {
    // Down-right 45 degrees: the line leaves the source disc past (16,17) and meets the
    // destination disc where its mask starts, not at its box corner.
    const StraightFigureShape f = StraightFigure(Neuron(0, 0), Neuron(50, 50), {9, 10}, {59, 60});
    EXPECT_FALSE(OnGlyph(f.edge.b, Neuron(0, 0)));
    EXPECT_TRUE(OnGlyph({f.edge.b.x - 1, f.edge.b.y - 1}, Neuron(0, 0)));
    EXPECT_TRUE(OnGlyph(f.edge.a, Neuron(50, 50)));
    EXPECT_FALSE(OnGlyph({f.edge.a.x - 1, f.edge.a.y - 1}, Neuron(50, 50)));
    EXPECT_GT(f.edge.a.x, 50);
}

TEST(GeometryTest, LoopSidesFollowTheEndPoint) {
    const GRect box = GlyphBox(Neuron(0, 0));
    EXPECT_EQ(box, (GRect{0, 0, 19, 20}));
    LoopFigureShape l = LoopFigure(box, {0, 0}); // loaded self-loop: top-left corner
    EXPECT_EQ(l.ellipse, (GRect{5, -25, 13, 0}));
    EXPECT_EQ(l.arrow[0], (GPoint{9, -5}));
    EXPECT_EQ(l.arrow[1], (GPoint{9, 0}));
    EXPECT_EQ(l.arrow[2], (GPoint{2, -3}));
    l = LoopFigure(box, {9, 19});
    EXPECT_EQ(l.ellipse, (GRect{5, 20, 13, 45}));
    EXPECT_EQ(l.arrow[1], (GPoint{9, 20}));
    l = LoopFigure(box, {1, 10});
    EXPECT_EQ(l.ellipse, (GRect{-26, 6, 0, 14}));
    EXPECT_EQ(l.arrow[0], (GPoint{-6, 9}));
    l = LoopFigure(box, {18, 10});
    EXPECT_EQ(l.ellipse, (GRect{19, 6, 44, 14}));
    EXPECT_EQ(l.arrow[2], (GPoint{22, 3}));
    // At the centre the first rule (below) wins.
    EXPECT_EQ(LoopFigure(box, {9, 10}).ellipse.top, 20);
}

TEST(GeometryTest, RoundEvenSendsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(3.5), 4);
    EXPECT_EQ(RoundEven(-2.5), -2);
    EXPECT_EQ(RoundEven(-3.5), -4);
    EXPECT_EQ(RoundEven(2.4999), 2);
    EXPECT_EQ(RoundEven(-0.6), -1);
}

} // namespace
} // namespace veltra

namespace veltra {
namespace {

// The edge search as a plain walk over every point of the line, to check the fast one.
EdgePoints ReferenceEdgeWalk(const GlyphPlace& s, const GlyphPlace& d, GPoint p0, GPoint p1) {
    EdgePoints r{p0, p1};
    bool haveB = false, haveA = false;
    const bool forward = WalkLine(p0, p1, [](GPoint) {});
    WalkLine(p0, p1, [&](GPoint p) {
        const bool onS = OnGlyph(p, s);
        const bool onD = OnGlyph(p, d);
        if (!haveB && (forward ? !onS : onS)) {
            r.b = p;
            haveB = true;
        }
        if (!haveA && (forward ? onD : !onD)) {
            r.a = p;
            haveA = true;
        }
    });
    return r;
}

TEST(GeometryTest, EdgeSearchAgreesWithAWalkOverEveryPoint) {
    const TGlyphKind kinds[] = {TGlyphKind::Neuron, TGlyphKind::Input, TGlyphKind::Output,
                                TGlyphKind::Module};
    unsigned seed = 12345;
    auto next = [&](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
    };
    for (int i = 0; i < 20000; ++i) {
        // Mostly centre to centre; sometimes stored ends elsewhere, overlapping glyphs,
        // coinciding ends and far-away points.
        const GlyphPlace s{kinds[next(4)], next(120) - 30, next(120) - 30};
        const GlyphPlace d{kinds[next(4)], next(120) - 30, next(120) - 30};
        GPoint p0{s.x + GlyphWidth(s.kind) / 2, s.y + GlyphHeight(s.kind) / 2};
        GPoint p1{d.x + GlyphWidth(d.kind) / 2, d.y + GlyphHeight(d.kind) / 2};
        if (next(4) == 0) p0 = {next(200) - 50, next(200) - 50};
        if (next(4) == 0) p1 = {next(200) - 50, next(200) - 50};
        if (next(20) == 0) p1 = p0;
        const EdgePoints fast = EdgeWalk(s, d, p0, p1);
        const EdgePoints slow = ReferenceEdgeWalk(s, d, p0, p1);
        ASSERT_EQ(fast.b, slow.b) << i;
        ASSERT_EQ(fast.a, slow.a) << i;
    }
}

} // namespace
} // namespace veltra
