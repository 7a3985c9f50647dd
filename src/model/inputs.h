// An input feeds a sequence of "0" and "1" symbols into the net, one per step,
// consuming it as it goes.
#pragma once

#include "model/protoneuronio.h"

#include <string>
#include <string_view>

namespace veltra {

class TInputs final : public TProtoNeuronio {
public:
    TInputs();

    TElementKind Kind() const override { return TElementKind::Input; }

    void ApplyInfo(const TInfoFields& fields, TCanvas& canvas) override;
    bool ConnectTo(TProtoNeuronio* destination, TInteraction& ui) override;
    const TInfinito& GetValue() const override;
    std::string ValueText() const override { return Sequence(); }
    TTextEnds ValueTextEnds(std::size_t head, std::size_t tail) const override {
        return TextEndsOf(Remaining(), head, tail, TTextEnds::TUnit::Symbols);
    }
    void Commit() override;
    bool SaveBody(TNetWriter& out) const override;
    std::string LoadBody(TNetReader& in, int depth) override;
    bool IsFinished() const override { return Remaining().empty(); }

    // 1 exactly when the first symbol is "1"; 0 otherwise (also when nothing is left).
    int CurrentSymbol() const;
    // What is not yet consumed, first symbol first.
    std::string_view Remaining() const { return std::string_view(sequence_).substr(consumed_); }
    std::string Sequence() const { return std::string(Remaining()); }
    void SetSequence(std::string sequence) {
        sequence_ = std::move(sequence);
        consumed_ = 0;
    }

private:
    TInfinito one_;
    TInfinito zero_;
    // A step consumes a symbol by moving consumed_ on, not by moving the rest of the text
    // (which made a long sequence cost its length in every step); the consumed part is
    // dropped only when it outweighs the rest.
    std::string sequence_;
    std::size_t consumed_ = 0;
};

} // namespace veltra
