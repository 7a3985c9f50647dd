#include "ui/newfrommachine.h"

#include "machine/machine.h"
#include "machine/machinenet.h"
#include "machine/turing.h"
#include "machine/turingnet.h"
#include "model/dados.h"
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

// Built aside first: a state or symbol name no net file could carry as a label is said and
// opens no window.
template <class Build> bool LabelsFit(TMainForm& form, const QString& fileName, Build build) {
    try {
        TDados trial;
        build(trial);
        return true;
    } catch (const EInvalidLabel& refused) {
        form.Prompter().Message(&form,
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
void Built(TMainForm& form, TMDIChild& child) {
    // It is in no file yet: closing or quitting asks to save it.
    child.SetModified(true);
    child.Ecra().InvalidateAll();
    form.ActiveNetChanged(); // the window was empty when it became active
}

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
    bool ok = false;
    const QString tape = prompter.AskText(
        &form, QStringLiteral("New from Machine"),
        QStringLiteral("Tape over %1, the head on its first cell (empty for a blank tape):")
            .arg(SymbolList(machine.symbols)),
        ok);
    if (!ok) return nullptr;
    std::vector<int> cells;
    if (!machine.TapeCells(tape.toStdString(), cells, error)) {
        prompter.Message(&form, QString::fromStdString(error));
        return nullptr;
    }
    if (!LabelsFit(form, fileName, [&](TDados& net) { BuildTuringNet(machine, cells, net); }))
        return nullptr;
    TMDIChild* child = form.CreateMDIChild(
        QStringLiteral("%1 [%2]").arg(QFileInfo(fileName).completeBaseName(), tape));
    BuildTuringNet(machine, cells, child->Document());
    Built(form, *child);
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
    bool ok = false;
    const QString word = prompter.AskText(&form, QStringLiteral("New from Machine"),
                                          QStringLiteral("Word over %1 (empty for the empty word):")
                                              .arg(SymbolList(machine.alphabet)),
                                          ok);
    if (!ok) return nullptr;
    std::vector<int> symbols;
    if (!machine.WordSymbols(word.toStdString(), symbols, error)) {
        prompter.Message(&form, QString::fromStdString(error));
        return nullptr;
    }
    if (!LabelsFit(form, fileName, [&](TDados& net) { BuildMachineNet(machine, symbols, net); }))
        return nullptr;
    TMDIChild* child = form.CreateMDIChild(
        QStringLiteral("%1 [%2]").arg(QFileInfo(fileName).completeBaseName(), word));
    BuildMachineNet(machine, symbols, child->Document());
    Built(form, *child);
    return child;
}

} // namespace veltra
