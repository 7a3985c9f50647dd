#include "execution/stopcondition.h"

#include "model/outputs.h"
#include "model/protolista.h"
#include "model/sinapse.h"

#include <algorithm>

namespace veltra {

namespace {

constexpr struct {
    TCompareOp op;
    const char* text;
} OpTexts[] = {{TCompareOp::Equal, "="},      {TCompareOp::Greater, ">"},
               {TCompareOp::Less, "<"},       {TCompareOp::GreaterEqual, ">="},
               {TCompareOp::LessEqual, "<="}, {TCompareOp::Changes, "changes"}};

bool Holds(int order, TCompareOp op) {
    switch (op) {
    case TCompareOp::Equal:
        return order == 0;
    case TCompareOp::Greater:
        return order > 0;
    case TCompareOp::Less:
        return order < 0;
    case TCompareOp::GreaterEqual:
        return order >= 0;
    case TCompareOp::LessEqual:
        return order <= 0;
    case TCompareOp::Changes:
        return order != 0;
    }
    return false;
}

bool EndsWith(const std::string& history, const std::string& pattern) {
    return history.size() >= pattern.size() &&
           std::equal(pattern.rbegin(), pattern.rend(), history.rbegin());
}

} // namespace

bool ParseCompareOp(std::string_view text, TCompareOp& op) {
    for (const auto& entry : OpTexts)
        if (text == entry.text) {
            op = entry.op;
            return true;
        }
    return false;
}

const char* CompareOpText(TCompareOp op) {
    for (const auto& entry : OpTexts)
        if (entry.op == op) return entry.text;
    return "?";
}

const TInfinito& WatchedValue(const TProtoNeuronio& element) {
    if (element.Kind() != TElementKind::Output) return element.GetValue();
    const TSinapse* s = static_cast<const TOutputs&>(element).ReadSynapse();
    return s != nullptr && s->Source() != nullptr ? s->Source()->GetValue() : ZeroValue();
}

TStopCondition TStopCondition::OnValue(TProtoNeuronio* element, TCompareOp op, TInfinito value) {
    TStopCondition c;
    c.kind = Kind::Value;
    c.element = element;
    c.op = op;
    c.value = std::move(value);
    return c;
}

TStopCondition TStopCondition::OnPattern(TProtoNeuronio* output, std::string pattern) {
    TStopCondition c;
    c.kind = Kind::Pattern;
    c.element = output;
    c.pattern = std::move(pattern);
    return c;
}

TStopCondition TStopCondition::OnStateRepeat() {
    return {};
}

std::string TStopCondition::Text() const {
    const std::string label = element != nullptr ? element->Label() : std::string();
    switch (kind) {
    case Kind::Value:
        return label + " " + CompareOpText(op) +
               (op == TCompareOp::Changes ? std::string() : " " + value.ToText());
    case Kind::Pattern:
        return label + " ends in " + pattern;
    case Kind::StateRepeats:
        break;
    }
    return "state repeats";
}

bool IsHistoryPattern(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](char c) { return c == '0' || c == '1' || c == 'x'; });
}

bool ParseValueCondition(std::string_view text, std::string& label, TCompareOp& op,
                         TInfinito& value, std::string& error) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const std::size_t valueAt = text.rfind(' ');
    if (valueAt == std::string_view::npos) {
        error = "expected 'LABEL OP VALUE'";
        return false;
    }
    std::string_view head = text.substr(0, valueAt);
    while (!head.empty() && head.back() == ' ')
        head.remove_suffix(1);
    const std::size_t opAt = head.rfind(' ');
    const std::string_view opText =
        opAt == std::string_view::npos ? std::string_view() : head.substr(opAt + 1);
    if (opAt == std::string_view::npos || !ParseCompareOp(opText, op) ||
        op == TCompareOp::Changes) {
        error = "expected 'LABEL OP VALUE' with OP one of = > < >= <=";
        return false;
    }
    std::string_view name = head.substr(0, opAt);
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    label = std::string(name);
    try {
        value = ReadTypedNumber(text.substr(valueAt + 1));
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    return true;
}

void TStopConditions::Arm(const TProtoLista& list) {
    previous_.clear();
    armed_ = false;
    for (const TStopCondition& c : items_) {
        const bool live = c.element != nullptr && list.IndexOf(c.element) >= 0;
        previous_.push_back(live ? WatchedValue(*c.element) : TInfinito());
        armed_ = armed_ || c.kind == TStopCondition::Kind::StateRepeats;
    }
    if (!armed_) return;
    cycle_.Start(list);
    start_ = CaptureState(list);
    startInputs_ = CaptureInputTexts(list);
}

int TStopConditions::Check(const TProtoLista& list) {
    int met = -1;
    // Every condition is looked at, so that "changes" remembers this step's value and the
    // cycle detector sees every state.
    const bool repeated = armed_ && cycle_.Observe(list);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const TStopCondition& c = items_[i];
        bool now = false;
        if (c.kind == TStopCondition::Kind::StateRepeats) {
            now = repeated;
        } else if (c.element != nullptr && list.IndexOf(c.element) >= 0) {
            if (c.kind == TStopCondition::Kind::Pattern) {
                now = c.element->Kind() == TElementKind::Output &&
                      EndsWith(static_cast<const TOutputs&>(*c.element).History(), c.pattern);
            } else {
                const TInfinito& v = WatchedValue(*c.element);
                if (c.op == TCompareOp::Changes) {
                    now = i < previous_.size() && TInfinito::Compare(v, previous_[i]) != 0;
                    if (i < previous_.size()) previous_[i] = v;
                } else {
                    now = Holds(TInfinito::Compare(v, c.value), c.op);
                }
            }
        }
        if (now && met < 0) met = static_cast<int>(i);
    }
    return met;
}

} // namespace veltra
