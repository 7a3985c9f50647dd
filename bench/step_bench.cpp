// Our side of the step benchmark: load a net, time STEPS steps of it, print every top-level
// element's value in the format of the reference steppers (kind, label, value), the stepping
// time and the peak memory on standard error. THREADS sets how many threads may share a step's
// sums (the default is the processor count, at most 8); "always" makes every big step share
// them instead of timing both ways and keeping the faster.
//
//   step_bench NET STEPS [THREADS [always]]
#include "model/dados.h"
#include "model/rede.h"
#include "peakmemory.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

using namespace veltra;

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5 || (argc == 5 && std::string(argv[4]) != "always")) {
        std::cerr << "usage: step_bench NET STEPS [THREADS [always]]\n";
        return 2;
    }
    if (argc >= 4) TRede::SumThreads = unsigned(std::max(1L, std::stol(argv[3])));
    if (argc == 5) TRede::TimeSharing = false;
    TDados document;
    std::ifstream in(argv[1], std::ios::binary);
    const std::string error = in ? document.Load(in) : std::string("cannot be read");
    if (!error.empty()) {
        std::cerr << "cannot load " << argv[1] << ": " << error << '\n';
        return 1;
    }
    const long steps = std::stol(argv[2]);
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < steps; ++i)
        document.Step();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (const auto& element : document.Elements())
        std::cout << KindName(element->Kind()) << '\t' << element->Label() << '\t'
                  << element->ValueText() << '\n';
    std::fprintf(stderr, "seconds=%.6f\nmaxrss_kb=%ld\n", seconds, veltra::bench::PeakKilobytes());
    return 0;
}
