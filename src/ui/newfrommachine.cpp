#include "ui/newfrommachine.h"

#include "machine/machine.h"
#include "machine/machinenet.h"
#include "machine/turing.h"
#include "machine/turingnet.h"
#include "ui/ecra.h"
#include "ui/mainform.h"
#include "ui/mdichild.h"

#include <QFile>
#include <QFileInfo>

namespace veltra {

TMDIChild* NewFromMachine(TMainForm& form) {
    // The dialog offers the last description again, as Open does with nets.
    static QString lastName;
    const QString fileName =
        form.Prompter().OpenFileName(&form, {QStringLiteral("New from Machine"),
                                             QStringLiteral("Machine descriptions (*.json *.tm)"),
                                             QStringLiteral("json"), QString(), lastName});
    if (fileName.isEmpty()) return nullptr;
    lastName = fileName;
    return NewFromMachineFile(form, fileName);
}

namespace {

// A Turing machine (the notation, or JSON with named states and symbols) and its tape.
TMDIChild* NewFromTuringMachine(TMainForm& form, const QString& fileName, const std::string& text) {
    TPrompter& prompter = form.Prompter();
    TTuringMachine machine;
    std::string error;
    if (!machine.Read(text, error)) {
        prompter.Message(&form, QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(),
                                                             QString::fromStdString(error)));
        return nullptr;
    }
    QString symbols;
    for (const std::string& symbol : machine.symbols)
        symbols += QString::fromStdString(symbol);
    bool ok = false;
    const QString tape = prompter.AskText(
        &form, QStringLiteral("New from Machine"),
        QStringLiteral("Tape over %1, the head on its first cell (empty for a blank tape):")
            .arg(symbols),
        ok);
    if (!ok) return nullptr;
    std::vector<int> cells;
    if (!machine.TapeCells(tape.toStdString(), cells, error)) {
        prompter.Message(&form, QString::fromStdString(error));
        return nullptr;
    }
    TMDIChild* child = form.CreateMDIChild(
        QStringLiteral("%1 [%2]").arg(QFileInfo(fileName).completeBaseName(), tape));
    BuildTuringNet(machine, cells, child->Document());
    child->Ecra().InvalidateAll();
    return child;
}

} // namespace

TMDIChild* NewFromMachineFile(TMainForm& form, const QString& fileName) {
    TPrompter& prompter = form.Prompter();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        prompter.Message(
            &form, QStringLiteral("Cannot open \"%1\": %2").arg(fileName, file.errorString()));
        return nullptr;
    }
    const std::string text = file.readAll().toStdString();
    if (IsTuringDescription(text)) return NewFromTuringMachine(form, fileName, text);
    TMachine machine;
    std::string error;
    if (!machine.Read(text, error)) {
        prompter.Message(&form, QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(),
                                                             QString::fromStdString(error)));
        return nullptr;
    }
    QString alphabet;
    for (const std::string& symbol : machine.alphabet)
        alphabet += QString::fromStdString(symbol);
    bool ok = false;
    const QString word = prompter.AskText(
        &form, QStringLiteral("New from Machine"),
        QStringLiteral("Word over %1 (empty for the empty word):").arg(alphabet), ok);
    if (!ok) return nullptr;
    std::vector<int> symbols;
    if (!machine.WordSymbols(word.toStdString(), symbols, error)) {
        prompter.Message(&form, QString::fromStdString(error));
        return nullptr;
    }
    TMDIChild* child = form.CreateMDIChild(
        QStringLiteral("%1 [%2]").arg(QFileInfo(fileName).completeBaseName(), word));
    BuildMachineNet(machine, symbols, child->Document());
    child->Ecra().InvalidateAll();
    return child;
}

} // namespace veltra
