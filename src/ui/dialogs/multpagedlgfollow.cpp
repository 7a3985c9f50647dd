// The Info dialog follows the net: after a step, a reset or an Apply the tree's "potential = "
// texts and the open property page show the values the elements hold now.
#include "model/inputs.h"
#include "model/outputs.h"
#include "ui/dialogs/loglist.h"
#include "ui/dialogs/longfield.h"
#include "ui/dialogs/multpagedlg.h"
#include "ui/dialogs/multpagedlgnodes.h"
#include "ui/numbertip.h"

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
                child->setText(0, PotentialPrefix +
                                      ListedText(element->ValueTextEnds(ListedAsk, ListedAsk)));
        } else {
            FollowNodes(child);
        }
    }
}

} // namespace

QString TreeText(const std::string& text) {
    constexpr std::size_t MaxChars = 1000;
    if (text.size() <= MaxChars) return QString::fromStdString(text);
    return ListedText(text, TTextEnds::TUnit::Characters);
}

void TMultPageDlg::AppendHistory(const TValueLog& log, std::size_t from) {
    ListBoxLog_->Append(log, from);
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
        potentialField_->SetText(currentElement_->ValueText(), true);
    } else if (shownBox_ == properties_pendor_) {
        biasField_->SetText(currentElement_->ValueText(), true);
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
