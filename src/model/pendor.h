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
    const TInfinito& GetValue() const override { return *value_; }
    std::string ValueText() const override;
    TTextEnds ValueTextEnds(std::size_t head, std::size_t tail) const override {
        return value_->TextEnds(head, tail);
    }
    bool SaveBody(TNetWriter& out) const override;
    std::string LoadBody(TNetReader& in, int depth) override;

    TInfinito& BiasValue() { return *value_; }

private:
    friend class TStepPlan;
    // Where the value lives from now on: a step plan's slot, or (null) the bias again.
    void Lodge(TInfinito* value) noexcept;

    TInfinito biasValue_;            // 1 at first
    TInfinito* value_ = &biasValue_; // biasValue_, or a step plan's slot while one holds it
};

} // namespace veltra
