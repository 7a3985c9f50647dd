#include "model/outputs.h"

#include "model/netwalk.h"
#include "model/protolista.h"
#include "storage/netfile.h"

namespace veltra {

TOutputs::TOutputs() : one_("1"), zero_("0"), received_("0") {}

void TOutputs::ApplyInfo(const TInfoFields& fields, TCanvas& canvas) {
    ApplyName(fields);
    ApplyPosition(fields, canvas);
    if (fields.historyListEmpty) {
        valueLog_.Clear();
        history_.clear();
    }
}

void TOutputs::AddInput(const TInfinito& contribution) {
    received_.AddInPlace(contribution);
}

TSinapse* TOutputs::ReadSynapse() const {
    // A module's own synapse carries nothing; the value of interest comes over the hidden
    // synapse from the inner element, whichever of the two was attached first.
    for (TSinapse* s : IncomingSynapses())
        if (s->Source() != nullptr && s->Source()->Kind() != TElementKind::Module) return s;
    return IncomingSynapses().Empty() ? nullptr : IncomingSynapses().Item(0);
}

void TOutputs::Commit() {
    if (const TSinapse* s = ReadSynapse(); s != nullptr && s->Source() != nullptr)
        received_ = s->Source()->GetValue();
    if (logKept_) valueLog_.Append(received_.ToText());
    if (TInfinito::Compare(received_, zero_) == 0)
        history_ += '0';
    else if (TInfinito::Compare(received_, one_) == 0)
        history_ += '1';
    else
        history_ += 'x';
    received_ = zero_; // the number SetFromText("0") gives, without parsing
}

bool TOutputs::SaveBody(TNetWriter& out) const {
    out.WriteKeyed("Binario:", history_);
    return true;
}

std::string TOutputs::LoadBody(TNetReader& in, int) {
    if (!in.ExpectKey("Binario:", history_)) {
        return "TInputs - FormatoIncorrecto - Binario";
    }
    return {};
}

void TOutputs::RestoreLog(const std::vector<std::string>& texts) {
    valueLog_.Clear();
    for (const std::string& text : texts)
        valueLog_.Append(text);
}

void TOutputs::SetLogKept(bool kept) {
    logKept_ = kept;
    if (!kept) valueLog_.Clear();
}

void KeepValueLogs(TProtoLista& list, bool kept) {
    VisitDeep(list, [kept](TProtoNeuronio& e) {
        if (e.Kind() == TElementKind::Output) static_cast<TOutputs&>(e).SetLogKept(kept);
    });
}

void TOutputs::Reset() {
    history_.clear();
    valueLog_.Clear();
}

} // namespace veltra
