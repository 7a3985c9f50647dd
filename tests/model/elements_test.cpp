#include "fakes.h"
#include "netbuilder.h"

#include <gtest/gtest.h>

namespace veltra::testing {
namespace {

int RunToEnd(TRede& net, int limit = 100) {
    int steps = 0;
    do {
        net.Step();
        ++steps;
    } while (!net.AllFinished() && steps < limit);
    return steps;
}

TEST(InputOutput, SequenceThroughANeuronIsRecordedStepByStep) {
    TRede net;
    auto* out = Add<TOutputs>(net);
    auto* in = Add<TInputs>(net);
    auto* n = Add<TNeuronio>(net);
    Connect(in, n, "1");
    Connect(n, out, "1");
    in->SetSequence("101");
    EXPECT_EQ(RunToEnd(net), 4);
    EXPECT_EQ(out->History(), "1010");
    EXPECT_EQ(out->ValueLog(), (std::vector<std::string>{"1", "0", "1", "0"}));
    EXPECT_EQ(in->Sequence(), "");
    EXPECT_EQ(in->ValueText(), "");

    net.ResetAll();
    EXPECT_EQ(out->History(), "");
    EXPECT_TRUE(out->ValueLog().empty());
    EXPECT_EQ(in->Sequence(), "") << "a consumed sequence stays consumed";
}

TEST(InputOutput, SymbolsOtherThanOneFeedZero) {
    TInputs in;
    EXPECT_TRUE(in.IsFinished());
    in.SetSequence("2");
    EXPECT_EQ(in.CurrentSymbol(), 2);
    EXPECT_TRUE(in.GetValue().IsZero());
    in.Commit();
    EXPECT_EQ(in.Sequence(), "");
    in.SetSequence("x1");
    EXPECT_EQ(in.CurrentSymbol(), 0);
}

TEST(InputOutput, ConsumingAStepLeavesTheRestWhereItIs) {
    std::string sequence;
    for (int i = 0; i < 10000; ++i)
        sequence += i % 3 == 0 ? '1' : '0';
    TInputs in;
    in.SetSequence(sequence);
    const char* rest = in.Remaining().data();
    for (int i = 0; i < 6000; ++i) {
        ASSERT_EQ(in.CurrentSymbol(), i % 3 == 0 ? 1 : 0) << i;
        in.Commit();
        if (i < 4000) {
            ASSERT_EQ(in.Remaining().data(), rest + i + 1) << "the rest is not moved";
        }
    }
    EXPECT_EQ(in.ValueText(), sequence.substr(6000)) << "past half, the consumed part went";
    in.SetSequence("01");
    EXPECT_EQ(in.ValueText(), "01");
}

TEST(InputOutput, OutputRecordsOnlyTheFirstSourceAndIgnoresWeights) {
    TRede net;
    auto* out = Add<TOutputs>(net);
    auto* a = Add<TNeuronio>(net);
    auto* b = Add<TNeuronio>(net);
    Connect(a, out, "7");
    Connect(b, out, "1");
    Connect(a, a, "0.5");
    a->Activity().SetFromText("1");
    b->SetValue(TInfinito("1"));
    b->SelectActivation("HeavisideStepFunction", "");
    net.Step();
    net.Step();
    EXPECT_EQ(out->History(), "xx");
    EXPECT_EQ(out->ValueLog(), (std::vector<std::string>{"0.5", "0.25"}));
}

TEST(InputOutput, OutputWithoutSourceRecordsZero) {
    TRede net;
    auto* out = Add<TOutputs>(net);
    net.Step();
    EXPECT_EQ(out->History(), "0");
    EXPECT_TRUE(net.AllFinished());
}

TEST(InputOutput, OutputApplyInfoClearsHistoryOnlyWhenTheListWasCleared) {
    TRede net;
    TNullCanvas canvas;
    auto* out = Add<TOutputs>(net);
    out->SetHistory("0110");
    TInfoFields f;
    f.name = "renamed";
    out->ApplyInfo(f, canvas);
    EXPECT_EQ(out->History(), "0110");
    f.historyListEmpty = true;
    out->ApplyInfo(f, canvas);
    EXPECT_EQ(out->History(), "");
    EXPECT_EQ(out->Label(), "renamed");
}

TEST(InputOutput, InputApplyInfoTakesOnlyZerosAndOnes) {
    TInputs in;
    TNullCanvas canvas;
    TInfoFields f;
    f.sequence = "0101\r\n";
    in.ApplyInfo(f, canvas);
    EXPECT_EQ(in.Sequence(), "");
    f.sequence = "0101";
    in.ApplyInfo(f, canvas);
    EXPECT_EQ(in.Sequence(), "0101");
    f.sequence = "";
    in.ApplyInfo(f, canvas);
    EXPECT_EQ(in.Sequence(), "") << "the empty text is all zeros and ones";
}

TEST(Bias, SendsItsValueEveryStepUnlessZero) {
    TRede net;
    auto* bias = Add<TPendor>(net);
    auto* n = Add<TNeuronio>(net);
    auto* probe = Add<TOutputs>(net);
    Connect(bias, n, "2");
    n->SelectActivation("HeavisideStepFunction", "-2");
    TNullCanvas canvas;
    TInfoFields f;
    f.value = "-1";
    bias->ApplyInfo(f, canvas);
    EXPECT_EQ(bias->ValueText(), "-1");
    net.Step();
    EXPECT_EQ(n->ValueText(), "1") << "sum -2 reaches the threshold -2";
    bias->BiasValue().SetFromText("-1.5");
    net.Step();
    EXPECT_EQ(n->ValueText(), "0") << "sum -3 stays below it";
    bias->BiasValue().SetFromText("0");
    net.Step();
    EXPECT_EQ(n->ValueText(), "1") << "a zero bias sends nothing: sum 0 >= -2";
    net.ResetAll();
    EXPECT_EQ(bias->ValueText(), "0");
    (void)probe;
}

TEST(Elements, HintTexts) {
    TRede net;
    auto* bias = Add<TPendor>(net, 0, 0, "B");
    auto* in = Add<TInputs>(net, 0, 0, "In");
    auto* m = Add<TModule>(net, 0, 0, "M");
    in->SetSequence("01");
    EXPECT_EQ(bias->HintText(), "Label:B  Value=1");
    EXPECT_EQ(in->HintText(), "Label:In  Value=01");
    EXPECT_EQ(m->HintText(), "Label:M");
}

// Every kind gives the ends of its own ValueText, with the count in its unit: the ends of a
// consumed sequence start at what is left, those of an output at its first symbol.
TEST(Elements, ValueTextEndsAreTheEndsOfValueText) {
    TRede net;
    auto* out = Add<TOutputs>(net);
    auto* bias = Add<TPendor>(net);
    auto* in = Add<TInputs>(net);
    auto* n = Add<TNeuronio>(net);
    auto* m = Add<TModule>(net);
    Connect(in, n, "1");
    Connect(bias, n, "0.0000000001");
    Connect(n, out, "1");
    bias->BiasValue() = TInfinito("-123456789012.5");
    in->SetSequence("1101" + std::string(40, '0') + "1x");
    net.Step();
    net.Step();
    for (TProtoNeuronio* e : {static_cast<TProtoNeuronio*>(out), static_cast<TProtoNeuronio*>(bias),
                              static_cast<TProtoNeuronio*>(in), static_cast<TProtoNeuronio*>(n),
                              static_cast<TProtoNeuronio*>(m)}) {
        const std::string text = e->ValueText();
        for (std::size_t ends : {1u, 3u, 20u}) {
            const TTextEnds got = e->ValueTextEnds(ends, ends);
            const bool sequence = e == in || e == out;
            EXPECT_EQ(got.unit, sequence ? TTextEnds::TUnit::Symbols : TTextEnds::TUnit::Digits);
            EXPECT_EQ(got, TextEndsOf(text, ends, ends, got.unit)) << text << " " << ends;
        }
    }
    EXPECT_EQ(in->ValueTextEnds(2, 2).head, "01");
    EXPECT_EQ(in->ValueTextEnds(2, 2).count, 44u);
    EXPECT_EQ(bias->ValueTextEnds(2, 2).count, 13u);
}

TEST(Elements, PopupMenuShowsLoadOnlyForModules) {
    TRecordingMenu menu;
    TNeuronio n;
    n.AdjustPopupMenu(menu);
    EXPECT_FALSE(menu.items.at("&Load"));
    TModule m;
    m.AdjustPopupMenu(menu);
    EXPECT_TRUE(menu.items.at("&Load"));
}

TEST(Elements, TreeBranchListsSynapsesValueAndCoordinates) {
    TRede net;
    auto* a = Add<TNeuronio>(net, 3, 4, "A");
    auto* b = Add<TNeuronio>(net, 50, 4, "B");
    auto* m = Add<TModule>(net, 80, 4, "M");
    Connect(a, b, "0.5");
    Connect(a, m, "1");
    TRecordingTree tree;
    const int node = a->AddToTree(tree, TInfoTree::NoNode);
    EXPECT_EQ(tree.nodes[static_cast<std::size_t>(node)].image, 0);
    EXPECT_EQ(tree.Children(node),
              (std::vector<std::string>{"pos synapses ", "potential = 0", "coordinates"}));
    const int pos = node + 1;
    EXPECT_EQ(tree.Children(pos), (std::vector<std::string>{"A/B"}))
        << "synapses to modules are left out";
    EXPECT_EQ(tree.Children(pos + 1),
              (std::vector<std::string>{"origem =A", "destino =B", "peso =0.5"}));
    TRecordingTree moduleTree;
    AddTo<TNeuronio>(m->InnerNet(), "inner");
    const int mn = m->AddToTree(moduleTree, TInfoTree::NoNode);
    EXPECT_EQ(moduleTree.Children(mn), (std::vector<std::string>{"coordinates", "inner"}));
}

TEST(Drawing, GestureMakesTheSynapseTheBoxAsks) {
    TSilentInteraction ui;
    TDados doc(&ui);
    TRecordingCanvas canvas;
    auto* a = Add<TNeuronio>(doc.Net(), 0, 0);
    auto* b = Add<TNeuronio>(doc.Net(), 100, 0);
    auto* out = Add<TOutputs>(doc.Net(), 200, 0);

    doc.BeginSynapse(a, {5, 5}, canvas);
    EXPECT_EQ(doc.dragState, TDragState::Drawing);
    doc.DragSynapse(canvas, 50, 10);
    TSinapse* ab = doc.EndSynapse(canvas, 105, 10);
    ASSERT_NE(ab, nullptr);
    EXPECT_EQ(ab->Weight().ToText(), "0") << "an empty weight box gives 0.0";
    EXPECT_EQ(ab->Name(), "0/1");
    EXPECT_EQ(doc.dragState, TDragState::None);

    ui.weightText = "0.75";
    doc.BeginSynapse(b, {105, 5}, canvas);
    TSinapse* ba = doc.EndSynapse(canvas, 5, 10);
    ASSERT_NE(ba, nullptr);
    EXPECT_EQ(ba->Weight().ToText(), "0.75");
    EXPECT_TRUE(ba->Pair());
    EXPECT_FALSE(ab->Pair());
    EXPECT_EQ(ba->StartPoint(), (TPoint{109, 10}));
    EXPECT_EQ(ba->EndPoint(), (TPoint{9, 10}));

    doc.BeginSynapse(b, {105, 5}, canvas);
    TSinapse* bo = doc.EndSynapse(canvas, 210, 10);
    ASSERT_NE(bo, nullptr);
    EXPECT_EQ(bo->Weight().ToText(), "1") << "into an output the weight is 1";

    const std::size_t before = a->OutgoingSynapses().Count();
    doc.BeginSynapse(a, {5, 5}, canvas);
    EXPECT_EQ(doc.EndSynapse(canvas, 400, 400), nullptr) << "an empty spot";
    doc.BeginSynapse(out, {205, 5}, canvas);
    EXPECT_EQ(doc.EndSynapse(canvas, 5, 5), nullptr) << "outputs never send";
    EXPECT_EQ(a->OutgoingSynapses().Count(), static_cast<int>(before));
    EXPECT_TRUE(out->OutgoingSynapses().Empty());
}

TEST(Drawing, SelfLoopKeepsItsPressPointAndSetsTheLoopFlag) {
    TSilentInteraction ui;
    TDados doc(&ui);
    TRecordingCanvas canvas;
    auto* n = Add<TNeuronio>(doc.Net(), 0, 0);
    doc.BeginSynapse(n, {9, 2}, canvas);
    ASSERT_FALSE(canvas.synapses.empty());
    EXPECT_EQ(canvas.synapses.back().figure, TSynapseFigure::Loop) << "preview over itself";
    TSinapse* loop = doc.EndSynapse(canvas, 9, 3);
    ASSERT_NE(loop, nullptr);
    EXPECT_TRUE(n->Loop());
    EXPECT_EQ(loop->StartPoint(), (TPoint{9, 2}));
    EXPECT_EQ(loop->EndPoint(), (TPoint{9, 2}));
    EXPECT_EQ(canvas.synapses.back().figure, TSynapseFigure::Loop);
    doc.BeginSynapse(n, {9, 2}, canvas);
    EXPECT_EQ(canvas.synapses.back().figure, TSynapseFigure::Straight)
        << "no loop preview once the flag is set";
    doc.EndSynapse(canvas, 500, 500);
}

} // namespace
} // namespace veltra::testing
