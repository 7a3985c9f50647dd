#include "ui/dialogs/mainformhost.h"

#include "model/canvas.h"
#include "model/dados.h"
#include "ui/dialogs/mdiwindowslist.h"
#include "ui/ecra.h"
#include "ui/editstack.h"
#include "ui/mainform.h"
#include "ui/mdichild.h"
#include "ui/qtcanvas.h"

namespace veltra {

TPrompter& TMainFormInfoHost::Prompter() {
    return mainForm_.Prompter();
}

TInteraction& TMainFormInfoHost::Interaction() {
    return mainForm_.Interaction();
}

std::vector<TOpenWindow> TMainFormInfoHost::OpenWindows(const QObject* closing) {
    std::vector<TOpenWindow> windows;
    for (int i = 0; i < mainForm_.ChildCount(); ++i) {
        TMDIChild* child = mainForm_.ChildAt(i);
        if (child == nullptr || child == closing) continue;
        windows.push_back({child, child->Caption(), &child->Document()});
    }
    return windows;
}

TDados* TMainFormInfoHost::ActiveDocument() {
    TMDIChild* child = mainForm_.ActiveChild();
    return child != nullptr ? &child->Document() : nullptr;
}

std::unique_ptr<TCanvas> TMainFormInfoHost::CanvasFor(const TProtoNeuronio* element) {
    for (int i = 0; i < mainForm_.ChildCount(); ++i) {
        TMDIChild* child = mainForm_.ChildAt(i);
        if (child->Document().Elements().IndexOf(element) >= 0) {
            child->Ecra().Compose(); // the inverting pen works on what is on screen now
            return child->ScreenCanvas();
        }
    }
    return std::make_unique<TNullCanvas>();
}

void TMainFormInfoHost::NetChanged(const TProtoNeuronio* element) {
    for (int i = 0; i < mainForm_.ChildCount(); ++i) {
        TMDIChild* child = mainForm_.ChildAt(i);
        if (element == nullptr || !child->Document().Elements().ContainsDeep(element)) continue;
        child->Ecra().InvalidateAll();
        child->Ecra().update();
    }
}

void TMainFormInfoHost::RecordEdit(
    const TProtoNeuronio* element,
    const std::function<std::unique_ptr<QUndoCommand>(TEditStack&)>& make) {
    if (TEditStack* stack = mainForm_.StackHolding(element)) stack->Push(make(*stack));
}

std::string TMainFormInfoHost::LoadModuleFile(TDados& document, TModule& module) {
    return mainForm_.LoadModuleFile(document, module);
}

TFormMDIWindowsList* TMainFormInfoHost::WindowsList() {
    return qobject_cast<TFormMDIWindowsList*>(mainForm_.Windows().FormMDIWindowsList);
}

} // namespace veltra
