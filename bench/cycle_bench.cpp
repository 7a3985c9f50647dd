// What cycle detection costs a run: the same net stepped STEPS times plainly and with the
// state hashed and compared after every step (Brent's algorithm, as --until-cycle and the
// "state repeats" condition run it), alternately, REPEATS times each. Both sides must end with
// the same bytes before any figure is printed.
//
//   cycle_bench NET STEPS [REPEATS]
#include "execution/cycle.h"
#include "model/dados.h"

#include "median.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using namespace veltra;

using veltra::bench::Median;

namespace {

struct Outcome {
    double seconds;
    std::string bytes;
};

Outcome Time(const char* path, long steps, bool detect) {
    TDados document;
    std::ifstream in(path, std::ios::binary);
    const std::string error = in ? document.Load(in) : std::string("cannot open");
    if (!error.empty()) {
        std::cerr << "cannot load " << path << ": " << error << '\n';
        std::exit(1);
    }
    TCycleDetector detector;
    const auto start = std::chrono::steady_clock::now();
    if (detect) detector.Start(document.Elements());
    for (long i = 0; i < steps; ++i) {
        document.Step();
        if (detect && detector.Observe(document.Elements())) break;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (detector.Found()) std::cerr << "(cycle found: period " << detector.Period() << ")\n";
    std::ostringstream out;
    document.Save(out);
    return {seconds, out.str()};
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: cycle_bench NET STEPS [REPEATS]\n";
        return 2;
    }
    const long steps = std::stol(argv[2]);
    const int repeats = argc > 3 ? std::stoi(argv[3]) : 5;
    std::vector<double> plain, detecting;
    for (int r = 0; r < repeats; ++r) {
        const Outcome a = Time(argv[1], steps, false);
        const Outcome b = Time(argv[1], steps, true);
        if (a.bytes != b.bytes) {
            std::cerr << "the two runs ended differently\n";
            return 1;
        }
        plain.push_back(a.seconds);
        detecting.push_back(b.seconds);
    }
    const double p = Median(plain), d = Median(detecting);
    std::printf("%s\t%ld steps\tplain %.4f s\twith cycle detection %.4f s\tratio %.3f\n", argv[1],
                steps, p, d, d / p);
    return 0;
}
