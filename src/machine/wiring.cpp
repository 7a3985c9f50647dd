#include "machine/wiring.h"

namespace veltra {

void TWiring::Add(TProtoNeuronio* from, TNeuronio* to, const TInfinito& weight) {
    auto& sum = weights_[{from, to}];
    sum = TInfinito::Add(sum, weight);
    order_.push_back({from, to});
}

void TWiring::Connect() {
    for (const auto& pair : order_) {
        auto it = weights_.find(pair);
        if (it == weights_.end()) continue;
        TInfinito weight = std::move(it->second);
        weights_.erase(it);
        weight.Normalize();
        if (weight.IsZero()) continue;
        auto synapse = std::make_unique<TSinapse>();
        synapse->SetWeight(std::move(weight));
        synapse->SetUp(pair.first, pair.second);
        TSinapse* raw = pair.first->AddOutgoing(std::move(synapse));
        pair.second->AddIncoming(raw);
        if (pair.first == pair.second) pair.second->SetLoop(true);
    }
}

} // namespace veltra
