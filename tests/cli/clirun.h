// Running veltra-cli in process, for the tests of its commands.
#pragma once

#include "cli/cli.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace veltra::testing {

struct TCliResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline TCliResult RunCli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string_view> views(args.begin(), args.end());
    TCliResult r;
    r.status = cli::Run(views, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace veltra::testing
