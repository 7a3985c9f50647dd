#include "ui/editcommands.h"

#include "model/module.h"
#include "model/neuronio.h"
#include "model/protolista.h"

#include <algorithm>

namespace veltra {

namespace {
QString KindText(const TProtoNeuronio& element) {
    return QString::fromLatin1(KindName(element.Kind()));
}

void AddEnds(const TDetachedSynapses& synapses, std::vector<const void*>& out) {
    for (const TProtoNeuronio* e : synapses.Ends())
        out.push_back(e);
}
} // namespace

// --- placing and erasing ---------------------------------------------------------------------

TElementCommand::TElementCommand(TEditStack& stack, TKind kind, std::shared_ptr<TProtoLista> list,
                                 TProtoNeuronio* element)
    : TEditCommand(stack,
                   (kind == TKind::Place ? QStringLiteral("Place ") : QStringLiteral("Erase ")) +
                       KindText(*element),
                   kind == TKind::Place),
      kind_(kind), place_(std::move(list), element) {}

void TElementCommand::Undo() {
    if (kind_ == TKind::Place)
        place_.Detach();
    else if (!place_.Restore())
        Refuse();
}

void TElementCommand::Redo() {
    if (kind_ == TKind::Place) {
        if (!place_.Restore()) Refuse();
    } else {
        place_.Detach();
    }
}

void TElementCommand::Refs(std::vector<const void*>& out) const {
    out.push_back(place_.Element());
    AddEnds(place_.Synapses(), out);
}

TEraseSelectionCommand::TEraseSelectionCommand(TEditStack& stack,
                                               const std::shared_ptr<TProtoLista>& list,
                                               const std::vector<TProtoNeuronio*>& elements)
    : TEditCommand(stack, QStringLiteral("Erase selection"), false) {
    for (auto it = elements.rbegin(); it != elements.rend(); ++it)
        places_.push_back(std::make_unique<TElementPlace>(list, *it));
}

void TEraseSelectionCommand::Undo() {
    for (auto it = places_.rbegin(); it != places_.rend(); ++it)
        if (!(*it)->Restore()) return Refuse();
}

void TEraseSelectionCommand::Redo() {
    for (const auto& place : places_)
        place->Detach();
}

void TEraseSelectionCommand::Refs(std::vector<const void*>& out) const {
    for (const auto& place : places_) {
        out.push_back(place->Element());
        AddEnds(place->Synapses(), out);
    }
}

TPasteCommand::TPasteCommand(TEditStack& stack, const std::shared_ptr<TProtoLista>& list,
                             const std::vector<TProtoNeuronio*>& elements, const QString& text)
    : TEditCommand(stack, text, true) {
    for (TProtoNeuronio* e : elements)
        places_.push_back(std::make_unique<TElementPlace>(list, e));
}

void TPasteCommand::Undo() {
    for (auto it = places_.rbegin(); it != places_.rend(); ++it)
        (*it)->Detach();
}

void TPasteCommand::Redo() {
    for (const auto& place : places_)
        if (!place->Restore()) return Refuse();
}

void TPasteCommand::Refs(std::vector<const void*>& out) const {
    for (const auto& place : places_) {
        out.push_back(place->Element());
        AddEnds(place->Synapses(), out);
    }
}

// --- moving ----------------------------------------------------------------------------------

TMoveCommand::TMoveCommand(TEditStack& stack, std::shared_ptr<TProtoLista> list,
                           TProtoNeuronio* element, TElementSpot before, TElementSpot after)
    : TEditCommand(stack, QStringLiteral("Move ") + KindText(*element), true),
      list_(std::move(list)), element_(element), before_(before), after_(after) {}

void TMoveCommand::Undo() {
    PutAt(*list_, *element_, before_);
}

void TMoveCommand::Redo() {
    PutAt(*list_, *element_, after_);
}

void TMoveCommand::Refs(std::vector<const void*>& out) const {
    out.push_back(element_);
}

TMoveSelectionCommand::TMoveSelectionCommand(TEditStack& stack, std::shared_ptr<TProtoLista> list,
                                             std::vector<TProtoNeuronio*> elements,
                                             std::vector<TElementSpot> before,
                                             std::vector<TElementSpot> after)
    : TEditCommand(stack, QStringLiteral("Move selection"), true), list_(std::move(list)),
      elements_(std::move(elements)), before_(std::move(before)), after_(std::move(after)) {}

void TMoveSelectionCommand::Undo() {
    // Each came to the front after the ones before it: they go back last first.
    for (std::size_t i = elements_.size(); i-- > 0;)
        PutAt(*list_, *elements_[i], before_[i]);
}

void TMoveSelectionCommand::Redo() {
    // To the front as the drag brought them (outputs stay after the rest), then to their spots.
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        list_->Move(elements_[i], -1);
        TElementSpot spot = after_[i];
        spot.index = list_->IndexOf(elements_[i]);
        PutAt(*list_, *elements_[i], spot);
    }
}

void TMoveSelectionCommand::Refs(std::vector<const void*>& out) const {
    out.insert(out.end(), elements_.begin(), elements_.end());
}

// --- synapses --------------------------------------------------------------------------------

TSynapseCommand::TSynapseCommand(TEditStack& stack, std::vector<TSinapse*> made, TNeuronio* looped)
    : TEditCommand(stack, QStringLiteral("Draw Synapse"), true), made_(std::move(made)),
      looped_(looped) {}

void TSynapseCommand::Undo() {
    // The last made first: each list gives back its entries in the reverse of their order.
    taken_.Detach({made_.rbegin(), made_.rend()});
    if (looped_ != nullptr) looped_->SetLoop(false);
}

void TSynapseCommand::Redo() {
    if (!taken_.Restore()) return Refuse();
    if (looped_ != nullptr) looped_->SetLoop(true);
}

void TSynapseCommand::Refs(std::vector<const void*>& out) const {
    for (const TSinapse* s : made_) {
        out.push_back(s);
        out.push_back(s->Source());
        out.push_back(s->Destination());
    }
    if (looped_ != nullptr) out.push_back(looped_);
}

TSynapseGesture::TSynapseGesture(TProtoNeuronio* source, TProtoNeuronio* destination)
    : source_(source), destination_(destination) {
    if (source_ != nullptr) outBefore_ = source_->OutgoingSynapses().Count();
    if (destination_ != nullptr) inBefore_ = destination_->IncomingSynapses().Count();
    auto* neuron = dynamic_cast<TNeuronio*>(source_);
    loopBefore_ = neuron != nullptr && neuron->Loop();
}

std::unique_ptr<TSynapseCommand> TSynapseGesture::Command(TEditStack& stack) const {
    if (source_ == nullptr || destination_ == nullptr) return nullptr;
    const TListaSinapses& out = source_->OutgoingSynapses();
    const TListaSinapses& in = destination_->IncomingSynapses();
    if (out.Count() <= outBefore_) return nullptr;
    // The drawn synapse is the last of the source's list; a hidden synapse into or out of a
    // module, made with it, is the other new entry of either list.
    TSinapse* drawn = out.Item(out.Count() - 1);
    std::vector<TSinapse*> made;
    for (int i = inBefore_; i < in.Count(); ++i)
        if (in.Item(i) != drawn) made.push_back(in.Item(i));
    for (int i = outBefore_; i < out.Count(); ++i)
        if (out.Item(i) != drawn && std::find(made.begin(), made.end(), out.Item(i)) == made.end())
            made.push_back(out.Item(i));
    made.push_back(drawn);
    auto* neuron = dynamic_cast<TNeuronio*>(source_);
    TNeuronio* looped = neuron != nullptr && neuron->Loop() && !loopBefore_ ? neuron : nullptr;
    return std::make_unique<TSynapseCommand>(stack, std::move(made), looped);
}

// --- Info dialog Apply -----------------------------------------------------------------------

TApplyCommand::TApplyCommand(TEditStack& stack, TProtoNeuronio* element, TElementState before,
                             TElementState after)
    : TEditCommand(stack, QStringLiteral("Apply to ") + KindText(*element), true),
      element_(element), elementStates_{std::move(before), std::move(after)} {}

TApplyCommand::TApplyCommand(TEditStack& stack, TSinapse* synapse, TSynapseState before,
                             TSynapseState after)
    : TEditCommand(stack, QStringLiteral("Apply to synapse"), true),
      synapse_(synapse), synapseStates_{std::move(before), std::move(after)} {}

void TApplyCommand::Undo() {
    if (element_ != nullptr) elementStates_[0].ApplyTo(*element_);
    if (synapse_ != nullptr) synapseStates_[0].ApplyTo(*synapse_);
}

void TApplyCommand::Redo() {
    if (element_ != nullptr) elementStates_[1].ApplyTo(*element_);
    if (synapse_ != nullptr) synapseStates_[1].ApplyTo(*synapse_);
}

void TApplyCommand::Refs(std::vector<const void*>& out) const {
    if (element_ != nullptr) out.push_back(element_);
    if (synapse_ != nullptr) out.push_back(synapse_);
}

// --- watching -------------------------------------------------------------------------------

TWatchCommand::TWatchCommand(TEditStack& stack, TProtoNeuronio* element, bool watched)
    : TEditCommand(stack,
                   (watched ? QStringLiteral("Watch ") : QStringLiteral("Unwatch ")) +
                       KindText(*element),
                   false),
      element_(element), watched_(watched) {}

void TWatchCommand::Undo() {
    element_->SetWatched(!watched_);
}

void TWatchCommand::Redo() {
    element_->SetWatched(watched_);
}

void TWatchCommand::Refs(std::vector<const void*>& out) const {
    out.push_back(element_);
}

// --- module inner nets -----------------------------------------------------------------------

TInnerNetCommand::TInnerNetCommand(TEditStack& stack, const QString& text,
                                   std::unique_ptr<TInnerNetSwap> swap)
    : TEditCommand(stack, text, true), swap_(std::move(swap)) {}

void TInnerNetCommand::Undo() {
    if (!swap_->Revert()) Refuse();
}

void TInnerNetCommand::Redo() {
    if (!swap_->Apply()) Refuse();
}

void TInnerNetCommand::Refs(std::vector<const void*>& out) const {
    out.push_back(&swap_->Module());
    AddEnds(swap_->Border(), out);
}

} // namespace veltra
