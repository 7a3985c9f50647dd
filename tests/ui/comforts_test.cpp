// What people reach for first: every shortcut with one owner, the run and tool keys, Open
// Recent and Find, driven through real key presses and the menus.
#include "appfixture.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/finddialog.h"
#include "ui/netscroller.h"
#include "ui/recentfiles.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <map>
#include <set>

namespace veltra {
namespace {

using ComfortsTest = AppTest;

// Collects Qt's warnings about a key that more than one shortcut claims.
struct AmbiguityLog {
    AmbiguityLog() { previous = qInstallMessageHandler(&AmbiguityLog::Handle); }
    ~AmbiguityLog() { qInstallMessageHandler(previous); }
    static void Handle(QtMsgType, const QMessageLogContext&, const QString& text) {
        if (text.contains(QLatin1String("Ambiguous shortcut"))) Lines() << text;
    }
    static QStringList& Lines() {
        static QStringList lines;
        return lines;
    }
    QtMessageHandler previous;
};

// Every key some action or shortcut of the application has, pressed in the main window (two
// drawing windows open, the tool windows up) and in the Execution Browser: Qt's own shortcut
// map finds one owner for each. The commands themselves do not run (their signals are held).
TEST_F(ComfortsTest, EveryShortcutHasOneOwnerWhereverTheKeyboardIs) {
    main->FileNewItemClick();
    for (const char* item : {"Execution1", "Info1", "Draw1", "Plot1"})
        Find<QAction>(item)->trigger();
    QApplication::processEvents();

    std::map<QString, QStringList> owners; // key -> actions, for the failure message
    std::vector<std::unique_ptr<QSignalBlocker>> held;
    std::set<QString> keys;
    for (QAction* a : main->findChildren<QAction*>()) {
        held.push_back(std::make_unique<QSignalBlocker>(a));
        for (const QKeySequence& key : a->shortcuts()) {
            keys.insert(key.toString());
            owners[key.toString()] << (a->objectName().isEmpty() ? a->text() : a->objectName());
        }
    }
    for (QShortcut* s : main->findChildren<QShortcut*>()) {
        held.push_back(std::make_unique<QSignalBlocker>(s));
        keys.insert(s->key().toString());
    }
    // The scan sees the keys of the menus, the Run menu and the palette.
    for (const char* key : {"Ctrl+W", "Ctrl+F", "F5", "F10", "Alt+3"})
        EXPECT_EQ(keys.count(QString::fromLatin1(key)), 1u) << key;

    AmbiguityLog log;
    AmbiguityLog::Lines().clear();
    auto* browser = Find<QWidget>("FormRunBrowser");
    for (QWidget* window : {static_cast<QWidget*>(main.get()), browser}) {
        QApplication::setActiveWindow(window);
        for (const QString& text : keys) {
            const QKeySequence key(text);
            if (key.count() != 1) continue;
            QTest::keyClick(window, key[0].key(), key[0].keyboardModifiers());
        }
    }
    for (const QString& line : AmbiguityLog::Lines()) {
        const QString key = line.section(QLatin1String(": "), -1).trimmed();
        ADD_FAILURE() << line.toStdString() << " owners: " << owners[key].join(", ").toStdString();
    }
    EXPECT_TRUE(AmbiguityLog::Lines().isEmpty());
}

// The guide's table of keys names every key a command of the application has.
TEST_F(ComfortsTest, TheGuideListsEveryKey) {
    QFile file(QStringLiteral(VELTRA_EXAMPLES "/../docs/guide.md"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString guide = QString::fromUtf8(file.readAll());
    const qsizetype at = guide.indexOf(QLatin1String("\n## Keys\n"));
    ASSERT_GE(at, 0);
    const QString keys = guide.mid(at, guide.indexOf(QLatin1String("\n## "), at + 4) - at);
    int checked = 0;
    for (QAction* a : main->findChildren<QAction*>())
        for (const QKeySequence& key : a->shortcuts()) {
            const QString text = key.toString();
            const bool listed = keys.contains(text) ||
                                (text.size() == 5 && text.startsWith(QLatin1String("Alt+")) &&
                                 keys.contains(QLatin1String("Alt+1 to Alt+9")));
            EXPECT_TRUE(listed) << text.toStdString() << " (" << a->objectName().toStdString()
                                << ")";
            ++checked;
        }
    EXPECT_GT(checked, 25);
}

// Ctrl+W closes the active drawing window (it asks about unsaved changes as Close does).
TEST_F(ComfortsTest, CtrlWClosesTheActiveDrawing) {
    main->FileNewItemClick();
    ASSERT_EQ(main->ChildCount(), 2);
    QTest::keyClick(main.get(), Qt::Key_W, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(main->ChildCount(), 1);
}

TEST_F(ComfortsTest, RunKeysStepRunAndResetTheActiveNetFromAnyWindow) {
    ASSERT_TRUE(main->OpenNetFile(QStringLiteral(VELTRA_EXAMPLES "/worked.net")));
    auto& browser = *Find<TFormRunBrowser>("FormRunBrowser");
    ASSERT_FALSE(browser.isVisible());
    QTest::keyClick(main.get(), Qt::Key_F10); // Step brings the browser up
    EXPECT_TRUE(browser.isVisible());
    EXPECT_EQ(browser.Control().StepCount(), 1);
    QApplication::setActiveWindow(&browser); // the keys work from the browser too
    QTest::keyClick(&browser, Qt::Key_F10);
    EXPECT_EQ(browser.Control().StepCount(), 2);
    QTest::keyClick(&browser, Qt::Key_F5); // Run: the worked net finishes after step 4
    EXPECT_FALSE(browser.Running());
    EXPECT_EQ(browser.Control().CurrentStep(), 4);
    EXPECT_EQ(List().Item(2)->ValueText(), "0");
    EXPECT_EQ(List().Item(3)->ValueText(), "0110");
    QApplication::setActiveWindow(main.get());
    QTest::keyClick(main.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(browser.Control().CurrentStep(), 0);
    EXPECT_EQ(List().Item(3)->ValueText(), "");
    // The Run menu shows the keys.
    EXPECT_EQ(Find<QAction>("RunStepItem")->shortcut(), QKeySequence(Qt::Key_F10));
    EXPECT_EQ(Find<QAction>("RunRunItem")->shortcut(), QKeySequence(Qt::Key_F5));
}

TEST_F(ComfortsTest, EachToolHasAKeyThatItsHintShows) {
    const struct {
        TTool tool;
        const char* button;
    } tools[] = {{TTool::Info, "SpeedInfo"},       {TTool::Move, "SpeedMover"},
                 {TTool::Neuron, "SpeedNeuronio"}, {TTool::Synapse, "SpeedSinapse"},
                 {TTool::Bias, "SpeedPendor"},     {TTool::Input, "SpeedIn"},
                 {TTool::Output, "SpeedOut"},      {TTool::Module, "SpeedModule"},
                 {TTool::Erase, "SpeedErase"}};
    std::set<QString> seen;
    for (const auto& t : tools) {
        auto* button = Find<QAbstractButton>(t.button);
        ASSERT_NE(button, nullptr) << t.button;
        // "Neuron (Alt+3)": the key is the one in brackets of the hint.
        const QString hint = button->toolTip();
        const QString text = hint.section(QLatin1Char('('), -1).chopped(1);
        const QKeySequence key(text, QKeySequence::NativeText);
        ASSERT_EQ(key.count(), 1) << hint.toStdString();
        EXPECT_TRUE(seen.insert(text).second) << hint.toStdString();
        // Pressed while the weight box has the keyboard, as it has while drawing.
        main->FocusWeightBox();
        const QString typed = main->WeightBox()->text();
        QTest::keyClick(main->WeightBox(), key[0].key(), key[0].keyboardModifiers());
        EXPECT_EQ(main->Toolbar().CurrentTool(), t.tool) << hint.toStdString();
        EXPECT_TRUE(button->isChecked()) << hint.toStdString();
        EXPECT_EQ(main->WeightBox()->text(), typed) << "typed into the weight box";
    }
}

TEST_F(ComfortsTest, OpenRecentListsTheLastEightNetsAndDropsOneThatHasGone) {
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 1; i <= 9; ++i) {
        paths << dir.filePath(QStringLiteral("net%1.net").arg(i));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELTRA_EXAMPLES "/worked.net"), paths.back()));
        ASSERT_TRUE(main->OpenNetFile(paths.back()));
    }
    // Saving under a new name puts that name on top too.
    const QString saved = dir.filePath(QStringLiteral("saved.net"));
    ASSERT_TRUE(main->WriteChild(Child(), saved));
    const auto shown = [this] {
        auto* menu = Find<QMenu>("FileRecentMenu");
        emit menu->aboutToShow();
        QStringList items;
        for (QAction* a : menu->actions())
            items << a->text() + "|" + a->statusTip();
        return items;
    };
    QStringList expected{"&1 saved.net|" + QDir::toNativeSeparators(saved)};
    for (int i = 9; i >= 3; --i)
        expected << QStringLiteral("&%1 net%2.net|%3")
                        .arg(10 - i + 1)
                        .arg(i)
                        .arg(QDir::toNativeSeparators(paths[i - 1]));
    EXPECT_EQ(shown(), expected);

    // Kept in the settings: the next start offers the same.
    main.reset();
    main = CreateApplicationWindows(std::make_unique<TScriptedPrompter>());
    prompter = static_cast<TScriptedPrompter*>(&main->Prompter());
    EXPECT_EQ(shown(), expected);

    // Chosen, a net opens in a window of its own; gone, it leaves the list with a message.
    const int before = main->ChildCount();
    Find<QMenu>("FileRecentMenu")->actions().at(2)->trigger(); // net8
    EXPECT_EQ(main->ChildCount(), before + 1);
    EXPECT_EQ(Child().FilePath(), paths[7]);
    ASSERT_TRUE(QFile::remove(paths[6]));
    shown();
    Find<QMenu>("FileRecentMenu")->actions().at(3)->trigger(); // net7, gone
    EXPECT_EQ(main->ChildCount(), before + 1);
    ASSERT_EQ(prompter->messages.size(), 1);
    EXPECT_TRUE(prompter->messages.front().contains(QStringLiteral("net7.net")));
    const QStringList after = shown();
    EXPECT_EQ(after.size(), 7);
    EXPECT_FALSE(after.join(";").contains(QStringLiteral("net7.net")));
    EXPECT_TRUE(after.front().startsWith(QStringLiteral("&1 net8.net")));
}

TEST_F(ComfortsTest, FindListsTheMatchingLabelsAndCentresThePickedElement) {
    const QStringList labels{"alpha", "Beta", "alphabet", "gamma"};
    const QPoint places[] = {{60, 60}, {300, 80}, {1400, 1100}, {120, 260}};
    for (int i = 0; i < labels.size(); ++i)
        Place(TTool::Neuron, places[i].x(), places[i].y())->SetLabel(labels[i].toStdString());
    QStringList listed;
    prompter->dialogAnswers.push_back([&listed](QDialog& d) {
        QTest::keyClicks(d.findChild<QLineEdit*>("EditFind"), "ALPHA");
        auto* list = d.findChild<QListWidget*>("ListFound");
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        // Down from the text moves to the second match.
        QTest::keyClick(d.findChild<QLineEdit*>("EditFind"), Qt::Key_Down);
        d.setResult(QDialog::Accepted);
    });
    QTest::keyClick(main.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(listed, (QStringList{"alpha  (neuron)", "alphabet  (neuron)"}));
    TProtoNeuronio* alphabet = List().Item(2);
    EXPECT_EQ(Child().Selection(), std::vector<TProtoNeuronio*>{alphabet});
    // The element's centre is in the middle of the drawing, however far away it was.
    const TPoint c = alphabet->Centre();
    const QPoint onScreen = Child().Ecra().View().ToScreen(c);
    const QPoint middle(Child().Ecra().width() / 2, Child().Ecra().height() / 2);
    EXPECT_LE((onScreen - middle).manhattanLength(), 2);
    // Cancelled, nothing changes.
    Child().ClearSelection();
    QTest::keyClick(main.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Child().SelectionEmpty());
}

} // namespace
} // namespace veltra
