#include "model/pendor.h"

#include "storage/netfile.h"

namespace veltra {

TPendor::TPendor() : biasValue_("1") {}

void TPendor::ApplyInfo(const TInfoFields& fields, TCanvas& canvas) {
    ApplyName(fields);
    if (!IsBlank(fields.value)) biasValue_.SetFromText(fields.value);
    ApplyPosition(fields, canvas);
}

bool TPendor::ConnectTo(TProtoNeuronio* destination, TInteraction&) {
    return destination != nullptr && destination->Kind() == TElementKind::Neuron;
}

std::string TPendor::ValueText() const {
    return biasValue_.ToText();
}

bool TPendor::SaveBody(TNetWriter& out) const {
    out.WriteKeyed("Actividade:", biasValue_.ToText());
    return true;
}

std::string TPendor::LoadBody(TNetReader& in, int) {
    std::string value;
    if (!in.ExpectKey("Actividade:", value) || !ReadFileNumber(in, biasValue_, value)) {
        return "TNeuronio - FormatoIncorrecto";
    }
    return {};
}

} // namespace veltra
