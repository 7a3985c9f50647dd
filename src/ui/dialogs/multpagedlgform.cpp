// The Info dialog's form: the button panel on the right, the two-page notebook with its
// tab set along the bottom, and the six property group boxes of the "Properties" page.
#include "ui/dialogs/imagelist.h"
#include "ui/dialogs/loglist.h"
#include "ui/dialogs/longfield.h"
#include "ui/dialogs/longtextview.h"
#include "ui/dialogs/multpagedlg.h"
#include "ui/formbutton.h"
#include "ui/numbertip.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTreeWidget>
#include <algorithm>

namespace veltra {

namespace {

constexpr int PageWidth = 266;
constexpr int PageHeight = 213;
constexpr int BoxWidth = 258;
constexpr int BoxHeight = 200;
constexpr int InnerWidth = BoxWidth - 16;
constexpr QSize DesignedSize(351, 237);

void Caption(QWidget* parent, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
}

QGroupBox* Group(QWidget* parent, const QString& caption, int y, int height) {
    auto* group = new QGroupBox(caption, parent);
    group->setGeometry(8, y, InnerWidth, height);
    return group;
}

} // namespace

void TMultPageDlg::BuildForm() {
    setObjectName(QStringLiteral("MultPageDlg"));
    setWindowTitle(QStringLiteral("Info Menu"));
    QFont bold = font();
    bold.setPixelSize(11);
    bold.setBold(true);
    setFont(bold);
    // Designed at this size; it can be made larger, the tree, lists and fields growing with it.
    setMinimumSize(DesignedSize);
    resize(DesignedSize);
    BuildButtons();

    info_browser_ = new QStackedWidget(this);
    info_browser_->setObjectName(QStringLiteral("info_browser"));
    info_browser_->setGeometry(0, 0, PageWidth, PageHeight);

    auto* browserPage = new QWidget;
    browserPage->setObjectName(QStringLiteral("Net Browser"));
    auto* browserBox = new QGroupBox(QStringLiteral("Net browser"), browserPage);
    browserBox->setGeometry(4, 4, BoxWidth, PageHeight - 8);
    TreeView_ = new QTreeWidget(browserBox);
    TreeView_->setObjectName(QStringLiteral("TreeView"));
    TreeView_->setGeometry(8, 18, InnerWidth, PageHeight - 34);
    TreeView_->setHeaderHidden(true);
    TreeView_->setIndentation(19);
    TreeView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView_->setIconSize(QSize(16, 16));
    info_browser_->addWidget(browserPage);

    propertiesPage_ = new QWidget;
    propertiesPage_->setObjectName(QStringLiteral("Properties"));
    info_browser_->addWidget(propertiesPage_);
    BuildPages();

    TabSet_ = new QTabBar(this);
    TabSet_->setObjectName(QStringLiteral("TabSet"));
    TabSet_->setShape(QTabBar::RoundedSouth);
    TabSet_->setDrawBase(true);
    TabSet_->setGeometry(0, PageHeight, PageWidth, height() - PageHeight);
    // The tabs are the notebook's page names.
    for (int i = 0; i < info_browser_->count(); ++i)
        TabSet_->addTab(info_browser_->widget(i)->objectName());
    info_browser_->setCurrentWidget(propertiesPage_);
    TabSet_->setCurrentIndex(info_browser_->currentIndex());

    anchors_.Add(info_browser_, TAnchors::Width | TAnchors::Height);
    anchors_.Add(browserBox, TAnchors::Width | TAnchors::Height);
    anchors_.Add(TreeView_, TAnchors::Width | TAnchors::Height);
    anchors_.Add(TabSet_, TAnchors::Bottom | TAnchors::Width);
}

void TMultPageDlg::resizeEvent(QResizeEvent* event) {
    anchors_.Apply(size() - DesignedSize);
    QDialog::resizeEvent(event);
}

void TMultPageDlg::BuildButtons() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("ButtonPanel"));
    panel->setGeometry(width() - 85, 0, 85, height());
    anchors_.Add(panel, TAnchors::Right | TAnchors::Height);
    auto button = [panel](const char* name, const QString& caption, int y) {
        return FormButton(panel, name, caption, {2, y, 81, 25});
    };
    button_apply_ = button("button_apply", QStringLiteral("&Apply"), 8);
    button_close_ = button("button_close", QStringLiteral("&Close"), 38);
    Button_Clear_ = button("Button_Clear", QStringLiteral("Clear"), 68);
    button_load_ = button("button_load", QStringLiteral("&Load"), 98);
    button_load_module_ = button("button_load_module", QStringLiteral("Load Module"), 98);
    button_save_ = button("button_save", QStringLiteral("&Save"), 128);
    button_load_from_window_ = button("button_load_from_window", QStringLiteral("&Window"), 128);
    button_apply_->setEnabled(false);
    SetButtons(false, false);
}

QGroupBox* TMultPageDlg::PropertyBox(QWidget* page, const char* name, const QString& caption) {
    auto* box = new QGroupBox(caption, page);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(4, OutOfViewTop, BoxWidth, BoxHeight);
    box->setVisible(false);
    anchors_.Add(box, TAnchors::Width | TAnchors::Height); // moved in and out of view by top
    return box;
}

QLineEdit* TMultPageDlg::Field(QWidget* box, const char* name, const QString& label, int y,
                               int width) {
    Caption(box, label, 8, y + 3);
    auto* edit = new QLineEdit(box);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(BoxWidth - 8 - width, y, width, 20);
    anchors_.Add(edit, TAnchors::Width);
    connect(edit, &QLineEdit::textChanged, this, [this] { FieldChanged(); });
    return edit;
}

void TMultPageDlg::Coordinates(QWidget* box, int y, QLineEdit*& x, QLineEdit*& yEdit,
                               const char* xName, const char* yName) {
    QGroupBox* group = Group(box, QStringLiteral("Coordinates"), y, 46);
    // Below a list that grows with the height, the coordinates follow the bottom.
    anchors_.Add(group, y > 120 ? TAnchors::Bottom | TAnchors::Width : TAnchors::Width);
    auto edit = [this, group](const char* name, const QString& label, int left) {
        Caption(group, label, left, 21);
        auto* e = new QLineEdit(group);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(left + 18, 18, 80, 20);
        connect(e, &QLineEdit::textChanged, this, [this] { FieldChanged(); });
        return e;
    };
    x = edit(xName, QStringLiteral("X:"), 8);
    yEdit = edit(yName, QStringLiteral("Y:"), 124);
}

void TMultPageDlg::BuildPages() {
    BuildNeuronBox(propertiesPage_);
    BuildPendorBox(propertiesPage_);
    BuildInputBox(propertiesPage_);
    BuildOutputBox(propertiesPage_);
    BuildSinapseBox(propertiesPage_);
    BuildModuleBox(propertiesPage_);
    potentialField_ = new TLongField(edit_neuron_potencial_);
    tetaField_ = new TLongField(EditTeta_);
    biasField_ = new TLongField(edit_pendor_value_);
    weightField_ = new TLongField(edit_sinapse_value_);
}

void TMultPageDlg::BuildNeuronBox(QWidget* page) {
    QGroupBox* box = properties_neuronio_ = PropertyBox(page, "properties_neuronio", "Neuron");
    edit_neuron_name_ = Field(box, "edit_neuron_name", QStringLiteral("Name"), 18);
    edit_neuron_potencial_ = Field(box, "edit_neuron_potencial", QStringLiteral("Potential"), 42);
    QGroupBox* activation = Group(box, QStringLiteral("Activation"), 68, 46);
    anchors_.Add(activation, TAnchors::Width);
    ComboBox_Neuron_Activacao_ = new QComboBox(activation);
    ComboBox_Neuron_Activacao_->setObjectName(QStringLiteral("ComboBox_Neuron_Activacao"));
    ComboBox_Neuron_Activacao_->addItems(
        {QStringLiteral("Saturated_Linear"), QStringLiteral("HeavisideStepFunction")});
    // Wide enough for the longest name in this font and style; the threshold takes the rest.
    const int comboWidth = std::max(150, ComboBox_Neuron_Activacao_->sizeHint().width());
    ComboBox_Neuron_Activacao_->setGeometry(8, 18, comboWidth, 20);
    ComboBox_Neuron_Activacao_->setCurrentIndex(-1);
    // Only the user's choice runs the handler, as a drop-down list's change event does.
    connect(ComboBox_Neuron_Activacao_, &QComboBox::activated, this,
            [this] { Guard([this] { ComboBox_Neuron_ActivacaoChange(); }); });
    EditTeta_ = new QLineEdit(activation);
    EditTeta_->setObjectName(QStringLiteral("EditTeta"));
    EditTeta_->setGeometry(comboWidth + 14, 18, std::max(40, InnerWidth - comboWidth - 22), 20);
    anchors_.Add(EditTeta_, TAnchors::Width);
    connect(EditTeta_, &QLineEdit::textChanged, this, [this] { FieldChanged(); });
    Coordinates(box, 120, edit_neuron_x_, edit_neuron_y_, "edit_neuron_x", "edit_neuron_y");
}

void TMultPageDlg::BuildPendorBox(QWidget* page) {
    QGroupBox* box = properties_pendor_ = PropertyBox(page, "properties_pendor", "Bias");
    edit_pendor_name_ = Field(box, "edit_pendor_name", QStringLiteral("Name"), 18);
    edit_pendor_value_ = Field(box, "edit_pendor_value", QStringLiteral("Value"), 42);
    Coordinates(box, 68, edit_pendor_x_, edit_pendor_y_, "edit_pendor_x", "edit_pendor_y");
}

void TMultPageDlg::BuildInputBox(QWidget* page) {
    QGroupBox* box = properties_input_output_ =
        PropertyBox(page, "properties_input_output", "Input/Output");
    edit_input_output_name_ = Field(box, "edit_input_output_name", QStringLiteral("Name"), 18);
    Edit18_ = Field(box, "Edit18", QStringLiteral("Size:"), 42, 60);
    QGroupBox* binary = Group(box, QStringLiteral("Binary"), 64, 82);
    anchors_.Add(binary, TAnchors::Width | TAnchors::Height);
    Memo_input_output_binario_ = new QPlainTextEdit(binary);
    Memo_input_output_binario_->setObjectName(QStringLiteral("Memo_input_output_binario"));
    Memo_input_output_binario_->setGeometry(8, 18, InnerWidth - 16, 56);
    anchors_.Add(Memo_input_output_binario_, TAnchors::Width | TAnchors::Height);
    longSequence_ = new TLongTextView(binary);
    longSequence_->setObjectName(QStringLiteral("Memo_input_output_long"));
    longSequence_->setGeometry(Memo_input_output_binario_->geometry());
    longSequence_->hide();
    anchors_.Add(longSequence_, TAnchors::Width | TAnchors::Height);
    connect(Memo_input_output_binario_, &QPlainTextEdit::textChanged, this,
            [this] { FieldChanged(); });
    Coordinates(box, 148, edit_input_output_x_, edit_input_output_y_, "edit_input_output_x",
                "edit_input_output_y");
}

void TMultPageDlg::BuildOutputBox(QWidget* page) {
    QGroupBox* box = properties_output_ = PropertyBox(page, "properties_output", "Output");
    edit_output_name_ = Field(box, "edit_output_name", QStringLiteral("Name"), 18);
    edit_output_size_ = Field(box, "edit_output_size", QStringLiteral("Size:"), 42, 60);
    QGroupBox* history = Group(box, QStringLiteral("History"), 64, 82);
    anchors_.Add(history, TAnchors::Width | TAnchors::Height);
    ListBoxLog_ = new TLogList(history);
    ListBoxLog_->setObjectName(QStringLiteral("ListBoxLog"));
    ListBoxLog_->setGeometry(8, 18, InnerWidth - 16, 56);
    anchors_.Add(ListBoxLog_, TAnchors::Width | TAnchors::Height);
    Coordinates(box, 148, edit_output_x_, edit_output_y_, "edit_output_x", "edit_output_y");
}

void TMultPageDlg::BuildSinapseBox(QWidget* page) {
    QGroupBox* box = properties_sinapse_ = PropertyBox(page, "properties_sinapse", "Synapse");
    edit_sinapse_name_ = Field(box, "edit_sinapse_name", QStringLiteral("Name"), 18);
    edit_sinapse_value_ = Field(box, "edit_sinapse_value", QStringLiteral("Value"), 42);
    QGroupBox* ends = Group(box, QStringLiteral("Sum/Dendrite"), 68, 70);
    anchors_.Add(ends, TAnchors::Width);
    auto end = [this, ends](const char* name, const QString& label, int y) {
        Caption(ends, label, 8, y + 3);
        auto* e = new QLineEdit(ends);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(56, y, InnerWidth - 64, 20);
        anchors_.Add(e, TAnchors::Width);
        connect(e, &QLineEdit::textChanged, this, [this] { FieldChanged(); });
        return e;
    };
    edit_sinapse_from_ = end("edit_sinapse_from", QStringLiteral("From:"), 18);
    edit_sinapse_to_ = end("edit_sinapse_to", QStringLiteral("To:"), 42);
}

void TMultPageDlg::BuildModuleBox(QWidget* page) {
    QGroupBox* box = properties_module_ = PropertyBox(page, "properties_module", "Module");
    edit_module_name_ = Field(box, "edit_module_name", QStringLiteral("Name"), 18);
    QGroupBox* io = Group(box, QStringLiteral("Inputs/Outputs"), 42, 82);
    anchors_.Add(io, TAnchors::Width | TAnchors::Height);
    list_module_inputs_outputs_ = new QListWidget(io);
    list_module_inputs_outputs_->setObjectName(QStringLiteral("list_module_inputs_outputs"));
    list_module_inputs_outputs_->setGeometry(8, 18, InnerWidth - 16, 56);
    anchors_.Add(list_module_inputs_outputs_, TAnchors::Width | TAnchors::Height);
    list_module_inputs_outputs_->setUniformItemSizes(true);
    list_module_inputs_outputs_->setItemDelegate(
        new TElementItemDelegate(list_module_inputs_outputs_));
    check_module_show_expanded_ = new QCheckBox(QStringLiteral("Show expanded module"), box);
    check_module_show_expanded_->setObjectName(QStringLiteral("check_module_show_expanded"));
    check_module_show_expanded_->setGeometry(8, 126, InnerWidth, 18);
    check_module_show_expanded_->setEnabled(false);
    anchors_.Add(check_module_show_expanded_, TAnchors::Bottom);
    Coordinates(box, 148, edit_module_x_, edit_module_y_, "edit_module_x", "edit_module_y");
}

void TMultPageDlg::SetButtons(bool sequence, bool module) {
    button_load_->setVisible(sequence);
    button_save_->setVisible(sequence);
    Button_Clear_->setVisible(sequence);
    button_load_module_->setVisible(module);
    button_load_from_window_->setVisible(module);
}

} // namespace veltra
