// The net file: line primitives, the writer's exact bytes, round trips and a reader that
// ends in success or an error text whatever it is given.
#include "model/dados.h"
#include "model/inputs.h"
#include "model/module.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"
#include "model/weightpool.h"
#include "storage/netfile.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <vector>

namespace veltra {
namespace {

std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* l : lines)
        text += std::string(l) + "\r\n";
    return text;
}

// Loads text into a fresh document; returns the reader's error text.
std::string LoadText(TDados& doc, const std::string& text) {
    std::istringstream in(text);
    return doc.Load(in);
}

std::string SaveText(TDados& doc) {
    std::ostringstream out;
    EXPECT_TRUE(doc.Save(out));
    return out.str();
}

template <class T> T* Put(TDados& doc, int x, int y, const char* label) {
    auto e = std::make_unique<T>();
    e->SetPosition(x, y);
    e->SetLabel(label);
    return static_cast<T*>(doc.AddElement(std::move(e)));
}

void Join(TProtoNeuronio* from, TProtoNeuronio* to, const char* weight) {
    auto s = std::make_unique<TSinapse>();
    s->SetWeightText(weight);
    s->SetUp(from, to);
    to->AddIncoming(from->AddOutgoing(std::move(s)));
}

const std::string kWorked = Lines({"<TREDE=version 0.4>",
                                   "<TProtoLista=4>",
                                   "<TPROTONEURONIO=TINPUT>",
                                   "Id:0",
                                   "Etiqueta:In",
                                   "Posicao:40;60",
                                   "Visible_in_runform:true",
                                   "Pos_Sinapses:",
                                   "<TListaSinapses=1>",
                                   "<TSINAPSE>",
                                   "Valor:1",
                                   "Destino:2",
                                   "visible:true",
                                   "</TSINAPSE>",
                                   "</TListaSinapses>",
                                   "Binario:0110",
                                   "</TPROTONEURONIO>",
                                   "<TPROTONEURONIO=TPENDOR>",
                                   "Id:1",
                                   "Etiqueta:B",
                                   "Posicao:40;140",
                                   "Visible_in_runform:true",
                                   "Pos_Sinapses:",
                                   "<TListaSinapses=1>",
                                   "<TSINAPSE>",
                                   "Valor:-0.5",
                                   "Destino:2",
                                   "visible:true",
                                   "</TSINAPSE>",
                                   "</TListaSinapses>",
                                   "Actividade:1",
                                   "</TPROTONEURONIO>",
                                   "<TPROTONEURONIO=TNEURONIO>",
                                   "Id:2",
                                   "Etiqueta:N",
                                   "Posicao:160;100",
                                   "Visible_in_runform:true",
                                   "Pos_Sinapses:",
                                   "<TListaSinapses=1>",
                                   "<TSINAPSE>",
                                   "Valor:1",
                                   "Destino:3",
                                   "visible:true",
                                   "</TSINAPSE>",
                                   "</TListaSinapses>",
                                   "Actividade:0",
                                   "FuncaoActivacao:TStepFunction",
                                   "Teta:0.5",
                                   "loop:false",
                                   "</TPROTONEURONIO>",
                                   "<TPROTONEURONIO=TOUTPUT>",
                                   "Id:3",
                                   "Etiqueta:Out",
                                   "Posicao:280;100",
                                   "Visible_in_runform:true",
                                   "Pos_Sinapses:",
                                   "<TListaSinapses=0>",
                                   "</TListaSinapses>",
                                   "Binario:",
                                   "</TPROTONEURONIO>",
                                   "</TProtoLista>",
                                   "</TREDE>"});

TEST(NetFileLines, IntegersFollowTheFileRule) {
    std::int32_t v = 0;
    EXPECT_TRUE(ParseInteger("  -42", v));
    EXPECT_EQ(v, -42);
    EXPECT_TRUE(ParseInteger("+7", v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(ParseInteger("$1f", v));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(ParseInteger("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(ParseInteger("$7FFFFFFF", v));
    EXPECT_EQ(v, INT32_MAX);
    for (const char* bad : {"", " ", "-", "$", "2147483648", "$80000000", "12 ", "1e3", "0x10",
                            "99999999999999999999999"})
        EXPECT_FALSE(ParseInteger(bad, v)) << bad;
}

TEST(NetFileLines, TagsKeysAndBooleansIgnoreLetterCase) {
    std::string value;
    EXPECT_TRUE(KeyedValue("ETIQUETA:a:b;c", "Etiqueta:", value));
    EXPECT_EQ(value, "a:b;c");
    EXPECT_FALSE(KeyedValue("Etiq", "Etiqueta:", value));
    EXPECT_TRUE(IsTag("</tsinapse>", "</TSINAPSE>"));
    EXPECT_FALSE(IsTag("</TSINAPSE> ", "</TSINAPSE>"));
    EXPECT_TRUE(ParseBool("TRUE"));
    EXPECT_FALSE(ParseBool("yes"));
    EXPECT_FALSE(ParseBool("1"));
}

// Against a plain letter-by-letter comparison: strings of letters, the characters next to A-Z
// and a-z in the code table ('@', '[', '`', '{') and bytes above 127, of every length around the
// eight characters compared at once, equal or one character apart.
TEST(NetFileLines, LetterCaseIsIgnoredForAsciiLettersAlone) {
    auto reference = [](std::string_view a, std::string_view b) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (lower(a[i]) != lower(b[i])) return false;
        return true;
    };
    const std::string alphabet = "aZzA@[`{_\x7f\xc1\xe1<>/=09";
    std::mt19937 rng(7);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    for (int round = 0; round < 20000; ++round) {
        std::string a;
        for (std::size_t n = pick(26); n > 0; --n)
            a += alphabet[pick(alphabet.size())];
        std::string b = a;
        if (!b.empty() && pick(2) == 0) {
            char& c = b[pick(b.size())];
            c = pick(2) ? char(c ^ 0x20) : alphabet[pick(alphabet.size())];
        }
        ASSERT_EQ(SameText(a, b), reference(a, b)) << a << " | " << b;
    }
}

// Lines across the reader's blocks, a CR and its LF in two blocks, and what the reader read
// ahead given back to the stream when it goes.
TEST(NetFileLines, BlocksSplitNoLineAndReadAheadGoesBack) {
    std::string text;
    std::vector<std::string> lines;
    for (int i = 0; text.size() < 300000; ++i) {
        lines.push_back(std::string(std::size_t(i % 97), char('a' + i % 26)) + std::to_string(i));
        text += lines.back() + (i % 3 ? "\r\n" : "\n");
    }
    std::istringstream in(text);
    {
        TNetReader reader(in);
        std::string line;
        for (const std::string& expected : lines) {
            ASSERT_TRUE(reader.ReadLine(line));
            ASSERT_EQ(line, expected);
        }
        EXPECT_FALSE(reader.ReadLine(line));
    }
    std::istringstream again("first\r\nsecond\r\nthird\r\n");
    {
        TNetReader reader(again);
        std::string line;
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "first");
    }
    std::string rest;
    std::getline(again, rest);
    EXPECT_EQ(rest, "second\r") << "the stream goes on after the last line read";
}

// A stream whose reading fails is marked bad, as reading it line by line would leave it.
TEST(NetFileLines, AReadErrorMarksTheStreamBad) {
    struct Failing : std::streambuf {
        int_type underflow() override { throw std::ios_base::failure("unreadable"); }
    } failing;
    std::istream in(&failing);
    TNetReader reader(in);
    std::string line;
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_TRUE(in.bad());
}

TEST(NetFileLines, LinesEndInCrLfOrLfAndMayBeLong) {
    const std::string longLine(1 << 20, 'a');
    std::istringstream in("one\r\ntwo\n" + longLine + "\nlast");
    TNetReader reader(in);
    std::string line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "one");
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "two");
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line.size(), longLine.size());
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(line, "") << "past the end a line reads as empty";
}

TEST(NetFile, WorkedExampleIsWrittenByteForByte) {
    TDados doc;
    auto* out = Put<TOutputs>(doc, 280, 100, "Out");
    auto* in = Put<TInputs>(doc, 40, 60, "In");
    auto* bias = Put<TPendor>(doc, 40, 140, "B");
    auto* n = Put<TNeuronio>(doc, 160, 100, "N");
    in->SetSequence("0110");
    n->SelectActivation("HeavisideStepFunction", "0.5");
    Join(in, n, "1");
    Join(bias, n, "-0.5");
    Join(n, out, "1");
    EXPECT_EQ(SaveText(doc), kWorked);
}

TEST(NetFile, WorkedExampleReadsRunsAndWritesBackTheSameBytes) {
    TSilentInteraction ui;
    TDados doc(&ui);
    ASSERT_EQ(LoadText(doc, kWorked), "");
    EXPECT_EQ(doc.Net().ElementCounter(), 4);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(SaveText(doc), kWorked);
    auto* out = static_cast<TOutputs*>(doc.Elements().Item(3));
    for (int i = 0; i < 4; ++i)
        doc.Step();
    EXPECT_EQ(out->History(), "0110");
}

TEST(NetFile, ExampleFilesSurviveARoundTrip) {
    for (const char* name : {"worked", "module_delay", "stack"}) {
        SCOPED_TRACE(name);
        std::ifstream file(std::string(VELTRA_EXAMPLES) + "/" + name + ".net", std::ios::binary);
        ASSERT_TRUE(file) << "the examples are part of the repository";
        std::stringstream original;
        original << file.rdbuf();
        TDados first;
        ASSERT_EQ(LoadText(first, original.str()), "");
        const std::string once = SaveText(first);
        TDados second;
        ASSERT_EQ(LoadText(second, once), "");
        EXPECT_EQ(SaveText(second), once);
    }
}

TEST(NetFile, EmptyNetIsFourLines) {
    TDados doc;
    EXPECT_EQ(SaveText(doc),
              Lines({"<TREDE=version 0.4>", "<TProtoLista=0>", "</TProtoLista>", "</TREDE>"}));
    TDados read;
    EXPECT_EQ(LoadText(read, Lines({"<trede=VERSION 0.4>", "<TProtoLista=0]", "</TProtoLista>",
                                    "</TREDE>", "anything after the end"})),
              "");
}

TEST(NetFile, ReaderLeniencies) {
    // Negative counts read as no entries; flags other than true read as false; labels
    // keep every character; an output written first still ends up last.
    std::string text = kWorked;
    auto replace = [&text](const std::string& from, const std::string& to) {
        text.replace(text.find(from), from.size(), to);
    };
    replace("<TPROTONEURONIO=TOUTPUT>\r\nId:3\r\nEtiqueta:Out\r\nPosicao:280;100\r\n"
            "Visible_in_runform:true\r\nPos_Sinapses:\r\n<TListaSinapses=0>",
            "<TPROTONEURONIO=TOUTPUT>\r\nId:3\r\nEtiqueta:a;b:c \r\nPosicao:280;100\r\n"
            "Visible_in_runform:yes\r\nPos_Sinapses:\r\n<TListaSinapses=-3>");
    replace("Etiqueta:B", "Etiqueta:");
    TDados doc;
    ASSERT_EQ(LoadText(doc, text), "");
    const TProtoNeuronio* out = doc.Elements().Item(3);
    EXPECT_EQ(out->Label(), "a;b:c ");
    EXPECT_FALSE(out->Watched());
    EXPECT_EQ(doc.Elements().Item(1)->Label(), "");

    std::string outputFirst = Lines({"<TREDE=version 0.4>", "<TProtoLista=2>"});
    const std::string outputSection =
        Lines({"<TPROTONEURONIO=TOUTPUT>", "Id:0", "Etiqueta:O", "Posicao:0;0",
               "Visible_in_runform:true", "Pos_Sinapses:", "<TListaSinapses=0>",
               "</TListaSinapses>", "Binario:01", "</TPROTONEURONIO>"});
    const std::string biasSection =
        Lines({"<TPROTONEURONIO=TPENDOR>", "Id:1", "Etiqueta:B", "Posicao:0;0",
               "Visible_in_runform:true", "Pos_Sinapses:", "<TListaSinapses=0>",
               "</TListaSinapses>", "Actividade:2.5", "</TPROTONEURONIO>"});
    outputFirst += outputSection + biasSection + Lines({"</TProtoLista>", "</TREDE>"});
    TDados reordered;
    ASSERT_EQ(LoadText(reordered, outputFirst), "");
    EXPECT_EQ(reordered.Elements().Item(0)->Kind(), TElementKind::Bias);
    EXPECT_EQ(reordered.Elements().Item(1)->ValueText(), "01");
}

TEST(NetFile, PairFlagAfterLoadingGoesToTheLaterSource) {
    TDados doc;
    auto* a = Put<TNeuronio>(doc, 0, 0, "A");
    auto* b = Put<TNeuronio>(doc, 100, 0, "B");
    Join(a, b, "1");
    Join(b, a, "1");
    const std::string text = SaveText(doc);
    TDados read;
    ASSERT_EQ(LoadText(read, text), "");
    EXPECT_FALSE(read.Elements().Item(0)->OutgoingSynapses().Item(0)->Pair());
    EXPECT_TRUE(read.Elements().Item(1)->OutgoingSynapses().Item(0)->Pair());
}

TEST(NetFile, UnknownDestinationIsReportedByFinishing) {
    std::string text = kWorked;
    text.replace(text.find("Destino:3"), 9, "Destino:9");
    TSilentInteraction ui;
    TDados doc(&ui);
    std::istringstream in(text);
    EXPECT_EQ(doc.Load(in), UnresolvedSynapseText) << "the file itself read cleanly";
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"FinishLoad - neuronio nao encontrado"}));
    doc.Step(); // the unresolved synapse carries nothing
}

// One neuron whose synapses to itself carry the given weight texts.
std::string SelfLoops(const std::vector<std::string>& weights) {
    std::string text =
        Lines({"<TREDE=version 0.4>", "<TProtoLista=1>", "<TPROTONEURONIO=TNEURONIO>", "Id:0",
               "Etiqueta:N", "Posicao:0;0", "Visible_in_runform:true", "Pos_Sinapses:"});
    text += "<TListaSinapses=" + std::to_string(weights.size()) + ">\r\n";
    for (const std::string& w : weights)
        text += "<TSINAPSE>\r\nValor:" + w + "\r\n" +
                Lines({"Destino:0", "visible:true", "</TSINAPSE>"});
    return text + Lines({"</TListaSinapses>", "Actividade:0", "FuncaoActivacao:TSacturated_Linear",
                         "loop:true", "</TPROTONEURONIO>", "</TProtoLista>", "</TREDE>"});
}

TEST(NetFile, EveryWeightTextReadsAsItDoesAloneHoweverOftenItComes) {
    // More distinct texts than the reader keeps, repeated, and texts of one value written apart.
    std::vector<std::string> texts{"0.5", ".5", "0.50", "00.5", "-", "-0", "-0.5", "1", "1.0"};
    for (int i = 0; i < 20; ++i)
        texts.push_back(std::to_string(i) + ".25");
    std::vector<std::string> weights;
    for (int round = 0; round < 3; ++round)
        for (std::size_t i = static_cast<std::size_t>(round); i < texts.size();
             i += static_cast<std::size_t>(1 + round))
            weights.push_back(texts[i]);
    const std::size_t pooled = TWeightPool::Count();
    {
        TDados doc;
        ASSERT_EQ(LoadText(doc, SelfLoops(weights)), "");
        const TListaSinapses& read = doc.Elements().Item(0)->OutgoingSynapses();
        ASSERT_EQ(read.Count(), static_cast<int>(weights.size()));
        for (std::size_t i = 0; i < weights.size(); ++i) {
            TDados alone;
            ASSERT_EQ(LoadText(alone, SelfLoops({weights[i]})), "");
            const TSinapse* expected = alone.Elements().Item(0)->OutgoingSynapses().Item(0);
            EXPECT_EQ(&read.Item(static_cast<int>(i))->Weight(), &expected->Weight())
                << "synapse " << i << " '" << weights[i] << "'";
        }
        std::istringstream in(SaveText(doc));
        TDados again;
        ASSERT_EQ(again.Load(in), "");
        EXPECT_EQ(SaveText(again), SaveText(doc));
    }
    EXPECT_EQ(TWeightPool::Count(), pooled) << "every share the reading took was given back";

    // A text refused stays refused after texts like it were read.
    const std::string bad = SelfLoops({"0.5", "0.5", "0.5x", "0.5"});
    TReadFailure failure;
    TDados doc;
    std::istringstream in(bad);
    EXPECT_EQ(doc.Load(in, &failure), "Formato incorrecto - TSinapse - Valor");
    const std::string before = bad.substr(0, bad.find("Valor:0.5x"));
    EXPECT_EQ(failure.line, std::count(before.begin(), before.end(), '\n') + 1);
    EXPECT_NE(failure.cause.find("is not a valid floating point value"), std::string::npos);
    EXPECT_EQ(doc.Elements().Count(), 0);
    EXPECT_EQ(TWeightPool::Count(), pooled);
}

TEST(NetFileHardening, HugeCountsAreReadElementByElement) {
    TDados doc;
    EXPECT_EQ(LoadText(doc, Lines({"<TREDE=version 0.4>", "<TProtoLista=2000000000>"})),
              "TProtoneurio - FormatoIncorrecto");
    std::string text = kWorked;
    text.replace(text.find("<TListaSinapses=1>"), 18, "<TListaSinapses=2147483647>");
    TDados synapses;
    EXPECT_EQ(LoadText(synapses, text), "Formato incorrecto - TSINAPSE");
}

std::string NestedModules(int depth) {
    std::string text = Lines({"<TREDE=version 0.4>"});
    for (int i = 0; i < depth; ++i)
        text += Lines({"<TProtoLista=1>", "<TPROTONEURONIO=TMODULO>", "Id:0", "Etiqueta:M",
                       "Posicao:0;0", "Visible_in_runform:true",
                       "Pos_Sinapses:", "<TListaSinapses=0>", "</TListaSinapses>"});
    text += Lines({"<TProtoLista=0>", "</TProtoLista>"});
    for (int i = 0; i < depth; ++i)
        text += Lines({"</TPROTONEURONIO>", "</TProtoLista>"});
    return text + Lines({"</TREDE>"});
}

TEST(NetFileHardening, NestingHasALimit) {
    TDados fine;
    EXPECT_EQ(LoadText(fine, NestedModules(MaxModuleDepth)), "");
    fine.Step();
    TDados deep;
    EXPECT_EQ(LoadText(deep, NestedModules(100000)), "Modulos encaixados a mais (limite 64)");
    EXPECT_EQ(deep.Elements().Count(), 0) << "the element being read is dropped";
}

TEST(NetFileHardening, DamagedFilesEndInAnErrorTextOrSuccess) {
    // Every file made by cutting, doubling or changing one byte of a net with a module
    // reads to an end; one read without an error saves to a file that reads back to the same
    // bytes; whatever was read can be stepped, saved and released.
    TDados source;
    auto* m = Put<TModule>(source, 0, 0, "M");
    auto* innerN = static_cast<TNeuronio*>(
        m->InnerNet().Item(m->InnerNet().AddElement(std::make_unique<TNeuronio>())));
    auto* outer = Put<TNeuronio>(source, 50, 0, "N");
    Join(outer, innerN, "0.5");
    Join(innerN, outer, "2");
    Join(innerN, innerN, "0.25");
    const std::string base = SaveText(source);
    std::mt19937 random(12345);
    const std::string alphabet = "<>/:;$-+0123456789aTx\r\n ";
    int readCleanly = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text = base;
        const std::size_t at = random() % text.size();
        switch (round % 3) {
        case 0:
            text.resize(at);
            break;
        case 1:
            text.insert(at, text.substr(at, random() % 40));
            break;
        default:
            text[at] = alphabet[random() % alphabet.size()];
            break;
        }
        TDados doc;
        if (LoadText(doc, text).empty()) {
            ++readCleanly;
            const std::string saved = SaveText(doc);
            TDados again;
            ASSERT_EQ(LoadText(again, saved), "") << "round " << round;
            EXPECT_EQ(SaveText(again), saved) << "round " << round;
        }
        doc.Step();
        SaveText(doc);
    }
    // Both outcomes occur, so both branches above were exercised.
    EXPECT_GT(readCleanly, 10);
    EXPECT_LT(readCleanly, 380);
}

} // namespace
} // namespace veltra
