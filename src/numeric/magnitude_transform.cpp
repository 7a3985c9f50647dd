// Products of long magnitudes by number-theoretic transforms: the convolution of the two
// group sequences is computed modulo two primes near 2^62 and rebuilt exactly by the Chinese
// remainder theorem, then carried into base-10^8 groups.
//
// Why the result is exact. Coefficient k of the convolution is c_k = sum a_i b_(k-i), a sum
// of at most min(na, nb) <= N products of two groups, so 0 <= c_k <= N (Base-1)^2 < N 10^16.
// The transform of length N >= na + nb - 1 is cyclic but no coefficient wraps, so the
// transforms give c_k mod p1 and c_k mod p2 exactly (modular arithmetic has no rounding).
// Both primes exceed 2^61, so p1 p2 > 2^122 > 2^MaxTransformLog 10^16 (checked below at
// compile time): c_k is the unique value below p1 p2 with those residues, which Garner's form
// c = a1 + p1 ((a2 - a1) p1^-1 mod p2) yields. Products of more than 2^MaxTransformLog
// coefficients (and, in tests, of more than TransformLimit) are split by Mul before they get
// here; a far longer operand is taken here in slices, each slice product a transform of its own.
#include "contract.h"
#include "infinito.h"
#include "magnitude.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <vector>

namespace veltra::mag {

// Measured with bench/mul_crossover on x86-64 against Karatsuba with AVX2 row products: at
// 4,600 groups (36,800 digits) the two are level (0.94-1.08 over several runs), beyond it the
// transforms are faster (1.1-1.8x by 5,000-12,500 groups, also just past the steps of their
// lengths); below it they lose most of the time, by up to 40 % just past a step (2,100 groups).
std::size_t TransformThreshold = 4600;
static_assert(sizeof(std::size_t) >= 8, "transform lengths up to 2^MaxTransformLog");
std::size_t TransformLimit = std::size_t(1) << MaxTransformLog;

namespace {

using U64 = std::uint64_t;
__extension__ typedef unsigned __int128 U128;

constexpr U64 MulMod(U64 a, U64 b, U64 p) {
    return U64(U128(a) * b % p);
}

constexpr U64 PowMod(U64 a, U64 e, U64 p) {
    U64 r = 1 % p;
    for (; e != 0; e >>= 1) {
        if (e & 1) r = MulMod(r, a, p);
        a = MulMod(a, a, p);
    }
    return r;
}

// Miller-Rabin with the first twelve primes as witnesses is a proof below 3.3 * 10^24.
constexpr bool IsPrime(U64 n) {
    constexpr U64 Witnesses[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37};
    for (U64 q : Witnesses) {
        if (n % q == 0) return n == q;
    }
    U64 d = n - 1;
    int s = 0;
    for (; d % 2 == 0; d /= 2)
        ++s;
    for (U64 a : Witnesses) {
        U64 x = PowMod(a, d, n);
        if (x == 1 || x == n - 1) continue;
        bool composite = true;
        for (int i = 1; i < s && composite; ++i) {
            x = MulMod(x, x, n);
            composite = x != n - 1;
        }
        if (composite) return false;
    }
    return true;
}

// A prime c 2^k + 1 with 3 | c and a g that is neither a square nor a cube: g^((p-1)/N) then
// has order exactly N for every N = 2^j or 3 2^j dividing p - 1, since its N/2-th power is
// g^((p-1)/2) = -1 and (for 3 | N) its N/3-th power is g^((p-1)/3) != 1.
struct TPrime {
    U64 p;
    int twoAdicity;
    U64 nonResidue;
};

constexpr TPrime P1{177 * (U64(1) << 54) + 1, 54, 7};
constexpr TPrime P2{459 * (U64(1) << 53) + 1, 53, 7};

constexpr bool Usable(const TPrime& q) {
    return IsPrime(q.p) && q.p > (U64(1) << 61) && q.p < (U64(1) << 62) &&
           (q.p - 1) % (U64(3) << q.twoAdicity) == 0 && q.twoAdicity >= MaxTransformLog &&
           PowMod(q.nonResidue, (q.p - 1) / 2, q.p) == q.p - 1 &&
           PowMod(q.nonResidue, (q.p - 1) / 3, q.p) != 1;
}
static_assert(Usable(P1) && Usable(P2));
static_assert(P1.p < P2.p, "Garner's step takes a1 < p1 as a residue modulo p2");
static_assert((U128(1) << MaxTransformLog) * (U128(Base - 1) * (Base - 1)) < U128(P1.p) * P2.p,
              "every coefficient of a transform of the longest length is below p1 p2");

// Montgomery arithmetic modulo p < 2^62, lazily reduced: values live in [0, 2p), so that a
// sum or difference of two of them plus 2p stays below 4p < 2^64.
class TMont {
public:
    explicit constexpr TMont(U64 p) : p_(p), inv_(Inverse(p)) {}
    U64 P() const { return p_; }
    // a b / 2^64 mod p in [0, 2p), for a b < p 2^64 (so a < 4p with b < p, or both < 2p).
    U64 Mul(U64 a, U64 b) const {
        const U128 t = U128(a) * b;
        const U64 q = U64(t) * inv_;             // q p = t modulo 2^64
        const U64 h = U64((U128(q) * p_) >> 64); // so t - q p = (high(t) - h) 2^64
        return U64(t >> 64) - h + p_;            // in (-p, p) + p
    }
    U64 Reduce2(U64 x) const { return x >= 2 * p_ ? x - 2 * p_ : x; } // [0, 4p) -> [0, 2p)
    U64 Reduce1(U64 x) const { return x >= p_ ? x - p_ : x; }         // [0, 2p) -> [0, p)
    // x (an ordinary residue) in Montgomery form, x 2^64 mod p.
    U64 ToMont(U64 x) const { return U64((U128(x) << 64) % p_); }

private:
    static constexpr U64 Inverse(U64 p) {
        U64 x = p; // right to 3 bits for odd p; each Newton step doubles that
        for (int i = 0; i < 5; ++i)
            x *= 2 - p * x;
        return x;
    }
    U64 p_;
    U64 inv_;
};

// Blocks this short are transformed level by level in cache; longer ones recurse.
constexpr std::size_t LeafLength = 2048;
// Long products take seconds: the cancel flag is looked at on blocks at least this long.
constexpr std::size_t PollLength = std::size_t(1) << 16;

// roots[h + j] = w_2h^j 2^64 mod p for every power of two h < n, j < h, where w_2h is a
// root of unity of order 2h.
std::vector<U64> Roots(const TMont& m, const TPrime& q, std::size_t n) {
    std::vector<U64> roots(std::max<std::size_t>(n, 2));
    const std::size_t top = n / 2;
    if (top == 0) return roots;
    const U64 step = m.ToMont(PowMod(q.nonResidue, (q.p - 1) / n, q.p));
    U64 w = m.ToMont(1);
    for (std::size_t j = 0; j < top; ++j) {
        roots[top + j] = w;
        w = m.Reduce1(m.Mul(w, step));
    }
    for (std::size_t h = top / 2; h >= 1; h /= 2) {
        for (std::size_t j = 0; j < h; ++j)
            roots[h + j] = roots[2 * h + 2 * j];
    }
    return roots;
}

// One level of the decimation in frequency: (u, v) -> (u + v, (u - v) w^j).
inline void ForwardLevel(U64* x, std::size_t h, const U64* w, const TMont& m) {
    const U64 twoP = 2 * m.P();
    for (std::size_t j = 0; j < h; ++j) {
        const U64 u = x[j], v = x[j + h];
        x[j] = m.Reduce2(u + v);
        x[j + h] = m.Mul(u - v + twoP, w[j]);
    }
}

// x[0..n) in [0, 2p) becomes its transform, in bit-reversed order, in [0, 2p).
void ForwardPow2(U64* x, std::size_t n, const U64* roots, const TMont& m) {
    if (n > LeafLength) {
        if (n >= PollLength) TCancelScope::Poll();
        const std::size_t h = n / 2;
        ForwardLevel(x, h, roots + h, m);
        ForwardPow2(x, h, roots, m);
        ForwardPow2(x + h, h, roots, m);
        return;
    }
    const U64 twoP = 2 * m.P();
    for (std::size_t h = n / 2; h >= 2; h /= 2) {
        for (std::size_t s = 0; s < n; s += 2 * h)
            ForwardLevel(x + s, h, roots + h, m);
    }
    for (std::size_t s = 0; s + 1 < n; s += 2) { // the last level multiplies by one
        const U64 u = x[s], v = x[s + 1];
        x[s] = m.Reduce2(u + v);
        x[s + 1] = m.Reduce2(u - v + twoP);
    }
}

// One level of the decimation in time with w^-j = -w^(h-j): (u, v) -> (u + v w^-j, u - v w^-j).
inline void InverseLevel(U64* x, std::size_t h, const U64* w, const TMont& m) {
    const U64 twoP = 2 * m.P();
    const U64 u0 = x[0], v0 = x[h];
    x[0] = m.Reduce2(u0 + v0);
    x[h] = m.Reduce2(u0 - v0 + twoP);
    for (std::size_t j = 1; j < h; ++j) {
        const U64 u = x[j];
        const U64 t = m.Mul(x[j + h], w[h - j]); // -v w^-j, in [0, 2p)
        x[j] = m.Reduce2(u - t + twoP);
        x[j + h] = m.Reduce2(u + t);
    }
}

// Undoes ForwardPow2 up to a factor n: bit-reversed x[0..n) in [0, 2p) becomes n times the
// sequence it came from, in natural order, in [0, 2p).
void InversePow2(U64* x, std::size_t n, const U64* roots, const TMont& m) {
    if (n > LeafLength) {
        if (n >= PollLength) TCancelScope::Poll();
        const std::size_t h = n / 2;
        InversePow2(x, h, roots, m);
        InversePow2(x + h, h, roots, m);
        InverseLevel(x, h, roots + h, m);
        return;
    }
    for (std::size_t h = 1; h < n; h *= 2) {
        for (std::size_t s = 0; s < n; s += 2 * h)
            InverseLevel(x + s, h, roots + h, m);
    }
}

// Transforms of length n = 2^k or 3 2^k modulo one prime. A length with the factor three
// takes one radix-3 level on top of three power-of-two transforms of a third of the length,
// so that a product just past a power of two costs 3/4 of the next power of two.
class TTransform {
public:
    TTransform(const TPrime& q, std::size_t n)
        : m_(q.p), n_(n), third_(n % 3 == 0 ? n / 3 : 0), roots_(Roots(m_, q, Part())) {
        if (third_ == 0) return;
        const U64 w = PowMod(q.nonResidue, (q.p - 1) / n, q.p); // order n
        cube_ = m_.ToMont(PowMod(w, third_, q.p));
        cube2_ = m_.ToMont(PowMod(w, 2 * third_, q.p));
        // twiddles_[j] = w^j in Montgomery form; w^2j is squared when needed, and the inverse
        // level reaches w^-j through w^(n/3 - j) (see Inverse).
        twiddles_.resize(third_);
        const U64 step = m_.ToMont(w);
        U64 f = m_.ToMont(1);
        for (std::size_t j = 0; j < third_; ++j) {
            twiddles_[j] = f;
            f = m_.Reduce1(m_.Mul(f, step));
        }
    }
    const TMont& Mont() const { return m_; }
    std::size_t Length() const { return n_; }

    // x[0..n) in [0, 2p) becomes its transform (in an order Inverse undoes), in [0, 2p).
    void Forward(U64* x) const {
        if (third_ == 0) {
            ForwardPow2(x, n_, roots_.data(), m_);
            return;
        }
        const U64 twoP = 2 * m_.P();
        const std::size_t h = third_;
        for (std::size_t j = 0; j < h; ++j) {
            // (x0, x1, x2) -> (x0 + x1 + x2, x0 + c x1 + c^2 x2, x0 + c^2 x1 + c x2) for the
            // cube root of one c, the last two times w^j and w^2j; c^2 = -1 - c.
            const U64 x0 = x[j], x1 = x[j + h], x2 = x[j + 2 * h];
            const U64 s = m_.Reduce2(x1 + x2);
            const U64 t = m_.Reduce2(m_.Mul(x1, cube_) + m_.Mul(x2, cube2_));
            const U64 w = twiddles_[j];
            x[j] = m_.Reduce2(x0 + s);
            x[j + h] = m_.Mul(x0 + t, w);
            x[j + 2 * h] = m_.Mul(x0 + twoP - m_.Reduce2(s + t), m_.Reduce1(m_.Mul(w, w)));
        }
        for (int k = 0; k < 3; ++k)
            ForwardPow2(x + k * h, h, roots_.data(), m_);
    }

    // Undoes Forward up to a factor n, leaving values in [0, 2p).
    void Inverse(U64* x) const {
        if (third_ == 0) {
            InversePow2(x, n_, roots_.data(), m_);
            return;
        }
        const U64 twoP = 2 * m_.P();
        const std::size_t h = third_;
        for (int k = 0; k < 3; ++k)
            InversePow2(x + k * h, h, roots_.data(), m_);
        // The radix-3 level with c^-1 = c^2 and w^-1: x_k = y0 + c^-k u1 + c^-2k u2 where
        // u1 = w^-j y1, u2 = w^-2j y2. At j = 0 the u are the y.
        {
            const U64 y0 = x[0], u1 = x[h], u2 = x[2 * h];
            const U64 s = m_.Reduce2(u1 + u2);
            const U64 t = m_.Reduce2(m_.Mul(u1, cube_) + m_.Mul(u2, cube2_));
            x[0] = m_.Reduce2(y0 + s);
            x[h] = m_.Reduce2(y0 + twoP - m_.Reduce2(s + t));
            x[2 * h] = m_.Reduce2(y0 + t);
        }
        // Past it, w^-j = w^(h-j) c^2 and w^-2j = w^2(h-j) c since w^h = c. With
        // v1 = w^(h-j) y1 and v2 = w^2(h-j) y2, so u1 = c^2 v1 and u2 = c v2:
        // x0 = y0 + c^2 v1 + c v2, x1 = y0 + c v1 + c^2 v2, x2 = y0 + v1 + v2.
        for (std::size_t j = 1; j < h; ++j) {
            const U64 w = twiddles_[h - j];
            const U64 y0 = x[j];
            const U64 v1 = m_.Mul(x[j + h], w);
            const U64 v2 = m_.Mul(x[j + 2 * h], m_.Reduce1(m_.Mul(w, w)));
            const U64 s = m_.Reduce2(v1 + v2);
            const U64 t = m_.Reduce2(m_.Mul(v1, cube_) + m_.Mul(v2, cube2_));
            x[j] = m_.Reduce2(y0 + twoP - m_.Reduce2(s + t));
            x[j + h] = m_.Reduce2(y0 + t);
            x[j + 2 * h] = m_.Reduce2(y0 + s);
        }
    }

private:
    std::size_t Part() const { return third_ == 0 ? n_ : third_; }

    TMont m_;
    std::size_t n_, third_;
    std::vector<U64> roots_;
    U64 cube_ = 0, cube2_ = 0;
    std::vector<U64> twiddles_;
};

// The transform of x[0..nx) padded with zeros to the transform's length, into out (values in
// [0, 2p)), each group first multiplied by scale (Montgomery form) unless scale is zero.
void Spectrum(U64* out, const Limb* x, std::size_t nx, const TTransform& f, U64 scale) {
    const TMont& m = f.Mont();
    if (scale == 0) {
        std::copy(x, x + nx, out);
    } else {
        for (std::size_t i = 0; i < nx; ++i)
            out[i] = m.Mul(x[i], scale);
    }
    std::fill(out + nx, out + f.Length(), 0);
    f.Forward(out);
}

// Scaling one operand by 2^64 / n on the way in leaves exactly the convolution after the
// Montgomery products (one factor 2^-64) and the inverse transform (a factor n).
U64 LoadScale(const TTransform& f) {
    const TMont& m = f.Mont();
    const U64 p = m.P();
    return m.ToMont(MulMod(m.ToMont(1), p - (p - 1) / f.Length(), p));
}

// x holds the spectrum of one operand; y that of the other, scaled (or null: x is its own
// square, unscaled). x becomes their cyclic convolution, each value in [0, p).
void Convolution(U64* x, const U64* y, const TTransform& f) {
    const TMont& m = f.Mont();
    const std::size_t n = f.Length();
    if (y == nullptr) {
        const U64 scale = LoadScale(f);
        for (std::size_t i = 0; i < n; ++i)
            x[i] = m.Mul(m.Mul(x[i], x[i]), scale);
    } else {
        for (std::size_t i = 0; i < n; ++i)
            x[i] = m.Mul(x[i], y[i]);
    }
    f.Inverse(x);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = m.Reduce1(x[i]);
}

// x below 2^62 as three groups, least significant first.
struct TSplit {
    U64 g0, g1, g2;
};
inline TSplit Split(U64 x) {
    const U64 q = x / Base;
    return {x - q * Base, q % Base, q / Base};
}

// r[0..total) = the sum of c_k Base^k over the count coefficients c_k whose residues modulo p1
// and p2 are x1[k] and x2[k]; the value must fit in total groups.
void Recombine(Limb* r, std::size_t total, const U64* x1, const U64* x2, std::size_t count) {
    // Garner: c = a1 + p1 t with t = (a2 - a1) p1^-1 mod p2. c is added to the result as a1
    // and p1 t split into groups; a window of five 64-bit columns holds the parts not yet
    // carried. A column takes parts of five coefficients, each at most 3 (Base-1)^2 + Base,
    // plus a carry below 2^31: below 1.6 10^17, far inside 64 bits.
    const TMont m2(P2.p);
    const U64 p1InvMont = m2.ToMont(PowMod(P1.p % P2.p, P2.p - 2, P2.p));
    constexpr TSplit P = {P1.p % Base, P1.p / Base % Base, P1.p / Base / Base};
    U64 window[5] = {0, 0, 0, 0, 0};
    U64 carry = 0;
    for (std::size_t k = 0; k < total; ++k) {
        if (k < count) {
            if (k % PollLength == 0) TCancelScope::Poll();
            const U64 a1 = x1[k];
            const U64 t = m2.Reduce1(m2.Mul(x2[k] + P2.p - a1, p1InvMont));
            const TSplit A = Split(a1), T = Split(t);
            window[0] += A.g0 + P.g0 * T.g0;
            window[1] += A.g1 + P.g0 * T.g1 + P.g1 * T.g0;
            window[2] += A.g2 + P.g0 * T.g2 + P.g1 * T.g1 + P.g2 * T.g0;
            window[3] += P.g1 * T.g2 + P.g2 * T.g1;
            window[4] += P.g2 * T.g2;
        }
        const U64 v = window[0] + carry;
        carry = v / Base;
        r[k] = Limb(v - carry * Base);
        window[0] = window[1];
        window[1] = window[2];
        window[2] = window[3];
        window[3] = window[4];
        window[4] = 0;
    }
    VELTRA_EXPECTS(carry == 0 && window[0] == 0 && window[1] == 0 && window[2] == 0 &&
                   window[3] == 0);
}

// The shortest transform length 2^k or 3 2^k (k >= 1, and k >= 0 for 3 2^k) that holds count
// coefficients.
std::size_t LengthFor(std::size_t count) {
    std::size_t n = 2;
    while (n < count && 3 * n / 2 < count)
        n *= 2;
    return n >= count ? n : 3 * n / 2;
}

} // namespace

void MulTransform(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    VELTRA_EXPECTS(na > 0 && nb > 0 && na + nb - 1 <= TransformLimit);
    if (na < nb) {
        std::swap(a, b);
        std::swap(na, nb);
    }
    // A much longer a goes in slices against b's spectrum, computed once, so that the buffers
    // grow with nb, not with na. The slice count s is the one with the least transform work,
    // (2s + 1) n log n for slices of one length whose products fit a transform of length n:
    // b's spectrum, then a forward and an inverse transform per slice (s = 1 is the whole
    // product at once). Slices of about 7 nb are near the best; fewer and more are tried.
    std::size_t slice = na;
    std::size_t n = LengthFor(na + nb - 1);
    if (na >= 2 * nb) {
        const std::size_t most = LengthFor(8 * nb) - nb + 1;
        const std::size_t tries = std::min(na, 2 * ((na + most - 1) / most) + 1);
        double least = 0;
        for (std::size_t k = 1; k <= tries; ++k) {
            const std::size_t len = (na + k - 1) / k;
            const std::size_t length = LengthFor(len + nb - 1);
            const double work = double(2 * k + 1) * double(length) * double(std::bit_width(length));
            if (k == 1 || work < least) {
                least = work;
                slice = len;
                n = length;
            }
        }
    }
    const bool square = a == b && na == nb;
    // Left uninitialised: every word is written before it is read.
    const std::unique_ptr<U64[]> x1(new U64[n]), x2(new U64[n]);
    if (slice == na) {
        // One transform per prime; b's spectrum needs keeping only while its prime is done.
        const std::unique_ptr<U64[]> y(square ? nullptr : new U64[n]);
        for (int k = 0; k < 2; ++k) {
            const TTransform f(k == 0 ? P1 : P2, n);
            U64* x = k == 0 ? x1.get() : x2.get();
            Spectrum(x, a, na, f, 0);
            if (!square) Spectrum(y.get(), b, nb, f, LoadScale(f));
            Convolution(x, y.get(), f);
        }
        Recombine(r, na + nb, x1.get(), x2.get(), na + nb - 1);
        return;
    }
    const TTransform f1(P1, n), f2(P2, n);
    const std::unique_ptr<U64[]> y1(new U64[n]), y2(new U64[n]);
    Spectrum(y1.get(), b, nb, f1, LoadScale(f1));
    Spectrum(y2.get(), b, nb, f2, LoadScale(f2));
    std::vector<Limb> piece(slice + nb);
    std::fill(r, r + na + nb, 0);
    for (std::size_t off = 0; off < na; off += slice) {
        const std::size_t len = std::min(slice, na - off);
        Spectrum(x1.get(), a + off, len, f1, 0);
        Convolution(x1.get(), y1.get(), f1);
        Spectrum(x2.get(), a + off, len, f2, 0);
        Convolution(x2.get(), y2.get(), f2);
        const std::size_t np = len + nb;
        Recombine(piece.data(), np, x1.get(), x2.get(), np - 1);
        AddCarry(r + off + np, na + nb - off - np, Add(r + off, r + off, piece.data(), np));
    }
}

} // namespace veltra::mag
