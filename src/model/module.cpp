#include "model/module.h"

#include "model/netfileio.h"
#include "model/netwalk.h"
#include "model/protolista.h"
#include "storage/netfile.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace veltra {

TModule::TModule() : inner_(std::make_shared<TProtoLista>()) {
    inner_->AddHolder(this);
}

void TModule::Hold(std::shared_ptr<TProtoLista> list) {
    InvalidatePlan();
    if (inner_) inner_->RemoveHolder(this);
    inner_ = std::move(list);
    inner_->AddHolder(this);
}

// The inner list may outlive the module (a window showing it); nothing inside may then
// keep pointing at the outside elements the module was wired to, nor they at it.
TModule::~TModule() {
    // Told while the inside is still whole: whoever holds something inside lets go of it.
    std::shared_ptr<TProtoLista> keep;
    if (TProtoLista* list = NoticeList(keep))
        list->TellOutwards(
            [this](TNetObserver& o) { o.ElementLeaving(*this, TLeaving::Released); });
    DropBorderLinks();
    // A window showing the inner net lets go of the module.
    inner_->Notifier().Tell(
        [this](TNetObserver& o) { o.ElementLeaving(*this, TLeaving::Released); });
    // An inner net that lives on (a window shows it, or another module holds it too) is not
    // this module's any more. One that goes with the module tells the nets around as its
    // elements go, through what is left of the module (the list it stood in).
    if (inner_.use_count() > 1) inner_->RemoveHolder(this);
}

void TModule::Propagate() {
    inner_->PropagateAll();
}

TInfoTree::Node TModule::AddToTree(TInfoTree& tree, TInfoTree::Node parent) {
    const TInfoTree::Node node = tree.AddNode(parent, Label(), 8, this);
    AddCoordinatesToTree(tree, node);
    for (const auto& e : *inner_)
        e->AddToTree(tree, node);
    return node;
}

void TModule::ApplyInfo(const TInfoFields& fields, TCanvas& canvas) {
    ApplyName(fields);
    ApplyPosition(fields, canvas);
}

bool TModule::ConnectTo(TProtoNeuronio* destination, TInteraction& ui) {
    if (destination == nullptr || (destination->Kind() != TElementKind::Neuron &&
                                   destination->Kind() != TElementKind::Output))
        return false;
    const std::vector<TProtoNeuronio*> candidates = ListInner(false);
    TProtoNeuronio* chosen = ui.SelectInner(candidates);
    if (chosen == nullptr ||
        std::find(candidates.begin(), candidates.end(), chosen) == candidates.end())
        return false;
    ui.ShowMessage("Neuronio escolhido:" + chosen->Label());
    auto synapse = std::make_unique<TSinapse>();
    const std::string weight = ui.WeightText();
    synapse->SetWeightText(weight.empty() ? "0.0" : weight);
    synapse->SetUp(chosen, destination);
    TSinapse* raw = chosen->AddOutgoing(std::move(synapse));
    destination->AddIncoming(raw);
    raw->SetStartPoint({400, 400});
    raw->SetEndPoint({200, 200});
    raw->SetVisible(false);
    return true;
}

void TModule::SumInputs() {
    inner_->SumInputsAll();
}

void TModule::DiscardInput() noexcept {
    inner_->DiscardInputAll();
}

void TModule::Commit() {
    inner_->CommitAll();
}

bool TModule::SaveBody(TNetWriter& out) const {
    return WriteList(out, *inner_);
}

std::string ModuleDepthText() {
    return "Modulos encaixados a mais (limite " + std::to_string(MaxModuleDepth) + ")";
}

int NestingDepth(const TProtoLista& list) {
    int deepest = 0;
    VisitDeep(list, [&deepest](const TProtoNeuronio& e, int depth) {
        if (AsModule(&e) != nullptr) deepest = std::max(deepest, depth + 1);
    });
    return deepest;
}

int EnclosingDepth(const std::vector<const TProtoLista*>& roots, const TModule& module) {
    int most = 0;
    for (const TProtoLista* root : roots)
        if (root != nullptr)
            VisitDeep(*root, [&](const TProtoNeuronio& e, int depth) {
                if (&e == &module) most = std::max(most, depth);
            });
    return most;
}

namespace {
int Around(const TProtoLista& list, int counted) {
    // Past the limit the answer is too deep whatever follows (and a loop could not end).
    if (counted > MaxModuleDepth) return 0;
    int most = 0;
    for (const TProtoNeuronio* holder : list.Holders()) {
        std::shared_ptr<TProtoLista> keep;
        const TProtoLista* around = holder->NoticeList(keep);
        most = std::max(most, 1 + (around != nullptr ? Around(*around, counted + 1) : 0));
    }
    return most;
}

// The modules around an element, from the list it stands in (or stood in, while held out).
int DepthOf(const TProtoNeuronio& element) {
    std::shared_ptr<TProtoLista> keep;
    const TProtoLista* list = element.NoticeList(keep);
    return list != nullptr ? ListDepth(*list) : 0;
}
} // namespace

int ModulesAround(const TModule& module, TInteraction& ui) {
    return std::max(DepthOf(module), EnclosingDepth(ui.OpenNets(), module));
}

int ListDepth(const TProtoLista& list) {
    return Around(list, 0);
}

bool FitsDepth(const TProtoLista& list, int nesting) {
    return ListDepth(list) + nesting <= MaxModuleDepth;
}

int ElementNesting(const TProtoNeuronio& element) {
    if (element.Kind() != TElementKind::Module) return 0;
    return 1 + NestingDepth(static_cast<const TModule&>(element).InnerNet());
}

std::string TModule::LoadBody(TNetReader& in, int depth) {
    if (depth >= MaxModuleDepth) {
        return ModuleDepthText();
    }
    DropBorderLinks();
    Hold(std::make_shared<TProtoLista>());
    return ReadList(in, *inner_, depth + 1);
}

void TModule::Renumber(std::int32_t& counter) {
    TProtoNeuronio::Renumber(counter);
    inner_->RenumberAll(counter);
}

bool TModule::FinishLoad(TProtoLista& search, TProtoLista* outer, TInteraction& ui) {
    if (!TProtoNeuronio::FinishLoad(search, outer, ui)) return false;
    return inner_->FinishLoadAll(*inner_, &search, ui);
}

bool TModule::AttachGlyphs(TDados& document) {
    const bool inner = inner_->AttachGlyphsAll(document);
    const bool own = TProtoNeuronio::AttachGlyphs(document);
    return inner && own;
}

void TModule::AdjustPopupMenu(TElementMenu& menu) const {
    menu.SetItemVisible("&Load", true);
}

bool TModule::IsFinished() const {
    return inner_->AllFinished();
}

void TModule::Reset() {
    inner_->ResetAll();
}

bool TModule::MayTakeInnerNet(const std::shared_ptr<TProtoLista>& list, TInteraction& ui) {
    if (list->ContainsDeep(this)) {
        ui.ShowMessage(ModuleCycleText);
        return false;
    }
    // A net nested deeper than the reader accepts could be saved but never read back: counted
    // from the top of every net that holds this module.
    if (ModulesAround(*this, ui) + 1 + NestingDepth(*list) > MaxModuleDepth) {
        ui.ShowMessage(ModuleDepthText());
        return false;
    }
    return true;
}

bool TModule::SetInnerNet(std::shared_ptr<TProtoLista> list, TInteraction& ui) {
    if (!list) list = std::make_shared<TProtoLista>();
    if (list == inner_) return true;
    if (!MayTakeInnerNet(list, ui)) return false;
    DropBorderLinks();
    Hold(std::move(list));
    TellChanged(TChange::InnerNet);
    return true;
}

std::shared_ptr<TProtoLista> TModule::SwapInnerNet(std::shared_ptr<TProtoLista> list) {
    if (!list) list = std::make_shared<TProtoLista>();
    std::shared_ptr<TProtoLista> old = inner_;
    Hold(std::move(list));
    return old;
}

std::vector<TProtoNeuronio*> TModule::ListInner(bool neuronsOnly) const {
    std::vector<TProtoNeuronio*> result;
    for (const auto& e : *inner_) {
        const TElementKind kind = e->Kind();
        if (kind == TElementKind::Neuron || (!neuronsOnly && kind == TElementKind::Input))
            result.push_back(e.get());
    }
    return result;
}

std::vector<TSinapse*> TModule::BorderLinks() const {
    std::unordered_set<const TProtoNeuronio*> inside;
    TNetsSeen nets; // a net shared by two modules inside is walked once
    VisitDeep(std::as_const(*inner_), nets,
              [&inside](const TProtoNeuronio& e) { inside.insert(&e); });
    std::vector<TSinapse*> links;
    std::unordered_set<const TSinapse*> seen;
    for (const TProtoNeuronio* e : inside) {
        for (TSinapse* s : e->IncomingSynapses())
            if (s->Source() != nullptr && !inside.count(s->Source()) && seen.insert(s).second)
                links.push_back(s);
        for (TSinapse* s : e->OutgoingSynapses())
            if (s->Destination() != nullptr && !inside.count(s->Destination()) &&
                seen.insert(s).second)
                links.push_back(s);
    }
    return links;
}

void TModule::DropBorderLinks() {
    for (TSinapse* s : BorderLinks())
        s->Source()->ReleaseOutgoing(s);
}

} // namespace veltra
