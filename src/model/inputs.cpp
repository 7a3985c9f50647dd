#include "model/inputs.h"

#include "storage/netfile.h"

#include <algorithm>

namespace veltra {

TInputs::TInputs() : one_("1"), zero_("0") {}

void TInputs::ApplyInfo(const TInfoFields& fields, TCanvas& canvas) {
    ApplyName(fields);
    const std::string& s = fields.sequence;
    if (std::all_of(s.begin(), s.end(), [](char c) { return c == '0' || c == '1'; }))
        SetSequence(s);
    ApplyPosition(fields, canvas);
}

bool TInputs::ConnectTo(TProtoNeuronio* destination, TInteraction& ui) {
    if (destination == nullptr) return false;
    if (destination->Kind() == TElementKind::Neuron) return true;
    if (destination->Kind() == TElementKind::Module) return ConnectIntoModule(destination, ui);
    return false;
}

int TInputs::CurrentSymbol() const {
    const std::string_view rest = Remaining();
    if (rest.empty()) return 0;
    const char c = rest.front();
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

const TInfinito& TInputs::GetValue() const {
    return CurrentSymbol() == 1 ? one_ : zero_;
}

void TInputs::Commit() {
    if (consumed_ >= sequence_.size()) return;
    ++consumed_;
    if (consumed_ >= 4096 && consumed_ * 2 >= sequence_.size()) {
        sequence_.erase(0, consumed_);
        consumed_ = 0;
    }
}

bool TInputs::SaveBody(TNetWriter& out) const {
    out.WriteKeyed("Binario:", Remaining());
    return true;
}

std::string TInputs::LoadBody(TNetReader& in, int) {
    consumed_ = 0;
    if (!in.ExpectKey("Binario:", sequence_)) {
        return "TInputs - FormatoIncorrecto - Binario";
    }
    return {};
}

} // namespace veltra
