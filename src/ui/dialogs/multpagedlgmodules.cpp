// The Info dialog's module buttons ("Load Module", "&Window") and its bookkeeping of
// elements, synapses and windows that go away.
#include "model/dados.h"
#include "model/module.h"
#include "model/netedit.h"
#include "model/netwalk.h"
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
#include <algorithm>

namespace veltra {

// --- modules ---------------------------------------------------------------------------------

void TMultPageDlg::button_load_moduleClick() {
    TModule* module = AsModule(currentElement_);
    if (module == nullptr) return;
    TDados* document = host_->ActiveDocument();
    if (document == nullptr) {
        // The module lives in some window even when none is active.
        const std::vector<TOpenWindow> windows = host_->OpenWindows();
        if (windows.empty()) return;
        document = windows.front().document;
    }
    const std::string error = host_->LoadModuleFile(*document, *module);
    host_->NetChanged(module);
    if (!error.empty()) host_->Prompter().Message(this, QString::fromStdString(error));
}

void TMultPageDlg::button_load_from_windowClick() {
    TModule* module = AsModule(currentElement_);
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
    // The module and the chosen window may both have gone while the list was open (the
    // page let go of the module as it left).
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
    host_->NetChanged(module);
}

// --- dead objects ----------------------------------------------------------------------------

void TMultPageDlg::Prune(QTreeWidgetItem* node, const std::function<bool(QTreeWidgetItem*)>& dead,
                         QTreeWidgetItem*& shown) {
    for (int i = node->childCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* child = node->child(i);
        if (dead(child))
            DropNode(child, shown);
        else
            Prune(child, dead, shown);
    }
}

void TMultPageDlg::DropNode(QTreeWidgetItem* node, QTreeWidgetItem*& shown) {
    for (const QTreeWidgetItem* n = currentNode_; n != nullptr; n = n->parent())
        if (n == node) currentNode_ = nullptr;
    for (const QTreeWidgetItem* n = shown; n != nullptr; n = n->parent())
        if (n == node) shown = nullptr;
    UnindexBranch(node);
    delete node;
}

namespace {
const void* NodeObject(const QTreeWidgetItem* node) {
    if (const TProtoNeuronio* e = NodeElement(node)) return e;
    return NodeSynapse(node);
}
} // namespace

void TMultPageDlg::IndexBranch(QTreeWidgetItem* node) {
    if (const void* object = NodeObject(node)) nodesOf_.emplace(object, node);
    for (int i = 0; i < node->childCount(); ++i)
        IndexBranch(node->child(i));
}

void TMultPageDlg::UnindexBranch(QTreeWidgetItem* node) {
    if (const void* object = NodeObject(node)) {
        auto [first, last] = nodesOf_.equal_range(object);
        for (auto it = first; it != last; ++it)
            if (it->second == node) {
                nodesOf_.erase(it);
                break;
            }
    }
    for (int i = 0; i < node->childCount(); ++i)
        UnindexBranch(node->child(i));
}

void TMultPageDlg::PruneObject(const void* object) {
    if (nodesOf_.find(object) == nodesOf_.end()) return;
    const QSignalBlocker quiet(TreeView_);
    QTreeWidgetItem* shown = TreeView_->currentItem();
    const bool hadCurrent = shown != nullptr;
    // One node at a time: a node may stand inside another one of the same object.
    for (auto it = nodesOf_.find(object); it != nodesOf_.end(); it = nodesOf_.find(object))
        DropNode(it->second, shown);
    if (hadCurrent && shown == nullptr) TreeView_->setCurrentItem(currentNode_);
}

void TMultPageDlg::PruneTree(const std::function<bool(QTreeWidgetItem*)>& dead) {
    // Deleting the current item would move the selection and load another node; the
    // tree's current item then follows what the page holds instead, so that choosing
    // any remaining node loads it.
    const QSignalBlocker quiet(TreeView_);
    QTreeWidgetItem* shown = TreeView_->currentItem();
    const bool hadCurrent = shown != nullptr;
    Prune(TreeView_->invisibleRootItem(), dead, shown);
    if (hadCurrent && shown == nullptr) TreeView_->setCurrentItem(currentNode_);
}

void TMultPageDlg::ClearPage() {
    PutInView(nullptr);
    SetButtons(false, false);
    currentElement_ = nullptr;
    currentSynapse_ = nullptr;
    currentNode_ = nullptr;
    historyCleared_ = false;
    button_apply_->setEnabled(false);
    list_module_inputs_outputs_->clear();
}

void TMultPageDlg::ElementLeaving(const TProtoNeuronio* element) {
    if (currentElement_ == element) ClearPage();
    PruneObject(element);
    // Not Kind(): an element told about as it is destroyed is only partly there, and a cast
    // sees only what is left (a module is told about while still whole first).
    if (const auto* module = dynamic_cast<const TModule*>(element))
        if (!Shown(module->InnerNet())) ForgetInside(module->InnerNet());
}

bool TMultPageDlg::Shown(const TProtoLista& list) const {
    // Not the host's windows: a window may be half destroyed while its net tells of its end.
    return TDados::IsDocumentNet(list);
}

void TMultPageDlg::ForgetInside(const TProtoLista& list) {
    // What is inside a module leaving goes with it, unless a window shows that inner net.
    VisitDeep(list, [this](const TProtoNeuronio& e) {
        if (currentElement_ == &e) ClearPage();
        PruneObject(&e);
        for (const TListaSinapses* synapses : {&e.IncomingSynapses(), &e.OutgoingSynapses()})
            for (const TSinapse* s : *synapses) {
                if (currentSynapse_ == s) ClearPage();
                PruneObject(s);
            }
        const TModule* module = AsModule(&e);
        return module != nullptr && Shown(module->InnerNet()) ? TVisit::Skip : TVisit::Enter;
    });
}

void TMultPageDlg::ObserveOpenNets(const QObject* closing) {
    notices_.StopObservingAll();
    for (const TOpenWindow& w : host_->OpenWindows(closing))
        if (w.document != nullptr) notices_.Observe(w.document->Elements());
}

void TMultPageDlg::SynapseLeaving(const TSinapse* synapse) {
    if (currentSynapse_ == synapse) ClearPage();
    PruneObject(synapse);
}

void TMultPageDlg::Revalidate(const TProtoNeuronio* erased, const QObject* closing) {
    std::vector<const TProtoLista*> roots;
    for (const TOpenWindow& w : host_->OpenWindows(closing))
        if (w.document != nullptr) roots.push_back(&w.document->Elements());
    const TLiveObjects live = CollectLive(roots, erased);
    // Hears the nets of the open windows only: a window closing takes its net's notices along.
    if (closing != nullptr) ObserveOpenNets(closing);

    const bool elementGone = currentElement_ != nullptr && !live.Has(currentElement_);
    const bool synapseGone = currentSynapse_ != nullptr && !live.Has(currentSynapse_);
    if (elementGone || synapseGone) ClearPage();
    PruneTree([&live](QTreeWidgetItem* node) {
        const TProtoNeuronio* e = NodeElement(node);
        const TSinapse* s = NodeSynapse(node);
        return (e != nullptr && !live.Has(e)) || (s != nullptr && !live.Has(s));
    });
    if (shownBox_ == properties_module_) FillModuleList(); // its inner net may have been replaced
}

} // namespace veltra
