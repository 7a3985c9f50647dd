#include "model/rede.h"

#include "model/canvas.h"
#include "model/module.h"
#include "model/netfileio.h"
#include "model/netwalk.h"
#include "model/neuronio.h"
#include "model/ompdirective.h"
#include "model/stepplan.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#endif


namespace veltra {

unsigned TRede::AllowedCpus() {
#if defined(__linux__)
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return unsigned(CPU_COUNT(&set));
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

unsigned TRede::ThreadsWanted(const char* ompNumThreads, unsigned allowed) {
    allowed = std::max(allowed, 1u);
    if (ompNumThreads == nullptr) return allowed;
    // Its first number (a list gives the counts of nested levels); anything else is ignored.
    std::string_view text(ompNumThreads);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    unsigned wanted = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), wanted);
    if (error != std::errc() || wanted == 0) return allowed;
    return std::min(wanted, allowed);
}

unsigned TRede::LimitThreads(unsigned requested) {
    return std::clamp(requested, 1u, AllowedCpus());
}

unsigned TRede::SumThreads = TRede::ThreadsWanted(std::getenv("OMP_NUM_THREADS"), AllowedCpus());
std::size_t TRede::ThreadedWork = 1000000;
bool TRede::TimeSharing = true;
bool TRede::UsePlan = true;

namespace {

// Returns whether a module was met (whose list might be shared with another module).
bool GatherNeurons(TProtoLista& list, std::vector<TNeuronio*>& out) {
    bool module = false;
    VisitDeep(list, [&](TProtoNeuronio& e) {
        // By type, not Kind(): another element may call itself a neuron (test doubles do).
        if (auto* neuron = dynamic_cast<TNeuronio*>(&e))
            out.push_back(neuron);
        else if (AsModule(&e) != nullptr)
            module = true;
        else
            e.SumInputs(); // whatever else sums its inputs does it here, on this thread
    });
    return module;
}

// The second half of phase 1, shared by the OpenMP threads when the step is big enough to pay
// for them. A thread takes a few neurons at a time and computes each one's whole sum, so the
// result is the same whichever thread takes it. They poll the caller's cancel flag; the first
// exception ends the sharing and is thrown here once every thread has stopped.
void SumAll(TProtoLista& list, bool share) {
    if (!share) return list.SumInputsAll();
    std::vector<TNeuronio*> neurons;
    if (GatherNeurons(list, neurons)) {
        // A list shared by two modules must not be summed twice at once.
        std::sort(neurons.begin(), neurons.end());
        neurons.erase(std::unique(neurons.begin(), neurons.end()), neurons.end());
    }
    if (neurons.empty()) return;

    const std::atomic<bool>* cancel = TCancelScope::CurrentFlag();
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorMutex;
    const auto count = static_cast<std::ptrdiff_t>(neurons.size());
    const int threads = static_cast<int>(std::min<std::size_t>(TRede::SumThreads, neurons.size()));
    VELTRA_OMP("omp parallel num_threads(threads)") {
        std::optional<TCancelScope> scope;
        if (cancel != nullptr) scope.emplace(*cancel);
        // Small blocks: the sums of a sparse net differ in length from neuron to neuron.
        VELTRA_OMP("omp for schedule(dynamic, 4)")
        for (std::ptrdiff_t i = 0; i < count; ++i) {
            if (failed.load(std::memory_order_relaxed)) continue;
            try {
                TCancelScope::Poll(); // short products never poll themselves
                neurons[std::size_t(i)]->SumInputs();
            } catch (...) {
                const std::lock_guard<std::mutex> lock(errorMutex);
                if (!error) error = std::current_exception();
                failed = true;
            }
        }
    }
    if (error) std::rethrow_exception(error);
}

// The faster way so far, except now and then the other one, so that a change of load is
// noticed: after 16 big steps at first, twice as many (up to 1,024) each time the other way
// loses again, since on a busy machine one shared step can cost several steps on one thread.
bool ShareNext(TShareTiming& timing) {
    if (timing.single == 0) return false;
    if (timing.shared == 0) return true;
    const bool faster = timing.shared < timing.single;
    if (faster != timing.lastFaster) {
        timing.lastFaster = faster;
        timing.interval = 16;
    }
    if (++timing.sinceOther < timing.interval) return faster;
    timing.sinceOther = 0;
    timing.interval = std::min(2 * timing.interval, 1024u);
    return !faster;
}

void Remember(TShareTiming& timing, bool shared, double secondsPerWork) {
    double& average = shared ? timing.shared : timing.single;
    average = average == 0 ? secondsPerWork : 0.75 * average + 0.25 * secondsPerWork;
}

} // namespace

TRede::TRede() : elements_(std::make_shared<TProtoLista>()) {}

TRede::~TRede() = default;

void TRede::Step() {
    Propagate();
    Commit();
}

void TRede::Commit() {
    // An edit between the two phases leaves the sums where they are; the objects commit them.
    if (planned_ && plan_ && plan_->Current())
        plan_->Commit();
    else
        elements_->CommitAll();
    planned_ = false;
    elements_->Notifier().Tell([](TNetObserver& o) { o.NetStepped(); });
}

void TRede::ResetAll() {
    elements_->ResetAll();
    elements_->Notifier().Tell([](TNetObserver& o) { o.NetReset(); });
}

void TRede::PrepareStep() {
    if (!UsePlan || (plan_ && plan_->Current())) return;
    plan_.reset(); // the values go back first: the new plan takes them from the elements
    plan_ = std::make_unique<TStepPlan>(*elements_);
}

void TRede::Propagate() {
    planned_ = false;
    try {
        PrepareStep();
        // Whether every neuron records is known before anything is sent, so the last step's
        // size decides it (values change length slowly); the first step of a net runs alone.
        const bool big = SumThreads > 1 && lastWork_ >= ThreadedWork;
        const bool timed = big && TimeSharing;
        const bool share = big && (!timed || ShareNext(timing_));
        const auto start =
            timed ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
        if (UsePlan && plan_ && plan_->Covers()) {
            planned_ = true;
            lastWork_ = plan_->Propagate(share ? SumThreads : 1);
        } else {
            {
                const TNeuronio::TRecordAllScope record(share);
                TProtoNeuronio::TakeSentWork(); // what was sent outside a step
                elements_->PropagateAll();
            }
            lastWork_ = TProtoNeuronio::TakeSentWork();
            // Only neurons keep products for later (SumInputs elsewhere is empty or, in a module,
            // the inner neurons'): when none on this thread did, every sum is complete already
            // and the pass over every element has nothing to do.
            if (TNeuronio::TakeRecorded() != 0) SumAll(*elements_, share);
        }
        if (timed) {
            const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
            Remember(timing_, share, seconds.count() / double(std::max<std::size_t>(lastWork_, 1)));
        }
    } catch (...) {
        planned_ = false;
        elements_->DiscardInputAll();
        throw;
    }
}

void TRede::DrawAll(TCanvas& canvas) const {
    for (const auto& e : *elements_)
        e->DrawOutgoing(canvas);
    for (const auto& e : *elements_)
        e->DrawGlyph(canvas);
}

TProtoNeuronio* TRede::ElementAt(int x, int y) const {
    for (int i = elements_->Count() - 1; i >= 0; --i)
        if (elements_->Item(i)->Contains(x, y)) return elements_->Item(i);
    return nullptr;
}

TProtoNeuronio* TRede::AddElement(std::unique_ptr<TProtoNeuronio> element) {
    if (counter_ < std::numeric_limits<std::int32_t>::max()) ++counter_;
    TProtoNeuronio* raw = element.get();
    elements_->AddElement(std::move(element));
    return raw;
}

void TRede::Remove(TProtoNeuronio* element, TCanvas& canvas) {
    if (elements_->IndexOf(element) < 0) return;
    for (int i = 0; i < elements_->Count(); ++i)
        elements_->Item(i)->DropLinksTo(element, canvas);
    // Released here; its destructor drops what the sweep could not see (hidden synapses
    // across a module border, which are never drawn).
    elements_->Take(element);
}

void TRede::BringToFront(TProtoNeuronio* element) {
    elements_->Move(element, -1);
}

void TRede::SetElements(std::shared_ptr<TProtoLista> list) {
    if (!list) return;
    plan_.reset();
    elements_ = std::move(list);
}

bool TRede::Save(std::ostream& out) {
    return WriteNetFile(out, *elements_);
}

std::string TRede::Load(std::istream& in, TReadFailure* failure) {
    std::string errorText = ReadNetFile(in, *elements_, failure);
    if (errorText.empty()) counter_ = elements_->Count();
    return errorText;
}

} // namespace veltra
