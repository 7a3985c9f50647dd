// Randomised checks against GMP (values) and the group-by-group reference (layouts and signs).
#include "kernelscope.h"
#include "numeric/infinito.h"
#include "numeric/magnitude.h"
#include "reference.h"

#include <atomic>
#include <gmp.h>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace veltra {
namespace {

// A decimal as an integer mantissa and a count of fraction digits, computed with GMP.
class Exact {
public:
    explicit Exact(std::string_view text) {
        mpz_init(m_);
        std::string digits;
        bool negative = !text.empty() && text.front() == '-';
        if (negative) text.remove_prefix(1);
        for (char c : text) {
            if (c == '.') {
                scale_ = 0;
            } else {
                digits += c;
                if (scale_ >= 0) ++scale_;
            }
        }
        if (scale_ < 0) scale_ = 0;
        if (digits.empty()) digits = "0";
        mpz_set_str(m_, digits.c_str(), 10);
        if (negative) mpz_neg(m_, m_);
    }
    Exact(const Exact& o) : scale_(o.scale_) { mpz_init_set(m_, o.m_); }
    Exact& operator=(const Exact&) = delete;
    ~Exact() { mpz_clear(m_); }

    void Rescale(long scale) {
        if (scale <= scale_) return;
        mpz_t p;
        mpz_init(p);
        mpz_ui_pow_ui(p, 10, static_cast<unsigned long>(scale - scale_));
        mpz_mul(m_, m_, p);
        mpz_clear(p);
        scale_ = scale;
    }
    static Exact Sum(Exact a, Exact b) {
        a.Rescale(b.scale_);
        b.Rescale(a.scale_);
        mpz_add(a.m_, a.m_, b.m_);
        return a;
    }
    static Exact Product(Exact a, const Exact& b) {
        mpz_mul(a.m_, a.m_, b.m_);
        a.scale_ += b.scale_;
        return a;
    }
    static int Compare(Exact a, Exact b) {
        a.Rescale(b.scale_);
        b.Rescale(a.scale_);
        const int c = mpz_cmp(a.m_, b.m_);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    // Canonical text of the value (a zero prints as "0").
    std::string Text() const {
        std::string digits(mpz_sizeinbase(m_, 10) + 2, '\0');
        mpz_get_str(digits.data(), 10, m_);
        digits.resize(std::char_traits<char>::length(digits.c_str()));
        const bool negative = digits.front() == '-';
        if (negative) digits.erase(0, 1);
        if (digits.size() <= std::size_t(scale_)) digits.insert(0, scale_ + 1 - digits.size(), '0');
        std::string text = digits.substr(0, digits.size() - scale_);
        std::string frac = digits.substr(digits.size() - scale_);
        while (!frac.empty() && frac.back() == '0')
            frac.pop_back();
        if (!frac.empty()) text += "." + frac;
        if (negative) text.insert(0, "-");
        return text;
    }

private:
    mpz_t m_;
    long scale_ = -1; // digits after the point; -1 while no point was seen
};

// Random decimal texts biased toward the hard cases: runs of nines and zeros (long carries
// and borrows), whole zero groups at either end, lengths around multiples of 8.
class TextMaker {
public:
    explicit TextMaker(unsigned seed) : rng_(seed) {}

    std::string Digits(std::size_t n) {
        std::string s;
        const int style = Pick(4);
        for (std::size_t i = 0; i < n; ++i) {
            switch (style) {
            case 0:
                s += char('0' + Pick(10));
                break;
            case 1:
                s += Pick(8) == 0 ? char('0' + Pick(10)) : '9';
                break;
            case 2:
                s += Pick(8) == 0 ? char('0' + Pick(10)) : '0';
                break;
            default:
                s += char('0' + (Pick(2) == 0 ? 9 : Pick(10)));
                break;
            }
        }
        return s;
    }
    std::size_t Length(std::size_t max) {
        if (Pick(3) == 0) return std::min<std::size_t>(max, 8 * Pick(4) + Pick(3)); // near groups
        return Pick(static_cast<int>(max) + 1);
    }
    std::string Text(std::size_t maxDigits) {
        std::string t;
        if (Pick(2) == 0) t += '-';
        t += Digits(Length(maxDigits));
        if (Pick(4) != 0) t += "." + Digits(Length(maxDigits));
        if (t == "-." || t == "." || t == "-") t += "0";
        return t;
    }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

private:
    std::mt19937 rng_;
};

void ExpectSameLayout(const TInfinito& got, const reference::Number& want,
                      const std::string& what) {
    ASSERT_EQ(got.GroupCount(), static_cast<int>(want.groups.size())) << what;
    for (int i = 0; i < got.GroupCount(); ++i) {
        ASSERT_EQ(got.GroupAt(i), want.groups[i]) << what << " group " << i;
    }
    EXPECT_EQ(got.Sign(), want.sign) << what;
}

TEST(InfinitoProperty, AgreesWithGmpAndTheGroupReference) {
    TextMaker maker(12345);
    for (int round = 0; round < 4000; ++round) {
        const std::size_t max = round < 3000 ? 40 : 200;
        const std::string x = maker.Text(max);
        const std::string y = maker.Text(max);
        const std::string what = x + " , " + y;
        const TInfinito a(x), b(y);
        const Exact ea(x), eb(y);

        const bool negativeZero = x.front() == '-' && Exact::Compare(ea, Exact("0")) == 0;
        EXPECT_EQ(a.ToText(), negativeZero ? "-0" : ea.Text()) << x;
        const TInfinito sum = TInfinito::Add(a, b);
        EXPECT_EQ(sum.ToText(), Exact::Sum(ea, eb).Text()) << what;
        ExpectSameLayout(sum, reference::Add(reference::FromNumber(a), reference::FromNumber(b)),
                         "sum " + what);
        const TInfinito product = TInfinito::Multiply(a, b);
        EXPECT_EQ(product.ToText(), Exact::Product(ea, eb).Text()) << what;
        ExpectSameLayout(product,
                         reference::Multiply(reference::FromNumber(a), reference::FromNumber(b)),
                         "product " + what);

        const int expected = Exact::Compare(ea, eb);
        EXPECT_EQ(TInfinito::Compare(a, b), expected) << what;
        TInfinito na(a), nb(b);
        EXPECT_EQ(TInfinito::GreaterThan(na, nb), expected > 0) << what;
        EXPECT_EQ(TInfinito::EqualTo(na, nb), expected == 0) << what;
        EXPECT_EQ(TInfinito::Compare(na, a), 0) << "normalising changed the value of " << x;

        TInfinito acc(a);
        acc.AddProduct(a, b);
        ExpectSameLayout(acc, reference::FromNumber(TInfinito::Add(a, product)), "a + a*b " + what);
        TInfinito inPlace(b);
        inPlace.AddInPlace(a);
        ExpectSameLayout(inPlace, reference::FromNumber(TInfinito::Add(b, a)), "b += a " + what);
        if (HasFailure()) return; // one clear report beats four thousand
    }
}

// Long products through the fast multiplication, at several switch-over points; the smallest
// ones push even short operands through every branch of the split.
TEST(InfinitoProperty, LongProductsAtEveryThreshold) {
    const testing::TKernelScope restore;
    TextMaker maker(777);
    for (std::size_t threshold : {4u, 5u, 7u, 16u, 40u, 128u}) {
        mag::KaratsubaThreshold = threshold;
        mag::UseVectorKernels(threshold % 2 == 0);
        for (int round = 0; round < 60; ++round) {
            const std::size_t la = 1 + maker.Pick(round < 40 ? 400 : 3000);
            const std::size_t lb = maker.Pick(2) == 0 ? la : 1 + maker.Pick(3000);
            std::string x = maker.Digits(la);
            std::string y = maker.Digits(lb);
            if (maker.Pick(2) == 0) x.insert(x.size() / 2, ".");
            if (maker.Pick(2) == 0) y = "-" + y;
            const TInfinito product = TInfinito::Multiply(TInfinito(x), TInfinito(y));
            ASSERT_EQ(product.ToText(), Exact::Product(Exact(x), Exact(y)).Text())
                << "threshold " << threshold << ": " << x << " * " << y;
        }
    }
}

// Long operands go through the vector kernels where the processor has them; the same cases
// run through the portable ones too.
TEST(InfinitoProperty, LongSumsAndComparisonsOnEveryKernel) {
    const testing::TKernelScope restore;
    for (bool vector : {false, true}) {
        mag::UseVectorKernels(vector);
        TextMaker maker(4242);
        for (int round = 0; round < 400; ++round) {
            const std::string x = maker.Text(1500);
            std::string y = maker.Text(1500);
            if (round % 5 == 0) y = (x.front() == '-' ? x.substr(1) : "-" + x) + "1"; // near-cancel
            const TInfinito a(x), b(y);
            const Exact ea(x), eb(y);
            const std::string what = (vector ? "vector: " : "portable: ") + x + " , " + y;
            ASSERT_EQ(TInfinito::Add(a, b).ToText(), Exact::Sum(ea, eb).Text()) << what;
            ASSERT_EQ(TInfinito::Compare(a, b), Exact::Compare(ea, eb)) << what;
            TInfinito acc(a);
            acc.AddInPlace(b);
            ASSERT_EQ(acc.ToText(), Exact::Sum(ea, eb).Text()) << what;
            // One-group multipliers take the product-by-a-group route.
            const std::string w = round % 7 == 0 ? "99999999" : maker.Digits(1 + maker.Pick(8));
            ASSERT_EQ(TInfinito::Multiply(TInfinito(w), a).ToText(),
                      Exact::Product(Exact(w), ea).Text())
                << w << " * " << what;
        }
    }
}

TEST(InfinitoProperty, AllNinesTimesAllNines) {
    const testing::TKernelScope restore;
    for (std::size_t n : {8u, 64u, 321u, 1000u, 4096u, 10007u}) {
        const std::string nines(n, '9');
        const std::string expected = std::string(n - 1, '9') + "8" + std::string(n - 1, '0') + "1";
        EXPECT_EQ(TInfinito::Multiply(TInfinito(nines), TInfinito(nines)).ToText(), expected) << n;
        // Products by one group at the extremes of the quotient estimate.
        for (const char* w : {"1", "2", "99999999", "10000000", "50000000", "99999998"}) {
            for (bool vector : {false, true}) {
                mag::UseVectorKernels(vector);
                EXPECT_EQ(TInfinito::Multiply(TInfinito(nines), TInfinito(w)).ToText(),
                          Exact::Product(Exact(nines), Exact(w)).Text())
                    << n << " nines * " << w;
            }
        }
        // And the borrow that runs through every group.
        EXPECT_EQ(TInfinito::Add(TInfinito("1" + std::string(n, '0')), TInfinito("-1")).ToText(),
                  nines);
    }
}

// Products through the transforms against GMP: operand lengths on both sides of the switch
// from Karatsuba, equal and unequal, random digits, runs of nines and zeros, and operands of
// all nines (the largest convolution coefficients); then a batch with the switch lowered so
// that short operands and slices past a lowered transform limit take the transform path.
TEST(InfinitoProperty, TransformProductsMatchGmp) {
    const testing::TKernelScope restore;
    TextMaker maker(9090);
    const std::size_t t = 8 * mag::TransformThreshold; // digits
    const std::pair<std::size_t, std::size_t> lengths[] = {
        {t - 8, t - 8},  {t - 8, t + 8},      {t, t},
        {t + 13, t + 5}, {t + 3, 5 * t},      {40000, 3 * t},
        {100003, 99991}, {131073, 65537},     {8 * 4097, 8 * 4097},
        {250000, t + 1}, {240000, t / 4 + 8}, {240000, t / 4 - 8}};
    for (const auto& [la, lb] : lengths) {
        for (int style = 0; style < 3; ++style) {
            std::string x = style == 2 ? std::string(la, '9') : maker.Digits(la);
            std::string y = style == 2 ? std::string(lb, '9') : maker.Digits(lb);
            if (style == 1) {
                x.insert(x.size() / 3, ".");
                y = "-0." + y;
            }
            ASSERT_EQ(TInfinito::Multiply(TInfinito(x), TInfinito(y)).ToText(),
                      Exact::Product(Exact(x), Exact(y)).Text())
                << la << " x " << lb << " digits, style " << style;
        }
    }
    mag::TransformThreshold = 5;
    for (std::size_t limit : {std::size_t(1) << mag::MaxTransformLog, std::size_t(100)}) {
        mag::TransformLimit = limit;
        for (int round = 0; round < 80; ++round) {
            const std::size_t la = 1 + maker.Pick(round < 50 ? 400 : 6000);
            const std::size_t lb = maker.Pick(3) == 0 ? la : 1 + maker.Pick(6000);
            std::string x = maker.Digits(la);
            const std::string y = maker.Digits(lb);
            if (maker.Pick(2) == 0) x.insert(x.size() / 2, ".");
            ASSERT_EQ(TInfinito::Multiply(TInfinito(x), TInfinito(y)).ToText(),
                      Exact::Product(Exact(x), Exact(y)).Text())
                << "limit " << limit << ": " << la << " x " << lb << " digits";
        }
    }
}

// A product long enough for the transforms looks at the cancel flag, as the other methods do.
TEST(InfinitoProperty, TransformProductsStopWhenCancelled) {
    const TInfinito x(std::string(8 * mag::TransformThreshold, '7'));
    const std::atomic<bool> flag{true};
    const TCancelScope scope(flag);
    EXPECT_THROW(TInfinito::Multiply(x, x), TCancelled);
}

// The longest products the transforms are meant for: ten million digits each way.
TEST(InfinitoProperty, TenMillionDigitProductsMatchGmp) {
    constexpr std::size_t n = 10000000;
    TextMaker maker(1e7);
    std::string x = maker.Digits(n), y = maker.Digits(n);
    x[0] = y[0] = '7'; // n digits, not fewer
    // Compared as GMP integers: reading our text into GMP costs far less than GMP's text.
    const std::string ours = TInfinito::Multiply(TInfinito(x), TInfinito(y)).ToText();
    EXPECT_EQ(Exact::Compare(Exact(ours), Exact::Product(Exact(x), Exact(y))), 0);
    const std::string nines(n, '9');
    EXPECT_EQ(TInfinito::Multiply(TInfinito(nines), TInfinito(nines)).ToText(),
              std::string(n - 1, '9') + "8" + std::string(n - 1, '0') + "1");
}

// A weight of one or two groups, as a synapse keeps it: sometimes normalised (0.5 is then one
// group), sometimes as read (0.5 keeps its zero integer group), sometimes a full group.
TInfinito ShortWeight(TextMaker& maker) {
    std::string t = maker.Pick(2) == 0 ? "-" : "";
    switch (maker.Pick(5)) {
    case 4: // a single group 1: the product only moves the groups
        t += maker.Pick(3) == 0 ? "1" : maker.Pick(2) == 0 ? "100000000" : "0.00000001";
        break;
    case 0:
        t += maker.Digits(1 + maker.Pick(8));
        break;
    case 1:
        t += "0." + maker.Digits(1 + maker.Pick(8));
        break;
    case 2:
        t += maker.Digits(1 + maker.Pick(8)) + "." + maker.Digits(1 + maker.Pick(8));
        break;
    default:
        t += maker.Pick(2) == 0 ? "99999999" : "0.99999999";
        break;
    }
    TInfinito w(t);
    if (maker.Pick(2) == 0) w.Normalize();
    return w;
}

// acc.AddProduct(w, v) against the pure form: same value as GMP, same groups and sign as
// Add(acc, Multiply(w, v)), whichever side the short operand is on.
void CheckAddProduct(const TInfinito& acc, const TInfinito& w, const TInfinito& v,
                     const std::string& what) {
    const TInfinito want = TInfinito::Add(acc, TInfinito::Multiply(w, v));
    const std::string exact =
        Exact::Sum(Exact(acc.ToText()), Exact::Product(Exact(w.ToText()), Exact(v.ToText())))
            .Text();
    TInfinito got(acc);
    got.AddProduct(w, v);
    ASSERT_EQ(got.ToText() == "-0" ? "0" : got.ToText(), exact) << what;
    ExpectSameLayout(got, reference::FromNumber(want), "acc + w*v " + what);
    TInfinito swapped(acc);
    swapped.AddProduct(v, w);
    ExpectSameLayout(swapped, reference::FromNumber(want), "acc + v*w " + what);
}

TEST(InfinitoProperty, FusedAddProductKeepsTheLayoutOfAddAndMultiply) {
    const testing::TKernelScope restore;
    for (const testing::TKernels kernels : testing::AllKernels) {
        if (!testing::UseKernels(kernels)) continue;
        SCOPED_TRACE(testing::KernelsName(kernels));
        TextMaker maker(2024);
        for (int round = 0; round < 3000; ++round) {
            const TInfinito w = ShortWeight(maker);
            const TInfinito v(maker.Text(round < 2000 ? 40 : 400));
            TInfinito acc;
            switch (round % 6) {
            case 0: // a sum just cleared
                acc = TInfinito(maker.Pick(2) == 0 ? "0" : "-0");
                break;
            case 1: // the product cancelled exactly, or nearly (borrows through every group)
                acc = TInfinito::Multiply(w, v).Negated();
                if (maker.Pick(2) == 0)
                    acc.AddInPlace(TInfinito(maker.Pick(2) ? "0.00000001" : "-1"));
                break;
            case 2: // disjoint from the product, far above or far below
                acc = TInfinito(maker.Pick(2) == 0 ? "-1" + std::string(60, '0')
                                                   : "0." + std::string(60, '0') + "3");
                break;
            default:
                acc = TInfinito(maker.Text(round < 2000 ? 40 : 400));
                break;
            }
            const std::string what = acc.ToText() + " + " + w.ToText() + " * " + v.ToText();
            CheckAddProduct(acc, w, v, what);
            if (HasFailure()) break;
        }
    }
}

// Groups that make the one-pass vector row carry at its limits: an accumulator group of
// 99999999 plus a product group of 0 or 1 sits just below Base, so a carry arriving from the
// lane below takes it to Base and the whole block must be redone group by group; a group of
// 0 less a product group of 0 goes below 0 on a borrow from below.
std::string EdgeGroups(TextMaker& maker, std::size_t groups, bool accumulator) {
    std::string t;
    for (std::size_t g = 0; g < groups; ++g) {
        switch (maker.Pick(accumulator ? 3 : 4)) {
        case 0:
            t += accumulator ? "99999999" : "00000000";
            break;
        case 1:
            t += accumulator ? "99999998" : "00000001";
            break;
        case 2: // a difference's borrow runs through zero groups
            t += accumulator ? "00000000" : maker.Pick(2) == 0 ? "99999999" : "50000000";
            break;
        default:
            t += maker.Digits(8);
            break;
        }
    }
    return t;
}

// acc + w*v for one-group weights and values of every length the vector row takes, with the
// accumulator's groups where every lane's carry is at its largest: the vector kernels give
// GMP's value and the layout of the pure forms, as the portable ones do.
TEST(InfinitoProperty, FusedAddProductAtTheCarryLimitsOfTheVectorRow) {
    const testing::TKernelScope restore;
    const char* weights[] = {"1", "2", "3", "99999999", "0.99999999", "50000000", "0.00000001"};
    for (const testing::TKernels kernels : testing::AllKernels) {
        if (!testing::UseKernels(kernels)) continue;
        SCOPED_TRACE(testing::KernelsName(kernels));
        TextMaker maker(77);
        for (int round = 0; round < 1500; ++round) {
            const std::size_t m = 1 + std::size_t(maker.Pick(47));
            const TInfinito v(EdgeGroups(maker, m, false) + "." + EdgeGroups(maker, 2, false));
            const TInfinito w(maker.Pick(3) == 0 ? ShortWeight(maker).ToText()
                                                 : std::string(weights[maker.Pick(7)]));
            const TInfinito acc(std::string(maker.Pick(2) == 0 ? "-" : "") +
                                EdgeGroups(maker, maker.Pick(3) == 0 ? 1 + m / 2 : m + 3, true) +
                                "." + EdgeGroups(maker, 3 + std::size_t(maker.Pick(2)), true));
            CheckAddProduct(acc, w, v, acc.ToText() + " + " + w.ToText() + " * " + v.ToText());
            if (HasFailure()) return;
        }
    }
}

// A difference whose product reaches above the accumulator's top: whether the product's top
// group is zero decides the layout, and for one-group weights it is read from the product's
// two top groups, which leave it open when they come within two of Base (a carry from below
// then decides). Values whose top groups sit on both sides of that edge.
TEST(InfinitoProperty, FusedAddProductSeesTheProductsTopGroupAtItsEdge) {
    const testing::TKernelScope restore;
    const char* weights[] = {"99999999", "99999998", "50000000", "2", "1"};
    const char* groups[] = {"00000000", "00000001", "00000002", "50000000",
                            "49999999", "99999998", "99999999"};
    const char* accs[] = {"-1", "-0.5", "-99999999", "-0.00000001", "-100000000", "0.5", "-0"};
    for (const testing::TKernels kernels : testing::AllKernels) {
        if (!testing::UseKernels(kernels)) continue;
        SCOPED_TRACE(testing::KernelsName(kernels));
        for (const char* w : weights)
            for (const char* top : {"1", "2", "99999999"})
                for (const char* g1 : groups)
                    for (const char* g0 : groups)
                        for (const char* acc : accs) {
                            const std::string v = std::string(top) + g1 + g0;
                            for (const std::string& value : {v, v + "00000000", "-" + v}) {
                                CheckAddProduct(TInfinito(acc), TInfinito(w), TInfinito(value),
                                                std::string(acc) + " + " + w + " * " + value);
                                if (HasFailure()) return;
                            }
                        }
    }
}

// A sum of zero groups only, under either sign, around the product, a sum without groups, and
// sums that the product cancels exactly or outweighs: the sum's sign is no guide to its value
// there, and the layout must be that of the pure forms all the same. Values of every length the
// rows take.
TEST(InfinitoProperty, FusedAddProductIntoSignedZerosAndCancellingSums) {
    const testing::TKernelScope restore;
    const std::string zeros(48, '0');
    for (const testing::TKernels kernels : testing::AllKernels) {
        if (!testing::UseKernels(kernels)) continue;
        SCOPED_TRACE(testing::KernelsName(kernels));
        TextMaker maker(kernels == testing::TKernels::Portable ? 3 : 4);
        for (int round = 0; round < 600; ++round) {
            // In normal form, as weights and activities are: one-group weights mostly.
            TInfinito w = ShortWeight(maker);
            w.Normalize();
            const std::size_t digits = 1 + std::size_t(maker.Pick(round % 2 == 0 ? 40 : 300));
            TInfinito v((maker.Pick(2) == 0 ? "-0." : "0.") + maker.Digits(digits));
            v.Normalize();
            const std::string sign = maker.Pick(2) == 0 ? "-" : "";
            TInfinito acc;
            switch (round % 4) {
            case 3: // no groups at all, maybe with a sign ("-", "-."), and whole numbers, whose
                    // product lies at and above the Position such a sum claims
                acc = TInfinito(maker.Pick(2) == 0 ? sign : sign + ".");
                if (round % 8 == 3) {
                    w = TInfinito(std::to_string(1 + maker.Pick(99999999)));
                    v = TInfinito((maker.Pick(2) == 0 ? "-1" : "1") + maker.Digits(digits));
                }
                break;
            case 0: // zero groups on both sides of the product
                acc = TInfinito(sign + zeros + "." + std::string(digits + 40, '0'));
                break;
            case 1: // the product taken away again, under either sign of the sum
                acc = TInfinito::Multiply(w, v).Negated();
                acc.AddInPlace(TInfinito(sign + "0." + std::string(digits + 24, '0')));
                break;
            default: // a sum the product outweighs, of the other sign
                acc = TInfinito::Multiply(w, v).Negated();
                acc = TInfinito::Multiply(acc, TInfinito("0.5"));
                acc.AddInPlace(TInfinito("0." + std::string(digits + 24, '0')));
                break;
            }
            CheckAddProduct(acc, w, v, acc.ToText() + " + " + w.ToText() + " * " + v.ToText());
            if (HasFailure()) return;
        }
    }
}

// A neuron's sum over many steps: contributions of mixed signs into one accumulator whose
// buffer is kept when it is cleared, checked against the pure forms after every one.
TEST(InfinitoProperty, FusedAddProductAccumulatesLikeTheSumOfProducts) {
    TextMaker maker(99);
    TInfinito sum("0"), pure("0");
    const TInfinito zero("0");
    for (int step = 0; step < 300; ++step) {
        for (int k = 0; k < 5; ++k) {
            const TInfinito w = ShortWeight(maker);
            const TInfinito v(maker.Text(step % 3 == 0 ? 300 : 30));
            sum.AddProduct(w, v);
            pure = TInfinito::Add(pure, TInfinito::Multiply(w, v));
            ExpectSameLayout(sum, reference::FromNumber(pure), "step " + std::to_string(step));
            ASSERT_FALSE(HasFailure()) << w.ToText() << " * " << v.ToText();
        }
        if (step % 4 == 3) {
            sum = zero;
            pure = zero;
        }
    }
}

// A neuron's whole input at once (column sums) against the same products added one by one:
// the same groups and sign, and GMP's value. Products of one sign, mixed signs with small
// and with large magnitudes (near the top of the products' groups, where partial sums may
// carry out and cancel again), zero weights, and more products than a column holds before
// it must carry.
TEST(InfinitoProperty, ColumnSumsKeepTheLayoutOfProductByProduct) {
    const testing::TKernelScope restore;
    mag::ColumnSumThreshold = 0;
    for (bool vector : {false, true}) {
        mag::UseVectorKernels(vector);
        TextMaker maker(vector ? 31 : 17);
        for (int round = 0; round < 1500; ++round) {
            const int kind = round % 5;
            const int count = kind == 4 ? 300 + maker.Pick(1500) : 1 + maker.Pick(12);
            std::vector<TInfinito> weights, values;
            weights.reserve(count);
            values.reserve(count);
            for (int k = 0; k < count; ++k) {
                TInfinito w = kind == 3 && maker.Pick(4) == 0 ? TInfinito("0") : ShortWeight(maker);
                TInfinito v(kind == 4 ? "99999999.99999999" + maker.Digits(maker.Pick(20))
                                      : maker.Text(round % 3 == 0 ? 200 : 30));
                if (kind == 0 || kind == 4) { // one sign: all positive or all negative
                    const bool negative = (round / 5) % 2 == 1;
                    if ((w.Sign() < 0) != (v.Sign() < 0) ? !negative : negative) v = v.Negated();
                }
                if (kind == 1 && maker.Pick(3) == 0) v = TInfinito("-0." + maker.Digits(5));
                weights.push_back(std::move(w));
                values.push_back(std::move(v));
            }
            std::vector<TInfinito::TProduct> products;
            for (int k = 0; k < count; ++k)
                products.push_back({&weights[k], &values[k]});
            const char* start = round % 7 == 0 ? "-0" : round % 11 == 0 ? "0.0" : "0";
            TInfinito one(start), all(start);
            std::optional<Exact> exact(std::in_place, "0");
            for (int k = 0; k < count; ++k) {
                one.AddProduct(weights[k], values[k]);
                const Exact next = Exact::Sum(
                    *exact, Exact::Product(Exact(weights[k].ToText()), Exact(values[k].ToText())));
                exact.reset();
                exact.emplace(next);
            }
            all.AddProducts(products.data(), products.size());
            const std::string what = "round " + std::to_string(round) + " kind " +
                                     std::to_string(kind) + " count " + std::to_string(count);
            ExpectSameLayout(all, reference::FromNumber(one), what);
            ASSERT_EQ(all.ToText() == "-0" ? "0" : all.ToText(), exact->Text()) << what;
            if (HasFailure()) return;
        }
    }
}

// A sum that already holds a value, a product of the sum itself, and long weights take the
// product-by-product route; the answer must not show which route was taken.
TEST(InfinitoProperty, ColumnSumsOfUnusualInputsAgreeWithProductByProduct) {
    const testing::TKernelScope restore;
    mag::ColumnSumThreshold = 0;
    TextMaker maker(5);
    for (int round = 0; round < 300; ++round) {
        TInfinito start(round % 2 == 0 ? maker.Text(30) : "0");
        const TInfinito w(round % 3 == 0 ? maker.Text(120) : "0.5");
        const TInfinito v(maker.Text(80));
        TInfinito one(start), all(start);
        one.AddProduct(w, v);
        one.AddProduct(v, w);
        one.AddProduct(one, w);
        const TInfinito::TProduct products[] = {{&w, &v}, {&v, &w}, {&all, &w}};
        all.AddProducts(products, 3);
        ExpectSameLayout(all, reference::FromNumber(one), "round " + std::to_string(round));
        if (HasFailure()) return;
    }
}

} // namespace
} // namespace veltra
