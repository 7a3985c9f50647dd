// Exact decimals against their peers, in one run: GMP (a mantissa with a power-of-ten scale)
// and Python's decimal module in an exact context. Every result is checked against both peers
// before the table of median times is printed.
//
//   bench_decimal [--max-digits N] [--mul-digits N] [--python PYTHON] [--markdown FILE]
//
// Every operation runs up to --max-digits (default 10^6); the n x n product alone goes on to
// --mul-digits (default 10^7), where the transform multiply is meant to pay.
#include "numeric/infinito.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <gmp.h>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#ifndef VELTRA_BENCH_SCRIPT
#define VELTRA_BENCH_SCRIPT "bench_decimal.py"
#endif

namespace {

using veltra::TInfinito;

volatile std::size_t gSink = 0; // keeps results alive

// CPU time of this thread: on a shared machine, time spent descheduled is not ours.
double ThreadNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e9 + double(ts.tv_nsec);
}

// Medians of the two functions, their repetitions interleaved so that both see the same
// conditions on a shared machine.
std::pair<double, double> MedianNs(const std::function<void()>& f, const std::function<void()>& g,
                                   double budgetNs = 2e6, int reps = 9) {
    auto loopsFor = [&](const std::function<void()>& fn) {
        const double t0 = ThreadNs();
        fn();
        const double once = std::max<double>(1, ThreadNs() - t0);
        if (once > 2e8) reps = 3;
        return std::max<long>(1, static_cast<long>(budgetNs / once));
    };
    const long loopsF = loopsFor(f);
    const long loopsG = loopsFor(g);
    auto sample = [](const std::function<void()>& fn, long loops) {
        const double t0 = ThreadNs();
        for (long i = 0; i < loops; ++i)
            fn();
        return (ThreadNs() - t0) / double(loops);
    };
    std::vector<double> sf, sg;
    for (int r = 0; r < reps; ++r) {
        sf.push_back(sample(f, loopsF));
        sg.push_back(sample(g, loopsG));
    }
    std::sort(sf.begin(), sf.end());
    std::sort(sg.begin(), sg.end());
    return {sf[sf.size() / 2], sg[sg.size() / 2]};
}

// A decimal as GMP holds it: integer mantissa m and value m / 10^scale.
struct Fixed {
    mpz_t m;
    long scale = 0;
    Fixed() { mpz_init(m); }
    explicit Fixed(const std::string& text) : Fixed() { Set(text); }
    Fixed(const Fixed&) = delete;
    Fixed& operator=(const Fixed&) = delete;
    ~Fixed() { mpz_clear(m); }

    void Set(const std::string& text) {
        std::string digits;
        digits.reserve(text.size());
        const std::size_t dot = text.find('.');
        scale = dot == std::string::npos ? 0 : long(text.size() - dot - 1);
        for (char c : text) {
            if (c != '.') digits += c;
        }
        mpz_set_str(m, digits.c_str(), 10);
    }
    std::string Text() const {
        std::string d(mpz_sizeinbase(m, 10) + 2, '\0');
        mpz_get_str(d.data(), 10, m);
        d.resize(std::char_traits<char>::length(d.c_str()));
        const bool negative = d.front() == '-';
        if (negative) d.erase(0, 1);
        if (d.size() <= std::size_t(scale))
            d = std::string(std::size_t(scale) + 1 - d.size(), '0') + d;
        std::string text = d.substr(0, d.size() - std::size_t(scale));
        std::string frac = d.substr(d.size() - std::size_t(scale));
        while (!frac.empty() && frac.back() == '0')
            frac.pop_back();
        if (!frac.empty()) text += "." + frac;
        return negative ? "-" + text : text;
    }
};

// n significant digits, `frac` of them after the point; no leading or trailing zero.
std::string MakeText(std::mt19937_64& rng, std::size_t n, std::size_t frac) {
    std::uniform_int_distribution<int> digit(0, 9);
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += char('0' + digit(rng));
    s.front() = char('1' + digit(rng) % 9);
    s.back() = char('1' + digit(rng) % 8); // below 9, so adding one ulp never carries
    if (frac == n) return "0." + s;
    if (frac > 0) return s.substr(0, n - frac) + "." + s.substr(n - frac);
    return s;
}

std::string Ulp(std::size_t frac) {
    return frac == 0 ? "1" : "0." + std::string(frac - 1, '0') + "1";
}

struct Row {
    std::string op;
    std::size_t n = 0;
    double ours = 0, gmp = 0, py = 0;
};

std::string Time(double ns) {
    char buf[32];
    if (ns < 1e3)
        std::snprintf(buf, sizeof buf, "%.1f ns", ns);
    else if (ns < 1e6)
        std::snprintf(buf, sizeof buf, "%.2f us", ns / 1e3);
    else if (ns < 1e9)
        std::snprintf(buf, sizeof buf, "%.2f ms", ns / 1e6);
    else
        std::snprintf(buf, sizeof buf, "%.2f s", ns / 1e9);
    return buf;
}

std::string Ratio(double r) {
    char buf[32];
    std::snprintf(buf, sizeof buf, r < 10 ? "%.2f" : "%.0f", r);
    return buf;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t maxDigits = 1000000;
    std::size_t mulDigits = 10000000;
    std::string python = "python3";
    std::string markdown;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--max-digits" && i + 1 < argc)
            maxDigits = std::stoul(argv[++i]);
        else if (arg == "--mul-digits" && i + 1 < argc)
            mulDigits = std::stoul(argv[++i]);
        else if (arg == "--python" && i + 1 < argc)
            python = argv[++i];
        else if (arg == "--markdown" && i + 1 < argc)
            markdown = argv[++i];
        else {
            std::cerr << "usage: bench_decimal [--max-digits N] [--mul-digits N] [--python PYTHON] "
                         "[--markdown FILE]\n";
            return 2;
        }
    }
    std::vector<std::size_t> sizes;
    for (std::size_t n : {10u, 16u, 100u, 1000u, 10000u, 100000u, 1000000u, 10000000u}) {
        if (n <= std::max(maxDigits, mulDigits)) sizes.push_back(n);
    }
    // Sizes past --max-digits have the n x n product only (operands X and Y).
    auto mulOnly = [&](std::size_t n) { return n > maxDigits; };

    // Operands: X, Y (same scale), Z (another scale), W (8 digits), X2 = X + one ulp.
    std::mt19937_64 rng(20261208);
    std::map<std::size_t, std::map<std::string, std::string>> texts;
    for (std::size_t n : sizes) {
        auto& t = texts[n];
        t["X"] = MakeText(rng, n, n / 2);
        t["Y"] = MakeText(rng, n, n / 2);
        if (mulOnly(n)) continue;
        t["Z"] = MakeText(rng, n, n / 4);
        t["W"] = "0.12345678";
        t["X2"] = TInfinito::Add(TInfinito(t["X"]), TInfinito(Ulp(n / 2))).ToText();
    }
    const std::string operandFile = "bench_decimal_operands.txt";
    const std::string resultFile = "bench_decimal_python.txt";
    {
        std::ofstream out(operandFile);
        for (auto& [n, t] : texts) {
            for (auto& [name, text] : t)
                out << n << ' ' << name << ' ' << text << '\n';
        }
    }
    std::cerr << "running Python's decimal...\n";
    const std::string command =
        python + " " + VELTRA_BENCH_SCRIPT + " " + operandFile + " " + resultFile;
    if (std::system(command.c_str()) != 0) {
        std::cerr << "bench_decimal: the Python peer failed: " << command << '\n';
        return 1;
    }
    std::map<std::pair<std::string, std::size_t>, std::pair<double, std::string>> pyResults;
    {
        std::ifstream in(resultFile);
        std::string op;
        std::size_t n;
        double ns;
        while (in >> op >> n >> ns) {
            std::string text;
            in.get();
            std::getline(in, text);
            pyResults[{op, n}] = {ns, text};
        }
    }

    std::vector<Row> rows;
    bool allSame = true;
    std::ostringstream memory;
    for (std::size_t n : sizes) {
        auto& t = texts[n];
        if (mulOnly(n)) {
            for (const char* name : {"Z", "W", "X2"})
                t[name] = "1"; // unused: only mul_nn runs at this size
        }
        TInfinito x(t["X"]), y(t["Y"]), z(t["Z"]), w(t["W"]), x2(t["X2"]), xcopy(t["X"]);
        Fixed gx(t["X"]), gy(t["Y"]), gz(t["Z"]), gx2(t["X2"]), gxcopy(t["X"]);
        Fixed gr;
        mpz_t pow10;
        mpz_init(pow10);
        mpz_ui_pow_ui(pow10, 10, static_cast<unsigned long>(gx.scale - gz.scale));
        if (!mulOnly(n))
            memory << "| " << n << " | " << sizeof(TInfinito) + x.HeapBytes() << " |\n";

        struct Op {
            std::string name;
            std::function<std::string()> ours;
            std::function<void()> oursTimed;
            std::function<std::string()> gmp;
            std::function<void()> gmpTimed;
        };
        auto big = [](bool b) { return std::string(b ? "Bigger" : "Not bigger"); };
        auto eq = [](bool b) { return std::string(b ? "Equal" : "Not Equal"); };
        std::vector<Op> ops = {
            {"add_eq", [&] { return TInfinito::Add(x, y).ToText(); },
             [&] { gSink = gSink + TInfinito::Add(x, y).GroupCount(); },
             [&] {
                 mpz_add(gr.m, gx.m, gy.m);
                 gr.scale = gx.scale;
                 return gr.Text();
             },
             [&] { mpz_add(gr.m, gx.m, gy.m); }},
            {"add_diff", [&] { return TInfinito::Add(x, z).ToText(); },
             [&] { gSink = gSink + TInfinito::Add(x, z).GroupCount(); },
             [&] {
                 mpz_mul(gr.m, gz.m, pow10);
                 mpz_add(gr.m, gr.m, gx.m);
                 gr.scale = gx.scale;
                 return gr.Text();
             },
             [&] {
                 mpz_mul(gr.m, gz.m, pow10);
                 mpz_add(gr.m, gr.m, gx.m);
             }},
            {"mul_8", [&] { return TInfinito::Multiply(w, x).ToText(); },
             [&] { gSink = gSink + TInfinito::Multiply(w, x).GroupCount(); },
             [&] {
                 mpz_mul_ui(gr.m, gx.m, 12345678);
                 gr.scale = gx.scale + 8;
                 return gr.Text();
             },
             [&] { mpz_mul_ui(gr.m, gx.m, 12345678); }},
            {"mul_nn", [&] { return TInfinito::Multiply(x, y).ToText(); },
             [&] { gSink = gSink + TInfinito::Multiply(x, y).GroupCount(); },
             [&] {
                 mpz_mul(gr.m, gx.m, gy.m);
                 gr.scale = gx.scale + gy.scale;
                 return gr.Text();
             },
             [&] { mpz_mul(gr.m, gx.m, gy.m); }},
            {"greater", [&] { return big(TInfinito::GreaterThan(x2, x)); },
             [&] { gSink = gSink + TInfinito::GreaterThan(x2, x); },
             [&] { return big(mpz_cmp(gx2.m, gx.m) > 0); },
             [&] { gSink = gSink + mpz_cmp(gx2.m, gx.m) > 0; }},
            {"equal", [&] { return eq(TInfinito::EqualTo(x, xcopy)); },
             [&] { gSink = gSink + TInfinito::EqualTo(x, xcopy); },
             [&] { return eq(mpz_cmp(gx.m, gxcopy.m) == 0); },
             [&] { gSink = gSink + mpz_cmp(gx.m, gxcopy.m) == 0; }},
            {"parse", [&] { return TInfinito(t["X"]).ToText(); },
             [&] { gSink = gSink + TInfinito(t["X"]).GroupCount(); },
             [&] {
                 gr.Set(t["X"]);
                 return gr.Text();
             },
             [&] { gr.Set(t["X"]); }},
            {"totext", [&] { return x.ToText(); }, [&] { gSink = gSink + x.ToText().size(); },
             [&] { return gx.Text(); }, [&] { gSink = gSink + gx.Text().size(); }},
        };
        for (Op& op : ops) {
            if (mulOnly(n) && op.name != "mul_nn") continue;
            const auto& [pyNs, pyText] = pyResults[{op.name, n}];
            const std::string ours = op.ours();
            const std::string gmp = op.gmp();
            if (ours != gmp || ours != pyText) {
                allSame = false;
                std::cerr << "MISMATCH " << op.name << " n=" << n
                          << "\n  ours:    " << ours.substr(0, 80)
                          << "\n  GMP:     " << gmp.substr(0, 80)
                          << "\n  decimal: " << pyText.substr(0, 80) << '\n';
            }
            const auto [oursNs, gmpNs] = MedianNs(op.oursTimed, op.gmpTimed);
            Row row{op.name, n, oursNs, gmpNs, pyNs};
            std::cerr << op.name << " n=" << n << ": " << Time(row.ours) << '\n';
            rows.push_back(row);
        }
        mpz_clear(pow10);
    }
    if (!allSame) {
        std::cerr << "bench_decimal: results differ, no table\n";
        return 1;
    }

    std::ostringstream table;
    table << "| operation | digits | ours | GMP | decimal | ours / GMP | decimal / ours |\n"
             "|---|---:|---:|---:|---:|---:|---:|\n";
    for (const Row& r : rows) {
        table << "| " << r.op << " | " << r.n << " | " << Time(r.ours) << " | " << Time(r.gmp)
              << " | " << Time(r.py) << " | " << Ratio(r.ours / r.gmp) << " | "
              << Ratio(r.py / r.ours) << " |\n";
    }
    table << "\nMemory of one number (X, digits half after the point):\n\n"
             "| digits | bytes |\n|---:|---:|\n"
          << memory.str();
    std::cout << table.str();
    if (!markdown.empty()) std::ofstream(markdown) << table.str();
    std::remove(operandFile.c_str());
    std::remove(resultFile.c_str());
    return 0;
}
