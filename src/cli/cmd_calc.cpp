// "calc": the Options dialog's calculator on the command line.
#include "commands.h"
#include "loadnet.h"
#include "numeric/infinito.h"

#include <array>
#include <ostream>
#include <string>

namespace veltra::cli {

namespace {

constexpr std::string_view kUsage =
    "Usage: veltra-cli calc X OP Y\n\n"
    "Applies one exact decimal operation to X and Y and prints what the calculator of the\n"
    "Options dialog shows in its Result box.\n\n"
    "OP is one of:\n"
    "  sum     X + Y, in canonical text\n"
    "  mult    X * Y, in canonical text\n"
    "  bigger  \"Bigger\" when X > Y, else \"Not bigger\"\n"
    "  equal   \"Equal\" when X = Y, else \"Not Equal\"\n\n"
    "X and Y are decimal texts such as 1.0, .25 or -5 (a leading minus is part of the\n"
    "number, not an option). @FILE reads the operand from FILE (trailing line breaks and\n"
    "blanks are ignored), for operands of any length.\n"
    "An operand that does not read as a number as a whole (\"1.5x\", \"0.2.5\", \"1,5\", \"-\")\n"
    "is an error: its message goes to standard error, no result is printed and the status\n"
    "is 1. An empty operand is 0, and so are \".\" and \"-.\", as in a net file.\n"
    "Status 2: wrong arguments or an unreadable @FILE.\n";

enum class Op { Sum, Mult, Bigger, Equal };

constexpr std::array<std::pair<std::string_view, Op>, 4> kOps{{
    {"sum", Op::Sum},
    {"mult", Op::Mult},
    {"bigger", Op::Bigger},
    {"equal", Op::Equal},
}};

// The operand's text: the argument itself, or the contents of @FILE.
bool OperandText(std::string_view arg, std::string& text, std::ostream& err) {
    if (arg.empty() || arg.front() != '@') {
        text = arg;
        return true;
    }
    if (!ReadWholeFile(arg.substr(1), text)) {
        err << "veltra-cli calc: cannot read '" << EscapeField(arg.substr(1)) << "'\n";
        return false;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '\t')) {
        text.pop_back();
    }
    return true;
}

int RunCalc(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 3) {
        err << "veltra-cli calc: expected X OP Y, got " << args.size() << " argument"
            << (args.size() == 1 ? "" : "s") << "\n"
            << "Try 'veltra-cli calc --help'.\n";
        return ExitUsage;
    }
    const Op* op = nullptr;
    for (const auto& [name, value] : kOps) {
        if (args[1] == name) op = &value;
    }
    if (op == nullptr) {
        err << "veltra-cli calc: unknown operation '" << args[1]
            << "' (expected sum, mult, bigger or equal)\n";
        return ExitUsage;
    }
    std::string xText;
    std::string yText;
    if (!OperandText(args[0], xText, err) || !OperandText(args[2], yText, err)) return ExitUsage;

    TInfinito x;
    TInfinito y;
    try {
        // X first, then Y, as the dialog reads them; the first bad operand is the one reported.
        x = ReadTypedNumber(xText);
        y = ReadTypedNumber(yText);
    } catch (const EInvalidNumber& e) {
        err << EscapeField(e.what()) << '\n';
        return ExitFailure;
    }
    std::string result;
    switch (*op) {
    case Op::Sum:
        result = TInfinito::Add(x, y).ToText();
        break;
    case Op::Mult:
        result = TInfinito::Multiply(x, y).ToText();
        break;
    case Op::Bigger:
        result = TInfinito::GreaterThan(x, y) ? "Bigger" : "Not bigger";
        break;
    case Op::Equal:
        result = TInfinito::EqualTo(x, y) ? "Equal" : "Not Equal";
        break;
    }
    out << result << '\n';
    return out ? ExitOk : ExitFailure;
}

const CommandRegistration kCalc{
    {"calc", "exact decimal arithmetic: X sum|mult|bigger|equal Y", kUsage, RunCalc}};

} // namespace

} // namespace veltra::cli
