#include "machine/machine.h"

#include "machine/jsonvalue.h"

#include <set>

namespace veltra {

namespace {

const char* const kTopNames[] = {"empty", "0", "1", "any"};
const char* const kActionNames[] = {"push 0", "push 1", "pop", "keep"};

// Checks one description and collects the first problem with its place.
class TDescriptionReader {
public:
    explicit TDescriptionReader(TMachine& machine) : m_(machine) {}

    bool Read(const TJsonValue& root) {
        if (!root.IsObject()) return Fail("the description", "must be an object");
        for (const auto& [key, value] : root.Members()) {
            (void)value;
            if (key != "alphabet" && key != "states" && key != "start" && key != "accept" &&
                key != "stacks" && key != "transitions")
                return Fail(key, "is not a part of a machine description");
        }
        return ReadAlphabet(root) && ReadStates(root) && ReadStacks(root) &&
               ReadTransitions(root) && CheckClashes();
    }

    std::string error;

private:
    bool Fail(const std::string& place, const std::string& what) {
        error = place + ": " + what;
        return false;
    }

    const TJsonValue* Need(const TJsonValue& object, const std::string& key,
                           const std::string& place, TJsonValue::Type type) {
        const TJsonValue* value = object.Find(key);
        if (value == nullptr) {
            Fail(place.empty() ? key : place, "is missing");
            return nullptr;
        }
        if (value->GetType() != type) {
            Fail(place.empty() ? key : place, std::string("must be ") + JsonTypeName(type));
            return nullptr;
        }
        return value;
    }

    bool ReadNames(const TJsonValue& list, const std::string& place,
                   std::vector<std::string>& names) {
        for (std::size_t i = 0; i < list.Items().size(); ++i) {
            const std::string at = place + "[" + std::to_string(i) + "]";
            const TJsonValue& item = list.Items()[i];
            if (!item.IsString()) return Fail(at, "must be a string");
            if (item.Text().empty()) return Fail(at, "is empty");
            for (const std::string& seen : names)
                if (seen == item.Text()) return Fail(at, "'" + seen + "' appears twice");
            names.push_back(item.Text());
        }
        return true;
    }

    bool ReadAlphabet(const TJsonValue& root) {
        const TJsonValue* list = Need(root, "alphabet", "", TJsonValue::Type::Array);
        if (list == nullptr) return false;
        if (!ReadNames(*list, "alphabet", m_.alphabet)) return false;
        if (m_.alphabet.empty()) return Fail("alphabet", "needs at least one symbol");
        for (std::size_t i = 0; i < m_.alphabet.size(); ++i) {
            // A word is typed as a string of symbols, so a symbol is one character.
            if (m_.alphabet[i].size() != 1)
                return Fail("alphabet[" + std::to_string(i) + "]",
                            "'" + m_.alphabet[i] + "' " + NotOneByte(m_.alphabet[i]));
        }
        return true;
    }

    int StateIndex(const std::string& name) const {
        for (std::size_t i = 0; i < m_.states.size(); ++i)
            if (m_.states[i] == name) return static_cast<int>(i);
        return -1;
    }

    bool ReadState(const TJsonValue& object, const std::string& key, const std::string& place,
                   int& state) {
        const TJsonValue* value = Need(object, key, place, TJsonValue::Type::String);
        if (value == nullptr) return false;
        state = StateIndex(value->Text());
        if (state < 0) return Fail(place, "unknown state '" + value->Text() + "'");
        return true;
    }

    bool ReadStates(const TJsonValue& root) {
        const TJsonValue* list = Need(root, "states", "", TJsonValue::Type::Array);
        if (list == nullptr) return false;
        if (!ReadNames(*list, "states", m_.states)) return false;
        if (m_.states.empty()) return Fail("states", "needs at least one state");
        if (!ReadState(root, "start", "start", m_.start)) return false;
        m_.accepting.assign(m_.states.size(), false);
        const TJsonValue* accept = Need(root, "accept", "", TJsonValue::Type::Array);
        if (accept == nullptr) return false;
        for (std::size_t i = 0; i < accept->Items().size(); ++i) {
            const std::string at = "accept[" + std::to_string(i) + "]";
            const TJsonValue& item = accept->Items()[i];
            if (!item.IsString()) return Fail(at, "must be a string");
            const int state = StateIndex(item.Text());
            if (state < 0) return Fail(at, "unknown state '" + item.Text() + "'");
            m_.accepting[static_cast<std::size_t>(state)] = true;
        }
        return true;
    }

    bool ReadStacks(const TJsonValue& root) {
        const TJsonValue* value = Need(root, "stacks", "", TJsonValue::Type::Number);
        if (value == nullptr) return false;
        if (value->Text() != "1" && value->Text() != "2")
            return Fail("stacks", "must be 1 or 2, not " + value->Text());
        m_.stacks = value->Text() == "1" ? 1 : 2;
        return true;
    }

    // Reads `top` or `do`: one entry per stack, each one of the given names.
    template <class T, std::size_t N>
    bool ReadPerStack(const TJsonValue& object, const std::string& key, const std::string& place,
                      const char* const (&names)[N], std::vector<T>& out) {
        const TJsonValue* list = Need(object, key, place + "." + key, TJsonValue::Type::Array);
        if (list == nullptr) return false;
        if (list->Items().size() != static_cast<std::size_t>(m_.stacks))
            return Fail(place + "." + key, "needs one entry per stack (" +
                                               std::to_string(m_.stacks) + "), not " +
                                               std::to_string(list->Items().size()));
        std::string allowed;
        for (std::size_t n = 0; n < N; ++n)
            allowed += std::string(n ? ", " : "") + "'" + names[n] + "'";
        for (std::size_t i = 0; i < list->Items().size(); ++i) {
            const std::string at = place + "." + key + "[" + std::to_string(i) + "]";
            const TJsonValue& item = list->Items()[i];
            if (!item.IsString()) return Fail(at, "must be a string");
            std::size_t n = 0;
            while (n < N && item.Text() != names[n])
                ++n;
            if (n == N) return Fail(at, "'" + item.Text() + "' is not one of " + allowed);
            out.push_back(static_cast<T>(n));
        }
        return true;
    }

    bool ReadTransitions(const TJsonValue& root) {
        const TJsonValue* list = Need(root, "transitions", "", TJsonValue::Type::Array);
        if (list == nullptr) return false;
        for (std::size_t i = 0; i < list->Items().size(); ++i) {
            const std::string at = "transitions[" + std::to_string(i) + "]";
            const TJsonValue& item = list->Items()[i];
            if (!item.IsObject()) return Fail(at, "must be an object");
            for (const auto& [key, value] : item.Members()) {
                (void)value;
                if (key != "state" && key != "read" && key != "top" && key != "next" && key != "do")
                    return Fail(at + "." + key, "is not a part of a transition");
            }
            TMachineTransition t;
            if (!ReadState(item, "state", at + ".state", t.state)) return false;
            const TJsonValue* read = Need(item, "read", at + ".read", TJsonValue::Type::String);
            if (read == nullptr) return false;
            if (read->Text() == "end") {
                t.read = m_.EndSymbol();
            } else {
                t.read = -1;
                for (std::size_t s = 0; s < m_.alphabet.size(); ++s)
                    if (m_.alphabet[s] == read->Text()) t.read = static_cast<int>(s);
                if (t.read < 0) return Fail(at + ".read", "unknown symbol '" + read->Text() + "'");
            }
            if (!ReadPerStack(item, "top", at, kTopNames, t.top)) return false;
            if (!ReadState(item, "next", at + ".next", t.next)) return false;
            if (!ReadPerStack(item, "do", at, kActionNames, t.action)) return false;
            m_.transitions.push_back(std::move(t));
        }
        return true;
    }

    static bool Overlap(TStackTop a, TStackTop b) {
        return a == b || a == TStackTop::Any || b == TStackTop::Any;
    }

    // Determinism: no two transitions may both apply to one state, symbol and stack tops.
    bool CheckClashes() {
        const auto& ts = m_.transitions;
        for (std::size_t i = 0; i < ts.size(); ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                if (ts[i].state != ts[j].state || ts[i].read != ts[j].read) continue;
                bool overlap = true;
                for (int s = 0; s < m_.stacks; ++s)
                    overlap = overlap && Overlap(ts[i].top[static_cast<std::size_t>(s)],
                                                 ts[j].top[static_cast<std::size_t>(s)]);
                if (!overlap) continue;
                const std::string symbol = ts[i].read == m_.EndSymbol()
                                               ? std::string("end")
                                               : m_.alphabet[static_cast<std::size_t>(ts[i].read)];
                return Fail("transitions[" + std::to_string(i) + "]",
                            "clashes with transitions[" + std::to_string(j) +
                                "]: both apply in state '" +
                                m_.states[static_cast<std::size_t>(ts[i].state)] + "' reading '" +
                                symbol + "'");
            }
        }
        return true;
    }

    TMachine& m_;
};

TStackTop TopOf(const std::vector<int>& stack) {
    if (stack.empty()) return TStackTop::Empty;
    return stack.back() ? TStackTop::One : TStackTop::Zero;
}

} // namespace

bool TopMatches(TStackTop wanted, TStackTop actual) {
    return wanted == TStackTop::Any || wanted == actual;
}

bool TMachine::Read(std::string_view json, std::string& errorText) {
    *this = TMachine();
    TJsonValue root;
    if (!TJsonValue::Parse(json, root, errorText)) return false;
    TDescriptionReader reader(*this);
    if (!reader.Read(root)) {
        errorText = reader.error;
        return false;
    }
    errorText.clear();
    return true;
}

bool TMachine::WordSymbols(std::string_view word, std::vector<int>& symbols,
                           std::string& errorText) const {
    symbols.clear();
    for (std::size_t i = 0; i < word.size(); ++i) {
        int found = -1;
        for (std::size_t s = 0; s < alphabet.size(); ++s)
            if (alphabet[s][0] == word[i]) found = static_cast<int>(s);
        if (found < 0) {
            errorText = "word, character " + std::to_string(i + 1) + ": '" +
                        std::string(1, word[i]) + "' is not a symbol of the alphabet";
            return false;
        }
        symbols.push_back(found);
    }
    return true;
}

int TMachine::Match(int state, int read, const std::vector<std::vector<int>>& stackValues) const {
    for (std::size_t i = 0; i < transitions.size(); ++i) {
        const TMachineTransition& t = transitions[i];
        if (t.state != state || t.read != read) continue;
        bool all = true;
        for (int s = 0; s < stacks; ++s)
            all = all && TopMatches(t.top[static_cast<std::size_t>(s)],
                                    TopOf(stackValues[static_cast<std::size_t>(s)]));
        if (all) return static_cast<int>(i);
    }
    return -1;
}

TMachineConfiguration TMachine::StartConfiguration() const {
    return {start, std::vector<std::vector<int>>(static_cast<std::size_t>(stacks))};
}

void TMachine::Advance(TMachineConfiguration& at, int read) const {
    if (at.state < 0) return;
    const int match = Match(at.state, read, at.stacks);
    if (match < 0) {
        at.state = -1;
        return;
    }
    const TMachineTransition& t = transitions[static_cast<std::size_t>(match)];
    for (int s = 0; s < stacks; ++s) {
        auto& stack = at.stacks[static_cast<std::size_t>(s)];
        switch (t.action[static_cast<std::size_t>(s)]) {
        case TStackAction::Push0:
            stack.push_back(0);
            break;
        case TStackAction::Push1:
            stack.push_back(1);
            break;
        case TStackAction::Pop:
            if (!stack.empty()) stack.pop_back();
            break;
        case TStackAction::Keep:
            break;
        }
    }
    at.state = t.next;
}

bool TMachine::Accepts(const std::vector<int>& word) const {
    TMachineConfiguration at = StartConfiguration();
    for (std::size_t i = 0; i <= word.size() && at.state >= 0; ++i)
        Advance(at, i < word.size() ? word[i] : EndSymbol());
    return at.state >= 0 && accepting[static_cast<std::size_t>(at.state)];
}

} // namespace veltra
