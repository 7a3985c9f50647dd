// Reference stepper over GMP integers: the practical limit for exact stepping.
//
//   ref_step_gmp NET STEPS
//
// Every value is a mantissa with a power-of-ten scale (value = m / 10^scale). A sum aligns the
// two scales and adds the product with mpz_addmul; nothing is ever divided by a gcd. Reads the
// net file trusting its layout, steps it as the application does (every element with a non-zero
// value sends weight x value, then neurons apply their activation, inputs consume a symbol and
// outputs record their source), and prints one line per top-level element: kind, label, value.
// The stepping time and the peak memory go to standard error.
#include "peakmemory.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <gmp.h>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Dec {
    mpz_t m;
    long scale = 0;
    Dec() { mpz_init(m); }
    ~Dec() { mpz_clear(m); }
    Dec(const Dec&) = delete;
    Dec& operator=(const Dec&) = delete;
};

std::vector<std::unique_ptr<Dec>> pow10Cache;

const mpz_t& Pow10(long n) {
    while (static_cast<long>(pow10Cache.size()) <= n) {
        auto p = std::make_unique<Dec>();
        mpz_ui_pow_ui(p->m, 10, pow10Cache.size());
        pow10Cache.push_back(std::move(p));
    }
    return pow10Cache[static_cast<std::size_t>(n)]->m;
}

void SetText(Dec& d, const std::string& text) {
    std::string digits;
    long scale = 0;
    bool frac = false;
    bool neg = false;
    for (char c : text) {
        if (c == '-')
            neg = true;
        else if (c == '.')
            frac = true;
        else if (c >= '0' && c <= '9') {
            digits += c;
            if (frac) ++scale;
        }
    }
    if (digits.empty()) digits = "0";
    mpz_set_str(d.m, digits.c_str(), 10);
    if (neg) mpz_neg(d.m, d.m);
    d.scale = scale;
}

void SetSmall(Dec& d, long v) {
    mpz_set_si(d.m, v);
    d.scale = 0;
}

// Compares a with b (aligned): -1, 0, 1.
int Compare(const Dec& a, const Dec& b) {
    if (a.scale == b.scale) return mpz_cmp(a.m, b.m);
    mpz_t t;
    mpz_init(t);
    int r;
    if (a.scale < b.scale) {
        mpz_mul(t, a.m, Pow10(b.scale - a.scale));
        r = mpz_cmp(t, b.m);
    } else {
        mpz_mul(t, b.m, Pow10(a.scale - b.scale));
        r = mpz_cmp(a.m, t);
    }
    mpz_clear(t);
    return r;
}

int CompareOne(const Dec& a) {
    return mpz_cmp(a.m, Pow10(a.scale));
}

mpz_t scratch;

// sum += w * v
void AddProduct(Dec& sum, const Dec& w, const Dec& v) {
    const long p = w.scale + v.scale;
    if (mpz_sgn(sum.m) == 0) {
        mpz_mul(sum.m, w.m, v.m);
        sum.scale = p;
    } else if (p == sum.scale) {
        mpz_addmul(sum.m, w.m, v.m);
    } else if (p > sum.scale) {
        mpz_mul(sum.m, sum.m, Pow10(p - sum.scale));
        sum.scale = p;
        mpz_addmul(sum.m, w.m, v.m);
    } else {
        mpz_mul(scratch, w.m, Pow10(sum.scale - p));
        mpz_addmul(sum.m, scratch, v.m);
    }
}

std::string Text(const Dec& d) {
    char* raw = mpz_get_str(nullptr, 10, d.m);
    std::string s(raw);
    void (*freefunc)(void*, size_t);
    mp_get_memory_functions(nullptr, nullptr, &freefunc);
    freefunc(raw, std::char_traits<char>::length(raw) + 1);
    bool neg = !s.empty() && s[0] == '-';
    if (neg) s.erase(0, 1);
    if (d.scale > 0) {
        if (static_cast<long>(s.size()) <= d.scale)
            s = std::string(static_cast<std::size_t>(d.scale + 1 - static_cast<long>(s.size())),
                            '0') +
                s;
        s.insert(s.size() - static_cast<std::size_t>(d.scale), ".");
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "0") neg = false;
    return (neg ? "-" : "") + s;
}

enum Kind { Neuron, Bias, Input, Output, Module };
enum Func { SatLin, Step, Sigmoid };

struct Syn;
struct El {
    Kind kind = Neuron;
    std::string label;
    long id = 0;
    std::vector<std::unique_ptr<Syn>> out;
    std::vector<El*> incoming;
    Dec value, sum, teta;
    Func func = SatLin;
    std::string seq;
    std::size_t seqPos = 0;
    std::vector<std::unique_ptr<El>> inner;
};

struct Syn {
    Dec w;
    long dest = 0;
    El* to = nullptr;
};

Dec zero, one;

// Reads the file a line at a time, keeping none of it: the peak memory is the net's.
struct Parser {
    std::istream& in;
    std::string line;
    explicit Parser(std::istream& stream) : in(stream) { Next(); } // past the header line
    const std::string& Next() {
        if (!std::getline(in, line)) line.clear();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
    void Skip(int n) {
        for (int i = 0; i < n; ++i)
            Next();
    }
    std::string Rest(std::size_t n) { return Next().substr(n); }
    long Count() {
        const std::string& l = Next();
        return std::stol(l.substr(l.find('=') + 1));
    }

    std::vector<std::unique_ptr<El>> List() {
        std::vector<std::unique_ptr<El>> all, outs;
        long count = Count();
        for (long i = 0; i < count; ++i) {
            auto e = std::make_unique<El>();
            std::string head = Next();
            std::string type = head.substr(16, head.size() - 17);
            for (auto& c : type)
                c = static_cast<char>(std::toupper(c));
            e->kind = type == "TNEURONIO" ? Neuron
                      : type == "TPENDOR" ? Bias
                      : type == "TINPUT"  ? Input
                      : type == "TOUTPUT" ? Output
                                          : Module;
            e->id = std::stol(Rest(3));
            e->label = Rest(9);
            Skip(3);
            long ns = Count();
            for (long s = 0; s < ns; ++s) {
                auto syn = std::make_unique<Syn>();
                Skip(1);
                SetText(syn->w, Rest(6));
                syn->dest = std::stol(Rest(8));
                Skip(2);
                e->out.push_back(std::move(syn));
            }
            Skip(1);
            if (e->kind == Neuron) {
                SetText(e->value, Rest(11));
                std::string f = Rest(16);
                for (auto& c : f)
                    c = static_cast<char>(std::toupper(c));
                e->func = f == "TSTEPFUNCTION" ? Step : f == "TBINARYSIGMOID" ? Sigmoid : SatLin;
                if (e->func == Step) SetText(e->teta, Rest(5));
                Skip(1);
            } else if (e->kind == Bias) {
                SetText(e->value, Rest(11));
            } else if (e->kind == Input || e->kind == Output) {
                e->seq = Rest(8);
            } else {
                e->inner = List();
            }
            Skip(1);
            (e->kind == Output ? outs : all).push_back(std::move(e));
        }
        Skip(1);
        for (auto& o : outs)
            all.push_back(std::move(o));
        return all;
    }
};

void Walk(std::vector<std::unique_ptr<El>>& list, std::map<long, El*>& ids) {
    for (auto& e : list) {
        ids.emplace(e->id, e.get());
        Walk(e->inner, ids);
    }
}

void Link(std::vector<std::unique_ptr<El>>& list, std::map<long, El*>& ids) {
    for (auto& e : list) {
        for (auto& s : e->out) {
            s->to = ids.at(s->dest);
            s->to->incoming.push_back(e.get());
        }
        Link(e->inner, ids);
    }
}

const Dec& Value(const El& e) {
    if (e.kind == Input) return e.seqPos < e.seq.size() && e.seq[e.seqPos] == '1' ? one : zero;
    if (e.kind == Neuron || e.kind == Bias) return e.value;
    return zero;
}

void Propagate(std::vector<std::unique_ptr<El>>& list) {
    for (auto& e : list) {
        if (e->kind == Module) {
            Propagate(e->inner);
            continue;
        }
        if (e->kind == Output) continue;
        const Dec& v = Value(*e);
        if (mpz_sgn(v.m) == 0) continue;
        for (auto& s : e->out)
            if (s->to->kind == Neuron) AddProduct(s->to->sum, s->w, v);
    }
}

void Commit(std::vector<std::unique_ptr<El>>& list) {
    for (auto& e : list) {
        switch (e->kind) {
        case Neuron: {
            Dec& x = e->sum;
            bool toZero = false, toOne = false;
            if (e->func == SatLin) {
                toZero = mpz_sgn(x.m) < 0;
                toOne = !toZero && CompareOne(x) > 0;
            } else if (e->func == Step) {
                toZero = Compare(e->teta, x) > 0;
                toOne = !toZero;
            } else {
                toZero = CompareOne(x) < 0;
                toOne = !toZero;
            }
            if (toZero)
                SetSmall(e->value, 0);
            else if (toOne)
                SetSmall(e->value, 1);
            else {
                mpz_swap(e->value.m, x.m);
                e->value.scale = x.scale;
            }
            SetSmall(x, 0);
            break;
        }
        case Input:
            if (e->seqPos < e->seq.size()) ++e->seqPos;
            break;
        case Output: {
            const El* source = nullptr;
            for (El* in : e->incoming)
                if (in->kind != Module) {
                    source = in;
                    break;
                }
            if (!source && !e->incoming.empty()) source = e->incoming.front();
            const Dec& r = source ? Value(*source) : zero;
            e->seq += mpz_sgn(r.m) == 0 ? '0' : (CompareOne(r) == 0 ? '1' : 'x');
            break;
        }
        case Module:
            Commit(e->inner);
            break;
        default:
            break;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: ref_step_gmp NET STEPS\n";
        return 2;
    }
    mpz_init(scratch);
    SetSmall(one, 1);
    const auto loadStart = std::chrono::steady_clock::now();
    std::ifstream in(argv[1], std::ios::binary);
    Parser parser(in);
    auto top = parser.List();
    std::map<long, El*> ids;
    Walk(top, ids);
    Link(top, ids);
    const double loadSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();
    const long steps = std::stol(argv[2]);
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < steps; ++i) {
        Propagate(top);
        Commit(top);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    static const char* kinds[] = {"neuron", "bias", "input", "output", "module"};
    for (auto& e : top) {
        std::string text = e->kind == Neuron || e->kind == Bias ? Text(e->value)
                           : e->kind == Input                   ? e->seq.substr(e->seqPos)
                           : e->kind == Output                  ? e->seq
                                                                : "0";
        std::cout << kinds[e->kind] << '\t' << e->label << '\t' << text << '\n';
    }
    std::fprintf(stderr, "seconds=%.6f\nload_seconds=%.6f\nmaxrss_kb=%ld\n", seconds, loadSeconds,
                 veltra::bench::PeakKilobytes());
    return 0;
}
