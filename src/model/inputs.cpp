#include "model/inputs.h"

#include "storage/netfile.h"

#include <algorithm>

namespace veltra {

TInputs::TInputs() : one_("1"), zero_("0") {}

void TInputs::ApplyInfo(const TInfoFields& fields, TCanvas& canvas) {
    ApplyName(fields);
    const std::string& s = fields.sequence;
    if (std::all_of(s.begin(), s.end(), [](char c) { return c == '0' || c == '1'; })) sequence_ = s;
    ApplyPosition(fields, canvas);
}

bool TInputs::ConnectTo(TProtoNeuronio* destination, TInteraction& ui) {
    if (destination == nullptr) return false;
    if (destination->Kind() == TElementKind::Neuron) return true;
    if (destination->Kind() == TElementKind::Module) return ConnectIntoModule(destination, ui);
    return false;
}

int TInputs::CurrentSymbol() const {
    if (sequence_.empty()) return 0;
    const char c = sequence_.front();
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

const TInfinito& TInputs::GetValue() const {
    return CurrentSymbol() == 1 ? one_ : zero_;
}

void TInputs::Commit() {
    if (!sequence_.empty()) sequence_.erase(0, 1);
}

bool TInputs::SaveBody(TNetWriter& out) const {
    out.WriteKeyed("Binario:", sequence_);
    return true;
}

bool TInputs::LoadBody(TNetReader& in, std::string& errorText, int) {
    if (!in.ExpectKey("Binario:", sequence_)) {
        errorText = "TInputs - FormatoIncorrecto - Binario";
        return false;
    }
    return true;
}

} // namespace veltra
