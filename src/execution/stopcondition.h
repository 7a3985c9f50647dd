// Conditions that end a run at the step that meets them: a watched element's value compared
// exactly with a decimal, an output's history ending in a pattern, or the net's state
// repeating an earlier one. Any active condition stops the run.
#pragma once

#include "execution/cycle.h"
#include "numeric/infinito.h"

#include <string>
#include <string_view>
#include <vector>

namespace veltra {

class TProtoLista;
class TProtoNeuronio;

enum class TCompareOp { Equal, Greater, Less, GreaterEqual, LessEqual, Changes };

// "=", ">", "<", ">=", "<=", "changes"; false for anything else.
bool ParseCompareOp(std::string_view text, TCompareOp& op);
const char* CompareOpText(TCompareOp op);

// The value a condition looks at: an element's own value, for an output the value it recorded
// in the last step (that of the element feeding it, which has committed before it).
const TInfinito& WatchedValue(const TProtoNeuronio& element);

struct TStopCondition {
    enum class Kind { Value, Pattern, StateRepeats };
    Kind kind = Kind::StateRepeats;
    TProtoNeuronio* element = nullptr; // Value and Pattern; looked up in the net, never trusted
    TCompareOp op = TCompareOp::Equal;
    TInfinito value;
    std::string pattern; // of '0', '1' and 'x', matched against the end of the history

    static TStopCondition OnValue(TProtoNeuronio* element, TCompareOp op, TInfinito value);
    static TStopCondition OnPattern(TProtoNeuronio* output, std::string pattern);
    static TStopCondition OnStateRepeat();
    // "N >= 0.3", "Out ends in 01x", "state repeats".
    std::string Text() const;
};

// Whether a text is a pattern an output's history can end in.
bool IsHistoryPattern(std::string_view text);

// Splits "LABEL OP VALUE" (the label may hold blanks; OP and VALUE are the last two words).
// False, with the reason in error, when it is not of that form or VALUE is not a number.
bool ParseValueCondition(std::string_view text, std::string& label, TCompareOp& op,
                         TInfinito& value, std::string& error);

// The conditions of a run, with what they remember between steps.
class TStopConditions {
public:
    std::vector<TStopCondition>& Items() { return items_; }
    const std::vector<TStopCondition>& Items() const { return items_; }
    bool Empty() const { return items_.empty(); }

    // Before the first step of a run: values for "changes", the start of cycle detection.
    void Arm(const TProtoLista& list);
    // After every step: the index of the first condition met, -1 for none. A condition on an
    // element no longer in the net is never met.
    int Check(const TProtoLista& list);
    const TCycleDetector& Cycle() const { return cycle_; }
    // With "state repeats": the state when armed, from which the cycle's start is found.
    const TNetState& StartState() const { return start_; }
    const TInputTexts& StartInputs() const { return startInputs_; }

private:
    std::vector<TStopCondition> items_;
    std::vector<TInfinito> previous_;
    TCycleDetector cycle_;
    TNetState start_;
    TInputTexts startInputs_;
    bool armed_ = false;
};

} // namespace veltra
