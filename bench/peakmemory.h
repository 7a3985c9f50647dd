// The peak resident memory of this process, for the benchmarks that compare it with a peer's.
#pragma once

#include <fstream>
#include <string>

namespace veltra::bench {

// Kilobytes. getrusage's maxrss would include the memory of the process that started us (it
// survives exec), so this reads the high-water mark of our own memory.
inline long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

} // namespace veltra::bench
