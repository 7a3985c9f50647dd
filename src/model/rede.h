// The net: one element list (possibly shared with a module) and the element counter that
// gives new elements their default labels.
#pragma once

#include "model/protolista.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

namespace veltra {

class TCanvas;
class TInteraction;
struct TReadFailure;
class TStepPlan;

// Seconds per group product of phase 1 in a net's big steps, on one thread and shared
// (running averages, 0 until measured), which was faster, and big steps since the slower way
// was last tried and between tries.
struct TShareTiming {
    double single = 0;
    double shared = 0;
    bool lastFaster = false;
    unsigned sinceOther = 0;
    unsigned interval = 16;
};

class TRede {
public:
    TRede();
    ~TRede();
    TRede(const TRede&) = delete;
    TRede& operator=(const TRede&) = delete;

    // One synchronous update: phase 1 over every element, then phase 2. Phase 1 only adds into
    // accumulators, so when it throws (a value too long for its Positions, TCancelled from a
    // cancel scope) they are emptied again and the net is exactly as before the step.
    void Step();
    // The two phases apart, for a step whose phase 1 (all the multiplications) runs on another
    // thread: Propagate only writes accumulators, which nothing else reads, and empties them
    // again when it throws; Commit then changes the values. Call PrepareStep first on the thread
    // that owns the net when Propagate is to run on another one.
    void Propagate();
    // Makes the step plan when the step will want one and the net changed since the last was
    // made (the values then move into it), so that Propagate only reads and writes sums.
    void PrepareStep();
    // Whether steps run on a compact plan of the net (stepplan.h) rather than walking the element
    // objects; the bytes are the same. Tests and benchmarks step both ways.
    static bool UsePlan; // true
    // The plan of the last step, null when none is kept (for tests and memory figures).
    const TStepPlan* Plan() const { return plan_.get(); }
    // Threads that share the sums of a step (the calling thread included), and the group
    // products a step must have before more than one is used: each neuron's sum is computed
    // whole by one thread, so the digits never depend on them. A step whose predecessor sent at
    // least ThreadedWork may share: then every neuron records its products and the threads
    // share all the sums. Such steps time phase 1 and keep to the faster way, trying the other
    // now and then, since on a machine busy with other programs the threads can lose to one;
    // with TimeSharing off every such step shares. Tests change all three.
    static unsigned SumThreads;      // ThreadsWanted(OMP_NUM_THREADS, AllowedCpus())
    static std::size_t ThreadedWork; // 1,000,000
    static bool TimeSharing;         // true
    // The CPUs this process may run on (its affinity mask, as a cluster's allocation sets it).
    static unsigned AllowedCpus();
    // The thread count for an OMP_NUM_THREADS value (null: not set) and the CPUs allowed: the
    // variable's first number when it is one, never more than allowed.
    static unsigned ThreadsWanted(const char* ompNumThreads, unsigned allowed);
    // A count asked for (a --threads option) within the CPUs allowed.
    static unsigned LimitThreads(unsigned requested);
    // Also tells the list's subscribers that the net stepped.
    void Commit();
    bool AllFinished() const { return elements_->AllFinished(); }
    void ResetAll();
    // Every outgoing synapse first, then every glyph, so synapses lie under glyphs.
    void DrawAll(TCanvas& canvas) const;
    // The last element whose glyph box strictly contains the point; module insides
    // are not searched.
    TProtoNeuronio* ElementAt(int x, int y) const;
    // Counts the element and inserts it by the outputs-last rule. Returns it.
    TProtoNeuronio* AddElement(std::unique_ptr<TProtoNeuronio> element);
    // Erases every synapse joining the element (from the canvas too) and releases it.
    void Remove(TProtoNeuronio* element, TCanvas& canvas);
    // Moves the element behind every other non-output element.
    void BringToFront(TProtoNeuronio* element);

    TProtoLista& Elements() { return *elements_; }
    const TProtoLista& Elements() const { return *elements_; }
    const std::shared_ptr<TProtoLista>& SharedElements() const { return elements_; }
    // Shows (and edits) another list, e.g. a module's inner net in a new window.
    void SetElements(std::shared_ptr<TProtoLista> list);

    std::int32_t ElementCounter() const { return counter_; }
    void SetElementCounter(std::int32_t counter) { counter_ = counter; }

    // Writes the net file (elements renumbered first). False when the stream failed.
    bool Save(std::ostream& out);
    // Reads a net file into this (empty) net; returns the first failed check's text, empty
    // on success. The elements read completely before a failure stay.
    std::string Load(std::istream& in, TReadFailure* failure = nullptr);

private:
    std::shared_ptr<TProtoLista> elements_;
    std::int32_t counter_ = 0;
    std::size_t lastWork_ = 0; // about the group products the last step sent
    TShareTiming timing_;
    // After the list: released first, giving the values back to elements still there.
    std::unique_ptr<TStepPlan> plan_;
    bool planned_ = false; // the last Propagate ran on the plan
};

} // namespace veltra
