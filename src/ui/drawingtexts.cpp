#include "ui/drawingtexts.h"

#include <algorithm>

namespace veltra {

namespace {

constexpr std::size_t ElideAbove = 24; // characters
constexpr std::size_t KeepHead = 6;
constexpr std::size_t KeepTail = 4;

std::string Grouped(std::size_t n) {
    std::string digits = std::to_string(n);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(std::size_t(at), ",");
    return digits;
}

} // namespace

QString PrintableText(QString text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20)
            c = QChar(char16_t(0x2400 + u));
        else if (u == 0x7f)
            c = QChar(char16_t(0x2421));
    }
    return text;
}

TDrawingTexts& DrawingTexts() {
    static TDrawingTexts texts;
    return texts;
}

std::string ElideNumber(const std::string& text) {
    return ElideNumber(TextEndsOf(text, ElideAsk, ElideAsk, TTextEnds::TUnit::Digits));
}

std::string ElideNumber(const TTextEnds& ends) {
    static_assert(2 * ElideAsk >= ElideAbove && ElideAsk >= KeepHead && ElideAsk >= KeepTail);
    if (ends.length <= ElideAbove) return ends.head;
    const char* unit = ends.unit == TTextEnds::TUnit::Symbols ? " symbols)" : " digits)";
    return ends.head.substr(0, KeepHead) + "\xe2\x80\xa6" +
           ends.tail.substr(ends.tail.size() - KeepTail) + " (" + Grouped(ends.count) + unit;
}

} // namespace veltra
