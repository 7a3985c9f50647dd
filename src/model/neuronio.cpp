#include "model/neuronio.h"

#include "model/canvas.h"
#include "storage/netfile.h"

#include <utility>

namespace veltra {

TNeuronio::TNeuronio()
    : activation_(std::make_unique<TSacturated_Linear>()), activity_("0"), inputSum_("0") {}

void TNeuronio::DrawInRect(const TRect& rect, TCanvas& canvas) const {
    const TRect box = GlyphBox();
    if (rect.right >= box.left && box.right >= rect.left && box.bottom >= rect.top &&
        rect.bottom >= box.top)
        DrawGlyph(canvas);
}

void TNeuronio::ApplyInfo(const TInfoFields& fields, TCanvas& canvas) {
    ApplyName(fields);
    if (!IsBlank(fields.value)) value_->SetFromText(fields.value);
    ApplyPosition(fields, canvas);
    SelectActivation(fields.activation, fields.teta);
}

bool TNeuronio::ConnectTo(TProtoNeuronio* destination, TInteraction& ui) {
    if (destination == nullptr) return false;
    switch (destination->Kind()) {
    case TElementKind::Neuron:
    case TElementKind::Output:
        return true;
    case TElementKind::Module:
        return ConnectIntoModule(destination, ui);
    default:
        return false;
    }
}

void TNeuronio::AddInput(const TInfinito& contribution) {
    SumInputs(); // the sum's groups depend on the order of what it adds
    sum_->AddInPlace(contribution);
}

namespace {
thread_local bool gRecordAll = false;
thread_local std::size_t gRecorded = 0;
} // namespace

bool TNeuronio::SumAtOnce = true;

void TNeuronio::AddWeighted(const TInfinito& weight, const TInfinito& value) {
    // A neuron of few inputs adds each product as it comes, as SumInputs would do anyway
    // (the same digits either way, and no record to keep); only many inputs wait for the sum,
    // or every neuron when the step is big enough for threads to share the sums.
    // The test most neurons settle on comes first.
    if (!SumAtOnce || (pending_.empty() && !gRecordAll &&
                       !TInfinito::ColumnSumsPay(std::size_t(IncomingSynapses().Count())))) {
        sum_->AddProduct(weight, value);
    } else {
        Record(weight, value);
    }
}

// Apart, so that the growth of the record does not make every product save registers.
[[gnu::noinline]] void TNeuronio::Record(const TInfinito& weight, const TInfinito& value) {
    pending_.push_back({&weight, &value});
    ++gRecorded;
}

std::size_t TNeuronio::TakeRecorded() noexcept {
    return std::exchange(gRecorded, 0);
}

TNeuronio::TRecordAllScope::TRecordAllScope(bool on) noexcept : previous_(gRecordAll) {
    gRecordAll = on;
}

TNeuronio::TRecordAllScope::~TRecordAllScope() {
    gRecordAll = previous_;
}

void TNeuronio::SumInputs() {
    if (pending_.empty()) return;
    sum_->AddProducts(pending_.data(), pending_.size());
    pending_.clear();
}

std::string TNeuronio::ValueText() const {
    return value_->ToText();
}

void TNeuronio::Lodge(TInfinito* value, TInfinito* sum) noexcept {
    TInfinito* v = value != nullptr ? value : &activity_;
    TInfinito* s = sum != nullptr ? sum : &inputSum_;
    if (v != value_) {
        *v = std::move(*value_);
        value_ = v;
    }
    if (s != sum_) {
        *s = std::move(*sum_);
        sum_ = s;
    }
}

void TNeuronio::Commit() {
    // Already done when the net steps; a lone element commits what it was sent.
    if (!pending_.empty()) SumInputs();
    activation_->EvaluateInto(*sum_, *value_);
    // The same number as SetFromText("0") gives, written into the buffer already there
    // instead of parsed afresh every step.
    sum_->SetZero();
}

bool TNeuronio::SaveBody(TNetWriter& out) const {
    out.WriteKeyed("Actividade:", value_->ToText());
    if (!activation_->SaveLines(out)) return false;
    out.WriteKeyed("loop:", BoolText(loop_));
    return true;
}

std::string TNeuronio::LoadBody(TNetReader& in, int) {
    std::string value;
    InvalidatePlan(); // the function may change
    if (!in.ExpectKey("Actividade:", value) || !ReadFileNumber(in, *value_, value)) {
        return "TNeuronio - FormatoIncorrecto";
    }
    if (!in.ExpectKey("FuncaoActivacao:", value)) {
        return "TNeuronio - FormatoIncorrecto - FuncaoActivacao";
    }
    auto activation = MakeActivationByClassName(value);
    if (!activation) {
        return "TNeuronio - FuncaoActivacao - Desconhecida";
    }
    activation_ = std::move(activation);
    if (auto* step = dynamic_cast<TStepFunction*>(activation_.get())) {
        if (!in.ExpectKey("Teta:", value) || !ReadFileNumber(in, step->Teta(), value)) {
            return "TNeuronio - FormatoIncorrecto - Teta";
        }
    }
    if (!in.ExpectKey("loop:", value)) {
        return "TNeuronio - Formato Incorrecto - loop";
    }
    loop_ = ParseBool(value);
    return {};
}

bool TNeuronio::IsFinished() const {
    return TInfinito::Compare(*value_, ZeroValue()) == 0;
}

void TNeuronio::Reset() {
    pending_.clear();
    value_->SetFromText("0");
    sum_->SetFromText("0");
}

void TNeuronio::SelectActivation(const std::string& name, const std::string& tetaText) {
    InvalidatePlan();
    if (name != activation_->DisplayName()) {
        // An unknown name keeps the present function: a neuron always has a valid one.
        if (auto replacement = MakeActivationByDisplayName(name)) {
            if (auto* step = dynamic_cast<TStepFunction*>(replacement.get()))
                step->Teta().SetFromText(tetaText);
            activation_ = std::move(replacement);
        }
    }
    if (activation_->DisplayName() == "HeavisideStepFunction" && TetaText() != tetaText)
        static_cast<TStepFunction*>(activation_.get())->Teta().SetFromText(tetaText);
}

std::string TNeuronio::TetaText() const {
    if (const auto* step = dynamic_cast<const TStepFunction*>(activation_.get()))
        return step->Teta().ToText();
    return {};
}

void TNeuronio::SetActivation(std::unique_ptr<TActivacao> activation) {
    InvalidatePlan();
    if (activation) activation_ = std::move(activation);
}

} // namespace veltra
