// The "&Load" and "&Save" of the input and output pages: a sequence file is the text of the
// input's sequence box, or the output's history list one entry a line, byte for byte.
#include "storage/atomicsave.h"
#include "storage/sequencefile.h"
#include "ui/dialogs/loglist.h"
#include "ui/dialogs/multpagedlg.h"
#include "ui/prompter.h"

#include <QFile>
#include <QListWidget>
#include <sstream>

namespace veltra {

namespace {

// The filter shows the usual extension but lists every file, as sequence files are often
// kept under other names.
TFileRequest SequenceRequest(const QString& title) {
    return {title, QStringLiteral("Input/Output files (*.txt *)"), QStringLiteral("txt"), {}, {}};
}

} // namespace

void TMultPageDlg::SetHistoryText(std::string_view text) {
    ListBoxLog_->SetLines(text);
    FieldChanged(); // a loaded list is an edit like a typed one
}

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
    std::string text =
        AdjustLineBreaks({bytes.constData(), static_cast<std::size_t>(bytes.size())});
    // Into what the page shows: the output page's history list, or the sequence box.
    if (shownBox_ == properties_output_)
        SetHistoryText(text);
    else
        SetBoxText(std::move(text));
}

void TMultPageDlg::button_saveClick() {
    const QString fileName =
        host_->Prompter().SaveFileName(this, SequenceRequest(QStringLiteral("Save As")));
    if (fileName.isEmpty()) return;
    std::ostringstream out;
    // What the page shows: the output page's history list, or the sequence box.
    if (shownBox_ == properties_output_) {
        SaveSequence(out, ListBoxLog_->Text());
    } else {
        SaveSequence(out, BoxText());
    }
    const std::string bytes = out.str();
    // Saved as nets are: a failed save leaves the old file intact, a FIFO or device stays one.
    std::string error;
    if (!AtomicSave(
            QFile::encodeName(fileName).toStdString(),
            [&bytes](std::ostream& file) { return bool(file << bytes); }, error))
        host_->Prompter().Message(
            this, QString::fromStdString(CannotCreateFileText(fileName.toStdString())));
}

} // namespace veltra
