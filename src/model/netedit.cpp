#include "model/netedit.h"

#include "model/canvas.h"
#include "model/module.h"
#include "model/netwalk.h"
#include "model/outputs.h"
#include "model/protolista.h"
#include "storage/netfile.h"

#include <algorithm>
#include <iterator>
#include <sstream>
#include <unordered_set>
#include <utility>

namespace veltra {

namespace {
// The elements that edits hold out of their lists (erased, or placed and undone), and the
// modules among them. A window on a module's inner net has a stack of its own, so one stack
// may take out an element that a synapse kept by another stack joins; that synapse must then
// stay out.
std::unordered_set<const TProtoNeuronio*>& HeldOut() {
    static std::unordered_set<const TProtoNeuronio*> elements;
    return elements;
}
std::unordered_set<const TModule*>& ModulesHeldOut() {
    static std::unordered_set<const TModule*> modules;
    return modules;
}
void HoldOut(const TProtoNeuronio* element, bool out) {
    const TModule* module = AsModule(element);
    if (out) {
        HeldOut().insert(element);
        if (module != nullptr) ModulesHeldOut().insert(module);
    } else {
        HeldOut().erase(element);
        if (module != nullptr) ModulesHeldOut().erase(module);
    }
}
} // namespace

TDetachedSynapses::~TDetachedSynapses() {
    // The nets the synapses were taken from (while they live) hear that they go for good; the
    // ends themselves may be gone already.
    for (const TEntry& e : entries_) {
        if (!e.synapse) continue;
        const TSinapse& s = *e.synapse;
        std::shared_ptr<TProtoLista> first = e.homes[0].lock();
        std::shared_ptr<TProtoLista> second = e.homes[1].lock();
        const auto notice = [&s](TNetObserver& o) { o.SynapseLeaving(s, TLeaving::Released); };
        if (first) first->TellOutwards(notice);
        if (second && second != first) second->TellOutwards(notice);
    }
}

namespace {
std::weak_ptr<TProtoLista> HomeOf(const TProtoNeuronio* element) {
    std::shared_ptr<TProtoLista> keep;
    TProtoLista* list = element != nullptr ? element->NoticeList(keep) : nullptr;
    return list != nullptr ? list->weak_from_this() : std::weak_ptr<TProtoLista>();
}
} // namespace

void TDetachedSynapses::Detach(const std::vector<TSinapse*>& synapses) {
    std::unordered_set<const TSinapse*> taken;
    for (TSinapse* s : synapses) {
        if (s == nullptr || s->Source() == nullptr || !taken.insert(s).second) continue;
        TEntry entry;
        entry.source = s->Source();
        entry.homes[0] = HomeOf(s->Destination());
        entry.homes[1] = HomeOf(s->Source());
        entry.synapse = entry.source->TakeOutgoing(s, entry.outIndex, entry.inIndex);
        if (entry.synapse) entries_.push_back(std::move(entry));
    }
}

bool TDetachedSynapses::MayRestore() const {
    const auto& out = HeldOut();
    if (out.empty()) return true;
    for (const TEntry& e : entries_)
        if (out.count(e.source) || out.count(e.synapse->Destination())) return false;
    return true;
}

bool TDetachedSynapses::Restore() {
    if (!MayRestore()) return false;
    while (!entries_.empty()) {
        TEntry entry = std::move(entries_.back());
        entries_.pop_back();
        entry.source->PutBackOutgoing(std::move(entry.synapse), entry.outIndex, entry.inIndex);
    }
    return true;
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
    if (const TModule* module = AsModule(&element)) {
        std::vector<TSinapse*> border = module->BorderLinks();
        const std::unordered_set<const TSinapse*> own(synapses.begin(), synapses.end());
        for (TSinapse* s : border)
            if (!own.count(s)) synapses.push_back(s);
    }
    return synapses;
}

TElementPlace::TElementPlace(std::shared_ptr<TProtoLista> list, TProtoNeuronio* element)
    : list_(std::move(list)), element_(element) {}

TElementPlace::~TElementPlace() {
    if (owned_) HoldOut(element_, false);
    // A module released here may share its inner net with a window or another module: the
    // synapses across its border were taken out with it, and those made since belong to the
    // others, so the inner net is let go without the module dropping any of them.
    if (TModule* held = AsModule(owned_.get())) {
        TModule& module = *held;
        // A window on the inner net hears that the module goes for good.
        module.InnerNet().Notifier().Tell(
            [&module](TNetObserver& o) { o.ElementLeaving(module, TLeaving::Released); });
        module.SwapInnerNet(nullptr);
    }
}

void TElementPlace::Detach() {
    if (owned_) return;
    synapses_.Detach(SynapsesOf(*element_));
    owned_ = list_->Take(element_, &index_);
    if (owned_)
        HoldOut(element_, true);
    else
        synapses_.Restore(); // not in the list: nothing is changed
}

bool TElementPlace::Restore() {
    if (!owned_) return true;
    // The list may have come to stand deeper meanwhile (given to a module as its inner net).
    if (!FitsDepth(*list_, ElementNesting(*element_))) return false;
    HoldOut(element_, false);
    if (!synapses_.MayRestore() || CrossesHeldOutBorder()) {
        HoldOut(element_, true);
        return false;
    }
    list_->Insert(index_, std::move(owned_));
    synapses_.Restore();
    return true;
}

bool TElementPlace::CrossesHeldOutBorder() const {
    bool insideHeldOut = false;
    for (const TModule* m : ModulesHeldOut())
        if (m->SharedInnerNet() == list_) insideHeldOut = true;
    if (!insideHeldOut || synapses_.Empty()) return false;
    std::unordered_set<const TProtoNeuronio*> inside{element_};
    VisitDeep(std::as_const(*list_), [&inside](const TProtoNeuronio& e) { inside.insert(&e); });
    for (const TProtoNeuronio* end : synapses_.Ends())
        if (!inside.count(end)) return true;
    return false;
}

TElementSpot SpotOf(const TProtoLista& list, const TProtoNeuronio& element) {
    return {list.IndexOf(&element), element.GetPosition().x, element.GetPosition().y};
}

void PutAt(TProtoLista& list, TProtoNeuronio& element, const TElementSpot& spot) {
    if (list.IndexOf(&element) != spot.index) list.Move(&element, spot.index);
    TNullCanvas canvas; // the windows paint again from the net afterwards
    element.MoveTopLeftTo(canvas, spot.x, spot.y);
    element.TellChanged(TChange::Look);
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
    element.TellChanged(TChange::Content);
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
    TellAboutSynapse(synapse, [&synapse](TNetObserver& o) { o.SynapseChanged(synapse); });
}

bool TSynapseState::operator==(const TSynapseState& other) const {
    return name_ == other.name_ && weight_ == other.weight_;
}

TInnerNetSwap::TInnerNetSwap(TModule& module, std::shared_ptr<TProtoLista> list)
    : module_(module), other_(list ? std::move(list) : std::make_shared<TProtoLista>()) {}

bool TInnerNetSwap::Fits() const {
    std::shared_ptr<TProtoLista> keep;
    const TProtoLista* around = module_.NoticeList(keep);
    return around == nullptr || FitsDepth(*around, 1 + NestingDepth(*other_));
}

bool TInnerNetSwap::Apply() {
    if (!Fits()) return false;
    border_.Detach(module_.BorderLinks());
    other_ = module_.SwapInnerNet(std::move(other_));
    module_.TellChanged(TChange::InnerNet);
    return true;
}

bool TInnerNetSwap::Revert() {
    if (!border_.MayRestore() || !Fits()) return false;
    other_ = module_.SwapInnerNet(std::move(other_));
    border_.Restore();
    module_.TellChanged(TChange::InnerNet);
    return true;
}

} // namespace veltra
