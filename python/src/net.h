// The net as Python sees it: one document, built, read, run and saved as the application
// does each of these.
#pragma once

#include "document.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace veltra::python {

class Net {
public:
    Net();

    static Net Load(const std::string& path);
    // The net a stack machine's construction makes for one word (as veltra-cli construct).
    static Net FromMachine(const std::string& description, const std::string& word);

    // Placed as the drawing window places an element, with (x, y) the top left of its glyph
    // as the file stores it, and the element counter moving on as it does there.
    Element Add(TElementKind kind, const std::string& label, int x, int y);
    Element AddNeuron(const std::string& label, int x, int y, const std::string& activation,
                      const std::optional<std::string>& threshold, const std::string& value);
    Element AddInput(const std::string& label, int x, int y, const std::string& sequence);
    Element AddModule(const std::string& label, int x, int y, const std::string& path);

    // A synapse as the drawing window draws it: the source decides whether it may connect,
    // one into an output weighs 1, one from a neuron to itself sets its loop flag. Across a
    // module's border (an element inside a module of the other's list) it is the hidden
    // synapse the Select IO pick makes plus the visible one to or from the module.
    Synapse Connect(const Element& source, const Element& destination, const std::string& weight);

    std::vector<Element> Elements() const;
    std::vector<Element> Labelled(const std::string& label) const;

    void Save(const std::string& path);

    void Step(long long n);
    // As the Execution Browser's Run: no step for a finished net, else steps until every
    // element is finished, or max_steps steps have been taken. Returns the steps taken.
    long long Run(std::optional<long long> maxSteps);
    // As Run, ending when a state repeats one seen earlier in this run (a proof that the net
    // cycles forever). Then the net is left at the state after step S + P of the run, S the
    // first step whose state recurs and P the smallest period, as `veltra-cli run
    // --until-cycle` leaves it; returns (steps taken, S, P), S and P -1 when no cycle was found.
    long long RunUntilCycle(std::optional<long long> maxSteps);
    // (S, P) of the last run until a cycle, None when that run found none or another run
    // came after it.
    std::optional<std::pair<long long, long long>> Cycle() const { return cycle_; }

    void Reset();
    bool Finished() const;
    long long Steps() const;

private:
    Element Place(std::unique_ptr<TProtoNeuronio> e, const std::string& label, int x, int y);
    void Own(const Element& e) const;
    [[noreturn]] static void Refuse(const Element& source, const Element& destination);

    DocumentPtr d_;
    std::optional<std::pair<long long, long long>> cycle_;
};

} // namespace veltra::python
