#include "model/rede.h"

#include "model/canvas.h"
#include "model/module.h"
#include "model/netfileio.h"
#include "model/neuronio.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace veltra {

unsigned TRede::SumThreads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
std::size_t TRede::ThreadedWork = 4000000;

namespace {

// Returns whether a module was met (whose list might be shared with another module).
bool GatherNeurons(TProtoLista& list, std::vector<TNeuronio*>& out) {
    bool module = false;
    for (const auto& e : list) {
        // By type, not Kind(): another element may call itself a neuron (test doubles do).
        if (auto* neuron = dynamic_cast<TNeuronio*>(e.get())) {
            out.push_back(neuron);
        } else if (auto* inner = dynamic_cast<TModule*>(e.get())) {
            GatherNeurons(inner->InnerNet(), out);
            module = true;
        } else {
            e->SumInputs(); // whatever else sums its inputs does it here, on this thread
        }
    }
    return module;
}

// The second half of phase 1, shared by threads when the step is big enough to pay for them.
// A thread takes one neuron at a time and computes its whole sum, so the result is the same
// whichever thread takes it. They poll the caller's cancel flag; the first exception ends the
// sharing and is thrown here once every thread has stopped.
void SumAll(TProtoLista& list) {
    const std::size_t work = TNeuronio::TakeRecordedWork();
    if (TRede::SumThreads <= 1 || work < TRede::ThreadedWork) return list.SumInputsAll();
    std::vector<TNeuronio*> neurons;
    if (GatherNeurons(list, neurons)) {
        // A list shared by two modules must not be summed twice at once.
        std::sort(neurons.begin(), neurons.end());
        neurons.erase(std::unique(neurons.begin(), neurons.end()), neurons.end());
    }

    const std::atomic<bool>* cancel = TCancelScope::CurrentFlag();
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorMutex;
    auto share = [&] {
        std::optional<TCancelScope> scope;
        if (cancel != nullptr) scope.emplace(*cancel);
        try {
            while (!failed.load(std::memory_order_relaxed)) {
                const std::size_t i = next.fetch_add(1);
                if (i >= neurons.size()) break;
                TCancelScope::Poll(); // short products never poll themselves
                neurons[i]->SumInputs();
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(errorMutex);
            if (!error) error = std::current_exception();
            failed = true;
        }
    };
    std::vector<std::thread> threads;
    const unsigned helpers = std::min<std::size_t>(TRede::SumThreads, neurons.size()) - 1;
    for (unsigned t = 0; t < helpers; ++t) {
        try {
            threads.emplace_back(share);
        } catch (const std::system_error&) {
            break; // no thread to be had: the others do the work
        }
    }
    share();
    for (auto& t : threads)
        t.join();
    if (error) std::rethrow_exception(error);
}

} // namespace

TRede::TRede() : elements_(std::make_shared<TProtoLista>()) {}

void TRede::Step() {
    Propagate();
    Commit();
}

void TRede::Propagate() {
    try {
        elements_->PropagateAll();
        SumAll(*elements_);
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
    if (auto taken = elements_->Take(element)) elements_->AddElement(std::move(taken));
}

void TRede::SetElements(std::shared_ptr<TProtoLista> list) {
    if (list) elements_ = std::move(list);
}

bool TRede::Save(std::ostream& out) {
    return WriteNetFile(out, *elements_);
}

std::string TRede::Load(std::istream& in) {
    std::string errorText = ReadNetFile(in, *elements_);
    if (errorText.empty()) counter_ = elements_->Count();
    return errorText;
}

} // namespace veltra
