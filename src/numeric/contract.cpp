#include "contract.h"

#include <cstdio>
#include <cstdlib>

namespace veltra {

void ContractFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: precondition failed: %s\n", file, line, condition);
    std::abort();
}

} // namespace veltra
