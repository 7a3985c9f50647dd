// Our side of the step benchmark: load a net, time STEPS steps of it, print every top-level
// element's value in the format of the reference steppers (kind, label, value), the stepping
// time and the peak memory on standard error. THREADS sets how many threads may share a step's
// sums (the default follows OMP_NUM_THREADS and the CPUs the process may use); "always" makes
// every big step share them instead of timing both ways and keeping the faster; "plan" and
// "objects" step on the compact plan or over the element objects (the default is the build's).
//
//   step_bench NET STEPS [THREADS] [always] [plan|objects]
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
    bool usage = argc < 3;
    for (int i = 3; i < argc && !usage; ++i) {
        const std::string arg = argv[i];
        if (arg == "always")
            TRede::TimeSharing = false;
        else if (arg == "plan" || arg == "objects")
            TRede::UsePlan = arg == "plan";
        else if (!arg.empty() && arg.find_first_not_of("0123456789") == std::string::npos)
            TRede::SumThreads = TRede::LimitThreads(unsigned(std::min(1024L, std::stol(arg))));
        else
            usage = true;
    }
    if (usage) {
        std::cerr << "usage: step_bench NET STEPS [THREADS] [always] [plan|objects]\n";
        return 2;
    }
    TDados document;
    const auto loadStart = std::chrono::steady_clock::now();
    std::ifstream in(argv[1], std::ios::binary);
    const std::string error = in ? document.Load(in) : std::string("cannot be read");
    if (!error.empty()) {
        std::cerr << "cannot load " << argv[1] << ": " << error << '\n';
        return 1;
    }
    const double loadSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();
    const long steps = std::stol(argv[2]);
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < steps; ++i)
        document.Step();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (const auto& element : document.Elements())
        std::cout << KindName(element->Kind()) << '\t' << element->Label() << '\t'
                  << element->ValueText() << '\n';
    std::fprintf(stderr, "seconds=%.6f\nload_seconds=%.6f\nmaxrss_kb=%ld\n", seconds, loadSeconds,
                 veltra::bench::PeakKilobytes());
    return 0;
}
