#include "model/stepplan.h"

#include "model/inputs.h"
#include "model/module.h"
#include "model/neuronio.h"
#include "model/ompdirective.h"
#include "model/outputs.h"
#include "model/pendor.h"
#include "model/protolista.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <optional>
#include <typeinfo>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace veltra {

namespace {

// Only these five types are stepped the way the plan repeats; another element may call itself
// a neuron (test doubles do). Once Gather has checked an element's type against its kind, the
// kind tells its type.
template <class T> bool Is(const TProtoNeuronio& e) {
    return typeid(e) == typeid(T);
}

bool KnownType(const TProtoNeuronio& e) {
    switch (e.Kind()) {
    case TElementKind::Neuron:
        return Is<TNeuronio>(e);
    case TElementKind::Bias:
        return Is<TPendor>(e);
    case TElementKind::Input:
        return Is<TInputs>(e);
    case TElementKind::Output:
        return Is<TOutputs>(e);
    case TElementKind::Module:
        return Is<TModule>(e);
    }
    return false;
}

// Makes room in a fresh array with its pages faulted in at once. On a small net the plan's first
// step costs more in page faults (one per 4 KB touched for the first time) than in anything else;
// on the virtual machines the benchmarks run on a fault costs some 11 us, and asking the kernel
// for all pages of an array in one call about half as much. Where the kernel cannot (before
// Linux 5.14) the pages fault as they are touched; their contents are never changed.
template <class T> void ReserveFresh(std::vector<T>& v, std::size_t n) {
    v.reserve(n);
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    static const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto from = reinterpret_cast<std::uintptr_t>(v.data());
    const std::uintptr_t begin = (from + page - 1) / page * page;
    const std::uintptr_t end = (from + n * sizeof(T)) / page * page;
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#endif
}

template <class T> void SizeFresh(std::vector<T>& v, std::size_t n) {
    ReserveFresh(v, n);
    v.resize(n);
}

// Neurons between two polls of the cancel flag: short products never poll themselves.
constexpr std::size_t PollEvery = 256;

} // namespace

TStepPlan::TStepPlan(TProtoLista& list)
    : low_(TSacturated_Linear::NormalLow()), high_(TSacturated_Linear::NormalHigh()) {
    Observe(list);
    ReserveFresh(elements_, std::size_t(list.Count())); // and more for any module's inside
    ReserveFresh(kinds_, std::size_t(list.Count()));
    std::vector<const TProtoLista*> lists;
    if (Gather(list, lists) && Build()) {
        covers_ = true;
        return;
    }
    // Nothing moved yet: the elements only let go of this plan again.
    for (TProtoNeuronio* e : elements_)
        e->plan_ = nullptr;
    elements_ = {};
    kinds_ = {};
    neurons_ = {};
    saturated_ = {};
    fanIn_ = {};
    firstIn_ = {};
    inSource_ = {};
    inWeight_ = {};
    weights_ = {};
    outputFeeds_ = {};
}

TStepPlan::~TStepPlan() {
    StopObservingAll();
    for (std::uint32_t i = 0; i < elements_.size(); ++i)
        Release(i);
}

bool TStepPlan::Gather(TProtoLista& list, std::vector<const TProtoLista*>& lists) {
    // A list stepped twice in one step (shared by two modules) is left to the objects.
    if (std::find(lists.begin(), lists.end(), &list) != lists.end()) return false;
    lists.push_back(&list);
    for (const auto& item : list) {
        TProtoNeuronio& e = *item;
        if (!KnownType(e)) return false;
        Claim(e);
        kinds_.push_back(e.Kind());
        // The inner net steps at the module's place in the list.
        if (kinds_.back() == TElementKind::Module &&
            !Gather(static_cast<TModule&>(e).InnerNet(), lists))
            return false;
    }
    return true;
}

void TStepPlan::Claim(TProtoNeuronio& element) {
    if (element.plan_ != nullptr && element.plan_ != this)
        element.plan_->Release(element.planIndex_); // another net's plan (a shared list)
    element.plan_ = this;
    element.planIndex_ = static_cast<std::uint32_t>(elements_.size());
    elements_.push_back(&element);
}

void TStepPlan::Release(std::uint32_t index) noexcept {
    TProtoNeuronio* e = elements_[index];
    if (e == nullptr) return;
    elements_[index] = nullptr;
    stale_ = true;
    if (e->plan_ != this) return;
    e->plan_ = nullptr;
    if (!covers_) return; // nothing was moved in
    if (kinds_[index] == TElementKind::Neuron)
        static_cast<TNeuronio*>(e)->Lodge(nullptr, nullptr);
    else if (kinds_[index] == TElementKind::Bias)
        static_cast<TPendor*>(e)->Lodge(nullptr);
}

void TStepPlan::Forget(std::uint32_t index) noexcept {
    if (index < elements_.size()) elements_[index] = nullptr;
    stale_ = true;
}

std::uint32_t TStepPlan::WeightIndex(const TInfinito& weight, TWeightTable& table) {
    // Synapses of equal weights share one number (weightpool.h): its address is the key. A
    // net's few weights come again and again, so a small direct-mapped table answers first.
    TWeightTable::TRecent& recent =
        table.recent[(reinterpret_cast<std::uintptr_t>(&weight) >> 4) % table.recent.size()];
    if (recent.weight == &weight) return recent.index;
    const auto [at, added] = table.all.try_emplace(&weight, std::uint32_t(weights_.size()));
    if (added) weights_.push_back(weight);
    recent = {&weight, at->second};
    return at->second;
}

bool TStepPlan::Build() {
    // The elements in step order are elements_ (as claimed); value slots: neurons first, then
    // biases and inputs.
    const std::vector<TProtoNeuronio*>& order = elements_;
    constexpr std::uint32_t None = ~std::uint32_t{0};
    std::vector<std::uint32_t> slot;
    SizeFresh(slot, order.size());
    std::fill(slot.begin(), slot.end(), None);
    ReserveFresh(neurons_,
                 std::size_t(std::count(kinds_.begin(), kinds_.end(), TElementKind::Neuron)));
    std::uint32_t senders = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (kinds_[i] == TElementKind::Neuron) {
            slot[i] = senders++;
            neurons_.push_back(static_cast<TNeuronio*>(order[i]));
        }
    }
    const std::uint32_t neuronCount = senders;
    for (std::size_t i = 0; i < order.size(); ++i)
        if (kinds_[i] == TElementKind::Bias || kinds_[i] == TElementKind::Input)
            slot[i] = senders++;

    // Each neuron's room for its inputs: its incoming synapses, every product it can be sent.
    // One visit per neuron and one per synapse: a big net's objects are far apart in memory.
    SizeFresh(saturated_, neuronCount);
    SizeFresh(fanIn_, neuronCount);
    SizeFresh(firstIn_, std::size_t(neuronCount) + 1);
    std::uint64_t room = 0;
    for (std::uint32_t n = 0; n < neuronCount; ++n) {
        saturated_[n] = typeid(neurons_[n]->Activation()) == typeid(TSacturated_Linear);
        const int incoming = neurons_[n]->IncomingSynapses().Count();
        // Only compared with the column-sum threshold: beyond the type's range the route may
        // differ from the objects', never the digits.
        fanIn_[n] = static_cast<std::uint16_t>(std::min(incoming, int(UINT16_MAX)));
        firstIn_[n] = static_cast<std::uint32_t>(room);
        room += std::uint64_t(incoming);
        if (room > UINT32_MAX) return false;
    }
    firstIn_[neuronCount] = static_cast<std::uint32_t>(room);
    SizeFresh(inSource_, room);
    SizeFresh(inWeight_, room);

    // The products, in the order the senders' walk sends them: senders in step order, each
    // along its outgoing list in list order. Placed by destination in that order, which fixes
    // every neuron's sum's groups.
    std::vector<std::uint32_t> next;
    SizeFresh(next, neuronCount);
    std::copy(firstIn_.begin(), firstIn_.end() - 1, next.begin());
    TWeightTable table;
    for (std::size_t i = 0; i < order.size(); ++i) {
        TProtoNeuronio& e = *order[i];
        if (slot[i] == None) continue; // outputs and modules send nothing themselves
        for (const TSinapse* s : e.OutgoingSynapses()) {
            if (s->Source() != &e) return false;
            TProtoNeuronio* to = s->Receiver();
            if (to == nullptr) continue; // no destination yet, or a module: nothing is sent
            if (to->plan_ != this) return false;
            if (s->ToNeuron()) {
                const std::uint32_t n = slot[to->planIndex_];
                if (next[n] == firstIn_[n + 1]) return false; // not in its incoming list
                const std::uint32_t k = next[n]++;
                inSource_[k] = slot[i];
                inWeight_[k] = WeightIndex(s->Weight(), table);
            } else if (kinds_[to->planIndex_] == TElementKind::Output) {
                outputFeeds_.push_back({static_cast<TOutputs*>(to), s, slot[i]});
            } else {
                return false; // a bias or an input would multiply and drop the product
            }
        }
    }
    // Incoming synapses from what sends nothing here (a module, or outside the net) left gaps.
    std::uint32_t kept = 0;
    for (std::uint32_t n = 0; n < neuronCount; ++n) {
        const std::uint32_t first = firstIn_[n];
        firstIn_[n] = kept;
        for (std::uint32_t k = first; k < next[n]; ++k, ++kept) {
            inSource_[kept] = inSource_[k];
            inWeight_[kept] = inWeight_[k];
        }
    }
    firstIn_[neuronCount] = kept;
    for (std::uint32_t n = 0; n < neuronCount; ++n)
        widest_ = std::max<std::size_t>(widest_, firstIn_[n + 1] - firstIn_[n]);
    inSource_.resize(kept);
    inWeight_.resize(kept);
    if (kept < room - room / 8) {
        inSource_.shrink_to_fit();
        inWeight_.shrink_to_fit();
    }

    // Weights of one non-zero group first: a product by one of them takes AddProduct's short
    // route without asking which operand is the shorter.
    std::vector<std::uint32_t> byForm(weights_.size());
    for (std::uint32_t w = 0; w < byForm.size(); ++w)
        byForm[w] = w;
    const auto oneGroup = [&](std::uint32_t w) {
        return weights_[w].GroupCount() == 1 && !weights_[w].IsZero();
    };
    std::stable_partition(byForm.begin(), byForm.end(), oneGroup);
    shortWeights_ =
        static_cast<std::uint32_t>(std::count_if(byForm.begin(), byForm.end(), oneGroup));
    std::vector<std::uint32_t> renamed(byForm.size());
    std::vector<TInfinito> sorted;
    sorted.reserve(byForm.size());
    for (std::uint32_t w = 0; w < byForm.size(); ++w) {
        renamed[byForm[w]] = w;
        sorted.push_back(std::move(weights_[byForm[w]]));
    }
    weights_ = std::move(sorted);
    for (std::uint32_t& w : inWeight_)
        w = renamed[w];

    // Phase 2 in step order: an output reads its source's value as the commits have left it.
    for (std::size_t i = 0; i < order.size(); ++i) {
        TProtoNeuronio& e = *order[i];
        if (kinds_[i] == TElementKind::Neuron) {
            if (commits_.empty() || commits_.back().what != TCommitStep::TWhat::Neurons ||
                commits_.back().last != slot[i])
                commits_.push_back({TCommitStep::TWhat::Neurons, slot[i], slot[i], nullptr});
            ++commits_.back().last;
        } else if (kinds_[i] == TElementKind::Input) {
            inputs_.push_back({static_cast<TInputs*>(&e), slot[i]});
            commits_.push_back({TCommitStep::TWhat::Input, 0, 0, &e});
        } else if (kinds_[i] == TElementKind::Output) {
            commits_.push_back({TCommitStep::TWhat::Output, 0, 0, &e});
        }
    }

    // The values move in last, when nothing can fail any more; the storage never grows after.
    SizeFresh(values_, senders);
    SizeFresh(sums_, neuronCount);
    SizeFresh(live_, senders);
    for (std::uint32_t n = 0; n < neuronCount; ++n)
        neurons_[n]->Lodge(&values_[n], &sums_[n]);
    for (std::size_t i = 0; i < order.size(); ++i)
        if (kinds_[i] == TElementKind::Bias)
            static_cast<TPendor*>(order[i])->Lodge(&values_[slot[i]]);
    return true;
}

void TStepPlan::SumRecorded() {
    for (TNeuronio* n : neurons_)
        n->SumInputs();
}

// Without a branch on whether each sender is zero: grouped by destination, the senders come in
// no order a predictor could follow, and one misprediction costs as much as gathering a product.
[[gnu::always_inline]] inline std::size_t TStepPlan::GatherSent(std::uint32_t first,
                                                                std::uint32_t last,
                                                                TInfinito::TProduct* sent,
                                                                std::size_t& work) const {
    const std::uint32_t* source = inSource_.data();
    const std::uint32_t* weight = inWeight_.data();
    const std::uint8_t* live = live_.data();
    const TInfinito* values = values_.data();
    const TInfinito* weights = weights_.data();
    std::size_t count = 0;
    for (std::uint32_t k = first; k < last; ++k) {
        const std::uint32_t sender = source[k];
        const TInfinito& value = values[sender];
        sent[count] = {&weights[weight[k]], &value};
        const std::size_t sends = live[sender];
        count += sends;
        work += std::size_t(value.GroupCount()) & (0 - sends);
    }
    return count;
}

std::size_t TStepPlan::SumColumns(std::size_t i, TInfinito::TProduct* sent) {
    // As a neuron of many inputs records what it is sent and sums it at once; the digits are
    // those of adding each product as it comes either way.
    std::size_t work = 0;
    const std::size_t count = GatherSent(firstIn_[i], firstIn_[i + 1], sent, work);
    if (count != 0) sums_[i].AddProducts(sent, count);
    return work;
}

std::size_t TStepPlan::SumRange(std::size_t from, std::size_t to,
                                std::vector<TInfinito::TProduct>& products) {
    // One loop over the neurons and their synapses, without a call per neuron: on a net of few
    // inputs per neuron and short values the bookkeeping around a product is as much as its
    // arithmetic. In locals: the arithmetic is called between the loads, which would otherwise
    // be repeated. Unless every sender sends, each neuron first gathers the products of the
    // senders that do (GatherSent), then adds them.
    const std::uint32_t* firstIn = firstIn_.data();
    const std::uint32_t* source = inSource_.data();
    const std::uint32_t* weight = inWeight_.data();
    const TInfinito* values = values_.data();
    const TInfinito* weights = weights_.data();
    const TInfinito* shortEnd = weights + shortWeights_;
    TInfinito* sums = sums_.data();
    const bool atOnce = TNeuronio::SumAtOnce;
    const bool allLive = allLive_;
    if (products.size() < widest_) products.resize(widest_);
    TInfinito::TProduct* sent = products.data();
    std::size_t work = 0;
    std::uint32_t first = firstIn[from];
    for (std::size_t i = from; i < to; ++i) {
        if (i % PollEvery == 0) TCancelScope::Poll();
        const std::uint32_t last = firstIn[i + 1];
        if (first == last) continue;
        if (atOnce && TInfinito::ColumnSumsPay(fanIn_[i])) {
            work += SumColumns(i, sent);
        } else {
            TInfinito& sum = sums[i];
            if (allLive) {
                for (std::uint32_t k = first; k < last; ++k) {
                    const TInfinito& value = values[source[k]];
                    work += std::size_t(value.GroupCount());
                    const TInfinito& w = weights[weight[k]];
                    if (&w < shortEnd)
                        sum.AddOneGroupProduct(w, value);
                    else
                        sum.AddProduct(w, value);
                }
            } else {
                const std::size_t count = GatherSent(first, last, sent, work);
                for (std::size_t j = 0; j < count; ++j) {
                    if (sent[j].weight < shortEnd)
                        sum.AddOneGroupProduct(*sent[j].weight, *sent[j].value);
                    else
                        sum.AddProduct(*sent[j].weight, *sent[j].value);
                }
            }
        }
        first = last;
    }
    return work;
}

std::size_t TStepPlan::Propagate(unsigned threads) {
    if (TNeuronio::TakeRecorded() != 0) SumRecorded();
    // An input's symbol is read afresh: its sequence may have been set since the last step.
    for (const TInputSlot& in : inputs_)
        values_[in.slot] = in.input->GetValue();
    // Which senders send (a zero sends nothing), asked once per sender instead of once per
    // synapse; when all do, as on nets whose every value grows, nothing is asked again.
    const TInfinito* values = values_.data();
    std::uint8_t* live = live_.data();
    const std::size_t senders = values_.size();
    std::size_t sending = 0;
    for (std::size_t v = 0; v < senders; ++v) {
        const bool sends = !values[v].IsZero();
        live[v] = sends;
        sending += sends;
    }
    allLive_ = sending == senders;
    std::size_t work = 0;
    if (threads > 1 && neurons_.size() > 1)
        work = SumShared(threads);
    else
        work = SumRange(0, neurons_.size(), products_);
    for (const TOutputFeed& feed : outputFeeds_) {
        const TInfinito& value = values_[feed.slot];
        if (!value.IsZero()) feed.output->AddWeighted(feed.synapse->Weight(), value);
    }
    return work;
}

// Threads take blocks of neurons and make each one's whole sum, so no digit depends on them.
// They poll the caller's cancel flag; the first exception ends the sharing and is thrown here
// once every thread has stopped.
std::size_t TStepPlan::SumShared(unsigned threads) {
    const std::atomic<bool>* cancel = TCancelScope::CurrentFlag();
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorMutex;
    std::size_t work = 0;
    // Blocks of neighbours: their sums lie side by side, and the threads never write into the
    // same cache line but at a block's edge.
    constexpr std::size_t Block = 64;
    const std::size_t count = neurons_.size();
    const auto blocks = static_cast<std::ptrdiff_t>((count + Block - 1) / Block);
    const int n = static_cast<int>(std::min<std::size_t>(threads, std::size_t(blocks)));
    VELTRA_OMP("omp parallel num_threads(n) reduction(+ : work)") {
        std::optional<TCancelScope> scope;
        if (cancel != nullptr) scope.emplace(*cancel);
        std::vector<TInfinito::TProduct> products;
        VELTRA_OMP("omp for schedule(dynamic, 1)")
        for (std::ptrdiff_t b = 0; b < blocks; ++b) {
            if (failed.load(std::memory_order_relaxed)) continue;
            try {
                const std::size_t from = std::size_t(b) * Block;
                work += SumRange(from, std::min(from + Block, count), products);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(errorMutex);
                if (!error) error = std::current_exception();
                failed = true;
            }
        }
    }
    if (error) std::rethrow_exception(error);
    return work;
}

void TStepPlan::Evaluate(std::uint32_t first, std::uint32_t last) {
    // One loop without a call per neuron, as in SumRange.
    TInfinito* sums = sums_.data();
    TInfinito* values = values_.data();
    const std::uint8_t* saturated = saturated_.data();
    for (std::uint32_t i = first; i < last; ++i) {
        TInfinito& x = sums[i];
        TInfinito& out = values[i];
        if (!saturated[i]) {
            neurons_[i]->Activation().EvaluateInto(x, out);
        } else {
            // TSacturated_Linear::EvaluateInto, on copies of its bounds held here.
            out.TakeNormalized(x);
            if (out.Sign() < 0 && out.GroupCount() != 0)
                out = low_;
            else if (out.NormalExceedsOne())
                out = high_;
        }
        x.SetZero();
    }
}

void TStepPlan::Commit() {
    if (TNeuronio::TakeRecorded() != 0) SumRecorded(); // sent between the two phases
    for (const TCommitStep& step : commits_) {
        switch (step.what) {
        case TCommitStep::TWhat::Neurons:
            Evaluate(step.first, step.last);
            break;
        case TCommitStep::TWhat::Input:
        case TCommitStep::TWhat::Output:
            step.element->Commit();
            break;
        }
    }
}

std::size_t TStepPlan::Bytes() const {
    std::size_t bytes = sizeof(*this);
    bytes += elements_.capacity() * sizeof(TProtoNeuronio*) + kinds_.capacity();
    bytes += (values_.capacity() + sums_.capacity() + weights_.capacity()) * sizeof(TInfinito);
    for (const TInfinito& v : values_)
        bytes += v.HeapBytes();
    for (const TInfinito& v : sums_)
        bytes += v.HeapBytes();
    for (const TInfinito& v : weights_)
        bytes += v.HeapBytes();
    bytes += neurons_.capacity() * sizeof(TNeuronio*) + saturated_.capacity() +
             fanIn_.capacity() * sizeof(std::uint16_t);
    bytes +=
        (firstIn_.capacity() + inSource_.capacity() + inWeight_.capacity()) * sizeof(std::uint32_t);
    bytes += inputs_.capacity() * sizeof(TInputSlot) +
             outputFeeds_.capacity() * sizeof(TOutputFeed) +
             commits_.capacity() * sizeof(TCommitStep);
    return bytes;
}

} // namespace veltra
