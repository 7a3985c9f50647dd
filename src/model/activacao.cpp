#include "model/activacao.h"

#include "storage/netfile.h"

#include <utility>

namespace veltra {

const TInfinito& TActivacao::Low() {
    static const TInfinito low("0");
    return low;
}

const TInfinito& TActivacao::High() {
    static const TInfinito high("1");
    return high;
}

void TActivacao::EvaluateInto(TInfinito& x, TInfinito& out) {
    out = Evaluate(x);
}

TInfinito TSacturated_Linear::Evaluate(TInfinito& x) {
    // GreaterThan normalises both operands; the bounds it would normalise are the normal ones.
    TInfinito low = NormalLow();
    TInfinito high = NormalHigh();
    if (TInfinito::GreaterThan(low, x)) return low;
    if (TInfinito::GreaterThan(x, high)) return high;
    return x;
}

const TInfinito& TSacturated_Linear::NormalLow() {
    static const TInfinito low = [] {
        TInfinito n("0");
        n.Normalize();
        return n;
    }();
    return low;
}

const TInfinito& TSacturated_Linear::NormalHigh() {
    static const TInfinito high = [] {
        TInfinito n("1");
        n.Normalize();
        return n;
    }();
    return high;
}

void TSacturated_Linear::EvaluateInto(TInfinito& x, TInfinito& out) {
    // GreaterThan would normalise x twice (and the bounds, which are normal already).
    // The bounds of this function are always 0 and 1, so once the sum is in normal form its
    // sign and leading group settle both comparisons: no walk over a long sum's groups. The
    // sum is made the new activity first, in normal form, as it mostly passes through.
    out.TakeNormalized(x);
    // In normal form a zero of groups has sign 0, so only a number without groups can be zero
    // with a negative sign: no look at the groups for the zero test.
    if (out.Sign() < 0 && out.GroupCount() != 0)
        out = NormalLow();
    else if (out.NormalExceedsOne())
        out = NormalHigh();
}

bool TSacturated_Linear::SaveLines(TNetWriter& out) const {
    out.WriteLine("FuncaoActivacao:TSacturated_Linear");
    return true;
}

TStepFunction::TStepFunction() : teta_(Low()) {}

TInfinito TStepFunction::Evaluate(TInfinito& x) {
    return TInfinito::GreaterThan(teta_, x) ? Low() : High();
}

bool TStepFunction::SaveLines(TNetWriter& out) const {
    out.WriteLine("FuncaoActivacao:TStepFunction");
    out.WriteKeyed("Teta:", teta_.ToText());
    return true;
}

TBinarySigmoid::TBinarySigmoid() : teta_(High()) {}

TInfinito TBinarySigmoid::Evaluate(TInfinito& x) {
    return TInfinito::GreaterThan(teta_, x) ? Low() : High();
}

bool TBinarySigmoid::SaveLines(TNetWriter& out) const {
    out.WriteLine("FuncaoActivacao:TBinarySigmoid");
    return true;
}

std::unique_ptr<TActivacao> MakeActivationByDisplayName(const std::string& name) {
    if (name == "Saturated_Linear") return std::make_unique<TSacturated_Linear>();
    if (name == "HeavisideStepFunction") return std::make_unique<TStepFunction>();
    if (name == "BinarySigmoid") return std::make_unique<TBinarySigmoid>();
    return nullptr;
}

std::unique_ptr<TActivacao> MakeActivationByClassName(const std::string& name) {
    if (SameText(name, "TSacturated_Linear")) return std::make_unique<TSacturated_Linear>();
    if (SameText(name, "TStepFunction")) return std::make_unique<TStepFunction>();
    if (SameText(name, "TBinarySigmoid")) return std::make_unique<TBinarySigmoid>();
    return nullptr;
}

} // namespace veltra
