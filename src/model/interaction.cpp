#include "model/interaction.h"

namespace veltra {

TProtoNeuronio* TSilentInteraction::SelectInner(const std::vector<TProtoNeuronio*>& candidates) {
    offers.push_back(candidates);
    if (pick < 0 || pick >= static_cast<int>(candidates.size())) return nullptr;
    return candidates[static_cast<std::size_t>(pick)];
}

} // namespace veltra
