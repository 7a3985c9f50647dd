// veltra-render: the drawing half of "veltra-cli render", a program of its own so that
// only it loads Qt (the command-line tool itself stays on the core and starts in a few
// megabytes). Takes the command's arguments; starts Qt's offscreen platform itself.
#include "loadnet.h"
#include "model/dados.h"
#include "ui/netrender.h"

#include <QGuiApplication>
#include <charconv>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace veltra::cli {

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

int Usage(std::ostream& err, const std::string& what) {
    err << "veltra-cli render: " << what << "\nTry 'veltra-cli render --help'.\n";
    return ExitUsage;
}

int RunRender(const std::vector<std::string_view>& args, std::ostream& err) {
    std::vector<std::string_view> files;
    TRenderOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--labels") {
            options.texts.labels = true;
        } else if (arg == "--values") {
            options.texts.values = true;
        } else if (arg == "--weights") {
            options.texts.weights = true;
        } else if (arg == "--scale") {
            if (i + 1 >= args.size()) return Usage(err, "--scale needs a PERCENT");
            const std::string_view text = args[++i];
            int percent = 0;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), percent);
            if (ec != std::errc() || end != text.data() + text.size() || percent < 10 ||
                percent > 800)
                return Usage(err, "--scale takes a whole PERCENT from 10 to 800, not '" +
                                      std::string(text) + "'");
            options.scale = percent / 100.0;
        } else if (arg.size() > 1 && arg.front() == '-') {
            return Usage(err, "unexpected argument '" + std::string(arg) + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) return Usage(err, "expected FILE and OUT");
    StreamInteraction ui(err);
    TDados document(&ui);
    if (!LoadNet(files[0], document, ui, err)) return ExitFailure;
    // The drawing needs a GUI application; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes (a missing runtime folder, font fallbacks) are no business of a script
    // reading this command's messages.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << text.toStdString() << '\n';
    });
    int argc = 1;
    char name[] = "veltra-render";
    char* argv[] = {name, nullptr};
    const QGuiApplication app(argc, argv);
    const std::string error =
        ExportNetImage(document.Elements(),
                       QString::fromUtf8(files[1].data(), qsizetype(files[1].size())), options);
    if (!error.empty()) {
        err << "veltra-cli render: " << error << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace

} // namespace veltra::cli

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return veltra::cli::RunRender(args, std::cerr);
}
