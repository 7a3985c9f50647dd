#include "execution/stepbound.h"

#include "model/netwalk.h"

#include <algorithm>
#include <unordered_map>

namespace veltra {

namespace {

struct Reach {
    std::int64_t whole = 0;
    std::int64_t fraction = 0;
    std::int64_t count = 0;
};

using Sums = std::unordered_map<const TProtoNeuronio*, Reach>;

// Follows Propagate and TSinapse::Fire: who sends, and where a product lands.
// Module insides are walked at the module's place.
void Collect(const TProtoLista& list, Sums& sums) {
    VisitDeep(list, [&sums](const TProtoNeuronio& e) {
        if (e.Kind() == TElementKind::Module || e.Kind() == TElementKind::Output ||
            e.GetValue().IsZero())
            return;
        const TInfinito::TDigits value = e.GetValue().Digits();
        for (const TSinapse* s : e.OutgoingSynapses()) {
            const TProtoNeuronio* to = s->Destination();
            if (to == nullptr || to->Kind() == TElementKind::Module) continue;
            const TInfinito::TDigits weight = s->Weight().Digits();
            Reach& r = sums[to];
            r.whole = std::max(r.whole, value.whole + weight.whole);
            r.fraction = std::max(r.fraction, value.fraction + weight.fraction);
            ++r.count;
        }
    });
}

std::int64_t DecimalDigits(std::int64_t n) {
    std::int64_t d = 0;
    for (; n > 0; n /= 10)
        ++d;
    return d;
}

} // namespace

std::int64_t NextStepDigitBound(const TProtoLista& list) {
    Sums sums;
    Collect(list, sums);
    std::int64_t most = 0;
    for (const auto& [element, r] : sums)
        most = std::max(most, r.whole + DecimalDigits(r.count - 1) + r.fraction);
    return most;
}

} // namespace veltra
