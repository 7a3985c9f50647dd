// Modules built in the editor: a module file loaded into a module, synapses drawn into
// and out of it through Select IO, run against the same neurons wired directly, saved and
// loaded again; the Info dialog's "Load Module" and "&Window"; sequence files through the
// sequence box's buttons.
#include "infotestsupport.h"
#include "model/inputs.h"
#include "model/outputs.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace veltra {
namespace {

using ModuleEditorTest = InfoTest;

TProtoNeuronio* Labelled(const TProtoLista& list, const std::string& label) {
    for (const auto& e : list)
        if (e->Label() == label) return e.get();
    return nullptr;
}

struct Trace {
    std::vector<std::string> a, b, out;
    void Record(const TProtoNeuronio* na, const TProtoNeuronio* nb, const TOutputs* o) {
        a.push_back(na->ValueText());
        b.push_back(nb->ValueText());
        out.push_back(o->History());
    }
};

TEST_F(ModuleEditorTest, AModuleDrawnInTheEditorRunsLikeItsNeuronsWiredDirectly) {
    auto* in = static_cast<TInputs*>(Add(TTool::Input, 40, 60));
    TProtoNeuronio* m = Add(TTool::Module, 160, 60);
    auto* out = static_cast<TOutputs*>(Add(TTool::Output, 280, 60));
    LoadModule(m, WriteFile("two.net", TwoNeuronModule()));
    ASSERT_EQ(static_cast<TModule*>(m)->InnerNet().Count(), 2);
    auto* in2 = static_cast<TInputs*>(Add(TTool::Input, 40, 200));
    TProtoNeuronio* a2 = Add(TTool::Neuron, 120, 200);
    TProtoNeuronio* b2 = Add(TTool::Neuron, 200, 260);
    auto* out2 = static_cast<TOutputs*>(Add(TTool::Output, 280, 200));
    Connect(in2, a2, "0.75");
    Connect(a2, b2, "0.5");
    Connect(b2, a2, "0.25");
    Connect(b2, out2, "1");

    AnswerSelectIO(0);
    Connect(in, m, "0.75");
    AnswerSelectIO(1);
    Connect(m, out, "3");
    ASSERT_EQ(offered.size(), 2);
    EXPECT_EQ(offered[0], (QStringList{"A", "B"}));
    EXPECT_EQ(offered[1], (QStringList{"A", "B"}));
    EXPECT_TRUE(prompter->messages.contains("Input escolhido:A"));
    EXPECT_TRUE(prompter->messages.contains("Neuronio escolhido:B"));
    TProtoNeuronio* a = static_cast<TModule*>(m)->InnerNet().Item(0);
    TProtoNeuronio* b = static_cast<TModule*>(m)->InnerNet().Item(1);
    ASSERT_EQ(in->OutgoingSynapses().Count(), 2); // the hidden one and the one drawn
    EXPECT_FALSE(in->OutgoingSynapses().Item(0)->Visible());
    EXPECT_EQ(in->OutgoingSynapses().Item(0)->Destination(), a);
    EXPECT_EQ(in->OutgoingSynapses().Item(0)->Weight().ToText(), "0.75");

    in->SetSequence("1101001");
    in2->SetSequence("1101001");
    const std::string saved = Path("built.net");
    prompter->fileAnswers.push_back(QString::fromStdString(saved));
    main->FileSaveAsItemClick();

    // Both nets share the window, so each step moves them both.
    Trace modular;
    Trace direct;
    for (int step = 0; step < 9; ++step) {
        Child().Document().Step();
        modular.Record(a, b, out);
        direct.Record(a2, b2, out2);
    }
    EXPECT_EQ(modular.a, direct.a);
    EXPECT_EQ(modular.b, direct.b);
    EXPECT_EQ(modular.out, direct.out);
    EXPECT_EQ(modular.out.back().size(), 9u);
    EXPECT_NE(modular.b[3], "0"); // the values did travel

    // Saved and read back, the net runs the same way again.
    ASSERT_TRUE(main->OpenNetFile(QString::fromStdString(saved)));
    TProtoLista& list = Child().Document().Elements();
    auto* m3 = dynamic_cast<TModule*>(Labelled(list, "1"));
    ASSERT_NE(m3, nullptr);
    Trace reloaded;
    Trace reloadedDirect;
    for (int step = 0; step < 9; ++step) {
        Child().Document().Step();
        reloaded.Record(Labelled(m3->InnerNet(), "A"), Labelled(m3->InnerNet(), "B"),
                        static_cast<TOutputs*>(Labelled(list, "2")));
        reloadedDirect.Record(Labelled(list, "4"), Labelled(list, "5"),
                              static_cast<TOutputs*>(Labelled(list, "6")));
    }
    EXPECT_EQ(reloaded.a, modular.a);
    EXPECT_EQ(reloaded.b, modular.b);
    EXPECT_EQ(reloaded.out, modular.out);
    EXPECT_EQ(reloadedDirect.out, direct.out);
}

TEST_F(ModuleEditorTest, CancellingOrAnEmptyModuleMakesNoSynapseAtAll) {
    TProtoNeuronio* n = Add(TTool::Neuron, 60, 60);
    TProtoNeuronio* m = Add(TTool::Module, 200, 60);
    // An empty module offers nothing: OK asks again until the user cancels.
    prompter->dialogAnswers.push_back([](QDialog& d) {
        d.findChild<QPushButton*>("OKBtn")->click();
        d.findChild<QPushButton*>("OKBtn")->click();
        d.findChild<QPushButton*>("CancelBtn")->click();
    });
    Connect(n, m, "1");
    EXPECT_EQ(prompter->messages, (QStringList{"Please select the IO", "Please select the IO"}));
    EXPECT_TRUE(n->OutgoingSynapses().Empty());
    EXPECT_TRUE(m->IncomingSynapses().Empty());

    LoadModule(m, WriteFile("two.net", TwoNeuronModule()));
    AnswerSelectIO(-1);
    Connect(m, n, "1");
    EXPECT_TRUE(m->OutgoingSynapses().Empty());
    EXPECT_TRUE(n->IncomingSynapses().Empty());
    for (const auto& inner : static_cast<TModule*>(m)->InnerNet())
        EXPECT_TRUE(inner->OutgoingSynapses().Count() == 1) << inner->Label(); // only A<->B
}

TEST_F(ModuleEditorTest, LoadModuleButtonReadsAFileAndReportsAFaultyOne) {
    TProtoNeuronio* m = Add(TTool::Module, 100, 100);
    ShowInfo(m);
    EXPECT_EQ(In<QListWidget>("list_module_inputs_outputs")->count(), 0);
    prompter->fileAnswers.push_back(WriteFile("two.net", TwoNeuronModule()));
    Press("button_load_module");
    ASSERT_EQ(prompter->openRequests.size(), 1);
    EXPECT_EQ(prompter->openRequests[0].title, "OPEN MODULE STORAGE FILE");
    EXPECT_EQ(static_cast<TModule*>(m)->InnerNet().Count(), 2);
    EXPECT_EQ(In<QListWidget>("list_module_inputs_outputs")->count(), 2);
    EXPECT_TRUE(prompter->messages.isEmpty());

    // A branch of an inner element of the net about to be replaced goes with it.
    Info().ShowNetBrowser(static_cast<TModule*>(m)->InnerNet().Item(0), Child().Document());
    ASSERT_EQ(Tree().topLevelItemCount(), 2);
    Tree().setCurrentItem(Tree().topLevelItem(0));
    ASSERT_EQ(Info().CurrentElement(), m);

    // A damaged second element: the first stays, the reader's text is shown.
    QByteArray damaged = TwoNeuronModule();
    damaged.replace("Etiqueta:B", "Etiquette:B");
    prompter->fileAnswers.push_back(WriteFile("bad.net", damaged));
    Press("button_load_module");
    ASSERT_EQ(prompter->messages.size(), 1);
    EXPECT_FALSE(prompter->messages[0].isEmpty());
    EXPECT_EQ(static_cast<TModule*>(m)->InnerNet().Count(), 1);
    EXPECT_EQ(In<QListWidget>("list_module_inputs_outputs")->count(), 1);
    EXPECT_EQ(Tree().topLevelItemCount(), 1);
}

TEST_F(ModuleEditorTest, WindowButtonSharesAWindowsNetButNeverOneHoldingTheModule) {
    TMDIChild& first = Child();
    TProtoNeuronio* m = Add(TTool::Module, 100, 100);
    main->FileNewItemClick();
    TMDIChild& second = Child();
    Add(TTool::Neuron, 60, 60);
    Add(TTool::Input, 160, 60);
    main->findChild<QMdiArea*>()->setActiveSubWindow(
        qobject_cast<QMdiSubWindow*>(first.parentWidget()));
    ShowInfo(m);

    QStringList listed;
    auto pick = [&listed](const QString& caption) {
        return [&listed, caption](QDialog& d) {
            auto* list = d.findChild<QListWidget*>("listbox_mdi_windows");
            listed.clear();
            for (int i = 0; i < list->count(); ++i)
                listed << list->item(i)->text();
            list->setCurrentRow(static_cast<int>(listed.indexOf(caption)));
            d.findChild<QPushButton*>("OKBtn")->click();
        };
    };
    prompter->dialogAnswers.push_back(pick("NONAME2"));
    Press("button_load_from_window");
    EXPECT_EQ(listed, (QStringList{"NONAME2", "NONAME1"})); // last child first
    EXPECT_EQ(prompter->messages, QStringList{"Janela escolhida:NONAME2"});
    EXPECT_EQ(static_cast<TModule*>(m)->SharedInnerNet(), second.Document().Net().SharedElements());
    EXPECT_EQ(In<QListWidget>("list_module_inputs_outputs")->count(), 2);

    // The module's own window would make it contain itself.
    prompter->messages.clear();
    prompter->dialogAnswers.push_back(pick("NONAME1"));
    Press("button_load_from_window");
    ASSERT_EQ(prompter->messages.size(), 2);
    EXPECT_EQ(prompter->messages[1], ModuleCycleText);
    EXPECT_EQ(static_cast<TModule*>(m)->SharedInnerNet(), second.Document().Net().SharedElements());

    // So would a window holding it deeper down: a module there whose inside is NONAME1.
    main->FileNewItemClick();
    TMDIChild& third = Child();
    auto* holder = static_cast<TModule*>(Add(TTool::Module, 100, 100));
    ASSERT_TRUE(holder->SetInnerNet(first.Document().Net().SharedElements(), main->Interaction()));
    prompter->messages.clear();
    prompter->dialogAnswers.push_back(pick("NONAME3"));
    Press("button_load_from_window");
    EXPECT_EQ(prompter->messages.back(), ModuleCycleText);
    EXPECT_EQ(static_cast<TModule*>(m)->SharedInnerNet(), second.Document().Net().SharedElements());
    (void)third;

    // Cancel changes nothing.
    prompter->dialogAnswers.push_back(
        [](QDialog& d) { d.findChild<QPushButton*>("CancelBtn")->click(); });
    prompter->messages.clear();
    Press("button_load_from_window");
    EXPECT_TRUE(prompter->messages.isEmpty());
}

TEST_F(ModuleEditorTest, SequenceFilesGoThroughTheBoxByteForByte) {
    auto* input = static_cast<TInputs*>(Add(TTool::Input, 60, 60));
    auto* other = static_cast<TInputs*>(Add(TTool::Input, 160, 60));
    input->SetSequence("0110");
    ShowInfo(input);
    const QString saved = dir.filePath("seq.txt");
    prompter->fileAnswers.push_back(saved);
    Press("button_save");
    ASSERT_EQ(prompter->saveRequests.size(), 1);
    EXPECT_EQ(prompter->saveRequests[0].defaultSuffix, "txt");
    EXPECT_EQ(ReadFile(saved), "0110");

    ShowInfo(other);
    ToProperties();
    prompter->fileAnswers.push_back(saved);
    Press("button_load");
    EXPECT_EQ(Box(), "0110");
    EXPECT_TRUE(ApplyEnabled());
    Press("button_apply");
    EXPECT_EQ(other->Sequence(), "0110");

    // A trailing line break is shown but refused by Apply.
    prompter->fileAnswers.push_back(WriteFile("nl.txt", "1001\n"));
    Press("button_load");
    EXPECT_EQ(Box(), "1001\n");
    Press("button_apply");
    EXPECT_EQ(other->Sequence(), "0110");

    // LF line breaks come back as CR LF pairs.
    prompter->fileAnswers.push_back(WriteFile("lf.txt", "01\n10"));
    Press("button_load");
    prompter->fileAnswers.push_back(dir.filePath("crlf.txt"));
    Press("button_save");
    EXPECT_EQ(ReadFile(dir.filePath("crlf.txt")), "01\r\n10");

    // Cancelling either dialog leaves the box alone; empty files and boxes round trip.
    Press("button_load");
    Press("button_save");
    EXPECT_EQ(Box(), "01\n10");
    prompter->fileAnswers.push_back(WriteFile("empty.txt", ""));
    Press("button_load");
    EXPECT_TRUE(Box().isEmpty());
    Press("button_apply");
    EXPECT_EQ(other->Sequence(), "");
    prompter->fileAnswers.push_back(dir.filePath("out.txt"));
    Press("button_save");
    EXPECT_EQ(ReadFile(dir.filePath("out.txt")), "");
    EXPECT_TRUE(prompter->messages.isEmpty());

    // Files that cannot be read or made are named in the message.
    const QString missing = dir.filePath("missing.txt");
    prompter->fileAnswers.push_back(missing);
    Press("button_load");
    const QString nowhere = dir.filePath("no/such/dir/x.txt");
    prompter->fileAnswers.push_back(nowhere);
    Press("button_save");
    EXPECT_EQ(prompter->messages,
              (QStringList{"Cannot open file " + missing, "Cannot create file " + nowhere}));
}

TEST_F(ModuleEditorTest, SequenceFilesThatAreNotTextComeBackByteForByte) {
    auto* input = static_cast<TInputs*>(Add(TTool::Input, 60, 60));
    ShowInfo(input);
    ToProperties();
    std::string every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    struct Case {
        const char* what;
        std::string bytes;
        std::string saved; // what comes back: only lone CR and LF become CR LF
    } cases[] = {
        {"a byte that is no UTF-8",
         std::string("01\xE9"
                     "01"),
         std::string("01\xE9"
                     "01")},
        {"every byte", every,
         every.substr(0, 10) + "\r\n" + every.substr(11, 2) + "\r\n" + every.substr(14)},
        {"UTF-8 text", "\xC3\xA9\xE2\x82\xAC", "\xC3\xA9\xE2\x82\xAC"},
        // Characters a text box would not give back as they are: no-break space, line
        // separator, a private-use character, a truncated sequence.
        {"awkward UTF-8", "\xC2\xA0|\xE2\x80\xA8|\xEF\x9E\x80|\xE2\x82",
         "\xC2\xA0|\xE2\x80\xA8|\xEF\x9E\x80|\xE2\x82"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter->fileAnswers.push_back(WriteFile("in.txt", QByteArray::fromStdString(c.bytes)));
        Press("button_load");
        const QString out = dir.filePath("out.txt");
        prompter->fileAnswers.push_back(out);
        Press("button_save");
        EXPECT_EQ(ReadFile(out), QByteArray::fromStdString(c.saved));
    }
    EXPECT_TRUE(prompter->messages.isEmpty());
}

} // namespace
} // namespace veltra
