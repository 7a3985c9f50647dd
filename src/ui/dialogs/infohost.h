// What the Info dialog needs from the application: the open drawing windows and their
// nets, a canvas to move an element on, the prompter and the model's questions, the module
// file dialog and the window list. The main window provides it (TMainFormInfoHost).
#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QUndoCommand;
class QWidget;

namespace veltra {

class TCanvas;
class TDados;
class TEditStack;
class TFormMDIWindowsList;
class TInteraction;
class TModule;
class TPrompter;
class TProtoLista;
class TProtoNeuronio;

struct TOpenWindow {
    QPointer<QWidget> window;
    QString caption;
    TDados* document = nullptr;
};

class TInfoHost {
public:
    virtual ~TInfoHost() = default;
    virtual TPrompter& Prompter() = 0;
    virtual TInteraction& Interaction() = 0;
    // The open drawing windows in child index order, leaving out `closing`.
    virtual std::vector<TOpenWindow> OpenWindows(const QObject* closing = nullptr) = 0;
    // The active drawing window's document; null when none is open.
    virtual TDados* ActiveDocument() = 0;
    // A canvas of the window that shows the element at its top level (a null canvas when
    // none does); the window is repainted from the model by NetChanged afterwards.
    virtual std::unique_ptr<TCanvas> CanvasFor(const TProtoNeuronio* element) = 0;
    // Every window whose net holds the element is repainted.
    virtual void NetChanged(const TProtoNeuronio* element) = 0;
    // An edit made to the element (or to a synapse of it), already done, goes onto the undo
    // stack of the window that holds the element, which marks it modified. `make` builds
    // the command for that stack; nothing is recorded where no window holds the element.
    virtual void RecordEdit(const TProtoNeuronio* element,
                            const std::function<std::unique_ptr<QUndoCommand>(TEditStack&)>& make) {
        (void)element;
        (void)make;
    }
    // Asks for a module file and reads it into the module; the error text, empty on success.
    virtual std::string LoadModuleFile(TDados& document, TModule& module) = 0;
    virtual TFormMDIWindowsList* WindowsList() = 0;
};

} // namespace veltra
