// The net as Python sees it: one document, built, read, run and saved as the application
// does each of these.
#pragma once

#include "document.h"
#include "filetext.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltra::python {

class Net {
public:
    Net();

    // Reads a net file's bytes as the application's Open does. A text the reader refuses
    // raises NetFileError with the reader's text and the line it stopped in.
    static Net Loads(std::string_view text);
    // The net a stack machine's construction makes for one word (as veltra-cli construct).
    static Net FromMachine(const std::string& description, const std::string& word);
    // The bytes Save writes.
    py::bytes Dumps();
    // Writes the file atomically. On failure: the errno (0 when the content could not be
    // made) and the message; the package raises OSError from them.
    std::pair<int, std::string> Save(const std::string& path);

    // Placed as the drawing window places an element, with (x, y) the top left of its glyph
    // as the file stores it, and the element counter moving on as it does there. Without a
    // label the element keeps the counter's text, as there; without coordinates it goes to
    // the grid cell of its place in the list.
    Element Add(TElementKind kind, const Label& label, const Spot& spot);
    Element AddNeuron(const Label& label, const Spot& spot, const std::string& activation,
                      const std::optional<std::string>& threshold, const std::string& value);
    Element AddInput(const Label& label, const Spot& spot, const std::string& sequence);
    // A module whose inner net is read from a net file's bytes; a text the reader refuses
    // raises NetFileError and leaves the net unchanged.
    Element AddModule(const Label& label, const Spot& spot, std::string_view text);

    // A synapse as the drawing window draws it: the source decides whether it may connect,
    // one into an output weighs 1, one from a neuron to itself sets its loop flag. Across a
    // module's border (an element inside a module of the other's list) it is the hidden
    // synapse the Select IO pick makes plus the visible one to or from the module.
    Synapse Connect(const Element& source, const Element& destination, const std::string& weight);

    // Takes the element (with every synapse that joins it to anything) or the synapse out of
    // the net. What is taken out stays in memory while the net lives, so a Python object
    // still holding it reads what it held, but it is no part of the net any more.
    void Remove(const Element& element);
    void Disconnect(const Synapse& synapse);

    std::vector<Element> Elements() const;
    std::vector<Element> Labelled(const FileText& label) const;
    // Elements of each kind (in the order of TElementKind) and synapses, at the top level.
    std::vector<long long> Counts() const;

    void Step(long long n);
    // As the Execution Browser's Run: no step for a finished net, else steps until every
    // element is finished, or max_steps steps have been taken. With untilCycle it also ends
    // when a state repeats one seen earlier in this run (a proof that the net cycles
    // forever): the net is then left at the state after step S + P of the run, S the first
    // step whose state recurs and P the smallest period, as `veltra-cli run --until-cycle`
    // leaves it. With a condition ("LABEL OP VALUE", as --until) it also ends after the
    // first step in which the first top-level element with the label compares so.
    // Returns the steps taken.
    long long Run(std::optional<long long> maxSteps, bool untilCycle,
                  const std::optional<std::string>& until);
    // (S, P) of the last run until a cycle, None when that run found none or another run
    // came after it.
    std::optional<std::pair<long long, long long>> Cycle() const { return cycle_; }

    void Reset();
    bool Finished() const;
    long long Steps() const;
    // A copy's step count (pickle carries it beside the file text).
    void SetSteps(long long steps);

private:
    Element Place(std::unique_ptr<TProtoNeuronio> e, const Label& label, const Spot& spot);
    void Own(const Element& e) const;
    // The list holding the element in this net; ValueError when it was removed.
    TProtoLista& ListOf(const Element& e, TModule** holder = nullptr) const;
    [[noreturn]] static void Refuse(const Element& source, const Element& destination);

    DocumentPtr d_;
    std::optional<std::pair<long long, long long>> cycle_;
};

} // namespace veltra::python
