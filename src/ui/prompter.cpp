#include "ui/prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace veltra {

void RaiseAboveToolWindows(QWidget& dialog) {
    // Set once: a change of flags makes the window anew.
    if (!dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

int ShowModal(QDialog& dialog) {
    RaiseAboveToolWindows(dialog);
    return dialog.exec();
}

int TPrompter::ExecDialog(QDialog& dialog) {
    return ShowModal(dialog);
}

QString TPrompter::AskText(QWidget* parent, const QString& title, const QString& label, bool& ok) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setInputMode(QInputDialog::TextInput);
    ok = ShowModal(dialog) == QDialog::Accepted;
    return ok ? dialog.textValue() : QString();
}

void TQtPrompter::Message(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    ShowModal(box);
}

bool TQtPrompter::Confirm(QWidget* parent, const QString& text, QPoint at) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    RaiseAboveToolWindows(box); // before it is placed: new flags make the window anew
    if (at.x() >= 0 || at.y() >= 0) {
        box.adjustSize();
        QPoint pos = box.pos();
        if (at.x() >= 0) pos.setX(at.x());
        if (at.y() >= 0) pos.setY(at.y());
        box.move(pos);
    }
    return ShowModal(box) == QMessageBox::Yes;
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
    if (ShowModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

QString TQtPrompter::SaveFileName(QWidget* parent, const TFileRequest& request) {
    QFileDialog dialog(parent);
    Configure(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (ShowModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

TSaveChoice TQtPrompter::AskSave(QWidget* parent, const QString& caption) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(),
                    QStringLiteral("Save the changes to \"%1\"?").arg(caption),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    const int answer = ShowModal(box);
    if (answer == QMessageBox::Save) return TSaveChoice::Save;
    if (answer == QMessageBox::Discard) return TSaveChoice::Discard;
    return TSaveChoice::Cancel;
}

int TQtPrompter::Pick(QWidget* parent, const QString& title, const QStringList& items) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(title);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    if (!items.isEmpty()) dialog.setTextValue(items.front());
    if (ShowModal(dialog) != QDialog::Accepted) return -1;
    return static_cast<int>(items.indexOf(dialog.textValue()));
}

} // namespace veltra
