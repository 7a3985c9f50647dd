#include "ui/editstack.h"

#include "model/releasehook.h"
#include "ui/editcommands.h"

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
    auto stack = std::make_shared<TEditStack>(TKey{}, list.get());
    slot = stack;
    return stack;
}

TEditStack::TEditStack(const TKey&, const TProtoLista* list) : list_(list) {
    releaseToken_ = AddReleaseListener([this](const void* object) { Released(object); });
}

TEditStack::~TEditStack() {
    RemoveReleaseListener(releaseToken_);
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

} // namespace veltra
