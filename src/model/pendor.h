// The bias: a constant value sent, weighted, to neurons in every step.
#pragma once

#include "model/protoneuronio.h"

namespace veltra {

class TPendor final : public TProtoNeuronio {
public:
    TPendor();

    TElementKind Kind() const override { return TElementKind::Bias; }

    void ApplyInfo(const TInfoFields& fields, TCanvas& canvas) override;
    bool ConnectTo(TProtoNeuronio* destination, TInteraction& ui) override;
    const TInfinito& GetValue() const override { return biasValue_; }
    std::string ValueText() const override;
    TTextEnds ValueTextEnds(std::size_t head, std::size_t tail) const override {
        return biasValue_.TextEnds(head, tail);
    }
    bool SaveBody(TNetWriter& out) const override;
    std::string LoadBody(TNetReader& in, int depth) override;

    TInfinito& BiasValue() { return biasValue_; }

private:
    TInfinito biasValue_; // 1 at first
};

} // namespace veltra
