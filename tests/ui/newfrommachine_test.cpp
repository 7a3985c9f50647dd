// File -> New from Machine...: the item builds the machine's net for the typed word in a new
// drawing window, and that net runs (Run in the Execution Browser) to the machine's decision.
#include "appfixture.h"
#include "execution/runcontrol.h"
#include "machine/machine.h"
#include "machine/machinenet.h"
#include "machine/turingnet.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>

namespace veltra {
namespace {

class NewFromMachineTest : public AppTest {
protected:
    // Triggers the menu item with the scripted answers; the active window afterwards.
    TMDIChild* Trigger(const QString& file, const std::optional<QString>& word) {
        prompter->fileAnswers.push_back(file);
        if (word) prompter->textAnswers.push_back(*word);
        QAction* item = main->findChild<QAction*>(QStringLiteral("FileNewFromMachineItem"));
        EXPECT_NE(item, nullptr);
        EXPECT_EQ(item->text(), QStringLiteral("New from Machine..."));
        item->trigger();
        QApplication::processEvents();
        return main->ActiveChild();
    }
    static QString Gallery(const char* name) {
        return QStringLiteral(VELTRA_EXAMPLES "/machines/%1.json").arg(QLatin1String(name));
    }
};

TEST_F(NewFromMachineTest, OpensANetThatRunsToTheMachinesDecision) {
    TMachine machine;
    std::string error;
    QFile file(Gallery("palindrome"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ASSERT_TRUE(machine.Read(file.readAll().toStdString(), error)) << error;

    for (const QString& word : {QStringLiteral("abcba"), QStringLiteral("abcab")}) {
        SCOPED_TRACE(word.toStdString());
        const int before = main->ChildCount();
        TMDIChild* child = Trigger(Gallery("palindrome"), word);
        ASSERT_EQ(main->ChildCount(), before + 1);
        EXPECT_EQ(prompter->openRequests.back().filter,
                  QStringLiteral("Machine descriptions (*.json *.tm)"));
        EXPECT_EQ(prompter->textQuestions.back(),
                  QStringLiteral("Word over abc (empty for the empty word):"));
        EXPECT_EQ(child->Caption(), QStringLiteral("palindrome [%1]").arg(word));
        // Run as the Execution Browser does, on the window that is active.
        TRunControl control(main->Interaction(), [child] { return &child->Document(); });
        control.Run();
        EXPECT_TRUE(child->Document().AllFinished());
        std::vector<int> symbols;
        ASSERT_TRUE(machine.WordSymbols(word.toStdString(), symbols, error));
        EXPECT_EQ(NetAccepted(child->Document()), machine.Accepts(symbols));
    }
    EXPECT_TRUE(prompter->messages.isEmpty());
}

TEST_F(NewFromMachineTest, RefusalsOpenNoWindow) {
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.json"));
    QFile out(bad);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(R"({"alphabet": ["a"], "states": ["q"], "start": "p", "accept": [], "stacks": 1,
                  "transitions": []})");
    out.close();
    const int before = main->ChildCount();
    Trigger(bad, std::nullopt); // refused before the word is asked
    Trigger(Gallery("brackets"), QStringLiteral("(a)"));
    Trigger(Gallery("brackets"), std::nullopt); // the word is cancelled
    Trigger(QString(), std::nullopt);           // the file dialog is cancelled
    EXPECT_EQ(main->ChildCount(), before);
    EXPECT_EQ(
        prompter->messages,
        (QStringList{QStringLiteral("bad.json: start: unknown state 'p'"),
                     QStringLiteral("word, character 2: 'a' is not a symbol of the alphabet")}));
}

// A Turing machine, in the notation or in JSON, takes a tape instead of a word.
TEST_F(NewFromMachineTest, TuringMachinesTakeATapeAndRunToTheirHalt) {
    const QString beaver = QStringLiteral(VELTRA_EXAMPLES "/machines/bb2.tm");
    TMDIChild* child = Trigger(beaver, QStringLiteral("11"));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(prompter->textQuestions.back(),
              QStringLiteral("Tape over 01, the head on its first cell (empty for a blank tape):"));
    EXPECT_EQ(child->Caption(), QStringLiteral("bb2 [11]"));
    TTuringWatch watch;
    std::string error;
    ASSERT_TRUE(watch.Attach(child->Document().Elements(), error)) << error;
    TRunControl control(main->Interaction(), [child] { return &child->Document(); });
    control.SetRefreshHook([&] { watch.Observe(); });
    control.Run();
    EXPECT_TRUE(child->Document().AllFinished());
    TTuringView view;
    ASSERT_TRUE(watch.Current(view, error)) << error;
    // On 11 the two-state beaver turns left at once and halts after four steps.
    EXPECT_EQ(view.Line(), "machine: steps=4 halted=yes state=Z nonblank=4 head=2 tape=1111");

    const int before = main->ChildCount();
    Trigger(beaver, QStringLiteral("102"));
    Trigger(QStringLiteral(VELTRA_EXAMPLES "/machines/minsky.json"), std::nullopt);
    EXPECT_EQ(main->ChildCount(), before);
    EXPECT_EQ(prompter->messages,
              (QStringList{QStringLiteral("tape, character 3: '2' is not a symbol of the machine "
                                          "(01)")}));
    EXPECT_EQ(prompter->textQuestions.back(),
              QStringLiteral("Tape over 01yA, the head on its first cell (empty for a blank "
                             "tape):"));
}

} // namespace
} // namespace veltra
