// The Info dialog "Info Menu": a net browser tree of the elements shown so far and a
// property page for one element or synapse at a time. Edits wait in the fields until
// Apply hands them to the element's (or synapse's) ApplyInfo. A stay-on-top tool window,
// not modal. It never acts on an element, synapse or window that no longer exists.
#pragma once

#include "ui/anchors.h"
#include "ui/dialogs/infohost.h"
#include "ui/netsignals.h"

#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace veltra {

class TDados;
class TLogList;
class TLongField;
class TLongTextView;
class TValueLog;
class TProtoNeuronio;
class TSinapse;
struct TInfoFields;
struct TLiveObjects;

class TMultPageDlg final : public QDialog {
    Q_OBJECT
public:
    explicit TMultPageDlg(std::unique_ptr<TInfoHost> host, QWidget* parent = nullptr);
    ~TMultPageDlg() override;

    // Shows the element in the tree: its node is selected when it already has a top-level
    // branch, otherwise its branch is added after the others.
    void ShowNetBrowser(TProtoNeuronio* element, TDados& document);
    bool ElementShowing(const TProtoNeuronio* element);

    // --- handlers --------------------------------------------------------------------------
    void TabSetClick(int index);
    void TreeViewChange(QTreeWidgetItem* node);
    void button_applyClick();
    void button_closeClick();
    void FormClose();
    void Button_ClearClick();
    void button_load_moduleClick();
    void button_load_from_windowClick();
    void button_loadClick();
    void button_saveClick();
    void ComboBox_Neuron_ActivacaoChange();
    // The enabling rule: a change while the "Properties" page is in front enables Apply.
    void FieldChanged();

    // The net was stepped, reset or edited: the tree's "potential = " texts and the open page
    // show the current values (a page with edits not yet applied keeps them). Unless `now`,
    // at most once per frame, the last values a frame later.
    void FollowNet(bool now);

    // --- bookkeeping of dead objects ---------------------------------------------------------
    // Drops every node and loaded object that no open window holds any more. `erased` is
    // about to be released; `closing` is a drawing window about to go with its net.
    void Revalidate(const TProtoNeuronio* erased = nullptr, const QObject* closing = nullptr);

    TProtoNeuronio* CurrentElement() const { return currentElement_; }
    TSinapse* CurrentSynapse() const { return currentSynapse_; }
    QTreeWidgetItem* CurrentNode() const { return currentNode_; }
    QGroupBox* ShownGroupBox() const { return shownBox_; }
    TInfoHost& Host() { return *host_; }

    // Group boxes are put in view at this top and taken out of view at the other.
    static constexpr int InViewTop = 8;
    static constexpr int OutOfViewTop = 508;

protected:
    void done(int result) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class TPage { Neuron, Bias, Input, Output, Synapse, Module };

    void BuildForm();
    void BuildButtons();
    void BuildPages();
    void BuildNeuronBox(QWidget* page);
    void BuildPendorBox(QWidget* page);
    void BuildInputBox(QWidget* page);
    void BuildOutputBox(QWidget* page);
    void BuildSinapseBox(QWidget* page);
    void BuildModuleBox(QWidget* page);
    QGroupBox* PropertyBox(QWidget* page, const char* name, const QString& caption);
    QLineEdit* Field(QWidget* box, const char* name, const QString& label, int y, int width = 176);
    void Coordinates(QWidget* box, int y, QLineEdit*& x, QLineEdit*& yEdit, const char* xName,
                     const char* yName);

    void ShowPage(TPage page);
    void PutInView(QGroupBox* box);
    void SetButtons(bool sequence, bool module);
    void LoadElement(TProtoNeuronio* element, int imageIndex);
    void LoadSynapse(TSinapse* synapse);
    void FillModuleList();
    void ThresholdRule(const QString& activation);
    TInfoFields CollectFields() const;
    // False, after a message naming the text, when a number field does not read as a number.
    bool FieldsRead(const TInfoFields& fields);
    // The sequence box's text as the bytes of a sequence file, CR LF between its lines. A text
    // longer than an edit box handles is shown by a read-only view of it instead.
    std::string BoxText() const;
    // `edit`: the change counts as the user's (the enabling rule), as loading a file does.
    void SetBoxText(std::string text, bool edit = true);
    // The lines of a sequence file's text as the history list's entries (an edit).
    void SetHistoryText(std::string_view text);
    void SelectNode(QTreeWidgetItem* node);
    void ShowCurrentValues();
    // Adds the log's entries from `from` on to the history list.
    void AppendHistory(const TValueLog& log, std::size_t from);
    // Deletes the nodes for which `dead` holds; `shown` is cleared when it goes with them.
    void Prune(QTreeWidgetItem* node, const std::function<bool(QTreeWidgetItem*)>& dead,
               QTreeWidgetItem*& shown);
    void PruneTree(const std::function<bool(QTreeWidgetItem*)>& dead);
    // Deletes the node and its branch; the page's node and `shown` are cleared if in it.
    void DropNode(QTreeWidgetItem* node, QTreeWidgetItem*& shown);
    // The nodes of an object, found without walking the tree: a hub's erase tells of every
    // one of its synapses.
    void IndexBranch(QTreeWidgetItem* node);
    void UnindexBranch(QTreeWidgetItem* node);
    void PruneObject(const void* object);
    // The page shows nothing any more.
    void ClearPage();
    // An element or synapse leaves a net the tree shows: the tree and the page let go of it
    // and of everything that goes with it.
    void ElementLeaving(const TProtoNeuronio* element);
    void SynapseLeaving(const TSinapse* synapse);
    bool Shown(const TProtoLista& list) const; // the net of a drawing window
    void ForgetInside(const TProtoLista& list);
    // Subscribes to the nets of the open windows (but `closing`'s), and to nothing else.
    void ObserveOpenNets(const QObject* closing);

    // Runs a handler so that no exception reaches the event loop.
    void Guard(const std::function<void()>& body);

    std::unique_ptr<TInfoHost> host_;
    TNetSignals notices_; // of every net with an element in the tree
    std::unordered_multimap<const void*, QTreeWidgetItem*> nodesOf_;
    TAnchors anchors_;

    QStackedWidget* info_browser_ = nullptr;
    QTabBar* TabSet_ = nullptr;
    QTreeWidget* TreeView_ = nullptr;
    QWidget* propertiesPage_ = nullptr;
    QPushButton* button_apply_ = nullptr;
    QPushButton* button_close_ = nullptr;
    QPushButton* Button_Clear_ = nullptr;
    QPushButton* button_load_ = nullptr;
    QPushButton* button_load_module_ = nullptr;
    QPushButton* button_save_ = nullptr;
    QPushButton* button_load_from_window_ = nullptr;

    QGroupBox* properties_neuronio_ = nullptr;
    QLineEdit* edit_neuron_name_ = nullptr;
    QLineEdit* edit_neuron_potencial_ = nullptr;
    QComboBox* ComboBox_Neuron_Activacao_ = nullptr;
    QLineEdit* EditTeta_ = nullptr;
    QLineEdit* edit_neuron_x_ = nullptr;
    QLineEdit* edit_neuron_y_ = nullptr;

    QGroupBox* properties_pendor_ = nullptr;
    QLineEdit* edit_pendor_name_ = nullptr;
    QLineEdit* edit_pendor_value_ = nullptr;
    QLineEdit* edit_pendor_x_ = nullptr;
    QLineEdit* edit_pendor_y_ = nullptr;

    QGroupBox* properties_input_output_ = nullptr;
    QLineEdit* edit_input_output_name_ = nullptr;
    QLineEdit* Edit18_ = nullptr;
    QPlainTextEdit* Memo_input_output_binario_ = nullptr;
    TLongTextView* longSequence_ = nullptr; // in the box's place while its text is long
    QLineEdit* edit_input_output_x_ = nullptr;
    QLineEdit* edit_input_output_y_ = nullptr;

    QGroupBox* properties_output_ = nullptr;
    QLineEdit* edit_output_name_ = nullptr;
    QLineEdit* edit_output_size_ = nullptr;
    TLogList* ListBoxLog_ = nullptr;
    QLineEdit* edit_output_x_ = nullptr;
    QLineEdit* edit_output_y_ = nullptr;

    QGroupBox* properties_sinapse_ = nullptr;
    QLineEdit* edit_sinapse_name_ = nullptr;
    QLineEdit* edit_sinapse_value_ = nullptr;
    QLineEdit* edit_sinapse_from_ = nullptr;
    QLineEdit* edit_sinapse_to_ = nullptr;
    // The number boxes above, which show a value too long to edit shortened.
    TLongField* potentialField_ = nullptr;
    TLongField* tetaField_ = nullptr;
    TLongField* biasField_ = nullptr;
    TLongField* weightField_ = nullptr;

    QGroupBox* properties_module_ = nullptr;
    QLineEdit* edit_module_name_ = nullptr;
    QListWidget* list_module_inputs_outputs_ = nullptr;
    QCheckBox* check_module_show_expanded_ = nullptr;
    QLineEdit* edit_module_x_ = nullptr;
    QLineEdit* edit_module_y_ = nullptr;

    // Dialog state.
    QGroupBox* shownBox_ = nullptr;
    TProtoNeuronio* currentElement_ = nullptr;
    TSinapse* currentSynapse_ = nullptr;
    QTreeWidgetItem* currentNode_ = nullptr;
    // "Clear" pressed on the output page since the output was loaded: only then does
    // Apply clear its history (an output read from a file has a history but no log).
    bool historyCleared_ = false;
    QElapsedTimer followClock_; // since the values were last shown
    bool followPending_ = false;
};

} // namespace veltra
