#include "ui/editstack.h"

#include "model/protolista.h"

#include <QMetaObject>
#include <QSignalBlocker>
#include <map>

namespace veltra {

namespace {
std::map<const TProtoLista*, std::weak_ptr<TEditStack>>& Stacks() {
    static std::map<const TProtoLista*, std::weak_ptr<TEditStack>> stacks;
    return stacks;
}
} // namespace

std::shared_ptr<TEditStack> TEditStack::For(const std::shared_ptr<TProtoLista>& list) {
    std::weak_ptr<TEditStack>& slot = Stacks()[list.get()];
    if (std::shared_ptr<TEditStack> stack = slot.lock()) return stack;
    auto stack = std::make_shared<TEditStack>(TKey{}, list);
    // A command may refer to what stands in another stack's net (the ends of a synapse across
    // a module's border): every stack hears every net with a stack, and an inner net tells the
    // nets around it too.
    for (const auto& [key, other] : Stacks()) {
        std::shared_ptr<TEditStack> o = other.lock();
        if (!o || o == stack) continue;
        if (std::shared_ptr<TProtoLista> otherList = o->listRef_.lock())
            stack->signals_.Observe(*otherList);
        o->signals_.Observe(*list);
    }
    slot = stack;
    return stack;
}

TEditStack* TEditStack::Existing(const TProtoLista* list) {
    const auto& stacks = Stacks();
    const auto it = stacks.find(list);
    return it == stacks.end() ? nullptr : it->second.lock().get();
}

TEditStack::TEditStack(const TKey&, const std::shared_ptr<TProtoLista>& list)
    : list_(list.get()), listRef_(list) {
    const auto released = [this](const void* object, bool gone) {
        if (gone) Released(object);
    };
    connect(&signals_, &TNetSignals::elementLeaving, this, released);
    connect(&signals_, &TNetSignals::synapseLeaving, this, released);
    signals_.Observe(*list);
}

TEditStack::~TEditStack() {
    signals_.StopObservingAll();
    auto& stacks = Stacks();
    if (auto it = stacks.find(list_); it != stacks.end() && it->second.expired()) stacks.erase(it);
    // The commands go before the map they count their references in; nobody is told.
    const QSignalBlocker quiet(this);
    clear();
}

void TEditStack::Push(std::unique_ptr<QUndoCommand> command) {
    for (int i = index(); i < count(); ++i)
        if (auto* edit = dynamic_cast<const TEditCommand*>(this->command(i)))
            const_cast<TEditCommand*>(edit)->DropRefs();
    push(command.release()); // the stack owns its commands
}

void TEditStack::Refer(const void* object) {
    ++refs_[object];
}

void TEditStack::Unrefer(const void* object) {
    auto it = refs_.find(object);
    if (it != refs_.end() && --it->second == 0) refs_.erase(it);
}

void TEditStack::Released(const void* object) {
    if (refs_.find(object) == refs_.end()) return;
    Abandon();
}

void TEditStack::Abandon() {
    if (clearQueued_) return;
    // Not at once: the release may happen inside a command of this very stack.
    clearQueued_ = true;
    // Whether the net is as saved is known now: no command may move the stack meanwhile.
    cleanWhenStale_ = isClean();
    QMetaObject::invokeMethod(
        this,
        [this] {
            // Emptying a stack makes it clean; the net is no more saved than it was.
            clear();
            if (!cleanWhenStale_) resetClean();
            clearQueued_ = false;
        },
        Qt::QueuedConnection);
}

TEditCommand::TEditCommand(TEditStack& stack, const QString& text, bool done)
    : QUndoCommand(text), stack_(stack), skipRedo_(done) {}

TEditCommand::~TEditCommand() {
    DropRefs();
}

void TEditCommand::DropRefs() {
    for (const void* object : refs_)
        stack_.Unrefer(object);
    refs_.clear();
}

void TEditCommand::Recount() {
    for (const void* object : refs_)
        stack_.Unrefer(object);
    refs_.clear();
    Refs(refs_);
    for (const void* object : refs_)
        stack_.Refer(object);
}

void TEditCommand::Refuse() {
    stack_.Abandon();
}

void TEditCommand::undo() {
    if (stack_.Stale()) return;
    Undo();
    Recount();
}

void TEditCommand::redo() {
    if (stack_.Stale()) return;
    if (skipRedo_)
        skipRedo_ = false;
    else
        Redo();
    Recount();
}

} // namespace veltra
