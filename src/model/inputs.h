// An input feeds a sequence of "0" and "1" symbols into the net, one per step,
// consuming it as it goes.
#pragma once

#include "model/protoneuronio.h"

namespace veltra {

class TInputs final : public TProtoNeuronio {
public:
    TInputs();

    TElementKind Kind() const override { return TElementKind::Input; }

    void ApplyInfo(const TInfoFields& fields, TCanvas& canvas) override;
    bool ConnectTo(TProtoNeuronio* destination, TInteraction& ui) override;
    const TInfinito& GetValue() const override;
    std::string ValueText() const override { return sequence_; }
    void Commit() override;
    bool SaveBody(TNetWriter& out) const override;
    bool LoadBody(TNetReader& in, std::string& errorText, int depth) override;
    bool IsFinished() const override { return sequence_.empty(); }

    // 1 exactly when the first symbol is "1"; 0 otherwise (also when nothing is left).
    int CurrentSymbol() const;
    const std::string& Sequence() const { return sequence_; }
    void SetSequence(std::string sequence) { sequence_ = std::move(sequence); }

private:
    TInfinito one_;
    TInfinito zero_;
    std::string sequence_; // what is not yet consumed, first symbol first
};

} // namespace veltra
