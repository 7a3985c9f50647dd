#include "numeric/textends.h"

#include <algorithm>
#include <cstring>

namespace veltra {

TTextEnds TextEndsOf(std::string_view text, std::size_t head, std::size_t tail,
                     TTextEnds::TUnit unit) {
    TTextEnds ends;
    ends.length = text.size();
    ends.unit = unit;
    ends.count = text.size();
    if (unit == TTextEnds::TUnit::Digits && !text.empty()) {
        if (text.front() == '-') --ends.count;
        if (std::memchr(text.data(), '.', text.size()) != nullptr) --ends.count;
    }
    if (text.size() <= head + tail) {
        ends.head = std::string(text);
    } else {
        ends.head = std::string(text.substr(0, head));
        ends.tail = std::string(text.substr(text.size() - tail));
    }
    return ends;
}

std::string CountText(std::size_t count, TTextEnds::TUnit unit) {
    std::string digits = std::to_string(count);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    const char* what = unit == TTextEnds::TUnit::Digits    ? " digit"
                       : unit == TTextEnds::TUnit::Symbols ? " symbol"
                                                           : " character";
    return digits + what + (count == 1 ? "" : "s");
}

std::string_view ListedHead(const TTextEnds& ends) {
    return std::string_view(ends.head).substr(0, ListedEnds);
}

std::string_view ListedTail(const TTextEnds& ends) {
    const std::string_view tail(ends.tail);
    return tail.substr(tail.size() - std::min(tail.size(), ListedEnds));
}

std::string ListedMiddle(const TTextEnds& ends) {
    return " \u2026 " + CountText(ends.count, ends.unit) + " \u2026 ";
}

std::string ListedForm(const TTextEnds& ends) {
    if (ends.length <= ListedChars && ends.Whole()) return ends.head;
    return std::string(ListedHead(ends)) + ListedMiddle(ends) + std::string(ListedTail(ends));
}

std::string ListedForm(std::string_view text, TTextEnds::TUnit unit) {
    return ListedForm(TextEndsOf(text, ListedAsk, ListedAsk, unit));
}

} // namespace veltra
