#include "cli/rowformat.h"

#include "cli/loadnet.h"
#include "model/dados.h"
#include "model/outputs.h"

#include <ostream>

namespace veltra::cli {

bool ParseRowFormat(std::string_view text, TRowFormat& format) {
    if (text == "tsv")
        format = TRowFormat::Tsv;
    else if (text == "csv")
        format = TRowFormat::Csv;
    else if (text == "json")
        format = TRowFormat::Json;
    else
        return false;
    return true;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

std::string JsonString(std::string_view text) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string s = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += static_cast<char>(c);
        } else if (c == '\n') {
            s += "\\n";
        } else if (c == '\t') {
            s += "\\t";
        } else if (c == '\r') {
            s += "\\r";
        } else if (c < 0x20 || c == 0x7f) {
            s += "\\u00";
            s += Hex[c >> 4];
            s += Hex[c & 15];
        } else if (c >= 0x80) {
            const std::size_t n = Utf8Length(text, i);
            if (n > 0 && IsTerminalFormatting(Utf8CodePoint(text.substr(i, n)))) {
                // A C1 control acts on a terminal as ESC does, an override turns a line round.
                const char32_t code = Utf8CodePoint(text.substr(i, n));
                s += "\\u";
                for (int shift = 12; shift >= 0; shift -= 4)
                    s += Hex[(code >> shift) & 15];
                i += n;
                continue;
            }
            if (n > 0) {
                s.append(text.substr(i, n));
                i += n;
                continue;
            }
            s += "\\u00";
            s += Hex[c >> 4];
            s += Hex[c & 15];
        } else {
            s += static_cast<char>(c);
        }
        ++i;
    }
    return s + '"';
}

void TRowPrinter::Row(long long step, std::string_view kind, std::string_view label,
                      std::string_view value, bool& first) {
    switch (format_) {
    case TRowFormat::Tsv:
        if (style_.tag) out_ << EscapeField(*style_.tag) << '\t';
        out_ << step << '\t' << kind << '\t' << EscapeField(label) << '\t' << EscapeField(value)
             << '\n';
        break;
    case TRowFormat::Csv:
        if (style_.tag) out_ << CsvField(*style_.tag) << ',';
        out_ << step << ',' << kind << ',' << CsvField(label) << ',' << CsvField(value)
             << RecordEnd();
        break;
    case TRowFormat::Json:
        out_ << (first ? "" : ",") << "{\"kind\":" << JsonString(kind)
             << ",\"label\":" << JsonString(label) << ",\"value\":" << JsonString(value) << '}';
        break;
    }
    first = false;
}

void TRowPrinter::JoinedRow(long long step, std::string_view kind, std::string_view label,
                            std::size_t count,
                            const std::function<std::string_view(std::size_t)>& piece,
                            bool& first) {
    // Every escape below maps a piece on its own, and the separator, a space, to itself, so
    // the pieces written one by one are the whole value written at once.
    const auto each = [&](auto write) {
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) out_ << ' ';
            write(piece(i));
        }
    };
    switch (format_) {
    case TRowFormat::Tsv:
        if (style_.tag) out_ << EscapeField(*style_.tag) << '\t';
        out_ << step << '\t' << kind << '\t' << EscapeField(label) << '\t';
        each([this](std::string_view p) { out_ << EscapeField(p); });
        out_ << '\n';
        break;
    case TRowFormat::Csv: {
        if (style_.tag) out_ << CsvField(*style_.tag) << ',';
        out_ << step << ',' << kind << ',' << CsvField(label) << ',';
        bool quoted = false;
        for (std::size_t i = 0; i < count && !quoted; ++i)
            quoted = piece(i).find_first_of(",\"\r\n") != std::string_view::npos;
        if (quoted) out_ << '"';
        each([this, quoted](std::string_view p) {
            if (!quoted) {
                out_ << p;
                return;
            }
            for (const char c : p) {
                if (c == '"') out_ << '"';
                out_ << c;
            }
        });
        if (quoted) out_ << '"';
        out_ << RecordEnd();
        break;
    }
    case TRowFormat::Json:
        out_ << (first ? "" : ",") << "{\"kind\":" << JsonString(kind)
             << ",\"label\":" << JsonString(label) << ",\"value\":\"";
        each([this](std::string_view p) {
            const std::string literal = JsonString(p);
            out_ << std::string_view(literal).substr(1, literal.size() - 2);
        });
        out_ << "\"}";
        break;
    }
    first = false;
}

void TRowPrinter::Print(TDados& document, long long step, bool rows, bool logs) {
    if (format_ == TRowFormat::Csv && !headerDone_ && style_.header)
        out_ << (style_.tag ? "tag," : "") << "step,kind,label,value" << RecordEnd();
    headerDone_ = true;
    bool first = true;
    if (format_ == TRowFormat::Json) {
        if (openStep_ == step) {
            first = false; // adds to the step's object
        } else {
            Finish();
            out_ << '{';
            if (style_.tag) out_ << "\"tag\":" << JsonString(*style_.tag) << ',';
            out_ << "\"step\":" << step << ",\"rows\":[";
        }
    }
    if (rows) {
        for (const auto& element : document.Elements())
            Row(step, KindName(element->Kind()), element->Label(), element->ValueText(), first);
    }
    if (logs) {
        for (const auto& element : document.Elements()) {
            if (element->Kind() != TElementKind::Output) continue;
            const TValueLog& log = static_cast<const TOutputs&>(*element).Log();
            JoinedRow(
                step, "log", element->Label(), log.Size(),
                [&log](std::size_t i) { return std::string_view(log.At(i)); }, first);
        }
    }
    if (format_ == TRowFormat::Json) {
        openStep_ = step;
        if (!hold_) Finish();
    }
}

void TRowPrinter::Finish() {
    if (openStep_ < 0) return;
    out_ << "]}\n";
    openStep_ = -1;
}

} // namespace veltra::cli
