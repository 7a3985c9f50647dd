// Input/output sequence files: the plain text of a sequence box, kept apart from the net file.
// Streams in, streams out; the caller owns the file and reports open/create failures with the
// texts below.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace veltra {

// Reads the whole stream as one text; every lone CR, lone LF and CR LF pair becomes one CR LF.
std::string LoadSequence(std::istream& in);

// Writes the text byte for byte, adding nothing. False when the stream fails.
bool SaveSequence(std::ostream& out, std::string_view text);

// Turns every line break (CR, LF or CR LF) into CR LF, the box's own line break.
std::string AdjustLineBreaks(std::string_view text);

// The messages shown by callers whose file cannot be opened for reading or created for writing.
std::string CannotOpenFileText(std::string_view fileName);
std::string CannotCreateFileText(std::string_view fileName);

} // namespace veltra
