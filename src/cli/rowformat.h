// How "run" prints the rows of a net: tab-separated (escaped for the terminal), CSV (RFC 4180)
// or JSON (one object per printed step), so that scripts read the values without guessing.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace veltra {
class TDados;
}

namespace veltra::cli {

enum class TRowFormat { Tsv, Csv, Json };

// "tsv", "csv" or "json"; false for anything else.
bool ParseRowFormat(std::string_view text, TRowFormat& format);

// A field as RFC 4180 wants it: quoted (quotes doubled) when it holds a comma, a quote, CR or LF.
std::string CsvField(std::string_view text);
// A JSON string literal: quotes, backslashes and control characters (C1 ones too) escaped; bytes
// that are not UTF-8 written as the code point of the same number (\u0080 to \u00ff), so the
// text is valid JSON and nothing in it acts on a terminal.
std::string JsonString(std::string_view text);

// How rows are laid out beyond their format, so that many runs' rows concatenate into one
// table: a tag as the first column (tsv, csv) or field (json) of every row, CSV records
// ending in LF instead of RFC 4180's CRLF, and the CSV header left out.
struct TRowStyle {
    std::optional<std::string> tag;
    bool lf = false;
    bool header = true;
};

class TRowPrinter {
public:
    TRowPrinter(std::ostream& out, TRowFormat format, TRowStyle style = {})
        : out_(out), format_(format), style_(std::move(style)) {}

    // One row per top-level element (rows), then one per output with every value it recorded
    // (logs); in JSON both go into one object for the step.
    void Print(TDados& document, long long step, bool rows, bool logs);
    // With `hold`, a JSON step's object stays open after Print, so that a later Print for the
    // same step (the logs after a trace's last rows) adds to it: one object per step.
    void HoldLastStep(bool hold) { hold_ = hold; }
    // Closes the step's object that is still open, if any.
    void Finish();
    // Where the closing "cycle ..." and "steps=..." lines go: standard output for untagged
    // tsv, standard error for csv, json and tagged rows, so that standard output is clean
    // data.
    bool DataOnly() const { return format_ != TRowFormat::Tsv || style_.tag.has_value(); }

private:
    void Row(long long step, std::string_view kind, std::string_view label, std::string_view value,
             bool& first);
    // A row whose value is `count` pieces joined by single spaces, written piece by piece: an
    // output's log of 10,000 steps of 100,000 digits is never built, nor escaped, whole.
    void JoinedRow(long long step, std::string_view kind, std::string_view label, std::size_t count,
                   const std::function<std::string_view(std::size_t)>& piece, bool& first);

    const char* RecordEnd() const { return style_.lf ? "\n" : "\r\n"; }

    std::ostream& out_;
    TRowFormat format_;
    TRowStyle style_;
    bool headerDone_ = false;
    bool hold_ = false;
    long long openStep_ = -1; // the step whose JSON object is open, -1 for none
};

} // namespace veltra::cli
