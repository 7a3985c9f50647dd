// The Info dialog follows the net: after a step, a reset or an Apply the tree's "potential = "
// texts and the open property page show the values the elements hold now.
#include "model/inputs.h"
#include "model/outputs.h"
#include "ui/dialogs/multpagedlg.h"
#include "ui/dialogs/multpagedlgnodes.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

namespace veltra {

namespace {

constexpr int FollowIntervalMs = 20; // about one screen frame
const QString PotentialPrefix = QStringLiteral("potential = ");

void FollowNodes(QTreeWidgetItem* node) {
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        if (!child->data(0, NodeHoldsRole).toBool() && child->text(0).startsWith(PotentialPrefix)) {
            if (const TProtoNeuronio* element = NodeElement(node))
                child->setText(0, TreeText(PotentialPrefix.toStdString() + element->ValueText()));
        } else {
            FollowNodes(child);
        }
    }
}

// Sets a field without it counting as the user's edit (which would enable Apply).
void Show(QLineEdit* field, const std::string& text) {
    const QSignalBlocker quiet(field);
    field->setText(QString::fromStdString(text));
}

} // namespace

QString TreeText(const std::string& text) {
    constexpr std::size_t MaxChars = 1000;
    constexpr std::size_t EndChars = 400;
    if (text.size() <= MaxChars) return QString::fromStdString(text);
    return QString::fromStdString(text.substr(0, EndChars)) + QStringLiteral("...") +
           QString::fromStdString(text.substr(text.size() - EndChars)) +
           QStringLiteral(" (%1 characters)").arg(text.size());
}

void TMultPageDlg::AppendHistory(const TValueLog& log, std::size_t from) {
    // One call for all the new entries: a long run logs a million of them.
    QStringList entries;
    entries.reserve(static_cast<qsizetype>(log.Size() - std::min(from, log.Size())));
    for (std::size_t k = from; k < log.Size(); ++k)
        entries << QString::fromStdString(log.At(k));
    ListBoxLog_->addItems(entries);
}

void TMultPageDlg::FollowNet(bool now) {
    if (!isVisible()) return; // a closed dialog shows nothing (its tree is emptied)
    if (now || !followClock_.isValid() || followClock_.elapsed() >= FollowIntervalMs) {
        ShowCurrentValues();
        return;
    }
    // A run steps faster than a screen shows: the last values of the frame come a frame later.
    if (followPending_) return;
    followPending_ = true;
    QTimer::singleShot(FollowIntervalMs, this, [this] {
        followPending_ = false;
        if (isVisible()) ShowCurrentValues();
    });
}

void TMultPageDlg::ShowCurrentValues() {
    followClock_.start();
    for (int i = 0; i < TreeView_->topLevelItemCount(); ++i)
        FollowNodes(TreeView_->topLevelItem(i));
    // A page with edits not yet applied keeps what the user typed.
    if (currentElement_ == nullptr || button_apply_->isEnabled()) return;
    if (shownBox_ == properties_neuronio_) {
        Show(edit_neuron_potencial_, currentElement_->ValueText());
    } else if (shownBox_ == properties_pendor_) {
        Show(edit_pendor_value_, currentElement_->ValueText());
    } else if (shownBox_ == properties_input_output_) {
        SetBoxText(static_cast<TInputs*>(currentElement_)->Sequence(), false);
    } else if (shownBox_ == properties_output_ && !historyCleared_) {
        const TValueLog& log = static_cast<TOutputs*>(currentElement_)->Log();
        const int shown = ListBoxLog_->count();
        // A log only grows between resets: add what is new, rebuild after a reset.
        if (static_cast<std::size_t>(shown) > log.Size()) ListBoxLog_->clear();
        AppendHistory(log, static_cast<std::size_t>(ListBoxLog_->count()));
    }
}

} // namespace veltra
