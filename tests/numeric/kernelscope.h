// Tests that choose the multiplication threshold or the kernel set put them back when they
// end, even when an assertion ends them early, so later tests run on the usual settings.
#pragma once

#include "numeric/magnitude.h"

#include <cstddef>

namespace veltra::testing {

class TKernelScope {
public:
    TKernelScope() : threshold_(mag::KaratsubaThreshold), vector_(mag::VectorKernelsInUse()) {}
    ~TKernelScope() {
        mag::KaratsubaThreshold = threshold_;
        mag::UseVectorKernels(vector_);
    }
    TKernelScope(const TKernelScope&) = delete;
    TKernelScope& operator=(const TKernelScope&) = delete;

private:
    std::size_t threshold_;
    bool vector_;
};

} // namespace veltra::testing
