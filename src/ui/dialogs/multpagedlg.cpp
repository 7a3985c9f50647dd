#include "ui/dialogs/multpagedlg.h"

#include "model/canvas.h"
#include "model/dados.h"
#include "model/inputs.h"
#include "model/module.h"
#include "model/netedit.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/protolista.h"
#include "ui/dialogs/imagelist.h"
#include "ui/dialogs/liveobjects.h"
#include "ui/dialogs/loglist.h"
#include "ui/dialogs/longfield.h"
#include "ui/dialogs/longtextview.h"
#include "ui/dialogs/mdiwindowslist.h"
#include "ui/dialogs/multpagedlgnodes.h"
#include "ui/dialogs/sequencebytes.h"
#include "ui/editcommands.h"
#include "ui/guard.h"
#include "ui/prompter.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QTreeWidget>
#include <exception>

namespace veltra {

namespace {

// The tree as the elements fill it (AddToTree): handles are indices of the nodes made.
class TTreeFiller final : public TInfoTree {
public:
    explicit TTreeFiller(QTreeWidget& tree) : tree_(tree) {}

    Node AddNode(Node parent, const std::string& text, int imageIndex, TProtoNeuronio* element,
                 TSinapse* synapse) override {
        const QStringList texts{TreeText(text)};
        QTreeWidgetItem* item =
            parent == NoNode
                ? new QTreeWidgetItem(&tree_, texts)
                : new QTreeWidgetItem(nodes_.at(static_cast<std::size_t>(parent)), texts);
        item->setData(0, NodeElementRole, QVariant::fromValue(reinterpret_cast<quintptr>(element)));
        item->setData(0, NodeSynapseRole, QVariant::fromValue(reinterpret_cast<quintptr>(synapse)));
        item->setData(0, NodeImageRole, imageIndex);
        item->setData(0, NodeHoldsRole, element != nullptr || synapse != nullptr);
        if (imageIndex >= 0) item->setIcon(0, TImageList::Shared().Icon(imageIndex));
        nodes_.push_back(item);
        return static_cast<Node>(nodes_.size() - 1);
    }

    QTreeWidgetItem* Item(Node node) const {
        return node == NoNode ? nullptr : nodes_.at(static_cast<std::size_t>(node));
    }

private:
    QTreeWidget& tree_;
    std::vector<QTreeWidgetItem*> nodes_;
};

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}
std::string Std(const QString& text) {
    return text.toStdString();
}

} // namespace

TMultPageDlg::TMultPageDlg(std::unique_ptr<TInfoHost> host, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), host_(std::move(host)) {
    BuildForm();
    connect(TabSet_, &QTabBar::tabBarClicked, this, [this](int index) { TabSetClick(index); });
    connect(TabSet_, &QTabBar::currentChanged, this, [this](int index) { TabSetClick(index); });
    connect(TreeView_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* node) { Guard([this, node] { TreeViewChange(node); }); });
    connect(button_apply_, &QPushButton::clicked, this,
            [this] { Guard([this] { button_applyClick(); }); });
    connect(button_close_, &QPushButton::clicked, this, [this] { button_closeClick(); });
    connect(Button_Clear_, &QPushButton::clicked, this, [this] { Button_ClearClick(); });
    connect(button_load_module_, &QPushButton::clicked, this,
            [this] { Guard([this] { button_load_moduleClick(); }); });
    connect(button_load_from_window_, &QPushButton::clicked, this,
            [this] { Guard([this] { button_load_from_windowClick(); }); });
    connect(button_load_, &QPushButton::clicked, this,
            [this] { Guard([this] { button_loadClick(); }); });
    connect(button_save_, &QPushButton::clicked, this,
            [this] { Guard([this] { button_saveClick(); }); });
    connect(&notices_, &TNetSignals::elementLeaving, this,
            [this](const TProtoNeuronio* e, bool) { ElementLeaving(e); });
    connect(&notices_, &TNetSignals::synapseLeaving, this,
            [this](const TSinapse* s, bool) { SynapseLeaving(s); });
    // A module's inner net replaced: what was inside may be out of every net now.
    connect(&notices_, &TNetSignals::elementChanged, this,
            [this](const TProtoNeuronio*, TChange what) {
                if (what == TChange::InnerNet) Revalidate();
            });
    hide();
}

TMultPageDlg::~TMultPageDlg() {
    notices_.StopObservingAll();
}

void TMultPageDlg::Guard(const std::function<void()>& body) {
    Guarded(host_->Prompter(), this, body);
}

// --- showing elements ------------------------------------------------------------------------

void TMultPageDlg::SelectNode(QTreeWidgetItem* node) {
    info_browser_->setCurrentIndex(0);
    TabSet_->setCurrentIndex(0);
    TreeView_->setCurrentItem(node);
    node->setSelected(true);
    TreeView_->setFocus(Qt::OtherFocusReason);
}

bool TMultPageDlg::ElementShowing(const TProtoNeuronio* element) {
    for (int i = 0; i < TreeView_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* node = TreeView_->topLevelItem(i);
        if (NodeElement(node) == element) {
            SelectNode(node);
            return true;
        }
    }
    return false;
}

void TMultPageDlg::ShowNetBrowser(TProtoNeuronio* element, TDados& document) {
    (void)document; // every window's elements are found through the host
    if (element == nullptr || ElementShowing(element)) return;
    ObserveOpenNets(nullptr);
    info_browser_->setCurrentIndex(0);
    TabSet_->setCurrentIndex(0);
    TreeView_->setCurrentItem(nullptr);
    TreeView_->clearSelection();
    TTreeFiller filler(*TreeView_);
    QTreeWidgetItem* node = filler.Item(element->AddToTree(filler, TInfoTree::NoNode));
    if (node != nullptr) IndexBranch(node);
    if (!isVisible()) show();
    raise();
    if (node != nullptr) SelectNode(node);
}

void TMultPageDlg::TabSetClick(int index) {
    if (index >= 0 && index < info_browser_->count()) info_browser_->setCurrentIndex(index);
}

// --- loading a node into its page ------------------------------------------------------------

void TMultPageDlg::TreeViewChange(QTreeWidgetItem* node) {
    if (node == nullptr || !node->data(0, NodeHoldsRole).toBool()) return;
    button_apply_->setEnabled(false);
    currentNode_ = node;
    const int image = node->data(0, NodeImageRole).toInt();
    switch (image) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 8:
        LoadElement(NodeElement(node), image);
        break;
    case 4: {
        TSinapse* synapse = NodeSynapse(node);
        if (synapse == nullptr) {
            host_->Prompter().Message(this, QStringLiteral("oooops!! Sinapse com pointer nulo"));
            return;
        }
        LoadSynapse(synapse);
        break;
    }
    default:
        host_->Prompter().Message(this, QStringLiteral("Help! I Cant find any imageindex."));
        break;
    }
}

void TMultPageDlg::PutInView(QGroupBox* box) {
    if (shownBox_ != nullptr && shownBox_ != box) {
        shownBox_->move(shownBox_->x(), OutOfViewTop);
        shownBox_->setVisible(false);
    }
    shownBox_ = box;
    if (box != nullptr) {
        box->move(box->x(), InViewTop);
        box->setVisible(true);
    }
}

void TMultPageDlg::LoadElement(TProtoNeuronio* e, int imageIndex) {
    if (e == nullptr) return;
    currentElement_ = e;
    currentSynapse_ = nullptr;
    historyCleared_ = false;
    const QString x = QString::number(e->GetPosition().x);
    const QString y = QString::number(e->GetPosition().y);
    switch (imageIndex) {
    case 0: {
        PutInView(properties_neuronio_);
        SetButtons(false, false);
        auto* neuron = static_cast<TNeuronio*>(e);
        edit_neuron_name_->setText(Text(e->Label()));
        potentialField_->SetText(e->ValueText());
        edit_neuron_x_->setText(x);
        edit_neuron_y_->setText(y);
        const QString name = Text(neuron->Activation().DisplayName());
        const int item = ComboBox_Neuron_Activacao_->findText(name, Qt::MatchExactly);
        if (item >= 0) // otherwise the list keeps its previous selection
            ComboBox_Neuron_Activacao_->setCurrentIndex(item);
        ThresholdRule(name);
        break;
    }
    case 1:
        PutInView(properties_pendor_);
        SetButtons(false, false);
        edit_pendor_name_->setText(Text(e->Label()));
        biasField_->SetText(e->ValueText());
        edit_pendor_x_->setText(x);
        edit_pendor_y_->setText(y);
        break;
    case 2:
        PutInView(properties_input_output_);
        SetButtons(true, false);
        edit_input_output_name_->setText(Text(e->Label()));
        edit_input_output_x_->setText(x);
        edit_input_output_y_->setText(y);
        SetBoxText(static_cast<TInputs*>(e)->Sequence());
        break;
    case 3: {
        PutInView(properties_output_);
        SetButtons(true, false);
        edit_output_name_->setText(Text(e->Label()));
        edit_output_x_->setText(x);
        edit_output_y_->setText(y);
        ListBoxLog_->clear();
        AppendHistory(static_cast<TOutputs*>(e)->Log(), 0);
        break;
    }
    default:
        PutInView(properties_module_);
        SetButtons(false, true);
        edit_module_name_->setText(Text(e->Label()));
        edit_module_x_->setText(x);
        edit_module_y_->setText(y);
        FillModuleList();
        break;
    }
}

void TMultPageDlg::FillModuleList() {
    list_module_inputs_outputs_->clear();
    if (const TModule* module = AsModule(currentElement_))
        for (TProtoNeuronio* inner : module->ListInner(false))
            AddElementItem(*list_module_inputs_outputs_, inner);
}

void TMultPageDlg::LoadSynapse(TSinapse* s) {
    currentSynapse_ = s;
    currentElement_ = nullptr;
    PutInView(properties_sinapse_);
    SetButtons(false, false);
    edit_sinapse_name_->setText(Text(s->Name()));
    weightField_->SetText(s->Weight().ToText());
    edit_sinapse_from_->setText(s->Source() != nullptr ? Text(s->Source()->Label()) : QString());
    edit_sinapse_to_->setText(s->Destination() != nullptr ? Text(s->Destination()->Label())
                                                          : QString());
}

void TMultPageDlg::ThresholdRule(const QString& activation) {
    if (activation == QStringLiteral("HeavisideStepFunction")) {
        EditTeta_->setEnabled(true);
        auto* neuron = dynamic_cast<TNeuronio*>(currentElement_);
        tetaField_->SetText(neuron != nullptr ? neuron->TetaText() : std::string());
    } else {
        EditTeta_->clear();
        EditTeta_->setEnabled(false);
    }
}

void TMultPageDlg::ComboBox_Neuron_ActivacaoChange() {
    ThresholdRule(ComboBox_Neuron_Activacao_->currentText());
    FieldChanged();
}

void TMultPageDlg::FieldChanged() {
    if (info_browser_ != nullptr && info_browser_->currentWidget() == propertiesPage_)
        button_apply_->setEnabled(true);
}

// --- Apply, Clear, Close ---------------------------------------------------------------------

std::string TMultPageDlg::BoxText() const {
    if (longSequence_->isVisibleTo(properties_input_output_)) return longSequence_->Text();
    QString text = Memo_input_output_binario_->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return BytesFromBox(text);
}

void TMultPageDlg::SetBoxText(std::string text, bool edit) {
    const QSignalBlocker quiet(edit ? nullptr : Memo_input_output_binario_);
    // An edit box lays out a long line in time growing with the square of its length.
    constexpr std::size_t LongText = 64 * 1024;
    if (text.size() > LongText) {
        if (longSequence_->Text() == text && longSequence_->isVisibleTo(properties_input_output_))
            return;
        Memo_input_output_binario_->clear();
        Memo_input_output_binario_->hide();
        longSequence_->SetText(std::move(text));
        longSequence_->show();
        if (edit) FieldChanged();
        return;
    }
    const bool wasLong = longSequence_->isVisibleTo(properties_input_output_);
    longSequence_->hide();
    longSequence_->SetText({});
    Memo_input_output_binario_->show();
    QString shown = BoxFromBytes(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (shown != Memo_input_output_binario_->toPlainText())
        Memo_input_output_binario_->setPlainText(shown);
    else if (wasLong && edit)
        FieldChanged();
}

TInfoFields TMultPageDlg::CollectFields() const {
    TInfoFields f;
    if (shownBox_ == properties_neuronio_) {
        f.name = Std(edit_neuron_name_->text());
        f.value = potentialField_->Text();
        f.x = Std(edit_neuron_x_->text());
        f.y = Std(edit_neuron_y_->text());
        f.activation = Std(ComboBox_Neuron_Activacao_->currentText());
        f.teta = tetaField_->Text();
    } else if (shownBox_ == properties_pendor_) {
        f.name = Std(edit_pendor_name_->text());
        f.value = biasField_->Text();
        f.x = Std(edit_pendor_x_->text());
        f.y = Std(edit_pendor_y_->text());
    } else if (shownBox_ == properties_input_output_) {
        f.name = Std(edit_input_output_name_->text());
        f.x = Std(edit_input_output_x_->text());
        f.y = Std(edit_input_output_y_->text());
        f.sequence = BoxText();
    } else if (shownBox_ == properties_output_) {
        f.name = Std(edit_output_name_->text());
        f.x = Std(edit_output_x_->text());
        f.y = Std(edit_output_y_->text());
        f.historyListEmpty = historyCleared_ && ListBoxLog_->count() == 0;
    } else if (shownBox_ == properties_sinapse_) {
        f.name = Std(edit_sinapse_name_->text());
        f.value = weightField_->Text();
    } else if (shownBox_ == properties_module_) {
        f.name = Std(edit_module_name_->text());
        f.x = Std(edit_module_x_->text());
        f.y = Std(edit_module_y_->text());
    }
    return f;
}

bool TMultPageDlg::FieldsRead(const TInfoFields& fields) {
    // Checked before anything is applied, so that a text that is not a number changes nothing
    // (not even the name typed beside it) and stays in its field to be corrected. So is a
    // name the net file could not carry (a synapse's name is not kept in the file).
    if (currentElement_ != nullptr && !IsBlank(fields.name) && !IsValidLabel(fields.name)) {
        host_->Prompter().Message(this, QString::fromLatin1(InvalidLabelText));
        return false;
    }
    std::vector<const std::string*> numbers{&fields.value};
    if (shownBox_ == properties_neuronio_ && fields.activation == "HeavisideStepFunction")
        numbers.push_back(&fields.teta);
    for (const std::string* text : numbers) {
        if (IsBlank(*text)) continue; // a blank field is skipped by Apply
        try {
            ReadTypedNumber(*text);
        } catch (const std::exception& error) {
            host_->Prompter().Message(this, QString::fromStdString(error.what()));
            return false;
        }
    }
    return true;
}

void TMultPageDlg::button_applyClick() {
    const TInfoFields fields = CollectFields();
    if ((currentSynapse_ != nullptr || currentElement_ != nullptr) && !FieldsRead(fields)) return;
    button_apply_->setEnabled(false);
    // Every field of one Apply is one undo command, made only when something changed.
    if (TSinapse* synapse = currentSynapse_) {
        TSynapseState before = TSynapseState::Of(*synapse);
        synapse->ApplyInfo(fields);
        TSynapseState after = TSynapseState::Of(*synapse);
        if (currentNode_ != nullptr) currentNode_->setText(0, Text(synapse->Name()));
        if (!(before == after))
            host_->RecordEdit(synapse->Source(), [&](TEditStack& stack) {
                return std::make_unique<TApplyCommand>(stack, synapse, std::move(before),
                                                       std::move(after));
            });
        host_->NetChanged(synapse->Source());
    } else if (currentElement_ != nullptr) {
        TProtoNeuronio* e = currentElement_;
        TElementState before = TElementState::Of(*e);
        {
            std::unique_ptr<TCanvas> canvas = host_->CanvasFor(e);
            e->ApplyInfo(fields, *canvas);
        }
        TElementState after = TElementState::Of(*e);
        if (currentNode_ != nullptr) currentNode_->setText(0, Text(e->Label()));
        if (shownBox_ == properties_output_ && fields.historyListEmpty) historyCleared_ = false;
        if (!(before == after))
            host_->RecordEdit(e, [&](TEditStack& stack) {
                return std::make_unique<TApplyCommand>(stack, e, std::move(before),
                                                       std::move(after));
            });
        host_->NetChanged(e);
    }
    FollowNet(true);
}

void TMultPageDlg::Button_ClearClick() {
    if (shownBox_ == properties_output_) {
        ListBoxLog_->clear();
        historyCleared_ = true;
    } else if (shownBox_ == properties_input_output_) {
        SetBoxText({});
    }
    FieldChanged();
}

void TMultPageDlg::button_closeClick() {
    close();
}

void TMultPageDlg::done(int result) {
    // The close box, Escape and the Close button all end here.
    FormClose();
    QDialog::done(result);
}

void TMultPageDlg::FormClose() {
    PutInView(nullptr);
    currentSynapse_ = nullptr;
    currentElement_ = nullptr;
    currentNode_ = nullptr;
    historyCleared_ = false;
    button_apply_->setEnabled(false);
    TabSet_->setCurrentIndex(0);
    TreeView_->clear();
    nodesOf_.clear();
    notices_.StopObservingAll(); // nothing shown, nothing to let go of
    list_module_inputs_outputs_->clear();
}

} // namespace veltra
