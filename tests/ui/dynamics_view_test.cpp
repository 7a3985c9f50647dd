#include "model/protoneuronio.h"
#include "runbrowser_fixture.h"
#include "ui/dialogs/dynamicform.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

namespace veltra::runview_test {
namespace {

const QStringList EquationsNetLines{
    "Neuron[3] (+)= SIG( 0.5 x N[2] + 2 x N[3]   +   1 x In[1]   +   -1 x B[4] )",
    "Neuron[lone] (+)= SIG(  )",
    "Neuron[5] (+)= SIG( -1 x N[2] + 0 x N[2]   +   3 x Out[O]   +   0.25 x B[4] )",
};

class DynamicsViewTest : public RunViewTest {
protected:
    void SetUp() override {
        RunViewTest::SetUp();
        ASSERT_TRUE(scratchDir.isValid());
        previousDir = QDir::currentPath();
        QDir::setCurrent(scratchDir.path()); // the printout's scratch file goes here
    }
    void TearDown() override {
        QDir::setCurrent(previousDir);
        RunViewTest::TearDown();
    }
    Tdynamicform& View() { return *Find<Tdynamicform>("dynamicform"); }
    QString ScratchText() {
        QFile file(scratchDir.filePath("t.aux"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }
    // Answers the print dialog by choosing a PDF file.
    void PrintToPdf(const QString& path) {
        prompter->answers.push_back([path](QDialog& dialog) {
            QPrinter* printer = static_cast<QPrintDialog&>(dialog).printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(path);
            return static_cast<int>(QDialog::Accepted);
        });
    }

    QTemporaryDir scratchDir;
    QString previousDir;
};

TEST_F(DynamicsViewTest, ShowCommandsRebuildTheEquationsOfTheActiveNet) {
    EXPECT_EQ(View().Lines(), QStringList{"DYNAMICS"}) << "the initial text";
    TMDIChild& child = Open(DataPath("run/equations.net"));
    Find<QAction>("Dynamic1")->trigger();
    EXPECT_TRUE(View().isVisible());
    EXPECT_EQ(View().windowTitle(), "Current Dynamic System");
    EXPECT_EQ(View().Lines(), EquationsNetLines);

    // Later edits are not followed until the next show command; the button never stays down.
    child.Document().Elements().Item(1)->SetLabel("two");
    EXPECT_EQ(View().Lines(), EquationsNetLines);
    auto* button = Find<QToolButton>("dynamic_bt");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(View().Lines()[0],
              "Neuron[3] (+)= SIG( 0.5 x N[two] + 2 x N[3]   +   1 x In[1]   +   "
              "-1 x B[4] )");

    // The first window has an empty net: an empty view and no message.
    QMdiSubWindow* first = qobject_cast<QMdiSubWindow*>(main->ChildAt(0)->parentWidget());
    first->mdiArea()->setActiveSubWindow(first);
    Find<QAction>("Dynamic1")->trigger();
    EXPECT_TRUE(View().Lines().isEmpty());
    EXPECT_TRUE(prompter->messages.isEmpty());
}

TEST_F(DynamicsViewTest, NoWindowOpenLeavesTheViewEmptyAndPrintsNothing) {
    Open(DataPath("run/equations.net"));
    Find<QAction>("Dynamic1")->trigger();
    CloseAllWindows();
    Find<QAction>("Dynamic1")->trigger();
    EXPECT_TRUE(View().Lines().isEmpty());
    EXPECT_EQ(prompter->messages, QStringList{"No mdi child open, man!"});

    Find<QAction>("PrintDynamics1")->trigger();
    EXPECT_EQ(prompter->messages.size(), 2);
    EXPECT_TRUE(prompter->dialogs.isEmpty()) << "no print dialog without a net";
    EXPECT_FALSE(QFile::exists(scratchDir.filePath("t.aux")));
}

TEST_F(DynamicsViewTest, PrintoutCutsLongLinesAndKeepsTheScratchFile) {
    TMDIChild& child = Open(ExamplePath("worked.net"));
    // Give the neuron a label that makes its equation exactly 300 characters long.
    const std::string frame = "Neuron[] (+)= SIG( 1 x In[In]   +   -0.5 x B[B] )";
    child.Document().Elements().Item(2)->SetLabel(std::string(300 - frame.size(), 'L'));

    const std::optional<QStringList> text = View().PreparePrintout();
    ASSERT_TRUE(text.has_value());
    ASSERT_EQ(text->size(), 6);
    EXPECT_EQ((*text)[0], "DYNAMICS");
    EXPECT_EQ((*text)[1], child.Caption());
    EXPECT_EQ((*text)[2], "");
    EXPECT_EQ((*text)[3].size(), 131);
    EXPECT_EQ((*text)[4].size(), 131);
    EXPECT_EQ((*text)[5].size(), 38);
    EXPECT_EQ((*text)[3] + (*text)[4] + (*text)[5], View().Lines()[0]);
    EXPECT_EQ(View().Lines()[0].size(), 300) << "the view keeps the line whole";
    EXPECT_EQ(ScratchText(), View().Lines()[0] + "\n");
    EXPECT_FALSE(View().isVisible()) << "printing does not show the view";
}

TEST_F(DynamicsViewTest, PrintsToAPdfFileThroughThePrintDialog) {
    TMDIChild& child = Open(DataPath("run/equations.net"));
    const QString pdf = scratchDir.filePath("dynamics.pdf");
    PrintToPdf(pdf);
    QTest::mouseClick(Find<QToolButton>("dyn_print"), Qt::LeftButton);
    EXPECT_EQ(prompter->dialogs.size(), 1);
    EXPECT_TRUE(prompter->messages.isEmpty()) << prompter->messages.join(", ").toStdString();
    EXPECT_EQ(ScratchText(), EquationsNetLines.join("\n") + "\n");
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");

    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QProcess process;
    process.start(pdftotext, {pdf, "-"});
    ASSERT_TRUE(process.waitForFinished(30000));
    // Compare without white space: the printer may break lines where the page ends.
    auto squeeze = [](QString s) { return s.remove(QRegularExpression("\\s")); };
    const QString printed = squeeze(QString::fromUtf8(process.readAllStandardOutput()));
    const QString expected =
        squeeze("DYNAMICS" + child.Caption() + EquationsNetLines.join(QString()));
    EXPECT_EQ(printed.toStdString(), expected.toStdString());
}

TEST_F(DynamicsViewTest, CancelledPrintDialogPrintsNothing) {
    Open(DataPath("run/equations.net"));
    Find<QAction>("PrintDynamics1")->trigger(); // no scripted answer: the dialog is cancelled
    EXPECT_EQ(prompter->dialogs.size(), 1);
    EXPECT_TRUE(QFile::exists(scratchDir.filePath("t.aux")));
}

TEST_F(DynamicsViewTest, ScratchFileFailureShowsItsMessageAndPrintsNothing) {
    Open(DataPath("run/equations.net"));
    ASSERT_TRUE(QDir(scratchDir.path()).mkdir("t.aux")); // a folder cannot be written as a file
    PrintToPdf(scratchDir.filePath("never.pdf"));
    Find<QAction>("PrintDynamics1")->trigger();
    ASSERT_EQ(prompter->messages.size(), 1);
    EXPECT_TRUE(prompter->messages[0].startsWith("Cannot write \"t.aux\""))
        << prompter->messages[0].toStdString();
    EXPECT_TRUE(prompter->dialogs.isEmpty());
    EXPECT_FALSE(QFile::exists(scratchDir.filePath("never.pdf")));
}

} // namespace
} // namespace veltra::runview_test
