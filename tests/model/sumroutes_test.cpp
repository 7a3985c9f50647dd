// A neuron sums its inputs at once (column sums) after every element has sent; the product-by-
// product route is the reference. Random nets, with modules, hidden synapses, loops, zero and
// long weights of both signs, are stepped by both routes: every input sum must have the same
// groups and sign before the commit, and the saved nets the same bytes after it.
#include "netbuilder.h"
#include "numeric/magnitude.h"

#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <vector>

namespace veltra::testing {
namespace {

std::string Saved(TRede& net) {
    std::ostringstream out;
    net.Save(out);
    return out.str();
}

struct RandomNet {
    TRede net;
    std::vector<TNeuronio*> neurons;

    // Long values: most neurons start at, and a fifth of the synapses weigh, a fraction of 40 to
    // 400 digits, so the sums take many groups and the threads' shares of them vary.
    explicit RandomNet(unsigned seed, bool longValues = false) {
        std::mt19937 rng(seed);
        auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        auto longFraction = [&] {
            std::string text = pick(2) ? "0." : "-0.";
            for (int d = 40 + pick(361); d > 0; --d)
                text += char('0' + pick(10));
            return text;
        };
        const char* weights[] = {
            "0.5", "-0.25",      "1.1",      "-0.7", "0",   "-0",  "3",
            "-3",  "0.00000001", "99999999", "-1.0", "0.1", "2.5", "-0.3333333333333333333333333"};
        const char* functions[] = {"Saturated_Linear", "HeavisideStepFunction", "BinarySigmoid"};
        std::vector<TProtoNeuronio*> sources;
        auto* bias = Add<TPendor>(net, 0, 0, "B");
        bias->BiasValue() = TInfinito(pick(2) ? "0.5" : "-0.125");
        sources.push_back(bias);
        auto* module = Add<TModule>(net, 0, 0, "M");
        const int count = 4 + pick(20);
        for (int i = 0; i < count; ++i) {
            TNeuronio* n = pick(4) == 0 ? AddTo<TNeuronio>(module->InnerNet(), "I")
                                        : Add<TNeuronio>(net, 0, 0, "N");
            n->SelectActivation(functions[pick(3)], pick(2) ? "0.5" : "-0.25");
            n->Activity() = TInfinito(pick(3) == 0 ? "0" : pick(2) ? "0.75" : "1");
            if (longValues && pick(4) != 0) n->Activity() = TInfinito(longFraction());
            neurons.push_back(n);
            sources.push_back(n);
        }
        auto* out = Add<TOutputs>(net, 0, 0, "Out");
        for (TNeuronio* n : neurons) {
            const int inputs = pick(7);
            for (int k = 0; k < inputs; ++k) {
                TProtoNeuronio* source = sources[std::size_t(pick(int(sources.size())))];
                if (longValues && pick(5) == 0)
                    Connect(source, n, longFraction());
                else
                    Connect(source, n, weights[pick(14)]);
            }
        }
        Connect(neurons.front(), out, "1");
    }
};

// Every sum through the columns, however few its products; restored at the end.
struct ColumnsAlways {
    std::size_t saved = mag::ColumnSumThreshold;
    ColumnsAlways() { mag::ColumnSumThreshold = 0; }
    ~ColumnsAlways() { mag::ColumnSumThreshold = saved; }
};

TEST(SumRoutes, ColumnSumsStepRandomNetsLikeProductByProduct) {
    const ColumnsAlways columns;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomNet atOnce(seed), oneByOne(seed);
        ASSERT_EQ(Saved(atOnce.net), Saved(oneByOne.net));
        for (int step = 0; step < 25; ++step) {
            TNeuronio::SumAtOnce = true;
            atOnce.net.Propagate();
            TNeuronio::SumAtOnce = false;
            oneByOne.net.Propagate();
            TNeuronio::SumAtOnce = true;
            for (std::size_t i = 0; i < atOnce.neurons.size(); ++i) {
                const TInfinito& a = atOnce.neurons[i]->InputSum();
                const TInfinito& b = oneByOne.neurons[i]->InputSum();
                ASSERT_EQ(a.Sign(), b.Sign()) << "step " << step << " neuron " << i;
                ASSERT_EQ(a.GroupCount(), b.GroupCount()) << "step " << step << " neuron " << i;
                for (int g = 0; g < a.GroupCount(); ++g)
                    ASSERT_EQ(a.GroupAt(g), b.GroupAt(g)) << "step " << step << " neuron " << i;
            }
            atOnce.net.Commit();
            oneByOne.net.Commit();
            ASSERT_EQ(Saved(atOnce.net), Saved(oneByOne.net)) << "step " << step;
        }
    }
}

// The sums read the values of the previous step even when a neuron that is summed later
// feeds one that commits earlier: a ring of three in list order, each the next one's input.
TEST(SumRoutes, EverySumReadsThePreviousStep) {
    TRede net;
    auto* a = Add<TNeuronio>(net);
    auto* b = Add<TNeuronio>(net);
    auto* c = Add<TNeuronio>(net);
    Connect(c, a, "1");
    Connect(a, b, "0.5");
    Connect(b, c, "0.5");
    a->Activity() = TInfinito("1");
    net.Step();
    EXPECT_EQ(a->ValueText(), "0");
    EXPECT_EQ(b->ValueText(), "0.5");
    EXPECT_EQ(c->ValueText(), "0");
    net.Step();
    EXPECT_EQ(a->ValueText(), "0");
    EXPECT_EQ(b->ValueText(), "0");
    EXPECT_EQ(c->ValueText(), "0.25");
}

// A step skips the pass of sums when no neuron recorded a product, and must not skip it when one
// did: a neuron of more inputs than the column threshold, listed after its senders, which commit
// first and change every step, against the same net summed product by product. One receiver of
// each net is also sent a product outside any step, which it records, before the steps begin.
TEST(SumRoutes, AStepSumsWhatItsNeuronsRecordedBeforeAnyCommit) {
    const std::size_t threshold = mag::ColumnSumThreshold;
    const std::size_t fanIns[] = {1, threshold, threshold + 1, 3 * threshold + 2};
    for (const std::size_t fanIn : fanIns) {
        for (const bool sentBefore : {false, true}) {
            SCOPED_TRACE("inputs " + std::to_string(fanIn) + (sentBefore ? ", sent before" : ""));
            auto build = [&](TRede& net) {
                std::vector<TNeuronio*> senders;
                for (std::size_t i = 0; i < fanIn; ++i) {
                    auto* s = Add<TNeuronio>(net);
                    s->Activity() = TInfinito(i % 2 ? "0.75" : "0.123456789");
                    Connect(s, s, i % 3 ? "0.5" : "0.99999999");
                    senders.push_back(s);
                }
                auto* receiver = Add<TNeuronio>(net);
                for (std::size_t i = 0; i < fanIn; ++i)
                    Connect(senders[i], receiver, i % 2 ? "-0.01" : "0.07");
                return receiver;
            };
            TRede atOnce, oneByOne;
            TNeuronio* a = build(atOnce);
            TNeuronio* b = build(oneByOne);
            const TInfinito weight("0.25"), value("0.5");
            if (sentBefore) {
                a->AddWeighted(weight, value);
                TNeuronio::SumAtOnce = false;
                b->AddWeighted(weight, value);
                TNeuronio::SumAtOnce = true;
            }
            for (int step = 0; step < 6; ++step) {
                atOnce.Step();
                TNeuronio::SumAtOnce = false;
                oneByOne.Step();
                TNeuronio::SumAtOnce = true;
                ASSERT_EQ(Saved(atOnce), Saved(oneByOne)) << "step " << step;
                ASSERT_EQ(a->ValueText(), b->ValueText()) << "step " << step;
            }
            EXPECT_NE(a->ValueText(), "0"); // the receiver saw its inputs
        }
    }
}

// Threads share a step's sums on every step here (no size threshold, no timing): the same nets
// give the same bytes as on one thread, and a cancel reaches every thread and leaves the net as
// it was.
struct ThreadsAlways {
    unsigned threads = TRede::SumThreads;
    std::size_t work = TRede::ThreadedWork;
    bool timed = TRede::TimeSharing;
    // Timed: the step picks its way by the clock, so a run switches between the two.
    explicit ThreadsAlways(unsigned n, bool timedSharing = false) {
        TRede::SumThreads = n;
        TRede::ThreadedWork = 0;
        TRede::TimeSharing = timedSharing;
    }
    ~ThreadsAlways() {
        TRede::SumThreads = threads;
        TRede::ThreadedWork = work;
        TRede::TimeSharing = timed;
    }
};

// Every neuron records and every sum is shared, few inputs or many; with long values the
// sums are long enough for the threads to interleave, and the steps are timed, so one run
// mixes shared steps and steps on one thread.
TEST(SumRoutes, ThreadedStepsGiveTheBytesOfOneThread) {
    for (const int variant : {0, 1, 2, 3}) {
        const bool columns = (variant & 1) != 0;
        const bool longValues = (variant & 2) != 0;
        const std::size_t saved = mag::ColumnSumThreshold;
        if (columns) mag::ColumnSumThreshold = 0;
        for (unsigned seed = 100; seed < 130; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (longValues ? " long" : ""));
            RandomNet threaded(seed, longValues), single(seed, longValues);
            for (int step = 0; step < 20; ++step) {
                {
                    const ThreadsAlways on(4, longValues);
                    threaded.net.Step();
                }
                {
                    const ThreadsAlways off(1);
                    single.net.Step();
                }
                ASSERT_EQ(Saved(threaded.net), Saved(single.net)) << "step " << step;
            }
        }
        mag::ColumnSumThreshold = saved;
    }
}

TEST(SumRoutes, CancelReachesEveryThreadAndChangesNothing) {
    const ThreadsAlways on(3);
    RandomNet net(7);
    const std::string before = Saved(net.net);
    std::atomic<bool> flag{true};
    {
        TCancelScope scope(flag);
        EXPECT_THROW(net.net.Step(), TCancelled);
    }
    EXPECT_EQ(Saved(net.net), before);
    for (TNeuronio* n : net.neurons)
        EXPECT_EQ(n->InputSum().ToText(), "0");
    net.net.Step(); // and the next step runs as if nothing had happened
    RandomNet fresh(7);
    fresh.net.Step();
    EXPECT_EQ(Saved(net.net), Saved(fresh.net));
}

} // namespace
} // namespace veltra::testing
