// Activation functions: each neuron owns one. All are built from exact comparisons, so a
// value between the bounds passes through with all its digits.
#pragma once

#include "numeric/infinito.h"

#include <memory>
#include <string>

namespace veltra {

class TNetWriter;

class TActivacao {
public:
    TActivacao() = default;
    TActivacao(const TActivacao&) = delete;
    TActivacao& operator=(const TActivacao&) = delete;
    virtual ~TActivacao() = default;

    // The new activity for the sum x. The comparisons normalise x in place.
    virtual TInfinito Evaluate(TInfinito& x) = 0;
    // The same, written into `out`; x may be left with any value afterwards. Lets a
    // neuron reuse its buffers step after step.
    virtual void EvaluateInto(TInfinito& x, TInfinito& out);
    virtual bool SaveLines(TNetWriter& out) const = 0;
    virtual std::string DisplayName() const = 0;
    // Name written after "FuncaoActivacao:" in a net file.
    virtual std::string ClassName() const = 0;

    // The bounds, 0 and 1: the same two numbers for every function of a net (a neuron's own
    // pair of them would cost each neuron a hundred bytes for two constants).
    static const TInfinito& Low();
    static const TInfinito& High();
};

class TSacturated_Linear final : public TActivacao {
public:
    TInfinito Evaluate(TInfinito& x) override;
    void EvaluateInto(TInfinito& x, TInfinito& out) override;
    bool SaveLines(TNetWriter& out) const override;
    std::string DisplayName() const override { return "Saturated_Linear"; }
    std::string ClassName() const override { return "TSacturated_Linear"; }
    // The bounds in normal form, as the clamp of EvaluateInto gives them.
    static const TInfinito& NormalLow();
    static const TInfinito& NormalHigh();
};

class TStepFunction final : public TActivacao {
public:
    TStepFunction();
    TInfinito Evaluate(TInfinito& x) override;
    bool SaveLines(TNetWriter& out) const override;
    std::string DisplayName() const override { return "HeavisideStepFunction"; }
    std::string ClassName() const override { return "TStepFunction"; }
    TInfinito& Teta() { return teta_; }
    const TInfinito& Teta() const { return teta_; }

private:
    TInfinito teta_; // 0 at first
};

// A hard threshold at 1 despite its name; its Teta is fixed.
class TBinarySigmoid final : public TActivacao {
public:
    TBinarySigmoid();
    TInfinito Evaluate(TInfinito& x) override;
    bool SaveLines(TNetWriter& out) const override;
    std::string DisplayName() const override { return "BinarySigmoid"; }
    std::string ClassName() const override { return "TBinarySigmoid"; }

private:
    TInfinito teta_; // 1
};

// The function named by a display name ("Saturated_Linear", ...) or by a file class name
// ("TStepFunction", any letter case); null for an unknown name.
std::unique_ptr<TActivacao> MakeActivationByDisplayName(const std::string& name);
std::unique_ptr<TActivacao> MakeActivationByClassName(const std::string& name);

} // namespace veltra
