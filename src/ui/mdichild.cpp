#include "ui/mdichild.h"

#include "model/canvas.h"
#include "model/inputs.h"
#include "model/module.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"
#include "ui/dialogs/hinttext.h"
#include "ui/drawinghost.h"
#include "ui/ecra.h"
#include "ui/editcommands.h"
#include "ui/editstack.h"
#include "ui/glyphimages.h"
#include "ui/guard.h"
#include "ui/hint.h"
#include "ui/netscroller.h"
#include "ui/prompter.h"
#include "ui/qtcanvas.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QMenu>
#include <QScrollBar>
#include <QUndoGroup>
#include <algorithm>
#include <exception>

namespace veltra {

namespace {

QString Box(const TRect& r) {
    return QStringLiteral("[%1,%2,%3,%4]").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
}

// The element pop-up as the elements adjust it.
class TQtElementMenu final : public TElementMenu {
public:
    explicit TQtElementMenu(QMenu& menu) : menu_(menu) {}
    void SetItemVisible(const std::string& caption, bool visible) override {
        for (QAction* a : menu_.actions())
            if (a->text() == QString::fromStdString(caption)) a->setVisible(visible);
    }

private:
    QMenu& menu_;
};

} // namespace

TMDIChild::TMDIChild(TDrawingHost& host, const QString& caption)
    : host_(host), document_(std::make_unique<TDados>(&host.Interaction())),
      ecra_(new TEcra(*this)) {
    setObjectName(QStringLiteral("MDIChild"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ecra_, 0, 0);
    layout->addWidget(&ecra_->Scroller().VerticalBar(), 0, 1);
    layout->addWidget(&ecra_->Scroller().HorizontalBar(), 1, 0);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    resize(520, 360);
    timer1_.setInterval(1000);
    timer2_.setInterval(1000);
    connect(&timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(&timer2_, &QTimer::timeout, this, [this] { Timer2Timer(); });
    BuildMenus();
    SetCaption(caption);
    BindStack();
    // What leaves the net is let go of: hints, the pop-up's element, the selection, a gesture.
    connect(&notices_, &TNetSignals::elementLeaving, this,
            [this](const TProtoNeuronio* e, bool released) { Leaving(e, released); });
    notices_.Observe(document_->Elements());
}

TMDIChild::~TMDIChild() {
    notices_.StopObservingAll();
    // The hint must not outlive the window or point at an element of a released net.
    if (hintElement_ != nullptr && hint_) hintElement_->SetHintShown(false);
    hint_.reset();
}

void TMDIChild::SetCaption(const QString& caption) {
    caption_ = caption;
    setWindowTitle(caption + QStringLiteral("[*]"));
}

void TMDIChild::SetFilePath(const QString& path) {
    const QFileInfo info(path);
    filePath_ = info.absoluteFilePath();
    SetCaption(info.fileName());
    if (QWidget* frame = parentWidget()) frame->setToolTip(QDir::toNativeSeparators(filePath_));
}

namespace {

void ForModuleNets(const TProtoLista& list, const std::function<void(const TProtoLista&)>& visit) {
    for (const auto& e : list) {
        if (e->Kind() != TElementKind::Module) continue;
        const TProtoLista& inner = static_cast<const TModule&>(*e).InnerNet();
        visit(inner);
        ForModuleNets(inner, visit);
    }
}

} // namespace

void TMDIChild::ForInnerStacks(const std::function<void(TEditStack&)>& visit) const {
    ForModuleNets(document_->Elements(), [&](const TProtoLista& inner) {
        if (TEditStack* stack = TEditStack::Existing(&inner)) visit(*stack);
    });
}

bool TMDIChild::Modified() const {
    if (changedOutside_ || !stack_->isClean()) return true;
    bool inner = false;
    ForInnerStacks([&inner](TEditStack& stack) { inner = inner || !stack.isClean(); });
    return inner;
}

void TMDIChild::SetModified(bool modified) {
    changedOutside_ = modified;
    if (!modified) {
        stack_->setClean();
        // Saved with the net: the edits made in its modules' windows are saved too.
        ForInnerStacks([](TEditStack& stack) { stack.setClean(); });
    }
    UpdateMark();
    if (modified && expandedModule_ != nullptr) host_.ModuleEdited(expandedModule_, this);
    if (modified) emit Edited();
}

void TMDIChild::InnerNetEdited() {
    UpdateMark();
    emit Edited();
}

void TMDIChild::UpdateMark() {
    setWindowModified(Modified());
}

void TMDIChild::BindStack() {
    if (stack_) disconnect(stack_.get(), nullptr, this, nullptr);
    stack_ = TEditStack::For(document_->Net().SharedElements());
    host_.UndoGroup().addStack(stack_.get());
    connect(stack_.get(), &QUndoStack::indexChanged, this, [this] { StackChanged(); });
    connect(stack_.get(), &QUndoStack::cleanChanged, this, [this] { UpdateMark(); });
    UpdateMark();
}

void TMDIChild::ShowList(std::shared_ptr<TProtoLista> list) {
    notices_.StopObserving(document_->Elements());
    document_->SetElements(std::move(list));
    notices_.Observe(document_->Elements());
    BindStack();
    host_.UpdateMenuItems(); // the Edit menu follows the active window's stack
    if (host_.ActiveDrawing() == this) host_.ActiveNetChanged();
}

void TMDIChild::Push(std::unique_ptr<QUndoCommand> command) {
    // The edit has been drawn (or the area it changed marked) already: no whole repaint.
    pushing_ = true;
    stack_->Push(std::move(command));
    pushing_ = false;
}

void TMDIChild::Leaving(const TProtoNeuronio* e, bool released) {
    ForgetElement(e);
    // An erased module stays this window's module while undo may bring it back.
    if (released && e == expandedModule_) expandedModule_ = nullptr;
}

void TMDIChild::StackChanged() {
    // What left the net (an erase, an undone placement) was let go of as it left.
    if (!pushing_) {
        ecra_->InvalidateAll();
        // The band of a synapse being drawn is on the screen only: drawn again over the new
        // picture, so that the next mouse move takes it away instead of leaving a line.
        if (document_->dragState == TDragState::Drawing && document_->pendingSynapse) {
            ecra_->Compose();
            auto canvas = ScreenCanvas();
            document_->pendingSynapse->DrawRubberBand(*canvas);
        }
    }
    ecra_->update();
    UpdateMark();
    if (expandedModule_ != nullptr) host_.InnerNetEdited(expandedModule_, this);
    emit Edited();
    host_.NetStackChanged();
}

void TMDIChild::BuildMenus() {
    popupDesenho_ = new QMenu(this);
    popupDesenho_->setObjectName(QStringLiteral("PopupMenuDesenho"));
    toolItems_ = new QActionGroup(this);
    toolItems_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    const struct {
        TTool tool;
        const char* name;
    } items[] = {
        {TTool::Info, "PopupMenuDesenhoInfo"},     {TTool::Move, "PopupMenuDesenhoMove"},
        {TTool::Neuron, "PopupMenuDesenhoNeuron"}, {TTool::Synapse, "PopupMenuDesenhoSynapse"},
        {TTool::Bias, "PopupMenuDesenhoPendor"},   {TTool::Input, "PopupMenuDesenhoInput"},
        {TTool::Output, "PopupMenuDesenhoOutput"}, {TTool::Module, "PopupMenuDesenhoModule"},
        {TTool::Erase, "PopupMenuDesenhoErase"}};
    for (const auto& item : items) {
        QAction* a = popupDesenho_->addAction(ToolCaption(item.tool));
        a->setObjectName(QString::fromLatin1(item.name));
        a->setCheckable(true);
        toolItems_->addAction(a);
        const TTool tool = item.tool;
        connect(a, &QAction::triggered, this, [this, tool, a] { ChooseFromPopup(tool, a); });
    }
    popupDesenho_->addSeparator();
    popupDesenho_->addAction(QStringLiteral("Cancel"))->setObjectName(QStringLiteral("Cancel1"));

    popupProtoNeuronio_ = new QMenu(this);
    popupProtoNeuronio_->setObjectName(QStringLiteral("PopupMenuProtoNeuronio"));
    QAction* info = popupProtoNeuronio_->addAction(QStringLiteral("&Info"));
    info->setObjectName(QStringLiteral("PopupMenuProtoNeuronioinfo"));
    QAction* erase = popupProtoNeuronio_->addAction(QStringLiteral("&Erase"));
    erase->setObjectName(QStringLiteral("PopupMenuProtoNeuronioErase"));
    QAction* load = popupProtoNeuronio_->addAction(QStringLiteral("&Load"));
    load->setObjectName(QStringLiteral("PopupMenuProtoNeuronioLoad"));
    load->setVisible(false);
    connect(info, &QAction::triggered, this, [this] {
        Guard([this] {
            if (Alive(popupElement_)) InfoElemento(popupElement_);
        });
    });
    connect(erase, &QAction::triggered, this, [this] {
        Guard([this] {
            if (Alive(popupElement_)) EraseElemento(popupElement_);
        });
    });
    connect(load, &QAction::triggered, this, [this] { Guard([this] { LoadModuleFromPopup(); }); });
}

void TMDIChild::MarkTool(const QString& caption) {
    for (QAction* a : toolItems_->actions())
        if (a->text() == caption) a->setChecked(true);
}

void TMDIChild::ChooseFromPopup(TTool tool, QAction* item) {
    TToolbar& palette = host_.Toolbar();
    palette.ChooseTool(tool);
    palette.PressButton(tool);
    item->setChecked(true);
}

bool TMDIChild::Alive(const TProtoNeuronio* e) {
    return e != nullptr && document_->Elements().IndexOf(e) >= 0;
}

void TMDIChild::Guard(const std::function<void()>& body) {
    Guarded(host_.Prompter(), this, body);
}

std::unique_ptr<TQtCanvas> TMDIChild::ScreenCanvas() {
    auto canvas = std::make_unique<TQtCanvas>(
        ecra_->Screen(), TGlyphImages::Shared(),
        [this](const std::string& text) { ShowStatus(text); },
        [this](const TRect& area) { ecra_->InvalidateModel(area); });
    canvas->SetView(ecra_->View());
    return canvas;
}

QPoint TMDIChild::GlobalOf(int x, int y) const {
    return ecra_->mapToGlobal(ecra_->View().ToScreen(x, y));
}

void TMDIChild::ShowStatus(const std::string& text) {
    host_.SetStatusText(QString::fromStdString(text));
}

// --- mouse ------------------------------------------------------------------------------

void TMDIChild::EcraMouseDown(Qt::MouseButton button, int x, int y,
                              Qt::KeyboardModifiers modifiers) {
    ecra_->Compose(); // gestures draw over what the screen shows now
    Guard([&] {
        if (button == Qt::LeftButton)
            ToolAction(x, y, modifiers);
        else if (button == Qt::RightButton)
            PopupAction(x, y);
    });
    HoverBookkeeping(x, y);
    ecra_->update();
}

void TMDIChild::HoverBookkeeping(int x, int y) {
    timer1_.stop();
    if (QPoint(x, y) == hintPoint_) return;
    if (hintActive_) {
        if (hintElement_ != nullptr) HideHintFor(hintElement_);
        hintActive_ = false;
        timer2_.stop();
    }
    hoverPoint_ = QPoint(x, y);
    timer1_.start();
}

void TMDIChild::ToolAction(int x, int y, Qt::KeyboardModifiers modifiers) {
    const TTool tool = host_.Toolbar().CurrentTool();
    if (tool == TTool::Move && !GestureRunning()) {
        TProtoNeuronio* hit = document_->ElementAt(x, y);
        const bool shift = (modifiers & Qt::ShiftModifier) != 0;
        if (hit != nullptr && shift) {
            if (!selected_.erase(hit)) selected_.insert(hit);
            ecra_->update();
            return;
        }
        if (hit == nullptr) {
            banding_ = true;
            bandAdds_ = shift;
            bandStart_ = bandEnd_ = QPoint(x, y);
            return;
        }
    }
    switch (tool) {
    case TTool::None:
        host_.Prompter().Message(this, QStringLiteral("Choose something!"));
        return;
    case TTool::Neuron:
    case TTool::Bias:
    case TTool::Input:
    case TTool::Output:
    case TTool::Module:
        PlaceElement(tool, x, y);
        return;
    default:
        break;
    }
    TProtoNeuronio* e = document_->ElementAt(x, y);
    if (e == nullptr) {
        host_.Prompter().Message(this, tool == TTool::Synapse ? QStringLiteral("Nobody home....")
                                                              : QStringLiteral("Nobody home..."));
        return;
    }
    switch (tool) {
    case TTool::Synapse:
        DrawSinapse(x, y, e);
        break;
    case TTool::Info:
        InfoElemento(e);
        break;
    case TTool::Move:
        movePress_ = QPoint(x, y);
        MoverElemento(e);
        break;
    case TTool::Erase:
        EraseElemento(e);
        break;
    default:
        break;
    }
}

void TMDIChild::PlaceElement(TTool tool, int x, int y) {
    const TElementKind kind = KindOfTool(tool);
    std::unique_ptr<TProtoNeuronio> e = KindInfo(kind).make();
    const int g = GlyphIndex(kind);
    e->Setup(ShiftCoordinate(x, -(GlyphWidth(kind) / 2)),
             ShiftCoordinate(y, -(GlyphHeight(kind) / 2)), g, g + 1,
             document_->Net().ElementCounter());
    TProtoNeuronio* placed = document_->AddElement(std::move(e));
    const TRect box = placed->GlyphBox();
    ecra_->InvalidateModel(box);
    Push(std::make_unique<TElementCommand>(*stack_, TElementCommand::TKind::Place,
                                           document_->Net().SharedElements(), placed));
    host_.SetStatusText(Box(box));
    host_.FocusWeightBox();
}

void TMDIChild::DrawSinapse(int x, int y, TProtoNeuronio* e) {
    auto canvas = ScreenCanvas();
    document_->BeginSynapse(e, {x, y}, *canvas);
}

std::vector<TProtoNeuronio*> TMDIChild::Selection() const {
    std::vector<TProtoNeuronio*> selection;
    if (selected_.empty()) return selection;
    for (const auto& e : document_->Elements())
        if (selected_.count(e.get())) selection.push_back(e.get());
    return selection;
}

void TMDIChild::SelectAll() {
    for (const auto& e : document_->Elements())
        selected_.insert(e.get());
    ecra_->update();
}

void TMDIChild::Select(const std::vector<TProtoNeuronio*>& elements) {
    selected_.clear();
    for (TProtoNeuronio* e : elements)
        if (Alive(e)) selected_.insert(e);
    ecra_->update();
}

void TMDIChild::EraseSelection(bool ask) {
    if (selected_.empty() || GestureRunning()) return;
    const std::vector<TProtoNeuronio*> doomed = Selection();
    const TPoint at = doomed.front()->GetPosition();
    if (ask && !host_.Prompter().Confirm(this, QStringLiteral("Erase the selection?"),
                                         GlobalOf(at.x, at.y)))
        return;
    ecra_->InvalidateAll();
    Push(std::make_unique<TEraseSelectionCommand>(*stack_, document_->Net().SharedElements(),
                                                  doomed));
}

void TMDIChild::ClearSelection() {
    selected_.clear();
    ecra_->update();
}

bool TMDIChild::Band(TRect& area) const {
    if (!banding_) return false;
    area = {std::min(bandStart_.x(), bandEnd_.x()), std::min(bandStart_.y(), bandEnd_.y()),
            std::max(bandStart_.x(), bandEnd_.x()), std::max(bandStart_.y(), bandEnd_.y())};
    return true;
}

void TMDIChild::EndBand(int x, int y) {
    bandEnd_ = QPoint(x, y);
    TRect area;
    Band(area);
    banding_ = false;
    ecra_->update();
    if (bandStart_ == bandEnd_) {
        // A click, not a band: nothing there to move.
        host_.Prompter().Message(this, QStringLiteral("Nobody home..."));
        return;
    }
    if (!bandAdds_) selected_.clear();
    for (const auto& e : document_->Elements()) {
        const TRect box = e->GlyphBox();
        if (box.left <= area.right && area.left <= box.right && box.top <= area.bottom &&
            area.top <= box.bottom)
            selected_.insert(e.get());
    }
}

bool TMDIChild::GestureRunning() const {
    return document_->dragState != TDragState::None || banding_;
}

void TMDIChild::CancelGesture() {
    if (document_->dragState == TDragState::Moving && !movingGroup_.empty()) {
        for (std::size_t i = movingGroup_.size(); i-- > 0;)
            if (Alive(movingGroup_[i]))
                PutAt(document_->Elements(), *movingGroup_[i], groupStart_[i]);
    } else if (document_->dragState == TDragState::Moving && moving_ != nullptr && Alive(moving_)) {
        PutAt(document_->Elements(), *moving_, moveStart_);
    }
    movingGroup_.clear();
    document_->pendingSynapse.reset();
    document_->dragState = TDragState::None;
    document_->dragElement = nullptr;
    moving_ = nullptr;
    banding_ = false;
    ecra_->InvalidateAll();
    ecra_->update();
}

void TMDIChild::MoverElemento(TProtoNeuronio* e) {
    moveStart_ = SpotOf(document_->Elements(), *e);
    moving_ = e;
    movingGroup_.clear();
    groupStart_.clear();
    if (Selected(e) && selected_.size() > 1) {
        // They come to the front in the list's order, keeping it among themselves.
        movingGroup_ = Selection();
        for (TProtoNeuronio* member : movingGroup_) {
            groupStart_.push_back(SpotOf(document_->Elements(), *member));
            document_->BringToFront(member);
        }
        document_->dragState = TDragState::Moving;
        document_->dragElement = e;
        ecra_->InvalidateAll();
        return;
    }
    document_->dragState = TDragState::Moving;
    document_->dragElement = e;
    document_->BringToFront(e);
    ecra_->InvalidateModel(e->GlyphBox());
    host_.SetStatusText(Box(e->GlyphBox()));
}

void TMDIChild::InfoElemento(TProtoNeuronio* e) {
    host_.ShowNetBrowser(e, *document_);
}

void TMDIChild::EraseElemento(TProtoNeuronio* e) {
    const TPoint at = e->GetPosition();
    if (!host_.Prompter().Confirm(this, QStringLiteral("Erase?"), GlobalOf(at.x, at.y))) return;
    // A move of it under way ends first (the group back where it began), so that the erase
    // takes it, and undo puts it back, from where it stood before the move.
    ForgetElement(e);
    {
        // Off the screen as the erase always took them: the synapses in the inverting pen,
        // the glyph's area composed again.
        auto canvas = ScreenCanvas();
        for (const TSinapse* s : SynapsesOf(*e))
            if (!s->IsSelfLoop()) s->Erase(*canvas);
    }
    ecra_->InvalidateModel(e->GlyphBox());
    // Kept by the command with its synapses, so that undo puts back the very same objects.
    Push(std::make_unique<TElementCommand>(*stack_, TElementCommand::TKind::Erase,
                                           document_->Net().SharedElements(), e));
}

void TMDIChild::EcraMouseMove(int x, int y) {
    HoverBookkeeping(x, y);
    if (banding_) {
        bandEnd_ = QPoint(x, y);
        ecra_->update();
        return;
    }
    Guard([&] {
        if (document_->dragState == TDragState::Moving && !movingGroup_.empty()) {
            TNullCanvas canvas; // the whole view is composed again from the net
            // Each stops at the ends of the coordinate range rather than wrapping round.
            const std::int64_t dx = std::int64_t{x} - movePress_.x();
            const std::int64_t dy = std::int64_t{y} - movePress_.y();
            for (std::size_t i = 0; i < movingGroup_.size(); ++i)
                movingGroup_[i]->MoveTopLeftTo(canvas, ShiftCoordinate(groupStart_[i].x, dx),
                                               ShiftCoordinate(groupStart_[i].y, dy));
            ecra_->InvalidateAll();
            ecra_->update();
        } else if (document_->dragState == TDragState::Moving && moving_ != nullptr) {
            ecra_->Compose();
            auto canvas = ScreenCanvas();
            moving_->MoveTo(*canvas, x, y);
            canvas.reset();
            host_.SetStatusText(QStringLiteral("MouseMove (neuron):[%1:%2]").arg(x).arg(y));
            ecra_->update();
        } else if (document_->dragState == TDragState::Drawing) {
            host_.SetStatusText(QStringLiteral("Synapse: %1:%2state:%3")
                                    .arg(x)
                                    .arg(y)
                                    .arg(static_cast<int>(document_->dragState)));
            ecra_->Compose();
            auto canvas = ScreenCanvas();
            document_->DragSynapse(*canvas, x, y);
            ecra_->update();
        }
    });
}

void TMDIChild::EcraMouseUp(int x, int y) {
    if (banding_) return Guard([&] { EndBand(x, y); });
    Guard([&] {
        if (document_->dragState == TDragState::Drawing) {
            ecra_->Compose();
            auto canvas = ScreenCanvas();
            const TSynapseGesture gesture(document_->dragElement, document_->ElementAt(x, y));
            if (document_->EndSynapse(*canvas, x, y) != nullptr) {
                canvas.reset();
                if (auto command = gesture.Command(*stack_)) Push(std::move(command));
                host_.FocusWeightBox();
            }
            ecra_->update();
        } else if (document_->dragState == TDragState::Moving && !movingGroup_.empty()) {
            std::vector<TElementSpot> end;
            bool moved = false;
            for (std::size_t i = 0; i < movingGroup_.size(); ++i) {
                end.push_back(SpotOf(document_->Elements(), *movingGroup_[i]));
                moved = moved || end[i].index != groupStart_[i].index ||
                        end[i].x != groupStart_[i].x || end[i].y != groupStart_[i].y;
            }
            if (moved)
                Push(std::make_unique<TMoveSelectionCommand>(
                    *stack_, document_->Net().SharedElements(), movingGroup_, groupStart_, end));
        } else if (document_->dragState == TDragState::Moving && moving_ != nullptr) {
            TProtoNeuronio* e = moving_;
            const TElementSpot end = SpotOf(document_->Elements(), *e);
            if (end.index != moveStart_.index || end.x != moveStart_.x || end.y != moveStart_.y)
                Push(std::make_unique<TMoveCommand>(*stack_, document_->Net().SharedElements(), e,
                                                    moveStart_, end));
        }
    });
    document_->dragState = TDragState::None;
    document_->dragElement = nullptr;
    document_->pendingSynapse.reset();
    moving_ = nullptr;
    movingGroup_.clear();
}

void TMDIChild::PopupAction(int x, int y) {
    TProtoNeuronio* e = document_->ElementAt(x, y);
    // A gesture under way keeps its element.
    if (!GestureRunning()) document_->dragElement = e;
    popupElement_ = e;
    const QPoint global = GlobalOf(x, y);
    if (e != nullptr) {
        TQtElementMenu adapter(*popupProtoNeuronio_);
        e->AdjustPopupMenu(adapter);
        popupProtoNeuronio_->popup(global);
    } else {
        popupDesenho_->popup(global);
    }
}

void TMDIChild::EcraDblClick(int x, int y) {
    Guard([&] {
        TModule* module = AsModule(document_->ElementAt(x, y));
        if (module == nullptr) return;
        host_.Prompter().Message(this, QStringLiteral("Internal: double click on module"));
        TMDIChild* view = host_.CreateMDIChild(QString::fromStdString(module->Label()));
        view->ShowList(module->SharedInnerNet());
        view->SetExpandedModule(module);
        view->Ecra().InvalidateAll();
    });
}

void TMDIChild::LoadModuleFromPopup() {
    if (!Alive(popupElement_)) return;
    TModule* module = AsModule(popupElement_);
    if (module == nullptr) return;
    // A module read in is an edit of the stack holding the module (this window's).
    const std::string error = host_.LoadModuleFile(*document_, *module);
    if (!error.empty()) host_.Prompter().Message(this, QString::fromStdString(error));
    ecra_->InvalidateAll();
}

// --- hints ------------------------------------------------------------------------------

void TMDIChild::Timer1Timer() {
    QPoint pos;
    if (hintActive_ || !ecra_->CursorPos(pos) || pos != hoverPoint_) return;
    hintElement_ = document_->ElementAt(pos.x(), pos.y());
    if (hintElement_ == nullptr) return;
    ShowHintFor(hintElement_);
    hintActive_ = true;
    hintPoint_ = hoverPoint_;
    timer1_.stop();
    timer2_.start();
}

void TMDIChild::Timer2Timer() {
    if (!hintActive_) return;
    if (hintElement_ != nullptr) HideHintFor(hintElement_);
    hintActive_ = false;
    timer2_.stop();
}

void TMDIChild::FormKeyDown() {
    Timer2Timer();
}
void TMDIChild::FormDeactivate() {
    Timer2Timer();
}

void TMDIChild::ShowHintFor(TProtoNeuronio* e) {
    if (e->HintShown()) return;
    e->SetHintShown(true);
    // The Options dialog decides what a hint shows; with nothing to show no hint appears.
    const std::string text =
        HintTextFor(*e, host_.HintSettings().showLabel, host_.HintSettings().showValue);
    if (text.empty()) return;
    if (!hint_) hint_ = std::make_unique<THint>();
    const TRect b = e->GlyphBox();
    const QRect box(GlobalOf(b.left, b.top), GlobalOf(b.right, b.bottom));
    hint_->ActivateHint(box, QString::fromStdString(text), ecra_->font());
}

void TMDIChild::HideHintFor(TProtoNeuronio* e) {
    e->SetHintShown(false);
    hint_.reset();
}

void TMDIChild::ForgetElement(const TProtoNeuronio* e) {
    if (hintElement_ == e) {
        if (hint_) hintElement_->SetHintShown(false);
        hint_.reset();
        hintElement_ = nullptr;
        hintActive_ = false;
        timer2_.stop();
    }
    if (popupElement_ == e) popupElement_ = nullptr;
    selected_.erase(e);
    // An element leaving the net in the middle of its move goes from where the move began,
    // so that undo brings it back there.
    if (e != nullptr && (e == moving_ || std::find(movingGroup_.begin(), movingGroup_.end(), e) !=
                                             movingGroup_.end()))
        CancelGesture();
    document_->ForgetGesture(e);
}

void TMDIChild::keyPressEvent(QKeyEvent* event) {
    FormKeyDown();
    QWidget::keyPressEvent(event);
}

void TMDIChild::closeEvent(QCloseEvent* event) {
    if (!host_.MaybeSave(*this)) {
        event->ignore();
        return;
    }
    // The last window of a module's edited inner net: its stack goes with it, and the nets
    // holding the module stay changed without it.
    if (expandedModule_ != nullptr && !stack_->isClean() && stack_.use_count() == 1)
        host_.ModuleEdited(expandedModule_, this);
    ForgetElement(hintElement_);
    timer1_.stop();
    host_.DrawingClosing(*this);
    event->accept();
}

} // namespace veltra
