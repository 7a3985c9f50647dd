// How "run" prints the rows of a net: tab-separated (escaped for the terminal), CSV (RFC 4180)
// or JSON (one object per printed step), so that scripts read the values without guessing.
#pragma once

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
    // Where the closing "cycle ..." and "steps=..." lines go: standard output for untagged
    // tsv, standard error for csv, json and tagged rows, so that standard output is clean
    // data.
    bool DataOnly() const { return format_ != TRowFormat::Tsv || style_.tag.has_value(); }

private:
    void Row(long long step, std::string_view kind, std::string_view label, std::string_view value,
             bool& first);

    const char* RecordEnd() const { return style_.lf ? "\n" : "\r\n"; }

    std::ostream& out_;
    TRowFormat format_;
    TRowStyle style_;
    bool headerDone_ = false;
};

} // namespace veltra::cli
