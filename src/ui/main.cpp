#include "ui/application.h"
#include "ui/mainform.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VELTRA"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("veltra"));
    QStringList files = QApplication::arguments();
    files.removeFirst();
    auto mainForm = veltra::CreateApplicationWindows(nullptr, files);
    QApplication::setWindowIcon(mainForm->windowIcon());
    mainForm->showMaximized();
    return QApplication::exec();
}
