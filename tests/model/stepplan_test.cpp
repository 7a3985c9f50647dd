// A step on the compact plan against a step over the element objects. Random nets (a module with
// hidden synapses both ways, inputs with sequences, outputs, biases, the three functions, short
// and long values) are built twice from one seed and stepped one on the plan, one over the
// objects, with the same random edits between the steps (weights, synapses added and released,
// elements added, erased and put back, functions and values set and set back, list order,
// sequences, bias values, reset, step back): every sum between the two phases, every value with
// its groups and sign, every history and log and the saved bytes must agree at every step.
#include "execution/runstate.h"
#include "model/netedit.h"
#include "model/stepplan.h"
#include "netbuilder.h"
#include "numeric/magnitude.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#endif

namespace veltra::testing {
namespace {

std::string Saved(TRede& net) {
    std::ostringstream out;
    net.Save(out);
    return out.str();
}

// The number's layout, not just its value: sign, and every group with its Position.
std::string Form(const TInfinito& x) {
    std::string text = std::to_string(x.Sign()) + ":";
    for (int i = 0; i < x.GroupCount(); ++i) {
        const TInfinitoNo g = x.GroupAt(i);
        text += std::to_string(g.Value) + "@" + std::to_string(g.Position) + " ";
    }
    return text;
}

// Module insides at the module's place, as a step walks them.
void Deep(const TProtoLista& list, std::vector<TProtoNeuronio*>& out) {
    for (const auto& e : list) {
        out.push_back(e.get());
        if (e->Kind() == TElementKind::Module) Deep(static_cast<TModule&>(*e).InnerNet(), out);
    }
}

std::vector<TProtoNeuronio*> Deep(const TRede& net) {
    std::vector<TProtoNeuronio*> out;
    Deep(net.Elements(), out);
    return out;
}

std::vector<TSinapse*> Synapses(const TRede& net) {
    std::vector<TSinapse*> out;
    for (TProtoNeuronio* e : Deep(net))
        for (TSinapse* s : e->OutgoingSynapses())
            out.push_back(s);
    return out;
}

// Everything a step can change, element by element, in one text per element.
std::vector<std::string> Picture(const TRede& net, bool sums) {
    std::vector<std::string> out;
    for (TProtoNeuronio* e : Deep(net)) {
        std::string text = std::string(KindName(e->Kind())) + " " + e->ValueText();
        // The ends the glyphs, hints and the Info tree show of a long value.
        const TTextEnds ends = e->ValueTextEnds(3, 3);
        text += " ends " + ends.head + "|" + ends.tail + "|" + std::to_string(ends.length);
        if (auto* n = dynamic_cast<TNeuronio*>(e))
            text += " " + Form(n->GetValue()) + (sums ? " sum " + Form(n->InputSum()) : "");
        if (auto* o = dynamic_cast<TOutputs*>(e)) {
            for (const std::string& logged : o->ValueLog())
                text += " " + logged;
            text += " received " + Form(o->Received());
        }
        out.push_back(text);
    }
    return out;
}

struct TRandom {
    std::mt19937 rng;
    explicit TRandom(unsigned seed) : rng(seed) {}
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    std::string Fraction(int digits) {
        std::string text = Pick(3) == 0 ? "-0." : "0.";
        for (int d = 0; d < digits; ++d)
            text += char('0' + Pick(10));
        return text;
    }
    std::string Value() {
        static const char* values[] = {"0", "1", "0.5", "0.75", "-0.25", "0.3"};
        return Pick(4) == 0 ? Fraction(20 + Pick(200)) : values[Pick(6)];
    }
    std::string Weight() {
        static const char* weights[] = {"0.5", "-0.25",      "1.1",      "-0.7",
                                        "0",   "3",          "-1",       "0.1",
                                        "2.5", "0.00000001", "99999999", "-0.3333333333333"};
        return Pick(6) == 0 ? Fraction(10 + Pick(60)) : weights[Pick(12)];
    }
    std::string Sequence() {
        std::string text;
        for (int i = 4 + Pick(30); i > 0; --i)
            text += "0112"[Pick(4)]; // a 2 from a file feeds 0
        return text;
    }
    std::string Function() {
        static const char* functions[] = {"Saturated_Linear", "HeavisideStepFunction",
                                          "BinarySigmoid"};
        return functions[Pick(3)];
    }
};

// One net with the undo records of its edits; built and edited identically from one seed.
struct Twin {
    TRede net;
    std::vector<std::unique_ptr<TElementPlace>> erased;
    std::vector<std::pair<TProtoNeuronio*, TElementState>> states;
    std::vector<std::pair<TSinapse*, TSynapseState>> weights;
    std::optional<TNetState> back;
    TInputTexts backInputs;

    void Build(TRandom& r) {
        auto* module = Add<TModule>(net, 0, 0, "M");
        std::vector<TProtoNeuronio*> senders;
        for (int i = 0; i < 2; ++i) {
            auto* b = Add<TPendor>(net, 0, 0, "B");
            b->BiasValue() = TInfinito(r.Value());
            senders.push_back(b);
            auto* in = Add<TInputs>(net, 0, 0, "I");
            in->SetSequence(r.Sequence());
            senders.push_back(in);
        }
        std::vector<TProtoNeuronio*> neurons;
        for (int i = 3 + r.Pick(14); i > 0; --i) {
            TNeuronio* n = r.Pick(4) == 0 ? AddTo<TNeuronio>(module->InnerNet(), "in")
                                          : Add<TNeuronio>(net, 0, 0, "N");
            n->SelectActivation(r.Function(), r.Pick(2) ? "0.5" : "-0.25");
            n->Activity() = TInfinito(r.Value());
            neurons.push_back(n);
            senders.push_back(n);
        }
        std::vector<TProtoNeuronio*> outputs;
        for (int i = 1 + r.Pick(3); i > 0; --i)
            outputs.push_back(Add<TOutputs>(net, 0, 0, "O"));
        outputs.push_back(AddTo<TOutputs>(module->InnerNet(), "innerOut"));
        for (TProtoNeuronio* n : neurons)
            for (int k = r.Pick(6); k > 0; --k)
                Connect(senders[std::size_t(r.Pick(int(senders.size())))], n, r.Weight());
        for (TProtoNeuronio* o : outputs)
            for (int k = r.Pick(3); k > 0; --k)
                Connect(senders[std::size_t(r.Pick(int(senders.size())))], o, r.Weight());
        Connect(senders[1], module, "1"); // drawn to a module: carries nothing
    }

    TModule& Module() {
        for (const auto& e : net.Elements())
            if (e->Kind() == TElementKind::Module) return static_cast<TModule&>(*e);
        throw std::logic_error("the module is always there");
    }

    void Edit(TRandom& r) {
        const std::vector<TProtoNeuronio*> all = Deep(net);
        const std::vector<TSinapse*> synapses = Synapses(net);
        TProtoNeuronio* e = all[std::size_t(r.Pick(int(all.size())))];
        TProtoNeuronio* other = all[std::size_t(r.Pick(int(all.size())))];
        switch (r.Pick(13)) {
        case 0: // a weight set without telling anybody
            if (!synapses.empty())
                synapses[std::size_t(r.Pick(int(synapses.size())))]->SetWeightText(r.Weight());
            break;
        case 1: { // as the Info dialog sets one, kept for undo
            if (synapses.empty()) break;
            TSinapse* s = synapses[std::size_t(r.Pick(int(synapses.size())))];
            weights.emplace_back(s, TSynapseState::Of(*s));
            s->SetWeightText(r.Weight());
            break;
        }
        case 2:
            if (e->Kind() != TElementKind::Output && e->Kind() != TElementKind::Module &&
                (other->Kind() == TElementKind::Neuron || other->Kind() == TElementKind::Output))
                Connect(e, other, r.Weight());
            break;
        case 3:
            if (!synapses.empty()) {
                TSinapse* s = synapses[std::size_t(r.Pick(int(synapses.size())))];
                s->Source()->ReleaseOutgoing(s);
            }
            break;
        case 4: {
            auto* n = r.Pick(2) ? Add<TNeuronio>(net, 0, 0, "new")
                                : AddTo<TNeuronio>(Module().InnerNet(), "new");
            n->Activity() = TInfinito(r.Value());
            Connect(n, n, r.Weight());
            break;
        }
        case 5: // erased, kept for undo
            if (e->Owner() != nullptr && e != &Module()) {
                auto place = std::make_unique<TElementPlace>(e->Owner()->shared_from_this(), e);
                place->Detach();
                erased.push_back(std::move(place));
            }
            break;
        case 6: // undo, latest edit first
            if (!states.empty()) {
                states.back().second.ApplyTo(*states.back().first);
                states.pop_back();
            } else if (!weights.empty()) {
                weights.back().second.ApplyTo(*weights.back().first);
                weights.pop_back();
            } else if (!erased.empty()) {
                erased.back()->Restore();
                erased.pop_back();
            }
            break;
        case 7:
            if (auto* n = dynamic_cast<TNeuronio*>(e)) {
                states.emplace_back(n, TElementState::Of(*n));
                n->SelectActivation(r.Function(), r.Pick(2) ? "0.125" : "1");
                n->Activity() = TInfinito(r.Value());
            }
            break;
        case 8:
            if (e->Owner() != nullptr) e->Owner()->Move(e, r.Pick(8));
            break;
        case 9:
            if (auto* in = dynamic_cast<TInputs*>(e)) in->SetSequence(r.Sequence());
            if (auto* b = dynamic_cast<TPendor*>(e)) b->BiasValue() = TInfinito(r.Value());
            break;
        case 10:
            if (r.Pick(4) == 0) net.ResetAll();
            break;
        case 11: // a point to step back to
            back = CaptureState(net.Elements());
            backInputs = CaptureInputTexts(net.Elements());
            break;
        case 12:
            if (back) RestoreState(net.Elements(), *back, backInputs);
            break;
        }
        // Whatever an undo stack holds must stay restorable only while its ends are there:
        // a synapse state for a released synapse is dropped.
        const std::vector<TSinapse*> now = Synapses(net);
        std::erase_if(weights, [&](const auto& w) {
            return std::find(now.begin(), now.end(), w.first) == now.end();
        });
        const std::vector<TProtoNeuronio*> present = Deep(net);
        std::erase_if(states, [&](const auto& st) {
            return std::find(present.begin(), present.end(), st.first) == present.end();
        });
    }
};

struct PlanScope {
    bool saved = TRede::UsePlan;
    ~PlanScope() { TRede::UsePlan = saved; }
};

struct ThreadsScope {
    unsigned threads = TRede::SumThreads;
    std::size_t work = TRede::ThreadedWork;
    bool timed = TRede::TimeSharing;
    explicit ThreadsScope(unsigned n) {
        TRede::SumThreads = n;
        TRede::ThreadedWork = n > 1 ? 0 : work;
        TRede::TimeSharing = false;
    }
    ~ThreadsScope() {
        TRede::SumThreads = threads;
        TRede::ThreadedWork = work;
        TRede::TimeSharing = timed;
    }
};

void StepBothWays(unsigned seed, unsigned threads) {
    const PlanScope plan;
    const ThreadsScope sharing(threads);
    TRandom buildA(seed), buildB(seed), edits(seed + 1000);
    Twin onPlan, onObjects;
    onPlan.Build(buildA);
    onObjects.Build(buildB);
    ASSERT_EQ(Saved(onPlan.net), Saved(onObjects.net));
    int planned = 0;
    for (int step = 0; step < 40; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        if (step % 3 == 2) {
            const unsigned state = edits.rng();
            TRandom a(state), b(state);
            onPlan.Edit(a);
            onObjects.Edit(b);
        }
        TRede::UsePlan = true;
        onPlan.net.Propagate();
        planned += onPlan.net.Plan() != nullptr && onPlan.net.Plan()->Covers();
        TRede::UsePlan = false;
        onObjects.net.Propagate();
        ASSERT_EQ(Picture(onPlan.net, true), Picture(onObjects.net, true)) << "between the phases";
        TRede::UsePlan = true;
        onPlan.net.Commit();
        TRede::UsePlan = false;
        onObjects.net.Commit();
        ASSERT_EQ(Picture(onPlan.net, false), Picture(onObjects.net, false));
        ASSERT_EQ(Saved(onPlan.net), Saved(onObjects.net));
    }
    EXPECT_EQ(planned, 40) << "every step ran on the plan";
}

TEST(StepPlan, RandomNetsStepOnThePlanAsOverTheObjects) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        StepBothWays(seed, 1);
    }
}

TEST(StepPlan, ThreadsSharingThePlanGiveTheBytesOfTheObjects) {
    for (unsigned seed = 41; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        StepBothWays(seed, 3);
    }
}

// Every neuron gathering its products into column sums, zero senders among them, as neurons of
// many inputs do.
TEST(StepPlan, ColumnSumsOnThePlanGiveTheBytesOfTheObjects) {
    struct ColumnsScope {
        std::size_t saved = mag::ColumnSumThreshold;
        ColumnsScope() { mag::ColumnSumThreshold = 0; }
        ~ColumnsScope() { mag::ColumnSumThreshold = saved; }
    } columns;
    for (unsigned seed = 61; seed <= 80; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        StepBothWays(seed, seed % 2 ? 1 : 3);
    }
}

TEST(StepThreads, FollowOmpNumThreadsWithinTheCpusAllowed) {
    struct Case {
        const char* variable;
        unsigned allowed;
        unsigned threads;
    };
    const Case cases[] = {{nullptr, 4, 4}, {"2", 4, 2}, {"16", 4, 4}, {" 3,2", 8, 3}, {"0", 4, 4},
                          {"x", 4, 4},     {"", 4, 4},  {"1", 1, 1},  {"7", 0, 1},    {"-2", 4, 4}};
    for (const Case& c : cases)
        EXPECT_EQ(TRede::ThreadsWanted(c.variable, c.allowed), c.threads)
            << (c.variable ? c.variable : "unset") << " with " << c.allowed << " allowed";
#if defined(__linux__)
    // A one-CPU allocation runs one thread, whatever is asked.
    cpu_set_t saved;
    ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
    int cpu = 0;
    while (!CPU_ISSET(cpu, &saved))
        ++cpu;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    const unsigned allowed = TRede::AllowedCpus();
    const unsigned limited = TRede::LimitThreads(8);
    sched_setaffinity(0, sizeof saved, &saved);
    EXPECT_EQ(allowed, 1u);
    EXPECT_EQ(limited, 1u);
    EXPECT_EQ(TRede::AllowedCpus(), unsigned(CPU_COUNT(&saved)));
#endif
}

} // namespace
} // namespace veltra::testing
