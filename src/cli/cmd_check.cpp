// "check": read and finish a net file and say whether it is sound.
#include "commands.h"
#include "loadnet.h"
#include "model/dados.h"

#include <ostream>

namespace veltra::cli {

namespace {

constexpr std::string_view kUsage =
    "Usage: veltra-cli check FILE\n\n"
    "Reads the net FILE as the application's Open does and resolves its synapses. Prints\n"
    "\"ok\" and exits with status 0 when both succeed; otherwise prints the reader's\n"
    "message (for instance \"Formato incorrecto - TSinapse - Valor\") or \"FinishLoad -\n"
    "neuronio nao encontrado\" on standard error and exits with status 1.\n"
    "Status 2: wrong arguments.\n";

int RunCheck(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || (args[0].size() > 1 && args[0].front() == '-')) {
        err << "veltra-cli check: expected one FILE\nTry 'veltra-cli check --help'.\n";
        return ExitUsage;
    }
    StreamInteraction ui(err);
    TDados document(&ui);
    if (!LoadNet(args[0], document, ui, err)) return ExitFailure;
    out << "ok\n";
    return out ? ExitOk : ExitFailure;
}

const CommandRegistration kCheck{
    {"check", "read and finish a net file: says ok or the error", kUsage, RunCheck}};

} // namespace

} // namespace veltra::cli
