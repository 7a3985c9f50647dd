// The multiple-document main window "VELTRA": menus, speed bar, weight box and status
// line; it makes drawing windows for new and opened nets, saves the active one and opens
// the shared tool windows. It holds no net of its own.
#pragma once

#include "model/interaction.h"
#include "ui/drawinghost.h"
#include "ui/prompter.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QToolButton;
class QUndoGroup;

namespace veltra {

class TDados;
class TEditStack;
class TMDIChild;
class TModule;
class TPrompter;
class TProtoNeuronio;
class TToolbar;
class TViewMenu;

class TMainForm final : public QMainWindow, public TDrawingHost, private TInteraction {
    Q_OBJECT
public:
    explicit TMainForm(std::unique_ptr<TPrompter> prompter = nullptr);
    ~TMainForm() override;

    // TDesktopHost, the face the menus, tools and dialogs see.
    QMainWindow& MainWindow() override { return *this; }
    TPrompter& Prompter() override { return *prompter_; }
    TInteraction& Interaction() override { return *this; }
    THintSettings& HintSettings() override { return hintSettings_; }
    TSingleWindows& Windows() override { return windows_; }
    TDrawingWindow* ActiveDrawing() const override;
    int DrawingCount() const override { return ChildCount(); }
    TDrawingWindow* DrawingAt(int index) const override;
    TDrawingWindow* FirstDrawing() const override;
    TDrawingWindow* NewDrawing(const QString& caption) override;

    TToolbar& Toolbar() override { return *windows_.Toolbar; }
    void SetPrompter(std::unique_ptr<TPrompter> prompter);

    TMDIChild* CreateMDIChild(const QString& caption) override;
    TMDIChild* ActiveChild() const;
    int ChildCount() const;
    TMDIChild* ChildAt(int index) const;
    // The first drawing window, while it is open.
    TMDIChild* FirstChild() const;
    void SetFirstChild(TMDIChild* child);

    // Commands.
    void FileNewItemClick();
    bool LoadNet();
    bool OpenNetFile(const QString& fileName) override;
    // Save writes to the window's own file and asks for a name only for a net never saved;
    // Save As always asks.
    void FileSaveItemClick();
    void FileSaveAsItemClick();
    bool SaveChild(TMDIChild& child);
    bool SaveChildAs(TMDIChild& child);
    bool WriteChild(TMDIChild& child, const QString& fileName);
    void FileCloseItemClick();
    void FileExitItemClick();
    void UpdateMenuItems() override;

    void SetStatusText(const QString& text) override;
    QString StatusText() const;
    void FocusWeightBox() override; // focus and select the whole text
    QLineEdit* WeightBox() const { return weightBox_; }

    // Shows the element in the Info dialog.
    void ShowNetBrowser(TProtoNeuronio* element, TDados& document) override;
    // Reads a module's inner net from a file the user picks; returns the error text.
    std::string LoadModuleFile(TDados& document, TModule& module) override;
    // The undo stacks of the drawing windows; the active window's is the active one, which
    // the Edit menu's Undo and Redo follow.
    QUndoGroup& UndoGroup() override { return *undoGroup_; }
    // The stack of the window whose net holds the element: at its top level first, else
    // inside a module; null when no open window holds it.
    TEditStack* StackHolding(const TProtoNeuronio* element) const override;
    // Some stack moved: the Execution Browser and the Info dialog show the nets as they are.
    void NetStackChanged() override;
    // Every window ends the mouse gesture it has under way (a stack is about to move).
    void EndGestures();
    // The watch flag of an element (the Execution Browser's Add and Rem), as an edit of the
    // stack holding the element.
    void SetWatched(TProtoNeuronio& element, bool watched) override;
    // An expanded view was changed outside its stack, or closes with unsaved edits: the nets
    // that hold the module are changed too, for good.
    void ModuleEdited(const TProtoNeuronio* module, TMDIChild* view) override;
    // The stack of an expanded view moved: the marks of the nets that hold the module follow
    // that stack's clean state.
    void InnerNetEdited(const TProtoNeuronio* module, TMDIChild* view) override;
    // Asks about unsaved changes; false when the user cancels the close.
    bool MaybeSave(TMDIChild& child) override;
    // The windows that show the active net follow it when another drawing window becomes
    // active or the last one closes.
    void ActiveNetChanged() override;
    // A tool window about to open goes where it is fully on screen and clear of the active
    // drawing and the other tool windows, where there is room.
    void PlaceToolWindow(QWidget& window);

    // The Info dialog and the Execution Browser let go of what goes with the window's net.
    void DrawingClosing(TMDIChild& window) override;

signals:
    void PrintDynamicsRequested();
    void DynamicsRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // TInteraction: how the model asks the user.
    void ShowMessage(const std::string& text) override;
    TProtoNeuronio* SelectInner(const std::vector<TProtoNeuronio*>& candidates) override;
    std::string WeightText() override;
    std::vector<const TProtoLista*> OpenNets() override;

    void BuildMenus();
    void BuildSpeedBar();
    void RebuildWindowMenu();
    void SetPaletteVisible(bool visible);
    // Where a new drawing window goes: a step down and right of the last one, back to the
    // top left when it would leave the workspace, and never larger than the workspace.
    void PlaceNewWindow(QMdiSubWindow* sub);
    void PlaceWindow(QMdiSubWindow* sub, const QMdiSubWindow* after);
    // The drawing windows' title bars, in screen coordinates.
    std::vector<QRect> TitleBars() const;
    void SetRunBrowserVisible(bool visible);

    std::unique_ptr<TPrompter> prompter_;
    TSingleWindows windows_;
    THintSettings hintSettings_;
    QMdiArea* mdiArea_;
    QUndoGroup* undoGroup_;
    QPointer<TMDIChild> firstChild_;
    QPointer<QMdiSubWindow> lastPlaced_;
    QLineEdit* weightBox_ = nullptr;
    QToolBar* speedPanel_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    TViewMenu* viewMenu_ = nullptr;
    QAction* draw1_ = nullptr;
    QAction* execution1_ = nullptr;
    QToolButton* drawBt_ = nullptr;
    QToolButton* executionBt_ = nullptr;
    QToolButton* saveBtn_ = nullptr;
    QString lastOpenName_;
    QString lastSaveName_;
    QString lastModuleName_;
    bool destroying_ = false;
    bool paletteShownOnce_ = false;
    bool placedAtStart_ = false;
};

} // namespace veltra
