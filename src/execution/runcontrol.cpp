#include "execution/runcontrol.h"

#include "model/dados.h"
#include "model/interaction.h"

#include <algorithm>
#include <exception>

namespace veltra {

bool IsWatchable(const TProtoNeuronio& element) {
    const auto kind = element.Kind();
    return kind == TElementKind::Neuron || kind == TElementKind::Input ||
           kind == TElementKind::Output;
}

bool IsWatched(const TProtoNeuronio& element) {
    return IsWatchable(element) && element.Watched();
}

namespace {} // namespace

TRunControl::TRunControl(TInteraction& ui, std::function<TDados*()> activeDocument)
    : ui_(ui), activeDocument_(std::move(activeDocument)) {}

bool TRunControl::StepOnce(TDados& document) {
    cancel_ = false; // a Stop before this step began lets it run
    computing_ = true;
    struct Done {
        bool& computing;
        ~Done() { computing = false; }
    } done{computing_};
    if (stepRunner_) {
        if (!stepRunner_(document, cancel_)) return false;
    } else {
        document.Step();
    }
    ++stepCount_;
    return true;
}

bool TRunControl::Step() {
    TDados* document = activeDocument_ ? activeDocument_() : nullptr;
    if (document == nullptr) {
        ui_.ShowMessage(NoNetWindowText);
        return false;
    }
    if (StepOnce(*document)) Refresh();
    return true;
}

void TRunControl::Run() {
    running_ = true;
    stopEnabled_ = true;
    RunSlot slot{activeDocument_ ? activeDocument_() : nullptr};
    if (slot.document == nullptr) {
        ui_.ShowMessage(NoNetWindowText);
        return;
    }
    // Registered so that Forget can reach this loop while it waits in the pass hook.
    runs_.push_back(&slot);
    struct Unregister {
        std::vector<RunSlot*>& runs;
        RunSlot* slot;
        ~Unregister() { runs.erase(std::find(runs.begin(), runs.end(), slot)); }
    } unregister{runs_, &slot};

    // A step that throws (and so changed nothing) ends the run: the caller shows why.
    struct StopOnThrow {
        TRunControl& control;
        int pending = std::uncaught_exceptions();
        ~StopOnThrow() {
            if (std::uncaught_exceptions() > pending) control.Stop();
        }
    } stopOnThrow{*this};

    if (slot.document->AllFinished()) Stop();
    while (running_) {
        if (passHook_) passHook_();
        if (slot.document == nullptr) {
            Stop();
            break;
        }
        if (!StepOnce(*slot.document)) {
            Stop();
            break;
        }
        Refresh();
        if (slot.document == nullptr || slot.document->AllFinished()) Stop();
    }
}

void TRunControl::Stop() {
    stopEnabled_ = false;
    running_ = false;
    cancel_ = true; // abandons the step in progress, if any
}

void TRunControl::Reset() {
    TDados* document = activeDocument_ ? activeDocument_() : nullptr;
    if (document == nullptr) return;
    document->ResetAll();
    Refresh();
}

void TRunControl::Forget(const TDados* document) {
    for (RunSlot* slot : runs_)
        if (slot->document == document) slot->document = nullptr;
    TDados* active = activeDocument_ ? activeDocument_() : nullptr;
    if (active == nullptr || active == document || rowsDocument_ == document) {
        rows_.clear();
        rowsStale_ = false;
        rowsDocument_ = nullptr;
    }
}

void TRunControl::Refresh() {
    rows_.clear();
    rowsDocument_ = activeDocument_ ? activeDocument_() : nullptr;
    rowsStale_ = rowsDocument_ != nullptr;
    if (refreshHook_) refreshHook_();
}

const std::vector<TWatchRow>& TRunControl::Rows() const {
    if (rowsStale_) {
        rowsStale_ = false;
        rows_.clear();
        for (const auto& element : rowsDocument_->Elements()) {
            if (!IsWatched(*element)) continue;
            rows_.push_back({element.get(), element->Label(), element->ValueText(),
                             KindInfo(element->Kind()).rowImage});
        }
    }
    return rows_;
}

std::vector<TProtoNeuronio*> TRunControl::AddOffer() const {
    std::vector<TProtoNeuronio*> offer;
    TDados* document = activeDocument_ ? activeDocument_() : nullptr;
    if (document == nullptr) return offer;
    for (const auto& element : document->Elements())
        if (IsWatchable(*element) && !element->Watched()) offer.push_back(element.get());
    return offer;
}

bool TRunControl::AcceptAdd(const std::vector<TProtoNeuronio*>& offer, int selected) {
    if (selected < 0 || selected >= static_cast<int>(offer.size())) {
        ui_.ShowMessage(SelectIoText);
        return false;
    }
    Add(offer[static_cast<std::size_t>(selected)]);
    return true;
}

void TRunControl::Add(TProtoNeuronio* element) {
    TDados* document = activeDocument_ ? activeDocument_() : nullptr;
    if (document == nullptr || element == nullptr || document->Elements().IndexOf(element) < 0)
        return;
    element->SetWatched(true);
    Refresh();
}

void TRunControl::Remove(int rowIndex) {
    if (rowIndex < 0 || rowIndex >= static_cast<int>(Rows().size())) return;
    TDados* document = activeDocument_ ? activeDocument_() : nullptr;
    if (document == nullptr) return;
    // Rows are matched to elements by walking the watched elements in list order.
    TProtoNeuronio* found = nullptr;
    int count = 0;
    for (const auto& element : document->Elements()) {
        if (!IsWatched(*element)) continue;
        if (count++ == rowIndex) {
            found = element.get();
            break;
        }
    }
    TProtoNeuronio* rowElement = rows_[static_cast<std::size_t>(rowIndex)].element;
    if (found == rowElement) {
        found->SetWatched(false);
        rows_.erase(rows_.begin() + rowIndex);
        return;
    }
    // The rows were built for another window or before an edit: act on the row's own element
    // if it is still in the active net, and show the active net as it is now.
    if (document->Elements().IndexOf(rowElement) >= 0) rowElement->SetWatched(false);
    Refresh();
}

} // namespace veltra
