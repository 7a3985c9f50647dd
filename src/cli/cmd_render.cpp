// "render": a net's picture as PNG, SVG or PDF without a display. The drawing code is
// Qt's; it lives in the helper program veltra-render, which this command starts, so that
// the tool's other commands never load Qt.
#include "commands.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace veltra::cli {

namespace {

constexpr std::string_view kUsage =
    "Usage: veltra-cli render FILE OUT [--scale PERCENT] [--labels] [--values] [--weights]\n\n"
    "Draws the net FILE as a drawing window shows it and writes the picture to OUT as PNG,\n"
    "SVG or PDF, by OUT's suffix (.png, .svg, .pdf). Needs no display.\n\n"
    "  --scale PERCENT  size of the picture, 10 to 800 (default 100)\n"
    "  --labels         write each element's label beside its glyph\n"
    "  --values         write each element's value beside its glyph (long values shortened)\n"
    "  --weights        write each synapse's weight on its line\n\n"
    "In SVG and PDF the texts stay text. Status 1 when the net cannot be read or the picture\n"
    "cannot be written (message on standard error); 2 for wrong arguments.\n";

bool Executable(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), X_OK) == 0;
}

// VELTRA_RENDER_HELPER names it outright (tests); otherwise it sits beside this program
// (the build tree) or in the package's private folder (/usr/lib/veltra).
std::string FindHelper() {
    if (const char* named = std::getenv("VELTRA_RENDER_HELPER")) return named;
    std::array<char, 4096> self{};
    const ssize_t n = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (n <= 0) return {};
    std::string dir(self.data(), std::size_t(n));
    dir.erase(dir.find_last_of('/') + 1);
    for (const std::string& candidate :
         {dir + "veltra-render", dir + "../lib/veltra/veltra-render"})
        if (Executable(candidate)) return candidate;
    return {};
}

// Runs the helper with the arguments; its output and messages go to out and err.
int RunRender(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err) {
    const std::string helper = FindHelper();
    if (!Executable(helper)) {
        err << "veltra-cli render: the drawing program veltra-render is not installed\n";
        return ExitFailure;
    }
    std::vector<std::string> words{helper};
    for (std::string_view a : args)
        words.emplace_back(a);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    int outPipe[2];
    int errPipe[2];
    if (::pipe(outPipe) != 0) return ExitFailure;
    if (::pipe(errPipe) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return ExitFailure;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (spawned != 0) {
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        err << "veltra-cli render: cannot start " << helper << ": " << std::strerror(spawned)
            << '\n';
        return ExitFailure;
    }
    std::array<pollfd, 2> fds{pollfd{outPipe[0], POLLIN, 0}, pollfd{errPipe[0], POLLIN, 0}};
    std::array<std::ostream*, 2> sinks{&out, &err};
    int open = 2;
    std::array<char, 4096> buffer{};
    while (open > 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t got = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (got > 0) {
                sinks[i]->write(buffer.data(), got);
            } else if (got == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    err << "veltra-cli render: " << helper << " stopped by signal " << WTERMSIG(status) << '\n';
    return ExitFailure;
}

const CommandRegistration kRender{
    {"render", "draw a net as a PNG, SVG or PDF picture: FILE OUT", kUsage, RunRender, "--scale"}};

} // namespace

} // namespace veltra::cli
