#include "execution/runcontrol.h"

#include "model/dados.h"
#include "model/interaction.h"
#include "model/protolista.h"

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

TRunControl::TRunControl(TInteraction& ui, std::function<TDados*()> activeDocument)
    : ui_(ui), activeDocument_(std::move(activeDocument)) {}

TRunControl::~TRunControl() = default;

void TRunControl::TConditionWatch::ElementLeaving(const TProtoNeuronio& element, TLeaving how) {
    // Erased by an edit the element may come back; the conditions look it up in the net anyway.
    if (how != TLeaving::Released) return;
    for (auto& [document, conditions] : control_.conditions_)
        for (TStopCondition& c : conditions.Items())
            if (c.element == &element) c.element = nullptr;
    if (control_.metElement_ == &element) control_.metElement_ = nullptr;
}

TStopConditions& TRunControl::Conditions() {
    TDados* document = activeDocument_ ? activeDocument_() : nullptr;
    if (document == nullptr) {
        noConditions_.Items().clear(); // nothing chosen without a net is kept for one
        return noConditions_;
    }
    return Conditions(*document);
}

TStopConditions& TRunControl::Conditions(const TDados& document) {
    return conditions_[&document];
}

const TDados* TRunControl::RunningDocument() const {
    for (auto it = runs_.rbegin(); it != runs_.rend(); ++it)
        if ((*it)->document != nullptr) return (*it)->document;
    return nullptr;
}

TRunHistory& TRunControl::History(const TDados& document) {
    auto& slot = histories_[&document];
    if (!slot) {
        slot = std::make_unique<TRunHistory>(historyBudget_);
        conditionWatch_.Observe(document.Net().Elements());
        slot->Begin(document.Net().Elements());
    }
    return *slot;
}

long long TRunControl::CurrentStep() const {
    TDados* document = activeDocument_ ? activeDocument_() : nullptr;
    if (document == nullptr) return 0;
    const auto it = histories_.find(document);
    return it == histories_.end() ? 0 : it->second->Step();
}

bool TRunControl::StepOnce(TDados& document) {
    TRunHistory& history = History(document); // begun before the step when new
    if (!StepUncounted(document)) return false;
    ++stepCount_;
    history.Stepped(document.Elements());
    return true;
}

bool TRunControl::StepUncounted(TDados& document) {
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
    RunLimited(-1);
}

void TRunControl::RunSteps(long long count) {
    RunLimited(count < 0 ? 0 : count);
}

void TRunControl::RunLimited(long long limit) {
    running_ = true;
    stopEnabled_ = true;
    RunSlot slot{activeDocument_ ? activeDocument_() : nullptr, 0};
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

    if (slot.document->AllFinished() || limit == 0) Stop();
    metCondition_ = -1;
    metStep_ = -1;
    metElement_ = nullptr;
    stopReport_.clear();
    slot.armedAt = History(*slot.document).Step();
    conditionWatch_.Observe(slot.document->Elements());
    if (TStopConditions& conditions = Conditions(*slot.document); !conditions.Empty())
        conditions.Arm(slot.document->Elements());
    long long taken = 0;
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
        ++taken;
        // Looked up again after every pass: the net's window may have closed meanwhile.
        if (TStopConditions& conditions = Conditions(*slot.document); !conditions.Empty()) {
            if (const int met = conditions.Check(slot.document->Elements()); met >= 0) {
                ConditionMet(*slot.document, met, slot.armedAt);
                Stop();
            }
        }
        Refresh();
        if (slot.document == nullptr || slot.document->AllFinished() ||
            (limit > 0 && taken >= limit))
            Stop();
    }
}

void TRunControl::ConditionMet(TDados& document, int index, long long armedAt) {
    TRunHistory& history = History(document);
    TStopConditions& conditions = Conditions(document);
    metCondition_ = index;
    metStep_ = history.Step();
    const TStopCondition& c = conditions.Items()[static_cast<std::size_t>(index)];
    metElement_ = c.element;
    if (c.kind != TStopCondition::Kind::StateRepeats) {
        stopReport_ = "Stopped at step " + std::to_string(metStep_) + ": " + c.Text();
        return;
    }
    const long long period = conditions.Cycle().Period();
    // Outputs only grow while the search steps, so restoring the state here afterwards cuts
    // their histories back to what the run recorded.
    TProtoLista& list = document.Elements();
    const TNetState here = CaptureState(list);
    // Counted from the net's first step within reach (its load or Reset, unless edited
    // since), not from where this run began: a run begun inside the cycle finds the step it
    // was entered at, as a run from the file does.
    long long from = armedAt;
    const TNetState* fromState = &conditions.StartState();
    const TInputTexts* fromInputs = &conditions.StartInputs();
    if (history.FirstState() != nullptr && history.First() <= armedAt) {
        from = history.First();
        fromState = history.FirstState();
        fromInputs = &history.Inputs();
    }
    long long start = -1;
    try {
        start = from + FindCycleStart(list, *fromState, *fromInputs, period, [&] {
                    if (!StepUncounted(document)) throw TCancelled();
                });
    } catch (const TCancelled&) {
        start = -1; // Stop pressed during the search: the period alone is known
    } catch (...) {
        RestoreState(list, here, conditions.StartInputs());
        throw;
    }
    RestoreState(list, here, conditions.StartInputs());
    // Detection comes up to one period late: show the first step whose state repeats.
    if (start >= 0 && history.GoTo(list, start + period, [&] { return StepUncounted(document); }))
        metStep_ = history.Step();
    stopReport_ = start >= 0 ? CycleText(start, period)
                             : "State repeats every " + std::to_string(period) + " steps";
}

bool TRunControl::GoTo(long long step) {
    TDados* document = activeDocument_ ? activeDocument_() : nullptr;
    if (document == nullptr) return false;
    const bool reached = History(*document).GoTo(document->Elements(), step,
                                                 [&] { return StepUncounted(*document); });
    Refresh();
    return reached;
}

bool TRunControl::StepBack() {
    return GoTo(CurrentStep() - 1);
}

void TRunControl::NetEdited(const TDados* document) {
    const auto it = histories_.find(document);
    if (it != histories_.end()) it->second->Edited(document->Net().Elements());
    // A run in progress compares states from here on.
    for (RunSlot* slot : runs_)
        if (slot->document == document && !Conditions(*document).Empty()) {
            Conditions(*document).Arm(document->Net().Elements());
            slot->armedAt = History(*document).Step();
        }
}

std::string CycleText(long long start, long long period) {
    return "State after step " + std::to_string(start) + " repeats every " +
           std::to_string(period) + " steps";
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
    History(*document).Begin(document->Elements());
    Refresh();
}

void TRunControl::Forget(const TDados* document) {
    histories_.erase(document);
    conditions_.erase(document);
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

std::vector<TProtoNeuronio*> TRunControl::WatchedElements() const {
    std::vector<TProtoNeuronio*> elements;
    if (rowsDocument_ == nullptr) return elements;
    for (const auto& element : rowsDocument_->Elements())
        if (IsWatched(*element)) elements.push_back(element.get());
    return elements;
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
    Watch(*element, true);
    Refresh();
}

void TRunControl::Watch(TProtoNeuronio& element, bool watched) {
    if (watchHook_)
        watchHook_(element, watched);
    else
        element.SetWatched(watched);
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
        Watch(*found, false);
        rows_.erase(rows_.begin() + rowIndex);
        return;
    }
    // The rows were built for another window or before an edit: act on the row's own element
    // if it is still in the active net, and show the active net as it is now.
    if (document->Elements().IndexOf(rowElement) >= 0) Watch(*rowElement, false);
    Refresh();
}

} // namespace veltra
