#include "fakes.h"
#include "netbuilder.h"

#include <gtest/gtest.h>

namespace veltra::testing {
namespace {

std::vector<TProtoNeuronio*> Order(const TRede& net) {
    std::vector<TProtoNeuronio*> result;
    for (const auto& e : net.Elements())
        result.push_back(e.get());
    return result;
}

TEST(Rede, EmptyNetStepsFinishesAndHitsNothing) {
    TRede net;
    net.Step();
    EXPECT_TRUE(net.AllFinished());
    EXPECT_EQ(net.ElementAt(5, 5), nullptr);
    EXPECT_EQ(net.ElementCounter(), 0);
}

TEST(Rede, OutputsStayLastWhateverTheInsertionOrder) {
    TRede net;
    auto* o1 = Add<TOutputs>(net);
    auto* n1 = Add<TNeuronio>(net);
    auto* o2 = Add<TOutputs>(net);
    auto* n2 = Add<TNeuronio>(net);
    auto* b = Add<TPendor>(net);
    EXPECT_EQ(Order(net), (std::vector<TProtoNeuronio*>{n1, n2, b, o1, o2}));
}

TEST(Rede, BringToFrontMovesBeforeOutputsAndChangesSavedIds) {
    TRede net;
    auto* a = Add<TNeuronio>(net);
    auto* b = Add<TNeuronio>(net);
    auto* c = Add<TNeuronio>(net);
    auto* out = Add<TOutputs>(net);
    net.BringToFront(a);
    EXPECT_EQ(Order(net), (std::vector<TProtoNeuronio*>{b, c, a, out}));
    std::int32_t counter = 0;
    net.Elements().RenumberAll(counter);
    EXPECT_EQ(a->Id(), 2);
    EXPECT_EQ(out->Id(), 3);
    EXPECT_EQ(net.ElementCounter(), 4) << "moving does not count as adding";
}

TEST(Rede, ElementAtIsStrictAndPrefersTheTopmost) {
    TRede net;
    auto* lower = Add<TNeuronio>(net, 10, 20); // box 10..29 x 20..40
    auto* upper = Add<TNeuronio>(net, 20, 20);
    EXPECT_EQ(net.ElementAt(10, 25), nullptr) << "left edge";
    EXPECT_EQ(net.ElementAt(15, 20), nullptr) << "top edge";
    EXPECT_EQ(net.ElementAt(11, 21), lower);
    EXPECT_EQ(net.ElementAt(25, 30), upper) << "overlap: the later element is on top";
    EXPECT_EQ(net.ElementAt(39, 39), nullptr) << "right edge of the upper box";
    EXPECT_EQ(net.ElementAt(38, 39), upper);
}

TEST(Rede, CounterGivesLabelsAndIsNotLoweredByRemove) {
    TRede net;
    TNullCanvas canvas;
    auto* a = Add<TNeuronio>(net);
    auto* b = Add<TNeuronio>(net);
    EXPECT_EQ(a->Label(), "0");
    EXPECT_EQ(b->Label(), "1");
    net.Remove(a, canvas);
    EXPECT_EQ(Add<TPendor>(net)->Label(), "2");
    EXPECT_EQ(net.Elements().Count(), 2);
}

class CountingElement : public TProtoNeuronio {
public:
    explicit CountingElement(bool finished, int* asked) : finished_(finished), asked_(asked) {}
    TElementKind Kind() const override { return TElementKind::Bias; }
    bool SaveBody(TNetWriter&) const override { return true; }
    std::string LoadBody(TNetReader&, int) override { return {}; }
    bool IsFinished() const override {
        ++*asked_;
        return finished_;
    }

private:
    bool finished_;
    int* asked_;
};

TEST(Rede, AllFinishedStopsAtTheFirstUnfinished) {
    TRede net;
    int asked = 0;
    net.AddElement(std::make_unique<CountingElement>(true, &asked));
    net.AddElement(std::make_unique<CountingElement>(false, &asked));
    net.AddElement(std::make_unique<CountingElement>(true, &asked));
    EXPECT_FALSE(net.AllFinished());
    EXPECT_EQ(asked, 2);
}

TEST(Rede, ElementByIdSearchesModuleInsidesInListOrder) {
    TRede net;
    auto* m = Add<TModule>(net);
    auto* inner = AddTo<TNeuronio>(m->InnerNet(), "inner");
    auto* after = Add<TNeuronio>(net);
    std::int32_t counter = 0;
    net.Elements().RenumberAll(counter);
    EXPECT_EQ(m->Id(), 0);
    EXPECT_EQ(inner->Id(), 1) << "inner elements are numbered right after their module";
    EXPECT_EQ(after->Id(), 2);
    EXPECT_EQ(net.Elements().ElementById(1), inner);
    EXPECT_EQ(net.Elements().ElementById(2), after);
    EXPECT_EQ(net.Elements().ElementById(3), nullptr);
    after->SetId(1);
    EXPECT_EQ(net.Elements().ElementById(1), inner) << "the first match wins";
    {
        TIdIndexScope index(net.Elements());
        EXPECT_EQ(net.Elements().ElementById(1), inner) << "the table keeps the first match";
        EXPECT_EQ(m->InnerNet().ElementById(1), inner);
        EXPECT_EQ(m->InnerNet().ElementById(0), nullptr);
        EXPECT_EQ(net.Elements().ElementById(0), m);
    }
    inner->SetId(9);
    EXPECT_EQ(net.Elements().ElementById(1), after) << "without the table ids are read afresh";
}

TEST(Rede, DrawAllPutsEverySynapseUnderEveryGlyph) {
    TRede net;
    auto* a = Add<TNeuronio>(net, 0, 0);
    auto* b = Add<TNeuronio>(net, 100, 0);
    Connect(a, b, "1");
    Connect(b, a, "1");
    TRecordingCanvas canvas;
    net.DrawAll(canvas);
    ASSERT_EQ(canvas.synapses.size(), 2u);
    EXPECT_EQ(canvas.synapses[0].figure, TSynapseFigure::Straight);
    EXPECT_EQ(canvas.synapses[1].figure, TSynapseFigure::Paired)
        << "the reverse of an existing synapse is shifted";
    EXPECT_EQ(canvas.synapses[1].start, (TPoint{109, 10}));
    EXPECT_EQ(canvas.synapses[1].end, (TPoint{9, 10}));
    ASSERT_EQ(canvas.glyphs.size(), 2u);
    EXPECT_EQ(canvas.glyphs[1].x, 100);
}

TEST(Rede, DrawInRectOfANeuronDrawsOnlyItsGlyph) {
    TRede net;
    auto* a = Add<TNeuronio>(net, 0, 0);
    auto* bias = Add<TPendor>(net, 50, 0);
    Connect(a, a, "1");
    Connect(bias, a, "1");
    TRecordingCanvas canvas;
    a->DrawInRect({19, 20, 30, 30}, canvas); // touches the corner
    bias->DrawInRect({0, 0, 49, 10}, canvas);
    bias->DrawInRect({0, 0, 50, 10}, canvas);
    EXPECT_EQ(canvas.glyphs.size(), 2u);
    ASSERT_EQ(canvas.synapses.size(), 1u) << "the bias draws its synapse, the neuron not";
    EXPECT_EQ(canvas.synapses[0].source, bias);
}

// An element that is no neuron but calls itself one, and keeps what it is sent.
class TKeepsInputs final : public TProtoNeuronio {
public:
    TElementKind Kind() const override { return TElementKind::Neuron; }
    void AddInput(const TInfinito& contribution) override { got += contribution.ToText() + ";"; }
    bool SaveBody(TNetWriter&) const override { return true; }
    std::string LoadBody(TNetReader&, int) override { return {}; }
    std::string got;
};

// A synapse sends where its ends point when the step runs, however often they were set since
// it was made: the sender asks it whether, and to which kind of element, only then.
TEST(Rede, ASynapseSendsWhereItsEndsPointNow) {
    enum class Retarget { None, ToOther, ToModule, ModuleThenOther, ToKeeper, NoSource };
    struct Case {
        Retarget retarget;
        const char* target; // the sums after the sender's phase 1: target/other/keeper
        const char* other;
        const char* keeper;
    };
    const Case cases[] = {
        {Retarget::None, "0.15", "0", ""},       {Retarget::ToOther, "0", "0.15", ""},
        {Retarget::ToModule, "0", "0", ""},      {Retarget::ModuleThenOther, "0", "0.15", ""},
        {Retarget::ToKeeper, "0", "0", "0.15;"}, {Retarget::NoSource, "0", "0", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.retarget));
        TRede net;
        auto* sender = Add<TNeuronio>(net);
        auto* target = Add<TNeuronio>(net);
        auto* other = Add<TNeuronio>(net);
        auto* module = Add<TModule>(net);
        auto* keeper = Add<TKeepsInputs>(net);
        sender->SetValue(TInfinito("0.5"));
        TSinapse* s = Connect(sender, target, "0.3");
        switch (c.retarget) {
        case Retarget::None:
            break;
        case Retarget::ToOther:
            s->SetDestination(other);
            break;
        case Retarget::ToModule:
            s->SetDestination(module);
            break;
        case Retarget::ModuleThenOther:
            s->SetUp(sender, module);
            s->SetDestination(other);
            break;
        case Retarget::ToKeeper:
            s->SetDestination(keeper);
            break;
        case Retarget::NoSource:
            s->SetSource(nullptr);
            break;
        }
        sender->Propagate();
        EXPECT_EQ(target->InputSum().ToText(), c.target);
        EXPECT_EQ(other->InputSum().ToText(), c.other);
        EXPECT_EQ(keeper->got, c.keeper);
        s->SetSource(sender); // as it was, so that the elements unlink it as they go
        s->SetDestination(target);
    }
}

} // namespace
} // namespace veltra::testing
