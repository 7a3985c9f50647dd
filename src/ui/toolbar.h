// The floating tool palette "Action Menu": nine tool buttons in one radio group. Its only
// state is the current tool, shared by every drawing window.
#pragma once

#include "model/elementkind.h"

#include <QString>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;

namespace veltra {

class TDesktopHost;

enum class TTool {
    None = 0,
    Neuron = 1,
    Synapse = 2,
    Bias = 3,
    Input = 4,
    Output = 5,
    Info = 6,
    Move = 7,
    Module = 8,
    Erase = 9
};

// The kind of element a placing tool puts down (the module tool's for any other tool).
constexpr TElementKind KindOfTool(TTool tool) {
    switch (tool) {
    case TTool::Neuron:
        return TElementKind::Neuron;
    case TTool::Bias:
        return TElementKind::Bias;
    case TTool::Input:
        return TElementKind::Input;
    case TTool::Output:
        return TElementKind::Output;
    default:
        return TElementKind::Module;
    }
}

// The drawing pop-up caption of a tool ("&Neuron", "Mo&ve", ...); empty for None.
QString ToolCaption(TTool tool);

class TToolbar final : public QWidget {
    Q_OBJECT
public:
    explicit TToolbar(TDesktopHost& host, QWidget* parent = nullptr);

    TTool CurrentTool() const { return tool_; }
    // The palette handler of a tool (SpeedNeuronioClick, ...).
    void ChooseTool(TTool tool);
    // Puts the tool's button down (as a click on it would) without running the handler.
    void PressButton(TTool tool);
    QAbstractButton* Button(TTool tool) const;

private:
    TDesktopHost& host_;
    QButtonGroup* group_;
    TTool tool_ = TTool::None;
};

} // namespace veltra
