#include "model/netedit.h"
#include "model/netnotifier.h"
#include "netbuilder.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace veltra::testing {
namespace {

// Every notice as a line: what happened and to whom (elements and synapses by label/name).
struct TLog final : TNetObserver {
    ~TLog() override { StopObservingAll(); }
    std::vector<std::string> lines;
    std::vector<const void*> gone; // addresses only: a released element is half destroyed
    void ElementAdded(TProtoNeuronio& e) override { lines.push_back("+" + e.Label()); }
    void ElementLeaving(const TProtoNeuronio& e, TLeaving how) override {
        lines.push_back(how == TLeaving::Released ? "released" : "out");
        gone.push_back(&e);
    }
    void ElementChanged(TProtoNeuronio& e, TChange what) override {
        lines.push_back((what == TChange::Look      ? "~"
                         : what == TChange::Content ? "="
                                                    : "#") +
                        e.Label());
    }
    void SynapseAdded(TSinapse& s) override {
        lines.push_back("+s");
        gone.push_back(&s);
    }
    void SynapseLeaving(const TSinapse& s, TLeaving how) override {
        lines.push_back(how == TLeaving::Released ? "released s" : "out s");
        gone.push_back(&s);
    }
    void NetStepped() override { lines.push_back("stepped"); }
    void NetReset() override { lines.push_back("reset"); }
    void NetReleased(const TProtoLista&) override { lines.push_back("net gone"); }
    using Lines = std::vector<std::string>;
};

TEST(NetNotices, ElementsComeGoAndChangeAndTheNetSteps) {
    TRede net;
    TLog log;
    log.Observe(net.Elements());
    auto* a = Add<TNeuronio>(net, 0, 0, "a");
    auto* b = Add<TNeuronio>(net, 50, 0, "b");
    net.BringToFront(a); // a reordering is a change: views keep the element
    net.Step();
    net.ResetAll();
    auto place = std::make_unique<TElementPlace>(net.SharedElements(), b);
    place->Detach();
    ASSERT_TRUE(place->Restore());
    net.BringToFront(a); // already in front: nothing changed, nothing told
    EXPECT_EQ(log.lines, (TLog::Lines{"+a", "+b", "~a", "stepped", "reset", "out", "+b"}));
    log.lines.clear();
    place->Detach();
    place.reset(); // held out by an edit that goes: released through the net it left
    EXPECT_EQ(log.lines, (TLog::Lines{"out", "released"}));
}

TEST(NetNotices, AnInnerNetTellsTheNetsAroundItEvenWhileItsModuleIsHeldOut) {
    TRede net;
    auto* module = Add<TModule>(net, 0, 0, "m");
    auto* outside = Add<TNeuronio>(net, 100, 0, "x");
    TLog outer;
    TLog inner;
    outer.Observe(net.Elements());
    inner.Observe(module->InnerNet());
    auto* in = AddTo<TNeuronio>(module->InnerNet(), "in");
    TSinapse* across = Connect(outside, in, "1");
    // Both nets of a synapse across the border hear of it, each once.
    EXPECT_EQ(outer.lines, (TLog::Lines{"+in", "+s"}));
    EXPECT_EQ(inner.lines, (TLog::Lines{"+in", "+s"}));

    auto place = std::make_unique<TElementPlace>(net.SharedElements(), module);
    place->Detach(); // the border synapse goes out with the module
    outer.lines.clear();
    inner.lines.clear();
    outer.gone.clear();
    module->InnerNet().Take(in).reset(); // inside the held-out module, released
    EXPECT_EQ(inner.lines, (TLog::Lines{"out", "released"}));
    EXPECT_EQ(outer.lines, inner.lines) << "through the net the module was taken from";
    inner.lines.clear();
    place.reset(); // the module goes for good: its inner net's subscribers hear of it
    EXPECT_EQ(inner.lines, (TLog::Lines{"released", "net gone"}));
    EXPECT_NE(std::find(outer.gone.begin(), outer.gone.end(), across), outer.gone.end());
    EXPECT_NE(std::find(outer.gone.begin(), outer.gone.end(), module), outer.gone.end());
}

TEST(NetNotices, AnInnerNetTwoModulesHoldTellsBothNetsAroundThemOnce) {
    TRede first;
    TRede second;
    auto* a = Add<TModule>(first, 0, 0, "a");
    auto* b = Add<TModule>(second, 0, 0, "b");
    auto* c = Add<TModule>(second, 50, 0, "c");
    auto shared = std::make_shared<TProtoLista>();
    TSilentInteraction ui;
    ASSERT_TRUE(a->SetInnerNet(shared, ui));
    ASSERT_TRUE(b->SetInnerNet(shared, ui));
    ASSERT_TRUE(c->SetInnerNet(shared, ui));
    TLog one;
    TLog two;
    one.Observe(first.Elements());
    two.Observe(second.Elements());
    AddTo<TNeuronio>(*shared, "in");
    EXPECT_EQ(one.lines, (TLog::Lines{"+in"}));
    EXPECT_EQ(two.lines, (TLog::Lines{"+in"})) << "told once though two modules hold it";
    TSilentInteraction quiet;
    ASSERT_TRUE(a->SetInnerNet(nullptr, quiet)); // a lets go; b and c still hold it
    one.lines.clear();
    two.lines.clear();
    AddTo<TNeuronio>(*shared, "more");
    EXPECT_TRUE(one.lines.empty());
    EXPECT_EQ(two.lines, (TLog::Lines{"+more"}));
}

TEST(NetNotices, OnlyEditsOfWhatANetComputesCountAsEdits) {
    TRede net;
    auto* a = Add<TNeuronio>(net, 0, 0, "a");
    Add<TNeuronio>(net, 50, 0, "b");
    TEditFlag flag;
    flag.Observe(net.Elements());
    net.BringToFront(a);
    a->SetWatched(!a->Watched());
    PutAt(net.Elements(), *a, {0, 70, 70});
    net.Step();
    EXPECT_FALSE(flag.edited) << "places, looks and steps change nothing computed";
    TElementState::Of(*a).ApplyTo(*a);
    EXPECT_TRUE(flag.edited);
}

TEST(NetNotices, SubscribersMayLeaveWhileBeingToldAndOutliveTheNet) {
    auto list = std::make_shared<TProtoLista>();
    auto second = std::make_unique<TLog>();
    struct TDropper final : TNetObserver {
        std::unique_ptr<TLog>* victim = nullptr;
        int told = 0;
        ~TDropper() override { StopObservingAll(); }
        void ElementAdded(TProtoNeuronio&) override {
            ++told;
            victim->reset();
        }
    } first;
    first.victim = &second;
    first.Observe(*list);
    second->Observe(*list);
    TLog late;
    late.Observe(*list);
    late.Observe(*list); // twice is once
    AddTo<TNeuronio>(*list, "a");
    AddTo<TNeuronio>(*list, "b");
    EXPECT_EQ(first.told, 2);
    EXPECT_EQ(late.lines, (TLog::Lines{"+a", "+b"}));
    list.reset(); // subscribers outlive the net; their destructors touch nothing freed
    EXPECT_EQ(late.lines.back(), "net gone");
}

// Five subscribers; while the middle one is told of the first of two notices it changes the
// subscriptions. Whoever is subscribed when a notice starts and still is when their turn
// comes hears it, in subscription order; whoever comes meanwhile hears the next one only.
TEST(NetNotices, SubscriptionsChangedInTheMiddleOfANotice) {
    struct TSubscriber final : TNetObserver {
        std::string name;
        std::string* heard = nullptr;
        std::function<void()> onFirst;
        ~TSubscriber() override { StopObservingAll(); }
        void ElementAdded(TProtoNeuronio& e) override {
            *heard += name + e.Label() + " ";
            if (onFirst) std::exchange(onFirst, nullptr)();
        }
    };
    struct Case {
        const char* what;
        std::function<void(std::vector<std::unique_ptr<TSubscriber>>&, const TProtoLista&)> act;
        const char* heard;
    };
    const Case cases[] = {
        {"leaves itself", [](auto& s, auto&) { s[2]->StopObservingAll(); },
         "0a 1a 2a 3a 4a 0b 1b 3b 4b "},
        {"ends the one before it", [](auto& s, auto& l) { s[1]->StopObserving(l); },
         "0a 1a 2a 3a 4a 0b 2b 3b 4b "},
        {"ends the one after it", [](auto& s, auto& l) { s[3]->StopObserving(l); },
         "0a 1a 2a 4a 0b 1b 2b 4b "},
        {"destroys the ones around it", [](auto& s, auto&) { s[1].reset(), s[3].reset(); },
         "0a 1a 2a 4a 0b 2b 4b "},
        {"adds one", [](auto& s, auto& l) { s[5]->Observe(l); },
         "0a 1a 2a 3a 4a 0b 1b 2b 3b 4b 5b "},
        {"leaves, adds and comes back",
         [](auto& s, auto& l) {
             s[2]->StopObserving(l);
             s[5]->Observe(l);
             s[2]->Observe(l);
         },
         "0a 1a 2a 3a 4a 0b 1b 3b 4b 5b 2b "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TProtoLista list;
        std::string heard;
        std::vector<std::unique_ptr<TSubscriber>> subscribers;
        for (int i = 0; i < 6; ++i) {
            subscribers.push_back(std::make_unique<TSubscriber>());
            subscribers.back()->name = std::to_string(i);
            subscribers.back()->heard = &heard;
            if (i < 5) subscribers.back()->Observe(list);
        }
        subscribers[2]->onFirst = [&] { c.act(subscribers, list); };
        AddTo<TNeuronio>(list, "a");
        AddTo<TNeuronio>(list, "b");
        EXPECT_EQ(heard, c.heard);
    }
}

TEST(NetNotices, SynapsesHeldByAnEditTellTheirNetsWhenReleasedAfterTheirEnds) {
    TRede net;
    auto* a = Add<TNeuronio>(net, 0, 0, "a");
    auto* b = Add<TNeuronio>(net, 50, 0, "b");
    TSinapse* ab = Connect(a, b, "1");
    TLog log;
    log.Observe(net.Elements());
    auto synapses = std::make_unique<TDetachedSynapses>();
    synapses->Detach({ab});
    net.Elements().Take(b).reset(); // an end gone before the synapse
    log.lines.clear();
    synapses.reset();
    EXPECT_EQ(log.lines, (TLog::Lines{"released s"}));
}

} // namespace
} // namespace veltra::testing
