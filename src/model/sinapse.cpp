#include "model/sinapse.h"

#include "model/canvas.h"
#include "model/neuronio.h"
#include "model/weightpool.h"

#include <type_traits>
#include <typeinfo>

namespace veltra {

TSinapse::TSinapse() : weight_(TWeightPool::Unset()) {}

TSinapse::~TSinapse() {
    TWeightPool::Release(weight_);
}

TNeuronio* TSinapse::NeuronReceiver() const {
    return toNeuron_ ? static_cast<TNeuronio*>(destination_) : nullptr;
}

void TSinapse::SetName(std::string name) {
    if (name.empty())
        name_.reset();
    else if (name_)
        *name_ = std::move(name);
    else
        name_ = std::make_unique<std::string>(std::move(name));
}

void TSinapse::SetUp(TProtoNeuronio* source, TProtoNeuronio* destination) {
    InvalidatePlans();
    end_ = start_;
    source_ = source;
    destination_ = destination;
    Aim();
    if (destination != nullptr)
        SetName((source ? source->Label() : std::string("nil")) + "/" + destination->Label());
    pair_ = false;
    visible_ = true;
}

namespace {

// Weights are kept in normal form. A text without digits ("-", ".", "-.") leaves a number
// without groups, which Normalize keeps as it is; it would be saved as "-0" and read back as 0,
// so a saved file would change on its next save. It is a plain zero instead.
void NormalizeWeight(TInfinito& weight) {
    if (!weight.HasGroups()) weight.SetFromText("0");
    weight.Normalize();
}

} // namespace

void TSinapse::SetWeight(TInfinito weight) {
    InvalidatePlans();
    NormalizeWeight(weight);
    const TInfinito* shared = TWeightPool::Share(weight);
    TWeightPool::Release(weight_);
    weight_ = shared;
}

void TSinapse::SetSharedWeight(const TInfinito* shared) {
    InvalidatePlans();
    TWeightPool::Release(weight_);
    weight_ = shared;
}

void TSinapse::SetWeightText(std::string_view text) {
    InvalidatePlans();
    // On the weight's own value, as SetFromText on the weight itself: an unreadable integer
    // part throws and leaves it as it was.
    TInfinito weight = *weight_;
    weight.SetFromText(text);
    NormalizeWeight(weight);
    const TInfinito* shared = TWeightPool::Share(weight);
    TWeightPool::Release(weight_);
    weight_ = shared;
}

const std::string& TSinapse::Name() {
    if (!name_) {
        std::string name = source_ ? source_->Label() + "/" : std::string("nil/");
        name += destination_ ? destination_->Label() : std::string("nil");
        name_ = std::make_unique<std::string>(std::move(name));
    }
    return *name_;
}

void TSinapse::Aim() {
    // A synapse drawn to a module only shows the connection; values cross the border
    // over the hidden synapse to the inner element.
    const bool sends = destination_ != nullptr && source_ != nullptr &&
                       destination_->Kind() != TElementKind::Module;
    sends_ = sends;
    // TNeuronio is final: comparing the dynamic type says what a cast would, without the
    // cast's walk of the class tree (loading a big net aims millions of synapses).
    static_assert(std::is_final_v<TNeuronio>);
    toNeuron_ = sends && typeid(*destination_) == typeid(TNeuronio);
    InvalidatePlans();
}

void TSinapse::InvalidatePlans() const {
    if (source_ != nullptr) source_->InvalidatePlan();
    if (destination_ != nullptr) destination_->InvalidatePlan();
}

void TSinapse::Fire() const {
    if (sends_) destination_->AddWeighted(*weight_, source_->GetValue());
}

void TSinapse::Draw(TCanvas& canvas, TPenMode pen) const {
    if (!visible_) return;
    TSynapseShape shape;
    shape.figure = IsSelfLoop() ? TSynapseFigure::Loop
                   : pair_      ? TSynapseFigure::Paired
                                : TSynapseFigure::Straight;
    shape.source = source_;
    shape.destination = destination_;
    shape.start = start_;
    shape.end = end_;
    shape.pen = pen;
    canvas.DrawSynapse(shape);
}

void TSinapse::Erase(TCanvas& canvas) const {
    Draw(canvas, TPenMode::NotXor);
}

void TSinapse::DrawRubberBand(TCanvas& canvas) const {
    if (!visible_) return;
    TSynapseShape shape;
    shape.rubberBand = true;
    shape.pen = TPenMode::NotXor;
    shape.source = source_;
    shape.destination = destination_;
    shape.start = start_;
    shape.end = end_;
    // Over a neuron that has no self-synapse yet, preview the loop it would get.
    bool loop = false;
    if (source_ != nullptr && source_->Kind() == TElementKind::Neuron &&
        source_->Contains(end_.x, end_.y)) {
        loop = !static_cast<const TNeuronio*>(source_)->Loop();
    }
    shape.figure = loop ? TSynapseFigure::Loop : TSynapseFigure::Straight;
    canvas.DrawSynapse(shape);
}

void TSinapse::MoveRubberBand(TCanvas& canvas, int x, int y) {
    if (!visible_) return;
    DrawRubberBand(canvas);
    end_ = {x, y};
    DrawRubberBand(canvas);
}

void TSinapse::AddToTree(TInfoTree& tree, int parent) {
    const std::string from = source_ ? source_->Label() : std::string("nil");
    const std::string to = destination_ ? destination_->Label() : std::string("nil");
    tree.AddNode(parent, "origem =" + from, 7);
    tree.AddNode(parent, "destino =" + to, 7);
    tree.AddNode(parent, "peso =" + weight_->ToText(), 7);
}

void TSinapse::ApplyInfo(const TInfoFields& fields) {
    if (!IsBlank(fields.name)) SetName(fields.name);
    if (!IsBlank(fields.value)) SetWeightText(fields.value);
}

} // namespace veltra
