// Under a real X server with a window manager (tests/ui/stacking.sh starts both): every modal
// question opens above every window of the application, the stay-on-top tool windows
// included, and a click at its centre reaches it. The window manager's own stacking order
// (_NET_CLIENT_LIST_STACKING, read with xprop) is the judge, and xdotool clicks as a user does.
// Without an X display the tests are skipped.
#include "model/protolista.h"
#include "ui/application.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/mainform.h"
#include "ui/mdichild.h"
#include "ui/toolbar.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace veltra {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "ui_stacking_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The client windows, bottom first, as the window manager stacks them.
std::vector<WId> Stacking() {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    xprop.waitForFinished(5000);
    const QString text = QString::fromLatin1(xprop.readAllStandardOutput());
    std::vector<WId> windows;
    const qsizetype hash = text.indexOf(QLatin1Char('#'));
    if (hash < 0) return windows;
    for (const QString& id : text.mid(hash + 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        windows.push_back(static_cast<WId>(id.trimmed().toULongLong(nullptr, 16)));
    return windows;
}

// Processes events until `done` holds or twenty seconds pass (a loaded machine is slow to
// map and stack windows); whether it held.
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 20000) return false;
        QTest::qWait(50);
    }
    return true;
}

// Counts the presses that reach a widget of one window.
class TPressWatch final : public QObject {
public:
    explicit TPressWatch(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    ~TPressWatch() override { qApp->removeEventFilter(this); }
    int presses = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_)
            ++presses;
        return false;
    }

private:
    QWidget* window_;
};

struct StackingTest : ::testing::Test {
    void SetUp() override {
        App();
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X display (tests/ui/stacking.sh)";
        main = CreateApplicationWindows();
        main->showMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        // Every stay-on-top tool window is up, over the middle of the screen where the
        // questions open.
        for (const char* item : {"Execution1", "Info1", "Draw1"})
            main->findChild<QAction*>(QString::fromLatin1(item))->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main->Windows().FormRunBrowser));
        QTest::qWait(300);
    }
    void TearDown() override {
        if (!main) return;
        for (int i = 0; i < main->ChildCount(); ++i)
            main->ChildAt(i)->SetModified(false);
        main.reset();
        QApplication::processEvents();
    }

    // That the window is the top-most client and that a click at its centre reaches it.
    static void CheckOnTop(const char* what, QWidget& window) {
        const WId id = window.winId();
        const bool top = WaitFor([&] {
            const std::vector<WId> order = Stacking();
            return !order.empty() && order.back() == id;
        });
        EXPECT_TRUE(top) << what << ": not the top-most window";
        TPressWatch watch(&window);
        const QPoint centre = window.frameGeometry().center();
        // From a corner, so that the pointer enters the window as a user's would.
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0"),
                           QStringLiteral("sleep"), QStringLiteral("0.2"),
                           QStringLiteral("mousemove"), QString::number(centre.x()),
                           QString::number(centre.y()), QStringLiteral("sleep"),
                           QStringLiteral("0.2"), QStringLiteral("click"), QStringLiteral("1")});
        const QWidget* under = QApplication::widgetAt(centre);
        EXPECT_TRUE(WaitFor([&] { return watch.presses > 0; }))
            << what << ": a click at its centre went elsewhere (Qt finds "
            << (under != nullptr ? under->metaObject()->className() : "nothing") << " in "
            << (under != nullptr ? under->window()->windowTitle().toStdString() : "") << ")";
    }

    // Runs `open`, which shows a modal window and waits in it, and checks that window while
    // it is up.
    void CheckModalOnTop(const char* what, const std::function<void()>& open,
                         const std::function<void(QWidget&)>& alsoCheck = {}) {
        bool checked = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = nullptr;
            const bool shown = WaitFor([&] {
                modal = QApplication::activeModalWidget();
                return modal != nullptr && modal->isVisible();
            });
            EXPECT_TRUE(shown) << what << ": no modal window";
            if (!shown) return;
            CheckOnTop(what, *modal);
            if (alsoCheck) alsoCheck(*modal);
            checked = true;
            // Closed as Escape would, whatever it is.
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        });
        open();
        EXPECT_TRUE(checked) << what;
    }

    void Trigger(const char* action) {
        main->findChild<QAction*>(QString::fromLatin1(action))->trigger();
    }

    std::unique_ptr<TMainForm> main;
};

TEST_F(StackingTest, EveryQuestionOpensAboveTheToolWindowsAndTakesAClick) {
    const struct {
        const char* what;
        std::function<void(TMainForm&)> open;
    } cases[] = {
        {"Save the changes?",
         [](TMainForm& m) {
             m.ActiveChild()->SetModified(true);
             m.findChild<QAction*>(QStringLiteral("FileCloseItem"))->trigger();
         }},
        {"Save As", [](TMainForm& m) { m.FileSaveAsItemClick(); }},
        {"Open", [](TMainForm& m) { m.LoadNet(); }},
        {"Export Image",
         [](TMainForm& m) {
             m.findChild<QAction*>(QStringLiteral("FileExportImageItem"))->trigger();
         }},
        {"Options",
         [](TMainForm& m) { m.findChild<QAction*>(QStringLiteral("Options1"))->trigger(); }},
        {"About",
         [](TMainForm& m) { m.findChild<QAction*>(QStringLiteral("HelpAboutItem"))->trigger(); }},
        {"a message",
         [](TMainForm& m) { m.Prompter().Message(&m, QStringLiteral("Nobody home...")); }},
        {"Erase?",
         [](TMainForm& m) {
             m.Toolbar().ChooseTool(TTool::Neuron);
             TMDIChild& child = *m.ActiveChild();
             child.EcraMouseDown(Qt::LeftButton, 100, 100);
             child.EcraMouseUp(100, 100);
             m.Toolbar().ChooseTool(TTool::Erase);
             child.EcraMouseDown(Qt::LeftButton, 100, 100);
         }},
        {"Add to the watched list",
         [](TMainForm& m) {
             qobject_cast<TFormRunBrowser*>(m.Windows().FormRunBrowser)->ButtonAddClick();
         }},
    };
    for (const auto& c : cases) {
        if (main->ChildCount() == 0) main->FileNewItemClick();
        CheckModalOnTop(c.what, [&] { c.open(*main); });
    }
}

// The Erase? box keeps its place: its top left corner at the element's.
TEST_F(StackingTest, TheEraseBoxOpensAtTheElement) {
    main->Toolbar().ChooseTool(TTool::Neuron);
    TMDIChild& child = *main->ActiveChild();
    child.EcraMouseDown(Qt::LeftButton, 150, 120);
    child.EcraMouseUp(150, 120);
    const TPoint at = child.Document().Elements().Item(0)->GetPosition();
    const QPoint expected = child.GlobalOf(at.x, at.y);
    main->Toolbar().ChooseTool(TTool::Erase);
    CheckModalOnTop(
        "Erase?", [&] { child.EcraMouseDown(Qt::LeftButton, 150, 120); },
        [&](QWidget& box) { EXPECT_EQ(box.frameGeometry().topLeft(), expected); });
}

TEST_F(StackingTest, TheGuideOpensAboveTheToolWindows) {
    Trigger("HelpGuideItem");
    QWidget* guide = main->findChild<QWidget*>(QStringLiteral("GuideWindow"));
    ASSERT_NE(guide, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(guide));
    CheckOnTop("the Guide", *guide);
}

} // namespace
} // namespace veltra
