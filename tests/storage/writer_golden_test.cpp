// The writer against golden files: nets built in memory, as the drawing window and the Info
// dialog leave them, must be written exactly as the files under tests/data/golden and examples.
#include "model/activacao.h"
#include "model/dados.h"
#include "model/inputs.h"
#include "model/module.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace veltra {
namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <class T> T* Add(TProtoLista& list, const std::string& label, int x, int y) {
    auto element = std::make_unique<T>();
    element->SetLabel(label);
    element->SetPosition(x, y);
    T* raw = element.get();
    list.AddElement(std::move(element));
    return raw;
}

void Connect(TProtoNeuronio* from, TProtoNeuronio* to, const std::string& weight) {
    auto synapse = std::make_unique<TSinapse>();
    synapse->SetUp(from, to);
    synapse->SetWeightText(weight);
    to->AddIncoming(from->AddOutgoing(std::move(synapse)));
}

std::string Saved(TDados& document) {
    std::ostringstream out;
    EXPECT_TRUE(document.Save(out));
    return out.str();
}

TEST(WriterGolden, ModuleWithHiddenSynapsesDrawnInMemory) {
    TSilentInteraction ui;
    TDados document(&ui);
    TProtoLista& top = document.Elements();
    // Drawn out of order on purpose: the output first, the module's inner neuron last.
    auto* out = Add<TOutputs>(top, "Out", 320, 60);
    auto* in = Add<TInputs>(top, "In", 20, 60);
    in->SetSequence("1101");
    auto* module = Add<TModule>(top, "Delay", 120, 60);
    auto* echo = Add<TNeuronio>(top, "Echo", 220, 60);
    Add<TNeuronio>(module->InnerNet(), "Inner", 40, 40);

    // Into the module: the user picks the inner neuron; the hidden synapse takes the weight
    // box, then the drawing window adds the visible synapse that carries nothing.
    ui.pick = 0;
    ui.weightText = "0.5";
    ASSERT_TRUE(in->ConnectTo(module, ui));
    Connect(in, module, "1");
    ui.weightText = "2";
    ASSERT_TRUE(module->ConnectTo(echo, ui));
    Connect(module, echo, "1");
    Connect(echo, out, "1");

    EXPECT_EQ(Saved(document), ReadBytes(std::string(VELTRA_EXAMPLES) + "/module_delay.net"));
}

TEST(WriterGolden, LabelsValuesFunctionsAndFlags) {
    TDados document;
    TProtoLista& top = document.Elements();
    auto* n1 = Add<TNeuronio>(top, "a;b: c", -15, 300);
    Add<TOutputs>(top, "Out", 3, 4)->SetHistory("01x");
    auto* n2 = Add<TNeuronio>(top, "", 0, -1);
    auto* bias = Add<TPendor>(top, " spaced ", 5, 5);
    auto* in = Add<TInputs>(top, "In", 1, 2);
    in->SetSequence("0110");

    n1->Activity().SetFromText("-0.125");
    n1->SelectActivation("HeavisideStepFunction", "-2");
    n1->SetLoop(true);
    n2->SetActivation(MakeActivationByClassName("TBinarySigmoid"));
    n2->Activity().SetFromText("12345678901234567890.000000001");
    n2->SetWatched(false);
    bias->BiasValue().SetFromText("0");

    Connect(bias, n1, "-0.750");
    Connect(bias, n2, "100000000");
    Connect(n1, n1, "0.00000001");
    Connect(n1, n2, "-1.0");
    Connect(n1, top.Item(4), "1"); // the output stays last
    Connect(in, n2, "-0");
    Connect(n2, n1, "3");

    const std::string golden = ReadBytes(std::string(VELTRA_TEST_DATA) + "/golden/mixed.net");
    EXPECT_EQ(Saved(document), golden);

    // Reading the golden file and writing it again changes nothing.
    TDados reread;
    std::istringstream inText(golden);
    EXPECT_EQ(reread.Load(inText), "");
    EXPECT_EQ(Saved(reread), golden);
}

} // namespace
} // namespace veltra
