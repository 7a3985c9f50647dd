// The walk into inner nets, on a net whose inner net is shared by two modules: the order and
// depths it visits in, what Skip, Stop and a set of seen nets change, and the deep questions
// the model answers with it.
#include "model/netwalk.h"
#include "netbuilder.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>

namespace veltra::testing {
namespace {

// a, M1 {b, M2 {c}, d}, e, M3 {the same net as M1}
struct SharedNet {
    TSilentInteraction ui;
    TRede net;
    TModule* m1 = Add<TModule>(net, 0, 0, "M1");
    TModule* m3 = nullptr;
    TNeuronio* c = nullptr;

    SharedNet() {
        net.Elements().Move(Add<TNeuronio>(net, 0, 0, "a"), 0);
        AddTo<TNeuronio>(m1->InnerNet(), "b");
        auto* m2 = AddTo<TModule>(m1->InnerNet(), "M2");
        c = AddTo<TNeuronio>(m2->InnerNet(), "c");
        AddTo<TNeuronio>(m1->InnerNet(), "d");
        Add<TNeuronio>(net, 0, 0, "e");
        m3 = Add<TModule>(net, 0, 0, "M3");
        EXPECT_TRUE(m3->SetInnerNet(m1->SharedInnerNet(), ui));
    }
};

// "label:depth" of every visit, with the walk's result at the end.
template <class Visit> std::string Trace(const TProtoLista& list, Visit answer, TNetsSeen* seen) {
    std::string trace;
    auto visit = [&](const TProtoNeuronio& e, int depth) {
        trace += e.Label() + ":" + std::to_string(depth) + " ";
        return answer(e);
    };
    const bool whole = seen ? VisitDeep(list, *seen, visit) : VisitDeep(list, visit);
    return trace + (whole ? "whole" : "stopped");
}

TEST(NetWalk, VisitsModuleInsidesRightAfterTheirModuleInListOrder) {
    SharedNet s;
    const TProtoLista& list = s.net.Elements();
    const auto enter = [](const TProtoNeuronio&) { return TVisit::Enter; };
    EXPECT_EQ(Trace(list, enter, nullptr),
              "a:0 M1:0 b:1 M2:1 c:2 d:1 e:0 M3:0 b:1 M2:1 c:2 d:1 whole");
    TNetsSeen seen;
    EXPECT_EQ(Trace(list, enter, &seen), "a:0 M1:0 b:1 M2:1 c:2 d:1 e:0 M3:0 whole")
        << "a shared net is entered once";
    EXPECT_EQ(Trace(list, enter, &seen), "whole") << "the seen nets carry over to the next walk";
    EXPECT_EQ(Trace(
                  list,
                  [](const TProtoNeuronio& e) {
                      return e.Label() == "M2" ? TVisit::Skip : TVisit::Enter;
                  },
                  nullptr),
              "a:0 M1:0 b:1 M2:1 d:1 e:0 M3:0 b:1 M2:1 d:1 whole");
    EXPECT_EQ(
        Trace(
            list,
            [](const TProtoNeuronio& e) { return e.Label() == "c" ? TVisit::Stop : TVisit::Enter; },
            nullptr),
        "a:0 M1:0 b:1 M2:1 c:2 stopped");

    EXPECT_EQ(AsModule(static_cast<TProtoNeuronio*>(nullptr)), nullptr);
    EXPECT_EQ(AsModule(s.c), nullptr);
    EXPECT_EQ(AsModule(static_cast<const TProtoNeuronio*>(s.m3)), s.m3);
}

TEST(NetWalk, DeepQuestionsSeeEveryPlaceOfASharedNet) {
    SharedNet s;
    const TProtoLista& list = s.net.Elements();
    EXPECT_EQ(NestingDepth(list), 2);
    EXPECT_EQ(NestingDepth(s.m1->InnerNet()), 1);
    const auto* m2 = AsModule(s.m1->InnerNet().Item(1));
    ASSERT_NE(m2, nullptr);
    EXPECT_EQ(EnclosingDepth({&list}, *m2), 1);
    EXPECT_EQ(EnclosingDepth({&list, &s.m1->InnerNet()}, *m2), 1);
    EXPECT_EQ(EnclosingDepth({&s.m1->InnerNet()}, *s.m1), 0) << "not met at all";
    EXPECT_TRUE(list.ContainsDeep(s.c));
    EXPECT_FALSE(s.m1->InnerNet().ContainsDeep(s.m3));

    // Every list answers the same with and without the table of ids.
    std::int32_t counter = 0;
    s.net.Elements().RenumberAll(counter);
    const std::vector<const TProtoLista*> lists{&list, &s.m1->InnerNet(), &m2->InnerNet()};
    const auto answers = [&lists] {
        std::vector<std::string> labels;
        for (const TProtoLista* l : lists) {
            for (std::int32_t id = -1; id < 16; ++id) {
                const TProtoNeuronio* found = l->ElementById(id);
                labels.push_back(found ? found->Label() : "-");
            }
            for (std::int32_t id : {INT32_MIN, -7, 1000, 1 << 30, INT32_MAX}) {
                const TProtoNeuronio* found = l->ElementById(id);
                labels.push_back(found ? found->Label() : "-");
            }
        }
        return labels;
    };
    const auto compare = [&] {
        const std::vector<std::string> scanned = answers();
        std::vector<std::string> indexed;
        {
            TIdIndexScope index(s.net.Elements());
            indexed = answers();
        }
        EXPECT_EQ(indexed, scanned);
    };
    EXPECT_EQ(list.ElementById(s.c->Id()), s.c);
    compare(); // ids numbered from 0 up
    // Ids far apart, negative and repeated, as a hand-written file may have them.
    const std::vector<std::int32_t> scattered{INT32_MAX, -7, 3, 1 << 30, 3, INT32_MIN, 1000, -7};
    std::vector<const TProtoNeuronio*> given; // a shared net's elements are met twice
    VisitDeep(s.net.Elements(), [&](TProtoNeuronio& e) {
        if (std::find(given.begin(), given.end(), &e) != given.end()) return;
        e.SetId(scattered[given.size() % scattered.size()]);
        given.push_back(&e);
    });
    compare();
}

} // namespace
} // namespace veltra::testing
