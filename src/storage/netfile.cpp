#include "storage/netfile.h"

#include <algorithm>
#include <cstring>
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

namespace {
// Eight characters with A-Z made lower case, the others as they are: a file's tags differ from
// the ones looked for only in letter case ("</TPROTONEURONIO>"), on every element.
std::uint64_t LowerWord(const char* p) {
    constexpr std::uint64_t Ones = 0x0101010101010101ULL;
    std::uint64_t x = 0;
    std::memcpy(&x, p, sizeof x);
    const std::uint64_t seven = x & (0x7f * Ones);
    const std::uint64_t aboveZ = seven + (0x7f - 'Z') * Ones; // top bit: above 'Z'
    const std::uint64_t fromA = seven + (0x80 - 'A') * Ones;  // top bit: 'A' or above
    const std::uint64_t upper = (fromA ^ aboveZ) & ~x & (0x80 * Ones);
    return x | (upper >> 2);
}
} // namespace

bool SameTextSlow(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    std::size_t i = 0;
    for (; i + 8 <= a.size(); i += 8)
        if (LowerWord(a.data() + i) != LowerWord(b.data() + i)) return false;
    for (; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
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

TNetReader::TNetReader(std::istream& in) : in_(in) {}

TNetReader::~TNetReader() {
    // What was read ahead goes back; a stream that cannot seek (a pipe) keeps it read.
    if (end_ == begin_ || in_.rdbuf() == nullptr) return;
    const std::streamoff back = -static_cast<std::streamoff>(end_ - begin_);
    if (in_.rdbuf()->pubseekoff(back, std::ios::cur, std::ios::in) != std::streamoff(-1))
        in_.clear(in_.rdstate() & ~std::ios::eofbit); // something is left to read again
}

bool TNetReader::Fill() {
    if (exhausted_) return false;
    if (!in_.good() || in_.rdbuf() == nullptr) {
        exhausted_ = true;
        return false;
    }
    // The unread rest to the front, and room for a block after it (more for a long line).
    constexpr std::size_t Block = std::size_t(1) << 16;
    if (begin_ != 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (buffer_.size() < end_ + Block) buffer_.resize(std::max(end_ + Block, 2 * buffer_.size()));
    std::streamsize got = 0;
    try {
        got = in_.rdbuf()->sgetn(buffer_.data() + end_,
                                 static_cast<std::streamsize>(buffer_.size() - end_));
    } catch (...) {
        in_.setstate(std::ios::badbit); // an unreadable file, as line by line would find it
        exhausted_ = true;
        return false;
    }
    if (got <= 0) {
        in_.setstate(std::ios::eofbit);
        exhausted_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(got);
    return true;
}

bool TNetReader::Next(std::string_view& line) {
    ++lines_;
    cause_.clear();
    ended_ = false;
    std::size_t searched = begin_;
    for (;;) {
        const void* found = std::memchr(buffer_.data() + searched, '\n', end_ - searched);
        if (found != nullptr) {
            const std::size_t at =
                static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.data());
            line = std::string_view(buffer_.data() + begin_, at - begin_);
            begin_ = at + 1;
            break;
        }
        searched = end_ - begin_; // where the search goes on once the rest is at the front
        if (!Fill()) {
            if (begin_ == end_) {
                line = {};
                ended_ = true;
                return false;
            }
            line = std::string_view(buffer_.data() + begin_, end_ - begin_); // no line end
            begin_ = end_;
            break;
        }
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

bool TNetReader::ReadLine(std::string& line) {
    std::string_view next;
    const bool read = Next(next);
    line.assign(next);
    return read;
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
