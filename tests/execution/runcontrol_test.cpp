#include "execution/runcontrol.h"
#include "model/dados.h"
#include "model/interaction.h"

#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace veltra {
namespace {

std::unique_ptr<TDados> LoadNet(const std::string& path) {
    auto document = std::make_unique<TDados>();
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    EXPECT_EQ(document->Load(in), "") << path;
    return document;
}

std::string Data(const std::string& name) {
    return std::string(VELTRA_TEST_DATA) + "/" + name;
}
std::string Example(const std::string& name) {
    return std::string(VELTRA_EXAMPLES) + "/" + name;
}

// "caption=value" of every row, joined by "|".
std::string RowsText(const TRunControl& control) {
    std::string text;
    for (const TWatchRow& row : control.Rows()) {
        if (!text.empty()) text += "|";
        text += row.caption + "=" + row.value;
    }
    return text;
}

struct Fixture {
    explicit Fixture(const std::string& path) : document(LoadNet(path)) {}
    TSilentInteraction ui;
    std::unique_ptr<TDados> document;
    TDados* active = document.get();
    TRunControl control{ui, [this] { return active; }};
};

TEST(RunControl, StopBeforeAStepLetsItRunStopOrAnErrorDuringItEndTheRun) {
    Fixture f(Data("run/bias_loop.net")); // never finishes
    int calls = 0;
    int stopAtCall = 0;
    int throwAtCall = 0;
    f.control.SetStepRunner([&](TDados& document, const std::atomic<bool>& cancel) {
        if (++calls == stopAtCall) f.control.Stop(); // pressed while this step computes
        if (calls == throwAtCall) throw std::overflow_error("too long");
        if (cancel) return false;
        document.Step();
        return true;
    });
    int passes = 0;
    f.control.SetPassHook([&] {
        if (++passes == 2) f.control.Stop(); // pressed between two steps
    });
    f.control.Run();
    EXPECT_EQ(f.control.StepCount(), 2);

    passes = -100;
    stopAtCall = calls + 2;
    f.control.Run();
    EXPECT_EQ(f.control.StepCount(), 3) << "the second step of this run was abandoned";
    EXPECT_FALSE(f.control.Running());
    EXPECT_FALSE(f.control.Computing());
    stopAtCall = calls + 1;
    EXPECT_TRUE(f.control.Step());
    EXPECT_EQ(f.control.StepCount(), 3);

    throwAtCall = calls + 2;
    EXPECT_THROW(f.control.Run(), std::overflow_error);
    EXPECT_EQ(f.control.StepCount(), 4);
    EXPECT_FALSE(f.control.Running()) << "the run ends with the error";
    EXPECT_FALSE(f.control.StopEnabled());
}

TEST(RunControl, WorkedExampleRunsFourStepsWithTheRowsOfEachStep) {
    Fixture f(Example("worked.net"));
    std::vector<std::string> seen;
    f.control.SetRefreshHook([&] { seen.push_back(RowsText(f.control)); });
    f.control.Run();
    EXPECT_EQ(f.control.StepCount(), 4);
    const std::vector<std::string> expected{"In=110|N=0|Out=0", "In=10|N=1|Out=01",
                                            "In=0|N=1|Out=011", "In=|N=0|Out=0110"};
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(f.control.Running());
    EXPECT_FALSE(f.control.StopEnabled());
    // The images tell the kinds apart; the bias is never listed.
    ASSERT_EQ(f.control.Rows().size(), 3u);
    EXPECT_EQ(f.control.Rows()[0].image, TRowImage::Input);
    EXPECT_EQ(f.control.Rows()[1].image, TRowImage::Neuron);
    EXPECT_EQ(f.control.Rows()[2].image, TRowImage::Output);

    // Step on a finished net still steps it; Reset clears neurons and outputs only.
    EXPECT_TRUE(f.control.Step());
    EXPECT_EQ(RowsText(f.control), "In=|N=0|Out=01100");
    f.control.Reset();
    EXPECT_EQ(RowsText(f.control), "In=|N=0|Out=");
}

TEST(RunControl, StopTestBeforeFirstStepAndAfterEach) {
    Fixture f(Data("run/input11.net"));
    f.control.Run();
    EXPECT_EQ(f.control.StepCount(), 3) << "the third step drains the neuron back to 0";

    // Now everything is finished: Run steps nothing and leaves Stop disabled.
    int passes = 0;
    f.control.SetPassHook([&] { ++passes; });
    f.control.Run();
    EXPECT_EQ(passes, 0);
    EXPECT_EQ(f.control.StepCount(), 3);
    EXPECT_FALSE(f.control.StopEnabled());
}

TEST(RunControl, StopLetsExactlyOneMoreStepHappen) {
    Fixture f(Data("run/bias_loop.net"));
    int passes = 0;
    f.control.SetPassHook([&] {
        if (++passes == 5) f.control.Stop();
    });
    f.control.Run();
    EXPECT_EQ(passes, 5);
    EXPECT_EQ(f.control.StepCount(), 5);
    EXPECT_FALSE(f.control.Running());
    EXPECT_EQ(RowsText(f.control), "N=1");
}

TEST(RunControl, OneStopEndsANestedRunAfterTheOuterPass) {
    Fixture f(Data("run/bias_loop.net"));
    int passes = 0;
    f.control.SetPassHook([&] {
        ++passes;
        if (passes == 1) f.control.Run(); // Run pressed again during the run
        if (passes == 3) f.control.Stop();
    });
    f.control.Run();
    // Inner run: passes 2 and 3 step; then the outer pass 1 finishes its step.
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(f.control.StepCount(), 3);
    EXPECT_FALSE(f.control.Running());
}

TEST(RunControl, ClosingTheRunningWindowEndsTheRunWithoutSteppingIt) {
    Fixture f(Data("run/bias_loop.net"));
    int passes = 0;
    f.control.SetPassHook([&] {
        if (++passes == 3) {
            // The window closes while the run lets events through: forget, then free.
            f.control.Forget(f.document.get());
            f.active = nullptr;
            f.document.reset();
        }
    });
    f.control.Run();
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(f.control.StepCount(), 2);
    EXPECT_FALSE(f.control.Running());
    EXPECT_FALSE(f.control.StopEnabled());
    EXPECT_TRUE(f.control.Rows().empty());
}

TEST(RunControl, RunKeepsSteppingItsOwnNetWhenAnotherWindowBecomesActive) {
    Fixture f(Data("run/bias_loop.net"));
    auto other = LoadNet(Example("worked.net"));
    int passes = 0;
    f.control.SetPassHook([&] {
        if (++passes == 2) f.active = other.get();
        if (passes == 4) f.control.Stop();
    });
    f.control.Run();
    EXPECT_EQ(f.control.StepCount(), 4);
    // The rows show the now active window, which was never stepped.
    EXPECT_EQ(RowsText(f.control), "In=0110|N=0|Out=");
}

TEST(RunControl, WithoutAWindowNothingIsSteppedAndTheMessageShows) {
    TSilentInteraction ui;
    TRunControl control(ui, [] { return static_cast<TDados*>(nullptr); });
    EXPECT_FALSE(control.Step());
    control.Run();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0], "You need a net window open to do this.");
    EXPECT_EQ(ui.messages[1], "You need a net window open to do this.");
    EXPECT_TRUE(control.StopEnabled()) << "Run enables Stop before it looks for a window";
    control.Stop();
    EXPECT_FALSE(control.StopEnabled());
    control.Reset();
    control.Remove(0);
    EXPECT_TRUE(control.AddOffer().empty());
    EXPECT_EQ(control.StepCount(), 0);
}

TEST(RunControl, RemAndAddFollowTheWatchFlags) {
    Fixture f(Example("module_delay.net"));
    f.control.Refresh();
    // Modules and their inner elements are never listed.
    EXPECT_EQ(RowsText(f.control), "In=1101|Echo=0|Out=");
    EXPECT_TRUE(f.control.AddOffer().empty());

    f.control.Remove(1);
    EXPECT_EQ(RowsText(f.control), "In=1101|Out=");
    const auto offer = f.control.AddOffer();
    ASSERT_EQ(offer.size(), 1u);
    EXPECT_EQ(offer[0]->Label(), "Echo");
    EXPECT_FALSE(offer[0]->Watched());

    f.control.Remove(-1); // nothing selected
    f.control.Remove(7);  // no such row
    EXPECT_EQ(RowsText(f.control), "In=1101|Out=");

    EXPECT_FALSE(f.control.AcceptAdd(offer, -1));
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0], "Please select the IO");
    EXPECT_TRUE(f.control.AcceptAdd(offer, 0));
    EXPECT_EQ(RowsText(f.control), "In=1101|Echo=0|Out=");
}

TEST(RunControl, RemWithRowsOfAnotherWindowLeavesThatWindowsFlagsAlone) {
    Fixture f(Example("worked.net"));
    auto other = LoadNet(Example("stack.net"));
    f.control.Refresh(); // rows of worked.net
    f.active = other.get();
    f.control.Remove(0);
    for (const auto& element : other->Elements())
        EXPECT_TRUE(element->Watched()) << element->Label();
    for (const auto& element : f.document->Elements())
        EXPECT_TRUE(element->Watched()) << element->Label();
    // The rows now show the active window.
    EXPECT_EQ(f.control.Rows().front().caption, "B");
}

} // namespace
} // namespace veltra
