#include "ui/application.h"
#include "ui/mainform.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

namespace {

// --help and --version answer before any window exists, so they work without a display.
bool AnswerInfoOption(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("veltra %s\n", VELTRA_VERSION);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: veltra [FILE.net ...]\n"
                        "       veltra --help | --version\n\n"
                        "Draws, stores and runs recurrent neural nets whose values are exact\n"
                        "decimals. Each FILE.net named opens in its own window.\n\n"
                        "  --help     print this text and exit\n"
                        "  --version  print the version and exit\n\n"
                        "See veltra(1), veltra-cli(1) and Help > VELTRA Guide (F1).\n");
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (AnswerInfoOption(argc, argv)) return 0;
    QApplication app(argc, argv);
    // Settings go to ~/.config/VELTRA/VELTRA.conf rather than under "Unknown Organization".
    QApplication::setOrganizationName(QStringLiteral("VELTRA"));
    QApplication::setApplicationName(QStringLiteral("VELTRA"));
    QApplication::setApplicationVersion(QStringLiteral(VELTRA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("veltra"));
    QStringList files = QApplication::arguments();
    files.removeFirst();
    auto mainForm = veltra::CreateApplicationWindows(nullptr, files);
    QApplication::setWindowIcon(mainForm->windowIcon());
    mainForm->showMaximized();
    return QApplication::exec();
}
