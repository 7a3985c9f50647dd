// Reading, printing and housekeeping of exact decimals.
#include "numeric/infinito.h"

#include <gtest/gtest.h>
#include <random>
#include <regex>
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

TInfinito Read(std::string_view text) {
    TInfinito x;
    EXPECT_TRUE(x.SetFromText(text)) << text;
    return x;
}

TEST(InfinitoText, GroupsSignAndCanonicalText) {
    struct Case {
        const char* text;
        Groups groups;
        int sign;
        const char* canonical;
    };
    const Case cases[] = {
        {"0", {{0, 0}}, 1, "0"},
        {"", {{0, 0}}, 1, "0"},
        {"-3", {{-3, 0}}, -1, "-3"},
        {"1.0", {{1, 0}, {0, -8}}, 1, "1"},
        {".25", {{25000000, -8}}, 1, "0.25"},
        {"5.", {{5, 0}}, 1, "5"},
        {"-.5", {{-50000000, -8}}, -1, "-0.5"},
        {"100.0", {{100, 0}, {0, -8}}, 1, "100"},
        {"123456789", {{1, 8}, {23456789, 0}}, 1, "123456789"},
        {"123456789.5", {{1, 8}, {23456789, 0}, {50000000, -8}}, 1, "123456789.5"},
        {"0.000000001", {{0, 0}, {0, -8}, {10000000, -16}}, 1, "0.000000001"},
        {"-0.000000001", {{0, 0}, {0, -8}, {-10000000, -16}}, -1, "-0.000000001"},
        {"-0", {{0, 0}}, -1, "-0"},
        {"100000000", {{1, 8}, {0, 0}}, 1, "100000000"},
        {"0.00000000000000012",
         {{0, 0}, {0, -8}, {1, -16}, {20000000, -24}},
         1,
         "0.00000000000000012"},
        {"00000000012.5000", {{0, 8}, {12, 0}, {50000000, -8}}, 1, "12.5"},
        {"12345678.87654321", {{12345678, 0}, {87654321, -8}}, 1, "12345678.87654321"},
    };
    for (const Case& c : cases) {
        const TInfinito x = Read(c.text);
        EXPECT_EQ(GroupsOf(x), c.groups) << c.text;
        EXPECT_EQ(x.Sign(), c.sign) << c.text;
        EXPECT_EQ(x.ToText(), c.canonical) << c.text;
    }
}

TEST(InfinitoText, IntegerChunkErrorCarriesTheChunk) {
    const std::pair<const char*, const char*> cases[] = {
        {"12a", "'12a' is not a valid floating point value"},
        {"12a.5", "'12a' is not a valid floating point value"},
        {"1x2345678901", "'1x23' is not a valid floating point value"},
        {"9x23456789012", "'9x234' is not a valid floating point value"},
        {"12345678a12345678", "'2345678a' is not a valid floating point value"},
        {"--5", "'-5' is not a valid floating point value"}, // one sign only
        {"+5", "'+5' is not a valid floating point value"},  // plain digits only
        {" 5", "' 5' is not a valid floating point value"},
    };
    for (const auto& [text, message] : cases) {
        TInfinito x("7.5");
        try {
            x.SetFromText(text);
            ADD_FAILURE() << text << " was accepted";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), message);
        }
        // The failed read leaves the previous value in place.
        EXPECT_EQ(x.ToText(), "7.5") << text;
    }
}

TEST(InfinitoText, BadFractionGivesZeroAndFailure) {
    for (const char* text : {"1.2a", "-1.2a", "5.1.2", "3.123456789x", ".+5", "1. 5"}) {
        TInfinito x("9");
        EXPECT_FALSE(x.SetFromText(text)) << text;
        EXPECT_EQ(GroupsOf(x), (Groups{{0, 0}})) << text;
        EXPECT_EQ(x.Sign(), 1) << text;
        EXPECT_EQ(x.ToText(), "0") << text;
    }
}

TEST(InfinitoText, TextsWithoutDigitsHaveNoGroupsAndActAsZero) {
    for (const char* text : {"-", ".", "-."}) {
        TInfinito x;
        EXPECT_TRUE(x.SetFromText(text));
        EXPECT_FALSE(x.HasGroups()) << text;
        EXPECT_TRUE(x.IsZero());
        TInfinito zero("0");
        EXPECT_TRUE(TInfinito::EqualTo(x, zero)) << text;
        EXPECT_EQ(TInfinito::Add(x, TInfinito("2.5")).ToText(), "2.5");
        EXPECT_EQ(TInfinito::Multiply(TInfinito("2.5"), x).ToText(), "0");
        EXPECT_EQ(TInfinito::Multiply(x, TInfinito("2.5")).ToText(), "0");
    }
    EXPECT_EQ(TInfinito("-").ToText(), "-0");
    EXPECT_EQ(TInfinito(".").ToText(), "0");
    TInfinito empty;
    EXPECT_EQ(empty.ToText(), "0");
    EXPECT_EQ(empty.Sign(), 0);
}

// What a user may type: an optional "-", digits, optionally "." and digits, either run empty,
// but not a lone "-" (what is left while a negative number is still being typed). Everything
// else is refused with one message naming the whole text. The oracle is a regular expression,
// checked against random texts over digits, signs, points and the usual slips.
TEST(InfinitoText, TypedNumbersAreTheNumberGrammarAndOneMessageForTheRest) {
    const struct {
        const char* text;
        const char* shown; // null: refused
    } cases[] = {
        {"", "0"},
        {".", "0"},
        {"-.", "-0"},
        {"5.", "5"},
        {".25", "0.25"},
        {"-.5", "-0.5"},
        {"007.50", "7.5"},
        {"-", nullptr},
        {"1,5", nullptr},
        {"1.5x", nullptr},
        {"0.2.5", nullptr},
        {"12a", nullptr},
        {"123456789a", nullptr},
        {"1x2345678901", nullptr},
        {"+5", nullptr},
        {" 5", nullptr},
        {"..", nullptr},
        {"--5", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.shown != nullptr) {
            EXPECT_EQ(ReadTypedNumber(c.text).ToText(), c.shown);
            continue;
        }
        try {
            ReadTypedNumber(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidNumber& e) {
            EXPECT_EQ(e.what(),
                      "'" + std::string(c.text) + "' is not a valid floating point value");
        }
    }
    const std::regex number("-?[0-9]*(\\.[0-9]*)?");
    const std::string alphabet = "0123456789-.,+ ax";
    std::mt19937 random(26);
    for (int i = 0; i < 20000; ++i) {
        std::string text(random() % 7, ' ');
        for (char& ch : text)
            ch = alphabet[random() % (random() % 3 == 0 ? alphabet.size() : 12)];
        const bool wanted = text != "-" && std::regex_match(text, number);
        bool accepted = true;
        try {
            const TInfinito x = ReadTypedNumber(text);
            // The value is the one a net file gives the same text.
            EXPECT_EQ(x.ToText(), TInfinito(text).ToText()) << text;
        } catch (const EInvalidNumber&) {
            accepted = false;
        }
        ASSERT_EQ(accepted, wanted) << "'" << text << "'";
    }
}

TEST(InfinitoHousekeeping, NormalizeTrimsAndZeroLosesItsSign) {
    TInfinito big("100000000");
    big.Normalize();
    EXPECT_EQ(GroupsOf(big), (Groups{{1, 8}}));
    EXPECT_EQ(big.ToText(), "100000000");

    TInfinito padded("00000000012.5000");
    padded.Normalize();
    EXPECT_EQ(GroupsOf(padded), (Groups{{12, 0}, {50000000, -8}}));
    EXPECT_EQ(padded.ToText(), "12.5");

    TInfinito negZero("-0.0000000000");
    EXPECT_EQ(negZero.ToText(), "-0");
    negZero.Normalize();
    EXPECT_EQ(GroupsOf(negZero), (Groups{{0, 0}}));
    EXPECT_EQ(negZero.Sign(), 0);
    EXPECT_EQ(negZero.ToText(), "0");

    TInfinito fracOnly("0.00000000000000012");
    fracOnly.Normalize();
    EXPECT_EQ(GroupsOf(fracOnly), (Groups{{1, -16}, {20000000, -24}}));
    EXPECT_EQ(fracOnly.ToText(), "0.00000000000000012");

    TInfinito intOnly("1200000000000000000");
    intOnly.Normalize();
    EXPECT_EQ(intOnly.ToText(), "1200000000000000000"); // integer zeros below the last group
}

TEST(InfinitoHousekeeping, CopiesAreIndependent) {
    TInfinito source("-123456789012345678901234567890.5");
    const std::string before = source.ToText();
    TInfinito copy = source.Duplicate();
    TInfinito negated = source.Negated();
    copy.Normalize();
    copy.Clear();
    EXPECT_FALSE(copy.HasGroups());
    EXPECT_EQ(copy.Sign(), 0);
    EXPECT_EQ(source.ToText(), before);
    EXPECT_EQ(negated.ToText(), "123456789012345678901234567890.5");
    EXPECT_EQ(negated.Sign(), 1);
    EXPECT_EQ(TInfinito("-0").Negated().Sign(), 1);
    EXPECT_EQ(TInfinito("0").Negated().ToText(), "-0");

    TInfinito moved(std::move(negated));
    EXPECT_EQ(moved.ToText(), "123456789012345678901234567890.5");
    moved = source;
    EXPECT_EQ(moved.ToText(), before);
}

TEST(InfinitoHousekeeping, InsertGroupAndLeadingGroup) {
    TInfinito x;
    x.InsertGroup({5, 0});
    x.InsertGroup({7, 8});         // above the first: front
    x.InsertGroup({25000000, -8}); // below: back
    EXPECT_EQ(GroupsOf(x), (Groups{{7, 8}, {5, 0}, {25000000, -8}}));
    EXPECT_EQ(x.ToText(), "700000005.25");
    x.InsertGroup({3, 32}); // skipped Positions become zero groups
    EXPECT_EQ(x.ToText(), "300000000000000000000000700000005.25");
    EXPECT_THROW(x.InsertGroup({1, 0}), std::invalid_argument);
    EXPECT_THROW(x.InsertGroup({-1, 40}), std::invalid_argument);
    EXPECT_THROW(x.InsertGroup({100000000, 40}), std::invalid_argument);

    TInfinito neg;
    neg.InsertGroup({-4, 0});
    EXPECT_EQ(neg.Sign(), -1);
    EXPECT_EQ(neg.ToText(), "-4");

    const TInfinito padded("000000000.000000001");
    EXPECT_EQ(padded.LeadingGroup(), (TInfinitoNo{10000000, -16}));
    EXPECT_EQ(TInfinito("-0.0").LeadingGroup(), (TInfinitoNo{0, 0}));
    EXPECT_EQ(TInfinito("-7").LeadingGroup(), (TInfinitoNo{-7, 0}));
    EXPECT_THROW(padded.GroupAt(4), std::out_of_range);
    EXPECT_THROW(padded.GroupAt(-1), std::out_of_range);
}

TEST(InfinitoHousekeeping, DigitSpanBoundsTheDigitsFromTheLayoutAlone) {
    const TInfinito half("0.5"), one("1");
    const std::vector<TInfinito> values{
        TInfinito("12345678.12345678"),
        TInfinito("100000000000000000000"),
        TInfinito("0.000000000000000001"),
        TInfinito("-987.65"),
        TInfinito::Add(TInfinito("99.5"), half), // keeps its zero fraction group
        TInfinito::Multiply(TInfinito("1" + std::string(40, '0')), TInfinito("0.001")),
        TInfinito("-0"),
        TInfinito(),
    };
    for (const TInfinito& v : values) {
        const TInfinito::TDigits d = v.Digits();
        EXPECT_GE(v.DigitSpan(), d.whole + d.fraction) << v.ToText();
        EXPECT_LE(v.DigitSpan(), d.whole + d.fraction + 2 * 8 * (v.GroupCount() + 1)) << v.ToText();
    }
    EXPECT_EQ(values[0].DigitSpan(), 16); // two full groups either side of the point
    EXPECT_EQ(one.DigitSpan(), 8);
}

TEST(InfinitoHousekeeping, SmallValuesStayOffTheHeap) {
    const TInfinito a("1234567.123456789"); // three groups
    const TInfinito b("-9876543210.87654");
    EXPECT_EQ(a.HeapBytes(), 0u);
    EXPECT_EQ(TInfinito::Multiply(a, b).HeapBytes(), 0u);
    EXPECT_EQ(TInfinito::Add(a, b).HeapBytes(), 0u);
    const TInfinito big(std::string(1000, '7'));
    EXPECT_GE(big.HeapBytes(), 500u);
    EXPECT_LE(big.HeapBytes(), 600u);
}

TEST(InfinitoText, LongTextsRoundTrip) {
    std::string text = "-";
    for (int i = 0; i < 5000; ++i)
        text += char('0' + (i * 7 + 3) % 10);
    text += '.';
    for (int i = 0; i < 3001; ++i)
        text += char('0' + (i * 3 + 1) % 10);
    text.back() = '9';
    EXPECT_EQ(TInfinito(text).ToText(), text);
}

} // namespace
} // namespace veltra
