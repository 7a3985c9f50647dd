// A net's step on a compact plan: the values and sums of its elements in contiguous storage in
// step order, and its synapses as arrays grouped by destination, so that a step streams through
// them instead of walking from element objects to synapse objects to values.
//
// The element objects stay what everything else reads and writes: while a plan holds them, a
// neuron's activity and sum and a bias's value live in the plan's storage, and the element
// reads and writes them there, so the GUI, the rows, saving, cycle detection and step back
// see the plan's values without a copy. A plan is made from the net when a step needs one and
// kept while the net does not change: an edit the list tells its subscribers about, or one an
// element reports (InvalidatePlan: a weight, a synapse's ends, a function), makes it stale, and
// the next step makes it again. A step on the plan gives the very bytes of a step over the
// objects: the same arithmetic on the same numbers in the same order.
#pragma once

#include "model/elementkind.h"
#include "model/netnotifier.h"
#include "numeric/infinito.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace veltra {

class TActivacao;
class TInputs;
class TNeuronio;
class TOutputs;
class TProtoLista;
class TProtoNeuronio;
class TSinapse;

class TStepPlan final : private TNetObserver {
public:
    // Makes the plan of `list`'s step and moves the values in. A net holding what the plan does
    // not reproduce is left as it is (Covers() false, and the step walks the objects): an element
    // of another type than the five, an inner net met twice (one list in two modules), a synapse
    // in a list that is not its source's, or one that sends to an element outside the net or to
    // a bias or an input.
    explicit TStepPlan(TProtoLista& list);
    // Gives every value back to its element.
    ~TStepPlan() override;
    TStepPlan(const TStepPlan&) = delete;
    TStepPlan& operator=(const TStepPlan&) = delete;

    bool Covers() const { return covers_; }
    // False once the net changed since the plan was made.
    bool Current() const { return !stale_; }
    void Invalidate() noexcept { stale_ = true; }
    // The element at `index` is being released: the plan must not touch it again.
    void Forget(std::uint32_t index) noexcept;

    // Phase 1: every neuron's sum, threads sharing the neurons when `threads` > 1 (each sum is
    // made whole by one thread), then what outputs are sent. Writes nothing but sums. Returns
    // the value groups of the products added, the size of the step's work.
    std::size_t Propagate(unsigned threads);
    // Phase 2 in step order: neurons take their function of their sums, inputs consume a
    // symbol, outputs record.
    void Commit();

    // Neurons, synapses into neurons and distinct weights in the plan.
    std::size_t Neurons() const { return neurons_.size(); }
    std::size_t Synapses() const { return inSource_.size(); }
    std::size_t Weights() const { return weights_.size(); }
    // Bytes the plan holds (its arrays and the numbers' heap blocks), for the memory figures.
    std::size_t Bytes() const;

private:
    struct TInputSlot {
        TInputs* input;
        std::uint32_t slot;
    };
    // A synapse into an output: the output sums what it is sent (and records its source's value
    // at the commit, which is all that shows), so it gets the product through the object.
    struct TOutputFeed {
        TOutputs* output;
        const TSinapse* synapse;
        std::uint32_t slot;
    };
    // Phase 2 in step order: a run of neurons [first, last), or one input or output.
    struct TCommitStep {
        enum class TWhat : std::uint8_t { Neurons, Input, Output } what;
        std::uint32_t first;
        std::uint32_t last;
        TProtoNeuronio* element;
    };

    // Claims the elements in step order, module insides at the module's place.
    bool Gather(TProtoLista& list, std::vector<const TProtoLista*>& lists);
    bool Build();
    void Claim(TProtoNeuronio& element);
    // Gives the element its values back and lets go of it.
    void Release(std::uint32_t index) noexcept;
    struct TWeightTable {
        struct TRecent {
            const TInfinito* weight = nullptr;
            std::uint32_t index = 0;
        };
        std::array<TRecent, 64> recent;
        std::unordered_map<const TInfinito*, std::uint32_t> all;
    };
    std::uint32_t WeightIndex(const TInfinito& weight, TWeightTable& table);
    // The sums of this step of neurons [from, to); `products` is scratch for their gathered
    // products. Returns their work.
    std::size_t SumRange(std::size_t from, std::size_t to,
                         std::vector<TInfinito::TProduct>& products);
    // Neuron i's sum as column sums (TInfinito::AddProducts), gathering into `sent`, room for
    // widest_ products. Returns its work.
    std::size_t SumColumns(std::size_t i, TInfinito::TProduct* sent);
    // The products of the senders into [first, last) that send, into `sent`; adds their value
    // groups to `work`. Returns how many.
    std::size_t GatherSent(std::uint32_t first, std::uint32_t last, TInfinito::TProduct* sent,
                           std::size_t& work) const;
    std::size_t SumShared(unsigned threads);
    // Neurons [first, last) take their function of their sums.
    void Evaluate(std::uint32_t first, std::uint32_t last);
    // Products recorded by neurons outside the plan's steps (a lone AddWeighted) are summed first,
    // in the order they came, as the objects' step would.
    void SumRecorded();

    void ElementAdded(TProtoNeuronio&) override { stale_ = true; }
    void ElementLeaving(const TProtoNeuronio&, TLeaving) override { stale_ = true; }
    void ElementChanged(TProtoNeuronio&, TChange) override { stale_ = true; }
    void SynapseAdded(TSinapse&) override { stale_ = true; }
    void SynapseLeaving(const TSinapse&, TLeaving) override { stale_ = true; }
    void SynapseChanged(TSinapse&) override { stale_ = true; }
    void NetReleased(const TProtoLista&) override { stale_ = true; }

    bool covers_ = false;
    bool stale_ = false;
    // Every element the plan holds, in step order at its planIndex_ (null once forgotten or
    // released), and its kind.
    std::vector<TProtoNeuronio*> elements_;
    std::vector<TElementKind> kinds_;
    // Values: neurons first (slot i is neuron i's), then biases and inputs, in step order.
    std::vector<TInfinito> values_;
    std::vector<TInfinito> sums_;
    std::vector<TNeuronio*> neurons_;
    // Whether a neuron's function is the saturated-linear one, which is done inline here; the
    // others are asked of the neuron's function object.
    std::vector<std::uint8_t> saturated_;
    // A neuron's incoming synapses, all of them, which decide whether it sums at once.
    std::vector<std::uint16_t> fanIn_;
    std::size_t widest_ = 0; // the most synapses into one neuron
    // Whether each value slot is non-zero this step, and whether all are.
    std::vector<std::uint8_t> live_;
    bool allLive_ = false;
    // The synapses into neuron i are [firstIn_[i], firstIn_[i + 1]): the sender's value slot and
    // the weight, in the order the senders' walk would send them.
    std::vector<std::uint32_t> firstIn_;
    std::vector<std::uint32_t> inSource_;
    std::vector<std::uint32_t> inWeight_;
    std::vector<TInfinito> weights_; // distinct weights (equal groups, Positions and sign)
    std::uint32_t shortWeights_ = 0; // the first of them, of one non-zero group each
    std::vector<TInputSlot> inputs_;
    std::vector<TOutputFeed> outputFeeds_;
    std::vector<TCommitStep> commits_;
    // The saturated-linear bounds in the normal form the function gives them.
    TInfinito low_;
    TInfinito high_;
    std::vector<TInfinito::TProduct> products_; // gathering scratch of the calling thread
};

} // namespace veltra
