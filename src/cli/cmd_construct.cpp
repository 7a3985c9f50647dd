// "construct": build the net of a stack machine for one word, or of a Turing machine.
#include "commands.h"
#include "loadnet.h"
#include "machine/machine.h"
#include "machine/machinenet.h"
#include "machine/turing.h"
#include "machine/turingnet.h"
#include "model/dados.h"
#include "storage/atomicsave.h"
#include "storage/sequencefile.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace veltra::cli {

namespace {

constexpr std::string_view kUsage =
    "Usage: veltra-cli construct MACHINE.json --word WORD OUT.net\n"
    "       veltra-cli construct --tm SPEC [--tape WORD] OUT.net\n\n"
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
    "With --tm it builds instead a net that runs a Turing machine by itself, with no input:\n"
    "two net steps per machine step, the tape exact in the neurons 'left' and 'right', and\n"
    "the run finishing when the machine halts, in whose step the output Halt records 1.\n"
    "'veltra-cli run OUT.net --machine' prints where the machine stands. SPEC is the machine\n"
    "in the compact notation or the name of a file holding it in the notation or as JSON:\n"
    "  1RB1LB_1LA1RZ   per state (A, B, ...; '_' between them) and per scanned symbol (0, 1,\n"
    "                  ...; 0 the blank) the symbol written, the move L or R and the next\n"
    "                  state; Z halts after the step, and so does H in a machine of fewer\n"
    "                  than 8 states; --- halts without a step\n"
    "  {\"symbols\": [\"_\", \"1\"], \"states\": [\"A\", \"B\"], \"start\": \"A\", \"halt\": "
    "[\"H\"],\n"
    "   \"transitions\": [{\"state\": \"A\", \"read\": \"_\", \"write\": \"1\", \"move\": \"R\",\n"
    "                    \"next\": \"B\"}, ...]}\n"
    "                  the first symbol is the blank; start and halt may be left out; a pair\n"
    "                  of state and symbol without a transition halts, as --- does\n"
    "--tape WORD is the initial tape, one symbol per character, the head on its first cell;\n"
    "without it the tape is blank.\n\n"
    "A WORD of the form @FILE (for --word and --tape) is the contents of FILE, less its\n"
    "final line break: for words too long for a command line.\n\n"
    "Status 0 on success; 1 when a file cannot be read or written; 2 for wrong arguments, a\n"
    "description that is wrong (the message names the place) or a word with a character\n"
    "that is not a symbol.\n";

// Text from the command line or from a description, as a message quotes it: escaped so that
// nothing in it acts on the terminal, and shortened in the middle when it is long (a state
// name of 50 MB is not echoed whole).
std::string Said(std::string_view text) {
    constexpr std::size_t Head = 160;
    constexpr std::size_t Tail = 40;
    if (text.size() <= Head + Tail + 40) return EscapeField(text);
    return EscapeField(text.substr(0, Head)) + " ... (" + std::to_string(text.size()) +
           " bytes) ... " + EscapeField(text.substr(text.size() - Tail));
}

// A file that cannot be read, and why.
std::string Unreadable(std::string_view path, const std::string& reason) {
    return Said(CannotOpenFileText(path)) + (reason.empty() ? "" : ": " + reason);
}

int Usage(std::ostream& err, const std::string& what) {
    err << "veltra-cli construct: " << Said(what) << "\nTry 'veltra-cli construct --help'.\n";
    return ExitUsage;
}

// A word as given, or the contents of @FILE without its final line break.
bool WordText(std::string_view arg, std::string& word, std::ostream& err) {
    if (arg.empty() || arg.front() != '@') {
        word = arg;
        return true;
    }
    if (std::string reason; !ReadWholeFile(arg.substr(1), word, &reason)) {
        err << "veltra-cli construct: " << Unreadable(arg.substr(1), reason) << '\n';
        return false;
    }
    if (!word.empty() && word.back() == '\n') word.pop_back();
    if (!word.empty() && word.back() == '\r') word.pop_back();
    return true;
}

int Save(TDados& document, std::string_view outPath, std::ostream& out, std::ostream& err) {
    std::string error;
    if (!AtomicSave(
            std::string(outPath), [&](std::ostream& file) { return document.Save(file); }, error)) {
        err << "veltra-cli construct: " << Said(error) << '\n';
        return ExitFailure;
    }
    return out ? ExitOk : ExitFailure;
}

// State and symbol names become labels: one no net file can carry is a wrong description,
// refused here (naming where it came from) rather than found when the net will not open.
template <class Build>
int BuildAndSave(Build build, std::string_view place, std::string_view outPath, std::ostream& out,
                 std::ostream& err) {
    TDados document;
    try {
        build(document);
    } catch (const EInvalidLabel& refused) {
        err << "veltra-cli construct: " << Said(place) << ": " << refused.what() << '\n';
        return ExitUsage;
    }
    return Save(document, outPath, out, err);
}

// --tm SPEC: the notation itself, or a file holding the notation or JSON.
int ConstructTuring(std::string_view spec, std::string_view tapeArg, std::string_view outPath,
                    std::ostream& out, std::ostream& err) {
    std::string text(spec);
    std::string_view place = "--tm";
    if (std::error_code ec; std::filesystem::is_regular_file(std::string(spec), ec)) {
        if (std::string reason; !ReadWholeFile(spec, text, &reason)) {
            err << "veltra-cli construct: " << Unreadable(spec, reason) << '\n';
            return ExitFailure;
        }
        place = spec;
    }
    TTuringMachine machine;
    std::string error;
    if (!machine.Read(text, error)) {
        err << "veltra-cli construct: " << Said(place) << ": " << Said(error) << '\n';
        if (place == "--tm" && spec.find_first_of("./{") != std::string_view::npos)
            err << "veltra-cli construct: (no file is called '" << Said(spec) << "')\n";
        return ExitUsage;
    }
    std::string tapeText;
    std::vector<int> tape;
    if (!WordText(tapeArg, tapeText, err)) return ExitFailure;
    if (!machine.TapeCells(tapeText, tape, error)) {
        err << "veltra-cli construct: " << Said(error) << '\n';
        return ExitUsage;
    }
    return BuildAndSave([&](TDados& document) { BuildTuringNet(machine, tape, document); }, place,
                        outPath, out, err);
}

int RunConstruct(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string_view> files;
    std::optional<std::string_view> word, spec, tape;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--word" || arg == "--tm" || arg == "--tape") {
            if (i + 1 >= args.size())
                return Usage(err, std::string(arg) +
                                      (arg == "--tm" ? " needs a machine" : " needs a word"));
            auto& given = arg == "--word" ? word : arg == "--tm" ? spec : tape;
            if (given) return Usage(err, std::string(arg) + " is given twice");
            given = args[++i];
        } else if (arg.size() > 1 && arg.front() == '-') {
            return Usage(err, "unknown option '" + std::string(arg) + "'");
        } else if (files.size() < 2) {
            files.push_back(arg);
        } else {
            return Usage(err, "too many files ('" + std::string(arg) + "')");
        }
    }
    if (spec) {
        if (files.size() > 1)
            return Usage(err, "--tm names the machine, so '" + std::string(files.front()) +
                                  "' is one file too many");
        if (word) return Usage(err, "--word is for stack machines; a Turing machine's is --tape");
        if (files.empty()) return Usage(err, "no OUT.net given");
        return ConstructTuring(*spec, tape.value_or(std::string_view()), files.front(), out, err);
    }
    if (tape) return Usage(err, "--tape is for Turing machines (--tm)");
    if (files.empty()) return Usage(err, "no MACHINE.json given");
    if (!word) return Usage(err, "no --word given");
    if (files.size() < 2) return Usage(err, "no OUT.net given");
    const std::string_view machinePath = files[0];
    const std::string_view outPath = files[1];

    std::string text;
    if (std::string reason; !ReadWholeFile(machinePath, text, &reason)) {
        err << Unreadable(machinePath, reason) << '\n';
        return ExitFailure;
    }
    TMachine machine;
    std::string error;
    if (!machine.Read(text, error)) {
        err << "veltra-cli construct: " << Said(machinePath) << ": " << Said(error) << '\n';
        return ExitUsage;
    }
    std::string wordText;
    if (!WordText(*word, wordText, err)) return ExitFailure;
    std::vector<int> symbols;
    if (!machine.WordSymbols(wordText, symbols, error)) {
        err << "veltra-cli construct: " << Said(error) << '\n';
        return ExitUsage;
    }
    return BuildAndSave([&](TDados& document) { BuildMachineNet(machine, symbols, document); },
                        machinePath, outPath, out, err);
}

const CommandRegistration kConstruct{
    {"construct",
     "build the net of a machine: MACHINE.json --word WORD OUT, or --tm SPEC [--tape WORD] OUT",
     kUsage, RunConstruct, "--word --tm --tape"}};

} // namespace

} // namespace veltra::cli
