// Sums, products and comparisons of exact decimals: values, signs and group layouts.
#include "numeric/infinito.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace veltra {
namespace {

using Groups = std::vector<std::pair<std::int64_t, std::int32_t>>; // Value, Position

Groups GroupsOf(const TInfinito& x) {
    Groups g;
    for (int i = 0; i < x.GroupCount(); ++i)
        g.emplace_back(x.GroupAt(i).Value, x.GroupAt(i).Position);
    return g;
}

std::string Sum(std::string_view a, std::string_view b) {
    return TInfinito::Add(TInfinito(a), TInfinito(b)).ToText();
}
std::string Product(std::string_view a, std::string_view b) {
    return TInfinito::Multiply(TInfinito(a), TInfinito(b)).ToText();
}
bool Greater(std::string_view a, std::string_view b) {
    TInfinito x(a), y(b);
    return TInfinito::GreaterThan(x, y);
}
bool Equal(std::string_view a, std::string_view b) {
    TInfinito x(a), y(b);
    return TInfinito::EqualTo(x, y);
}

TEST(InfinitoArith, SumsCarryAndBorrowAcrossGroups) {
    EXPECT_EQ(Sum("1.0", ".25"), "1.25");
    EXPECT_EQ(Sum("99999999", "1"), "100000000");
    EXPECT_EQ(Sum("0.5", "0.5"), "1");
    EXPECT_EQ(Sum("99.5", "0.5"), "100");
    EXPECT_EQ(Sum("99999999.99999999", "0.00000001"), "100000000");
    EXPECT_EQ(Sum("10000000000000001", "-2"), "9999999999999999");
    EXPECT_EQ(Sum("-2", "10000000000000001"), "9999999999999999");
    EXPECT_EQ(Sum("-10000000000000000", "1"), "-9999999999999999");
    EXPECT_EQ(Sum("-10000000000000000.00000000", "1"), "-9999999999999999");
    EXPECT_EQ(Sum("1", "-10000000000000000"), "-9999999999999999");
    EXPECT_EQ(Sum("-1.5", "-0.5"), "-2");
    EXPECT_EQ(Sum("0.00000001", "-1"), "-0.99999999");
    EXPECT_EQ(Sum("-0", "-0"), "0");
    EXPECT_EQ(Sum("-0", "7"), "7");
}

TEST(InfinitoArith, SumLayoutAndSign) {
    const TInfinito carried = TInfinito::Add(TInfinito("99.5"), TInfinito("0.5"));
    EXPECT_EQ(GroupsOf(carried), (Groups{{100, 0}, {0, -8}}));
    EXPECT_EQ(carried.Sign(), 1);

    const TInfinito overflow = TInfinito::Add(TInfinito("99999999"), TInfinito("1"));
    EXPECT_EQ(GroupsOf(overflow), (Groups{{1, 8}, {0, 0}}));

    const TInfinito zero = TInfinito::Add(TInfinito("1"), TInfinito("-1"));
    EXPECT_EQ(GroupsOf(zero), (Groups{{0, 0}}));
    EXPECT_EQ(zero.Sign(), 0);
    EXPECT_EQ(zero.ToText(), "0");

    // A gap between the two operands is filled with zero groups.
    const TInfinito gap = TInfinito::Add(TInfinito("10000000000000000"), TInfinito(".5"));
    EXPECT_EQ(GroupsOf(gap), (Groups{{1, 16}, {0, 8}, {0, 0}, {50000000, -8}}));

    // Borrowing keeps every Position of both operands, including the emptied top group.
    const TInfinito borrowed = TInfinito::Add(TInfinito("10000000000000001"), TInfinito("-2"));
    EXPECT_EQ(GroupsOf(borrowed), (Groups{{0, 16}, {99999999, 8}, {99999999, 0}}));

    const TInfinito negative = TInfinito::Add(TInfinito("-3"), TInfinito("1.25"));
    EXPECT_EQ(GroupsOf(negative), (Groups{{-1, 0}, {-75000000, -8}}));
    EXPECT_EQ(negative.Sign(), -1);
}

TEST(InfinitoArith, ProductsAreExact) {
    EXPECT_EQ(Product("1.0", ".25"), "0.25");
    EXPECT_EQ(Product("99999999", "99999999"), "9999999800000001");
    EXPECT_EQ(Product("-2", "-3"), "6");
    EXPECT_EQ(Product("0.5", "-0.5"), "-0.25");
    EXPECT_EQ(Product("123456789012345678901234567890", "123456789012345678901234567890"),
              "15241578753238836750495351562536198787501905199875019052100");
    EXPECT_EQ(Product("0.00000000000000000001", "0.00000000000000000001"),
              "0." + std::string(39, '0') + "1");
    EXPECT_EQ(Product("9999999999999999999999999999999999999999",
                      "9999999999999999999999999999999999999999"),
              std::string(39, '9') + "8" + std::string(39, '0') + "1");
}

TEST(InfinitoArith, ProductLayoutAndSign) {
    const TInfinito zero = TInfinito::Multiply(TInfinito("3"), TInfinito("0"));
    EXPECT_EQ(zero.Sign(), 1);
    EXPECT_EQ(zero.ToText(), "0");
    const TInfinito negZero = TInfinito::Multiply(TInfinito("0"), TInfinito("-3"));
    EXPECT_EQ(negZero.Sign(), 1);
    EXPECT_EQ(negZero.ToText(), "0");

    // The group above both tops appears only when it holds something.
    const TInfinito big = TInfinito::Multiply(TInfinito("99999999"), TInfinito("99999999"));
    EXPECT_EQ(GroupsOf(big), (Groups{{99999998, 8}, {1, 0}}));
    const TInfinito small = TInfinito::Multiply(TInfinito("2"), TInfinito("3.0"));
    EXPECT_EQ(GroupsOf(small), (Groups{{6, 0}, {0, -8}}));
    // Zero groups at the ends of long operands still place the product's groups.
    const std::string digits(200, '3');
    const TInfinito padded = TInfinito::Multiply(
        TInfinito("0000000000" + digits + ".0000000000000000"), TInfinito("0.5"));
    EXPECT_EQ(padded.GroupCount(), 30); // Positions -24 .. 208
    EXPECT_EQ(padded.GroupAt(0), (TInfinitoNo{0, 8 * 26}));
    EXPECT_EQ(padded.ToText(), "1" + std::string(199, '6') + ".5");
    EXPECT_EQ(padded.GroupAt(padded.GroupCount() - 1), (TInfinitoNo{0, -24}));

    const TInfinito neg = TInfinito::Multiply(TInfinito("-1.5"), TInfinito("100000000"));
    EXPECT_EQ(GroupsOf(neg), (Groups{{-1, 8}, {-50000000, 0}, {0, -8}}));
    EXPECT_EQ(neg.Sign(), -1);
}

TEST(InfinitoArith, Comparisons) {
    EXPECT_TRUE(Greater("1.0", ".25"));
    EXPECT_FALSE(Equal("1.0", ".25"));
    EXPECT_TRUE(Greater("-5", "-100000000"));
    EXPECT_FALSE(Greater("-100000000", "-5"));
    EXPECT_TRUE(Greater("-0.5", "-1"));
    EXPECT_TRUE(Greater("-1", "-100000000"));
    EXPECT_FALSE(Greater("0.1", "0.1"));
    EXPECT_TRUE(Greater("0.10000000000000001", "0.1"));
    EXPECT_FALSE(Greater("0.1", "0.10000000000000001"));
    EXPECT_TRUE(Greater("-0.1", "-0.10000000000000001"));
    EXPECT_TRUE(Greater("0", "-0.00000000000000001"));
    EXPECT_FALSE(Greater("-0", "0"));
    EXPECT_TRUE(Equal("1.0", "1"));
    EXPECT_TRUE(Equal("-0", "0"));
    EXPECT_TRUE(Equal("000000000000000000.0000000000", "-0"));
    EXPECT_FALSE(Equal("1", "-1"));

    // Comparisons normalise their operands; the value and text stay.
    TInfinito a("-0.0000000000"), b("0100.500000000000");
    EXPECT_FALSE(TInfinito::GreaterThan(a, b));
    EXPECT_EQ(a.GroupCount(), 1);
    EXPECT_EQ(a.ToText(), "0");
    EXPECT_EQ(GroupsOf(b), (Groups{{100, 0}, {50000000, -8}}));

    // Compare leaves its operands alone.
    const TInfinito c("-0"), d("000000000.5");
    EXPECT_EQ(TInfinito::Compare(c, d), -1);
    EXPECT_EQ(TInfinito::Compare(d, c), 1);
    EXPECT_EQ(TInfinito::Compare(c, TInfinito("0.0")), 0);
    EXPECT_EQ(c.ToText(), "-0");
    EXPECT_EQ(d.GroupCount(), 3);
}

TEST(InfinitoArith, InPlaceFormsMatchThePureOnes) {
    const char* values[] = {"0",
                            "-0",
                            "1",
                            "-1",
                            "99999999.99999999",
                            "0.00000001",
                            "-12345678901234567890.5",
                            "100000000",
                            "-0.000000000000000001",
                            "3.0"};
    for (const char* x : values) {
        for (const char* y : values) {
            for (const char* z : values) {
                const TInfinito a(x), b(y), c(z);
                TInfinito acc = a;
                acc.AddInPlace(b);
                const TInfinito sum = TInfinito::Add(a, b);
                EXPECT_EQ(GroupsOf(acc), GroupsOf(sum)) << x << " + " << y;
                EXPECT_EQ(acc.Sign(), sum.Sign()) << x << " + " << y;

                TInfinito acc2 = a;
                acc2.AddProduct(b, c);
                const TInfinito expect = TInfinito::Add(a, TInfinito::Multiply(b, c));
                EXPECT_EQ(GroupsOf(acc2), GroupsOf(expect)) << x << " + " << y << " * " << z;
                EXPECT_EQ(acc2.Sign(), expect.Sign()) << x << " + " << y << " * " << z;
            }
        }
    }
    TInfinito self("12.5");
    self.AddInPlace(self);
    EXPECT_EQ(self.ToText(), "25");
    // A sum that contains its own operand takes the general route.
    TInfinito square("-1.5");
    square.AddProduct(square, square);
    EXPECT_EQ(square.ToText(), "0.75");
}

// Short numbers keep their groups inline, long ones on the heap: every pairing must trade
// values, layouts and signs intact, and leave each number usable afterwards.
TEST(InfinitoArith, SwapTradesShortAndLongNumbers) {
    const std::string longText = "-" + std::string(90, '7') + ".25";
    const char* texts[] = {"0.5", "-0", "123456789012.000000001"};
    for (const char* shortText : texts) {
        for (bool firstLong : {false, true}) {
            for (bool secondLong : {false, true}) {
                const std::string x = firstLong ? longText : shortText;
                const std::string y = secondLong ? longText + "1" : std::string("-3.75");
                TInfinito a(x), b(y);
                const auto groupsA = GroupsOf(a), groupsB = GroupsOf(b);
                const int signA = a.Sign(), signB = b.Sign();
                a.Swap(b);
                EXPECT_EQ(GroupsOf(a), groupsB) << x << " <> " << y;
                EXPECT_EQ(GroupsOf(b), groupsA) << x << " <> " << y;
                EXPECT_EQ(a.Sign(), signB);
                EXPECT_EQ(b.Sign(), signA);
                a.AddInPlace(TInfinito("1"));
                b.AddInPlace(TInfinito("1"));
                EXPECT_EQ(a.ToText(), TInfinito::Add(TInfinito(y), TInfinito("1")).ToText());
                EXPECT_EQ(b.ToText(), TInfinito::Add(TInfinito(x), TInfinito("1")).ToText());
            }
        }
    }
    TInfinito same("2.5");
    same.Swap(same);
    EXPECT_EQ(same.ToText(), "2.5");
}

} // namespace
} // namespace veltra

namespace veltra {
namespace {

// The inline reading of a short number against its groups one by one, on the layouts that
// sums and products leave (zero groups at either end, signs, a negative zero, none).
TEST(InfinitoGroups, ShortMagnitudeIsTheTwoLowestGroupsAsOne) {
    const TInfinito none;
    std::vector<TInfinito> numbers = {none, TInfinito("0"), TInfinito("-0")};
    for (const char* text : {"1", "0.5", "-0.5", "99999999.99999999", "-12345678.9", "100000000",
                             "0.00000001", "-7", "123456789", "1234567812345678"})
        numbers.emplace_back(text);
    const std::size_t texts = numbers.size();
    for (std::size_t i = 0; i < texts; ++i)
        for (std::size_t j = 0; j < texts; ++j) {
            numbers.push_back(TInfinito::Add(numbers[i], numbers[j]));
            numbers.push_back(TInfinito::Add(numbers[i], numbers[j].Negated()));
            numbers.push_back(TInfinito::Multiply(numbers[i], numbers[j]));
        }
    int shortOnes = 0;
    for (const TInfinito& x : numbers) {
        std::uint64_t magnitude = 0;
        std::int32_t low = 0;
        const bool isShort = x.ShortMagnitude(magnitude, low);
        ASSERT_EQ(isShort, x.GroupCount() == 1 || x.GroupCount() == 2) << x.ToText();
        if (!isShort) continue;
        ++shortOnes;
        std::uint64_t expected = 0;
        for (int k = 0; k < x.GroupCount(); ++k) {
            const std::int64_t value = x.GroupAt(k).Value;
            expected = expected * GroupBase + static_cast<std::uint64_t>(value < 0 ? -value : value);
        }
        EXPECT_EQ(magnitude, expected) << x.ToText();
        EXPECT_EQ(low, x.GroupAt(x.GroupCount() - 1).Position) << x.ToText();
    }
    EXPECT_GT(shortOnes, 100);
}

TEST(InfinitoGroups, CarrySplitsTowardZero) {
    std::int64_t x = -123456789;
    EXPECT_EQ(TInfinitoNo::SplitCarry(x), -1);
    EXPECT_EQ(x, -23456789);
    x = 99999999;
    EXPECT_EQ(TInfinitoNo::SplitCarry(x), 0);
    EXPECT_EQ(x, 99999999);
    x = 9999999800000001; // 99999999 squared
    EXPECT_EQ(TInfinitoNo::SplitCarry(x), 99999998);
    EXPECT_EQ(x, 1);

    std::int64_t carry = 1;
    const TInfinitoNo sum = TInfinitoNo::AddGroups({99999999, -8}, {0, -8}, carry);
    EXPECT_EQ(sum, (TInfinitoNo{0, -8}));
    EXPECT_EQ(carry, 1);

    carry = 5;
    const TInfinitoNo product = TInfinitoNo::MultiplyGroups({-99999999, 8}, {99999999, -16}, carry);
    EXPECT_EQ(product, (TInfinitoNo{-99999996, -8})); // -9999999799999996 split
    EXPECT_EQ(carry, -99999997);

    TInfinitoNo g{-50000000, 0};
    carry = -50000000;
    TInfinitoNo::AbsorbCarry(g, carry);
    EXPECT_EQ(g.Value, 0);
    EXPECT_EQ(carry, -1);
}

TEST(InfinitoGroups, BorrowStepBorrowsOncePerPosition) {
    // 10000000000000001 + (-2), group by group from Position 0 up (sigma = +1).
    std::int64_t carry = 0;
    EXPECT_EQ(TInfinitoNo::BorrowStep(1, -2, carry, 1, 0), (TInfinitoNo{99999999, 0}));
    EXPECT_EQ(carry, -1);
    EXPECT_EQ(TInfinitoNo::BorrowStep(0, 0, carry, 1, 8), (TInfinitoNo{99999999, 8}));
    EXPECT_EQ(carry, -1);
    EXPECT_EQ(TInfinitoNo::BorrowStep(1, 0, carry, 1, 16), (TInfinitoNo{0, 16}));
    EXPECT_EQ(carry, 0);
    // Negative dominant operand: (-1) + 0.5 at Position -8 borrows upward with carry +1.
    carry = 0;
    EXPECT_EQ(TInfinitoNo::BorrowStep(0, 50000000, carry, -1, -8), (TInfinitoNo{-50000000, -8}));
    EXPECT_EQ(carry, 1);
    EXPECT_EQ(TInfinitoNo::BorrowStep(-1, 0, carry, -1, 0), (TInfinitoNo{0, 0}));
    EXPECT_EQ(carry, 0);
}

} // namespace
} // namespace veltra
