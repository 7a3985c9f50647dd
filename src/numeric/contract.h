// Preconditions of the internal routines, stated where they are relied on. Checked in the
// test builds (VELTRA_CHECK_CONTRACTS, set by tools/test.sh) and in debug builds, where a
// broken one reports itself and aborts; free in the builds people run.
#pragma once

namespace veltra {

[[noreturn]] void ContractFailed(const char* condition, const char* file, int line);

} // namespace veltra

#if defined(VELTRA_CHECK_CONTRACTS) || !defined(NDEBUG)
#define VELTRA_EXPECTS(condition)                                                                  \
    ((condition) ? static_cast<void>(0) : ::veltra::ContractFailed(#condition, __FILE__, __LINE__))
#else
#define VELTRA_EXPECTS(condition) static_cast<void>(0)
#endif
