#include "machine/jsonvalue.h"

#include <algorithm>
#include <cstdint>

namespace veltra {

namespace {

// Deeper nesting than any description needs; keeps a hostile file off the call stack.
constexpr int kMaxDepth = 64;

} // namespace

class TJsonParser {
public:
    explicit TJsonParser(std::string_view text) : text_(text) {}

    bool ParseDocument(TJsonValue& value, std::string& errorText) {
        SkipBlanks();
        if (!ParseValue(value, 0)) {
            errorText = error_;
            return false;
        }
        SkipBlanks();
        if (at_ != text_.size()) {
            Fail("unexpected text after the value");
            errorText = error_;
            return false;
        }
        return true;
    }

private:
    bool Fail(const std::string& what) {
        int line = 1;
        int column = 1;
        for (std::size_t i = 0; i < at_ && i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        error_ =
            "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what;
        return false;
    }

    void SkipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }

    bool Literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return Fail("unknown word");
        at_ += word.size();
        return true;
    }

    bool ParseValue(TJsonValue& value, int depth) {
        if (depth > kMaxDepth) return Fail("nested too deeply");
        if (at_ >= text_.size()) return Fail("a value is missing");
        const char c = text_[at_];
        if (c == '{') return ParseObject(value, depth);
        if (c == '[') return ParseArray(value, depth);
        if (c == '"') {
            value.type_ = TJsonValue::Type::String;
            return ParseString(value.text_);
        }
        if (c == 't' || c == 'f') {
            value.type_ = TJsonValue::Type::Bool;
            value.flag_ = c == 't';
            return Literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') return Literal("null");
        if (c == '-' || (c >= '0' && c <= '9')) return ParseNumber(value);
        return Fail(std::string("unexpected character '") + c + "'");
    }

    bool ParseNumber(TJsonValue& value) {
        const std::size_t start = at_;
        auto digits = [&] {
            const std::size_t from = at_;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')
                ++at_;
            return at_ > from;
        };
        if (text_[at_] == '-') ++at_;
        if (!digits()) return Fail("a number needs digits");
        if (at_ < text_.size() && text_[at_] == '.') {
            ++at_;
            if (!digits()) return Fail("a number needs digits after '.'");
        }
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
            if (!digits()) return Fail("a number needs digits in its exponent");
        }
        value.type_ = TJsonValue::Type::Number;
        value.text_ = std::string(text_.substr(start, at_ - start));
        return true;
    }

    static void AppendUtf8(std::string& out, std::uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool Hex4(std::uint32_t& code) {
        if (at_ + 4 > text_.size()) return Fail("\\u needs four hexadecimal digits");
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = text_[at_++];
            code <<= 4;
            if (h >= '0' && h <= '9')
                code |= static_cast<std::uint32_t>(h - '0');
            else if (h >= 'a' && h <= 'f')
                code |= static_cast<std::uint32_t>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F')
                code |= static_cast<std::uint32_t>(h - 'A' + 10);
            else
                return Fail("\\u needs four hexadecimal digits");
        }
        return true;
    }

    bool ParseString(std::string& out) {
        ++at_; // the opening quote
        out.clear();
        while (true) {
            if (at_ >= text_.size()) return Fail("a string is not closed");
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) {
                --at_;
                return Fail("a control character inside a string");
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) return Fail("a string is not closed");
            const char e = text_[at_++];
            switch (e) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t code = 0;
                if (!Hex4(code)) return false;
                // A surrogate pair stands for one character beyond the first plane.
                if (code >= 0xD800 && code < 0xDC00 && text_.substr(at_, 2) == "\\u") {
                    at_ += 2;
                    std::uint32_t low = 0;
                    if (!Hex4(low)) return false;
                    if (low < 0xDC00 || low >= 0xE000) return Fail("a broken surrogate pair");
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(out, code);
                break;
            }
            default:
                at_ -= 2;
                return Fail("an unknown escape in a string");
            }
        }
    }

    bool ParseArray(TJsonValue& value, int depth) {
        value.type_ = TJsonValue::Type::Array;
        ++at_;
        SkipBlanks();
        if (at_ < text_.size() && text_[at_] == ']') {
            ++at_;
            return true;
        }
        while (true) {
            SkipBlanks();
            TJsonValue item;
            if (!ParseValue(item, depth + 1)) return false;
            value.items_.push_back(std::move(item));
            SkipBlanks();
            if (at_ < text_.size() && text_[at_] == ',') {
                ++at_;
                continue;
            }
            if (at_ < text_.size() && text_[at_] == ']') {
                ++at_;
                return true;
            }
            return Fail("expected ',' or ']' in an array");
        }
    }

    bool ParseObject(TJsonValue& value, int depth) {
        value.type_ = TJsonValue::Type::Object;
        ++at_;
        SkipBlanks();
        if (at_ < text_.size() && text_[at_] == '}') {
            ++at_;
            return true;
        }
        while (true) {
            SkipBlanks();
            if (at_ >= text_.size() || text_[at_] != '"') return Fail("expected a key in quotes");
            const std::size_t keyAt = at_;
            std::string key;
            if (!ParseString(key)) return false;
            if (value.Find(key) != nullptr) {
                at_ = keyAt;
                return Fail("the key \"" + key + "\" appears twice");
            }
            SkipBlanks();
            if (at_ >= text_.size() || text_[at_] != ':') return Fail("expected ':' after a key");
            ++at_;
            SkipBlanks();
            TJsonValue member;
            if (!ParseValue(member, depth + 1)) return false;
            value.members_.emplace_back(std::move(key), std::move(member));
            SkipBlanks();
            if (at_ < text_.size() && text_[at_] == ',') {
                ++at_;
                continue;
            }
            if (at_ < text_.size() && text_[at_] == '}') {
                ++at_;
                return true;
            }
            return Fail("expected ',' or '}' in an object");
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::string error_;
};

const TJsonValue* TJsonValue::Find(std::string_view key) const {
    for (const auto& [name, member] : members_)
        if (name == key) return &member;
    return nullptr;
}

bool TJsonValue::Parse(std::string_view text, TJsonValue& value, std::string& errorText) {
    value = TJsonValue();
    errorText.clear();
    return TJsonParser(text).ParseDocument(value, errorText);
}

const char* JsonTypeName(TJsonValue::Type type) {
    switch (type) {
    case TJsonValue::Type::Null:
        return "null";
    case TJsonValue::Type::Bool:
        return "true or false";
    case TJsonValue::Type::Number:
        return "a number";
    case TJsonValue::Type::String:
        return "a string";
    case TJsonValue::Type::Array:
        return "an array";
    case TJsonValue::Type::Object:
        return "an object";
    }
    return "a value";
}

std::string NotOneByte(std::string_view name) {
    const auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    const bool oneCharacter = name.size() > 1 && static_cast<unsigned char>(name.front()) >= 0xC2 &&
                              std::all_of(name.begin() + 1, name.end(), continuation);
    if (!oneCharacter) return "is not one character";
    return "is one character of " + std::to_string(name.size()) +
           " bytes; a symbol is one byte (an ASCII character)";
}

} // namespace veltra
