// Hostile net files: huge counts, deep module nesting, very long lines.
#include "model/canvas.h"
#include "model/dados.h"
#include "model/interaction.h"
#include "model/module.h"
#include "model/neuronio.h"

#include <gtest/gtest.h>
#include <limits>
#include <sstream>

namespace veltra {
namespace {

// An element section up to and including its (empty) synapse list.
std::string Head(const std::string& type, int id, const std::string& label = "e") {
    return "<TPROTONEURONIO=" + type + ">\r\nId:" + std::to_string(id) + "\r\nEtiqueta:" + label +
           "\r\nPosicao:0;0\r\nVisible_in_runform:true\r\nPos_Sinapses:\r\n<TListaSinapses=0>"
           "\r\n</TListaSinapses>\r\n";
}

std::string Element(const std::string& type, int id, const std::string& body,
                    const std::string& label = "e") {
    return Head(type, id, label) + body + "</TPROTONEURONIO>\r\n";
}

const std::string kNeuronBody =
    "Actividade:0\r\nFuncaoActivacao:TSacturated_Linear\r\nloop:false\r\n";

// depth modules, each holding the next; the innermost holds one neuron.
std::string Nested(int depth) {
    std::string text = "<TREDE=version 0.4>\r\n";
    for (int d = 0; d < depth; ++d)
        text += "<TProtoLista=1>\r\n" + Head("TMODULO", d);
    text += "<TProtoLista=1>\r\n" + Element("TNEURONIO", depth, kNeuronBody) + "</TProtoLista>\r\n";
    for (int d = 0; d < depth; ++d)
        text += "</TPROTONEURONIO>\r\n</TProtoLista>\r\n";
    return text + "</TREDE>\r\n";
}

std::string Load(TDados& document, const std::string& text) {
    std::istringstream in(text);
    return document.Load(in);
}

TEST(Hardening, HugeCountsFailAtTheFirstMissingEntry) {
    TDados document;
    EXPECT_EQ(Load(document, "<TREDE=version 0.4>\r\n<TProtoLista=2000000000>\r\n" +
                                 Element("TNEURONIO", 0, kNeuronBody)),
              "TProtoneurio - FormatoIncorrecto");
    EXPECT_EQ(document.Elements().Count(), 1);

    TDados synapses;
    EXPECT_EQ(Load(synapses, "<TREDE=version 0.4>\r\n<TProtoLista=1>\r\n<TPROTONEURONIO=TPENDOR>"
                             "\r\nId:0\r\nEtiqueta:B\r\nPosicao:0;0\r\nVisible_in_runform:true"
                             "\r\nPos_Sinapses:\r\n<TListaSinapses=2147483647>\r\n"),
              "Formato incorrecto - TSINAPSE");
    EXPECT_EQ(synapses.Elements().Count(), 0);

    // Beyond 32 bits the count is no integer at all; a negative count reads as no entries.
    TDados big;
    EXPECT_EQ(Load(big, "<TREDE=version 0.4>\r\n<TProtoLista=2147483648>\r\n"),
              "Formato incorrecto - TProtoLista Num");
    TDados negative;
    EXPECT_EQ(Load(negative, "<TREDE=version 0.4>\r\n<TProtoLista=-5>\r\n</TProtoLista>\r\n"
                             "</TREDE>\r\n"),
              "");
}

TEST(Hardening, ModuleNestingIsLimitedWithAMessage) {
    TDados deepest;
    EXPECT_EQ(Load(deepest, Nested(MaxModuleDepth)), "");
    deepest.Step();
    std::ostringstream saved;
    EXPECT_TRUE(deepest.Save(saved));
    EXPECT_EQ(saved.str(), Nested(MaxModuleDepth));

    TDados tooDeep;
    const std::string error = Load(tooDeep, Nested(MaxModuleDepth + 1));
    EXPECT_NE(error, "");
    EXPECT_EQ(error.find("Formato"), std::string::npos) << error;
    EXPECT_EQ(tooDeep.Elements().Count(), 0);

    // Far deeper than any stack could follow by recursion: refused, not a crash.
    TDados absurd;
    EXPECT_EQ(Load(absurd, Nested(20000)), error);
}

TEST(Hardening, NoModuleLoadOrWindowNestsANetDeeperThanTheReaderAccepts) {
    // The module stands inside `around` others; what it gets nests `depth` deep.
    const std::pair<int, int> cases[] = {{0, 63}, {0, 64}, {40, 23}, {40, 24},
                                         {62, 1}, {62, 2}, {63, 0},  {63, 1}};
    for (const auto& [around, depth] : cases) {
        const bool fits = around + 1 + depth <= MaxModuleDepth;
        SCOPED_TRACE(std::to_string(around) + " around, " + std::to_string(depth) + " deep");
        for (const bool window : {false, true}) {
            TSilentInteraction ui;
            TDados doc(&ui);
            ui.openNets = {&doc.Elements()};
            TProtoLista* level = &doc.Elements();
            TModule* module = nullptr;
            for (int i = 0; i <= around; ++i) {
                module = static_cast<TModule*>(
                    level->Item(level->AddElement(std::make_unique<TModule>())));
                level = &module->InnerNet();
            }
            level->AddElement(std::make_unique<TNeuronio>());
            std::istringstream file(Nested(depth));
            TDados other;
            if (window) {
                ASSERT_EQ(Load(other, Nested(depth)), "");
                EXPECT_EQ(module->SetInnerNet(other.Net().SharedElements(), ui), fits);
                EXPECT_EQ(ui.messages.size(), fits ? 0u : 1u);
            } else {
                EXPECT_EQ(doc.LoadModuleFile(*module, file), fits ? "" : ModuleDepthText());
            }
            // A refused net leaves the module as it was; whatever was accepted reads back.
            if (!fits) {
                EXPECT_EQ(module->InnerNet().Item(0)->Kind(), TElementKind::Neuron);
            }
            std::ostringstream saved;
            ASSERT_TRUE(doc.Save(saved));
            TDados reread;
            EXPECT_EQ(Load(reread, saved.str()), "");
        }
    }
}

TEST(Hardening, NumbersTooLongForTheirPositionsAreBadLines) {
    // The reader's limit is some two thousand million digits; lowered here to 16 a side.
    const std::size_t saved = TInfinitoLimits::TextGroups;
    TInfinitoLimits::TextGroups = 2;
    const std::string longNumber = "0." + std::string(17, '1');
    const std::string synapse = "<TListaSinapses=1>\r\n<TSINAPSE>\r\nValor:" + longNumber +
                                "\r\nDestino:0\r\nvisible:true\r\n</TSINAPSE>\r\n";
    struct Case {
        std::string element;
        const char* error;
    } cases[] = {
        {Element("TNEURONIO", 0,
                 "Actividade:" + longNumber +
                     "\r\nFuncaoActivacao:TSacturated_Linear\r\nloop:false\r\n"),
         "TNeuronio - FormatoIncorrecto"},
        {Element("TNEURONIO", 0,
                 "Actividade:0\r\nFuncaoActivacao:TStepFunction\r\nTeta:1" + std::string(17, '0') +
                     "\r\nloop:false\r\n"),
         "TNeuronio - FormatoIncorrecto - Teta"},
        {Element("TPENDOR", 0, "Actividade:" + longNumber + "\r\n"),
         "TNeuronio - FormatoIncorrecto"},
        {"<TPROTONEURONIO=TPENDOR>\r\nId:0\r\nEtiqueta:B\r\nPosicao:0;0\r\n"
         "Visible_in_runform:true\r\nPos_Sinapses:\r\n" +
             synapse + "</TListaSinapses>\r\nActividade:1\r\n</TPROTONEURONIO>\r\n",
         "Formato incorrecto - TSinapse - Valor"},
    };
    for (const Case& c : cases) {
        TDados document;
        std::string error;
        EXPECT_NO_THROW(error = Load(document, "<TREDE=version 0.4>\r\n<TProtoLista=1>\r\n" +
                                                   c.element + "</TProtoLista>\r\n</TREDE>\r\n"));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(document.Elements().Count(), 0);
    }
    TInfinitoLimits::TextGroups = saved;
}

TEST(Hardening, TenMegabyteLinesAreReadWhole) {
    const std::string label(10'000'000, 'L');
    const std::string text = "<TREDE=version 0.4>\r\n<TProtoLista=1>\r\n" +
                             Element("TNEURONIO", 0, kNeuronBody, label) +
                             "</TProtoLista>\r\n</TREDE>\r\n";
    TDados document;
    EXPECT_EQ(Load(document, text), "");
    ASSERT_EQ(document.Elements().Count(), 1);
    EXPECT_EQ(document.Elements().Item(0)->Label().size(), label.size());
    std::ostringstream saved;
    EXPECT_TRUE(document.Save(saved));
    EXPECT_EQ(saved.str(), text);

    TDados header;
    EXPECT_EQ(Load(header, std::string(10'000'000, '<') + "\r\n"), "Versao ou formato incorrecto");
    TDados weight;
    const std::string digits(10'000'000, '7');
    EXPECT_EQ(Load(weight, "<TREDE=version 0.4>\r\n<TProtoLista=1>\r\n<TPROTONEURONIO=TPENDOR>"
                           "\r\nId:0\r\nEtiqueta:B\r\nPosicao:0;0\r\nVisible_in_runform:true\r\n"
                           "Pos_Sinapses:\r\n<TListaSinapses=1>\r\n<TSINAPSE>\r\nValor:0." +
                               digits +
                               "\r\nDestino:0\r\nvisible:true\r\n</TSINAPSE>\r\n"
                               "</TListaSinapses>\r\nActividade:1\r\n"
                               "</TPROTONEURONIO>\r\n</TProtoLista>\r\n</TREDE>\r\n"),
              "");
    ASSERT_EQ(weight.Elements().Count(), 1);
    EXPECT_EQ(weight.Elements().Item(0)->OutgoingSynapses().Item(0)->Weight().ToText(),
              "0." + digits);
}

TEST(Hardening, LfLineEndsAndGarbageAfterTheEndAreAccepted) {
    TDados document;
    EXPECT_EQ(Load(document, "<trede=VERSION 0.4>\n<TProtoLista=0>\n</TProtoLista>\n</TREDE>\n"
                             "anything at all\n"),
              "");
    EXPECT_EQ(document.Elements().Count(), 0);
}

TEST(Hardening, WeightsWithoutDigitsAreSavedAsAPlainZero) {
    // Found by fuzzing: "Valor:-" used to be written back as "Valor:-0", which reads as 0, so
    // the file changed between the first and the second save.
    for (const std::string weight : {"-", ".", "-.", "-0", "-0.00"}) {
        SCOPED_TRACE(weight);
        const std::string text =
            "<TREDE=version 0.4>\r\n<TProtoLista=1>\r\n" +
            Head("TNEURONIO", 0)
                .replace(Head("TNEURONIO", 0).find("<TListaSinapses=0>"), 18,
                         "<TListaSinapses=1>\r\n<TSINAPSE>\r\nValor:" + weight +
                             "\r\nDestino:0\r\nvisible:true\r\n</TSINAPSE>") +
            kNeuronBody + "</TPROTONEURONIO>\r\n</TProtoLista>\r\n</TREDE>\r\n";
        TDados document;
        ASSERT_EQ(Load(document, text), "");
        std::ostringstream first;
        ASSERT_TRUE(document.Save(first));
        EXPECT_NE(first.str().find("\r\nValor:0\r\n"), std::string::npos);
        TDados again;
        ASSERT_EQ(Load(again, first.str()), "");
        std::ostringstream second;
        ASSERT_TRUE(again.Save(second));
        EXPECT_EQ(second.str(), first.str());
    }
}

TEST(Hardening, PositionsAtTheEndsOfTheIntegerRangeStayUsable) {
    // Any 32-bit position reads; centres, boxes and hits near the ends of the range must
    // neither overflow nor wrap round to the other end.
    auto neuron = [](int id, const std::string& at, int to) {
        return "<TPROTONEURONIO=TNEURONIO>\r\nId:" + std::to_string(id) + "\r\nEtiqueta:n\r\n" +
               "Posicao:" + at + "\r\nVisible_in_runform:true\r\nPos_Sinapses:\r\n" +
               "<TListaSinapses=1>\r\n<TSINAPSE>\r\nValor:1\r\nDestino:" + std::to_string(to) +
               "\r\nvisible:true\r\n</TSINAPSE>\r\n</TListaSinapses>\r\n" + kNeuronBody +
               "</TPROTONEURONIO>\r\n";
    };
    const std::string text =
        "<TREDE=version 0.4>\r\n<TProtoLista=2>\r\n" + neuron(0, "2147483647;2147483647", 1) +
        neuron(1, "-2147483648;-2147483648", 0) + "</TProtoLista>\r\n</TREDE>\r\n";
    TDados document;
    ASSERT_EQ(Load(document, text), "");
    TProtoNeuronio* high = document.Elements().Item(0);
    TProtoNeuronio* low = document.Elements().Item(1);
    const TRect box = high->GlyphBox();
    EXPECT_GE(box.right, box.left);
    EXPECT_GE(box.bottom, box.top);
    EXPECT_GE(high->Centre().x, high->GetPosition().x);
    EXPECT_EQ(high->OutgoingSynapses().Item(0)->StartPoint(), high->Centre());
    EXPECT_EQ(low->OutgoingSynapses().Item(0)->EndPoint(), high->Centre());
    EXPECT_EQ(document.ElementAt(2147483647, 2147483647), nullptr); // on the box edge
    EXPECT_EQ(document.ElementAt(-2147483647, -2147483647), low);
    document.Step();
    std::ostringstream saved;
    ASSERT_TRUE(document.Save(saved));
    EXPECT_EQ(saved.str(), text);

    // Typed coordinates at the ends of the range put the top-left corner exactly there.
    TNullCanvas canvas;
    TInfoFields fields;
    fields.x = "2147483647";
    fields.y = "-2147483648";
    low->ApplyInfo(fields, canvas);
    EXPECT_EQ(low->GetPosition(), (TPoint{std::numeric_limits<std::int32_t>::max(),
                                          std::numeric_limits<std::int32_t>::min()}));
    EXPECT_GE(low->Centre().x, low->GetPosition().x);
    EXPECT_EQ(low->OutgoingSynapses().Item(0)->StartPoint(), low->Centre());
}

} // namespace
} // namespace veltra
