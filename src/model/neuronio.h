// The element that computes: it sums the weighted values its incoming synapses deliver
// and turns the sum into its new activity through its activation function.
#pragma once

#include "model/activacao.h"
#include "model/protoneuronio.h"

#include <vector>

namespace veltra {

class TNeuronio final : public TProtoNeuronio {
public:
    TNeuronio();

    // Whether a neuron of many inputs sums them at once in SumInputs (column sums) rather than
    // product by product as they arrive. The two give the same digits and groups; tests
    // compare them.
    static bool SumAtOnce; // true

    TElementKind Kind() const override { return TElementKind::Neuron; }

    void DrawInRect(const TRect& rect, TCanvas& canvas) const override;
    void ApplyInfo(const TInfoFields& fields, TCanvas& canvas) override;
    bool ConnectTo(TProtoNeuronio* destination, TInteraction& ui) override;
    // What the base does, without asking the kind and the value through the element table.
    void Propagate() override {
        if (!value_->IsZero()) Send(*value_);
    }
    void AddInput(const TInfinito& contribution) override;
    void AddWeighted(const TInfinito& weight, const TInfinito& value) override;
    void DiscardInput() noexcept override {
        pending_.clear();
        *sum_ = ZeroValue();
    }
    void SumInputs() override;
    // How many products neurons have recorded on this thread since the last call, which resets
    // the count. None since the last sums means no neuron on this thread waits for SumInputs:
    // a step whose neurons all added their products as they came skips that pass.
    static std::size_t TakeRecorded() noexcept;
    // While one lives on a thread, every neuron records what is sent to it there, however few its
    // inputs, so that threads can share all the sums of a big step. The digits are the same: a
    // neuron of few inputs sums its record product by product in arrival order.
    class TRecordAllScope {
    public:
        explicit TRecordAllScope(bool on) noexcept;
        ~TRecordAllScope();
        TRecordAllScope(const TRecordAllScope&) = delete;
        TRecordAllScope& operator=(const TRecordAllScope&) = delete;

    private:
        bool previous_;
    };
    const TInfinito& GetValue() const override { return *value_; }
    void SetValue(TInfinito value) override { *value_ = std::move(value); }
    std::string ValueText() const override;
    TTextEnds ValueTextEnds(std::size_t head, std::size_t tail) const override {
        return value_->TextEnds(head, tail);
    }
    void Commit() override;
    bool SaveBody(TNetWriter& out) const override;
    std::string LoadBody(TNetReader& in, int depth) override;
    bool IsFinished() const override;
    void Reset() override;

    // Replaces the activation function by display name, then takes the threshold text
    // when the function is a step function. An unknown name keeps the current function.
    void SelectActivation(const std::string& name, const std::string& tetaText);
    // The step function's threshold as text; empty for other functions.
    std::string TetaText() const;

    TActivacao& Activation() { return *activation_; }
    const TActivacao& Activation() const { return *activation_; }
    void SetActivation(std::unique_ptr<TActivacao> activation);
    bool Loop() const { return loop_; }
    void SetLoop(bool loop) { loop_ = loop; }
    TInfinito& Activity() { return *value_; }
    // What SumInputs has summed so far (products still pending are not in it).
    const TInfinito& InputSum() const { return *sum_; }

private:
    friend class TStepPlan;

    void Record(const TInfinito& weight, const TInfinito& value);
    // Where the activity and the sum live from now on: in a step plan's storage, or (null) in
    // the neuron again. They move there; every reader and writer follows.
    void Lodge(TInfinito* value, TInfinito* sum) noexcept;

    std::unique_ptr<TActivacao> activation_;
    bool loop_ = false;
    TInfinito activity_;
    TInfinito inputSum_;
    // Where the activity and the sum are: the two above, or a step plan's slots while a plan
    // holds them (values and sums of a net side by side, in step order).
    TInfinito* value_ = &activity_;
    TInfinito* sum_ = &inputSum_;
    // Products recorded by AddWeighted since the last SumInputs: the weights and values stay
    // put until the commit, and the whole sum is cheaper at once than product by product.
    std::vector<TInfinito::TProduct> pending_;
};

} // namespace veltra
