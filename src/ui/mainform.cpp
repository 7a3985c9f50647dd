#include "ui/mainform.h"

#include "ui/clipboard.h"
#include "ui/dialogs/modio.h"
#include "ui/dialogs/runbrowser.h"
#include "ui/ecra.h"
#include "ui/editmenu.h"
#include "ui/editstack.h"
#include "ui/exportimage.h"
#include "ui/finddialog.h"
#include "ui/guard.h"
#include "ui/guidewindow.h"
#include "ui/mdichild.h"
#include "ui/newfrommachine.h"
#include "ui/placement.h"
#include "ui/prompter.h"
#include "ui/recentfiles.h"
#include "ui/toolbar.h"
#include "ui/viewmenu.h"
#include "ui/weightbox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUndoGroup>
#include <algorithm>

namespace veltra {

TMainForm::TMainForm(std::unique_ptr<TPrompter> prompter)
    : prompter_(prompter ? std::move(prompter) : std::make_unique<TQtPrompter>()),
      mdiArea_(new QMdiArea(this)), undoGroup_(new QUndoGroup(this)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("VELTRA"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/veltra.svg")));
    mdiArea_->setObjectName(QStringLiteral("ClientArea"));
    mdiArea_->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(mdiArea_);
    BuildMenus();
    BuildSpeedBar();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(true);
    viewMenu_ = new TViewMenu(*this, *findChild<QMenu*>(QStringLiteral("View1")));
    AddExportImageItem(*this, *findChild<QMenu*>(QStringLiteral("File1")));
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (destroying_) return;
        viewMenu_->Follow(ActiveChild());
        // FormDeactivate of the window that lost the activation.
        for (QMdiSubWindow* sub : mdiArea_->subWindowList())
            if (sub != w)
                if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->FormDeactivate();
        UpdateMenuItems();
        ActiveNetChanged();
    });
    qApp->installEventFilter(this);
    resize(1000, 700);
    UpdateMenuItems();
}

TMainForm::~TMainForm() {
    // Children would otherwise die in the base class destructor, when this object is no longer
    // a TMainForm, and their signals and callbacks would reach a half-destroyed window. Close
    // the drawing windows while the main window is still whole.
    destroying_ = true;
    qApp->removeEventFilter(this);
    mdiArea_->disconnect(this);
    QList<QPointer<QMdiSubWindow>> subs;
    for (QMdiSubWindow* sub : mdiArea_->findChildren<QMdiSubWindow*>())
        subs.append(sub);
    for (const QPointer<QMdiSubWindow>& sub : subs)
        delete sub.data();
}

void TMainForm::SetPrompter(std::unique_ptr<TPrompter> prompter) {
    prompter_ = std::move(prompter);
}

void TMainForm::BuildMenus() {
    auto item = [this](QMenu* menu, const char* name, const QString& caption, const QString& hint) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setStatusTip(hint);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File1"));
    file->menuAction()->setStatusTip(QStringLiteral("File related commands"));
    QAction* newItem =
        item(file, "FileNewItem", QStringLiteral("New"), QStringLiteral("Create a new file"));
    newItem->setShortcut(QKeySequence::New);
    connect(newItem, &QAction::triggered, this, [this] { FileNewItemClick(); });
    QAction* open =
        item(file, "FileOpenItem", QStringLiteral("Open"), QStringLiteral("Open an existing file"));
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, [this] { LoadNet(); });
    new TRecentFiles(*this, *file, open);
    connect(item(file, "FileNewFromMachineItem", QStringLiteral("New from Machine..."),
                 QStringLiteral("Build the net of a stack machine for a word")),
            &QAction::triggered, this, [this] { NewFromMachine(*this); });
    QAction* close =
        item(file, "FileCloseItem", QStringLiteral("Close"), QStringLiteral("Close current file"));
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(close, &QAction::triggered, this, [this] { FileCloseItemClick(); });
    QAction* save =
        item(file, "FileSaveItem", QStringLiteral("&Save"), QStringLiteral("Save current file"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, [this] { FileSaveItemClick(); });
    QAction* saveAs = item(file, "FileSaveAsItem", QStringLiteral("Save &As..."),
                           QStringLiteral("Save current file as..."));
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveAs, &QAction::triggered, this, [this] { FileSaveAsItemClick(); });
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    QAction* exit =
        item(file, "FileExitItem", QStringLiteral("Exit"), QStringLiteral("Exit the application"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, [this] { FileExitItemClick(); });

    QMenu* edit = AddEditMenu(
        *menuBar(), *undoGroup_, [this] { EndGestures(); },
        [this] {
            if (TMDIChild* child = ActiveChild()) child->SelectAll();
        },
        [this] {
            if (TMDIChild* child = ActiveChild())
                Guarded(*prompter_, child, [child] { child->EraseSelection(/*ask=*/true); });
        });
    AddClipboardItems(*edit, *this);
    edit->addSeparator();
    QAction* find = item(edit, "EditFindItem", QStringLiteral("&Find..."),
                         QStringLiteral("Find an element of the net by its label"));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] { FindItemClick(*this); });

    QMenu* run = menuBar()->addMenu(QStringLiteral("Run"));
    run->setObjectName(QStringLiteral("Run1"));
    QAction* step1 = item(run, "Step1", QStringLiteral("Continuous"), {});
    QAction* step2 = item(run, "Step2", QStringLiteral("Step ..."), {});
    for (QAction* a : {step1, step2})
        connect(a, &QAction::triggered, this,
                [this] { SetRunBrowserVisible(!windows_.FormRunBrowser->isVisible()); });
    run->addSeparator();
    // The Execution Browser's commands on keys that work from every window of the
    // application, the browser and the palette included. The browser comes up to show what
    // they did.
    const auto browserCommand = [this, run, &item](const char* name, const QString& caption,
                                                   const QString& hint, const QKeySequence& key,
                                                   void (TFormRunBrowser::*command)()) {
        QAction* a = item(run, name, caption, hint);
        a->setShortcut(key);
        a->setShortcutContext(Qt::ApplicationShortcut);
        connect(a, &QAction::triggered, this, [this, command] {
            auto* browser = qobject_cast<TFormRunBrowser*>(windows_.FormRunBrowser);
            if (browser == nullptr) return;
            if (!browser->isVisible()) SetRunBrowserVisible(true);
            (browser->*command)();
        });
    };
    browserCommand("RunStepItem", QStringLiteral("Step"),
                   QStringLiteral("Step the active net once"), QKeySequence(Qt::Key_F10),
                   &TFormRunBrowser::stepClick);
    browserCommand("RunRunItem", QStringLiteral("Run"),
                   QStringLiteral("Run the active net until it finishes or is stopped"),
                   QKeySequence(Qt::Key_F5), &TFormRunBrowser::ButtonRunClick);
    browserCommand("RunResetItem", QStringLiteral("Reset"),
                   QStringLiteral("Reset the active net's values"),
                   QKeySequence(Qt::CTRL | Qt::Key_R), &TFormRunBrowser::ButtonResetClick);

    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    view->setObjectName(QStringLiteral("View1"));
    connect(item(view, "Info1", QStringLiteral("Info"), {}), &QAction::triggered, this, [this] {
        if (!windows_.MultPageDlg->isVisible()) PlaceToolWindow(*windows_.MultPageDlg);
        windows_.MultPageDlg->show();
        windows_.MultPageDlg->raise();
    });
    view->addSeparator()->setObjectName(QStringLiteral("N2"));
    draw1_ = item(view, "Draw1", QStringLiteral("Draw"), {});
    draw1_->setCheckable(true);
    connect(draw1_, &QAction::triggered, this,
            [this](bool checked) { SetPaletteVisible(checked); });
    connect(item(view, "Dynamic1", QStringLiteral("Dynamics"), {}), &QAction::triggered, this,
            [this] { emit DynamicsRequested(); });
    execution1_ = item(view, "Execution1", QStringLiteral("Execution"), {});
    connect(execution1_, &QAction::triggered, this,
            [this] { SetRunBrowserVisible(!windows_.FormRunBrowser->isVisible()); });
    view->addSeparator()->setObjectName(QStringLiteral("N3"));
    connect(item(view, "Options1", QStringLiteral("Options"), {}), &QAction::triggered, this,
            [this] {
                if (auto* d = qobject_cast<QDialog*>(windows_.FormOptions))
                    prompter_->ExecDialog(*d);
            });
    connect(item(view, "PrintDynamics1", QStringLiteral("Print Dynamics"), {}), &QAction::triggered,
            this, [this] { emit PrintDynamicsRequested(); });

    windowMenu_ = menuBar()->addMenu(QStringLiteral("Window"));
    windowMenu_->setObjectName(QStringLiteral("Window1"));
    windowMenu_->menuAction()->setStatusTip(
        QStringLiteral("Window related commands such as Tile and Cascade"));
    connect(windowMenu_, &QMenu::aboutToShow, this, [this] { RebuildWindowMenu(); });
    RebuildWindowMenu();

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("Help1"));
    help->menuAction()->setStatusTip(QStringLiteral("Help topics"));
    QAction* guide = item(help, "HelpGuideItem", QStringLiteral("VELTRA Guide"),
                          QStringLiteral("Show the user guide"));
    guide->setShortcut(QKeySequence::HelpContents);
    connect(guide, &QAction::triggered, this, [this] {
        TGuideWindow::ShowFor(*this, [this](QWidget& window) { PlaceToolWindow(window); });
    });
    connect(item(help, "HelpAboutItem", QStringLiteral("About"), {}), &QAction::triggered, this,
            [this] {
                if (auto* d = qobject_cast<QDialog*>(windows_.AboutBox)) prompter_->ExecDialog(*d);
            });
}

void TMainForm::RebuildWindowMenu() {
    windowMenu_->clear();
    auto item = [this](const char* name, const QString& caption, const QString& hint) {
        QAction* a = windowMenu_->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setStatusTip(hint);
        a->setEnabled(ChildCount() > 0);
        return a;
    };
    connect(item("WindowCascadeItem", QStringLiteral("Cascade"),
                 QStringLiteral("Arrange windows to overlap")),
            &QAction::triggered, mdiArea_, &QMdiArea::cascadeSubWindows);
    connect(item("WindowTileItem", QStringLiteral("Tile"),
                 QStringLiteral("Arrange windows without overlap")),
            &QAction::triggered, mdiArea_, &QMdiArea::tileSubWindows);
    connect(item("WindowArrangeItem", QStringLiteral("Arrange Icons"),
                 QStringLiteral("Arrange window icons at bottom of main window")),
            &QAction::triggered, this, [this] {
                // Minimised children line up along the bottom edge, left to right.
                int x = 0;
                for (QMdiSubWindow* w : mdiArea_->subWindowList())
                    if (w->isMinimized()) {
                        w->move(x, mdiArea_->viewport()->height() - w->height());
                        x += w->width();
                    }
            });
    connect(item("WindowMinimizeItem", QStringLiteral("Minimize All"),
                 QStringLiteral("Minimize all windows")),
            &QAction::triggered, this, [this] {
                for (int i = ChildCount() - 1; i >= 0; --i)
                    if (QWidget* w = ChildAt(i)->parentWidget()) w->showMinimized();
            });
    const QList<QMdiSubWindow*> subs = mdiArea_->subWindowList();
    if (!subs.isEmpty()) windowMenu_->addSeparator();
    for (int i = 0; i < subs.size(); ++i) {
        auto* child = qobject_cast<TMDIChild*>(subs[i]->widget());
        if (child == nullptr) continue;
        QAction* a = windowMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
            child->FilePath().isEmpty() ? child->Caption()
                                        : QDir::toNativeSeparators(child->FilePath())));
        a->setCheckable(true);
        a->setChecked(subs[i] == mdiArea_->activeSubWindow());
        QMdiSubWindow* sub = subs[i];
        connect(a, &QAction::triggered, this, [this, sub] { mdiArea_->setActiveSubWindow(sub); });
    }
}

void TMainForm::BuildSpeedBar() {
    speedPanel_ = addToolBar(QStringLiteral("Speed bar"));
    speedPanel_->setObjectName(QStringLiteral("SpeedPanel"));
    speedPanel_->setMovable(false);
    speedPanel_->setFloatable(false);
    speedPanel_->setFixedHeight(33);
    speedPanel_->setIconSize(QSize(20, 20));
    // Reachable by Enter in the weight box and by Tab, but not by a click: a click on a speed
    // button would otherwise give the bar the focus and reset a weight typed into the box.
    speedPanel_->setFocusPolicy(Qt::TabFocus);
    speedPanel_->toggleViewAction()->setVisible(false);
    auto button = [this](const char* name, const QString& hint, const QString& longHint,
                         QStyle::StandardPixmap icon, const QString& text = {}) {
        auto* b = new QToolButton(speedPanel_);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setStatusTip(longHint);
        b->setAutoRaise(true);
        if (text.isEmpty())
            b->setIcon(style()->standardIcon(icon));
        else
            b->setText(text);
        speedPanel_->addWidget(b);
        return b;
    };
    connect(button("SpeedButton1", QStringLiteral("New Net"), QStringLiteral("New Net"),
                   QStyle::SP_FileIcon),
            &QToolButton::clicked, this, [this] { FileNewItemClick(); });
    // A hint "Open|" has a short part and an empty long part.
    connect(button("OpenBtn", QStringLiteral("Open"), QString(), QStyle::SP_DialogOpenButton),
            &QToolButton::clicked, this, [this] { LoadNet(); });
    saveBtn_ = button("SaveBtn", QStringLiteral("Save as..."), QStringLiteral("Save as..."),
                      QStyle::SP_DialogSaveButton);
    connect(saveBtn_, &QToolButton::clicked, this, [this] { FileSaveAsItemClick(); });
    speedPanel_->addSeparator();
    drawBt_ = button("draw_bt", QStringLiteral("Draw toolbar"), QStringLiteral("Draw toolbar"),
                     QStyle::SP_CustomBase, QStringLiteral("Draw"));
    drawBt_->setCheckable(true);
    connect(drawBt_, &QToolButton::clicked, this, [this](bool down) { SetPaletteVisible(down); });
    QToolButton* dyn =
        button("dynamic_bt", QStringLiteral("View Dynamics"), QStringLiteral("View Dynamics"),
               QStyle::SP_CustomBase, QStringLiteral("Dynamics"));
    dyn->setCheckable(true);
    connect(dyn, &QToolButton::clicked, this, [this] { emit DynamicsRequested(); });
    connect(button("dyn_print", QStringLiteral("Print Dynamics"), QStringLiteral("Print Dynamics"),
                   QStyle::SP_CustomBase, QStringLiteral("Print")),
            &QToolButton::clicked, this, [this] { emit PrintDynamicsRequested(); });
    executionBt_ = button("execution_bt", QStringLiteral("View execution"),
                          QStringLiteral("View execution"), QStyle::SP_MediaPlay);
    executionBt_->setCheckable(true);
    connect(executionBt_, &QToolButton::clicked, this,
            [this](bool down) { SetRunBrowserVisible(down); });
    speedPanel_->addSeparator();
    weightBox_ = new TWeightBox(
        speedPanel_,
        [this] {
            prompter_->Message(this, QStringLiteral("Return Pressed! Initialize weight to 0!"));
            // Cleared here as well as by leaving the box: with the main window inactive the
            // focus change below never reaches the box, and the next synapse would take the
            // old weight.
            weightBox_->setText(QStringLiteral("0"));
            speedPanel_->setFocus(Qt::OtherFocusReason);
        },
        [this](const QWidget* w) { return mdiArea_->isAncestorOf(w); });
    speedPanel_->addWidget(weightBox_);
    speedPanel_->addSeparator();
    connect(button("ExitBtn", QStringLiteral("Exit"), QString(), QStyle::SP_DialogCloseButton),
            &QToolButton::clicked, this, [this] { FileExitItemClick(); });
}

void TMainForm::SetPaletteVisible(bool visible) {
    draw1_->setChecked(visible);
    drawBt_->setChecked(visible);
    if (windows_.Toolbar == nullptr) return;
    if (visible && !paletteShownOnce_) {
        // First time: at the top right of the workspace, clear of the menu and speed bar.
        paletteShownOnce_ = true;
        const QPoint corner = mdiArea_->mapToGlobal(QPoint(mdiArea_->width(), 0));
        QRect place(QPoint(std::max(0, corner.x() - windows_.Toolbar->frameGeometry().width() - 16),
                           corner.y() + 8),
                    windows_.Toolbar->frameGeometry().size());
        // Lowered below any drawing window's title bar it would cover, with the buttons there.
        for (bool moved = true; moved;) {
            moved = false;
            for (const QRect& title : TitleBars())
                if (place.intersects(title)) {
                    place.moveTop(title.bottom() + 8);
                    moved = true;
                }
        }
        windows_.Toolbar->move(place.topLeft());
    }
    windows_.Toolbar->setVisible(visible);
}

std::vector<QRect> TMainForm::TitleBars() const {
    std::vector<QRect> bars;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList())
        if (sub->isVisible() && !sub->isMinimized() && !sub->isMaximized() && sub->widget())
            // The title bar is what lies above the window's contents.
            bars.emplace_back(sub->mapToGlobal(QPoint(0, 0)),
                              QSize(sub->width(), sub->widget()->y()));
    return bars;
}

void TMainForm::SetRunBrowserVisible(bool visible) {
    executionBt_->setChecked(visible);
    if (windows_.FormRunBrowser == nullptr) return;
    if (visible && !windows_.FormRunBrowser->isVisible()) PlaceToolWindow(*windows_.FormRunBrowser);
    windows_.FormRunBrowser->setVisible(visible);
}

void TMainForm::PlaceToolWindow(QWidget& window) {
    std::vector<const QWidget*> avoid{
        windows_.FormRunBrowser, windows_.MultPageDlg, windows_.Toolbar,
        findChild<TGuideWindow*>(QStringLiteral("GuideWindow"), Qt::FindDirectChildrenOnly)};
    if (TMDIChild* child = ActiveChild()) avoid.push_back(child->parentWidget());
    PlaceClear(window, avoid);
}

void TMainForm::UpdateMenuItems() {
    if (destroying_) return;
    const bool any = ChildCount() > 0;
    for (const char* name :
         {"FileCloseItem", "FileSaveItem", "FileSaveAsItem", "FileExportImageItem"})
        if (auto* a = findChild<QAction*>(QString::fromLatin1(name))) a->setEnabled(any);
    saveBtn_->setEnabled(any);
    TMDIChild* active = ActiveChild();
    undoGroup_->setActiveStack(active != nullptr ? &active->UndoStack() : nullptr);
    RebuildWindowMenu();
}

void TMainForm::ActiveNetChanged() {
    if (destroying_) return;
    if (auto* browser = qobject_cast<TFormRunBrowser*>(windows_.FormRunBrowser))
        browser->ActiveNetChanged();
}

void TMainForm::SetStatusText(const QString& text) {
    statusBar()->showMessage(text);
}
QString TMainForm::StatusText() const {
    return statusBar()->currentMessage();
}

void TMainForm::FocusWeightBox() {
    weightBox_->setFocus(Qt::OtherFocusReason);
    weightBox_->selectAll();
}

void TMainForm::ShowMessage(const std::string& text) {
    prompter_->Message(this, QString::fromStdString(text));
}

TProtoNeuronio* TMainForm::SelectInner(const std::vector<TProtoNeuronio*>& candidates) {
    auto* selectIO = qobject_cast<TForm_Mod_IO*>(windows_.Form_Mod_IO);
    return selectIO != nullptr ? selectIO->Ask(candidates) : nullptr;
}

std::string TMainForm::WeightText() {
    return weightBox_->text().toStdString();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    // A key pressed while a drawing window is active hides its hint (FormKeyDown).
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        if (TMDIChild* child = ActiveChild()) child->FormKeyDown();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace veltra
