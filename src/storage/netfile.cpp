#include "storage/netfile.h"

#include <istream>
#include <limits>
#include <ostream>

namespace veltra {

namespace {
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char l = Lower(c);
    if (l >= 'a' && l <= 'f') return l - 'a' + 10;
    return -1;
}
} // namespace

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    if (a == b) return true; // the usual case, compared a word at a time
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool IsTag(std::string_view line, std::string_view tag) {
    return SameText(line, tag);
}

bool KeyedValue(std::string_view line, std::string_view key, std::string& value) {
    if (line.size() < key.size() || !SameText(line.substr(0, key.size()), key)) return false;
    value.assign(line.substr(key.size()));
    return true;
}

bool ParseInteger(std::string_view text, std::int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const bool hex = i < text.size() && text[i] == '$';
    if (hex) ++i;
    if (i == text.size()) return false;
    const int base = hex ? 16 : 10;
    // The magnitude may reach 2^31 only for a negative number.
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) + (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit =
            hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) return false;
        magnitude =
            magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (magnitude > limit) return false;
    }
    const std::int64_t signedValue =
        negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

bool ParseBool(std::string_view text) {
    return SameText(text, "true");
}

const char* BoolText(bool value) {
    return value ? "true" : "false";
}

bool TNetReader::ReadLine(std::string& line) {
    line.clear();
    ++lines_;
    cause_.clear();
    ended_ = true;
    if (!in_.good()) return false;
    std::getline(in_, line);
    if (in_.bad() || (in_.fail() && line.empty())) {
        line.clear();
        return false;
    }
    ended_ = false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

std::string ReadFailureText(const std::string& errorText, const TReadFailure& failure) {
    if (failure.line <= 0) return errorText;
    return errorText + " (line " + std::to_string(failure.line) +
           (failure.cause.empty() ? "" : ": " + failure.cause) + ")";
}

TReadFailure TNetReader::Failure() const {
    TReadFailure failure{lines_, cause_};
    if (ended_ && failure.cause.empty()) failure.cause = "the file ends before this line";
    return failure;
}

bool TNetReader::ExpectTag(std::string_view tag) {
    ReadLine(line_);
    return IsTag(line_, tag);
}

bool TNetReader::ExpectKey(std::string_view key, std::string& value) {
    ReadLine(line_);
    return KeyedValue(line_, key, value);
}

void TNetWriter::WriteLine(std::string_view line) {
    out_.write(line.data(), static_cast<std::streamsize>(line.size()));
    out_.write("\r\n", 2);
}

void TNetWriter::WriteKeyed(std::string_view key, std::string_view value) {
    out_.write(key.data(), static_cast<std::streamsize>(key.size()));
    WriteLine(value);
}

bool TNetWriter::Good() const {
    return out_.good();
}

} // namespace veltra
