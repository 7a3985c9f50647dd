// Abandoning long computations from another thread, and the reach of the 32-bit Positions.
#include "infinito.h"

#include <limits>

namespace veltra {

namespace {
thread_local const std::atomic<bool>* gCancelFlag = nullptr;
} // namespace

TCancelled::TCancelled() : std::runtime_error("The computation was cancelled") {}

TCancelScope::TCancelScope(const std::atomic<bool>& flag) noexcept : previous_(gCancelFlag) {
    gCancelFlag = &flag;
}

TCancelScope::~TCancelScope() {
    gCancelFlag = previous_;
}

const std::atomic<bool>* TCancelScope::CurrentFlag() noexcept {
    return gCancelFlag;
}

void TCancelScope::Poll() {
    if (gCancelFlag != nullptr && gCancelFlag->load(std::memory_order_relaxed)) throw TCancelled();
}

std::size_t TInfinitoLimits::TextGroups = (std::size_t(1) << 28) - 1;
std::int64_t TInfinitoLimits::PositionBound = std::numeric_limits<std::int32_t>::max();

} // namespace veltra
