// A drawing window: shows and edits one net through its document. Mouse presses act by
// the palette's current tool; a right press opens a pop-up; a double click on a module
// opens the module's inner net in a new window; two timers raise the hover hint.
#pragma once

#include "model/dados.h"
#include "model/netedit.h"
#include "ui/drawingwindow.h"
#include "ui/netsignals.h"
#include "ui/toolbar.h"

#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

class QActionGroup;
class QMenu;
class QUndoCommand;

namespace veltra {

class TEcra;
class TEditStack;
class THint;
class TDrawingHost;
class TQtCanvas;

class TMDIChild final : public TDrawingWindow {
    Q_OBJECT
public:
    TMDIChild(TDrawingHost& host, const QString& caption);
    ~TMDIChild() override;

    TDados& Document() override { return *document_; }
    TEcra& Ecra() override { return *ecra_; }
    QString Caption() const override { return caption_; }
    void SetCaption(const QString& caption);
    // The file the net was opened from or last saved to (absolute), empty for a net never
    // saved. Setting it makes the file's name the caption and its full path the window's
    // tooltip, however the file was named when it was opened.
    QString FilePath() const override { return filePath_; }
    void SetFilePath(const QString& path);
    // Unsaved changes: the undo stack is away from where it was saved, so is the stack of a
    // module's inner net inside it (edited in that module's window), or the net was changed
    // from outside the stacks (edits of a module's window that has closed since).
    bool Modified() const;
    // Not modified: the stacks' present states (this net's and its modules') become the saved
    // ones. Modified: a change from outside the stack, which also tells Edited (the run
    // history drops the steps after it).
    void SetModified(bool modified) override;
    // A module's inner net inside this net was edited, or an edit there undone: the mark
    // follows, and Edited tells.
    void InnerNetEdited();
    // The undo stack of the list this window shows (shared with every window showing it).
    TEditStack& UndoStack() override { return *stack_; }
    // Shows another list (a module's inner net) and takes that list's stack.
    void ShowList(std::shared_ptr<TProtoLista> list);
    // Set on a window showing a module's inner net: its edits belong to the enclosing net.
    // Kept while the module is out of the net by an edit that may be undone; dropped when the
    // module is released.
    const TProtoNeuronio* ExpandedModule() const { return expandedModule_; }
    void SetExpandedModule(const TProtoNeuronio* module) { expandedModule_ = module; }

    // A mouse gesture (a move, a synapse being drawn) is under way.
    bool GestureRunning() const;
    // Ends the gesture as if it had not begun: a moved element goes back to its place, a
    // synapse's band goes. Called before the stack is moved, which a gesture must not see
    // change under it.
    void CancelGesture();

    // --- selection (not part of the net: no edit, not undone) ------------------------------
    // The selected elements, in the net's order.
    std::vector<TProtoNeuronio*> Selection() const override;
    bool Selected(const TProtoNeuronio* e) const { return selected_.count(e) != 0; }
    bool SelectionEmpty() const override { return selected_.empty(); }
    void SelectAll();
    void ClearSelection();
    // The selection becomes exactly these elements (those of this net among them).
    void Select(const std::vector<TProtoNeuronio*>& elements) override;
    // Erases every selected element as one edit, after one confirmation when `ask` (Cut
    // does not ask: it keeps a copy, and the edit can be undone).
    void EraseSelection(bool ask) override;
    // The rubber band being drawn with the Move tool (net coordinates); false when none.
    bool Band(TRect& area) const override;

    QMenu* DrawingPopup() const { return popupDesenho_; }
    QMenu* ElementPopup() const { return popupProtoNeuronio_; }
    // Checks the drawing pop-up item whose caption is exactly `caption`.
    void MarkTool(const QString& caption) override;

    // --- event handlers (net coordinates) -------------------------------------------------
    // Shift with the Move tool: a click on an element adds it to the selection or takes it
    // out; a band drawn over empty space adds what it touches.
    void EcraMouseDown(Qt::MouseButton button, int x, int y,
                       Qt::KeyboardModifiers modifiers = Qt::NoModifier) override;
    void EcraMouseMove(int x, int y) override;
    void EcraMouseUp(int x, int y) override;
    void EcraDblClick(int x, int y) override;
    void Timer1Timer();
    void Timer2Timer();
    void FormKeyDown();
    void FormDeactivate();

    void InfoElemento(TProtoNeuronio* e);
    void MoverElemento(TProtoNeuronio* e);
    void EraseElemento(TProtoNeuronio* e);
    void DrawSinapse(int x, int y, TProtoNeuronio* e);

    // Hides the hint and drops every reference to the element before it is released.
    void ForgetElement(const TProtoNeuronio* e);
    // An element leaves the net shown (or a net inside it); `released`: destroyed.
    void Leaving(const TProtoNeuronio* e, bool released);
    TProtoNeuronio* HintElement() const { return hintElement_; }
    bool HintActive() const { return hintActive_; }
    THint* HintWindow() const { return hint_.get(); }
    QTimer& Timer1() { return timer1_; }
    QTimer& Timer2() { return timer2_; }

    // A canvas on the paint box for gestures; the status and repaint requests go to the
    // main window and the paint box.
    std::unique_ptr<TQtCanvas> ScreenCanvas() override;
    void ShowStatus(const std::string& text) override;
    // A net point on the screen.
    QPoint GlobalOf(int x, int y) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ToolAction(int x, int y, Qt::KeyboardModifiers modifiers);
    void EndBand(int x, int y);
    void PopupAction(int x, int y);
    void PlaceElement(TTool tool, int x, int y);
    void HoverBookkeeping(int x, int y);
    void ShowHintFor(TProtoNeuronio* e);
    void HideHintFor(TProtoNeuronio* e);
    void BuildMenus();
    void ChooseFromPopup(TTool tool, QAction* item);
    void BindStack();
    // The stack moved (an edit, an undo, a redo): repaint, drop what left the net, tell.
    void StackChanged();
    void UpdateMark();
    // Calls `visit` with the stack of every module's inner net inside this net that a window
    // holds a stack for.
    void ForInnerStacks(const std::function<void(TEditStack&)>& visit) const;
    void Push(std::unique_ptr<QUndoCommand> command);
    void LoadModuleFromPopup();
    bool Alive(const TProtoNeuronio* e);
    // Runs a handler so that no exception reaches the event loop: the message is shown
    // and the command is abandoned.
    void Guard(const std::function<void()>& body);

    TDrawingHost& host_;
    std::unique_ptr<TDados> document_;
    TEcra* ecra_;
    QMenu* popupDesenho_ = nullptr;
    QMenu* popupProtoNeuronio_ = nullptr;
    QActionGroup* toolItems_ = nullptr;
    QTimer timer1_;
    QTimer timer2_;
    QString caption_;
    QString filePath_;
    bool changedOutside_ = false;
    bool pushing_ = false; // a command of this window's gesture is being pushed
    std::shared_ptr<TEditStack> stack_;
    TElementSpot moveStart_;
    TProtoNeuronio* moving_ = nullptr; // the element a move drags (a pop-up may come meanwhile)
    // A selected element's drag moves the whole selection with it, by the mouse's way.
    std::vector<TProtoNeuronio*> movingGroup_;
    std::vector<TElementSpot> groupStart_;
    QPoint movePress_;
    TNetSignals notices_; // of the net shown, and the nets inside it
    const TProtoNeuronio* expandedModule_ = nullptr;

    TProtoNeuronio* hintElement_ = nullptr;
    bool hintActive_ = false;
    std::unique_ptr<THint> hint_;
    QPoint hoverPoint_{0, 0};
    QPoint hintPoint_{0, 0};
    TProtoNeuronio* popupElement_ = nullptr;
    std::unordered_set<const TProtoNeuronio*> selected_;
    bool banding_ = false;
    bool bandAdds_ = false; // Shift held: the band adds to the selection
    QPoint bandStart_;
    QPoint bandEnd_;
};

} // namespace veltra
