#include "ui/dialogs/sequencebytes.h"

#include <QList>
#include <algorithm>

namespace veltra {

namespace {

// A sequence file is bytes, not text in some encoding, and must go back byte for byte. The box
// shows valid UTF-8 as text; every other byte b (0x80..0xFF) stands in it as the private-use
// character U+F700 + b. So do the bytes of the characters the text box would not give back
// as they are (no-break space, line and paragraph separators, U+FDD0/U+FDD1) and of the
// private-use characters used for this, so that reading the box back is exact.
constexpr char32_t kByteEscape = 0xF700;

bool ShownAsBytes(char32_t c) {
    return c == 0x00A0 || c == 0x2028 || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1 ||
           (c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF);
}

// Length of the valid UTF-8 sequence at bytes[i] and its code point; 0 when invalid.
std::size_t DecodeUtf8(const std::string& bytes, std::size_t i, char32_t& c) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b = at(i);
    std::size_t n = 0;
    char32_t min = 0;
    if (b < 0x80) {
        c = b;
        return 1;
    }
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2, min = 0x80, c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3, min = 0x800, c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4, min = 0x10000, c = b & 0x07;
    } else {
        return 0;
    }
    if (i + n > bytes.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((at(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (at(i + k) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return n;
}

} // namespace

QString BoxFromBytes(const std::string& bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const std::size_t n = DecodeUtf8(bytes, i, c);
        if (n != 0 && !ShownAsBytes(c)) {
            text += c;
            i += n;
            continue;
        }
        for (std::size_t k = i; k < i + std::max<std::size_t>(n, 1); ++k)
            text += kByteEscape + static_cast<unsigned char>(bytes[k]);
        i += std::max<std::size_t>(n, 1);
    }
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

std::string BytesFromBox(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const char32_t c : text.toUcs4()) {
        if (c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF)
            bytes += static_cast<char>(c - kByteEscape);
        else
            bytes += QString::fromUcs4(&c, 1).toUtf8().toStdString();
    }
    return bytes;
}

} // namespace veltra
