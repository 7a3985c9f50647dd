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

// What differs between the two kinds of machine: the question for the input, how the answer
// becomes the builder's cells, and the builder.
struct TStackMachineKind {
    using Machine = TMachine;
    static QString Question(const TMachine& machine) {
        return QStringLiteral("Word over %1 (empty for the empty word):")
            .arg(SymbolList(machine.alphabet));
    }
    static bool Cells(const TMachine& machine, const std::string& word, std::vector<int>& cells,
                      std::string& error) {
        return machine.WordSymbols(word, cells, error);
    }
    static void Build(const TMachine& machine, const std::vector<int>& cells, TDados& net) {
        BuildMachineNet(machine, cells, net);
    }
};

// A Turing machine (the notation, or JSON with named states and symbols) and its tape.
struct TTuringMachineKind {
    using Machine = TTuringMachine;
    static QString Question(const TTuringMachine& machine) {
        return QStringLiteral("Tape over %1, the head on its first cell (empty for a blank tape):")
            .arg(SymbolList(machine.symbols));
    }
    static bool Cells(const TTuringMachine& machine, const std::string& tape,
                      std::vector<int>& cells, std::string& error) {
        return machine.TapeCells(tape, cells, error);
    }
    static void Build(const TTuringMachine& machine, const std::vector<int>& cells, TDados& net) {
        BuildTuringNet(machine, cells, net);
    }
};

// Reads the description, asks for the machine's input and builds the net in a new window,
// which is in no file yet; at the first thing wrong it says what and opens no window.
template <class Kind>
TDrawingWindow* NewFromDescription(TDesktopHost& host, const QString& fileName,
                                   const std::string& text) {
    TPrompter& prompter = host.Prompter();
    typename Kind::Machine machine;
    std::string error;
    if (!machine.Read(text, error)) {
        prompter.Message(&host.MainWindow(),
                         QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(),
                                                      QString::fromStdString(error)));
        return nullptr;
    }
    bool ok = false;
    const QString input = prompter.AskText(&host.MainWindow(), QStringLiteral("New from Machine"),
                                           Kind::Question(machine), ok);
    if (!ok) return nullptr;
    std::vector<int> cells;
    if (!Kind::Cells(machine, input.toStdString(), cells, error)) {
        prompter.Message(&host.MainWindow(), QString::fromStdString(error));
        return nullptr;
    }
    if (!LabelsFit(host, fileName, [&](TDados& net) { Kind::Build(machine, cells, net); }))
        return nullptr;
    TDrawingWindow* child = host.NewDrawing(
        QStringLiteral("%1 [%2]").arg(QFileInfo(fileName).completeBaseName(), input));
    Kind::Build(machine, cells, child->Document());
    // It is in no file yet: closing or quitting asks to save it.
    child->SetModified(true);
    child->Ecra().InvalidateAll();
    host.ActiveNetChanged(); // the window was empty when it became active
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
    if (IsTuringDescription(text))
        return NewFromDescription<TTuringMachineKind>(host, fileName, text);
    return NewFromDescription<TStackMachineKind>(host, fileName, text);
}

} // namespace veltra
