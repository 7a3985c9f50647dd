#include "model/rede.h"

#include "model/canvas.h"
#include "model/module.h"
#include "model/netfileio.h"
#include "model/netwalk.h"
#include "model/neuronio.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// The pragmas vanish where the compiler has no OpenMP: the sums then run on one thread.
#if defined(_OPENMP)
#define VELTRA_OMP(directive) _Pragma(directive)
#else
#define VELTRA_OMP(directive)
#endif

namespace veltra {

unsigned TRede::SumThreads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
std::size_t TRede::ThreadedWork = 1000000;
bool TRede::TimeSharing = true;

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

void TRede::Step() {
    Propagate();
    Commit();
}

void TRede::Commit() {
    elements_->CommitAll();
    elements_->Notifier().Tell([](TNetObserver& o) { o.NetStepped(); });
}

void TRede::ResetAll() {
    elements_->ResetAll();
    elements_->Notifier().Tell([](TNetObserver& o) { o.NetReset(); });
}

void TRede::Propagate() {
    try {
        // Whether every neuron records is known before anything is sent, so the last step's
        // size decides it (values change length slowly); the first step of a net runs alone.
        const bool big = SumThreads > 1 && lastWork_ >= ThreadedWork;
        const bool timed = big && TimeSharing;
        const bool share = big && (!timed || ShareNext(timing_));
        const auto start =
            timed ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
        {
            const TNeuronio::TRecordAllScope record(share);
            TProtoNeuronio::TakeSentWork(); // what was sent outside a step
            elements_->PropagateAll();
        }
        lastWork_ = TProtoNeuronio::TakeSentWork();
        // Only neurons keep products for later (SumInputs elsewhere is empty or, in a module,
        // the inner neurons'): when none on this thread did, every sum is complete already and
        // the pass over every element has nothing to do.
        if (TNeuronio::TakeRecorded() != 0) SumAll(*elements_, share);
        if (timed) {
            const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
            Remember(timing_, share, seconds.count() / double(std::max<std::size_t>(lastWork_, 1)));
        }
    } catch (...) {
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
    if (list) elements_ = std::move(list);
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
