// The exactness of undo, as a property: random edits, undos and redos on the example nets and
// on nets grown at random; after every one the net saves exactly the bytes recorded when the
// stack last stood at the same place. Every kind of command takes part, hidden synapses
// across module borders included.
#include "appfixture.h"
#include "model/canvas.h"
#include "model/dados.h"
#include "model/inputs.h"
#include "model/module.h"
#include "model/netedit.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/protolista.h"
#include "randomedits.h"
#include "ui/editcommands.h"
#include "ui/editstack.h"

#include <QCoreApplication>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <sstream>

namespace veltra {
namespace {

std::string ReadExample(const std::string& name) {
    std::ifstream in(std::string(VELTRA_EXAMPLES) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TUndoProperty {
public:
    TUndoProperty(unsigned seed, const std::string& start)
        : random_(seed), ui_(random_), document_(&ui_), other_(&ui_) {
        std::istringstream in(start);
        if (!start.empty()) {
            EXPECT_EQ(document_.Load(in), "");
        }
        std::istringstream inner(ReadExample("worked.net"));
        EXPECT_EQ(other_.Load(inner), "");
        ui_.nets = {&document_.Elements(), &other_.Elements()};
        stack_ = TEditStack::For(document_.Net().SharedElements());
        saved_.push_back(Bytes());
    }

    void Run(int steps) {
        for (int i = 0; i < steps && !::testing::Test::HasFailure(); ++i) {
            const unsigned what = random_() % 10;
            std::string done;
            if (what < 2 && stack_->canUndo()) {
                done = "undo " + stack_->undoText().toStdString();
                stack_->undo();
            } else if (what < 4 && stack_->canRedo()) {
                done = "redo " + stack_->redoText().toStdString();
                stack_->redo();
            } else {
                // Whatever did not become a command changed nothing.
                ASSERT_EQ(Bytes(), saved_[static_cast<std::size_t>(stack_->index())])
                    << "before step " << i << History();
                Edit();
                continue;
            }
            ASSERT_EQ(Bytes(), saved_[static_cast<std::size_t>(stack_->index())])
                << "step " << i << " (" << done << ") at stack index " << stack_->index()
                << History();
        }
        // Back to the start and forward to the end, in one go each.
        const std::size_t last = static_cast<std::size_t>(stack_->count());
        saved_.resize(last + 1);
        stack_->setIndex(0);
        ASSERT_EQ(Bytes(), saved_[0]);
        stack_->setIndex(static_cast<int>(last));
        ASSERT_EQ(Bytes(), saved_[last]);
    }

    int Commands() const { return stack_->count(); }
    std::set<std::string> kinds; // the first words of the commands pushed
    int hiddenStates = 0;        // pushes after which the net held a hidden synapse

    // The commands on the stack, for a failure's message.
    std::string History() const {
        std::string text;
        for (int i = 0; i < stack_->count(); ++i)
            text += "\n" + std::to_string(i) + " " + stack_->text(i).toStdString();
        return text;
    }

private:
    // The saved bytes, and the order of every incoming list (which the file does not keep, and
    // which decides what an output records) after them.
    std::string Bytes() {
        std::ostringstream out;
        EXPECT_TRUE(document_.Save(out));
        IncomingOrder(List(), out);
        return out.str();
    }
    static void IncomingOrder(const TProtoLista& list, std::ostream& out) {
        for (const auto& e : list) {
            out << e->Id() << "<-";
            for (const TSinapse* s : e->IncomingSynapses())
                out << (s->Source() != nullptr ? s->Source()->Id() : -1) << ",";
            out << "\n";
            if (e->Kind() == TElementKind::Module)
                IncomingOrder(static_cast<const TModule&>(*e).InnerNet(), out);
        }
    }
    static bool SharesInnerNets(const TProtoLista& list) {
        for (const auto& e : list)
            if (auto* m = dynamic_cast<const TModule*>(e.get()))
                if (m->SharedInnerNet().use_count() > 1 || SharesInnerNets(m->InnerNet()))
                    return true;
        return false;
    }
    // What erasing the element at `index` gives when done the way that releases it at once,
    // on a net read back from the saved bytes (so for nets whose file says everything: no inner
    // net shared between modules).
    std::optional<std::string> ErasedByRelease(int index) {
        if (SharesInnerNets(List())) return std::nullopt;
        std::ostringstream saved;
        EXPECT_TRUE(document_.Save(saved));
        TDados copy(&ui_);
        std::istringstream in(saved.str());
        EXPECT_EQ(copy.Load(in), "");
        TNullCanvas canvas;
        copy.Remove(copy.Elements().Item(index), canvas);
        std::ostringstream out;
        EXPECT_TRUE(copy.Save(out));
        return out.str();
    }

    void Push(std::unique_ptr<QUndoCommand> command) {
        if (command == nullptr) return;
        kinds.insert(command->text().section(QLatin1Char(' '), 0, 0).toStdString());
        stack_->Push(std::move(command));
        saved_.resize(static_cast<std::size_t>(stack_->index()));
        saved_.push_back(Bytes());
        if (saved_.back().find("visible:false") != std::string::npos) ++hiddenStates;
    }

    TProtoLista& List() { return document_.Elements(); }
    TProtoNeuronio* AnyElement() {
        return List().Empty() ? nullptr : List().Item(static_cast<int>(random_() % List().Count()));
    }
    TModule* AnyModule() { return dynamic_cast<TModule*>(AnyElement()); }
    int Coordinate() { return ui_.Coordinate(); }

    void Edit() {
        switch (random_() % 10) {
        case 0:
        case 1:
            return Place();
        case 2:
            return Move();
        case 3:
            return Erase();
        case 4:
        case 5:
            return Synapse();
        case 6:
            return ApplyToElement();
        case 7:
            return ApplyToSynapse();
        case 8:
            return (random_() % 2 == 0) ? Watch() : MoveSome();
        default:
            return (random_() % 2 == 0) ? LoadModule() : WindowOnModule();
        }
    }

    void Place() {
        static const TElementKind kinds[] = {TElementKind::Neuron, TElementKind::Bias,
                                             TElementKind::Input, TElementKind::Output,
                                             TElementKind::Module};
        const TElementKind kind = kinds[random_() % std::size(kinds)];
        auto e = KindInfo(kind).make();
        e->Setup(Coordinate(), Coordinate(), GlyphIndex(kind), GlyphIndex(kind) + 1,
                 document_.Net().ElementCounter());
        TProtoNeuronio* placed = document_.AddElement(std::move(e));
        Push(std::make_unique<TElementCommand>(*stack_, TElementCommand::TKind::Place,
                                               document_.Net().SharedElements(), placed));
    }

    void Move() {
        TProtoNeuronio* e = AnyElement();
        if (e == nullptr) return;
        const TElementSpot before = SpotOf(List(), *e);
        document_.BringToFront(e);
        TNullCanvas canvas;
        e->MoveTo(canvas, Coordinate(), Coordinate());
        Push(std::make_unique<TMoveCommand>(*stack_, document_.Net().SharedElements(), e, before,
                                            SpotOf(List(), *e)));
    }

    void Erase() {
        TProtoNeuronio* e = AnyElement();
        if (e == nullptr) return;
        const std::optional<std::string> expected = ErasedByRelease(List().IndexOf(e));
        Push(std::make_unique<TElementCommand>(*stack_, TElementCommand::TKind::Erase,
                                               document_.Net().SharedElements(), e));
        if (expected) {
            std::ostringstream out;
            EXPECT_TRUE(document_.Save(out));
            EXPECT_EQ(out.str(), *expected) << "erase, checked against release";
        }
    }

    void Synapse() {
        TProtoNeuronio* source = AnyElement();
        TProtoNeuronio* target = AnyElement();
        if (source == nullptr || target == nullptr) return;
        TNullCanvas canvas;
        const TPoint at = target->Centre();
        document_.BeginSynapse(source, source->Centre(), canvas);
        const TSynapseGesture gesture(source, document_.ElementAt(at.x, at.y));
        if (document_.EndSynapse(canvas, at.x, at.y) != nullptr) Push(gesture.Command(*stack_));
    }

    void ApplyToElement() {
        TProtoNeuronio* e = AnyElement();
        if (e == nullptr) return;
        const TInfoFields fields = ui_.ElementFields();
        TElementState before = TElementState::Of(*e);
        TNullCanvas canvas;
        e->ApplyInfo(fields, canvas);
        TElementState after = TElementState::Of(*e);
        if (!(before == after))
            Push(std::make_unique<TApplyCommand>(*stack_, e, std::move(before), std::move(after)));
    }

    void ApplyToSynapse() {
        TProtoNeuronio* e = AnyElement();
        if (e == nullptr || e->OutgoingSynapses().Empty()) return;
        TSinapse* s =
            e->OutgoingSynapses().Item(static_cast<int>(random_() % e->OutgoingSynapses().Count()));
        const TInfoFields fields = ui_.SynapseFields();
        TSynapseState before = TSynapseState::Of(*s);
        s->ApplyInfo(fields);
        TSynapseState after = TSynapseState::Of(*s);
        if (!(before == after))
            Push(std::make_unique<TApplyCommand>(*stack_, s, std::move(before), std::move(after)));
    }

    // A selection's drag: some elements, in the list's order, each to the front and moved by
    // the same way.
    void MoveSome() {
        std::vector<TProtoNeuronio*> group;
        for (const auto& e : List())
            if (random_() % 3 == 0) group.push_back(e.get());
        if (group.empty()) return;
        const int dx = Coordinate() - 300;
        const int dy = Coordinate() - 300;
        std::vector<TElementSpot> before;
        std::vector<TElementSpot> after;
        TNullCanvas canvas;
        for (TProtoNeuronio* e : group) {
            before.push_back(SpotOf(List(), *e));
            document_.BringToFront(e);
            e->MoveTopLeftTo(canvas, before.back().x + dx, before.back().y + dy);
        }
        for (TProtoNeuronio* e : group)
            after.push_back(SpotOf(List(), *e));
        Push(std::make_unique<TMoveSelectionCommand>(*stack_, document_.Net().SharedElements(),
                                                     group, before, after));
    }

    void Watch() {
        if (TProtoNeuronio* e = AnyElement())
            Push(std::make_unique<TWatchCommand>(*stack_, e, !e->Watched()));
    }

    void LoadModule() {
        TModule* module = AnyModule();
        if (module == nullptr) return;
        static const char* const files[] = {"worked.net", "module_delay.net", "stack.net"};
        std::istringstream in(ReadExample(files[random_() % std::size(files)]));
        std::unique_ptr<TInnerNetSwap> swap;
        const std::string error = document_.LoadModuleFile(*module, in, &swap);
        if (!swap) return; // refused (nested too deeply): nothing changed
        EXPECT_EQ(error, "");
        Push(std::make_unique<TInnerNetCommand>(*stack_, QStringLiteral("Load Module"),
                                                std::move(swap)));
    }

    void WindowOnModule() {
        TModule* module = AnyModule();
        if (module == nullptr) return;
        // Another window's net, or the net of a second module (two modules sharing one).
        std::shared_ptr<TProtoLista> list = other_.Net().SharedElements();
        if (random_() % 2)
            if (TModule* second = AnyModule()) list = second->SharedInnerNet();
        if (list == module->SharedInnerNet() || !module->MayTakeInnerNet(list, ui_)) return;
        auto swap = std::make_unique<TInnerNetSwap>(*module, list);
        swap->Apply();
        Push(std::make_unique<TInnerNetCommand>(*stack_, QStringLiteral("Module Window"),
                                                std::move(swap)));
    }

    std::mt19937 random_;
    TRandomAnswers ui_;
    TDados document_;
    TDados other_;
    std::shared_ptr<TEditStack> stack_;
    std::vector<std::string> saved_; // the bytes at each stack index
};

TEST(UndoPropertyTest, SavedBytesFollowTheStackThroughRandomEditsUndosAndRedos) {
    const std::string starts[] = {"", ReadExample("worked.net"), ReadExample("module_delay.net"),
                                  ReadExample("stack.net"), ReadExample("deep_stack.net")};
    int commands = 0;
    int hiddenStates = 0;
    std::set<std::string> kinds;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TUndoProperty property(seed, starts[seed % std::size(starts)]);
        property.Run(300);
        commands += property.Commands();
        hiddenStates += property.hiddenStates;
        kinds.insert(property.kinds.begin(), property.kinds.end());
        if (HasFailure()) return;
    }
    // The runs really edited, with every kind of command, across module borders too.
    EXPECT_GT(commands, 40 * 50);
    EXPECT_EQ(kinds, (std::set<std::string>{"Apply", "Draw", "Erase", "Load", "Module", "Move",
                                            "Place", "Unwatch", "Watch"}));
    EXPECT_GT(hiddenStates, 100);
}

// An element placed in a module's window is referred to by a command of the outer net's stack
// (a synapse drawn into the module to it). Undoing the placement and editing on releases the
// element with the synapse: the outer stack must never act on them again, and is emptied.
TEST(UndoStacksTest, AStackLetsGoOfCommandsWhoseObjectsAnotherStackReleased) {
    TestApp();
    std::mt19937 random(7);
    TRandomAnswers ui(random);
    TDados outer(&ui);
    auto* module = static_cast<TModule*>(outer.AddElement(std::make_unique<TModule>()));
    TProtoNeuronio* source = outer.AddElement(std::make_unique<TNeuronio>());
    source->SetPosition(200, 0);
    std::shared_ptr<TEditStack> outerStack = TEditStack::For(outer.Net().SharedElements());
    std::shared_ptr<TEditStack> innerStack = TEditStack::For(module->SharedInnerNet());
    ASSERT_NE(outerStack, innerStack);

    auto* inner = static_cast<TNeuronio*>(
        module->InnerNet().Item(module->InnerNet().AddElement(std::make_unique<TNeuronio>())));
    innerStack->Push(std::make_unique<TElementCommand>(*innerStack, TElementCommand::TKind::Place,
                                                       module->SharedInnerNet(), inner));

    // A synapse from outside into the module, the user picking the inner neuron.
    TNullCanvas canvas;
    std::unique_ptr<TSynapseCommand> drawn;
    for (int tries = 0; !drawn && tries < 20; ++tries) {
        outer.BeginSynapse(source, source->Centre(), canvas);
        TSynapseGesture g(source, module);
        const TPoint at = module->Centre();
        if (outer.EndSynapse(canvas, at.x, at.y) != nullptr) drawn = g.Command(*outerStack);
    }
    ASSERT_NE(drawn, nullptr);
    outerStack->Push(std::move(drawn));
    ASSERT_EQ(inner->IncomingSynapses().Count(), 1);

    innerStack->undo(); // the inner neuron leaves the net with the hidden synapse
    EXPECT_EQ(source->OutgoingSynapses().Count(), 1);
    innerStack->Push(std::make_unique<TElementCommand>(
        *innerStack, TElementCommand::TKind::Place, module->SharedInnerNet(),
        module->InnerNet().Item(module->InnerNet().AddElement(std::make_unique<TNeuronio>()))));
    // The placement's command is gone, and the neuron and the hidden synapse with it.
    EXPECT_TRUE(outerStack->Stale());
    outerStack->undo(); // acts on nothing released
    EXPECT_EQ(source->OutgoingSynapses().Count(), 1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(outerStack->Stale());
    EXPECT_EQ(outerStack->count(), 0);
    EXPECT_FALSE(outerStack->isClean()); // still not what was saved
    EXPECT_EQ(innerStack->count(), 1);
}

} // namespace
} // namespace veltra
