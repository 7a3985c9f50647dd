#include "model/netedit.h"

#include "model/canvas.h"
#include "model/module.h"
#include "model/outputs.h"
#include "model/protolista.h"
#include "storage/netfile.h"

#include <algorithm>
#include <iterator>
#include <sstream>
#include <unordered_set>

namespace veltra {

TDetachedSynapses::~TDetachedSynapses() = default;

void TDetachedSynapses::Detach(const std::vector<TSinapse*>& synapses) {
    std::unordered_set<const TSinapse*> taken;
    for (TSinapse* s : synapses) {
        if (s == nullptr || s->Source() == nullptr || !taken.insert(s).second) continue;
        TEntry entry;
        entry.source = s->Source();
        entry.synapse = entry.source->TakeOutgoing(s, entry.outIndex, entry.inIndex);
        if (entry.synapse) entries_.push_back(std::move(entry));
    }
}

void TDetachedSynapses::Restore() {
    while (!entries_.empty()) {
        TEntry entry = std::move(entries_.back());
        entries_.pop_back();
        entry.source->PutBackOutgoing(std::move(entry.synapse), entry.outIndex, entry.inIndex);
    }
}

std::vector<const TProtoNeuronio*> TDetachedSynapses::Ends() const {
    std::vector<const TProtoNeuronio*> ends;
    for (const TEntry& e : entries_) {
        ends.push_back(e.source);
        if (e.synapse->Destination() != nullptr) ends.push_back(e.synapse->Destination());
    }
    return ends;
}

std::vector<TSinapse*> SynapsesOf(const TProtoNeuronio& element) {
    // Each list last entry first: the lists are searched from the back, so taking a hub's many
    // synapses out (and putting them back) stays linear.
    const TListaSinapses& out = element.OutgoingSynapses();
    const TListaSinapses& in = element.IncomingSynapses();
    std::vector<TSinapse*> synapses(std::make_reverse_iterator(out.end()),
                                    std::make_reverse_iterator(out.begin()));
    // A self-loop stands in both lists; it is taken once.
    for (int i = in.Count() - 1; i >= 0; --i)
        if (in.Item(i)->Source() != &element) synapses.push_back(in.Item(i));
    if (element.Kind() == TElementKind::Module) {
        std::vector<TSinapse*> border = static_cast<const TModule&>(element).BorderLinks();
        const std::unordered_set<const TSinapse*> own(synapses.begin(), synapses.end());
        for (TSinapse* s : border)
            if (!own.count(s)) synapses.push_back(s);
    }
    return synapses;
}

TElementPlace::TElementPlace(std::shared_ptr<TProtoLista> list, TProtoNeuronio* element)
    : list_(std::move(list)), element_(element) {}

TElementPlace::~TElementPlace() {
    // A module released here may share its inner net with a window or another module: the
    // synapses across its border were taken out with it, and those made since belong to the
    // others, so the inner net is let go without the module dropping any of them.
    if (owned_ && owned_->Kind() == TElementKind::Module)
        static_cast<TModule&>(*owned_).SwapInnerNet(nullptr);
}

void TElementPlace::Detach() {
    if (owned_) return;
    synapses_.Detach(SynapsesOf(*element_));
    index_ = list_->IndexOf(element_);
    owned_ = list_->Take(element_);
    if (!owned_) synapses_.Restore(); // not in the list: nothing is changed
}

void TElementPlace::Restore() {
    if (!owned_) return;
    list_->Insert(index_, std::move(owned_));
    synapses_.Restore();
}

TElementSpot SpotOf(const TProtoLista& list, const TProtoNeuronio& element) {
    return {list.IndexOf(&element), element.GetPosition().x, element.GetPosition().y};
}

void PutAt(TProtoLista& list, TProtoNeuronio& element, const TElementSpot& spot) {
    if (list.IndexOf(&element) != spot.index)
        if (auto taken = list.Take(&element)) list.Insert(spot.index, std::move(taken));
    TNullCanvas canvas; // the windows paint again from the net afterwards
    element.MoveTopLeftTo(canvas, spot.x, spot.y);
}

TElementState TElementState::Of(const TProtoNeuronio& element) {
    TElementState state;
    state.label_ = element.Label();
    state.x_ = element.GetPosition().x;
    state.y_ = element.GetPosition().y;
    if (element.Kind() != TElementKind::Module) {
        std::ostringstream out;
        TNetWriter writer(out);
        element.SaveBody(writer);
        state.body_ = out.str();
    }
    if (element.Kind() == TElementKind::Output)
        state.log_ = static_cast<const TOutputs&>(element).ValueLog();
    return state;
}

void TElementState::ApplyTo(TProtoNeuronio& element) const {
    element.SetLabel(label_);
    TNullCanvas canvas;
    element.MoveTopLeftTo(canvas, x_, y_);
    if (element.Kind() != TElementKind::Module) {
        std::istringstream in(body_);
        TNetReader reader(in);
        element.LoadBody(reader, 0); // the lines this kind wrote itself read back whole
    }
    if (log_ && element.Kind() == TElementKind::Output) {
        auto& output = static_cast<TOutputs&>(element);
        output.RestoreLog(*log_);
    }
}

bool TElementState::operator==(const TElementState& other) const {
    return label_ == other.label_ && x_ == other.x_ && y_ == other.y_ && body_ == other.body_ &&
           log_ == other.log_;
}

TSynapseState TSynapseState::Of(TSinapse& synapse) {
    TSynapseState state;
    state.name_ = synapse.Name();
    state.weight_ = synapse.Weight().ToText();
    return state;
}

void TSynapseState::ApplyTo(TSinapse& synapse) const {
    synapse.SetName(name_);
    synapse.SetWeightText(weight_);
}

bool TSynapseState::operator==(const TSynapseState& other) const {
    return name_ == other.name_ && weight_ == other.weight_;
}

TInnerNetSwap::TInnerNetSwap(TModule& module, std::shared_ptr<TProtoLista> list)
    : module_(module), other_(list ? std::move(list) : std::make_shared<TProtoLista>()) {}

void TInnerNetSwap::Apply() {
    border_.Detach(module_.BorderLinks());
    other_ = module_.SwapInnerNet(std::move(other_));
}

void TInnerNetSwap::Revert() {
    other_ = module_.SwapInnerNet(std::move(other_));
    border_.Restore();
}

} // namespace veltra
