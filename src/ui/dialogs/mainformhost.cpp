#include "ui/dialogs/mainformhost.h"

#include "model/canvas.h"
#include "model/dados.h"
#include "ui/dialogs/mdiwindowslist.h"
#include "ui/drawinghost.h"
#include "ui/drawingwindow.h"
#include "ui/ecra.h"
#include "ui/editstack.h"
#include "ui/prompter.h"
#include "ui/qtcanvas.h"

namespace veltra {

TPrompter& TMainFormInfoHost::Prompter() {
    return host_.Prompter();
}

TInteraction& TMainFormInfoHost::Interaction() {
    return host_.Interaction();
}

std::vector<TOpenWindow> TMainFormInfoHost::OpenWindows(const QObject* closing) {
    std::vector<TOpenWindow> windows;
    for (int i = 0; i < host_.DrawingCount(); ++i) {
        TDrawingWindow* child = host_.DrawingAt(i);
        if (child == nullptr || child == closing) continue;
        windows.push_back({child, child->Caption(), &child->Document()});
    }
    return windows;
}

TDados* TMainFormInfoHost::ActiveDocument() {
    TDrawingWindow* child = host_.ActiveDrawing();
    return child != nullptr ? &child->Document() : nullptr;
}

std::unique_ptr<TCanvas> TMainFormInfoHost::CanvasFor(const TProtoNeuronio* element) {
    for (int i = 0; i < host_.DrawingCount(); ++i) {
        TDrawingWindow* child = host_.DrawingAt(i);
        if (child->Document().Elements().IndexOf(element) >= 0) {
            child->Ecra().Compose(); // the inverting pen works on what is on screen now
            return child->ScreenCanvas();
        }
    }
    return std::make_unique<TNullCanvas>();
}

void TMainFormInfoHost::NetChanged(const TProtoNeuronio* element) {
    for (int i = 0; i < host_.DrawingCount(); ++i) {
        TDrawingWindow* child = host_.DrawingAt(i);
        if (element == nullptr || !child->Document().Elements().ContainsDeep(element)) continue;
        child->Ecra().InvalidateAll();
        child->Ecra().update();
    }
}

void TMainFormInfoHost::RecordEdit(
    const TProtoNeuronio* element,
    const std::function<std::unique_ptr<QUndoCommand>(TEditStack&)>& make) {
    if (TEditStack* stack = host_.StackHolding(element)) stack->Push(make(*stack));
}

std::string TMainFormInfoHost::LoadModuleFile(TDados& document, TModule& module) {
    return host_.LoadModuleFile(document, module);
}

TFormMDIWindowsList* TMainFormInfoHost::WindowsList() {
    return qobject_cast<TFormMDIWindowsList*>(host_.Windows().FormMDIWindowsList);
}

} // namespace veltra
