// Cycle detection, stop conditions and the way back to earlier steps, each against a
// brute-force record of every state of the run.
#include "netbuilder.h"
#include "execution/cycle.h"
#include "execution/runcontrol.h"
#include "execution/runhistory.h"
#include "execution/stopcondition.h"
#include "model/interaction.h"

#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace veltra {
namespace {

using testing::Add;
using testing::Connect;

// A ring of k neurons passing a 1 around (neuron 0 starts at 1), fed `prefix` by an input.
void Ring(TDados& d, int k, const std::string& prefix = {}) {
    std::vector<TNeuronio*> ring;
    for (int i = 0; i < k; ++i)
        ring.push_back(Add<TNeuronio>(d.Net(), 0, 0, "R" + std::to_string(i)));
    for (int i = 0; i < k; ++i)
        Connect(ring[i], ring[(i + 1) % k], "1");
    if (prefix.empty()) {
        ring[0]->SetValue(TInfinito("1"));
    } else {
        auto* in = Add<TInputs>(d.Net(), 0, 0, "In");
        in->SetSequence(prefix);
        Connect(in, ring[0], "1");
    }
    Connect(ring[0], Add<TOutputs>(d.Net(), 0, 0, "Out"), "1");
}

// A neuron that climbs by `step` from `from` and holds at 1 (saturated): a transient, then a
// fixed state; or with loop 0.5 and step 0.25 it nears 0.5 forever, its digits growing.
TNeuronio* Climber(TDados& d, const std::string& step, const std::string& loop = "1",
                   const std::string& from = "0") {
    auto* bias = Add<TPendor>(d.Net(), 0, 0, "B");
    bias->SetValue(TInfinito("1"));
    auto* n = Add<TNeuronio>(d.Net(), 0, 0, "N");
    n->SetValue(TInfinito(from));
    Connect(bias, n, step);
    Connect(n, n, loop);
    Connect(n, Add<TOutputs>(d.Net(), 0, 0, "Out"), "1");
    return n;
}

std::unique_ptr<TDados> Load(const std::string& path) {
    auto d = std::make_unique<TDados>();
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(d->Load(in), "") << path;
    return d;
}

std::string Saved(TDados& d) {
    std::ostringstream out;
    d.Save(out);
    return out.str();
}

// The oracle: every state of the run kept, the first repeat found by comparing all pairs.
struct BruteCycle {
    long long start = -1, period = -1;
};
BruteCycle BruteForce(TDados& d, long long maxSteps) {
    std::vector<TNetState> seen{CaptureState(d.Elements())};
    for (long long step = 1; step <= maxSteps && !d.AllFinished(); ++step) {
        d.Step();
        seen.push_back(CaptureState(d.Elements()));
        for (long long i = 0; i < step; ++i)
            if (SameState(seen[static_cast<std::size_t>(i)], seen.back())) return {i, step - i};
    }
    return {};
}

// Brent as the command-line tool uses it: detect, then find the start.
BruteCycle Detected(TDados& d, long long maxSteps) {
    const TNetState first = CaptureState(d.Elements());
    const TInputTexts inputs = CaptureInputTexts(d.Elements());
    TCycleDetector detector;
    detector.Start(d.Elements());
    for (long long step = 1; step <= maxSteps && !d.AllFinished(); ++step) {
        d.Step();
        if (detector.Observe(d.Elements())) {
            const long long s =
                FindCycleStart(d.Elements(), first, inputs, detector.Period(), [&] { d.Step(); });
            return {s, detector.Period()};
        }
    }
    return {};
}

TEST(CycleDetection, FindsTheFirstRepeatAndSmallestPeriodAsABruteForceRecordDoes) {
    const struct {
        const char* name;
        std::function<void(TDados&)> build;
        long long start, period; // -1: no cycle within the bound
    } cases[] = {
        {"ring of 1", [](TDados& d) { Ring(d, 1); }, 0, 1},
        {"ring of 5", [](TDados& d) { Ring(d, 5); }, 0, 5},
        {"ring of 12", [](TDados& d) { Ring(d, 12); }, 0, 12},
        {"ring of 7 after an input", [](TDados& d) { Ring(d, 7, "0001"); }, 4, 7},
        {"counter that settles", [](TDados& d) { Climber(d, "0.25", "1", "0.25"); }, 3, 1},
        {"value nearing 0.5 forever", [](TDados& d) { Climber(d, "0.25", "0.5", "0.25"); }, -1, -1},
        {"net that finishes", [](TDados& d) { d.Net().Elements(); }, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TDados brute, brent;
        c.build(brute);
        c.build(brent);
        const BruteCycle oracle = BruteForce(brute, 60);
        const BruteCycle found = Detected(brent, 60);
        EXPECT_EQ(oracle.start, c.start);
        EXPECT_EQ(oracle.period, c.period);
        EXPECT_EQ(found.start, oracle.start);
        EXPECT_EQ(found.period, oracle.period);
    }
    // Example nets run to their end: none is a cycle.
    for (const char* name : {"worked.net", "module_delay.net"}) {
        auto d = Load(std::string(VELTRA_EXAMPLES) + "/" + name);
        EXPECT_EQ(Detected(*d, 1000).period, -1) << name;
    }
}

TEST(CycleDetection, AHashMatchAloneIsNeverTakenForARepeat) {
    TDados d;
    Climber(d, "0.25", "0.5");
    TCycleDetector detector;
    detector.Start(d.Elements());
    TNetState other = CaptureState(d.Elements());
    // Same hash as the state the net will reach, different values: must not count.
    d.Step();
    other.hash = StateHash(d.Elements());
    EXPECT_FALSE(SameState(d.Elements(), other));
    EXPECT_TRUE(SameState(d.Elements(), CaptureState(d.Elements())));
}

TEST(StopConditions, MeetAtTheExactStepOnLongValues) {
    const std::string tiny = "0.1000000000000000000000000000000000000001";
    const struct {
        std::string step;
        std::string condition;
        long long metAt; // -1: never within 20 steps
    } cases[] = {
        {"0.1", "N = 0.3", 3},
        {"0.1", "N >= 0.35", 4},
        {"0.1", "N > 0.3", 4},
        {"0.1", "N < 0.1", -1},
        {"0.1", "N <= 0.1", 1},
        {tiny, "N = 0.3", -1},
        {tiny, "N = 0.3000000000000000000000000000000000000003", 3},
        {tiny, "N > 0.3", 3},
        {"0.1", "Out = 0.5", 5}, // an output: the value it recorded
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.condition);
        TDados d;
        Climber(d, c.step);
        std::string label, error;
        TCompareOp op{};
        TInfinito value;
        ASSERT_TRUE(ParseValueCondition(c.condition, label, op, value, error)) << error;
        TProtoNeuronio* element = nullptr;
        for (const auto& e : d.Elements())
            if (e->Label() == label && element == nullptr) element = e.get();
        TStopConditions conditions;
        conditions.Items().push_back(TStopCondition::OnValue(element, op, value));
        conditions.Arm(d.Elements());
        long long metAt = -1;
        for (long long step = 1; step <= 20 && metAt < 0; ++step) {
            d.Step();
            if (conditions.Check(d.Elements()) == 0) metAt = step;
        }
        EXPECT_EQ(metAt, c.metAt);
    }
}

TEST(StopConditions, PatternChangesAndRepeatTogetherReportTheFirstMet) {
    TDados d;
    Ring(d, 3); // Out reads R0: 0 0 1 0 0 1 ...
    TProtoNeuronio* out = d.Elements().Item(d.Elements().Count() - 1);
    TProtoNeuronio* r1 = d.Elements().Item(1);
    const struct {
        std::vector<TStopCondition> items;
        long long step;
        int index;
    } cases[] = {
        {{TStopCondition::OnPattern(out, "001")}, 3, 0},
        {{TStopCondition::OnPattern(out, "1001")}, 6, 0},
        {{TStopCondition::OnValue(r1, TCompareOp::Changes, {})}, 1, 0},
        // Brent meets the repeat at step 6 (twice the period), before the pattern's step 9.
        {{TStopCondition::OnStateRepeat(), TStopCondition::OnPattern(out, "001001001")}, 6, 0},
        {{TStopCondition::OnPattern(out, "x"), TStopCondition::OnPattern(out, "01")}, 3, 1},
    };
    for (const auto& c : cases) {
        TDados net;
        Ring(net, 3);
        TStopConditions conditions;
        for (TStopCondition item : c.items) {
            // The same element of the fresh net, by position.
            if (item.element != nullptr)
                item.element = net.Elements().Item(d.Elements().IndexOf(item.element));
            conditions.Items().push_back(item);
        }
        conditions.Arm(net.Elements());
        long long step = 0;
        int met = -1;
        while (met < 0 && step < 20) {
            net.Step();
            ++step;
            met = conditions.Check(net.Elements());
        }
        EXPECT_EQ(step, c.step) << c.items.front().Text();
        EXPECT_EQ(met, c.index) << c.items.front().Text();
    }
    std::string label, error;
    TCompareOp op{};
    TInfinito value;
    EXPECT_TRUE(ParseValueCondition("my label  >=  -2.5", label, op, value, error));
    EXPECT_EQ(label, "my label");
    EXPECT_EQ(value.ToText(), "-2.5");
    for (const char* bad : {"N", "N 0.3", "N == 0.3", "N = 0.3x", "N changes 1"})
        EXPECT_FALSE(ParseValueCondition(bad, label, op, value, error)) << bad;
}

// Step back and forth through the run in random order: every step's saved bytes and output
// histories are those the first pass recorded, also when the budget thins the checkpoints.
TEST(RunHistory, EveryStepComesBackByteForByte) {
    for (const char* name : {"worked.net", "module_delay.net", "stack.net"}) {
        for (const std::size_t budget : {TRunHistory::DefaultBudget, std::size_t{1}}) {
            SCOPED_TRACE(std::string(name) + " budget " + std::to_string(budget));
            auto d = Load(std::string(VELTRA_EXAMPLES) + "/" + name);
            TRunHistory history(budget);
            history.Begin(d->Elements());
            std::vector<std::string> record{Saved(*d)};
            const int steps = 24;
            for (int i = 0; i < steps; ++i) {
                d->Step();
                history.Stepped(d->Elements());
                record.push_back(Saved(*d));
            }
            auto stepOnce = [&] {
                d->Step();
                return true;
            };
            std::mt19937 random(7);
            for (int probe = 0; probe < 40; ++probe) {
                const long long target = static_cast<long long>(random() % (steps + 1));
                ASSERT_TRUE(history.GoTo(d->Elements(), target, stepOnce));
                ASSERT_EQ(history.Step(), target);
                ASSERT_EQ(Saved(*d), record[static_cast<std::size_t>(target)]) << target;
            }
            // Back N, forward N by plain steps: the same bytes.
            ASSERT_TRUE(history.GoTo(d->Elements(), steps - 10, stepOnce));
            for (int i = 0; i < 10; ++i) {
                d->Step();
                history.Stepped(d->Elements());
            }
            EXPECT_EQ(Saved(*d), record.back());
            EXPECT_EQ(history.Last(), steps);
            if (budget == 1) {
                EXPECT_GT(history.Interval(), TRunHistory::FirstInterval);
            }
        }
    }
}

TEST(RunHistory, AnEditDiscardsTheStepsAfterItAndCannotBeReplayedPast) {
    TDados d;
    Ring(d, 4);
    TSilentInteraction ui;
    TRunControl control(ui, [&] { return &d; });
    control.SetHistoryBudget(TRunHistory::DefaultBudget);
    for (int i = 0; i < 6; ++i)
        control.Step();
    EXPECT_TRUE(control.StepBack());
    EXPECT_TRUE(control.GoTo(2));
    EXPECT_EQ(control.CurrentStep(), 2);
    EXPECT_TRUE(control.GoTo(6));
    EXPECT_TRUE(control.GoTo(2));
    d.Elements().Item(0)->SetValue(TInfinito("0.5")); // an edit at step 2
    control.NetEdited(&d);
    EXPECT_FALSE(control.GoTo(3));
    EXPECT_FALSE(control.GoTo(1));
    EXPECT_EQ(control.CurrentStep(), 2);
    EXPECT_EQ(d.Elements().Item(0)->ValueText(), "0.5");
    control.Reset();
    EXPECT_EQ(control.CurrentStep(), 0);
}

TEST(RunControl, RunStopsAtAConditionOrAfterNStepsAndReportsTheCycle) {
    TDados d;
    Ring(d, 5, "001");
    TSilentInteraction ui;
    TRunControl control(ui, [&] { return &d; });
    control.SetHistoryBudget(TRunHistory::DefaultBudget);
    control.RunSteps(2);
    EXPECT_EQ(control.CurrentStep(), 2);
    EXPECT_FALSE(control.Running());
    control.Conditions().Items().push_back(TStopCondition::OnStateRepeat());
    control.Run();
    EXPECT_EQ(control.MetCondition(), 0);
    // State 2 still holds unread input; from step 3 the 1 circles with period 5.
    EXPECT_EQ(control.StopReport(), "State after step 3 repeats every 5 steps");
    EXPECT_EQ(control.MetStep(), 8); // shown at the first repeat, though found later
    const std::string afterRun = Saved(d);
    TDados fresh;
    Ring(fresh, 5, "001");
    for (long long i = 0; i < control.MetStep(); ++i)
        fresh.Step();
    EXPECT_EQ(afterRun, Saved(fresh)); // the search for the start left the net where it stopped
    EXPECT_EQ(control.CurrentStep(), control.MetStep());
}

} // namespace
} // namespace veltra
