// The edits of a drawing window as undo commands. Each keeps what its edit took out of the
// net, so undo and redo move the same objects back and forth and the net saves the same
// bytes it saved at that point before. Views are repainted by whoever watches the stack.
#pragma once

#include "model/netedit.h"
#include "ui/editstack.h"

#include <QUndoCommand>
#include <memory>
#include <vector>

namespace veltra {

class TNeuronio;
class TProtoLista;
class TProtoNeuronio;
class TSinapse;

// Placing an element (already added by the window) and erasing one: the element goes out of
// the list with every synapse joining it, and back to the same places.
class TElementCommand final : public TEditCommand {
public:
    enum class TKind { Place, Erase };
    TElementCommand(TEditStack& stack, TKind kind, std::shared_ptr<TProtoLista> list,
                    TProtoNeuronio* element);

private:
    void Undo() override;
    void Redo() override;
    void Refs(std::vector<const void*>& out) const override;

    TKind kind_;
    TElementPlace place_;
};

// One drag with the Move tool: the element's corner and its place in the list.
class TMoveCommand final : public TEditCommand {
public:
    TMoveCommand(TEditStack& stack, std::shared_ptr<TProtoLista> list, TProtoNeuronio* element,
                 TElementSpot before, TElementSpot after);

private:
    void Undo() override;
    void Redo() override;
    void Refs(std::vector<const void*>& out) const override;

    std::shared_ptr<TProtoLista> list_;
    TProtoNeuronio* element_;
    TElementSpot before_;
    TElementSpot after_;
};

// Erasing a selection: the elements go out last first, each with the synapses still joining
// it, and come back first first, so every list ends as it was.
class TEraseSelectionCommand final : public TEditCommand {
public:
    TEraseSelectionCommand(TEditStack& stack, const std::shared_ptr<TProtoLista>& list,
                           const std::vector<TProtoNeuronio*>& elements);

private:
    void Undo() override;
    void Redo() override;
    void Refs(std::vector<const void*>& out) const override;

    std::vector<std::unique_ptr<TElementPlace>> places_; // in the order they go out
};

// Elements pasted (already added by the window, in this order): they go out last first.
class TPasteCommand final : public TEditCommand {
public:
    TPasteCommand(TEditStack& stack, const std::shared_ptr<TProtoLista>& list,
                  const std::vector<TProtoNeuronio*>& elements, const QString& text);

private:
    void Undo() override;
    void Redo() override;
    void Refs(std::vector<const void*>& out) const override;

    std::vector<std::unique_ptr<TElementPlace>> places_;
};

// One drag of a selection: every element's corner, and its place in the list (each came to
// the front, in the list's order).
class TMoveSelectionCommand final : public TEditCommand {
public:
    TMoveSelectionCommand(TEditStack& stack, std::shared_ptr<TProtoLista> list,
                          std::vector<TProtoNeuronio*> elements, std::vector<TElementSpot> before,
                          std::vector<TElementSpot> after);

private:
    void Undo() override;
    void Redo() override;
    void Refs(std::vector<const void*>& out) const override;

    std::shared_ptr<TProtoLista> list_;
    std::vector<TProtoNeuronio*> elements_;
    std::vector<TElementSpot> before_;
    std::vector<TElementSpot> after_;
};

// A synapse drawn (with the hidden synapse into or out of a module that came with it, in the
// order they were made) and the self-loop mark of a neuron it gave one.
class TSynapseCommand final : public TEditCommand {
public:
    TSynapseCommand(TEditStack& stack, std::vector<TSinapse*> made, TNeuronio* looped);

private:
    void Undo() override;
    void Redo() override;
    void Refs(std::vector<const void*>& out) const override;

    std::vector<TSinapse*> made_;
    TNeuronio* looped_; // null when no loop mark was set
    TDetachedSynapses taken_;
};

// Drawing a synapse: what the lists held before the gesture ends, so that whatever it added
// (the drawn synapse, and a hidden one into or out of a module) becomes one command.
class TSynapseGesture {
public:
    TSynapseGesture(TProtoNeuronio* source, TProtoNeuronio* destination);
    // After the gesture made a synapse: the command for it, already done.
    std::unique_ptr<TSynapseCommand> Command(TEditStack& stack) const;

private:
    TProtoNeuronio* source_;
    TProtoNeuronio* destination_;
    int outBefore_ = 0;
    int inBefore_ = 0;
    bool loopBefore_ = false;
};

// One Apply of the Info dialog: every field of it together.
class TApplyCommand final : public TEditCommand {
public:
    TApplyCommand(TEditStack& stack, TProtoNeuronio* element, TElementState before,
                  TElementState after);
    TApplyCommand(TEditStack& stack, TSinapse* synapse, TSynapseState before, TSynapseState after);

private:
    void Undo() override;
    void Redo() override;
    void Refs(std::vector<const void*>& out) const override;

    TProtoNeuronio* element_ = nullptr;
    TSinapse* synapse_ = nullptr;
    std::vector<TElementState> elementStates_; // before, after
    std::vector<TSynapseState> synapseStates_;
};

// The watch flag of an element (whether the Execution Browser lists it), which the file keeps.
class TWatchCommand final : public TEditCommand {
public:
    TWatchCommand(TEditStack& stack, TProtoNeuronio* element, bool watched);

private:
    void Undo() override;
    void Redo() override;
    void Refs(std::vector<const void*>& out) const override;

    TProtoNeuronio* element_;
    bool watched_;
};

// A module's inner net replaced: read from a file, or another window's net.
class TInnerNetCommand final : public TEditCommand {
public:
    TInnerNetCommand(TEditStack& stack, const QString& text, std::unique_ptr<TInnerNetSwap> swap);

private:
    void Undo() override;
    void Redo() override;
    void Refs(std::vector<const void*>& out) const override;

    std::unique_ptr<TInnerNetSwap> swap_;
};

} // namespace veltra
