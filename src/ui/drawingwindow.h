// What the rest of the desktop sees of a drawing window: its net, its paint box, its
// selection and its undo stack. The main window makes the windows (TMDIChild); tools,
// menus and dialogs work through this face of them, so none of them depends on how a window
// handles its gestures, hints and pop-ups, and the window may in turn use all of them.
#pragma once

#include "model/point.h"

#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

namespace veltra {

class TDados;
class TEcra;
class TEditStack;
class TProtoNeuronio;
class TQtCanvas;

class TDrawingWindow : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual TDados& Document() = 0;
    // The paint box, with its view and scroll bars.
    virtual TEcra& Ecra() = 0;
    virtual QString Caption() const = 0;
    // The file the net was opened from or last saved to (absolute); empty for a net never
    // saved.
    virtual QString FilePath() const = 0;
    // See TMDIChild::SetModified.
    virtual void SetModified(bool modified) = 0;
    // The undo stack of the list the window shows.
    virtual TEditStack& UndoStack() = 0;

    // The selected elements, in the net's order.
    virtual std::vector<TProtoNeuronio*> Selection() const = 0;
    virtual bool SelectionEmpty() const = 0;
    // The selection becomes exactly these elements (those of this net among them).
    virtual void Select(const std::vector<TProtoNeuronio*>& elements) = 0;
    // Erases every selected element as one edit, after one confirmation when `ask`.
    virtual void EraseSelection(bool ask) = 0;
    // Checks the drawing pop-up item whose caption is exactly `caption`.
    virtual void MarkTool(const QString& caption) = 0;

    // --- what the paint box hands on and asks (net coordinates) -----------------------------
    virtual void EcraMouseDown(Qt::MouseButton button, int x, int y,
                               Qt::KeyboardModifiers modifiers) = 0;
    virtual void EcraMouseMove(int x, int y) = 0;
    virtual void EcraMouseUp(int x, int y) = 0;
    virtual void EcraDblClick(int x, int y) = 0;
    // The rubber band being drawn with the Move tool; false when none.
    virtual bool Band(TRect& area) const = 0;
    // A canvas on the paint box for gestures.
    virtual std::unique_ptr<TQtCanvas> ScreenCanvas() = 0;
    virtual void ShowStatus(const std::string& text) = 0;

signals:
    // The net was edited (every edit marks it modified).
    void Edited();
};

} // namespace veltra
