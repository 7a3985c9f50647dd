// Saving that never loses data: the new content goes to a temporary file in the target's folder,
// is flushed to disk, and only then replaces the old file by a rename. A failure at any point
// leaves the old file as it was and removes the temporary file.
#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace veltra {

// Calls write on a stream that collects the new content; when write answers false or anything
// fails, returns false with a message in errorText and the file at path untouched.
bool AtomicSave(const std::string& path, const std::function<bool(std::ostream&)>& write,
                std::string& errorText);

} // namespace veltra
