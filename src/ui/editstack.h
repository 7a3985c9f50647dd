// The undo stack of one element list. Every drawing window showing the list uses the same
// stack (a module's inner net shown in two windows is one document). The stack also hears
// what the nets release: a command never acts on an object released behind its back (by
// another stack's command going, say); the stack is then emptied instead.
#pragma once

#include "ui/netsignals.h"

#include <QUndoCommand>
#include <QUndoStack>
#include <memory>
#include <unordered_map>
#include <vector>

namespace veltra {

class TProtoLista;

class TEditStack final : public QUndoStack {
    Q_OBJECT
public:
    // The stack of that list, made when no window holds one yet.
    static std::shared_ptr<TEditStack> For(const std::shared_ptr<TProtoLista>& list);
    // The stack of that list while some window holds one, else null.
    static TEditStack* Existing(const TProtoLista* list);

private:
    struct TKey {}; // only For makes stacks

public:
    TEditStack(const TKey&, const std::shared_ptr<TProtoLista>& list);
    ~TEditStack() override;

    // Pushes a command (an edit). Use this, not push(): the commands undone before it are
    // deleted by the push, in an order that may release an object while a later one of them
    // still refers to it, so they let go of their references first.
    void Push(std::unique_ptr<QUndoCommand> command);

    // Counted references of the commands to model objects they do not own.
    void Refer(const void* object);
    void Unrefer(const void* object);
    // An object a command refers to has been released: the stack is about to be emptied,
    // and no command may act meanwhile.
    bool Stale() const { return clearQueued_; }
    // A command could not act (it would have joined the net to what another stack holds out
    // of it): the stack is emptied as for a release, and no command acts meanwhile.
    void Abandon();

private:
    void Released(const void* object);

    const TProtoLista* list_; // the key in the table of stacks
    std::weak_ptr<TProtoLista> listRef_;
    TNetSignals signals_;
    std::unordered_map<const void*, int> refs_;
    bool clearQueued_ = false;
    bool cleanWhenStale_ = true;
};

// The base of every edit on the stack (the edits themselves are in editcommands.h).
// Counts the objects it refers to in its stack, and does nothing once the stack has seen
// one of them released.
class TEditCommand : public QUndoCommand {
public:
    ~TEditCommand() override;
    void undo() final;
    void redo() final;
    // Lets go of every reference (the command is about to be deleted).
    void DropRefs();

protected:
    // `done`: the edit has already been made (a gesture, an Apply); the first redo, which
    // pushing calls, then changes nothing.
    TEditCommand(TEditStack& stack, const QString& text, bool done);
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    virtual void Refs(std::vector<const void*>& out) const = 0;
    // The edit cannot be undone or redone without joining the net to something out of it
    // (another stack took it out): nothing was changed, and the stack is emptied.
    void Refuse();

private:
    void Recount();

    TEditStack& stack_;
    std::vector<const void*> refs_;
    bool skipRedo_;
};

} // namespace veltra
