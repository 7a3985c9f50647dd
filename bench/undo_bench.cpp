// What undoing an erase costs in a big net (a hub neuron, and a bias feeding every neuron): the
// erase command's undo (the element and its synapses put back where they were) against reading the
// net again from the bytes saved before the erase (what an undo that keeps snapshots would do).
// Both must give the bytes the net had before the erase before any figure is printed. Medians of
// REPEATS runs.
//
//   undo_bench [ELEMENTS] [REPEATS]
#include "model/dados.h"
#include "model/neuronio.h"
#include "model/pendor.h"
#include "model/protolista.h"
#include "ui/editcommands.h"
#include "ui/editstack.h"

#include "median.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using namespace veltra;

using veltra::bench::Median;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

void Connect(TProtoNeuronio* from, TProtoNeuronio* to, const char* weight) {
    auto s = std::make_unique<TSinapse>();
    s->SetWeightText(weight);
    s->SetUp(from, to);
    to->AddIncoming(from->AddOutgoing(std::move(s)));
}

// A chain of neurons, each also feeding the one 100 further on; the middle one a hub.
void Build(TDados& document, int elements) {
    std::vector<TProtoNeuronio*> all;
    for (int i = 0; i < elements; ++i) {
        auto e = std::make_unique<TNeuronio>();
        e->Setup((i % 250) * 40, (i / 250) * 40, GlyphIndex(TElementKind::Neuron),
                 GlyphIndex(TElementKind::Neuron) + 1, document.Net().ElementCounter());
        all.push_back(document.AddElement(std::move(e)));
    }
    for (int i = 0; i + 1 < elements; ++i) {
        Connect(all[i], all[i + 1], "0.5");
        if (i + 100 < elements) Connect(all[i], all[i + 100], "-0.25");
    }
    TProtoNeuronio* hub = all[elements / 2];
    for (int i = 0; i < elements; i += elements / 200)
        if (all[i] != hub) Connect(hub, all[i], "1.125");
}

std::string Bytes(TDados& document) {
    std::ostringstream out;
    document.Save(out);
    return out.str();
}

// Erases `element` by the command and undoes it, REPEATS times; prints the medians.
bool Measure(TDados& document, TEditStack& stack, TProtoNeuronio* element, const char* what,
             int repeats) {
    const std::string before = Bytes(document);
    const int synapses = element->OutgoingSynapses().Count() + element->IncomingSynapses().Count();
    std::vector<double> erase, undo, reread;
    for (int r = 0; r < repeats; ++r) {
        auto start = Clock::now();
        stack.Push(std::make_unique<TElementCommand>(stack, TElementCommand::TKind::Erase,
                                                     document.Net().SharedElements(), element));
        erase.push_back(Ms(start));
        const std::string erased = Bytes(document);

        start = Clock::now();
        stack.undo();
        undo.push_back(Ms(start));
        if (Bytes(document) != before) {
            std::cerr << "undo did not give the bytes before the erase\n";
            return false;
        }

        TDados peer;
        std::istringstream in(before);
        start = Clock::now();
        if (!peer.Load(in).empty()) return false;
        reread.push_back(Ms(start));
        if (Bytes(peer) != before || erased == before) {
            std::cerr << "the peer did not read back the same net\n";
            return false;
        }
    }
    std::printf("%s, %d synapses:\n", what, synapses);
    std::printf("  erase (command)        %9.3f ms\n", Median(erase));
    std::printf("  undo of the erase      %9.3f ms\n", Median(undo));
    std::printf("  reading the net again  %9.3f ms   (%.0fx the undo)\n", Median(reread),
                Median(reread) / Median(undo));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int elements = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 21;
    TDados document;
    Build(document, elements);
    // A bias feeding every neuron: the erase with the most synapses a net of this size has.
    auto bias = std::make_unique<TPendor>();
    bias->Setup(0, -40, GlyphIndex(TElementKind::Bias), GlyphIndex(TElementKind::Bias) + 1,
                document.Net().ElementCounter());
    TProtoNeuronio* feeder = document.AddElement(std::move(bias));
    for (int i = 0; i < elements; ++i)
        Connect(feeder, document.Elements().Item(i), "0.001");
    std::shared_ptr<TEditStack> stack = TEditStack::For(document.Net().SharedElements());
    std::printf("net of %d elements; medians of %d runs\n", elements + 1, repeats);
    if (!Measure(document, *stack, document.Elements().Item(elements / 2), "a hub neuron",
                 repeats) ||
        !Measure(document, *stack, feeder, "a bias feeding every neuron", repeats))
        return 1;
    return 0;
}
