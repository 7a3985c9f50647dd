// Saving that never loses data: the new content goes to a temporary file in the target's folder
// (".NAME.tmp-XXXXXX"), is flushed to disk, and only then replaces the old file by a rename. A
// failure at any point leaves the old file as it was and removes the temporary file. A path
// that is a symbolic link is written through: the link stays, its target is replaced. What is
// not a regular file (a FIFO, a terminal, a device) is never replaced: the content is written
// into it, as into a regular file reached through a descriptor of this process (/dev/stdout
// with standard output sent to a file: at its end). A save makes the process ignore SIGXFSZ
// (when nobody handles it), so that a file-size limit fails the write with a message instead
// of killing the process.
#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace veltra {

// Calls write on a stream that collects the new content; when write answers false or anything
// fails, returns false with a message in errorText ("Cannot write PATH: File too large") and
// the file at path untouched. reason, when given, gets the cause alone ("File too large"),
// errorNumber the errno of a failed system call (0 when none failed).
bool AtomicSave(const std::string& path, const std::function<bool(std::ostream&)>& write,
                std::string& errorText, std::string* reason = nullptr, int* errorNumber = nullptr);

} // namespace veltra
