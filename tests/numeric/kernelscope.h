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
          vector_(mag::VectorKernelsInUse()), wide_(mag::WideRowsWanted()) {}
    ~TKernelScope() {
        mag::KaratsubaThreshold = threshold_;
        mag::TransformThreshold = transform_;
        mag::TransformLimit = limit_;
        mag::ColumnSumThreshold = columns_;
        mag::UseVectorKernels(vector_);
        mag::UseWideRows(wide_);
    }
    TKernelScope(const TKernelScope&) = delete;
    TKernelScope& operator=(const TKernelScope&) = delete;

private:
    std::size_t threshold_;
    std::size_t columns_;
    std::size_t transform_;
    std::size_t limit_;
    bool vector_;
    bool wide_;
};

// The kernel sets a sum's products can run on: portable code, 256-bit vectors, and 256-bit
// vectors with the one-group rows on 512 bits.
enum class TKernels { Portable, Vector, Wide };
inline constexpr TKernels AllKernels[] = {TKernels::Portable, TKernels::Vector, TKernels::Wide};

inline const char* KernelsName(TKernels kernels) {
    return kernels == TKernels::Portable ? "portable kernels"
           : kernels == TKernels::Vector ? "256-bit kernels"
                                         : "512-bit rows";
}

// Chooses a kernel set; false when this processor lacks it (the caller skips it then).
inline bool UseKernels(TKernels kernels) {
    const bool vector = mag::UseVectorKernels(kernels != TKernels::Portable);
    const bool wide = mag::UseWideRows(kernels == TKernels::Wide);
    return kernels == TKernels::Portable || (vector && (kernels == TKernels::Vector || wide));
}

} // namespace veltra::testing
