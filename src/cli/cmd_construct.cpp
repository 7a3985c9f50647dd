// "construct": build the net of a stack machine for one word.
#include "commands.h"
#include "machine/machine.h"
#include "machine/machinenet.h"
#include "model/dados.h"
#include "storage/atomicsave.h"
#include "storage/sequencefile.h"

#include <optional>
#include <ostream>
#include <string>

namespace veltra::cli {

namespace {

constexpr std::string_view kUsage =
    "Usage: veltra-cli construct MACHINE.json --word WORD OUT.net\n\n"
    "Builds, from the description of a deterministic real-time machine with one or two binary\n"
    "stacks, a net of saturated-linear neurons that decides WORD as the machine does, and\n"
    "writes it to OUT.net (safely: a failed save keeps the old file). The net's inputs (one per\n"
    "symbol, one for the end marker) already hold WORD, three steps per symbol; its output\n"
    "Accept records a 1 exactly when the machine accepts WORD, and the net finishes by itself,\n"
    "so 'veltra-cli run OUT.net' decides the word. WORD may be empty ('').\n\n"
    "The description is JSON:\n"
    "  {\"alphabet\": [\"a\", \"b\"], \"states\": [\"q0\", \"acc\"], \"start\": \"q0\",\n"
    "   \"accept\": [\"acc\"], \"stacks\": 1,\n"
    "   \"transitions\": [{\"state\": \"q0\", \"read\": \"a\", \"top\": [\"any\"],\n"
    "                    \"next\": \"q0\", \"do\": [\"push 1\"]}, ...]}\n"
    "Symbols are single characters; read is a symbol or end; top and do hold one entry per\n"
    "stack: top one of empty, 0, 1, any; do one of push 0, push 1, pop, keep (popping an empty\n"
    "stack leaves it empty). At most one transition may apply to a state, symbol and tops;\n"
    "when none applies the word is rejected.\n\n"
    "Status 0 on success; 1 when a file cannot be read or written; 2 for wrong arguments, a\n"
    "description that is wrong (the message names the place) or a word with a character\n"
    "that is not a symbol.\n";

int Usage(std::ostream& err, const std::string& what) {
    err << "veltra-cli construct: " << what << "\nTry 'veltra-cli construct --help'.\n";
    return ExitUsage;
}

int RunConstruct(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err) {
    std::string_view machinePath;
    std::string_view outPath;
    std::optional<std::string_view> word;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--word") {
            if (i + 1 >= args.size()) return Usage(err, "--word needs a word");
            word = args[++i];
        } else if (arg.size() > 1 && arg.front() == '-') {
            return Usage(err, "unknown option '" + std::string(arg) + "'");
        } else if (machinePath.empty()) {
            machinePath = arg;
        } else if (outPath.empty()) {
            outPath = arg;
        } else {
            return Usage(err, "too many files ('" + std::string(arg) + "')");
        }
    }
    if (machinePath.empty()) return Usage(err, "no MACHINE.json given");
    if (!word) return Usage(err, "no --word given");
    if (outPath.empty()) return Usage(err, "no OUT.net given");

    std::string text;
    if (!ReadWholeFile(machinePath, text)) {
        err << CannotOpenFileText(machinePath) << '\n';
        return ExitFailure;
    }
    TMachine machine;
    std::string error;
    if (!machine.Read(text, error)) {
        err << "veltra-cli construct: " << machinePath << ": " << error << '\n';
        return ExitUsage;
    }
    std::vector<int> symbols;
    if (!machine.WordSymbols(*word, symbols, error)) {
        err << "veltra-cli construct: " << error << '\n';
        return ExitUsage;
    }
    TDados document;
    try {
        BuildMachineNet(machine, symbols, document);
    } catch (const EInvalidLabel& refused) {
        // State and symbol names become labels: one no net file can carry is a wrong
        // description, refused here rather than found when the net will not open.
        err << "veltra-cli construct: " << machinePath << ": " << refused.what() << '\n';
        return ExitUsage;
    }
    if (!AtomicSave(
            std::string(outPath), [&](std::ostream& file) { return document.Save(file); }, error)) {
        err << "veltra-cli construct: " << error << '\n';
        return ExitFailure;
    }
    return out ? ExitOk : ExitFailure;
}

const CommandRegistration kConstruct{
    {"construct", "build the net of a stack machine for a word: MACHINE.json --word WORD OUT",
     kUsage, RunConstruct}};

} // namespace

} // namespace veltra::cli
