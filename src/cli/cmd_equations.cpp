// "equations": the Current Dynamic System view of a net as text.
#include "commands.h"
#include "execution/dynamics.h"
#include "loadnet.h"
#include "model/dados.h"

#include <ostream>
#include <sstream>

namespace veltra::cli {

namespace {

constexpr std::string_view kUsage =
    "Usage: veltra-cli equations FILE [--printout]\n\n"
    "Prints the update equation of every neuron of the net FILE that has incoming synapses,\n"
    "one line each, as the dynamics view shows them, for example:\n"
    "  Neuron[N] (+)= SIG( 1 x In[In]   +   -0.5 x B[B] )\n"
    "Terms are grouped by source: neurons (N), inputs (In), outputs (Out), biases (B).\n"
    "Backslash, tab, CR, LF and other control characters in labels are written \\\\, \\t,\n"
    "\\r, \\n and \\xHH.\n\n"
    "  --printout  print the text as it is printed instead: the line DYNAMICS, the file\n"
    "              name, an empty line, then the equations cut into lines of 131 characters\n\n"
    "Status 1 when the file cannot be read or holds an error (message on standard error);\n"
    "2 for wrong arguments.\n";

int RunEquations(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err) {
    std::string_view file;
    bool printout = false;
    for (const std::string_view arg : args) {
        if (arg == "--printout") {
            printout = true;
        } else if ((arg.size() > 1 && arg.front() == '-') || !file.empty()) {
            err << "veltra-cli equations: unexpected argument '" << arg
                << "'\nTry 'veltra-cli equations --help'.\n";
            return ExitUsage;
        } else {
            file = arg;
        }
    }
    if (file.empty()) {
        err << "veltra-cli equations: no FILE given\nTry 'veltra-cli equations --help'.\n";
        return ExitUsage;
    }
    StreamInteraction ui(err);
    TDados document(&ui);
    if (!LoadNet(file, document, ui, err)) return ExitFailure;
    std::vector<std::string> lines = BuildDynamics(document.Elements());
    if (printout) {
        std::stringstream scratch;
        WriteDynamicsScratch(scratch, lines);
        lines = DynamicsPrintout(std::string(file), ReadDynamicsScratch(scratch));
    }
    // Labels are free text from the file: escaped as run's rows escape them.
    for (const std::string& line : lines)
        out << EscapeField(line) << '\n';
    return out ? ExitOk : ExitFailure;
}

const CommandRegistration kEquations{
    {"equations", "print a net's update equations: FILE [--printout]", kUsage, RunEquations}};

} // namespace

} // namespace veltra::cli
