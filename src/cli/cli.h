// The command-line tool's entry point as a function: runs `veltra-cli ARGS...` with ARGS (the
// arguments after the program name), writing results to `out` and messages to `err`, and
// returns the exit status. Exceptions from a command become a message and status 1.
#pragma once

#include <iosfwd>
#include <string_view>
#include <vector>

namespace veltra::cli {

int Run(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err);

} // namespace veltra::cli
