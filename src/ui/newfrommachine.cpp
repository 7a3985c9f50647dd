#include "ui/newfrommachine.h"

#include "machine/machine.h"
#include "machine/machinenet.h"
#include "machine/turing.h"
#include "machine/turingnet.h"
#include "model/dados.h"
#include "ui/desktophost.h"
#include "ui/drawingwindow.h"
#include "ui/ecra.h"
#include "ui/prompter.h"

#include <QFile>
#include <QFileInfo>

namespace veltra {

TDrawingWindow* NewFromMachine(TDesktopHost& host) {
    // The dialog offers the last description again, as Open does with nets.
    static QString lastName;
    const QString fileName = host.Prompter().OpenFileName(
        &host.MainWindow(),
        {QStringLiteral("New from Machine"), QStringLiteral("Machine descriptions (*.json *.tm)"),
         QStringLiteral("json"), QString(), lastName});
    if (fileName.isEmpty()) return nullptr;
    lastName = fileName;
    return NewFromMachineFile(host, fileName);
}

namespace {

// Built aside first: a state or symbol name no net file could carry as a label is said and
// opens no window.
template <class Build> bool LabelsFit(TDesktopHost& host, const QString& fileName, Build build) {
    try {
        TDados trial;
        build(trial);
        return true;
    } catch (const EInvalidLabel& refused) {
        host.Prompter().Message(&host.MainWindow(),
                                QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(),
                                                             QString::fromLatin1(refused.what())));
        return false;
    }
}

// "( and )", "a, b and c": each symbol apart, whatever characters they are.
QString SymbolList(const std::vector<std::string>& symbols) {
    QStringList shown;
    for (const std::string& symbol : symbols)
        shown << QString::fromStdString(symbol);
    if (shown.size() < 2) return shown.join(QString());
    const QString last = shown.takeLast();
    return shown.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// The net is built in its window.
void Built(TDesktopHost& host, TDrawingWindow& child) {
    // It is in no file yet: closing or quitting asks to save it.
    child.SetModified(true);
    child.Ecra().InvalidateAll();
    host.ActiveNetChanged(); // the window was empty when it became active
}

// A Turing machine (the notation, or JSON with named states and symbols) and its tape.
TDrawingWindow* NewFromTuringMachine(TDesktopHost& host, const QString& fileName,
                                     const std::string& text) {
    TPrompter& prompter = host.Prompter();
    TTuringMachine machine;
    std::string error;
    if (!machine.Read(text, error)) {
        prompter.Message(&host.MainWindow(),
                         QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(),
                                                      QString::fromStdString(error)));
        return nullptr;
    }
    bool ok = false;
    const QString tape = prompter.AskText(
        &host.MainWindow(), QStringLiteral("New from Machine"),
        QStringLiteral("Tape over %1, the head on its first cell (empty for a blank tape):")
            .arg(SymbolList(machine.symbols)),
        ok);
    if (!ok) return nullptr;
    std::vector<int> cells;
    if (!machine.TapeCells(tape.toStdString(), cells, error)) {
        prompter.Message(&host.MainWindow(), QString::fromStdString(error));
        return nullptr;
    }
    if (!LabelsFit(host, fileName, [&](TDados& net) { BuildTuringNet(machine, cells, net); }))
        return nullptr;
    TDrawingWindow* child = host.NewDrawing(
        QStringLiteral("%1 [%2]").arg(QFileInfo(fileName).completeBaseName(), tape));
    BuildTuringNet(machine, cells, child->Document());
    Built(host, *child);
    return child;
}

} // namespace

TDrawingWindow* NewFromMachineFile(TDesktopHost& host, const QString& fileName) {
    TPrompter& prompter = host.Prompter();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        prompter.Message(
            &host.MainWindow(),
            QStringLiteral("Cannot open \"%1\": %2").arg(fileName, file.errorString()));
        return nullptr;
    }
    const std::string text = file.readAll().toStdString();
    if (IsTuringDescription(text)) return NewFromTuringMachine(host, fileName, text);
    TMachine machine;
    std::string error;
    if (!machine.Read(text, error)) {
        prompter.Message(&host.MainWindow(),
                         QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(),
                                                      QString::fromStdString(error)));
        return nullptr;
    }
    bool ok = false;
    const QString word = prompter.AskText(&host.MainWindow(), QStringLiteral("New from Machine"),
                                          QStringLiteral("Word over %1 (empty for the empty word):")
                                              .arg(SymbolList(machine.alphabet)),
                                          ok);
    if (!ok) return nullptr;
    std::vector<int> symbols;
    if (!machine.WordSymbols(word.toStdString(), symbols, error)) {
        prompter.Message(&host.MainWindow(), QString::fromStdString(error));
        return nullptr;
    }
    if (!LabelsFit(host, fileName, [&](TDados& net) { BuildMachineNet(machine, symbols, net); }))
        return nullptr;
    TDrawingWindow* child = host.NewDrawing(
        QStringLiteral("%1 [%2]").arg(QFileInfo(fileName).completeBaseName(), word));
    BuildMachineNet(machine, symbols, child->Document());
    Built(host, *child);
    return child;
}

} // namespace veltra
