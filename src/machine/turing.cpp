#include "machine/turing.h"

#include "machine/jsonvalue.h"

#include <algorithm>
#include <cctype>

namespace veltra {

namespace {

constexpr int kMostNotationSymbols = 10; // the digits
constexpr int kMostNotationStates = 25;  // A to Y: Z always halts

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Quoted(std::string_view text) {
    std::string quoted(1, '\'');
    quoted += text;
    quoted += '\'';
    return quoted;
}

int IndexOf(const std::vector<std::string>& names, std::string_view name) {
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

// Reads the notation into the machine; the first problem, with its place, goes to error.
class TNotationReader {
public:
    explicit TNotationReader(TTuringMachine& machine) : m_(machine) {}

    bool Read(std::string_view text) {
        text = Trimmed(text);
        if (text.empty()) return Fail("the machine is empty");
        std::vector<std::string_view> groups;
        for (std::size_t from = 0;;) {
            const std::size_t split = text.find('_', from);
            groups.push_back(
                text.substr(from, split == std::string_view::npos ? split : split - from));
            if (split == std::string_view::npos) break;
            from = split + 1;
        }
        const std::size_t width = groups.front().size();
        if (width == 0 || width % 3 != 0)
            return Fail("state A: " + Quoted(groups.front()) +
                        " is not one triple (written symbol, move, next state) per symbol");
        const int symbols = static_cast<int>(width / 3);
        if (symbols > kMostNotationSymbols)
            return Fail("state A has " + std::to_string(symbols) + " triples; the notation " +
                        "writes symbols as digits, so a machine has at most 10");
        const int states = static_cast<int>(groups.size());
        if (states > kMostNotationStates)
            return Fail("the machine has " + std::to_string(states) +
                        " states; the notation names at most 25 (A to Y, Z halts)");
        for (int q = 0; q < states; ++q) {
            const std::string_view group = groups[static_cast<std::size_t>(q)];
            if (group.size() != width)
                return Fail("state " + Letter(q) + ": " + Quoted(group) + " has " +
                            std::to_string(group.size()) + " characters, state A " +
                            std::to_string(width) + " (3 per symbol)");
        }

        for (int s = 0; s < symbols; ++s)
            m_.symbols.push_back(std::string(1, static_cast<char>('0' + s)));
        for (int q = 0; q < states; ++q) {
            m_.states.push_back(Letter(q));
            m_.halts.push_back(false);
        }
        m_.start = 0;
        states_ = states;
        for (int q = 0; q < states; ++q)
            for (int s = 0; s < symbols; ++s)
                if (!ReadTriple(q, s,
                                groups[static_cast<std::size_t>(q)].substr(
                                    static_cast<std::size_t>(3 * s), 3)))
                    return false;
        for (const Pending& p : pending_)
            m_.SetAction(p.state, p.symbol, p.action);
        return true;
    }

    std::string error;

private:
    struct Pending {
        int state;
        int symbol;
        TTuringAction action;
    };

    static std::string Letter(int q) { return std::string(1, static_cast<char>('A' + q)); }

    bool Fail(const std::string& what) {
        error = what;
        return false;
    }

    // A letter past the working states: Z halts, H too unless it names a state.
    int StateOf(char letter) {
        if (letter >= 'A' && letter < 'A' + states_) return letter - 'A';
        if (letter != 'Z' && letter != 'H') return -1;
        const std::string name(1, letter);
        int index = IndexOf(m_.states, name);
        if (index < 0) {
            index = static_cast<int>(m_.states.size());
            m_.states.push_back(name);
            m_.halts.push_back(true);
        }
        return index;
    }

    bool ReadTriple(int q, int s, std::string_view triple) {
        const std::string place =
            "state " + Letter(q) + " reading " + std::to_string(s) + ": " + Quoted(triple) + " ";
        if (triple == "---") return true;
        if (triple.find('-') != std::string_view::npos)
            return Fail(place + "mixes '-' with an action; '---' alone leaves a case undefined");
        const char write = triple[0];
        if (write < '0' || write >= '0' + static_cast<int>(m_.symbols.size()))
            return Fail(place + "writes " + Quoted(triple.substr(0, 1)) +
                        ", which is not a symbol: the symbols are 0 to " +
                        std::to_string(m_.symbols.size() - 1));
        if (triple[1] != 'L' && triple[1] != 'R')
            return Fail(place + "moves " + Quoted(triple.substr(1, 1)) + "; a move is L or R");
        const int next = StateOf(triple[2]);
        if (next < 0)
            return Fail(place + "goes to " + Quoted(triple.substr(2, 1)) +
                        ", which is not a state: the states are A to " + Letter(states_ - 1) +
                        ", and Z or H halts");
        pending_.push_back({q, s, {write - '0', triple[1] == 'R', next}});
        return true;
    }

    TTuringMachine& m_;
    int states_ = 0;
    // Actions wait until every halting state is known: they fix the table's size.
    std::vector<Pending> pending_;
};

// Reads the JSON form; the first problem, with its place, goes to error.
class TJsonMachineReader {
public:
    explicit TJsonMachineReader(TTuringMachine& machine) : m_(machine) {}

    bool Read(const TJsonValue& root) {
        if (!root.IsObject()) return Fail("the description", "must be an object");
        for (const auto& [key, value] : root.Members()) {
            (void)value;
            if (key != "symbols" && key != "states" && key != "start" && key != "halt" &&
                key != "transitions")
                return Fail(key, "is not a part of a Turing machine description (symbols, " +
                                     std::string("states, start, halt, transitions)"));
        }
        return ReadSymbols(root) && ReadStates(root) && ReadTransitions(root);
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
            Fail(place, "is missing");
            return nullptr;
        }
        if (value->GetType() != type) {
            Fail(place, std::string("must be ") + JsonTypeName(type));
            return nullptr;
        }
        return value;
    }

    // Names of a list: strings, not empty, without blanks, each once (also against `taken`).
    bool ReadNames(const TJsonValue& list, const std::string& place,
                   std::vector<std::string>& names, const std::vector<std::string>& taken) {
        for (std::size_t i = 0; i < list.Items().size(); ++i) {
            const std::string at = place + "[" + std::to_string(i) + "]";
            const TJsonValue& item = list.Items()[i];
            if (!item.IsString()) return Fail(at, "must be a string");
            const std::string& name = item.Text();
            if (name.empty()) return Fail(at, "is empty");
            for (char c : name)
                if (IsBlank(c) || std::iscntrl(static_cast<unsigned char>(c)))
                    return Fail(at, Quoted(name) + " holds a blank or a control character");
            if (IndexOf(names, name) >= 0 || IndexOf(taken, name) >= 0)
                return Fail(at, Quoted(name) + " appears twice");
            names.push_back(name);
        }
        return true;
    }

    bool ReadSymbols(const TJsonValue& root) {
        const TJsonValue* list = Need(root, "symbols", "symbols", TJsonValue::Type::Array);
        if (list == nullptr || !ReadNames(*list, "symbols", m_.symbols, {})) return false;
        if (m_.symbols.empty()) return Fail("symbols", "needs at least one symbol (the blank)");
        for (std::size_t i = 0; i < m_.symbols.size(); ++i)
            if (m_.symbols[i].size() != 1)
                return Fail("symbols[" + std::to_string(i) + "]",
                            Quoted(m_.symbols[i]) + " " + NotOneByte(m_.symbols[i]));
        return true;
    }

    bool ReadStates(const TJsonValue& root) {
        const TJsonValue* list = Need(root, "states", "states", TJsonValue::Type::Array);
        if (list == nullptr || !ReadNames(*list, "states", m_.states, {})) return false;
        if (m_.states.empty()) return Fail("states", "needs at least one state");
        const std::size_t working = m_.states.size();
        if (const TJsonValue* halt = root.Find("halt")) {
            if (!halt->IsArray()) return Fail("halt", "must be an array");
            std::vector<std::string> halting;
            if (!ReadNames(*halt, "halt", halting, m_.states)) return false;
            m_.states.insert(m_.states.end(), halting.begin(), halting.end());
        }
        m_.halts.assign(m_.states.size(), false);
        std::fill(m_.halts.begin() + static_cast<std::ptrdiff_t>(working), m_.halts.end(), true);
        m_.start = 0;
        if (root.Find("start") != nullptr) return ReadState(root, "start", "start", m_.start);
        return true;
    }

    bool ReadState(const TJsonValue& object, const std::string& key, const std::string& place,
                   int& state) {
        const TJsonValue* value = Need(object, key, place, TJsonValue::Type::String);
        if (value == nullptr) return false;
        state = IndexOf(m_.states, value->Text());
        if (state < 0) return Fail(place, "unknown state " + Quoted(value->Text()));
        return true;
    }

    bool ReadSymbol(const TJsonValue& object, const std::string& key, const std::string& place,
                    int& symbol) {
        const TJsonValue* value = Need(object, key, place, TJsonValue::Type::String);
        if (value == nullptr) return false;
        symbol = IndexOf(m_.symbols, value->Text());
        if (symbol < 0) return Fail(place, "unknown symbol " + Quoted(value->Text()));
        return true;
    }

    bool ReadTransitions(const TJsonValue& root) {
        const TJsonValue* list = Need(root, "transitions", "transitions", TJsonValue::Type::Array);
        if (list == nullptr) return false;
        std::vector<int> seen(m_.states.size() * m_.symbols.size(), -1);
        for (std::size_t i = 0; i < list->Items().size(); ++i) {
            const std::string at = "transitions[" + std::to_string(i) + "]";
            const TJsonValue& item = list->Items()[i];
            if (!item.IsObject()) return Fail(at, "must be an object");
            for (const auto& [key, value] : item.Members()) {
                (void)value;
                if (key != "state" && key != "read" && key != "write" && key != "move" &&
                    key != "next")
                    return Fail(at + "." + key, "is not a part of a transition (state, read, " +
                                                    std::string("write, move, next)"));
            }
            int state = 0, read = 0;
            TTuringAction action;
            if (!ReadState(item, "state", at + ".state", state) ||
                !ReadSymbol(item, "read", at + ".read", read) ||
                !ReadSymbol(item, "write", at + ".write", action.write))
                return false;
            const TJsonValue* move = Need(item, "move", at + ".move", TJsonValue::Type::String);
            if (move == nullptr) return false;
            if (move->Text() != "L" && move->Text() != "R")
                return Fail(at + ".move", Quoted(move->Text()) + " is not L or R");
            action.right = move->Text() == "R";
            if (!ReadState(item, "next", at + ".next", action.next)) return false;
            if (m_.halts[static_cast<std::size_t>(state)])
                return Fail(at + ".state", Quoted(m_.states[static_cast<std::size_t>(state)]) +
                                               " halts, so it has no transitions");
            int& first = seen[static_cast<std::size_t>(state) * m_.symbols.size() +
                              static_cast<std::size_t>(read)];
            if (first >= 0)
                return Fail(at, "clashes with transitions[" + std::to_string(first) +
                                    "]: both apply in state " +
                                    Quoted(m_.states[static_cast<std::size_t>(state)]) +
                                    " reading " +
                                    Quoted(m_.symbols[static_cast<std::size_t>(read)]));
            first = static_cast<int>(i);
            pending_.push_back({state, read, action});
        }
        for (const auto& [state, read, action] : pending_)
            m_.SetAction(state, read, action);
        return true;
    }

    struct Pending {
        int state;
        int read;
        TTuringAction action;
    };
    TTuringMachine& m_;
    std::vector<Pending> pending_;
};

} // namespace

bool IsTuringDescription(std::string_view text) {
    text = Trimmed(text);
    if (text.empty() || text.front() != '{') return true;
    TJsonValue root;
    std::string error;
    return TJsonValue::Parse(text, root, error) && root.IsObject() &&
           root.Find("symbols") != nullptr;
}

const TTuringAction* TTuringMachine::Action(int state, int symbol) const {
    const std::size_t at =
        static_cast<std::size_t>(state) * symbols.size() + static_cast<std::size_t>(symbol);
    if (at >= actions_.size() || !actions_[at]) return nullptr;
    return &*actions_[at];
}

void TTuringMachine::SetAction(int state, int symbol, const TTuringAction& action) {
    actions_.resize(states.size() * symbols.size());
    actions_[static_cast<std::size_t>(state) * symbols.size() + static_cast<std::size_t>(symbol)] =
        action;
}

bool TTuringMachine::Read(std::string_view text, std::string& errorText) {
    const std::string_view trimmed = Trimmed(text);
    return !trimmed.empty() && trimmed.front() == '{' ? ReadJson(text, errorText)
                                                      : ReadNotation(text, errorText);
}

bool TTuringMachine::ReadNotation(std::string_view text, std::string& errorText) {
    *this = TTuringMachine();
    TNotationReader reader(*this);
    if (!reader.Read(text)) {
        errorText = reader.error;
        return false;
    }
    actions_.resize(states.size() * symbols.size());
    errorText.clear();
    return true;
}

bool TTuringMachine::ReadJson(std::string_view text, std::string& errorText) {
    *this = TTuringMachine();
    TJsonValue root;
    if (!TJsonValue::Parse(text, root, errorText)) return false;
    TJsonMachineReader reader(*this);
    if (!reader.Read(root)) {
        errorText = reader.error;
        return false;
    }
    actions_.resize(states.size() * symbols.size());
    errorText.clear();
    return true;
}

bool TTuringMachine::TapeCells(std::string_view word, std::vector<int>& cells,
                               std::string& errorText) const {
    cells.clear();
    for (std::size_t i = 0; i < word.size(); ++i) {
        const int symbol = IndexOf(symbols, word.substr(i, 1));
        if (symbol < 0) {
            std::string known;
            for (const std::string& s : symbols)
                known += s;
            errorText = "tape, character " + std::to_string(i + 1) + ": " +
                        Quoted(word.substr(i, 1)) + " is not a symbol of the machine (" + known +
                        ")";
            return false;
        }
        cells.push_back(symbol);
    }
    return true;
}

} // namespace veltra
