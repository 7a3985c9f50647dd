// The reversible edit steps on the model alone, as a property: random edits of the kinds a
// drawing window makes, each kept as the steps that undo and redo it, then undone and redone
// at random; after every one the net saves exactly the bytes recorded when the edits last
// stood at the same place, and a step never refuses (one list of edits takes nothing out
// that another holds).
#include "model/canvas.h"
#include "model/netedit.h"
#include "model/netwalk.h"
#include "netbuilder.h"
#include "randomedits.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <set>
#include <sstream>

namespace veltra::testing {
namespace {

std::string ReadExample(const std::string& name) {
    std::ifstream in(std::string(VELTRA_EXAMPLES) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One edit, done: what takes it back and what makes it again.
struct TEdit {
    std::string kind;
    std::function<bool()> undo;
    std::function<bool()> redo;
};

class TEditProperty {
public:
    TEditProperty(unsigned seed, const std::string& start)
        : random_(seed), ui_(random_), document_(&ui_), other_(&ui_) {
        std::istringstream in(start);
        if (!start.empty()) {
            EXPECT_EQ(document_.Load(in), "");
        }
        std::istringstream worked(ReadExample("worked.net"));
        EXPECT_EQ(other_.Load(worked), "");
        ui_.nets = {&document_.Elements(), &other_.Elements()};
        saved_.push_back(Bytes());
    }

    void Run(int steps) {
        for (int i = 0; i < steps && !::testing::Test::HasFailure(); ++i) {
            const unsigned what = random_() % 10;
            if (what < 2 && done_ > 0) {
                ASSERT_TRUE(edits_[--done_].undo()) << "undo of " << edits_[done_].kind;
            } else if (what < 4 && done_ < edits_.size()) {
                ASSERT_TRUE(edits_[done_++].redo()) << "redo of " << edits_[done_ - 1].kind;
            } else {
                Edit();
            }
            ASSERT_EQ(Bytes(), saved_[done_]) << "step " << i << " with " << done_ << " edits";
        }
        // Back to the start and forward to the end, in one go each.
        const std::size_t last = edits_.size();
        while (done_ > 0)
            ASSERT_TRUE(edits_[--done_].undo());
        ASSERT_EQ(Bytes(), saved_[0]);
        while (done_ < last)
            ASSERT_TRUE(edits_[done_++].redo());
        ASSERT_EQ(Bytes(), saved_[last]);
    }

    std::set<std::string> kinds;
    std::size_t edits = 0;
    int hiddenStates = 0; // edits after which the net held a hidden synapse

private:
    // The saved bytes, and the order of every incoming list (which the file does not keep).
    std::string Bytes() {
        std::ostringstream out;
        EXPECT_TRUE(document_.Save(out));
        VisitDeep(std::as_const(List()), [&out](const TProtoNeuronio& e) {
            out << e.Id() << "<-";
            for (const TSinapse* s : e.IncomingSynapses())
                out << (s->Source() != nullptr ? s->Source()->Id() : -1) << ",";
            out << "\n";
        });
        return out.str();
    }

    void Keep(std::string kind, std::function<bool()> undo, std::function<bool()> redo) {
        edits_.resize(done_); // the edits undone are let go, releasing what they held out
        edits_.push_back({kind, std::move(undo), std::move(redo)});
        ++done_;
        saved_.resize(done_);
        saved_.push_back(Bytes());
        kinds.insert(std::move(kind));
        ++edits;
        if (saved_.back().find("visible:false") != std::string::npos) ++hiddenStates;
    }

    TProtoLista& List() { return document_.Elements(); }
    TProtoNeuronio* AnyElement() {
        return List().Empty() ? nullptr : List().Item(static_cast<int>(random_() % List().Count()));
    }
    int Coordinate() { return ui_.Coordinate(); }

    void Edit() {
        switch (random_() % 9) {
        case 0:
            return Place();
        case 1:
            return Move();
        case 2:
            return Erase();
        case 3:
        case 4:
            return Synapse();
        case 5:
            return ApplyToElement();
        case 6:
            return ApplyToSynapse();
        case 7:
            return Watch();
        default:
            return SwapInnerNet();
        }
    }

    void Place() {
        const auto kind = static_cast<TElementKind>(random_() % KindTable.size());
        auto e = KindInfo(kind).make();
        e->Setup(Coordinate(), Coordinate(), GlyphIndex(kind), GlyphIndex(kind) + 1,
                 document_.Net().ElementCounter());
        auto place = std::make_shared<TElementPlace>(document_.Net().SharedElements(),
                                                     document_.AddElement(std::move(e)));
        Keep(
            "place", [place] { return place->Detach(), true; },
            [place] { return place->Restore(); });
    }

    void Erase() {
        TProtoNeuronio* e = AnyElement();
        if (e == nullptr) return;
        auto place = std::make_shared<TElementPlace>(document_.Net().SharedElements(), e);
        place->Detach();
        Keep(
            "erase", [place] { return place->Restore(); },
            [place] { return place->Detach(), true; });
    }

    void Move() {
        TProtoNeuronio* e = AnyElement();
        if (e == nullptr) return;
        const TElementSpot before = SpotOf(List(), *e);
        document_.BringToFront(e);
        TNullCanvas canvas;
        e->MoveTo(canvas, Coordinate(), Coordinate());
        const TElementSpot after = SpotOf(List(), *e);
        TProtoLista* list = &List();
        Keep(
            "move", [=] { return PutAt(*list, *e, before), true; },
            [=] { return PutAt(*list, *e, after), true; });
    }

    // Drawn as the window draws: into or out of a module the user picks an inner element, and
    // a hidden synapse comes with the drawn one.
    void Synapse() {
        TProtoNeuronio* source = AnyElement();
        TProtoNeuronio* target = AnyElement();
        if (source == nullptr || target == nullptr) return;
        const std::set<TSinapse*> before = AllSynapses();
        auto* neuron = dynamic_cast<TNeuronio*>(source);
        const bool loopBefore = neuron != nullptr && neuron->Loop();
        TNullCanvas canvas;
        const TPoint at = target->Centre();
        document_.BeginSynapse(source, source->Centre(), canvas);
        if (document_.EndSynapse(canvas, at.x, at.y) == nullptr) return;
        std::vector<TSinapse*> made;
        for (TSinapse* s : AllSynapses())
            if (!before.count(s)) made.push_back(s);
        TNeuronio* looped = neuron != nullptr && neuron->Loop() && !loopBefore ? neuron : nullptr;
        auto taken = std::make_shared<TDetachedSynapses>();
        Keep(
            "synapse",
            [=] {
                taken->Detach(made);
                if (looped != nullptr) looped->SetLoop(false);
                return true;
            },
            [=] {
                if (looped != nullptr) looped->SetLoop(true);
                return taken->Restore();
            });
    }

    std::set<TSinapse*> AllSynapses() {
        std::set<TSinapse*> all;
        VisitDeep(List(), [&all](TProtoNeuronio& e) {
            for (TSinapse* s : e.OutgoingSynapses())
                all.insert(s);
        });
        return all;
    }

    void ApplyToElement() {
        TProtoNeuronio* e = AnyElement();
        if (e == nullptr) return;
        const TInfoFields fields = ui_.ElementFields();
        const TElementState before = TElementState::Of(*e);
        TNullCanvas canvas;
        e->ApplyInfo(fields, canvas);
        const TElementState after = TElementState::Of(*e);
        if (before == after) return;
        Keep(
            "apply", [=] { return before.ApplyTo(*e), true; },
            [=] { return after.ApplyTo(*e), true; });
    }

    void ApplyToSynapse() {
        TProtoNeuronio* e = AnyElement();
        if (e == nullptr || e->OutgoingSynapses().Empty()) return;
        TSinapse* s =
            e->OutgoingSynapses().Item(static_cast<int>(random_() % e->OutgoingSynapses().Count()));
        const TInfoFields fields = ui_.SynapseFields();
        const TSynapseState before = TSynapseState::Of(*s);
        s->ApplyInfo(fields);
        const TSynapseState after = TSynapseState::Of(*s);
        if (before == after) return;
        Keep(
            "apply synapse", [=] { return before.ApplyTo(*s), true; },
            [=] { return after.ApplyTo(*s), true; });
    }

    void Watch() {
        TProtoNeuronio* e = AnyElement();
        if (e == nullptr) return;
        const bool watched = !e->Watched();
        e->SetWatched(watched);
        Keep(
            "watch", [=] { return e->SetWatched(!watched), true; },
            [=] { return e->SetWatched(watched), true; });
    }

    // A module's inner net read from a file, or another window's, or another module's.
    void SwapInnerNet() {
        TModule* module = AsModule(AnyElement());
        if (module == nullptr) return;
        std::unique_ptr<TInnerNetSwap> swap;
        const bool fromFile = random_() % 2;
        if (fromFile) {
            static const char* const files[] = {"worked.net", "module_delay.net", "stack.net"};
            std::istringstream in(ReadExample(files[random_() % std::size(files)]));
            document_.LoadModuleFile(*module, in, &swap);
            if (!swap) return; // refused: nothing changed
        } else {
            std::shared_ptr<TProtoLista> list = other_.Net().SharedElements();
            if (random_() % 2)
                if (TModule* second = AsModule(AnyElement())) list = second->SharedInnerNet();
            if (list == module->SharedInnerNet() || !module->MayTakeInnerNet(list, ui_)) return;
            swap = std::make_unique<TInnerNetSwap>(*module, list);
            swap->Apply();
        }
        std::shared_ptr<TInnerNetSwap> kept = std::move(swap);
        Keep(
            fromFile ? "load module" : "module window", [kept] { return kept->Revert(); },
            [kept] { return kept->Apply(), true; });
    }

    std::mt19937 random_;
    TRandomAnswers ui_;
    TDados document_;
    TDados other_;
    std::vector<TEdit> edits_;
    std::size_t done_ = 0;           // the edits made and not undone: edits_[0, done_)
    std::vector<std::string> saved_; // the bytes after each number of edits made
};

TEST(EditSteps, SavedBytesFollowRandomEditsUndosAndRedos) {
    const std::string starts[] = {"", ReadExample("worked.net"), ReadExample("module_delay.net"),
                                  ReadExample("stack.net")};
    std::set<std::string> kinds;
    std::size_t edits = 0;
    int hiddenStates = 0;
    for (unsigned seed = 1; seed <= 24; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TEditProperty property(seed, starts[seed % std::size(starts)]);
        property.Run(250);
        if (HasFailure()) return;
        kinds.insert(property.kinds.begin(), property.kinds.end());
        edits += property.edits;
        hiddenStates += property.hiddenStates;
    }
    EXPECT_GT(edits, 24u * 40);
    EXPECT_EQ(kinds.size(), 9u) << "every kind of edit took part";
    EXPECT_GT(hiddenStates, 50) << "across module borders too";
}

} // namespace
} // namespace veltra::testing
