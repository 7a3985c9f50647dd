#include "fakes.h"
#include "netbuilder.h"

#include <gtest/gtest.h>

namespace veltra::testing {
namespace {

std::string Eval(TActivacao& f, const std::string& x) {
    TInfinito value(x);
    return f.Evaluate(value).ToText();
}

TEST(Activation, SaturatedLinearClipsAndKeepsEveryDigit) {
    TSacturated_Linear f;
    EXPECT_EQ(Eval(f, "0.37"), "0.37");
    EXPECT_EQ(Eval(f, "-0.5"), "0");
    EXPECT_EQ(Eval(f, "1"), "1");
    EXPECT_EQ(Eval(f, "2.5"), "1");
    EXPECT_EQ(Eval(f, "0.123456789012345678"), "0.123456789012345678");
}

// A neuron's commit clamps by sign and leading group (EvaluateInto); the general comparisons
// (Evaluate) must give the same groups, sign included, on values at and around both bounds,
// in normal form or not.
TEST(Activation, SaturatedLinearIntoAgreesWithTheGeneralComparisons) {
    const char* values[] = {"0",
                            "-0",
                            "0.0",
                            "-0.000000000",
                            "",
                            "-",
                            "1",
                            "1.0",
                            "01",
                            "1.00000001",
                            "1.000000001",
                            "0.99999999",
                            "0.999999999999",
                            "2",
                            "100000000",
                            "99999999.99999999",
                            "100000000.5",
                            "-1",
                            "-0.00000001",
                            "0.00000001",
                            "00000000.5",
                            "0.5000000000000000",
                            "123456789.000000001",
                            "-100000000",
                            "10000000000000000",
                            "0.0000000000000001"};
    // Long sums too, with zero groups at either end to shed, into a short and a long previous
    // activity: the sum's groups are then copied or its buffer taken over.
    const std::string digits = "1234567890123456789012345678901234567890123456789012345";
    std::vector<std::string> texts(std::begin(values), std::end(values));
    for (const std::string& t :
         {"0." + digits, "0." + digits + "0000000000000000", "000000000000000000.0" + digits,
          "-0." + digits + "000000000", "0.000000000000000000" + digits + "000", digits,
          "0." + std::string(60, '0'), "-" + digits + "." + digits})
        texts.push_back(t);
    TSacturated_Linear into; // one function for every value, as a neuron keeps it
    for (const std::string& previous : {std::string("0.25"), "0." + digits + digits})
        for (const std::string& text : texts) {
            for (bool normal : {false, true}) {
                TSacturated_Linear general;
                TInfinito a(text), b(text);
                if (normal) {
                    a.Normalize();
                    b.Normalize();
                }
                const TInfinito want = general.Evaluate(a);
                TInfinito got(previous); // the neuron's previous activity
                into.EvaluateInto(b, got);
                ASSERT_EQ(got.GroupCount(), want.GroupCount()) << text << " into " << previous;
                EXPECT_EQ(got.Sign(), want.Sign()) << text;
                for (int g = 0; g < got.GroupCount(); ++g)
                    EXPECT_EQ(got.GroupAt(g), want.GroupAt(g)) << text << " group " << g;
            }
        }
}

TEST(Activation, StepFunctionFiresAtItsThreshold) {
    TStepFunction f;
    EXPECT_EQ(Eval(f, "0"), "1") << "default threshold 0";
    f.Teta().SetFromText("0.5");
    EXPECT_EQ(Eval(f, "0.5"), "1");
    EXPECT_EQ(Eval(f, "0.4999"), "0");
    f.Teta().SetFromText("-2");
    EXPECT_EQ(Eval(f, "-2"), "1");
    EXPECT_EQ(Eval(f, "-2.5"), "0");
}

TEST(Activation, BinarySigmoidIsAHardThresholdAtOne) {
    TBinarySigmoid f;
    EXPECT_EQ(Eval(f, "0.999"), "0");
    EXPECT_EQ(Eval(f, "1"), "1");
    EXPECT_EQ(Eval(f, "7"), "1");
    EXPECT_EQ(Eval(f, "-3"), "0");
}

TEST(Neuron, WithoutInputsStaysZeroAndFinished) {
    TRede net;
    auto* n = Add<TNeuronio>(net);
    net.Step();
    EXPECT_EQ(n->ValueText(), "0");
    EXPECT_TRUE(n->IsFinished());
}

TEST(Neuron, DefaultStepFunctionFiresForeverWithoutInputs) {
    TRede net;
    auto* n = Add<TNeuronio>(net);
    n->SelectActivation("HeavisideStepFunction", "");
    for (int i = 0; i < 3; ++i) {
        net.Step();
        EXPECT_EQ(n->ValueText(), "1");
        EXPECT_FALSE(net.AllFinished());
    }
}

TEST(Neuron, SelfLoopHalvesExactly) {
    TRede net;
    auto* n = Add<TNeuronio>(net);
    Connect(n, n, "0.5");
    n->Activity().SetFromText("1");
    const char* expected[] = {"0.5", "0.25", "0.125", "0.0625", "0.03125", "0.015625"};
    for (const char* e : expected) {
        net.Step();
        EXPECT_EQ(n->ValueText(), e);
        EXPECT_FALSE(n->IsFinished());
    }
    for (int i = 0; i < 60; ++i)
        net.Step();
    // 2^-66 exactly: 66 significant fraction digits, ending in ...5.
    const std::string text = n->ValueText();
    EXPECT_EQ(text.size(), 68u);
    EXPECT_EQ(text.back(), '5');
    EXPECT_TRUE(n->InputSum().IsZero()) << "the sum is cleared between steps";
}

TEST(Neuron, EverySourceSeesThePreviousStep) {
    // A chain a -> b -> c: one step moves a value one link only, whatever the list order.
    TRede net;
    auto* c = Add<TNeuronio>(net);
    auto* b = Add<TNeuronio>(net);
    auto* a = Add<TNeuronio>(net);
    Connect(a, b, "1");
    Connect(b, c, "1");
    a->Activity().SetFromText("1");
    net.Step();
    EXPECT_EQ(b->ValueText(), "1");
    EXPECT_EQ(c->ValueText(), "0");
    EXPECT_EQ(a->ValueText(), "0");
    net.Step();
    EXPECT_EQ(c->ValueText(), "1");
    EXPECT_EQ(b->ValueText(), "0");
}

TEST(Neuron, WeightedSumIsSaturated) {
    TRede net;
    auto* a = Add<TNeuronio>(net);
    auto* b = Add<TNeuronio>(net);
    auto* s = Connect(a, b, "2");
    a->Activity().SetFromText("0.3");
    net.Step();
    EXPECT_EQ(b->ValueText(), "0.6");
    s->SetWeightText("4");
    a->Activity().SetFromText("0.3");
    net.Step();
    EXPECT_EQ(b->ValueText(), "1");
}

// A destination that counts the contributions it receives.
class Probe : public TProtoNeuronio {
public:
    TElementKind Kind() const override { return TElementKind::Neuron; }
    void AddInput(const TInfinito& c) override { received.push_back(c.ToText()); }
    bool SaveBody(TNetWriter&) const override { return true; }
    std::string LoadBody(TNetReader&, int) override { return {}; }
    std::vector<std::string> received;
};

TEST(Neuron, ZeroValueSendsNothingButZeroWeightStillSends) {
    TRede net;
    auto* a = Add<TNeuronio>(net);
    auto* probe = static_cast<Probe*>(net.AddElement(std::make_unique<Probe>()));
    auto* s = Connect(a, probe, "0.0");
    net.Step();
    EXPECT_TRUE(probe->received.empty()) << "activity 0 sends nothing";
    a->Activity().SetFromText("0.7");
    net.Step();
    ASSERT_EQ(probe->received.size(), 1u);
    EXPECT_EQ(probe->received[0], "0");
    s->SetWeightText("3");
    a->Activity().SetFromText("-0.5");
    net.Step();
    EXPECT_EQ(probe->received.back(), "-1.5");
}

TEST(Neuron, ResetKeepsFunctionThresholdAndLoop) {
    TRede net;
    auto* n = Add<TNeuronio>(net);
    Connect(n, n, "0.5");
    n->SetLoop(true);
    n->SelectActivation("HeavisideStepFunction", "0.25");
    n->Activity().SetFromText("1");
    net.Step();
    net.ResetAll();
    EXPECT_EQ(n->ValueText(), "0");
    EXPECT_TRUE(n->InputSum().IsZero());
    EXPECT_EQ(n->TetaText(), "0.25");
    EXPECT_TRUE(n->Loop());
}

TEST(Neuron, SelectActivationRules) {
    TNeuronio n;
    EXPECT_EQ(n.TetaText(), "") << "no threshold without a step function";
    n.SelectActivation("HeavisideStepFunction", "");
    EXPECT_EQ(n.Activation().DisplayName(), "HeavisideStepFunction");
    EXPECT_EQ(n.TetaText(), "0") << "an empty threshold reads as 0";
    n.SelectActivation("HeavisideStepFunction", "0.75");
    EXPECT_EQ(n.TetaText(), "0.75") << "keeping the function still takes the threshold";
    n.SelectActivation("Saturated_Linear", "0.75");
    EXPECT_EQ(n.Activation().DisplayName(), "Saturated_Linear");
    EXPECT_EQ(n.TetaText(), "");
    n.SelectActivation("NoSuchFunction", "1");
    EXPECT_EQ(n.Activation().DisplayName(), "Saturated_Linear") << "unknown names keep it";
    n.SelectActivation("BinarySigmoid", "");
    EXPECT_EQ(n.Activation().DisplayName(), "BinarySigmoid");
}

TEST(Neuron, ApplyInfoTakesWhatItCanAndSkipsTheRest) {
    TRede net;
    auto* n = Add<TNeuronio>(net, 10, 10, "old");
    TRecordingCanvas canvas;
    TInfoFields f;
    f.name = "   ";
    f.value = "0.25";
    f.x = "12";
    f.y = "x";
    f.activation = "HeavisideStepFunction";
    n->ApplyInfo(f, canvas);
    EXPECT_EQ(n->Label(), "old");
    EXPECT_EQ(n->ValueText(), "0.25");
    EXPECT_EQ(n->GetPosition(), (TPoint{10, 10}));
    EXPECT_EQ(n->TetaText(), "0");
    f.name = " new ";
    f.x = "40";
    f.y = "-3";
    n->ApplyInfo(f, canvas);
    EXPECT_EQ(n->Label(), " new ") << "the label is taken as typed";
    EXPECT_EQ(n->GetPosition(), (TPoint{40, -3}));
    EXPECT_EQ(canvas.invalidated.size(), 2u) << "old and new glyph areas";
}

TEST(Neuron, ConnectionTable) {
    TSilentInteraction ui;
    TNeuronio n;
    TNeuronio other;
    TPendor bias;
    TInputs input;
    TOutputs output;
    EXPECT_TRUE(n.ConnectTo(&n, ui));
    EXPECT_TRUE(n.ConnectTo(&other, ui));
    EXPECT_TRUE(n.ConnectTo(&output, ui));
    EXPECT_FALSE(n.ConnectTo(&bias, ui));
    EXPECT_FALSE(n.ConnectTo(&input, ui));
    EXPECT_FALSE(n.ConnectTo(nullptr, ui));
    EXPECT_TRUE(bias.ConnectTo(&n, ui));
    EXPECT_FALSE(bias.ConnectTo(&output, ui));
    EXPECT_TRUE(input.ConnectTo(&n, ui));
    EXPECT_FALSE(input.ConnectTo(&output, ui));
    EXPECT_FALSE(output.ConnectTo(&n, ui));
    TModule m;
    EXPECT_FALSE(bias.ConnectTo(&m, ui));
    EXPECT_FALSE(m.ConnectTo(&bias, ui));
    EXPECT_FALSE(m.ConnectTo(&input, ui));
    EXPECT_TRUE(ui.offers.empty()) << "none of these asks the user";
}

} // namespace
} // namespace veltra::testing
