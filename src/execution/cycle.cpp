#include "execution/cycle.h"

#include "model/protolista.h"

#include <stdexcept>

namespace veltra {

void TCycleDetector::Restart(const TProtoLista& list) {
    shape_ = ShapeOf(list);
    edits_.StopObservingAll();
    edits_.Observe(list);
    edits_.edited = false;
    tortoise_ = CaptureState(list);
    tortoise_.hash = StateHash(shape_);
    power_ = 1;
    lambda_ = 0;
}

void TCycleDetector::Start(const TProtoLista& list) {
    Restart(list);
    step_ = 0;
    period_ = 0;
    confirmations_ = 0;
    found_ = false;
}

bool TCycleDetector::Observe(const TProtoLista& list) {
    if (found_) return true;
    ++step_;
    if (edits_.edited) {
        Restart(list);
        return false;
    }
    ++lambda_;
    // Brent: the hare is the net itself; the tortoise jumps to it at every power of two, so
    // the first match is met within twice the period after the cycle is entered.
    const std::uint64_t hash = StateHash(shape_);
    if (hash == tortoise_.hash) {
        ++confirmations_;
        if (SameState(shape_, tortoise_)) {
            found_ = true;
            period_ = lambda_;
            return true;
        }
    }
    if (lambda_ == power_) {
        CaptureInto(shape_, tortoise_);
        tortoise_.hash = hash;
        power_ *= 2;
        lambda_ = 0;
    }
    return false;
}

long long FindCycleStart(TProtoLista& list, const TNetState& start, const TInputTexts& inputs,
                         long long period, const std::function<void()>& step) {
    // Two runs of the one net, `period` steps apart, advanced in turn until they meet. Their
    // states are swapped in and out of the net; outputs are no part of the state, so their
    // histories are left for the caller to put right.
    if (!RestoreState(list, start, inputs, false))
        throw std::logic_error("FindCycleStart: the net changed shape");
    for (long long i = 0; i < period; ++i)
        step();
    TNetState hare = CaptureState(list);
    TNetState tortoise = start;
    long long s = 0;
    while (!SameState(tortoise, hare)) {
        RestoreState(list, tortoise, inputs, false);
        step();
        tortoise = CaptureState(list);
        RestoreState(list, hare, inputs, false);
        step();
        hare = CaptureState(list);
        ++s;
    }
    return s;
}

} // namespace veltra
