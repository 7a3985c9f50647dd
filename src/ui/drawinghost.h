// What a drawing window needs from the main window beyond what every tool does: module
// windows, the undo group, the saving question and the bookkeeping of nets held in more than
// one window. The main window provides it.
#pragma once

#include "ui/desktophost.h"

#include <string>

class QUndoGroup;

namespace veltra {

class TDados;
class TEditStack;
class TMDIChild;
class TModule;
class TToolbar;

class TDrawingHost : public TDesktopHost {
public:
    // A drawing window, made as NewDrawing makes it, for a module's inner net.
    virtual TMDIChild* CreateMDIChild(const QString& caption) = 0;
    virtual TToolbar& Toolbar() = 0;
    // The undo stacks of the drawing windows; the active window's is the active one.
    virtual QUndoGroup& UndoGroup() = 0;
    // The stack of the window whose net holds the element: at its top level first, else
    // inside a module; null when no open window holds it.
    virtual TEditStack* StackHolding(const TProtoNeuronio* element) const = 0;
    // The menus follow the active window's stack.
    virtual void UpdateMenuItems() = 0;
    // Some stack moved: the tool windows show the nets as they are.
    virtual void NetStackChanged() = 0;
    // Shows the element in the Info dialog.
    virtual void ShowNetBrowser(TProtoNeuronio* element, TDados& document) = 0;
    // Reads a module's inner net from a file the user picks; returns the error text.
    virtual std::string LoadModuleFile(TDados& document, TModule& module) = 0;
    // Asks about unsaved changes; false when the user cancels the close.
    virtual bool MaybeSave(TMDIChild& child) = 0;
    // An expanded view was changed outside its stack, or closes with unsaved edits.
    virtual void ModuleEdited(const TProtoNeuronio* module, TMDIChild* view) = 0;
    // The stack of an expanded view moved.
    virtual void InnerNetEdited(const TProtoNeuronio* module, TMDIChild* view) = 0;
    // The window is closing: the tool windows let go of what goes with its net.
    virtual void DrawingClosing(TMDIChild& window) = 0;
};

} // namespace veltra
