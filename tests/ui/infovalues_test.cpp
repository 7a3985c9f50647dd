// The Info dialog's numbers and histories: texts that are not numbers are refused with a
// message, the output page's Save and Load work on its history list, and the tree and the
// page follow the net as it steps.
#include "infotestsupport.h"
#include "model/inputs.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"
#include "ui/dialogs/longtextview.h"
#include "ui/dialogs/runbrowser.h"

namespace veltra {
namespace {

TFormRunBrowser& Browser(TMainForm& main) {
    return *qobject_cast<TFormRunBrowser*>(main.Windows().FormRunBrowser);
}

TEST_F(InfoTest, NumberFieldsThatDoNotReadAreNamedAndNothingChanges) {
    TProtoNeuronio* a = Add(TTool::Neuron, 100, 100);
    TProtoNeuronio* b = Add(TTool::Bias, 250, 100);
    Connect(b, a, "0.5");
    auto* neuron = static_cast<TNeuronio*>(a);
    neuron->SelectActivation("HeavisideStepFunction", "0.5");
    const struct {
        TProtoNeuronio* element; // null: the synapse b -> a
        const char* field;
        const char* text;
        const char* message;
    } cases[] = {
        {a, "edit_neuron_potencial", "1.5x", "'1.5x' is not a valid floating point value"},
        {a, "edit_neuron_potencial", "0.2.5", "'0.2.5' is not a valid floating point value"},
        {a, "edit_neuron_potencial", "-", "'-' is not a valid floating point value"},
        {a, "EditTeta", "0.7.", "'0.7.' is not a valid floating point value"},
        {b, "edit_pendor_value", "2.x", "'2.x' is not a valid floating point value"},
        {b, "edit_pendor_value", "1,5", "'1,5' is not a valid floating point value"},
        {nullptr, "edit_sinapse_value", "0.25y", "'0.25y' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Info().FormClose();
        ShowInfo(c.element != nullptr ? c.element : b);
        if (c.element == nullptr) Tree().setCurrentItem(Tree().topLevelItem(0)->child(0)->child(0));
        ToProperties();
        const char* nameField = c.element == a   ? "edit_neuron_name"
                                : c.element == b ? "edit_pendor_name"
                                                 : "edit_sinapse_name";
        Set(nameField, "Renamed");
        Set(c.field, c.text);
        prompter->messages.clear();
        Press("button_apply");
        EXPECT_EQ(prompter->messages, QStringList{c.message});
        // Nothing applied, not even the good name typed beside it; the text waits to be fixed.
        EXPECT_EQ(a->Label(), "0");
        EXPECT_EQ(b->Label(), "1");
        EXPECT_EQ(b->OutgoingSynapses().Item(0)->Name(), "1/0");
        EXPECT_EQ(a->ValueText(), "0");
        EXPECT_EQ(neuron->TetaText(), "0.5");
        EXPECT_EQ(b->ValueText(), "1");
        EXPECT_EQ(b->OutgoingSynapses().Item(0)->Weight().ToText(), "0.5");
        EXPECT_EQ(Text(c.field), c.text);
        EXPECT_TRUE(ApplyEnabled());
        EXPECT_TRUE(Info().isVisible());
    }
}

TEST_F(InfoTest, AWeightBoxTextThatIsNotANumberDrawsNoSynapse) {
    TProtoNeuronio* a = Add(TTool::Neuron, 100, 100);
    TProtoNeuronio* b = Add(TTool::Neuron, 250, 100);
    Connect(a, b, "0.7x");
    EXPECT_EQ(prompter->messages.back(), "'0.7x' is not a valid floating point value");
    EXPECT_TRUE(a->OutgoingSynapses().Empty());
    EXPECT_TRUE(b->IncomingSynapses().Empty());
    Connect(a, b, "0.7");
    ASSERT_EQ(a->OutgoingSynapses().Count(), 1);
    EXPECT_EQ(a->OutgoingSynapses().Item(0)->Weight().ToText(), "0.7");
}

// "." and "-." are zero in every typed number, as in a net file: the weight box and the
// Info dialog's number fields take them.
TEST_F(InfoTest, ALonePointIsZeroInTheWeightBoxAndTheNumberFields) {
    TProtoNeuronio* a = Add(TTool::Neuron, 100, 100);
    TProtoNeuronio* b = Add(TTool::Neuron, 250, 100);
    a->SetValue(TInfinito("0.5"));
    prompter->messages.clear();
    Connect(a, b, "-.");
    EXPECT_TRUE(prompter->messages.isEmpty()) << prompter->messages.join('|').toStdString();
    ASSERT_EQ(a->OutgoingSynapses().Count(), 1);
    EXPECT_TRUE(a->OutgoingSynapses().Item(0)->Weight().IsZero());
    static_cast<TNeuronio*>(a)->SelectActivation("HeavisideStepFunction", "0.5");
    ShowInfo(a);
    ToProperties();
    Set("edit_neuron_potencial", ".");
    Set("EditTeta", "-.");
    Press("button_apply");
    EXPECT_TRUE(prompter->messages.isEmpty()) << prompter->messages.join('|').toStdString();
    EXPECT_EQ(a->ValueText(), "0");
    EXPECT_TRUE(TInfinito(static_cast<TNeuronio*>(a)->TetaText()).IsZero());
    EXPECT_FALSE(ApplyEnabled());
}

TEST_F(InfoTest, OutputPageSavesAndLoadsItsHistoryList) {
    auto* input = static_cast<TInputs*>(Add(TTool::Input, 60, 100));
    TProtoNeuronio* n = Add(TTool::Neuron, 160, 100);
    auto* out = static_cast<TOutputs*>(Add(TTool::Output, 260, 100));
    Connect(input, n, "0.5");
    Connect(n, out, "1");
    input->SetSequence("101");
    for (int i = 0; i < 3; ++i)
        Child().Document().Step();
    // Text typed for the input and never applied must not leak into the output's file.
    ShowInfo(input);
    ToProperties();
    In<QPlainTextEdit>("Memo_input_output_binario")->setPlainText("0110");

    ShowInfo(out);
    const QString saved = dir.filePath("history.txt");
    prompter->fileAnswers.push_back(saved);
    Press("button_save");
    EXPECT_EQ(ReadFile(saved), QByteArray("0.5\r\n0\r\n0.5"));

    prompter->fileAnswers.push_back(WriteFile("other.txt", "1\n0.25\n"));
    Press("button_load");
    auto* log = In<QListWidget>("ListBoxLog");
    ASSERT_EQ(log->count(), 2);
    EXPECT_EQ(log->item(0)->text(), "1");
    EXPECT_EQ(log->item(1)->text(), "0.25");
    EXPECT_EQ(Box(), "0110"); // the input's box is left alone
    prompter->fileAnswers.push_back(saved);
    Press("button_save");
    EXPECT_EQ(ReadFile(saved), QByteArray("1\r\n0.25"));
}

TEST_F(InfoTest, TreeAndPageFollowStepsResetsAndApplies) {
    TProtoNeuronio* bias = Add(TTool::Bias, 60, 100);
    TProtoNeuronio* n = Add(TTool::Neuron, 200, 100);
    auto* out = static_cast<TOutputs*>(Add(TTool::Output, 320, 100));
    Connect(bias, n, "0.5");
    Connect(n, out, "1");
    ShowInfo(out);
    ShowInfo(n);
    QTreeWidgetItem* nNode = Tree().topLevelItem(1);
    auto potential = [](QTreeWidgetItem* node) {
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->text(0).startsWith("potential = ")) return node->child(i)->text(0);
        return QString();
    };
    Browser(*main).stepClick();
    EXPECT_EQ(potential(nNode), "potential = 0.5");
    EXPECT_EQ(potential(Tree().topLevelItem(0)), "potential = x");
    EXPECT_EQ(Text("edit_neuron_potencial"), "0.5");
    EXPECT_FALSE(ApplyEnabled()) << "values shown by the dialog are not the user's edits";

    // An edit not yet applied is kept; the tree still follows.
    ToProperties();
    Set("edit_neuron_potencial", "7");
    Browser(*main).ButtonResetClick();
    EXPECT_EQ(potential(nNode), "potential = 0");
    EXPECT_EQ(Text("edit_neuron_potencial"), "7");
    Press("button_apply");
    EXPECT_EQ(potential(nNode), "potential = 7");

    // The output page's history list grows with the log, and starts again after a reset.
    Tree().setCurrentItem(Tree().topLevelItem(0));
    Browser(*main).stepClick();
    Browser(*main).stepClick();
    auto* log = In<QListWidget>("ListBoxLog");
    ASSERT_EQ(log->count(), 2);
    EXPECT_EQ(log->item(0)->text(), "0.5"); // the neuron's 7 was replaced in the same step
    EXPECT_EQ(log->item(1)->text(), "0.5");
    Browser(*main).ButtonResetClick();
    EXPECT_EQ(log->count(), 0);
}

TEST_F(InfoTest, LongSequencesShowInRowsAndTravelWholeBetweenFileBoxAndInput) {
    auto* input = static_cast<TInputs*>(Add(TTool::Input, 60, 100));
    // A megabyte on one line, a break, and a short second line, with bytes that are not UTF-8.
    QByteArray bytes(1 << 20, '1');
    for (int i = 0; i < bytes.size(); i += 3)
        bytes[i] = '0';
    bytes.append("\r\n01\xe9\x80");
    const QString file = WriteFile("long.txt", bytes);
    ShowInfo(input);
    ToProperties();
    prompter->fileAnswers.push_back(file);
    Press("button_load");
    auto* view = In<TLongTextView>("Memo_input_output_long");
    EXPECT_TRUE(view->isVisibleTo(&Info()));
    EXPECT_FALSE(In<QPlainTextEdit>("Memo_input_output_binario")->isVisibleTo(&Info()));
    EXPECT_TRUE(ApplyEnabled()) << "loading is an edit";
    ASSERT_EQ(view->RowCount(), (1 << 20) / TLongTextView::RowChars + 1);
    EXPECT_EQ(view->RowText(0), QString::fromLatin1(bytes.left(TLongTextView::RowChars)));
    EXPECT_EQ(view->RowText(view->RowCount() - 1), QString::fromLatin1("01\xe9\x80"));

    // Saved back byte for byte, not through any text encoding.
    const QString copy = dir.filePath("copy.txt");
    prompter->fileAnswers.push_back(copy);
    Press("button_save");
    EXPECT_EQ(ReadFile(copy), bytes);

    // Apply refuses it (a line break), but takes the long first line alone.
    Press("button_apply");
    EXPECT_TRUE(input->Sequence().empty());
    prompter->fileAnswers.push_back(WriteFile("line.txt", bytes.left(1 << 20)));
    Press("button_load");
    Press("button_apply");
    EXPECT_EQ(input->Sequence().size(), std::size_t(1) << 20);
    EXPECT_EQ(input->Sequence().substr(0, 4), "0110");
    // A step consumes a symbol; the view follows without counting as an edit.
    Child().Document().Step();
    Info().FollowNet(true);
    EXPECT_EQ(view->Text().size(), (std::size_t(1) << 20) - 1);
    EXPECT_FALSE(ApplyEnabled());
    // Clear goes back to the edit box.
    Press("Button_Clear");
    EXPECT_FALSE(view->isVisibleTo(&Info()));
    EXPECT_TRUE(In<QPlainTextEdit>("Memo_input_output_binario")->isVisibleTo(&Info()));
    EXPECT_EQ(Box(), "");
}

TEST_F(InfoTest, TheDialogGrowsWithItsTreeListsAndFieldsAndShowsEveryActivationName) {
    auto* combo = In<QComboBox>("ComboBox_Neuron_Activacao");
    EXPECT_GE(combo->width(), combo->sizeHint().width()) << "HeavisideStepFunction fits";
    EXPECT_LE(In<QLineEdit>("EditTeta")->geometry().left(), combo->parentWidget()->width());
    EXPECT_GT(In<QLineEdit>("EditTeta")->geometry().left(), combo->geometry().right());

    auto* out = Add(TTool::Output, 260, 100);
    ShowInfo(out);
    const QSize tree = Tree().size();
    const QSize log = In<QListWidget>("ListBoxLog")->size();
    const int name = In<QLineEdit>("edit_output_name")->width();
    const int applyRight =
        Info().width() - In<QPushButton>("button_apply")->mapTo(&Info(), QPoint(0, 0)).x();
    Info().resize(Info().width() + 150, Info().height() + 120);
    EXPECT_EQ(Tree().size(), tree + QSize(150, 120));
    EXPECT_EQ(In<QListWidget>("ListBoxLog")->size(), log + QSize(150, 120));
    EXPECT_EQ(In<QLineEdit>("edit_output_name")->width(), name + 150);
    EXPECT_EQ(Info().width() - In<QPushButton>("button_apply")->mapTo(&Info(), QPoint(0, 0)).x(),
              applyRight);
    // The coordinates stay below the grown list, inside the page.
    auto* x = In<QLineEdit>("edit_output_x");
    const QRect page = Info().ShownGroupBox()->rect();
    EXPECT_TRUE(page.contains(QRect(x->mapTo(Info().ShownGroupBox(), QPoint(0, 0)), x->size())));
    EXPECT_GT(x->mapTo(Info().ShownGroupBox(), QPoint(0, 0)).y(),
              In<QListWidget>("ListBoxLog")->mapTo(Info().ShownGroupBox(), QPoint(0, 0)).y() +
                  In<QListWidget>("ListBoxLog")->height());
}

} // namespace
} // namespace veltra
