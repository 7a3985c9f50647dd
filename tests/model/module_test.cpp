#include "fakes.h"
#include "model/netedit.h"
#include "netbuilder.h"

#include <gtest/gtest.h>
#include <sstream>

namespace veltra::testing {
namespace {

// A module holding one saturated-linear neuron with a self-synapse, fed by an input and
// read by an output over hidden synapses, built with the drawing gesture.
struct ModuleNet {
    TSilentInteraction ui;
    TDados doc{&ui};
    TRecordingCanvas canvas;
    TInputs* in = nullptr;
    TModule* module = nullptr;
    TNeuronio* inner = nullptr;
    TOutputs* out = nullptr;

    ModuleNet() {
        in = Add<TInputs>(doc.Net(), 0, 0, "In");
        module = Add<TModule>(doc.Net(), 100, 0, "M");
        out = Add<TOutputs>(doc.Net(), 200, 0, "Out");
        AddTo<TInputs>(module->InnerNet(), "innerIn");
        inner = AddTo<TNeuronio>(module->InnerNet(), "N");
        Connect(inner, inner, "0.5");
        in->SetSequence("1101");
    }
    bool Draw(TProtoNeuronio* from, TProtoNeuronio* to, const std::string& weight, int pick) {
        ui.weightText = weight;
        ui.pick = pick;
        doc.BeginSynapse(from, from->Centre(), canvas);
        return doc.EndSynapse(canvas, to->Centre().x, to->Centre().y) != nullptr;
    }
};

// The same elements connected directly in one net.
std::vector<std::string> DirectHistory(int steps) {
    TRede net;
    auto* in = Add<TInputs>(net);
    auto* n = Add<TNeuronio>(net);
    auto* out = Add<TOutputs>(net);
    Connect(in, n, "0.75");
    Connect(n, n, "0.5");
    Connect(n, out, "1");
    in->SetSequence("1101");
    std::vector<std::string> values;
    for (int i = 0; i < steps; ++i) {
        net.Step();
        values.push_back(n->ValueText());
    }
    EXPECT_EQ(out->ValueLog(), values);
    return values;
}

TEST(Module, HiddenSynapsesComputeWhatDirectOnesDo) {
    ModuleNet m;
    ASSERT_TRUE(m.Draw(m.in, m.module, "0.75", 0));
    ASSERT_EQ(m.ui.offers.size(), 1u);
    EXPECT_EQ(m.ui.offers[0], (std::vector<TProtoNeuronio*>{m.inner}))
        << "into a module only inner neurons are offered";
    ASSERT_TRUE(m.Draw(m.module, m.out, "9", 1));
    EXPECT_EQ(m.ui.offers[1].size(), 2u) << "out of a module inner inputs are offered too";
    EXPECT_EQ(m.ui.messages,
              (std::vector<std::string>{"Input escolhido:N", "Neuronio escolhido:N"}));

    const std::vector<std::string> expected = DirectHistory(6);
    std::vector<std::string> values;
    for (int i = 0; i < 6; ++i) {
        m.doc.Step();
        values.push_back(m.inner->ValueText());
    }
    EXPECT_EQ(values, expected);
    EXPECT_EQ(m.out->ValueLog(), expected);
    EXPECT_EQ(m.out->IncomingSynapses().Count(), 2) << "hidden and visible";
}

TEST(Module, HiddenSynapsesAreInvisibleAndCarryTheBoxWeight) {
    ModuleNet m;
    ASSERT_TRUE(m.Draw(m.in, m.module, "", 0));
    const TSinapse* hidden = m.in->OutgoingSynapses().Item(0);
    const TSinapse* shown = m.in->OutgoingSynapses().Item(1);
    EXPECT_FALSE(hidden->Visible());
    EXPECT_EQ(hidden->Destination(), m.inner);
    EXPECT_EQ(hidden->Weight().ToText(), "0");
    EXPECT_EQ(hidden->StartPoint(), (TPoint{0, 0}));
    EXPECT_TRUE(shown->Visible());
    EXPECT_EQ(shown->Destination(), m.module);
    TRecordingCanvas canvas;
    m.doc.DrawAll(canvas);
    EXPECT_EQ(canvas.synapses.size(), 1u) << "hidden synapses are never drawn";
}

TEST(Module, CancellingTheSelectionLeavesNoSynapseAtAll) {
    ModuleNet m;
    EXPECT_FALSE(m.Draw(m.in, m.module, "1", -1));
    EXPECT_FALSE(m.Draw(m.module, m.out, "1", -1));
    EXPECT_TRUE(m.in->OutgoingSynapses().Empty());
    EXPECT_TRUE(m.inner->IncomingSynapses().Count() == 1); // its own loop only
    EXPECT_TRUE(m.out->IncomingSynapses().Empty());
    EXPECT_TRUE(m.ui.messages.empty());
}

TEST(Module, EmptyModuleIsFinishedAndSendsNothing) {
    TRede net;
    auto* m = Add<TModule>(net);
    auto* n = Add<TNeuronio>(net);
    Connect(m, n, "1");
    net.Step();
    EXPECT_TRUE(net.AllFinished());
    EXPECT_EQ(n->ValueText(), "0");
    EXPECT_EQ(m->ValueText(), "0");
}

TEST(Module, StepsItsInnerNetInLockStep) {
    TRede net;
    auto* m = Add<TModule>(net);
    auto* a = AddTo<TNeuronio>(m->InnerNet());
    auto* b = AddTo<TNeuronio>(m->InnerNet());
    Connect(a, b, "1");
    a->Activity().SetFromText("0.5");
    EXPECT_FALSE(net.AllFinished());
    net.Step();
    EXPECT_EQ(b->ValueText(), "0.5");
    EXPECT_EQ(a->ValueText(), "0");
    net.Step();
    EXPECT_TRUE(net.AllFinished());
    b->Activity().SetFromText("1");
    net.ResetAll();
    EXPECT_EQ(b->ValueText(), "0") << "reset reaches inner elements";
}

TEST(Module, CannotComeToContainItself) {
    TSilentInteraction ui;
    TRede outer;
    auto* m = Add<TModule>(outer);
    EXPECT_FALSE(m->SetInnerNet(outer.SharedElements(), ui)) << "directly";
    auto* nested = AddTo<TModule>(m->InnerNet());
    EXPECT_FALSE(nested->SetInnerNet(outer.SharedElements(), ui)) << "through a module";
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0], ModuleCycleText);
    auto other = std::make_shared<TProtoLista>();
    AddTo<TNeuronio>(*other);
    EXPECT_TRUE(nested->SetInnerNet(other, ui));
    std::int32_t counter = 0;
    outer.Elements().RenumberAll(counter);
    EXPECT_EQ(counter, 3);
    outer.Step();
}

TEST(Module, SharingANetNestedTooDeeplyIsRefused) {
    TSilentInteraction ui;
    auto deep = std::make_shared<TProtoLista>();
    TProtoLista* level = deep.get();
    for (int i = 0; i < MaxModuleDepth; ++i)
        level = &AddTo<TModule>(*level)->InnerNet();
    EXPECT_EQ(NestingDepth(*deep), MaxModuleDepth);
    TModule m;
    EXPECT_FALSE(m.SetInnerNet(deep, ui));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{ModuleDepthText()}));
    EXPECT_TRUE(m.InnerNet().Empty());
}

// `depth` modules, each holding the next, in `list`; the innermost list is returned.
TProtoLista& Chain(TProtoLista& list, int depth) {
    TProtoLista* level = &list;
    for (int i = 0; i < depth; ++i)
        level = &AddTo<TModule>(*level)->InnerNet();
    return *level;
}

TEST(Module, DepthIsCountedFromTheTopOfEveryNetThatHoldsAList) {
    TSilentInteraction ui;
    auto a = std::make_shared<TProtoLista>();
    auto b = std::make_shared<TProtoLista>();
    TProtoLista& deepInA = Chain(*a, 10);
    TProtoLista& deepInB = Chain(*b, 3);
    auto shared = std::make_shared<TProtoLista>();
    EXPECT_EQ(ListDepth(*shared), 0);
    ASSERT_TRUE(AddTo<TModule>(deepInA)->SetInnerNet(shared, ui));
    ASSERT_TRUE(AddTo<TModule>(deepInB)->SetInnerNet(shared, ui));
    EXPECT_EQ(ListDepth(*shared), 11) << "the deeper of the two places";
    EXPECT_EQ(ListDepth(deepInB), 3);
    EXPECT_TRUE(FitsDepth(*shared, MaxModuleDepth - 11));
    EXPECT_FALSE(FitsDepth(*shared, MaxModuleDepth - 10));
    TModule lone;
    EXPECT_EQ(ElementNesting(lone), 1);
    Chain(lone.InnerNet(), 4);
    EXPECT_EQ(ElementNesting(lone), 5);
}

TEST(Module, UndoNeverBringsBackAModuleOrInnerNetDeeperThanAFileMayNest) {
    // A window's net W holds a module nesting 4 deep; it is erased (held by undo), and W then
    // becomes the inner net of a module standing 60 deep, which it now fits.
    TSilentInteraction ui;
    auto window = std::make_shared<TProtoLista>();
    TModule* held = AddTo<TModule>(*window);
    Chain(held->InnerNet(), 3);
    TElementPlace erased(window, held);
    erased.Detach();
    auto top = std::make_shared<TProtoLista>();
    TModule* host = AddTo<TModule>(Chain(*top, 60));
    ASSERT_TRUE(host->SetInnerNet(window, ui));
    // Back in W the module would stand 61 deep and nest 4 more: 65.
    EXPECT_FALSE(erased.Restore());
    EXPECT_TRUE(erased.Detached());
    EXPECT_TRUE(window->Empty());
    ASSERT_TRUE(host->SetInnerNet(std::make_shared<TProtoLista>(), ui));
    EXPECT_TRUE(erased.Restore()) << "W stands at the top again";
    EXPECT_EQ(window->Item(0), held);

    // An inner net swapped out (Load, Window) comes back only where it still fits.
    auto other = std::make_shared<TProtoLista>();
    TModule* swapped = AddTo<TModule>(*other);
    auto deep = std::make_shared<TProtoLista>();
    Chain(*deep, 3);
    ASSERT_TRUE(swapped->SetInnerNet(deep, ui));
    TInnerNetSwap swap(*swapped, std::make_shared<TProtoLista>());
    ASSERT_TRUE(swap.Apply());
    ASSERT_TRUE(host->SetInnerNet(other, ui)); // 60 + 1 + 1
    EXPECT_FALSE(swap.Revert()) << "the old net would nest 61 + 1 + 3 deep";
    EXPECT_TRUE(swapped->InnerNet().Empty());
    ASSERT_TRUE(host->SetInnerNet(std::make_shared<TProtoLista>(), ui));
    EXPECT_TRUE(swap.Revert());
    EXPECT_EQ(swapped->SharedInnerNet(), deep);
}

TEST(Module, ReplacingTheInnerNetReleasesBorderSynapsesAtBothEnds) {
    ModuleNet m;
    ASSERT_TRUE(m.Draw(m.in, m.module, "1", 0));
    ASSERT_TRUE(m.Draw(m.module, m.out, "1", 1));
    auto old = m.module->SharedInnerNet(); // another window still shows the old list
    ASSERT_TRUE(m.module->SetInnerNet(std::make_shared<TProtoLista>(), m.ui));
    ASSERT_EQ(m.in->OutgoingSynapses().Count(), 1);
    EXPECT_EQ(m.in->OutgoingSynapses().Item(0)->Destination(), m.module)
        << "the module's own visible synapses stay";
    ASSERT_EQ(m.out->IncomingSynapses().Count(), 1);
    EXPECT_EQ(m.out->IncomingSynapses().Item(0)->Source(), m.module);
    EXPECT_EQ(m.inner->IncomingSynapses().Count(), 1) << "only its own loop";
    EXPECT_EQ(m.inner->OutgoingSynapses().Count(), 1);
    m.doc.Step();
    TRede window;
    window.SetElements(old);
    window.Step();
}

TEST(Module, SharedInnerListOutlivesTheErasedModule) {
    ModuleNet m;
    ASSERT_TRUE(m.Draw(m.in, m.module, "1", 0));
    ASSERT_TRUE(m.Draw(m.module, m.out, "1", 1));
    TDados expanded;
    expanded.SetElements(m.module->SharedInnerNet());
    m.doc.Remove(m.module, m.canvas);
    EXPECT_TRUE(m.in->OutgoingSynapses().Empty());
    EXPECT_TRUE(m.out->IncomingSynapses().Empty());
    ASSERT_EQ(expanded.Elements().Count(), 2);
    m.inner->Activity().SetFromText("1");
    expanded.Step();
    EXPECT_EQ(m.inner->ValueText(), "0.5");
    m.doc.Step();
}

TEST(Module, ErasingAnInnerElementInTheExpandedViewDropsItsHiddenLinks) {
    ModuleNet m;
    ASSERT_TRUE(m.Draw(m.in, m.module, "1", 0));
    ASSERT_TRUE(m.Draw(m.module, m.out, "1", 1));
    TDados expanded;
    expanded.SetElements(m.module->SharedInnerNet());
    TNullCanvas canvas;
    expanded.Remove(m.inner, canvas);
    EXPECT_EQ(m.in->OutgoingSynapses().Count(), 1);
    EXPECT_EQ(m.out->IncomingSynapses().Count(), 1);
    m.doc.Step();
    EXPECT_EQ(m.out->History(), "0");
}

TEST(Module, SaveAndLoadRestoreHiddenSynapsesAndTheOutputReadsTheInnerValue) {
    ModuleNet m;
    ASSERT_TRUE(m.Draw(m.in, m.module, "0.75", 0));
    ASSERT_TRUE(m.Draw(m.module, m.out, "1", 1));
    std::ostringstream saved;
    ASSERT_TRUE(m.doc.Save(saved));
    EXPECT_EQ(m.module->Id(), 1);
    EXPECT_EQ(m.inner->Id(), 3) << "inner ids follow the module's";

    TSilentInteraction ui;
    TDados copy(&ui);
    std::istringstream in(saved.str());
    ASSERT_EQ(copy.Load(in), "");
    EXPECT_EQ(copy.Net().ElementCounter(), 3);
    auto* loadedOut = static_cast<TOutputs*>(copy.Elements().Item(2));
    ASSERT_EQ(loadedOut->IncomingSynapses().Count(), 2);
    EXPECT_EQ(loadedOut->IncomingSynapses().Item(0)->Source()->Kind(), TElementKind::Module)
        << "after loading the module's visible synapse comes first";
    std::ostringstream again;
    ASSERT_TRUE(copy.Save(again));
    EXPECT_EQ(again.str(), saved.str());

    const std::vector<std::string> expected = DirectHistory(6);
    for (int i = 0; i < 6; ++i)
        copy.Step();
    EXPECT_EQ(loadedOut->ValueLog(), expected);
}

TEST(Module, LoadModuleFileReplacesTheInnerNet) {
    ModuleNet m;
    ASSERT_TRUE(m.Draw(m.in, m.module, "1", 0));
    ASSERT_TRUE(m.Draw(m.module, m.out, "1", 1));
    // A file with one neuron feeding itself.
    std::istringstream file("whatever header\r\n<TProtoLista=1>\r\n<TPROTONEURONIO=TNEURONIO>\r\n"
                            "Id:7\r\nEtiqueta:X\r\nPosicao:1;2\r\nVisible_in_runform:true\r\n"
                            "Pos_Sinapses:\r\n<TListaSinapses=1>\r\n<TSINAPSE>\r\nValor:0.5\r\n"
                            "Destino:7\r\nvisible:true\r\n</TSINAPSE>\r\n</TListaSinapses>\r\n"
                            "Actividade:1\r\nFuncaoActivacao:TSacturated_Linear\r\nloop:true\r\n"
                            "</TPROTONEURONIO>\r\n</TProtoLista>\r\n");
    ASSERT_EQ(m.doc.LoadModuleFile(*m.module, file), "");
    ASSERT_EQ(m.module->InnerNet().Count(), 1);
    auto* x = static_cast<TNeuronio*>(m.module->InnerNet().Item(0));
    EXPECT_EQ(x->Id(), 7) << "the file's ids stay until the next save";
    EXPECT_EQ(x->IncomingSynapses().Count(), 1);
    EXPECT_EQ(m.in->OutgoingSynapses().Count(), 1) << "the hidden synapse went with the old net";
    EXPECT_EQ(m.out->IncomingSynapses().Count(), 1);
    EXPECT_EQ(m.module->Label(), "M");
    m.doc.Step();
    EXPECT_EQ(x->ValueText(), "0.5");

    EXPECT_EQ(m.doc.FinishModule(*m.module), "") << "resolving twice attaches nothing twice";
    EXPECT_EQ(x->IncomingSynapses().Count(), 1);
}

TEST(Module, LoadModuleFileErrors) {
    TSilentInteraction ui;
    TDados doc(&ui);
    auto* m = Add<TModule>(doc.Net());
    std::istringstream faulty("h\r\n<TProtoLista=2>\r\n<TPROTONEURONIO=TPENDOR>\r\nId:0\r\n"
                              "Etiqueta:B\r\nPosicao:0;0\r\nVisible_in_runform:true\r\n"
                              "Pos_Sinapses:\r\n<TListaSinapses=0>\r\n</TListaSinapses>\r\n"
                              "Actividade:1\r\n</TPROTONEURONIO>\r\n<TPROTONEURONIO=TFOO>\r\n");
    EXPECT_EQ(doc.LoadModuleFile(*m, faulty), "TProtoNeuronio - Tipo desconhecido");
    EXPECT_EQ(m->InnerNet().Count(), 1) << "what was read before the fault stays";

    std::istringstream dangling("h\r\n<TProtoLista=1>\r\n<TPROTONEURONIO=TPENDOR>\r\nId:0\r\n"
                                "Etiqueta:B\r\nPosicao:0;0\r\nVisible_in_runform:true\r\n"
                                "Pos_Sinapses:\r\n<TListaSinapses=1>\r\n<TSINAPSE>\r\nValor:1\r\n"
                                "Destino:5\r\nvisible:true\r\n</TSINAPSE>\r\n</TListaSinapses>\r\n"
                                "Actividade:1\r\n</TPROTONEURONIO>\r\n</TProtoLista>\r\n");
    EXPECT_EQ(doc.LoadModuleFile(*m, dangling), "Erro a finalizacao");
    EXPECT_EQ(ui.messages.back(), "FinishLoad - neuronio nao encontrado");
}

} // namespace
} // namespace veltra::testing
