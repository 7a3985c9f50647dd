#include "model/protoneuronio.h"

#include "model/canvas.h"
#include "model/dados.h"
#include "model/module.h"
#include "model/netfileio.h"
#include "model/neuronio.h"
#include "model/protolista.h"
#include "model/stepplan.h"
#include "storage/netfile.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace veltra {

const TInfinito& ZeroValue() {
    static const TInfinito zero("0");
    return zero;
}

const TInfinito& OneValue() {
    static const TInfinito one("1");
    return one;
}

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

bool IsValidLabel(std::string_view label) {
    return label.find('\n') == std::string_view::npos;
}

bool ReadInteger(const std::string& text, std::int32_t& value) {
    std::string_view t = text;
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
        t.remove_suffix(1);
    return ParseInteger(t, value);
}

bool ReadFileNumber(TNetReader& in, TInfinito& number, const std::string& text) {
    try {
        number = ReadTypedNumber(text);
        return true;
    } catch (const std::length_error& error) {
        in.Refuse(error.what());
    } catch (const std::exception&) {
        in.Refuse(InvalidNumberText(text));
    }
    return false;
}

TProtoNeuronio::TProtoNeuronio() = default;

TProtoNeuronio::~TProtoNeuronio() {
    // The plan holding its values forgets it first (and is made again before the next step).
    if (plan_ != nullptr) plan_->Forget(planIndex_);
    // Whoever holds the element or one of its synapses lets go before anything goes.
    // (The incoming ones tell as their sources release them.)
    for (const TSinapse* s : outgoing_)
        TellAboutSynapse(*s, [s](TNetObserver& o) { o.SynapseLeaving(*s, TLeaving::Released); });
    std::shared_ptr<TProtoLista> keep;
    if (TProtoLista* list = NoticeList(keep))
        list->TellOutwards(
            [this](TNetObserver& o) { o.ElementLeaving(*this, TLeaving::Released); });
    // Copies: releasing changes the lists being walked.
    const std::vector<TSinapse*> incoming(incoming_.begin(), incoming_.end());
    for (TSinapse* s : incoming)
        if (s->Source() != nullptr && s->Source() != this) s->Source()->ReleaseOutgoing(s);
    for (TSinapse* s : outgoing_)
        if (s->Destination() != nullptr && s->Destination() != this)
            s->Destination()->incoming_.Remove(s);
}

TProtoLista* TProtoNeuronio::NoticeList(std::shared_ptr<TProtoLista>& keep) const {
    if (owner_ != nullptr) return owner_;
    keep = home_.lock();
    return keep.get();
}

void TProtoNeuronio::TellChanged(TChange what) {
    std::shared_ptr<TProtoLista> keep;
    if (TProtoLista* list = NoticeList(keep))
        list->TellOutwards([this, what](TNetObserver& o) { o.ElementChanged(*this, what); });
}

void TProtoNeuronio::InvalidatePlan() const {
    if (plan_ != nullptr) plan_->Invalidate();
}

void TProtoNeuronio::SetWatched(bool watched) {
    if (watched_ == watched) return;
    watched_ = watched;
    TellChanged(TChange::Look);
}

void TProtoNeuronio::Setup(int x, int y, int imageGlyph, int maskGlyph, std::int32_t labelNumber) {
    x_ = x;
    y_ = y;
    imageGlyph_ = imageGlyph;
    maskGlyph_ = maskGlyph;
    hintShown_ = false;
    label_ = std::to_string(labelNumber);
}

void TProtoNeuronio::Draw(TCanvas& canvas) const {
    DrawOutgoing(canvas);
    DrawGlyph(canvas);
}

void TProtoNeuronio::DrawInRect(const TRect& rect, TCanvas& canvas) const {
    // In 64 bits: a box at the end of the coordinate range must not wrap round.
    const std::int64_t x = x_;
    const std::int64_t y = y_;
    if (rect.right >= x && x + Width() >= rect.left && y + Height() >= rect.top && rect.bottom >= y)
        Draw(canvas);
}

void TProtoNeuronio::DrawGlyph(TCanvas& canvas) const {
    canvas.DrawGlyph(Kind(), x_, y_);
}

void TProtoNeuronio::DrawOutgoing(TCanvas& canvas) const {
    for (const TSinapse* s : outgoing_)
        s->Draw(canvas, TPenMode::NotXor);
}

namespace {
thread_local std::size_t gSentWork = 0;
} // namespace

void TProtoNeuronio::Propagate() {
    if (Kind() == TElementKind::Output) return;
    const TInfinito& value = GetValue();
    // A zero test by value ("-0" too) that leaves the sender's own number as it is.
    if (value.IsZero()) return;
    Send(value);
}

void TProtoNeuronio::Send(const TInfinito& value) {
    // Counted per sender rather than per product, which small nets would pay for: a weight of
    // more than one group is rare.
    gSentWork += std::size_t(value.GroupCount()) * std::size_t(outgoing_.Count());
    // FireAll, with the value fetched once for all the synapses that start here.
    for (const TSinapse* s : outgoing_) {
        if (s->Source() != this) {
            s->Fire();
        } else if (s->ToNeuron()) {
            // A direct call: the class is final.
            static_cast<TNeuronio*>(s->Destination())->AddWeighted(s->Weight(), value);
        } else if (TProtoNeuronio* receiver = s->Receiver()) {
            receiver->AddWeighted(s->Weight(), value);
        }
    }
}

std::size_t TProtoNeuronio::TakeSentWork() noexcept {
    return std::exchange(gSentWork, 0);
}

TInfoTree::Node TProtoNeuronio::AddToTree(TInfoTree& tree, TInfoTree::Node parent) {
    const TInfoTree::Node node = tree.AddNode(parent, label_, KindInfo(Kind()).imageIndex, this);
    if (!incoming_.Empty()) incoming_.AddToTree(tree, tree.AddNode(node, "pre synapses ", 4));
    if (!outgoing_.Empty()) outgoing_.AddToTree(tree, tree.AddNode(node, "pos synapses ", 4));
    // A long value is shortened, from its ends alone.
    tree.AddNode(node, "potential = " + ListedForm(ValueTextEnds(ListedAsk, ListedAsk)), -1);
    AddCoordinatesToTree(tree, node);
    return node;
}

void TProtoNeuronio::AddCoordinatesToTree(TInfoTree& tree, TInfoTree::Node parent) const {
    const TInfoTree::Node coordinates = tree.AddNode(parent, "coordinates", 6);
    tree.AddNode(tree.AddNode(coordinates, "x", 7), std::to_string(x_), -1);
    tree.AddNode(tree.AddNode(coordinates, "y", 7), std::to_string(y_), -1);
}

void TProtoNeuronio::ApplyInfo(const TInfoFields&, TCanvas&) {}

void TProtoNeuronio::SetLabel(std::string label) {
    if (!IsValidLabel(label)) throw EInvalidLabel();
    label_ = std::move(label);
}

void TProtoNeuronio::ApplyName(const TInfoFields& fields) {
    if (!IsBlank(fields.name)) SetLabel(fields.name);
}

void TProtoNeuronio::ApplyPosition(const TInfoFields& fields, TCanvas& canvas) {
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (ReadInteger(fields.x, x) && ReadInteger(fields.y, y)) MoveTopLeftTo(canvas, x, y);
}

void TProtoNeuronio::DropLinksTo(TProtoNeuronio* erased, TCanvas& canvas) {
    const std::vector<TSinapse*> incoming(incoming_.begin(), incoming_.end());
    for (TSinapse* s : incoming) {
        if (s->Source() == erased && s->Destination() != erased) {
            s->Erase(canvas);
            erased->ReleaseOutgoing(s);
        } else if (s->Source() == erased && s->Destination() == erased) {
            // A self-loop of the erased element: released once, from its outgoing list.
            incoming_.Remove(s);
        }
    }
    const std::vector<TSinapse*> outgoing(outgoing_.begin(), outgoing_.end());
    for (TSinapse* s : outgoing) {
        if (s->Destination() == erased) {
            s->Erase(canvas);
            ReleaseOutgoing(s);
        }
    }
}

bool TProtoNeuronio::ConnectTo(TProtoNeuronio*, TInteraction&) {
    return false;
}

bool TProtoNeuronio::ConnectIntoModule(TProtoNeuronio* destination, TInteraction& ui) {
    const TModule* module = AsModule(destination);
    if (module == nullptr) return false;
    std::vector<TProtoNeuronio*> candidates;
    for (const auto& e : module->InnerNet())
        if (e->Kind() == TElementKind::Neuron) candidates.push_back(e.get());
    TProtoNeuronio* chosen = ui.SelectInner(candidates);
    if (chosen == nullptr ||
        std::find(candidates.begin(), candidates.end(), chosen) == candidates.end())
        return false;
    ui.ShowMessage("Input escolhido:" + chosen->Label());
    auto synapse = std::make_unique<TSinapse>();
    const std::string weight = ui.WeightText();
    synapse->SetWeightText(weight.empty() ? "0.0" : weight);
    synapse->SetUp(this, chosen);
    TSinapse* raw = synapse.get();
    chosen->AddIncoming(raw);
    AddOutgoing(std::move(synapse));
    raw->SetStartPoint({0, 0});
    raw->SetEndPoint({0, 0});
    raw->SetVisible(false);
    return true;
}

void TProtoNeuronio::AddInput(const TInfinito&) {}

void TProtoNeuronio::AddWeighted(const TInfinito& weight, const TInfinito& value) {
    AddInput(TInfinito::Multiply(weight, value));
}

const TInfinito& TProtoNeuronio::GetValue() const {
    return ZeroValue();
}

void TProtoNeuronio::SetValue(TInfinito) {}

std::string TProtoNeuronio::ValueText() const {
    return "0";
}

TTextEnds TProtoNeuronio::ValueTextEnds(std::size_t head, std::size_t tail) const {
    return TextEndsOf(ValueText(), head, tail, TTextEnds::TUnit::Digits);
}

void TProtoNeuronio::Commit() {}

void TProtoNeuronio::Renumber(std::int32_t& counter) {
    id_ = counter++;
}

bool TProtoNeuronio::FinishLoad(TProtoLista& search, TProtoLista* outer, TInteraction& ui) {
    for (TSinapse* s : outgoing_) {
        // Only synapses read from a file wait for their destination; resolving a drawn
        // one again would attach it twice.
        if (s->Destination() != nullptr) continue;
        TProtoNeuronio* destination = search.ElementById(s->DestinationId());
        if (destination == nullptr && outer != nullptr)
            destination = outer->ElementById(s->DestinationId());
        if (destination == nullptr) {
            ui.ShowMessage("FinishLoad - neuronio nao encontrado");
            return false;
        }
        s->SetDestination(destination);
        s->SetStartPoint(Centre());
        s->SetEndPoint(destination->GetPosition());
        destination->AddIncoming(s);
    }
    return true;
}

bool TProtoNeuronio::AttachGlyphs(TDados& document) {
    const int index = GlyphIndex(Kind());
    if (!document.HasGlyph(index) || !document.HasGlyph(index + 1)) return false;
    imageGlyph_ = index;
    maskGlyph_ = index + 1;
    return true;
}

void TProtoNeuronio::AdjustPopupMenu(TElementMenu& menu) const {
    menu.SetItemVisible("&Load", false);
}

bool TProtoNeuronio::IsFinished() const {
    return true;
}

void TProtoNeuronio::Reset() {}

bool TProtoNeuronio::Contains(int px, int py) const {
    const std::int64_t x = x_;
    const std::int64_t y = y_;
    return x < px && px < x + Width() && y < py && py < y + Height();
}

TSinapse* TProtoNeuronio::AddOutgoing(std::unique_ptr<TSinapse> synapse) {
    InvalidatePlan();
    if (synapse->Destination() != nullptr) synapse->Destination()->InvalidatePlan();
    if (!synapse->IsSelfLoop()) synapse->SetStartPoint(Centre());
    return outgoing_.Append(std::move(synapse));
}

void TProtoNeuronio::AddIncoming(TSinapse* synapse) {
    if (!synapse->IsSelfLoop()) {
        synapse->SetEndPoint(Centre());
        if (HasOutgoingTo(synapse->Source())) synapse->SetPair(true);
    }
    InvalidatePlan();
    incoming_.Append(synapse);
    TellAboutSynapse(*synapse, [synapse](TNetObserver& o) { o.SynapseAdded(*synapse); });
}

bool TProtoNeuronio::HasOutgoingTo(const TProtoNeuronio* element) const {
    return std::any_of(outgoing_.begin(), outgoing_.end(),
                       [element](const TSinapse* s) { return s->Destination() == element; });
}

void TProtoNeuronio::ReleaseOutgoing(TSinapse* synapse) {
    if (!outgoing_.Contains(synapse)) return;
    InvalidatePlan();
    if (synapse->Destination() != nullptr) synapse->Destination()->InvalidatePlan();
    TellAboutSynapse(
        *synapse, [synapse](TNetObserver& o) { o.SynapseLeaving(*synapse, TLeaving::Released); });
    if (synapse->Destination() != nullptr) synapse->Destination()->incoming_.Remove(synapse);
    outgoing_.Remove(synapse);
}

std::unique_ptr<TSinapse> TProtoNeuronio::TakeOutgoing(const TSinapse* synapse, int& outIndex,
                                                       int& inIndex) {
    outIndex = outgoing_.IndexOf(synapse);
    inIndex = -1;
    if (outIndex < 0) return nullptr;
    InvalidatePlan();
    if (synapse->Destination() != nullptr) synapse->Destination()->InvalidatePlan();
    TellAboutSynapse(
        *synapse, [synapse](TNetObserver& o) { o.SynapseLeaving(*synapse, TLeaving::TakenOut); });
    if (TProtoNeuronio* destination = synapse->Destination()) {
        inIndex = destination->incoming_.IndexOf(synapse);
        if (inIndex >= 0) destination->incoming_.Take(synapse);
    }
    return outgoing_.Take(synapse);
}

TSinapse* TProtoNeuronio::PutBackOutgoing(std::unique_ptr<TSinapse> synapse, int outIndex,
                                          int inIndex) {
    TSinapse* raw = synapse.get();
    InvalidatePlan();
    if (raw->Destination() != nullptr) raw->Destination()->InvalidatePlan();
    outgoing_.Insert(outIndex, raw, std::move(synapse));
    if (inIndex >= 0 && raw->Destination() != nullptr)
        raw->Destination()->incoming_.Insert(inIndex, raw);
    TellAboutSynapse(*raw, [raw](TNetObserver& o) { o.SynapseAdded(*raw); });
    return raw;
}

void TProtoNeuronio::MoveTo(TCanvas& canvas, int px, int py) {
    MoveBoxTo(canvas, ShiftCoordinate(px, -(Width() / 2)), ShiftCoordinate(py, -(Height() / 2)),
              {px, py});
}

void TProtoNeuronio::MoveTopLeftTo(TCanvas& canvas, int x, int y) {
    // Straight to the corner: going through the centre could overflow at the range's end.
    MoveBoxTo(canvas, x, y, {ShiftCoordinate(x, Width() / 2), ShiftCoordinate(y, Height() / 2)});
}

void TProtoNeuronio::MoveBoxTo(TCanvas& canvas, int x, int y, TPoint centre) {
    for (const TSinapse* s : incoming_)
        if (!s->IsSelfLoop()) s->Erase(canvas);
    canvas.Invalidate(GlyphBox());
    for (const TSinapse* s : outgoing_)
        s->Erase(canvas);
    x_ = x;
    y_ = y;
    for (TSinapse* s : outgoing_)
        s->SetStartPoint(centre);
    for (TSinapse* s : incoming_) {
        if (s->IsSelfLoop()) continue;
        s->SetEndPoint(centre);
        s->Draw(canvas, TPenMode::NotXor);
    }
    canvas.Invalidate(GlyphBox());
    DrawOutgoing(canvas);
}

std::string TProtoNeuronio::HintText() const {
    std::string text = "Label:" + label_;
    if (Kind() != TElementKind::Module) text += "  Value=" + ValueText();
    return text;
}

} // namespace veltra

namespace veltra {

std::string TProtoNeuronio::LoadHeader(TNetReader& in) {
    std::string value;
    if (!in.ExpectKey("Id:", value)) {
        return "TProtoneurio - Formato Incorrecto (Id:)";
    }
    if (!ParseInteger(value, id_)) {
        return "Formato incorrecto - TProtoNeuronio (Id)";
    }
    if (!in.ExpectKey("Etiqueta:", label_)) {
        return "TProtoneurio - Formato Incorrecto (Etiqueta:)";
    }
    const std::size_t semicolon = [&] {
        return in.ExpectKey("Posicao:", value) ? value.find(';') : std::string::npos;
    }();
    if (semicolon == std::string::npos) {
        return "TProtoneurio - Formato Incorrecto (Posicao:)";
    }
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (!ParseInteger(std::string_view(value).substr(0, semicolon), x) ||
        !ParseInteger(std::string_view(value).substr(semicolon + 1), y)) {
        return "Formato incorrecto - TProtoNeuronio (Posicao)";
    }
    x_ = x;
    y_ = y;
    if (!in.ExpectKey("Visible_in_runform:", value)) {
        return "TProtoneurio - Formato Incorrecto (Visible_in_runform:)";
    }
    watched_ = ParseBool(value);
    if (!in.ExpectTag("Pos_Sinapses:")) {
        return "TProtoneurio - FormatoIncorrecto - Pos_Sinapses";
    }
    return ReadSynapses(in, *this);
}

} // namespace veltra
