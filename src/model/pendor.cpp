#include "model/pendor.h"

#include "storage/netfile.h"

namespace veltra {

TPendor::TPendor() : biasValue_("1") {}

void TPendor::ApplyInfo(const TInfoFields& fields, TCanvas& canvas) {
    ApplyName(fields);
    if (!IsBlank(fields.value)) value_->SetFromText(fields.value);
    ApplyPosition(fields, canvas);
}

bool TPendor::ConnectTo(TProtoNeuronio* destination, TInteraction&) {
    return destination != nullptr && destination->Kind() == TElementKind::Neuron;
}

std::string TPendor::ValueText() const {
    return value_->ToText();
}

bool TPendor::SaveBody(TNetWriter& out) const {
    out.WriteKeyed("Actividade:", value_->ToText());
    return true;
}

std::string TPendor::LoadBody(TNetReader& in, int) {
    std::string value;
    if (!in.ExpectKey("Actividade:", value) || !ReadFileNumber(in, *value_, value)) {
        return "TNeuronio - FormatoIncorrecto";
    }
    return {};
}

void TPendor::Lodge(TInfinito* value) noexcept {
    TInfinito* v = value != nullptr ? value : &biasValue_;
    if (v == value_) return;
    *v = std::move(*value_);
    value_ = v;
}

} // namespace veltra
