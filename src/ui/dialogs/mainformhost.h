// The Info dialog's view of the main window (through its host face): its drawing windows,
// prompter and dialogs.
#pragma once

#include "ui/dialogs/infohost.h"

namespace veltra {

class TDrawingHost;
class TDrawingWindow;

class TMainFormInfoHost final : public TInfoHost {
public:
    explicit TMainFormInfoHost(TDrawingHost& host) : host_(host) {}

    TPrompter& Prompter() override;
    TInteraction& Interaction() override;
    std::vector<TOpenWindow> OpenWindows(const QObject* closing = nullptr) override;
    TDados* ActiveDocument() override;
    std::unique_ptr<TCanvas> CanvasFor(const TProtoNeuronio* element) override;
    void NetChanged(const TProtoNeuronio* element) override;
    void RecordEdit(const TProtoNeuronio* element,
                    const std::function<std::unique_ptr<QUndoCommand>(TEditStack&)>& make) override;
    std::string LoadModuleFile(TDados& document, TModule& module) override;
    TFormMDIWindowsList* WindowsList() override;

private:
    TDrawingHost& host_;
};

} // namespace veltra
