// The two ends of a text and how long it is: what a list shows of a value or sequence of
// millions of characters, taken without making or reading the whole text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace veltra {

struct TTextEnds {
    // What `count` counts: the digits of a number, the symbols of a sequence, or characters.
    enum class TUnit { Digits, Symbols, Characters };

    std::string head;       // the first characters; the whole text when Whole()
    std::string tail;       // the last characters; empty when Whole()
    std::size_t length = 0; // of the whole text
    std::size_t count = 0;  // digits, symbols or characters of the whole text
    TUnit unit = TUnit::Characters;

    bool Whole() const { return head.size() == length; }
    friend bool operator==(const TTextEnds&, const TTextEnds&) = default;
};

// The first `head` and last `tail` characters of a text; the whole text in `head` when it has
// no more than head + tail characters. Digits are counted as the characters of a number's
// text less its sign and point.
TTextEnds TextEndsOf(std::string_view text, std::size_t head, std::size_t tail,
                     TTextEnds::TUnit unit);

// How lists show a text: whole when it has at most ListedChars characters, otherwise its
// first and last ListedEnds characters with the count between them:
// "3.14159265358979 … 10,000,001 digits … 3038196442881097". Made from ends asked for with
// ListedAsk characters on either side.
inline constexpr std::size_t ListedChars = 64;
inline constexpr std::size_t ListedEnds = 16;
inline constexpr std::size_t ListedAsk = ListedChars / 2;
std::string ListedForm(const TTextEnds& ends);
std::string ListedForm(std::string_view text, TTextEnds::TUnit unit);
// The parts of a shortened ListedForm: the first and last characters and what comes between.
std::string_view ListedHead(const TTextEnds& ends);
std::string_view ListedTail(const TTextEnds& ends);
std::string ListedMiddle(const TTextEnds& ends);

// "10,000,001 digits", "1 symbol".
std::string CountText(std::size_t count, TTextEnds::TUnit unit);

} // namespace veltra
