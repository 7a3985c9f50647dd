#include "ui/newfrommachine.h"

#include "machine/machine.h"
#include "machine/machinenet.h"
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
    const QString fileName = form.Prompter().OpenFileName(
        &form, {QStringLiteral("New from Machine"), QStringLiteral("Machine descriptions (*.json)"),
                QStringLiteral("json"), QString(), lastName});
    if (fileName.isEmpty()) return nullptr;
    lastName = fileName;
    return NewFromMachineFile(form, fileName);
}

TMDIChild* NewFromMachineFile(TMainForm& form, const QString& fileName) {
    TPrompter& prompter = form.Prompter();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        prompter.Message(
            &form, QStringLiteral("Cannot open \"%1\": %2").arg(fileName, file.errorString()));
        return nullptr;
    }
    const std::string text = file.readAll().toStdString();
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
    try {
        // Built aside first: a name no net file could carry as a label opens no window.
        TDados trial;
        BuildMachineNet(machine, symbols, trial);
    } catch (const EInvalidLabel& refused) {
        prompter.Message(&form, QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(),
                                                             QString::fromLatin1(refused.what())));
        return nullptr;
    }
    TMDIChild* child = form.CreateMDIChild(
        QStringLiteral("%1 [%2]").arg(QFileInfo(fileName).completeBaseName(), word));
    BuildMachineNet(machine, symbols, child->Document());
    child->Ecra().InvalidateAll();
    return child;
}

} // namespace veltra
