// What the net commands of veltra-cli share: opening a net file as the application's Open does,
// answering the model's questions without a user, and escaping fields of tab-separated rows.
#pragma once

#include "model/interaction.h"

#include <iosfwd>
#include <string>
#include <string_view>

namespace veltra {
class TDados;
}

namespace veltra::cli {

// Message boxes become lines on the error stream; a pick among inner elements is cancelled.
class StreamInteraction : public TInteraction {
public:
    explicit StreamInteraction(std::ostream& err) : err_(err) {}
    void ShowMessage(const std::string& text) override;
    TProtoNeuronio* SelectInner(const std::vector<TProtoNeuronio*>&) override { return nullptr; }
    std::string WeightText() override { return {}; }
    int MessageCount() const { return messages_; }

private:
    std::ostream& err_;
    int messages_ = 0;
};

// Reads the file into the document (which uses ui). A file that cannot be opened, a reader
// error or an unresolved synapse is reported on err; the answer is then false.
bool LoadNet(std::string_view path, TDados& document, StreamInteraction& ui, std::ostream& err);

// Backslash, tab, CR and LF written as \\, \t, \r and \n so that a row stays one row; every
// other control (NUL, ESC, DEL, a UTF-8 C1 control, a bidirectional override) and every byte
// that is not part of valid UTF-8 as \xHH per byte, so that nothing read from a file acts on
// the terminal.
std::string EscapeField(std::string_view text);

// The length of the valid UTF-8 sequence at text[i], 0 when the byte starts none (overlong
// forms, surrogates and code points past U+10FFFF are not UTF-8).
std::size_t Utf8Length(std::string_view text, std::size_t i);
// The code point of a valid UTF-8 sequence.
char32_t Utf8CodePoint(std::string_view sequence);
// Characters beyond ASCII that change how a terminal shows what follows: the C1 controls
// (some terminals obey them as they do ESC) and the bidirectional marks, embeddings,
// overrides and isolates (U+202E turns the rest of a line around).
bool IsTerminalFormatting(char32_t code);

} // namespace veltra::cli
