#include "fakes.h"
#include "model/netnotifier.h"
#include "netbuilder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace veltra::testing {
namespace {

TEST(Remove, ReleasesEveryLinkOnceAndLeavesOthersClean) {
    TRede net;
    TRecordingCanvas canvas;
    auto* e = Add<TNeuronio>(net, 0, 0);
    auto* other = Add<TNeuronio>(net, 100, 0);
    auto* third = Add<TNeuronio>(net, 200, 0);
    Connect(e, e, "0.5");
    Connect(e, other, "1");
    Connect(other, e, "1");
    auto* kept = Connect(other, third, "2");
    net.Remove(e, canvas);
    EXPECT_EQ(net.Elements().Count(), 2);
    EXPECT_TRUE(other->IncomingSynapses().Empty());
    ASSERT_EQ(other->OutgoingSynapses().Count(), 1);
    EXPECT_EQ(other->OutgoingSynapses().Item(0), kept);
    EXPECT_EQ(third->IncomingSynapses().Count(), 1);
    // Each of the three is erased from the canvas exactly once, the loop included.
    ASSERT_EQ(canvas.synapses.size(), 3u);
    EXPECT_EQ(canvas.synapses[0].figure, TSynapseFigure::Loop);
    net.Step(); // nothing left points at the erased element (AddressSanitizer agrees)
}

TEST(Remove, ForgetsTheDragElementOfTheDocument) {
    TDados doc;
    TNullCanvas canvas;
    auto* n = Add<TNeuronio>(doc.Net());
    doc.BeginSynapse(n, {1, 1}, canvas);
    doc.Remove(n, canvas);
    EXPECT_EQ(doc.dragElement, nullptr);
    EXPECT_EQ(doc.pendingSynapse, nullptr);
    EXPECT_EQ(doc.EndSynapse(canvas, 1, 1), nullptr);
}

TEST(Remove, AnElementNotInTheNetIsIgnored) {
    TRede net;
    TNullCanvas canvas;
    Add<TNeuronio>(net);
    TNeuronio stranger;
    net.Remove(&stranger, canvas);
    EXPECT_EQ(net.Elements().Count(), 1);
}

TEST(Move, SynapseEndsFollowTheGlyphCentre) {
    TRede net;
    TRecordingCanvas canvas;
    auto* a = Add<TNeuronio>(net, 0, 0);
    auto* b = Add<TNeuronio>(net, 100, 0);
    auto* ab = Connect(a, b, "1");
    auto* ba = Connect(b, a, "1");
    b->MoveTo(canvas, 200, 50);
    EXPECT_EQ(b->GetPosition(), (TPoint{191, 40}));
    EXPECT_EQ(ab->EndPoint(), (TPoint{200, 50}));
    EXPECT_EQ(ba->StartPoint(), (TPoint{200, 50}));
    // Erase both, draw both again.
    EXPECT_EQ(canvas.synapses.size(), 4u);
}

} // namespace
} // namespace veltra::testing

namespace veltra::testing {
namespace {

// Every element and synapse said to leave, in order.
struct TLeavingLog final : TNetObserver {
    ~TLeavingLog() override { StopObservingAll(); }
    void ElementLeaving(const TProtoNeuronio& e, TLeaving) override { gone.push_back(&e); }
    void SynapseLeaving(const TSinapse& s, TLeaving) override { gone.push_back(&s); }
    std::vector<const void*> gone;
};

TEST(NetNotices, WindowsSharingAListForgetWhatTheOtherErases) {
    TDados first;
    TNullCanvas canvas;
    auto* a = Add<TNeuronio>(first.Net(), 0, 0);
    auto* b = Add<TNeuronio>(first.Net(), 50, 0);
    auto* ab = Connect(a, b, "1");
    TDados second;
    second.SetElements(first.Net().SharedElements());
    first.BeginSynapse(a, {1, 1}, canvas);

    auto log = std::make_unique<TLeavingLog>();
    log->Observe(first.Elements());
    second.Remove(a, canvas);
    const std::vector<const void*> released = log->gone;
    log.reset();

    EXPECT_EQ(first.dragElement, nullptr);
    EXPECT_EQ(first.pendingSynapse, nullptr);
    EXPECT_NE(std::find(released.begin(), released.end(), ab), released.end());
    EXPECT_NE(std::find(released.begin(), released.end(), a), released.end());
    second.Remove(b, canvas); // a subscriber gone hears nothing (ASan would see it)
}

} // namespace
} // namespace veltra::testing
