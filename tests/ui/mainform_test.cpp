#include "appfixture.h"
#include "model/dados.h"
#include "model/neuronio.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace veltra {
namespace {

using MainFormTest = AppTest;

TEST_F(MainFormTest, StartUpMakesTheSingleWindowsAndOneEmptyDrawing) {
    EXPECT_EQ(main->windowTitle(), "VELTRA");
    const std::pair<const char*, const char*> windows[] = {
        {"AboutBox", "About"},
        {"MultPageDlg", "Info Menu"},
        {"Toolbar", "Action Menu"},
        {"dynamicform", "Current Dynamic System"},
        {"FormRunBrowser", "Execution Browser"},
        {"FormOptions", "Options"},
        {"Form_Mod_IO", "Select IO"},
        {"FormMDIWindowsList", "Select open window for module"},
        {"FormRunList", "Run List"}};
    for (const auto& [name, caption] : windows) {
        QWidget* w = Find<QWidget>(name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_EQ(w->windowTitle(), caption);
        EXPECT_FALSE(w->isVisible()) << name;
    }
    ASSERT_EQ(main->ChildCount(), 1);
    EXPECT_EQ(Child().Caption(), "NONAME1");
    EXPECT_EQ(main->FirstChild(), &Child());
    EXPECT_EQ(List().Count(), 0);
    EXPECT_EQ(main->Toolbar().CurrentTool(), TTool::None);
    EXPECT_TRUE(main->WeightBox()->text().isEmpty());
    EXPECT_EQ(Find<QToolButton>("SaveBtn")->isEnabled(), true);
}

TEST_F(MainFormTest, MenusFollowTheNumberOfOpenWindows) {
    const char* needWindow[] = {"FileCloseItem",  "FileSaveAsItem",    "WindowCascadeItem",
                                "WindowTileItem", "WindowArrangeItem", "WindowMinimizeItem"};
    main->FileCloseItemClick();
    QApplication::processEvents();
    ASSERT_EQ(main->ChildCount(), 0);
    EXPECT_EQ(main->FirstChild(), nullptr);
    for (const char* name : needWindow)
        EXPECT_FALSE(Find<QAction>(name)->isEnabled()) << name;
    EXPECT_FALSE(Find<QToolButton>("SaveBtn")->isEnabled());
    EXPECT_TRUE(Find<QAction>("FileNewItem")->isEnabled());
    EXPECT_TRUE(Find<QAction>("FileOpenItem")->isEnabled());

    Find<QAction>("FileNewItem")->trigger();
    EXPECT_EQ(Child().Caption(), "NONAME1");
    for (const char* name : needWindow)
        EXPECT_TRUE(Find<QAction>(name)->isEnabled()) << name;
    // The caption counts windows, whatever the others are called.
    main->FileNewItemClick();
    Child().SetCaption("other");
    main->FileNewItemClick();
    main->FileNewItemClick();
    EXPECT_EQ(Child().Caption(), "NONAME4");
}

TEST_F(MainFormTest, OpenRequestAndAFileThatFailsToRead) {
    QTemporaryDir dir;
    const QString bad = dir.filePath("bad.net");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a net file\n");
    f.close();
    prompter->fileAnswers.push_back(bad);
    EXPECT_FALSE(main->LoadNet());
    ASSERT_EQ(prompter->openRequests.size(), 1);
    EXPECT_EQ(prompter->openRequests[0].filter, "Net files (*.net*)");
    EXPECT_EQ(main->ChildCount(), 2);
    // The window stays, titled with the file's name; the full path is its tooltip.
    EXPECT_EQ(Child().Caption(), "bad.net");
    EXPECT_EQ(Child().FilePath(), bad);
    EXPECT_EQ(Child().parentWidget()->toolTip(), QDir::toNativeSeparators(bad));
    ASSERT_EQ(prompter->messages.size(), 1);
    EXPECT_FALSE(prompter->messages[0].isEmpty());

    // A file that cannot be opened at all says why instead of failing silently.
    prompter->fileAnswers.push_back(dir.filePath("missing.net"));
    EXPECT_FALSE(main->LoadNet());
    EXPECT_TRUE(prompter->messages.back().contains("missing.net"));
    // Cancelling makes no window.
    const int before = main->ChildCount();
    EXPECT_FALSE(main->LoadNet());
    EXPECT_EQ(main->ChildCount(), before);
}

TEST_F(MainFormTest, SaveAndOpenRoundTripWithCaptionsAndProposals) {
    QTemporaryDir dir;
    Place(TTool::Neuron, 100, 50);
    Place(TTool::Bias, 200, 80);
    EXPECT_TRUE(Child().Modified());
    EXPECT_TRUE(Child().isWindowModified());

    // Cancel: nothing written, caption kept.
    main->FileSaveAsItemClick();
    EXPECT_EQ(Child().Caption(), "NONAME1");
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    const QString name = dir.filePath("two.net");
    prompter->fileAnswers.push_back(name);
    main->FileSaveAsItemClick();
    EXPECT_EQ(Child().Caption(), "two.net");
    EXPECT_EQ(Child().FilePath(), name);
    EXPECT_FALSE(Child().Modified());
    ASSERT_TRUE(QFile::exists(name));
    // The dialog proposes the last name chosen in it the next time.
    main->FileSaveAsItemClick();
    ASSERT_EQ(prompter->saveRequests.size(), 3);
    EXPECT_EQ(prompter->saveRequests[2].proposed, name);
    EXPECT_EQ(prompter->saveRequests[2].directory, ".");

    prompter->fileAnswers.push_back(name);
    EXPECT_TRUE(main->LoadNet());
    EXPECT_EQ(Child().Caption(), "two.net");
    ASSERT_EQ(List().Count(), 2);
    EXPECT_EQ(List().Item(0)->Kind(), TGlyphKind::Neuron);
    EXPECT_EQ(List().Item(1)->GetPosition(), (TPoint{191, 70}));
    // The next element continues the counter after the loaded ones.
    EXPECT_EQ(Place(TTool::Neuron, 300, 300)->Label(), "2");
}

TEST_F(MainFormTest, FailedSaveSaysWhyAndChangesNothing) {
    QTemporaryDir dir;
    Place(TTool::Neuron, 100, 50);
    const QString blocked = dir.filePath("no/such/dir/x.net");
    prompter->fileAnswers.push_back(blocked);
    main->FileSaveAsItemClick();
    ASSERT_FALSE(prompter->messages.isEmpty());
    EXPECT_TRUE(prompter->messages.back().startsWith("Cannot save"));
    EXPECT_EQ(Child().Caption(), "NONAME1");
    EXPECT_TRUE(Child().Modified());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(MainFormTest, SavingOntoADeviceWritesIntoItAndNeverReplacesIt) {
    QTemporaryDir dir;
    Place(TTool::Neuron, 100, 50);
    // Made here: a node that swallows everything and one that is always full.
    const QString sink = dir.filePath("sink");
    const QString full = dir.filePath("full");
    ASSERT_EQ(::mknod(QFile::encodeName(sink).constData(), S_IFCHR | 0600, ::makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0600, ::makedev(1, 7)), 0);
    prompter->fileAnswers.push_back(full);
    main->FileSaveAsItemClick();
    ASSERT_FALSE(prompter->messages.isEmpty());
    EXPECT_EQ(prompter->messages.back(), "Cannot save \"" + full + "\": No space left on device");
    EXPECT_TRUE(Child().Modified());
    prompter->fileAnswers.push_back(sink);
    main->FileSaveAsItemClick();
    EXPECT_FALSE(Child().Modified());
    for (const QString& node : {sink, full}) {
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(node).constData(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode)) << node.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
              (QStringList{"full", "sink"}));
}

TEST_F(MainFormTest, ClosingWithUnsavedChangesAsks) {
    main->FileCloseItemClick(); // unchanged: closes without a question
    QApplication::processEvents();
    EXPECT_TRUE(prompter->saveQuestions.isEmpty());
    EXPECT_EQ(main->ChildCount(), 0);

    main->FileNewItemClick();
    Place(TTool::Neuron, 60, 60);
    prompter->saveAnswers.push_back(TSaveChoice::Cancel);
    main->FileCloseItemClick();
    QApplication::processEvents();
    EXPECT_EQ(prompter->saveQuestions, QStringList{"NONAME1"});
    EXPECT_EQ(main->ChildCount(), 1);
    // Exit asks too, and Cancel keeps the program running.
    prompter->saveAnswers.push_back(TSaveChoice::Cancel);
    EXPECT_FALSE(main->close());
    EXPECT_EQ(main->ChildCount(), 1);

    prompter->saveAnswers.push_back(TSaveChoice::Discard);
    main->FileCloseItemClick();
    QApplication::processEvents();
    EXPECT_EQ(main->ChildCount(), 0);
}

TEST_F(MainFormTest, WeightBoxEnterAndPaletteToggles) {
    QLineEdit* box = main->WeightBox();
    main->FocusWeightBox();
    QApplication::processEvents();
    box->setText("0.25");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(prompter->messages.back(), "Return Pressed! Initialize weight to 0!");
    EXPECT_EQ(box->text(), "0");
    EXPECT_FALSE(box->hasFocus());

    QAction* draw1 = Find<QAction>("Draw1");
    auto* drawBt = Find<QToolButton>("draw_bt");
    draw1->trigger();
    EXPECT_TRUE(drawBt->isChecked());
    EXPECT_TRUE(main->Toolbar().isVisible());
    QTest::mouseClick(drawBt, Qt::LeftButton);
    EXPECT_FALSE(draw1->isChecked());
    EXPECT_FALSE(main->Toolbar().isVisible());
}

TEST_F(MainFormTest, EnterInTheWeightBoxClearsItEvenWhenTheMainWindowIsNotActive) {
    QLineEdit* box = main->WeightBox();
    main->FocusWeightBox();
    box->setText("0.7");
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(prompter->messages.back(), "Return Pressed! Initialize weight to 0!");
    EXPECT_EQ(box->text(), "0");
    QApplication::setActiveWindow(main.get());
    TProtoNeuronio* a = Place(TTool::Neuron, 100, 100);
    TProtoNeuronio* b = Place(TTool::Neuron, 250, 100);
    Tool(TTool::Synapse);
    Drag(QPoint(a->Centre().x, a->Centre().y), QPoint(b->Centre().x, b->Centre().y));
    ASSERT_EQ(a->OutgoingSynapses().Count(), 1);
    EXPECT_EQ(a->OutgoingSynapses().Item(0)->Weight().ToText(), "0");
}

TEST_F(MainFormTest, SaveWritesToTheWindowsOwnFileAndAsksOnlyForANewNet) {
    QTemporaryDir dir;
    const QString name = dir.filePath("net.net");
    Place(TTool::Neuron, 100, 50);
    prompter->fileAnswers.push_back(name);
    Find<QAction>("FileSaveItem")->trigger(); // never saved: asks
    ASSERT_EQ(prompter->saveRequests.size(), 1);
    EXPECT_EQ(Child().FilePath(), name);
    const qint64 oneElement = QFileInfo(name).size();

    Place(TTool::Bias, 200, 80);
    EXPECT_TRUE(Child().isWindowModified());
    Find<QAction>("FileSaveItem")->trigger(); // saved before: no question
    EXPECT_EQ(prompter->saveRequests.size(), 1);
    EXPECT_FALSE(Child().isWindowModified());
    EXPECT_GT(QFileInfo(name).size(), oneElement);

    // Save As always asks, and the window follows the new file.
    const QString other = dir.filePath("other.net");
    prompter->fileAnswers.push_back(other);
    Find<QAction>("FileSaveAsItem")->trigger();
    EXPECT_EQ(prompter->saveRequests.size(), 2);
    EXPECT_EQ(Child().Caption(), "other.net");
    EXPECT_EQ(Child().parentWidget()->toolTip(), QDir::toNativeSeparators(other));
    // The Window menu names the full path.
    QMenu* windowMenu = main->findChild<QMenu*>("Window1");
    emit windowMenu->aboutToShow();
    QStringList entries;
    for (QAction* a : windowMenu->actions())
        entries << a->text();
    EXPECT_TRUE(entries.contains("&1 " + QDir::toNativeSeparators(other)))
        << entries.join("|").toStdString();

    // The unsaved-changes question's Save saves the same way, to the window's file.
    Place(TTool::Neuron, 300, 80);
    const qint64 twoElements = QFileInfo(other).size();
    prompter->saveAnswers.push_back(TSaveChoice::Save);
    main->FileCloseItemClick();
    QApplication::processEvents();
    EXPECT_EQ(main->ChildCount(), 0);
    EXPECT_EQ(prompter->saveRequests.size(), 2);
    EXPECT_GT(QFileInfo(other).size(), twoElements);
}

TEST_F(MainFormTest, NewWindowsCascadeInsideTheWorkspaceAndThePaletteLeavesTitleBarsFree) {
    auto* area = main->findChild<QMdiArea*>("ClientArea");
    const QRect workspace = area->viewport()->rect();
    QList<QPoint> places;
    for (int i = 0; i < 14; ++i) {
        main->FileNewItemClick();
        auto* sub = static_cast<QMdiSubWindow*>(Child().parentWidget());
        EXPECT_TRUE(workspace.contains(sub->geometry())) << i;
        places << sub->pos();
    }
    int wraps = 0;
    for (int i = 1; i < places.size(); ++i) {
        const QPoint step = places[i] - places[i - 1];
        if (places[i] == QPoint(0, 0))
            ++wraps;
        else
            EXPECT_TRUE(step.x() > 0 && step.x() == step.y()) << i;
    }
    EXPECT_GE(wraps, 1) << "fourteen windows do not fit one diagonal";

    main->findChild<QAction*>("Draw1")->trigger();
    const QRect palette = main->Toolbar().frameGeometry();
    for (QMdiSubWindow* sub : area->subWindowList()) {
        const QRect title(sub->mapToGlobal(QPoint(0, 0)), QSize(sub->width(), sub->widget()->y()));
        EXPECT_FALSE(palette.intersects(title));
    }
}

TEST_F(MainFormTest, MenusAndSpeedBarCarryTheirCaptionsHintsAndShortcuts) {
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        const char* shortcut;
    } items[] = {
        {"FileNewItem", "New", "Create a new file", "Ctrl+N"},
        {"FileOpenItem", "Open", "Open an existing file", "Ctrl+O"},
        {"FileCloseItem", "Close", "Close current file", "Ctrl+W"},
        {"FileSaveItem", "&Save", "Save current file", "Ctrl+S"},
        {"FileSaveAsItem", "Save &As...", "Save current file as...", "Ctrl+Shift+S"},
        {"FileExitItem", "Exit", "Exit the application", "Ctrl+Q"},
        {"Step1", "Continuous", "", ""},
        {"Step2", "Step ...", "", ""},
        {"Info1", "Info", "", ""},
        {"Draw1", "Draw", "", ""},
        {"Dynamic1", "Dynamics", "", ""},
        {"Execution1", "Execution", "", ""},
        {"Options1", "Options", "", ""},
        {"PrintDynamics1", "Print Dynamics", "", ""},
        {"WindowCascadeItem", "Cascade", "Arrange windows to overlap", ""},
        {"WindowTileItem", "Tile", "Arrange windows without overlap", ""},
        {"WindowArrangeItem", "Arrange Icons", "Arrange window icons at bottom of main window", ""},
        {"WindowMinimizeItem", "Minimize All", "Minimize all windows", ""},
        {"HelpAboutItem", "About", "", ""}};
    for (const auto& item : items) {
        auto* a = Find<QAction>(item.name);
        ASSERT_NE(a, nullptr) << item.name;
        EXPECT_EQ(a->text(), item.caption) << item.name;
        EXPECT_EQ(a->statusTip(), item.hint) << item.name;
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(item.shortcut))) << item.name;
    }
    // Menus in their order, with the hints of those that have one.
    QStringList menus;
    for (QAction* a : main->menuBar()->actions())
        menus << a->text() + "|" + a->statusTip();
    EXPECT_EQ(menus, (QStringList{"File|File related commands",
                                  "&Edit|Undo and redo the edits of the net", "Run|", "View|",
                                  "Window|Window related commands such as Tile and Cascade",
                                  "Help|Help topics"}));
    // A highlighted item's hint reaches the status bar.
    Find<QAction>("FileOpenItem")->showStatusText(main.get());
    EXPECT_EQ(Status(), "Open an existing file");

    // Speed bar, left to right, with its tooltips and the long hints the status bar shows.
    QStringList bar;
    for (QWidget* w :
         Find<QWidget>("SpeedPanel")->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if ((qobject_cast<QToolButton*>(w) != nullptr || qobject_cast<QLineEdit*>(w) != nullptr) &&
            !w->objectName().startsWith("qt_")) // the tool bar's own overflow button
            bar << w->objectName() + "|" + w->toolTip() + "|" + w->statusTip();
    EXPECT_EQ(bar.join(' ').toStdString(),
              (QStringList{"SpeedButton1|New Net|New Net", "OpenBtn|Open|",
                           "SaveBtn|Save as...|Save as...", "draw_bt|Draw toolbar|Draw toolbar",
                           "dynamic_bt|View Dynamics|View Dynamics",
                           "dyn_print|Print Dynamics|Print Dynamics",
                           "execution_bt|View execution|View execution",
                           "Sinapse_Box|Synapse Value|Synapse Value", "ExitBtn|Exit|"})
                  .join(' ')
                  .toStdString());
    for (const char* toggle : {"draw_bt", "dynamic_bt", "execution_bt"})
        EXPECT_TRUE(Find<QToolButton>(toggle)->isCheckable()) << toggle;
    EXPECT_EQ(main->WeightBox()->width(), 78);
    EXPECT_TRUE(main->WeightBox()->font().bold());
    EXPECT_EQ(main->WeightBox()->font().pixelSize(), 15);
}

TEST_F(MainFormTest, WeightTypedIntoTheBoxSurvivesClicksOnTheSpeedBar) {
    main->FocusWeightBox();
    QApplication::processEvents();
    main->WeightBox()->setText("0.75");
    // Speed buttons do not take the focus, so the box is not left and keeps its text.
    for (const char* name : {"draw_bt", "dynamic_bt", "execution_bt", "draw_bt"}) {
        QTest::mouseClick(Find<QToolButton>(name), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(main->WeightBox()->text(), "0.75") << name;
    }
    TProtoNeuronio* from = Place(TTool::Neuron, 100, 100);
    Place(TTool::Neuron, 300, 100);
    Tool(TTool::Synapse); // entering the box again starts it at 0
    main->WeightBox()->setText("0.75");
    QTest::mouseClick(Find<QToolButton>("dynamic_bt"), Qt::LeftButton);
    Drag({100, 100}, {300, 100});
    ASSERT_EQ(from->OutgoingSynapses().Count(), 1);
    EXPECT_EQ(from->OutgoingSynapses().Item(0)->Weight().ToText(), "0.75");
}

TEST_F(MainFormTest, AboutBoxShowsItsLinesAndOkClosesIt) {
    QStringList lines;
    int result = -1;
    prompter->dialogAnswers.push_back([&](QDialog& d) {
        for (QLabel* label : d.findChildren<QLabel*>())
            if (!label->text().isEmpty()) lines << label->text();
        QTest::mouseClick(d.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        result = d.result();
    });
    Find<QAction>("HelpAboutItem")->trigger();
    EXPECT_EQ(prompter->dialogs, QStringList{"AboutBox"});
    EXPECT_TRUE(lines.contains("Maio 1997"));
    EXPECT_TRUE(lines.contains("Version 1.0"));
    EXPECT_EQ(result, QDialog::Accepted);
}

TEST_F(MainFormTest, WindowMenuListsTheDrawingsAndActivatesTheChosenOne) {
    TMDIChild& first = Child();
    main->FileNewItemClick();
    Child().SetCaption("second net");
    auto* menu = Find<QMenu>("Window1");
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    QStringList captions;
    QAction* firstItem = nullptr;
    for (QAction* a : menu->actions())
        if (a->isCheckable()) {
            captions << a->text();
            if (a->text().endsWith("NONAME1")) firstItem = a;
        }
    EXPECT_EQ(captions, (QStringList{"&1 NONAME1", "&2 second net"}));
    ASSERT_NE(firstItem, nullptr);
    firstItem->trigger();
    EXPECT_EQ(main->ActiveChild(), &first);
    // Minimize All reaches every drawing window.
    Find<QAction>("WindowMinimizeItem")->trigger();
    for (int i = 0; i < main->ChildCount(); ++i)
        EXPECT_TRUE(main->ChildAt(i)->parentWidget()->isMinimized());
}

TEST_F(MainFormTest, CommandLineFilesOpenInTheirOwnWindows) {
    QTemporaryDir dir;
    const QString name = dir.filePath("cli.net");
    Place(TTool::Output, 40, 40);
    prompter->fileAnswers.push_back(name);
    main->FileSaveAsItemClick();
    // Named relative to the current folder: captioned like a file chosen in the Open dialog.
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    auto second = CreateApplicationWindows(std::make_unique<TScriptedPrompter>(), {"cli.net"});
    QDir::setCurrent(before);
    ASSERT_EQ(second->ChildCount(), 2);
    EXPECT_EQ(second->ActiveChild()->Caption(), "cli.net");
    EXPECT_EQ(second->ActiveChild()->FilePath(), name);
    EXPECT_EQ(second->ActiveChild()->Document().Elements().Count(), 1);
}

} // namespace
} // namespace veltra
