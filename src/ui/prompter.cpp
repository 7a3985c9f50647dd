#include "ui/prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace veltra {

int TPrompter::ExecDialog(QDialog& dialog) { return dialog.exec(); }

QString TPrompter::AskText(QWidget* parent, const QString& title, const QString& label, bool& ok) {
    return QInputDialog::getText(parent, title, label, QLineEdit::Normal, QString(), &ok);
}

void TQtPrompter::Message(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool TQtPrompter::Confirm(QWidget* parent, const QString& text, QPoint at) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    if (at.x() >= 0 || at.y() >= 0) {
        box.adjustSize();
        QPoint pos = box.pos();
        if (at.x() >= 0) pos.setX(at.x());
        if (at.y() >= 0) pos.setY(at.y());
        box.move(pos);
    }
    return box.exec() == QMessageBox::Yes;
}

static void Configure(QFileDialog& dialog, const TFileRequest& request) {
    dialog.setWindowTitle(request.title);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.directory.isEmpty()) dialog.setDirectory(request.directory);
    if (!request.proposed.isEmpty()) dialog.selectFile(request.proposed);
}

QString TQtPrompter::OpenFileName(QWidget* parent, const TFileRequest& request) {
    QFileDialog dialog(parent);
    Configure(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

QString TQtPrompter::SaveFileName(QWidget* parent, const TFileRequest& request) {
    QFileDialog dialog(parent);
    Configure(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

TSaveChoice TQtPrompter::AskSave(QWidget* parent, const QString& caption) {
    const auto answer = QMessageBox::question(
        parent, QApplication::applicationName(),
        QStringLiteral("Save the changes to \"%1\"?").arg(caption),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) return TSaveChoice::Save;
    if (answer == QMessageBox::Discard) return TSaveChoice::Discard;
    return TSaveChoice::Cancel;
}

int TQtPrompter::Pick(QWidget* parent, const QString& title, const QStringList& items) {
    bool ok = false;
    const QString item =
        QInputDialog::getItem(parent, title, title, items, 0, /*editable=*/false, &ok);
    return ok ? static_cast<int>(items.indexOf(item)) : -1;
}

} // namespace veltra
