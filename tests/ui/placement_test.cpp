// Where tool windows open: the search for a clear place against a brute-force scan of every
// place, and the windows themselves in the running application.
#include "appfixture.h"
#include "ui/placement.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QScreen>
#include <random>

namespace veltra {
namespace {

long long Overlap(const QRect& frame, const std::vector<QRect>& avoid) {
    long long sum = 0;
    for (const QRect& r : avoid) {
        const QRect both = frame.intersected(r);
        if (!both.isEmpty()) sum += static_cast<long long>(both.width()) * both.height();
    }
    return sum;
}

// The least overlap any place on the screen has, by trying every one.
long long LeastOverlap(QSize size, const QRect& screen, const std::vector<QRect>& avoid) {
    long long least = -1;
    for (int y = screen.top(); y + size.height() <= screen.bottom() + 1; ++y)
        for (int x = screen.left(); x + size.width() <= screen.right() + 1; ++x) {
            const long long o = Overlap(QRect(QPoint(x, y), size), avoid);
            if (least < 0 || o < least) least = o;
            if (least == 0) return 0;
        }
    return least;
}

TEST(ClearPlace, FindsAPlaceClearOfEveryRectangleWheneverTheScreenHasOne) {
    std::mt19937 random(26);
    std::uniform_int_distribution<int> coordinate(-20, 140), extent(5, 70), count(0, 5);
    const QRect screen(0, 0, 120, 90);
    int clear = 0;
    for (int round = 0; round < 400; ++round) {
        std::vector<QRect> avoid;
        for (int i = count(random); i > 0; --i)
            avoid.emplace_back(coordinate(random), coordinate(random), extent(random),
                               extent(random));
        const QSize size(extent(random), extent(random) % 60 + 5);
        const QPoint preferred(coordinate(random), coordinate(random));
        const QPoint at = ClearPlace(size, screen, avoid, preferred);
        const QRect frame(at, size);
        ASSERT_TRUE(screen.contains(frame)) << round;
        const long long least = LeastOverlap(size, screen, avoid);
        if (least == 0) ++clear;
        EXPECT_EQ(Overlap(frame, avoid), least) << round;
    }
    EXPECT_GT(clear, 100); // most rounds had room: the clear case is what is tested
}

TEST(ClearPlace, KeepsThePreferredPlaceWhenItIsClearAndTakesTheTopLeftWhenTooLarge) {
    const QRect screen(0, 0, 800, 600);
    EXPECT_EQ(ClearPlace({100, 100}, screen, {QRect(0, 0, 200, 200)}, {400, 300}),
              QPoint(400, 300));
    EXPECT_EQ(ClearPlace({900, 100}, screen, {}, {50, 50}), QPoint(0, 0));
}

using PlacementTest = AppTest;

// The Execution Browser, the Info dialog and the Guide open fully on screen, off the active
// drawing and off each other, as far as the screen has room (judged by the scan above).
TEST_F(PlacementTest, ToolWindowsOpenOnScreenAndClearOfTheDrawingAndEachOther) {
    auto* sub = qobject_cast<QMdiSubWindow*>(Child().parentWidget());
    sub->resize(320, 240);
    QApplication::processEvents();
    const QRect screen = main->screen()->availableGeometry();
    std::vector<QRect> taken{QRect(sub->mapToGlobal(QPoint(0, 0)), sub->size())};
    const std::pair<const char*, const char*> opened[] = {{"Execution1", "FormRunBrowser"},
                                                          {"Info1", "MultPageDlg"},
                                                          {"HelpGuideItem", "GuideWindow"}};
    for (const auto& [item, name] : opened) {
        SCOPED_TRACE(name);
        Find<QAction>(item)->trigger();
        QApplication::processEvents();
        QWidget* window = Find<QWidget>(name);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(window->isVisible());
        const QRect frame = window->frameGeometry();
        EXPECT_TRUE(screen.contains(frame));
        // Where the screen has room for it (with a window manager's frame round it), it
        // covers nothing that was there.
        if (LeastOverlap(frame.size() + QSize(8, 32), screen, taken) == 0) {
            EXPECT_EQ(Overlap(frame, taken), 0);
        }
        taken.push_back(frame);
    }
}

} // namespace
} // namespace veltra
