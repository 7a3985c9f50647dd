// Where the magnitude product should switch from Karatsuba to the number-theoretic transforms:
// both methods on the same random operands, repetitions interleaved, median thread CPU times.
// mag::TransformThreshold and the unbalanced rule in mag::Mul are set from this.
//
//   mul_crossover [GROUPS | NAxNB]...
// GROUPS is an n x n product, NAxNB an unbalanced one. The default is lengths around the
// transform's length steps and a few unbalanced products around half the threshold.
#include "numeric/magnitude.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace veltra;

double ThreadNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e9 + double(ts.tv_nsec);
}

// Time of one product, with the transforms from `threshold` groups.
struct TSample {
    std::vector<mag::Limb> a, b, r;
    double Once(std::size_t threshold, long loops) {
        mag::TransformThreshold = threshold;
        const double t0 = ThreadNs();
        for (long i = 0; i < loops; ++i)
            mag::Mul(r.data(), a.data(), a.size(), b.data(), b.size());
        return (ThreadNs() - t0) / double(loops);
    }
};

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> shapes(argv + 1, argv + argc);
    if (shapes.empty()) {
        shapes = {"1500",       "2048",       "2100",       "2600",       "2800",
                  "3100",       "3500",       "4100",       "4300",       "4600",
                  "5000",       "6000",       "8200",       "12500",      "10400x1300",
                  "13000x1300", "11500x1150", "23000x1150", "125000x650", "125000x1300",
                  "125000x2000"};
    }
    const std::size_t never = std::size_t(-1), always = 1;
    std::printf("| groups | Karatsuba | transform | Karatsuba / transform |\n"
                "|---|---:|---:|---:|\n");
    std::mt19937 rng(17);
    for (const std::string& shape : shapes) {
        const std::size_t x = shape.find('x');
        const std::size_t na = std::stoul(shape.substr(0, x));
        const std::size_t nb = x == std::string::npos ? na : std::stoul(shape.substr(x + 1));
        TSample s;
        s.a.resize(na);
        s.b.resize(nb);
        s.r.resize(na + nb);
        for (auto& g : s.a)
            g = rng() % mag::Base;
        for (auto& g : s.b)
            g = rng() % mag::Base;
        const long loops = std::max(1L, long(3e6 / std::max(1.0, s.Once(never, 1))));
        std::vector<double> karatsuba, transform;
        for (int rep = 0; rep < 9; ++rep) {
            karatsuba.push_back(s.Once(never, loops));
            transform.push_back(s.Once(always, loops));
        }
        std::sort(karatsuba.begin(), karatsuba.end());
        std::sort(transform.begin(), transform.end());
        const std::string name =
            x == std::string::npos ? shape : std::to_string(na) + " x " + std::to_string(nb);
        std::printf("| %s | %.1f us | %.1f us | %.2f |\n", name.c_str(), karatsuba[4] / 1e3,
                    transform[4] / 1e3, karatsuba[4] / transform[4]);
    }
    return 0;
}
