// The example nets: each loads cleanly, saves back to the same bytes and runs to its known
// result; the digit-encoded stack shows why values must be exact.
#include "model/dados.h"
#include "model/inputs.h"
#include "model/outputs.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <sstream>

namespace veltra {
namespace {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Example(const std::string& name) {
    return std::string(VELTRA_EXAMPLES) + "/" + name;
}

void LoadText(TDados& document, const std::string& text) {
    std::istringstream in(text);
    EXPECT_EQ(document.Load(in), "");
}

std::string SaveText(TDados& document) {
    std::ostringstream out;
    EXPECT_TRUE(document.Save(out));
    return out.str();
}

TProtoNeuronio* Find(TDados& document, const std::string& label) {
    for (const auto& element : document.Elements())
        if (element->Label() == label) return element.get();
    return nullptr;
}

// Runs as the browser does: no step when finished, else until finished (or the limit).
int RunToEnd(TDados& document, int limit = 100000) {
    int steps = 0;
    while (!document.AllFinished() && steps < limit) {
        document.Step();
        ++steps;
    }
    return steps;
}

TEST(Examples, EveryExampleLoadsAndSavesBackToTheSameBytes) {
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VELTRA_EXAMPLES)) {
        if (entry.path().extension() != ".net") continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++seen;
        const std::string bytes = ReadBytes(entry.path());
        TSilentInteraction ui;
        TDados document(&ui);
        LoadText(document, bytes);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(SaveText(document), bytes);
        // And once more through a fresh document.
        TDados again;
        LoadText(again, SaveText(document));
        EXPECT_EQ(SaveText(again), bytes);
    }
    EXPECT_GE(seen, 4);
}

TEST(Examples, ModuleDelayLineEchoesTheInputTwoStepsLate) {
    TDados document;
    LoadText(document, ReadBytes(Example("module_delay.net")));
    EXPECT_EQ(RunToEnd(document), 6);
    EXPECT_EQ(Find(document, "Out")->ValueText(), "011010");
    const auto& log = static_cast<TOutputs*>(Find(document, "Out"))->ValueLog();
    EXPECT_EQ(log, (std::vector<std::string>{"0", "1", "1", "0", "1", "0"}));

    // Saved after the run and loaded again, the module still feeds Echo over its hidden
    // synapses: the same input gives the same history.
    TDados reloaded;
    LoadText(reloaded, SaveText(document));
    static_cast<TInputs*>(Find(reloaded, "In"))->SetSequence("1101");
    reloaded.ResetAll();
    EXPECT_EQ(RunToEnd(reloaded), 6);
    EXPECT_EQ(Find(reloaded, "Out")->ValueText(), "011010");
}

// The operations a stack net performs, read from its control inputs: the symbol in the
// middle step of each three-step operation. Returns the expected top before each operation.
std::vector<int> ExpectedTops(TDados& document) {
    const auto& bits = static_cast<TInputs*>(Find(document, "B"))->Sequence();
    const auto& push = static_cast<TInputs*>(Find(document, "PU"))->Sequence();
    const auto& pop = static_cast<TInputs*>(Find(document, "PO"))->Sequence();
    std::vector<int> stack;
    std::vector<int> tops;
    for (std::size_t at = 1; at < push.size(); at += 3) {
        tops.push_back(stack.empty() ? 0 : stack.back());
        if (push[at] == '1') stack.push_back(bits[at] == '1');
        if (pop[at] == '1' && !stack.empty()) stack.pop_back();
    }
    return tops;
}

// The tops the net reported: its output's symbol at the first step of each operation.
std::vector<int> ReportedTops(const std::string& history) {
    std::vector<int> tops;
    for (std::size_t at = 0; at < history.size(); at += 3)
        tops.push_back(history[at] == '1');
    return tops;
}

// The same net stepped in binary floating point, as a quick script would do it.
std::string DoubleRun(TDados& document, int steps) {
    std::map<const TProtoNeuronio*, double> value;
    std::map<const TProtoNeuronio*, std::string> sequence;
    for (const auto& e : document.Elements()) {
        value[e.get()] = std::stod(e->Kind() == TElementKind::Input ? "0" : e->GetValue().ToText());
        if (e->Kind() == TElementKind::Input) sequence[e.get()] = e->ValueText();
    }
    std::string history;
    for (int step = 0; step < steps; ++step) {
        std::map<const TProtoNeuronio*, double> sum;
        for (const auto& e : document.Elements()) {
            double v = value[e.get()];
            if (e->Kind() == TElementKind::Input) v = sequence[e.get()].rfind('1', 0) == 0;
            if (e->Kind() == TElementKind::Output || v == 0) continue;
            for (const TSinapse* s : e->OutgoingSynapses())
                sum[s->Destination()] += std::stod(s->Weight().ToText()) * v;
        }
        for (const auto& e : document.Elements()) {
            if (e->Kind() == TElementKind::Neuron) {
                const double x = sum[e.get()];
                value[e.get()] = x < 0 ? 0 : (x > 1 ? 1 : x);
            } else if (e->Kind() == TElementKind::Input) {
                auto& s = sequence[e.get()];
                if (!s.empty()) s.erase(0, 1);
            } else if (e->Kind() == TElementKind::Output) {
                const double r = value[e->IncomingSynapses().Item(0)->Source()];
                history += r == 0 ? '0' : (r == 1 ? '1' : 'x');
            }
        }
    }
    return history;
}

TEST(Examples, StackPopsWhatWasPushedInReverse) {
    TDados document;
    LoadText(document, ReadBytes(Example("stack.net")));
    const auto expected = ExpectedTops(document);
    ASSERT_EQ(expected.size(), 8u);
    EXPECT_EQ(RunToEnd(document), 24);
    EXPECT_EQ(ReportedTops(Find(document, "Out")->ValueText()), expected);
    // Pushed 1 0 1 1, popped four times: the tops read 1 1 0 1.
    EXPECT_EQ(std::vector<int>(expected.begin() + 4, expected.end()),
              (std::vector<int>{1, 1, 0, 1}));
}

TEST(Examples, DeepStackIsExactHereAndWrongInFloatingPoint) {
    TDados document;
    LoadText(document, ReadBytes(Example("deep_stack.net")));
    const auto expected = ExpectedTops(document);
    ASSERT_EQ(expected.size(), 60u);
    const std::string floating = DoubleRun(document, 180);

    EXPECT_EQ(RunToEnd(document), 180) << "empty again after the last pop";
    const std::string exact = Find(document, "Out")->ValueText();
    EXPECT_EQ(ReportedTops(exact), expected);
    // Thirty pushes need sixty binary digits: a double keeps 53, so the deepest items are
    // lost and the last pops read wrong bits.
    ASSERT_EQ(floating.size(), exact.size());
    EXPECT_EQ(floating.substr(0, 150), exact.substr(0, 150)) << "shallow stacks fit a double";
    EXPECT_NE(ReportedTops(floating), expected);
}

} // namespace
} // namespace veltra
