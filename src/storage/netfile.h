// Line primitives of the net file format: whole lines of any length (CR LF or LF), tags
// compared without regard to ASCII letter case, keyed lines, the integer and boolean
// rules. The per-type lines are read and written by the element types themselves.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace veltra {

// Where a read failed, beside the reader's error text (which names the kind of line only):
// the number of the line (1 for the first; one past the last line when the file ended early)
// and, where the reader knows it, why the line was refused.
struct TReadFailure {
    std::int64_t line = 0;
    std::string cause;
};

// The reader's text with the line it refused and why, where known, for the command line and
// Python: "TNeuronio - FormatoIncorrecto (line 31: 'x' is not a valid floating point value)".
std::string ReadFailureText(const std::string& errorText, const TReadFailure& failure);

// Writes lines ending in CR LF.
class TNetWriter {
public:
    explicit TNetWriter(std::ostream& out) : out_(out) {}
    void WriteLine(std::string_view line);
    void WriteKeyed(std::string_view key, std::string_view value);
    bool Good() const;

private:
    std::ostream& out_;
};

// Equality apart from ASCII letter case; the equal case, which files mostly are, compared
// whole first.
bool SameTextSlow(std::string_view a, std::string_view b);
inline bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a == b || SameTextSlow(a, b));
}
// The whole line equals the tag apart from ASCII letter case.
inline bool IsTag(std::string_view line, std::string_view tag) {
    return SameText(line, tag);
}
// The line starts with the key (apart from case); value := the rest of the line.
inline bool KeyedValue(std::string_view line, std::string_view key, std::string& value) {
    if (line.size() < key.size() || !SameText(line.substr(0, key.size()), key)) return false;
    value.assign(line.substr(key.size()));
    return true;
}
// Optional leading blanks, optional sign, decimal digits or "$" and hex digits; 32 bits.
bool ParseInteger(std::string_view text, std::int32_t& value);
// True exactly when the text equals "true" apart from case.
bool ParseBool(std::string_view text);
const char* BoolText(bool value);

// Reads a stream line by line. At the end of the stream a missing line reads as empty.
// It reads ahead in large blocks and finds the line ends in them (a big net's file has tens of
// millions of short lines); what it read ahead goes back to the stream when the reader goes,
// where the stream can seek. A read error marks the stream bad, as reading line by line would.
class TNetReader {
public:
    explicit TNetReader(std::istream& in);
    ~TNetReader();
    TNetReader(const TNetReader&) = delete;
    TNetReader& operator=(const TNetReader&) = delete;
    // The next line without its line end; false (and an empty line) at the end of input.
    bool ReadLine(std::string& line);
    // Reads the next line and tests it as a whole-line tag. Inline, as the comparisons: the
    // tags and keys are literals, compared then without a call.
    bool ExpectTag(std::string_view tag) {
        std::string_view line;
        Next(line);
        return IsTag(line, tag);
    }
    // Reads the next line and tests it as a keyed line; value gets the rest of it.
    bool ExpectKey(std::string_view key, std::string& value) {
        std::string_view line;
        Next(line);
        return KeyedValue(line, key, value);
    }
    // Why the line just read is refused, for the failure's cause.
    void Refuse(std::string cause) { cause_ = std::move(cause); }
    // The line read last and what was said about it.
    TReadFailure Failure() const;

private:
    // The next line (CR LF or LF), valid until the next call; false at the end of input.
    bool Next(std::string_view& line);
    // Reads more after what is left unread; false when nothing more came.
    bool Fill();

    std::istream& in_;
    std::string buffer_;
    std::size_t begin_ = 0; // the unread part of the buffer
    std::size_t end_ = 0;
    bool exhausted_ = false;
    std::int64_t lines_ = 0;
    bool ended_ = false; // the last line asked for was past the end
    std::string cause_;
};

} // namespace veltra
