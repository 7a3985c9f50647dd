// Every net the model holds saves to a file that reads back to the same net: labels of every
// byte value, random nets of every kind of element, modules within modules.
#include "model/dados.h"
#include "model/inputs.h"
#include "model/module.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <sstream>

namespace veltra {
namespace {

std::string Load(TDados& document, const std::string& text) {
    std::istringstream in(text);
    return document.Load(in);
}

std::string Save(TDados& document) {
    std::ostringstream out;
    EXPECT_TRUE(document.Save(out));
    return out.str();
}

// Short texts of any bytes; line ends and the format's own characters come up often.
std::string RandomLabel(std::mt19937& rng) {
    static const std::string special("\r\n\0:;<>=/ ", 10);
    std::string label(rng() % 7, '\0');
    for (char& c : label)
        c = rng() % 3 == 0 ? special[rng() % special.size()] : static_cast<char>(rng() % 256);
    return label;
}

// What the file itself makes of a label: a one-bias net written by hand with the label on
// its line, read back. Nothing when that file does not read.
std::optional<std::string> ThroughFile(const std::string& label) {
    const std::string text =
        "<TREDE=version 0.4>\r\n<TProtoLista=1>\r\n<TPROTONEURONIO=TPENDOR>\r\n"
        "Id:0\r\nEtiqueta:" +
        label +
        "\r\nPosicao:0;0\r\nVisible_in_runform:true\r\nPos_Sinapses:\r\n"
        "<TListaSinapses=0>\r\n</TListaSinapses>\r\nActividade:1\r\n"
        "</TPROTONEURONIO>\r\n</TProtoLista>\r\n</TREDE>\r\n";
    TDados document;
    if (!Load(document, text).empty() || document.Elements().Count() != 1) return std::nullopt;
    return document.Elements().Item(0)->Label();
}

TEST(EveryNetReadsBack, ALabelIsTakenExactlyWhenTheFileCarriesIt) {
    std::vector<std::string> labels;
    for (int b = 0; b < 256; ++b) {
        labels.push_back(std::string(1, static_cast<char>(b)));
        labels.push_back("a" + std::string(1, static_cast<char>(b)) + "\r");
    }
    labels.push_back("sc\nan");
    labels.push_back("x\r\n</TPROTONEURONIO>\r\n<TPROTONEURONIO=TINPUT>");
    std::mt19937 rng(27);
    for (int i = 0; i < 3000; ++i)
        labels.push_back(RandomLabel(rng));
    int refused = 0;
    for (const std::string& label : labels) {
        const bool carried = ThroughFile(label) == label;
        TPendor bias;
        bias.SetLabel("before");
        bool taken = true;
        try {
            bias.SetLabel(label);
        } catch (const EInvalidLabel& error) {
            taken = false;
            EXPECT_STREQ(error.what(), InvalidLabelText);
        }
        refused += taken ? 0 : 1;
        EXPECT_EQ(taken, carried) << ::testing::PrintToString(label);
        EXPECT_EQ(bias.Label(), taken ? label : "before");
    }
    EXPECT_GT(refused, 100); // both answers were put to the test
}

// A net of every kind of element with random labels, positions, values and synapses, modules
// nested up to `depth` deep; `labels` collects the labels given, depth first.
class RandomNet {
public:
    explicit RandomNet(unsigned seed) : rng_(seed) {}

    void Fill(TProtoLista& list, int depth) {
        const int count = static_cast<int>(rng_() % 6);
        for (int i = 0; i < count; ++i) {
            std::unique_ptr<TProtoNeuronio> e = Make(depth);
            e->SetPosition(static_cast<std::int32_t>(rng_()), static_cast<std::int32_t>(rng_()));
            e->SetWatched(rng_() % 2 == 0);
            for (;;) { // a label the file cannot carry is refused: another one is drawn
                try {
                    e->SetLabel(RandomLabel(rng_));
                    break;
                } catch (const EInvalidLabel&) {
                }
            }
            list.AddElement(std::move(e));
        }
        // Synapses within the list, and from it into the nets of its modules.
        for (const auto& from : list)
            for (const auto& to : list) {
                if (rng_() % 3 != 0) continue;
                TProtoNeuronio* destination = to.get();
                if (to->Kind() == TElementKind::Module) {
                    TProtoLista& inner = static_cast<TModule&>(*to).InnerNet();
                    if (inner.Empty()) continue;
                    destination = inner.Item(static_cast<int>(rng_() % inner.Count()));
                }
                if (from->Kind() == TElementKind::Module || from->HasOutgoingTo(destination))
                    continue;
                auto s = std::make_unique<TSinapse>();
                s->SetWeightText(Number());
                s->SetUp(from.get(), destination);
                s->SetVisible(rng_() % 2 == 0);
                destination->AddIncoming(from->AddOutgoing(std::move(s)));
            }
    }

private:
    std::string Number() {
        std::string text = rng_() % 2 ? "-" : "";
        text += std::to_string(rng_());
        if (rng_() % 2) text += "." + std::to_string(rng_() % 100000) + "1";
        return text;
    }

    std::unique_ptr<TProtoNeuronio> Make(int depth) {
        switch (rng_() % (depth > 0 ? 5 : 4)) {
        case 0: {
            auto n = std::make_unique<TNeuronio>();
            const char* names[] = {"Saturated_Linear", "HeavisideStepFunction", "BinarySigmoid"};
            n->SelectActivation(names[rng_() % 3], Number());
            n->SetValue(TInfinito(Number()));
            n->SetLoop(rng_() % 2 == 0);
            return n;
        }
        case 1: {
            auto b = std::make_unique<TPendor>();
            b->BiasValue() = TInfinito(Number());
            return b;
        }
        case 2: {
            auto in = std::make_unique<TInputs>();
            std::string sequence(rng_() % 9, '0');
            for (char& c : sequence)
                c = static_cast<char>('0' + rng_() % 2);
            in->SetSequence(sequence);
            return in;
        }
        case 3:
            return std::make_unique<TOutputs>();
        default: {
            auto m = std::make_unique<TModule>();
            Fill(m->InnerNet(), depth - 1);
            return m;
        }
        }
    }

    std::mt19937 rng_;
};

// What a net is, written out by walking it: kind, label, position, watch flag, value and
// synapses (weight, visibility and where they lead) of every element, depth first.
void Describe(const TProtoLista& list, std::ostringstream& out) {
    for (const auto& e : list) {
        out << KindName(e->Kind()) << '[' << e->Label() << "] " << e->GetPosition().x << ','
            << e->GetPosition().y << ' ' << e->Watched() << ' ' << e->ValueText() << " {";
        for (const TSinapse* s : e->OutgoingSynapses())
            out << s->Weight().ToText() << (s->Visible() ? "->" : "~>") << '['
                << s->Destination()->Label() << "] ";
        out << "}\n";
        if (e->Kind() == TElementKind::Module) {
            out << "(\n";
            Describe(static_cast<const TModule&>(*e).InnerNet(), out);
            out << ")\n";
        }
    }
}

std::string Describe(TDados& document) {
    std::ostringstream out;
    Describe(document.Elements(), out);
    return out.str();
}

TEST(EveryNetReadsBack, RandomNetsWithLabelsOfAnyBytesReadBackTheSame) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(seed);
        TDados original;
        RandomNet(seed).Fill(original.Elements(), 2);
        const std::string bytes = Save(original);
        TSilentInteraction ui;
        TDados reread(&ui);
        ASSERT_EQ(Load(reread, bytes), "");
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(Describe(reread), Describe(original));
        EXPECT_EQ(Save(reread), bytes);
    }
}

} // namespace
} // namespace veltra
