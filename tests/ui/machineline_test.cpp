// The Execution Browser's line for a Turing machine's net: where the machine stands, read from
// the net's values as veltra-cli run --machine reads it, kept when the halted net falls silent,
// and no line at all for other nets.
#include "runbrowser_fixture.h"
#include "ui/dialogs/machineline.h"
#include "ui/dialogs/runbrowser.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

namespace veltra::runview_test {
namespace {

class MachineLineTest : public RunViewTest {
protected:
    TFormRunBrowser& Browser() { return *Find<TFormRunBrowser>("FormRunBrowser"); }
    TMachineLine& Line() { return *Find<TMachineLine>("MachineLine"); }
    void Press(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
};

TEST_F(MachineLineTest, FollowsTheMachineToItsHaltAndKeepsTheLastLine) {
    Open(ExamplePath("worked.net"));
    Find<QAction>("Execution1")->trigger();
    ASSERT_TRUE(Browser().isVisible());
    EXPECT_TRUE(Line().isHidden()) << "a net that runs no Turing machine";
    const int fullHeight = Browser().RunView().height();

    TMDIChild& beaver = Open(ExamplePath("machines/bb4.net"));
    Browser().Refresh();
    ASSERT_FALSE(Line().isHidden());
    EXPECT_EQ(Line().Line(), "machine: steps=0 halted=no state=A nonblank=0 head=0 tape=");
    EXPECT_LT(Browser().RunView().geometry().bottom(), Line().geometry().top());
    EXPECT_EQ(Browser().RunView().height(), fullHeight - Line().height() - 2);

    Press("step");
    // Midway through the first step: where it leads, A writing 1 and moving right.
    EXPECT_EQ(Line().Line(), "machine: steps=1 halted=no state=B nonblank=1 head=1 tape=1");
    Press("step");
    Press("step");
    Press("step");
    EXPECT_EQ(Line().Line(), "machine: steps=2 halted=no state=A nonblank=2 head=0 tape=11");

    Press("ButtonRun");
    EXPECT_TRUE(beaver.Document().AllFinished());
    EXPECT_EQ(Line().Line(),
              "machine: steps=107 halted=yes state=Z nonblank=13 head=1 tape=10111111111111");
    EXPECT_TRUE(Line().text().startsWith("machine: steps=107"));

    // Another window's net has no line, and the list takes its room back.
    Open(ExamplePath("worked.net"));
    Browser().Refresh();
    EXPECT_TRUE(Line().isHidden());
    EXPECT_EQ(Browser().RunView().height(), fullHeight);
}

} // namespace
} // namespace veltra::runview_test
