// A step that cannot be completed (a product beyond the 32-bit Positions, a cancel from another
// thread) changes nothing; outputs log each distinct value once, and only when asked to.
#include "netbuilder.h"

#include <atomic>
#include <gtest/gtest.h>
#include <sstream>

namespace veltra::testing {
namespace {

std::string Saved(TRede& net) {
    std::ostringstream out;
    net.Save(out);
    return out.str();
}

// B -> First (weight 2) is summed before B -> Second (a long weight) fails, so a failure
// leaves half-filled accumulators behind, inside a module too, unless the step cleans up.
struct LongNet {
    TRede net;
    TPendor* bias = Add<TPendor>(net, 0, 0, "B");
    TNeuronio* first = Add<TNeuronio>(net, 0, 0, "First");
    TModule* module = Add<TModule>(net, 0, 0, "M");
    TNeuronio* inner = AddTo<TNeuronio>(module->InnerNet(), "Inner");
    TNeuronio* second = Add<TNeuronio>(net, 0, 0, "Second");
    TOutputs* out = Add<TOutputs>(net, 0, 0, "Out");
    explicit LongNet(int digits) {
        const std::string fraction = "0." + std::string(static_cast<std::size_t>(digits), '3');
        bias->BiasValue() = TInfinito(fraction);
        Connect(bias, first, "2");
        Connect(bias, inner, "1"); // a hidden synapse into the module
        Connect(bias, second, fraction);
        Connect(first, out, "1");
        first->SetValue(TInfinito("0.5"));
    }
};

TEST(FailedStep, LeavesTheNetAsItWasAndTheNextStepAsIfNothingHappened) {
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled long product" : "product beyond the Positions");
        LongNet failing(cancel ? 3000 : 60);
        const std::string before = Saved(failing.net);
        const std::int64_t bound = TInfinitoLimits::PositionBound;
        std::atomic<bool> flag{cancel};
        {
            TCancelScope scope(flag);
            if (cancel) {
                EXPECT_THROW(failing.net.Step(), TCancelled);
            } else {
                TInfinitoLimits::PositionBound = 100; // 60 + 60 digits reach below -101
                EXPECT_THROW(failing.net.Step(), std::overflow_error);
                TInfinitoLimits::PositionBound = bound;
            }
        }
        EXPECT_EQ(Saved(failing.net), before);
        EXPECT_EQ(failing.first->InputSum().ToText(), "0");
        EXPECT_EQ(failing.inner->InputSum().ToText(), "0");
        EXPECT_EQ(failing.out->Received().ToText(), "0");

        LongNet fresh(cancel ? 3000 : 60);
        failing.net.Step();
        fresh.net.Step();
        EXPECT_EQ(Saved(failing.net), Saved(fresh.net));
    }
}

TEST(ValueLog, KeepsEachDistinctTextOnceAndOnlyWhenAsked) {
    TRede net;
    auto* n = Add<TNeuronio>(net);
    auto* out = Add<TOutputs>(net);
    Connect(n, out, "1");
    const std::string big = "1" + std::string(1000, '0');
    const std::vector<std::string> values = {big, big, "0", big, "0.5", "0"};
    for (const std::string& v : values) {
        n->SetValue(TInfinito(v));
        out->Commit();
    }
    EXPECT_EQ(out->ValueLog(), values);
    EXPECT_EQ(&out->Log().At(0), &out->Log().At(3)) << "one copy of the long text";
    out->SetLogKept(false);
    out->Commit();
    EXPECT_TRUE(out->ValueLog().empty());
    EXPECT_EQ(out->History(), "xx0xx00");
}

} // namespace
} // namespace veltra::testing
