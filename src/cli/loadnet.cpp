#include "loadnet.h"

#include "model/dados.h"
#include "storage/sequencefile.h"

#include <fstream>
#include <ostream>

namespace veltra::cli {

void StreamInteraction::ShowMessage(const std::string& text) {
    err_ << text << '\n';
    ++messages_;
}

bool LoadNet(std::string_view path, TDados& document, StreamInteraction& ui, std::ostream& err) {
    std::ifstream in{std::string(path), std::ios::binary};
    if (!in) {
        err << CannotOpenFileText(path) << '\n';
        return false;
    }
    // The reader's error comes first, then what resolving the synapses had to say.
    TSilentInteraction collect;
    document.SetInteraction(&collect);
    std::string errorText;
    const bool resolved = document.Load(in, errorText);
    document.SetInteraction(&ui);
    const bool unreadable = in.bad();
    if (!errorText.empty()) err << errorText << '\n';
    if (unreadable) err << CannotOpenFileText(path) << '\n';
    for (const std::string& message : collect.messages)
        ui.ShowMessage(message);
    // A batch run must not go on with a net that is partly read or has loose synapses.
    return errorText.empty() && !unreadable && resolved;
}

std::string EscapeField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
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
            out += c;
        }
    }
    return out;
}

} // namespace veltra::cli
