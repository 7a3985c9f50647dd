// The sequence box's "&Load" and "&Save": a sequence file is the box's text, byte for byte.
#include "storage/sequencefile.h"
#include "ui/dialogs/multpagedlg.h"
#include "ui/prompter.h"

#include <QFile>
#include <QSaveFile>
#include <sstream>

namespace veltra {

namespace {

// The filter shows the usual extension but lists every file, as sequence files are often
// kept under other names.
TFileRequest SequenceRequest(const QString& title) {
    return {title, QStringLiteral("Input/Output files (*.txt *)"), QStringLiteral("txt"), {}, {}};
}

} // namespace

void TMultPageDlg::button_loadClick() {
    const QString fileName =
        host_->Prompter().OpenFileName(this, SequenceRequest(QStringLiteral("Open")));
    if (fileName.isEmpty()) return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        host_->Prompter().Message(
            this, QString::fromStdString(CannotOpenFileText(fileName.toStdString())));
        return;
    }
    const QByteArray bytes = file.readAll();
    std::istringstream in(bytes.toStdString());
    SetBoxText(QString::fromStdString(LoadSequence(in)));
}

void TMultPageDlg::button_saveClick() {
    const QString fileName =
        host_->Prompter().SaveFileName(this, SequenceRequest(QStringLiteral("Save As")));
    if (fileName.isEmpty()) return;
    std::ostringstream out;
    SaveSequence(out, BoxText().toStdString());
    const std::string bytes = out.str();
    // Written in full to a temporary file first: a failed save leaves the old file intact.
    QSaveFile file(fileName);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                             static_cast<qint64>(bytes.size()) &&
                         file.commit();
    if (!written) {
        file.cancelWriting();
        host_->Prompter().Message(
            this, QString::fromStdString(CannotCreateFileText(fileName.toStdString())));
    }
}

} // namespace veltra
