// Tests that choose the multiplication threshold or the kernel set put them back when they
// end, even when an assertion ends them early, so later tests run on the usual settings.
#pragma once

#include "numeric/magnitude.h"

#include <cstddef>

namespace veltra::testing {

class TKernelScope {
public:
    TKernelScope()
        : threshold_(mag::KaratsubaThreshold), columns_(mag::ColumnSumThreshold),
          transform_(mag::TransformThreshold), limit_(mag::TransformLimit),
          vector_(mag::VectorKernelsInUse()) {}
    ~TKernelScope() {
        mag::KaratsubaThreshold = threshold_;
        mag::TransformThreshold = transform_;
        mag::TransformLimit = limit_;
        mag::ColumnSumThreshold = columns_;
        mag::UseVectorKernels(vector_);
    }
    TKernelScope(const TKernelScope&) = delete;
    TKernelScope& operator=(const TKernelScope&) = delete;

private:
    std::size_t threshold_;
    std::size_t columns_;
    std::size_t transform_;
    std::size_t limit_;
    bool vector_;
};

} // namespace veltra::testing
