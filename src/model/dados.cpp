#include "model/dados.h"

#include "model/canvas.h"
#include "model/module.h"
#include "model/netedit.h"
#include "model/netfileio.h"
#include "model/neuronio.h"
#include "storage/netfile.h"

#include <istream>
#include <unordered_set>

namespace veltra {

namespace {
// The lists documents show, once per document (the GUI thread's alone).
std::unordered_multiset<const TProtoLista*>& DocumentNets() {
    static std::unordered_multiset<const TProtoLista*> nets;
    return nets;
}
void Unlist(const TProtoLista* list) {
    auto& nets = DocumentNets();
    if (auto it = nets.find(list); it != nets.end()) nets.erase(it);
}
} // namespace

TDados::TDados(TInteraction* ui) : ui_(ui != nullptr ? ui : &silent_) {
    Observe(net_.Elements());
    DocumentNets().insert(&net_.Elements());
}

TDados::~TDados() {
    StopObservingAll();
    Unlist(&net_.Elements()); // the net goes (or is only some module's inner net) from here on
}

void TDados::SetElements(std::shared_ptr<TProtoLista> list) {
    StopObserving(net_.Elements());
    Unlist(&net_.Elements());
    net_.SetElements(std::move(list));
    Observe(net_.Elements());
    DocumentNets().insert(&net_.Elements());
}

bool TDados::IsDocumentNet(const TProtoLista& list) {
    return DocumentNets().count(&list) > 0;
}

void TDados::ElementLeaving(const TProtoNeuronio& element, TLeaving how) {
    // Taken out by an edit, the window showing the gesture ends it (putting a moved group
    // back where the move began); released, nothing is left to put back.
    if (how == TLeaving::Released && &element == dragElement) {
        dragElement = nullptr;
        dragState = TDragState::None;
        pendingSynapse.reset();
    }
}

void TDados::SetInteraction(TInteraction* ui) {
    ui_ = ui != nullptr ? ui : &silent_;
}

void TDados::Remove(TProtoNeuronio* element, TCanvas& canvas) {
    ForgetGesture(element);
    net_.Remove(element, canvas);
}

void TDados::ForgetGesture(const TProtoNeuronio* element) {
    if (element == nullptr) return;
    if (dragElement == element) {
        dragElement = nullptr;
        dragState = TDragState::None;
    }
    if (pendingSynapse && pendingSynapse->Source() == element) pendingSynapse.reset();
}

bool TDados::Save(std::ostream& out) {
    return net_.Save(out);
}

std::string TDados::Load(std::istream& in, TReadFailure* failure) {
    // What was read before a failure stays and is finished like a whole net.
    const std::string errorText = net_.Load(in, failure);
    TProtoLista& list = net_.Elements();
    list.AttachGlyphsAll(*this);
    TIdIndexScope index(list);
    const bool resolved = list.FinishLoadAll(list, nullptr, *ui_);
    if (!errorText.empty()) return errorText;
    return resolved ? std::string() : std::string(UnresolvedSynapseText);
}

std::string TDados::LoadModuleFile(TModule& module, std::istream& in,
                                   std::unique_ptr<TInnerNetSwap>* swap, TReadFailure* failure) {
    TNetReader reader(in);
    std::string header;
    reader.ReadLine(header); // the net header line, not compared
    auto inner = std::make_shared<TProtoLista>();
    // Read at the depth where it will stand, so that the reader refuses modules nested deeper
    // than it would accept in the whole net (counted from the top of every net holding it).
    const std::string errorText = ReadList(reader, *inner, ModulesAround(module, *ui_) + 1);
    if (!errorText.empty() && failure != nullptr) *failure = reader.Failure();
    // Too deep: nothing of it is taken, the module keeps its inner net.
    if (errorText == ModuleDepthText()) return errorText;
    // A fresh list can never hold the module itself, nor nest too deeply now.
    if (swap == nullptr) {
        module.SetInnerNet(std::move(inner), *ui_);
    } else if (module.MayTakeInnerNet(inner, *ui_)) {
        *swap = std::make_unique<TInnerNetSwap>(module, std::move(inner));
        (*swap)->Apply();
    }
    if (!errorText.empty()) return errorText;
    return FinishModule(module);
}

std::string TDados::FinishModule(TModule& module) {
    if (!module.InnerNet().AttachGlyphsAll(*this)) return "Erro a finalizacao dos bitmaps";
    TIdIndexScope index(module.InnerNet());
    if (!module.FinishLoad(module.InnerNet(), nullptr, *ui_)) return "Erro a finalizacao";
    return {};
}

void TDados::BeginSynapse(TProtoNeuronio* source, TPoint at, TCanvas& canvas) {
    dragState = TDragState::Drawing;
    dragElement = source;
    dragStart = at;
    pendingSynapse = std::make_unique<TSinapse>();
    pendingSynapse->SetStartPoint(at);
    pendingSynapse->SetUp(source, source);
    pendingSynapse->DrawRubberBand(canvas);
}

void TDados::DragSynapse(TCanvas& canvas, int x, int y) {
    if (pendingSynapse) pendingSynapse->MoveRubberBand(canvas, x, y);
}

TSinapse* TDados::EndSynapse(TCanvas& canvas, int x, int y) {
    // Whatever happens below (a weight text that is not a number throws), the gesture ends.
    std::unique_ptr<TSinapse> synapse = std::move(pendingSynapse);
    TProtoNeuronio* source = dragElement;
    dragState = TDragState::None;
    dragElement = nullptr;
    if (!synapse || source == nullptr) return nullptr;
    TProtoNeuronio* destination = ElementAt(x, y);
    synapse->DrawRubberBand(canvas);
    const std::string weight = ui_->WeightText();
    // A typed weight that is not a number is refused, never quietly taken as 0.
    synapse->SetWeight(ReadTypedNumber(weight.empty() ? "0.0" : weight));
    if (!source->ConnectTo(destination, *ui_)) return nullptr;
    synapse->SetUp(source, destination);
    if (destination->Kind() == TElementKind::Output) synapse->SetWeightText("1");
    TSinapse* raw = source->AddOutgoing(std::move(synapse));
    if (destination == source && source->Kind() == TElementKind::Neuron)
        static_cast<TNeuronio*>(source)->SetLoop(true);
    destination->AddIncoming(raw);
    raw->Draw(canvas, TPenMode::NotXor);
    return raw;
}

} // namespace veltra
