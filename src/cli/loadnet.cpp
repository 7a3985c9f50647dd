#include "loadnet.h"

#include "model/dados.h"
#include "storage/netfile.h"
#include "storage/sequencefile.h"

#include <algorithm>
#include <fstream>
#include <ostream>

namespace veltra::cli {

void StreamInteraction::ShowMessage(const std::string& text) {
    err_ << EscapeField(text) << '\n';
    ++messages_;
}

bool LoadNet(std::string_view path, TDados& document, StreamInteraction& ui, std::ostream& err) {
    std::ifstream in{std::string(path), std::ios::binary};
    if (!in) {
        err << EscapeField(CannotOpenFileText(path)) << '\n';
        return false;
    }
    // The reader's error comes first, then what resolving the synapses had to say.
    TSilentInteraction collect;
    document.SetInteraction(&collect);
    TReadFailure failure;
    const std::string errorText = document.Load(in, &failure);
    document.SetInteraction(&ui);
    const bool unreadable = in.bad();
    // Loose synapses speak for themselves below, one message each.
    if (!errorText.empty() && errorText != UnresolvedSynapseText)
        err << EscapeField(ReadFailureText(errorText, failure)) << '\n';
    if (unreadable) err << EscapeField(CannotOpenFileText(path)) << '\n';
    for (const std::string& message : collect.messages)
        ui.ShowMessage(message);
    // A batch run must not go on with a net that is partly read or has loose synapses.
    return errorText.empty() && !unreadable;
}

std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    std::size_t n = c >= 0xf0 && c <= 0xf4 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 ? 2 : 0;
    if (c < 0xc2 || i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((byte(i + k) & 0xc0) != 0x80) return 0;
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    if (n == 3 && ((c == 0xe0 && byte(i + 1) < 0xa0) || (c == 0xed && byte(i + 1) >= 0xa0)))
        return 0;
    if (n == 4 && ((c == 0xf0 && byte(i + 1) < 0x90) || (c == 0xf4 && byte(i + 1) >= 0x90)))
        return 0;
    return n;
}

char32_t Utf8CodePoint(std::string_view sequence) {
    const auto lead = static_cast<unsigned char>(sequence.front());
    char32_t code = sequence.size() == 1   ? lead
                    : sequence.size() == 2 ? lead & 0x1Fu
                    : sequence.size() == 3 ? lead & 0x0Fu
                                           : lead & 0x07u;
    for (std::size_t k = 1; k < sequence.size(); ++k)
        code = (code << 6) | (static_cast<unsigned char>(sequence[k]) & 0x3Fu);
    return code;
}

bool IsTerminalFormatting(char32_t code) {
    return (code >= 0x80 && code <= 0x9F) || code == 0x061C || code == 0x200E || code == 0x200F ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

namespace {

void AppendHex(std::string& out, char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto u = static_cast<unsigned char>(c);
    out += "\\x";
    out += kHex[u >> 4];
    out += kHex[u & 15];
}

} // namespace

std::string EscapeField(std::string_view text) {
    // Values are long runs of digits: when no byte could need an escape (printable ASCII
    // other than the backslash), the text is its own field, copied without a look per byte.
    const bool plain = std::all_of(text.begin(), text.end(), [](char ch) {
        const auto u = static_cast<unsigned char>(ch);
        return u >= 0x20 && u < 0x7F && ch != '\\';
    });
    if (plain) return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            // UTF-8 text stays as it is; a byte that starts no valid sequence, and a sequence
            // for a character that acts on the terminal, go out as their bytes' numbers.
            const std::size_t n = Utf8Length(text, i);
            const bool keep = n > 0 && !IsTerminalFormatting(Utf8CodePoint(text.substr(i, n)));
            for (std::size_t k = 0; k < std::max<std::size_t>(n, 1); ++k) {
                if (keep)
                    out += text[i + k];
                else
                    AppendHex(out, text[i + k]);
            }
            i += std::max<std::size_t>(n, 1);
            continue;
        }
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            if (u < 0x20 || u == 0x7F)
                AppendHex(out, c);
            else
                out += c;
        }
        ++i;
    }
    return out;
}

} // namespace veltra::cli
