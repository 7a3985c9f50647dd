// A step that cannot be completed (a product beyond the 32-bit Positions, a cancel from another
// thread) changes nothing; the digit bound a run checks before each step; the outputs' log.
#include "execution/stepbound.h"
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

std::string Fraction(int digits) {
    return "0." + std::string(static_cast<std::size_t>(digits - 1), '3') + "7";
}

// Bias -> first (weight 2) is summed before bias -> second (a long weight) fails, so a
// failure leaves a half-filled accumulator behind unless the step cleans up. The input and
// the output show that phase 2 never ran.
struct LongNet {
    TRede net;
    TPendor* bias = Add<TPendor>(net, 0, 0, "B");
    TInputs* in = Add<TInputs>(net, 0, 0, "In");
    TNeuronio* first = Add<TNeuronio>(net, 0, 0, "First");
    TModule* module = Add<TModule>(net, 0, 0, "M");
    TNeuronio* inner = AddTo<TNeuronio>(module->InnerNet(), "Inner");
    TNeuronio* second = Add<TNeuronio>(net, 0, 0, "Second");
    TOutputs* out = Add<TOutputs>(net, 0, 0, "Out");
    explicit LongNet(int digits) {
        bias->BiasValue() = TInfinito(Fraction(digits));
        in->SetSequence("10");
        Connect(bias, first, "2");
        Connect(in, inner, "1"); // a hidden synapse into the module
        Connect(bias, second, Fraction(digits));
        Connect(first, out, "1");
        first->SetValue(TInfinito("0.5"));
    }
};

struct LimitsGuard {
    std::size_t groups = TInfinitoLimits::TextGroups;
    std::int64_t bound = TInfinitoLimits::PositionBound;
    ~LimitsGuard() {
        TInfinitoLimits::TextGroups = groups;
        TInfinitoLimits::PositionBound = bound;
    }
};

TEST(FailedStep, LeavesTheNetAsItWasAndTheNextStepAsIfNothingHappened) {
    struct Case {
        const char* what;
        int digits;
        bool cancel;
    };
    const Case cases[] = {
        {"product beyond the Positions", 60, false},
        {"cancelled long product", 3000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LongNet failing(c.digits);
        const std::string before = Saved(failing.net);
        {
            LimitsGuard limits;
            std::atomic<bool> cancel{c.cancel};
            TCancelScope scope(cancel);
            if (!c.cancel) TInfinitoLimits::PositionBound = 100; // 60 + 60 digits pass -101
            if (c.cancel)
                EXPECT_THROW(failing.net.Step(), TCancelled);
            else
                EXPECT_THROW(failing.net.Step(), std::overflow_error);
        }
        EXPECT_EQ(Saved(failing.net), before);
        EXPECT_EQ(failing.first->InputSum().ToText(), "0");
        EXPECT_EQ(failing.inner->InputSum().ToText(), "0");
        EXPECT_EQ(failing.out->Received().ToText(), "0");
        EXPECT_EQ(failing.out->History(), "");

        LongNet fresh(c.digits);
        failing.net.Step();
        fresh.net.Step();
        EXPECT_EQ(Saved(failing.net), Saved(fresh.net));
        EXPECT_EQ(failing.second->ValueText(), fresh.second->ValueText());
    }
}

TEST(FailedStep, DigitBoundCoversEverySumOfTheNextStep) {
    TRede net;
    auto* b = Add<TPendor>(net);
    auto* n = Add<TNeuronio>(net);
    auto* m = Add<TNeuronio>(net);
    auto* module = Add<TModule>(net);
    auto* inner = AddTo<TNeuronio>(module->InnerNet());
    EXPECT_EQ(NextStepDigitBound(net.Elements()), 0) << "nothing is sent";
    b->BiasValue() = TInfinito("-12.5");
    for (int i = 0; i < 10; ++i)
        Connect(b, n, "99.25"); // 1240.625 x 10: 5 digits before the point, 3 after
    Connect(b, inner, "0.001");
    Connect(b, module, "123456789");   // drawn to the module: carries nothing
    Connect(n, m, "1000000000000000"); // n is zero: sends nothing
    EXPECT_EQ(NextStepDigitBound(net.Elements()), 4 + 1 + 3);
    net.Step();
    EXPECT_EQ(NextStepDigitBound(net.Elements()), 0 + 8) << "n is saturated to 0 now";
    n->SetValue(TInfinito("0.5"));
    EXPECT_EQ(NextStepDigitBound(net.Elements()), 17);
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
        n->SetLoop(false);
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
