// Every magnitude routine on both kernel sets, checked against plain schoolbook arithmetic,
// with guard words around each result: a write one word past the end lands in a number's
// spare capacity, where the address sanitizer cannot see it, so these tests look for it.
#include "kernelscope.h"
#include "numeric/magnitude.h"
#include "numeric/magnitude_kernels.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace veltra::testing {
namespace {

using mag::Base;
using mag::Limb;
using Groups = std::vector<Limb>;

constexpr std::size_t Guard = 4;
constexpr Limb GuardWord = 0xDEADBEEFu;

// A result buffer of n words with guard words on both sides.
class TGuarded {
public:
    explicit TGuarded(std::size_t n, Limb fill = 0) : words_(n + 2 * Guard, GuardWord), n_(n) {
        std::fill(Data(), Data() + n, fill);
    }
    Limb* Data() { return words_.data() + Guard; }
    Groups Value() const { return Groups(words_.begin() + Guard, words_.end() - Guard); }
    bool GuardsIntact() const {
        return std::all_of(words_.begin(), words_.begin() + Guard,
                           [](Limb w) { return w == GuardWord; }) &&
               std::all_of(words_.end() - Guard, words_.end(),
                           [](Limb w) { return w == GuardWord; });
    }

private:
    std::vector<Limb> words_;
    std::size_t n_;
};

// Schoolbook references, one group at a time, least significant first.
Limb RefAdd(Groups& r, const Groups& a, const Groups& b, Limb carry) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::uint64_t s = std::uint64_t(a[i]) + b[i] + carry;
        r[i] = Limb(s % Base);
        carry = Limb(s / Base);
    }
    return carry;
}
Limb RefSub(Groups& r, const Groups& a, const Groups& b, Limb borrow) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::int64_t d = std::int64_t(a[i]) - b[i] - borrow;
        borrow = d < 0;
        r[i] = Limb(d + (borrow ? Base : 0));
    }
    return borrow;
}
Limb RefMulWord(Groups& r, const Groups& a, Limb w, Limb carry) {
    std::uint64_t c = carry;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::uint64_t p = std::uint64_t(a[i]) * w + c;
        r[i] = Limb(p % Base);
        c = p / Base;
    }
    return Limb(c);
}
Groups RefMul(const Groups& a, const Groups& b) {
    Groups r(a.size() + b.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::uint64_t c = 0;
        for (std::size_t j = 0; j < b.size(); ++j) {
            const std::uint64_t t = std::uint64_t(a[i]) * b[j] + r[i + j] + c;
            r[i + j] = Limb(t % Base);
            c = t / Base;
        }
        r[i + b.size()] = Limb(c);
    }
    return r;
}

class TMaker {
public:
    explicit TMaker(unsigned seed) : random_(seed) {}
    // Groups biased to the extremes, where carries and borrows run far.
    Groups Make(std::size_t n) {
        Groups g(n);
        for (Limb& x : g) {
            switch (random_() % 4) {
            case 0:
                x = Base - 1;
                break;
            case 1:
                x = 0;
                break;
            default:
                x = Limb(random_() % Base);
                break;
            }
        }
        return g;
    }
    std::size_t Size(std::size_t most) { return 1 + random_() % most; }
    Limb Word() { return random_() % 3 == 0 ? Base - 1 : Limb(random_() % Base); }
    Limb Bit() { return random_() % 2; }

private:
    std::mt19937 random_;
};

class Magnitude : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        mag::UseVectorKernels(GetParam());
        if (GetParam() && !mag::VectorKernelsInUse()) GTEST_SKIP() << "no vector kernels here";
    }
    TKernelScope restore_;
};

// The flag the products read follows every choice: a choice it missed would leave them on
// the other kernel set, with the same digits, so no comparison of results would notice.
TEST(MagnitudeChoice, TheInUseFlagFollowsEveryChoice) {
    const TKernelScope restore;
    for (bool on : {false, true, false, true}) {
        const bool vector = mag::UseVectorKernels(on);
        EXPECT_EQ(mag::VectorKernelsInUse(), vector);
        EXPECT_TRUE(on || !vector);
    }
    // The wide rows ride on the vector kernels, where the processor has them, and a wish for
    // them outlasts a spell without.
    const bool wide = mag::UseWideRows(true);
    EXPECT_EQ(mag::WideRowsInUse(), wide);
#if defined(__x86_64__)
    EXPECT_EQ(wide, mag::VectorKernelsInUse() && __builtin_cpu_supports("avx512f"));
#endif
    mag::UseVectorKernels(false);
    EXPECT_FALSE(mag::WideRowsInUse());
    EXPECT_FALSE(mag::UseWideRows(true));
    mag::UseVectorKernels(true);
    EXPECT_EQ(mag::WideRowsInUse(), wide);
    EXPECT_FALSE(mag::UseWideRows(false));
    mag::UseVectorKernels(true);
    EXPECT_FALSE(mag::WideRowsInUse());
    // A scope puts back the wish itself, not what was in use under it.
    mag::UseVectorKernels(false);
    {
        const TKernelScope inner;
        mag::UseWideRows(true);
    }
    EXPECT_FALSE(mag::WideRowsWanted());
}

TEST_P(Magnitude, AddSubCompareAndCarriesMatchTheSchoolbook) {
    TMaker maker(11);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t n = maker.Size(round < 2000 ? 40 : 300);
        const Groups a = maker.Make(n);
        const Groups b = maker.Make(n);
        const Limb in = maker.Bit();
        Groups want(n);

        TGuarded sum(n);
        EXPECT_EQ(mag::Add(sum.Data(), a.data(), b.data(), n, in), RefAdd(want, a, b, in));
        EXPECT_EQ(sum.Value(), want);
        EXPECT_TRUE(sum.GuardsIntact()) << "Add n=" << n;

        TGuarded diff(n);
        EXPECT_EQ(mag::Sub(diff.Data(), a.data(), b.data(), n, in), RefSub(want, a, b, in));
        EXPECT_EQ(diff.Value(), want);
        EXPECT_TRUE(diff.GuardsIntact()) << "Sub n=" << n;

        // In place over the first operand, as the in-place sums call them.
        TGuarded inPlace(n);
        std::copy(a.begin(), a.end(), inPlace.Data());
        mag::Add(inPlace.Data(), inPlace.Data(), b.data(), n, in);
        RefAdd(want, a, b, in);
        EXPECT_EQ(inPlace.Value(), want);

        const int order = std::lexicographical_compare(a.rbegin(), a.rend(), b.rbegin(), b.rend())
                              ? -1
                              : (a == b ? 0 : 1);
        EXPECT_EQ(mag::Compare(a.data(), b.data(), n), order);
        EXPECT_EQ(mag::Compare(a.data(), a.data(), n), 0);

        TGuarded carried(n);
        std::copy(a.begin(), a.end(), carried.Data());
        const Limb c = maker.Word();
        Groups cw(n, 0);
        cw[0] = c;
        const Groups zero(n, 0);
        const Limb out = RefAdd(want, a, cw, 0);
        EXPECT_EQ(mag::AddCarry(carried.Data(), n, c), out);
        EXPECT_EQ(carried.Value(), want);
        EXPECT_TRUE(carried.GuardsIntact());

        TGuarded borrowed(n);
        std::copy(a.begin(), a.end(), borrowed.Data());
        EXPECT_EQ(mag::SubBorrow(borrowed.Data(), n, in), RefSub(want, a, zero, in));
        EXPECT_EQ(borrowed.Value(), want);
        EXPECT_TRUE(borrowed.GuardsIntact());
        if (HasFailure()) return;
    }
}

TEST_P(Magnitude, ProductsByAGroupAndByNumbersMatchTheSchoolbook) {
    TMaker maker(12);
    for (std::size_t threshold : {4u, 9u, 128u}) {
        mag::KaratsubaThreshold = threshold;
        for (int round = 0; round < 300; ++round) {
            const std::size_t na = maker.Size(round < 200 ? 40 : 260);
            const std::size_t nb = round % 3 == 0 ? na : maker.Size(260);
            const Groups a = maker.Make(na);
            const Groups b = maker.Make(nb);

            const Limb w = maker.Word();
            const Limb carry = maker.Word();
            Groups want(na);
            TGuarded row(na);
            EXPECT_EQ(mag::MulWord(row.Data(), a.data(), na, w, carry),
                      RefMulWord(want, a, w, carry));
            EXPECT_EQ(row.Value(), want);
            EXPECT_TRUE(row.GuardsIntact()) << "MulWord n=" << na;

            TGuarded product(na + nb, GuardWord); // every word must be written
            mag::Mul(product.Data(), a.data(), na, b.data(), nb);
            EXPECT_EQ(product.Value(), RefMul(a, b)) << na << " x " << nb << " at " << threshold;
            EXPECT_TRUE(product.GuardsIntact()) << "Mul " << na << " x " << nb;
            if (HasFailure()) return;
        }
    }
}

// The transform product on every path: directly from one group up, and through Mul with the
// threshold lowered, at transform limits that force slices of either operand. Operands of all
// nines make every convolution coefficient as large as it can be.
TEST_P(Magnitude, TransformProductsMatchTheSchoolbook) {
    TMaker maker(13);
    mag::KaratsubaThreshold = 4;
    mag::TransformThreshold = 5;
    for (std::size_t limit :
         {std::size_t(1) << mag::MaxTransformLog, std::size_t(64), std::size_t(7)}) {
        mag::TransformLimit = limit;
        for (int round = 0; round < 240; ++round) {
            // Coefficients pass the smaller prime (about 3.2 10^18) from 319 full products
            // up, the range where the second residue starts to count.
            const bool nines = round % 8 == 1;
            const std::size_t na =
                nines ? 300 + maker.Size(400) : maker.Size(round < 160 ? 24 : 300);
            const std::size_t nb = round % 3 == 0 ? na : (nines ? 300 : 0) + maker.Size(300);
            Groups a = maker.Make(na);
            Groups b = maker.Make(nb);
            if (nines) {
                std::fill(a.begin(), a.end(), Base - 1);
                std::fill(b.begin(), b.end(), Base - 1);
            }
            if (round % 16 == 3) std::fill(a.begin(), a.end(), 0);
            const Groups want = RefMul(a, b);
            if (na + nb - 1 <= limit) {
                TGuarded direct(na + nb, GuardWord);
                mag::MulTransform(direct.Data(), a.data(), na, b.data(), nb);
                EXPECT_EQ(direct.Value(), want) << "transform " << na << " x " << nb;
                EXPECT_TRUE(direct.GuardsIntact()) << "transform " << na << " x " << nb;
                TGuarded square(2 * na, GuardWord);
                if (2 * na - 1 <= limit) {
                    mag::MulTransform(square.Data(), a.data(), na, a.data(), na);
                    EXPECT_EQ(square.Value(), RefMul(a, a)) << "square " << na;
                }
            }
            TGuarded product(na + nb, GuardWord);
            mag::Mul(product.Data(), a.data(), na, b.data(), nb);
            EXPECT_EQ(product.Value(), want) << na << " x " << nb << " limit " << limit;
            EXPECT_TRUE(product.GuardsIntact()) << "Mul " << na << " x " << nb;
            if (HasFailure()) return;
        }
    }
}

__extension__ typedef __int128 Wide;

// Column sums as a neuron's input leaves them (full columns of either sign, zero runs, lengths
// around the vector blocks) against a carry chain in 128-bit arithmetic.
TEST_P(Magnitude, CarriedColumnsMatchAWideCarryChain) {
    std::mt19937_64 random(5);
    const std::int64_t most =
        std::int64_t(mag::ColumnTerms) * (std::int64_t(Base) - 1) * (Base - 1) + Base;
    for (int round = 0; round < 2000; ++round) {
        const std::size_t n = 1 + random() % (round < 1000 ? 40 : 300);
        const int style = int(random() % 4);
        std::vector<std::uint64_t> col(n);
        for (auto& c : col) {
            std::int64_t v = std::int64_t(random() % std::uint64_t(most + 1));
            if (style == 1) v = random() % 3 == 0 ? most : 0;
            if (style == 2 || (style == 3 && random() % 2 == 0)) v = -v;
            c = std::uint64_t(v);
        }
        std::vector<Limb> want(n);
        Wide carry = 0;
        for (std::size_t i = 0; i < n; ++i) {
            Wide x = Wide(std::int64_t(col[i])) + carry;
            Wide q = x / Base;
            if (x - q * Base < 0) --q;
            want[i] = Limb(x - q * Base);
            carry = q;
        }
        TGuarded got(n, GuardWord);
        std::vector<std::uint64_t> scratch = col;
        EXPECT_EQ(mag::CarryColumns(scratch.data(), n, got.Data()), std::int64_t(carry))
            << "n=" << n << " style " << style;
        EXPECT_EQ(got.Value(), want) << "n=" << n << " style " << style;
        EXPECT_TRUE(got.GuardsIntact());
        if (HasFailure()) return;
    }
}

#if VELTRA_HAVE_X86_KERNELS
// The one-group product rows of a sum, 256 and 512 bits wide where the processor has them,
// against MulWord, Add and Sub of the schoolbook: x[0..m] stored over, added to or taken from.
// Groups at the extremes make carries from below run on, which the rows redo group by group.
TEST(MagnitudeRows, StoreAddAndSubtractMatchTheSchoolbook) {
    using mag::detail::RowMode;
    using Row = Limb (*)(Limb*, const Limb*, std::size_t, Limb);
    struct Width {
        const char* name;
        bool here;
        Row rows[3]; // Store, Add, Subtract
    };
    const Width widths[] = {
        {"256",
         __builtin_cpu_supports("avx2") != 0,
         {mag::detail::RowAvx2<RowMode::Store>, mag::detail::RowAvx2<RowMode::Add>,
          mag::detail::RowAvx2<RowMode::Subtract>}},
        {"512",
         __builtin_cpu_supports("avx512f") != 0,
         {mag::detail::RowAvx512<RowMode::Store>, mag::detail::RowAvx512<RowMode::Add>,
          mag::detail::RowAvx512<RowMode::Subtract>}},
    };
    TMaker maker(14);
    int checked = 0;
    for (const Width& width : widths) {
        if (!width.here) continue;
        for (int round = 0; round < 3000; ++round) {
            const std::size_t m = maker.Size(round < 2000 ? 40 : 300);
            const Groups v = maker.Make(m);
            const Groups x = maker.Make(m + 1);
            const Limb w = maker.Word();
            Groups product(m + 1);
            product[m] = RefMulWord(product, v, w, 0);
            for (int mode = 0; mode < 3; ++mode) {
                Groups want = product;
                Limb out = 0;
                if (mode == 1) out = RefAdd(want, x, product, 0);
                if (mode == 2) out = RefSub(want, x, product, 0);
                TGuarded got(m + 1);
                std::copy(x.begin(), x.end(), got.Data());
                EXPECT_EQ(width.rows[mode](got.Data(), v.data(), m, w), out);
                EXPECT_EQ(got.Value(), want);
                EXPECT_TRUE(got.GuardsIntact());
                if (HasFailure()) {
                    ADD_FAILURE() << width.name << " bits, mode " << mode << ", m=" << m;
                    return;
                }
                ++checked;
            }
        }
    }
    if (checked == 0) GTEST_SKIP() << "no vector rows here";
}
#endif

INSTANTIATE_TEST_SUITE_P(BothKernelSets, Magnitude, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& kernels) {
                             return kernels.param ? "Vector" : "Portable";
                         });

} // namespace
} // namespace veltra::testing
