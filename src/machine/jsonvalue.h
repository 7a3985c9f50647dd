// A small JSON reader for machine descriptions. The core stays on the standard library, and a
// description is a few hundred bytes, so a plain recursive reader over a string is enough.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltra {

class TJsonValue {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };

    Type GetType() const { return type_; }
    bool IsString() const { return type_ == Type::String; }
    bool IsArray() const { return type_ == Type::Array; }
    bool IsObject() const { return type_ == Type::Object; }
    // The text of a string (unescaped) or of a number (as written).
    const std::string& Text() const { return text_; }
    bool BoolValue() const { return flag_; }
    const std::vector<TJsonValue>& Items() const { return items_; }
    // Object members in file order; keys are unique (the reader refuses repeats).
    const std::vector<std::pair<std::string, TJsonValue>>& Members() const { return members_; }
    // The member's value, or null when the object has no such key.
    const TJsonValue* Find(std::string_view key) const;

    // Reads one JSON value filling the whole text (blanks around it allowed). On failure
    // returns false with "line L, column C: what" in errorText.
    static bool Parse(std::string_view text, TJsonValue& value, std::string& errorText);

private:
    friend class TJsonParser;
    Type type_ = Type::Null;
    bool flag_ = false;
    std::string text_;
    std::vector<TJsonValue> items_;
    std::vector<std::pair<std::string, TJsonValue>> members_;
};

// The JSON type's name as messages use it ("a string", "an array", ...).
const char* JsonTypeName(TJsonValue::Type type);

// Why a name of more or less than one byte cannot be a symbol (a word is typed one byte per
// symbol): "is not one character", or, for one UTF-8 character of several bytes such as
// "\xc3\xa9", that it is one character of N bytes.
std::string NotOneByte(std::string_view name);

} // namespace veltra
