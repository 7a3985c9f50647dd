// The Info dialog's module buttons ("Load Module", "&Window") and its bookkeeping of
// elements, synapses and windows that go away.
#include "model/dados.h"
#include "model/module.h"
#include "model/netedit.h"
#include "model/protolista.h"
#include "ui/dialogs/liveobjects.h"
#include "ui/dialogs/mdiwindowslist.h"
#include "ui/dialogs/multpagedlg.h"
#include "ui/dialogs/multpagedlgnodes.h"
#include "ui/editcommands.h"
#include "ui/prompter.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace veltra {

// --- modules ---------------------------------------------------------------------------------

void TMultPageDlg::button_load_moduleClick() {
    Revalidate();
    auto* module = dynamic_cast<TModule*>(currentElement_);
    if (module == nullptr) return;
    TDados* document = host_->ActiveDocument();
    if (document == nullptr) {
        // The module lives in some window even when none is active.
        const std::vector<TOpenWindow> windows = host_->OpenWindows();
        if (windows.empty()) return;
        document = windows.front().document;
    }
    const std::string error = host_->LoadModuleFile(*document, *module);
    Revalidate(); // the old inner net and the synapses across the border may be gone
    host_->NetChanged(module);
    if (!error.empty()) host_->Prompter().Message(this, QString::fromStdString(error));
}

void TMultPageDlg::button_load_from_windowClick() {
    Revalidate();
    auto* module = dynamic_cast<TModule*>(currentElement_);
    if (module == nullptr) return;
    const std::vector<TOpenWindow> windows = host_->OpenWindows();
    TFormMDIWindowsList* list = host_->WindowsList();
    if (windows.empty()) {
        host_->Prompter().Message(this,
                                  QStringLiteral("There's no open child window to select from."));
        return;
    }
    if (list == nullptr) return;
    list->Clear();
    for (auto w = windows.rbegin(); w != windows.rend(); ++w)
        list->AddWindow(w->caption, w->window.data());
    const int result = host_->Prompter().ExecDialog(*list);
    QWidget* chosen = list->ChosenWindow();
    list->Clear();
    if (result != QDialog::Accepted || chosen == nullptr) return;
    // The module and the chosen window may both have gone while the list was open.
    Revalidate();
    if (currentElement_ != module) return;
    TDados* document = nullptr;
    QString caption;
    for (const TOpenWindow& w : host_->OpenWindows())
        if (w.window.data() == chosen) {
            document = w.document;
            caption = w.caption;
        }
    if (document == nullptr) return;
    host_->Prompter().Message(this, QStringLiteral("Janela escolhida:") + caption);
    // Refused (with a message) when that net holds the module, at any depth.
    const std::shared_ptr<TProtoLista>& shown = document->Net().SharedElements();
    if (shown == module->SharedInnerNet()) return;
    if (!module->MayTakeInnerNet(shown, host_->Interaction())) return;
    // The old inner net and the synapses across its border are kept by the undo command.
    auto swap = std::make_unique<TInnerNetSwap>(*module, shown);
    swap->Apply();
    host_->RecordEdit(module, [&](TEditStack& stack) {
        return std::make_unique<TInnerNetCommand>(stack, QStringLiteral("Module Window"),
                                                  std::move(swap));
    });
    Revalidate();
    host_->NetChanged(module);
}

// --- dead objects ----------------------------------------------------------------------------

void TMultPageDlg::ForgetElement(const TProtoNeuronio* element) {
    Revalidate(element);
}

void TMultPageDlg::Prune(QTreeWidgetItem* node, const TLiveObjects& live, QTreeWidgetItem*& shown) {
    for (int i = node->childCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* child = node->child(i);
        const TProtoNeuronio* e = NodeElement(child);
        const TSinapse* s = NodeSynapse(child);
        if ((e == nullptr || live.Has(e)) && (s == nullptr || live.Has(s))) {
            Prune(child, live, shown);
            continue;
        }
        for (const QTreeWidgetItem* n = currentNode_; n != nullptr; n = n->parent())
            if (n == child) currentNode_ = nullptr;
        for (const QTreeWidgetItem* n = shown; n != nullptr; n = n->parent())
            if (n == child) shown = nullptr;
        delete child;
    }
}

void TMultPageDlg::Revalidate(const TProtoNeuronio* erased, const QObject* closing) {
    std::vector<const TProtoLista*> roots;
    for (const TOpenWindow& w : host_->OpenWindows(closing))
        if (w.document != nullptr) roots.push_back(&w.document->Elements());
    const TLiveObjects live = CollectLive(roots, erased);

    const bool elementGone = currentElement_ != nullptr && !live.Has(currentElement_);
    const bool synapseGone = currentSynapse_ != nullptr && !live.Has(currentSynapse_);
    if (elementGone || synapseGone) {
        PutInView(nullptr);
        SetButtons(false, false);
        currentElement_ = nullptr;
        currentSynapse_ = nullptr;
        currentNode_ = nullptr;
        historyCleared_ = false;
        button_apply_->setEnabled(false);
        list_module_inputs_outputs_->clear();
    }
    {
        // Deleting the current item would move the selection and load another node; the
        // tree's current item then follows what the page holds instead, so that choosing
        // any remaining node loads it.
        const QSignalBlocker quiet(TreeView_);
        QTreeWidgetItem* shown = TreeView_->currentItem();
        const bool hadCurrent = shown != nullptr;
        Prune(TreeView_->invisibleRootItem(), live, shown);
        if (hadCurrent && shown == nullptr) TreeView_->setCurrentItem(currentNode_);
    }
    if (shownBox_ == properties_module_) FillModuleList(); // its inner net may have been replaced
}

} // namespace veltra
