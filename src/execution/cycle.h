// Exact cycle detection for a stepping net, in constant memory: Brent's algorithm over the
// sequence of states, one saved state (the tortoise) and its hash. A hash match is only a
// candidate; a repeat is reported after an exact comparison of the whole states.
#pragma once

#include "execution/runstate.h"
#include "model/netnotifier.h"

#include <functional>
#include <optional>

namespace veltra {

class TProtoLista;

class TCycleDetector {
public:
    TCycleDetector() = default;
    TCycleDetector(const TCycleDetector&) = delete;
    TCycleDetector& operator=(const TCycleDetector&) = delete;

    // The state of the net before the first step observed (state 0).
    void Start(const TProtoLista& list);
    // After every step: true once the state equals an earlier one; Period() is then the
    // smallest period and Step() the step whose state repeats an earlier one. When the net was
    // edited since Start, detection starts again from the state now.
    bool Observe(const TProtoLista& list);
    bool Found() const { return found_; }
    long long Period() const { return period_; }
    long long Step() const { return step_; }
    // Exact comparisons made after a hash match, for tests and benchmarks.
    long long Confirmations() const { return confirmations_; }

private:
    void Restart(const TProtoLista& list);

    TStateShape shape_;
    TEditFlag edits_; // the net was edited: the shape may point at what is gone
    TNetState tortoise_; // its hash is StateHash(shape_)
    long long power_ = 1;
    long long lambda_ = 0;
    long long step_ = 0;
    long long period_ = 0;
    long long confirmations_ = 0;
    bool found_ = false;
};

// The first step S whose state recurs, for a run with period P. Starts from `start` (the state
// 0 of the run, with the inputs' texts then) and steps the net with `step`; the net is left in
// some state of the run, so the caller takes it where it wants afterwards.
long long FindCycleStart(TProtoLista& list, const TNetState& start, const TInputTexts& inputs,
                         long long period, const std::function<void()>& step);

} // namespace veltra
