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

namespace {

// Bytes a terminal would act on: C0 controls, DEL, and the C1 controls in their two-byte
// UTF-8 form (some terminals obey them). Other bytes, UTF-8 text included, stay as they are.
bool IsControl(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    if (c < 0x20 || c == 0x7F) return true;
    if (c == 0xC2) return i + 1 < text.size() && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9F;
    return c >= 0x80 && c <= 0x9F && i > 0 && byte(i - 1) == 0xC2;
}

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
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
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
            if (IsControl(text, i))
                AppendHex(out, c);
            else
                out += c;
        }
    }
    return out;
}

} // namespace veltra::cli
