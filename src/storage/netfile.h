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

// Reads a stream line by line. At the end of the stream a missing line reads as empty.
class TNetReader {
public:
    explicit TNetReader(std::istream& in) : in_(in) {}
    // The next line without its line end; false (and an empty line) at the end of input.
    bool ReadLine(std::string& line);
    // Reads the next line and tests it as a whole-line tag.
    bool ExpectTag(std::string_view tag);
    // Reads the next line and tests it as a keyed line; value gets the rest of it.
    bool ExpectKey(std::string_view key, std::string& value);
    // Why the line just read is refused, for the failure's cause.
    void Refuse(std::string cause) { cause_ = std::move(cause); }
    // The line read last and what was said about it.
    TReadFailure Failure() const;

private:
    std::istream& in_;
    std::string line_; // the last line read by the Expect calls, its buffer reused for the next
    std::int64_t lines_ = 0;
    bool ended_ = false; // the last line asked for was past the end
    std::string cause_;
};

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

// The whole line equals the tag apart from ASCII letter case.
bool IsTag(std::string_view line, std::string_view tag);
// The line starts with the key (apart from case); value := the rest of the line.
bool KeyedValue(std::string_view line, std::string_view key, std::string& value);
// Optional leading blanks, optional sign, decimal digits or "$" and hex digits; 32 bits.
bool ParseInteger(std::string_view text, std::int32_t& value);
// True exactly when the text equals "true" apart from case.
bool ParseBool(std::string_view text);
const char* BoolText(bool value);
// Equality apart from ASCII letter case.
bool SameText(std::string_view a, std::string_view b);

} // namespace veltra
