#include "storage/sequencefile.h"

#include <iterator>

namespace veltra {

std::string AdjustLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\r\n";
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string LoadSequence(std::istream& in) {
    std::string raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return AdjustLineBreaks(raw);
}

bool SaveSequence(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return static_cast<bool>(out);
}

std::string CannotOpenFileText(std::string_view fileName) {
    return "Cannot open file " + std::string(fileName);
}

std::string CannotCreateFileText(std::string_view fileName) {
    return "Cannot create file " + std::string(fileName);
}

} // namespace veltra
