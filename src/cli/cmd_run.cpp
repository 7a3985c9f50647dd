// "run": load a net, step it or run it until it is finished, print every element's value.
#include "cli/rowformat.h"
#include "commands.h"
#include "execution/cycle.h"
#include "execution/runcontrol.h"
#include "execution/stepbound.h"
#include "execution/stopcondition.h"
#include "loadnet.h"
#include "machine/turingnet.h"
#include "model/dados.h"
#include "model/inputs.h"
#include "model/outputs.h"
#include "storage/atomicsave.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace veltra::cli {

namespace {

constexpr std::string_view kUsage =
    "Usage: veltra-cli run FILE [--steps N] [--max-steps N] [--max-digits N] [--trace] [--log]\n"
    "                      [--save OUT] [--input LABEL=SEQUENCE]... [--until-cycle]\n"
    "                      [--until 'LABEL OP VALUE'] [--format tsv|csv|json] [--machine]\n"
    "                      [--tag TEXT] [--lf] [--no-header]\n\n"
    "Loads the net FILE and steps it. With --steps N it performs exactly N steps, finished or\n"
    "not. Without it, it runs as the Execution Browser's Run does: no step when the net is\n"
    "already finished, otherwise steps until every element is finished (every neuron at 0,\n"
    "every input's sequence consumed). A net that never finishes runs until --max-steps N\n"
    "stops it (without --max-steps it runs until interrupted).\n\n"
    "Output: one tab-separated row per element of the top-level list, in list order:\n"
    "  STEPS  KIND  LABEL  VALUE\n"
    "KIND is neuron, bias, input, output or module; VALUE is the neuron's activity, the\n"
    "bias value, the input's remaining sequence or the output's history of 0, 1 and x.\n"
    "Backslash, tab, CR and LF in labels and values are written \\\\, \\t, \\r and \\n, other\n"
    "control characters (NUL, ESC, DEL, ...) \\xHH.\n"
    "Then a last line: steps=N finished=true|false\n\n"
    "Options:\n"
    "  --steps N      perform exactly N steps\n"
    "  --max-steps N  stop a run after N steps (says so on standard error)\n"
    "  --max-digits N stop before a step whose values could have more than N digits\n"
    "                 (before and after the point together; the bound is worked out from\n"
    "                 the digits of the weights and values the step multiplies): the rows\n"
    "                 show the net as it stands, a message says why, the status is 1\n"
    "  --trace        print the rows after every step instead of once at the end\n"
    "  --log          also print, per output, the exact value recorded in every step:\n"
    "                 STEPS  log  LABEL  V1 V2 ...\n"
    "                 (without --log the recorded values are not kept at all)\n"
    "  --save OUT     write the net after the run to OUT (safely: a failed save keeps\n"
    "                 the old OUT)\n"
    "  --input LABEL=SEQUENCE\n"
    "                 run with SEQUENCE (0s and 1s, possibly empty) as the sequence of the\n"
    "                 top-level input labelled LABEL instead of the one in the file; the\n"
    "                 file is not changed. Repeatable, once per input; the label must name\n"
    "                 exactly one top-level input\n"
    "  --until-cycle  also stop once the net's state (neuron values, inputs' positions,\n"
    "                 module insides; not output histories) repeats exactly: prints\n"
    "                 'cycle start=S period=P' before the last line, S the first step\n"
    "                 whose state recurs and P the smallest period; the rows are the\n"
    "                 state after step S+P. A net that finishes is not a cycle.\n"
    "  --until 'LABEL OP VALUE'\n"
    "                 also stop after the first step in which the first top-level element\n"
    "                 labelled LABEL has a value that compares so with VALUE, exactly\n"
    "                 (OP one of = > < >= <=; an output's value is the one it recorded)\n"
    "  --format F     tsv (the rows above, the default), csv (header step,kind,label,value;\n"
    "                 RFC 4180 quoting; labels and values as they are) or json (one object\n"
    "                 per printed step: {\"step\":N,\"rows\":[{\"kind\":..,\"label\":..,\n"
    "                 \"value\":\"..\"}]}, values always strings). With csv and json the\n"
    "                 'cycle' and 'steps=' lines go to standard error.\n"
    "  --tag TEXT     put TEXT first in every row: a first column (tsv, csv: header\n"
    "                 tag,step,kind,label,value) or a first field \"tag\" (json), so that\n"
    "                 the rows of many runs concatenate into one table; the 'cycle' and\n"
    "                 'steps=' lines then go to standard error in every format\n"
    "  --lf           end csv records in LF alone instead of CRLF (tsv and json lines\n"
    "                 always end in LF: json is JSON Lines, one object per line)\n"
    "  --no-header    leave out the csv header line (to append to a table that has one)\n"
    "  --machine      for a net that 'construct --tm' built: also print, before the last\n"
    "                 line, where the Turing machine stands, read from the net's values:\n"
    "                 machine: steps=S halted=yes|no state=Q nonblank=N head=H tape=CELLS\n"
    "                 S machine steps, N non-blank cells, CELLS the tape from its leftmost\n"
    "                 to its rightmost non-blank cell and H the head's offset in it\n"
    "                 (negative or past the end when the head is outside; 0 on a blank\n"
    "                 tape). A halted machine's net finishes two steps after it halted,\n"
    "                 its values all 0: the line is the one read where it halted. Midway\n"
    "                 through a machine step it shows where that step leads\n"
    "--max-steps bounds every mode; --steps excludes --until and --until-cycle.\n\n"
    "Status 0 on success; 1 when the file cannot be read, holds an error (the reader's\n"
    "message is printed on standard error), a step fails (a value too long for the number\n"
    "type, memory running out: the message says which), --max-digits stops the run, or the\n"
    "save fails; 2 for wrong arguments.\n";

struct Options {
    std::string_view file;
    std::optional<long long> steps;
    std::optional<long long> maxSteps;
    std::optional<long long> maxDigits;
    bool trace = false;
    bool log = false;
    std::optional<std::string_view> save;
    // --input LABEL=SEQUENCE, in the order given.
    std::vector<std::pair<std::string_view, std::string_view>> inputs;
    bool untilCycle = false;
    std::optional<std::string_view> until;
    TRowFormat format = TRowFormat::Tsv;
    TRowStyle style;
    bool machine = false;
};

bool ReadCount(std::string_view text, long long& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

int Usage(std::ostream& err, const std::string& what) {
    err << "veltra-cli run: " << what << "\nTry 'veltra-cli run --help'.\n";
    return ExitUsage;
}

int ParseOptions(const std::vector<std::string_view>& args, Options& o, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        auto value = [&](std::string_view& v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        std::string_view v;
        if (arg == "--steps" || arg == "--max-steps" || arg == "--max-digits") {
            long long n = 0;
            const bool digits = arg == "--max-digits";
            if (!value(v)) return Usage(err, std::string(arg) + " needs a number");
            if (!ReadCount(v, n))
                return Usage(err, std::string(arg) + ": '" + EscapeField(v) +
                                      (digits ? "' is not a whole number of digits"
                                              : "' is not a whole number of steps"));
            (digits ? o.maxDigits : arg == "--steps" ? o.steps : o.maxSteps) = n;
        } else if (arg == "--trace") {
            o.trace = true;
        } else if (arg == "--log") {
            o.log = true;
        } else if (arg == "--until-cycle") {
            o.untilCycle = true;
        } else if (arg == "--machine") {
            o.machine = true;
        } else if (arg == "--until") {
            if (!value(v)) return Usage(err, "--until needs 'LABEL OP VALUE'");
            o.until = v;
        } else if (arg == "--format") {
            if (!value(v) || !ParseRowFormat(v, o.format))
                return Usage(err, "--format takes tsv, csv or json");
        } else if (arg == "--tag") {
            if (!value(v)) return Usage(err, "--tag needs a text");
            o.style.tag = std::string(v);
        } else if (arg == "--lf") {
            o.style.lf = true;
        } else if (arg == "--no-header") {
            o.style.header = false;
        } else if (arg == "--save") {
            if (!value(v) || v.empty()) return Usage(err, "--save needs a file name");
            o.save = v;
        } else if (arg == "--input") {
            if (!value(v)) return Usage(err, "--input needs LABEL=SEQUENCE");
            // A sequence never holds '=', so the last one splits: a label may contain '='.
            const std::size_t split = v.rfind('=');
            if (split == std::string_view::npos)
                return Usage(err, "--input: '" + EscapeField(v) + "' is not LABEL=SEQUENCE");
            const std::string_view sequence = v.substr(split + 1);
            if (const std::size_t bad = sequence.find_first_not_of("01");
                bad != std::string_view::npos)
                return Usage(err, "--input " + EscapeField(v.substr(0, split)) +
                                      ": the sequence holds '" +
                                      EscapeField(sequence.substr(bad, 1)) + "' at position " +
                                      std::to_string(bad + 1) + "; only 0 and 1 are symbols");
            const std::string_view label = v.substr(0, split);
            for (const auto& given : o.inputs)
                if (given.first == label)
                    return Usage(err, "--input " + EscapeField(label) +
                                          " is given twice; give each input one sequence");
            o.inputs.emplace_back(label, sequence);
        } else if (arg.size() > 1 && arg.front() == '-') {
            return Usage(err, "unknown option '" + EscapeField(arg) + "'");
        } else if (o.file.empty()) {
            o.file = arg;
        } else {
            return Usage(err, "more than one FILE ('" + EscapeField(o.file) + "', '" +
                                  EscapeField(arg) + "')");
        }
    }
    if (o.file.empty()) return Usage(err, "no FILE given");
    if (o.steps && o.maxSteps) return Usage(err, "--steps and --max-steps exclude each other");
    if (o.steps && (o.untilCycle || o.until))
        return Usage(err, "--steps excludes --until and --until-cycle");
    return ExitOk;
}

// Gives each input named by --input its sequence. A label that names no top-level input, or
// more than one, is a wrong argument: the run would not be the one asked for.
int ApplyInputs(const Options& o, TDados& document, std::ostream& err) {
    for (const auto& [label, sequence] : o.inputs) {
        std::vector<TInputs*> named;
        for (const auto& element : document.Elements())
            if (element->Kind() == TElementKind::Input && element->Label() == label)
                named.push_back(static_cast<TInputs*>(element.get()));
        if (named.size() != 1)
            return Usage(err, "--input: " +
                                  (named.empty() ? std::string("no top-level input")
                                                 : std::to_string(named.size()) + " inputs") +
                                  " labelled '" + EscapeField(label) + "' in " +
                                  EscapeField(o.file));
        named.front()->SetSequence(std::string(sequence));
    }
    return ExitOk;
}

// Finds the condition's element: the first top-level element with the label.
TProtoNeuronio* FindLabel(TDados& document, const std::string& label) {
    for (const auto& element : document.Elements())
        if (element->Label() == label) return element.get();
    return nullptr;
}

int RunRun(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err) {
    Options o;
    if (const int status = ParseOptions(args, o, err); status != ExitOk) return status;

    // A condition that cannot be read is a wrong argument, found before the file is.
    std::string untilLabel;
    TCompareOp untilOp = TCompareOp::Equal;
    TInfinito untilValue;
    if (o.until) {
        std::string error;
        if (!ParseValueCondition(*o.until, untilLabel, untilOp, untilValue, error))
            return Usage(err, "--until '" + EscapeField(*o.until) + "': " + EscapeField(error));
    }

    StreamInteraction ui(err);
    TDados document(&ui);
    if (!LoadNet(o.file, document, ui, err)) return ExitFailure;
    if (const int status = ApplyInputs(o, document, err); status != ExitOk) return status;

    TStopConditions conditions;
    if (o.until) {
        TProtoNeuronio* element = FindLabel(document, untilLabel);
        if (element == nullptr)
            return Usage(err, "--until: no element labelled '" + EscapeField(untilLabel) + "'");
        conditions.Items().push_back(TStopCondition::OnValue(element, untilOp, untilValue));
    }
    if (o.untilCycle) conditions.Items().push_back(TStopCondition::OnStateRepeat());

    // The machine's line is read where it halts (the values fall to 0 two steps later).
    TTuringWatch watch;
    if (o.machine) {
        std::string error;
        if (!watch.Attach(document.Elements(), error))
            return Usage(err, "--machine: " + EscapeField(o.file) + " is " + error);
        watch.Observe();
    }

    // Only --log reads what the outputs record; without it no digits are kept per step.
    KeepValueLogs(document.Elements(), o.log);
    TRowPrinter printer(out, o.format, o.style);
    printer.HoldLastStep(o.trace && o.log); // the logs join the last traced step's object
    TRunControl control(ui, [&document] { return &document; });
    if (o.trace)
        control.SetRefreshHook([&] { printer.Print(document, control.StepCount(), true, false); });

    // Before each step: would its values grow past --max-digits?
    std::int64_t runaway = 0;
    auto tooLong = [&] {
        if (!o.maxDigits) return false;
        runaway = NextStepDigitBound(document.Elements());
        return runaway > *o.maxDigits;
    };
    bool cutShort = false;
    bool digitStop = false;
    long long steps = 0;
    long long cycleStart = -1, cyclePeriod = -1;
    if (o.steps) {
        for (long long i = 0; i < *o.steps && !(digitStop = tooLong()); ++i) {
            control.Step();
            watch.Observe();
        }
        steps = control.StepCount();
    } else if (conditions.Empty()) {
        // The Execution Browser's Run: no step for a finished net, else until finished.
        while (!document.AllFinished()) {
            if (o.maxSteps && control.StepCount() >= *o.maxSteps) {
                cutShort = true;
                break;
            }
            if ((digitStop = tooLong())) break;
            control.Step();
            watch.Observe();
        }
        steps = control.StepCount();
    } else {
        // As Run, ending also at the first step that meets a condition. The search for a cycle
        // steps past the repeat and back again, so rows are traced on a replay afterwards.
        conditions.Arm(document.Elements());
        const bool traceNow = o.trace && !o.untilCycle;
        while (!document.AllFinished()) {
            if (o.maxSteps && steps >= *o.maxSteps) {
                cutShort = true;
                break;
            }
            if ((digitStop = tooLong())) break;
            document.Step();
            ++steps;
            watch.Observe();
            if (traceNow) printer.Print(document, steps, true, false);
            if (document.AllFinished()) break; // a net that finishes is no cycle
            if (conditions.Check(document.Elements()) < 0) continue;
            if (conditions.Cycle().Found()) {
                cyclePeriod = conditions.Cycle().Period();
                cycleStart =
                    FindCycleStart(document.Elements(), conditions.StartState(),
                                   conditions.StartInputs(), cyclePeriod, [&] { document.Step(); });
                steps = cycleStart + cyclePeriod;
            }
            break;
        }
        if (o.untilCycle && (cycleStart >= 0 || o.trace)) {
            // Back to the start (output histories and logs too) and forward to the step shown.
            RestoreState(document.Elements(), conditions.StartState(), conditions.StartInputs());
            watch.Forget();
            watch.Observe();
            for (long long i = 1; i <= steps; ++i) {
                document.Step();
                watch.Observe();
                if (o.trace) printer.Print(document, i, true, false);
            }
        }
    }
    if (!o.trace || o.log) printer.Print(document, steps, !o.trace, o.log);
    printer.Finish();
    std::ostream& tail = printer.DataOnly() ? err : out;
    if (cycleStart >= 0) tail << "cycle start=" << cycleStart << " period=" << cyclePeriod << '\n';
    bool machineRead = true;
    if (o.machine) {
        TTuringView view;
        std::string error;
        if ((machineRead = watch.Current(view, error)))
            tail << view.Line() << '\n';
        else
            err << "veltra-cli run: --machine: " << EscapeField(error) << '\n';
    }
    const bool finished = document.AllFinished();
    tail << "steps=" << steps << " finished=" << (finished ? "true" : "false") << '\n';
    out.flush();
    if (cutShort)
        err << "veltra-cli run: stopped after " << steps
            << " steps (--max-steps); the net is not finished\n";
    if (digitStop)
        err << "veltra-cli run: stopped after " << steps << " steps: the values of step "
            << steps + 1 << " could have " << runaway << " digits, more than --max-digits "
            << *o.maxDigits << '\n';

    if (o.save) {
        std::string error;
        if (!AtomicSave(
                std::string(*o.save), [&](std::ostream& file) { return document.Save(file); },
                error)) {
            err << "veltra-cli run: " << error << '\n';
            return ExitFailure;
        }
    }
    return out && !digitStop && machineRead ? ExitOk : ExitFailure;
}

const CommandRegistration kRun{
    {"run", "step or run a net and print its values: FILE [--steps N] [--max-steps N] ...", kUsage,
     RunRun, "--steps --max-steps --max-digits --until --format --save --input --tag"}};

} // namespace

} // namespace veltra::cli
