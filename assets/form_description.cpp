#include "assets/form_description.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <variant>

namespace carpex {

namespace {

bool SameText(const std::string& A, const std::string& B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
           return std::tolower(static_cast<unsigned char>(X)) ==
                  std::tolower(static_cast<unsigned char>(Y));
         });
}

bool IsIdentStart(char C) {
  return std::isalpha(static_cast<unsigned char>(C)) || C == '_';
}
bool IsIdentChar(char C) {
  return std::isalnum(static_cast<unsigned char>(C)) || C == '_';
}

struct Value {
  enum class Kind { kInteger, kString, kIdentifier, kSet } kind = Kind::kInteger;
  int32_t integer = 0;
  std::string text;                // string or identifier
  std::vector<std::string> items;  // set
};

const char* KindName(Value::Kind Kind) {
  switch (Kind) {
    case Value::Kind::kInteger:
      return "an integer";
    case Value::Kind::kString:
      return "a quoted string";
    case Value::Kind::kIdentifier:
      return "a name";
    case Value::Kind::kSet:
      return "a set in brackets";
  }
  return "a value";
}

// One line of the description, read from left to right.
class LineReader {
 public:
  LineReader(std::string Line, int Number) : line_(std::move(Line)), number_(Number) {}

  int number() const { return number_; }
  std::string error() const { return error_; }

  void SkipSpace() {
    while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t')) ++pos_;
  }
  bool AtEnd() {
    SkipSpace();
    return pos_ >= line_.size();
  }
  bool Take(char C) {
    SkipSpace();
    if (pos_ < line_.size() && line_[pos_] == C) {
      ++pos_;
      return true;
    }
    return false;
  }
  std::optional<std::string> Identifier() {
    SkipSpace();
    if (pos_ >= line_.size() || !IsIdentStart(line_[pos_])) return std::nullopt;
    const std::size_t start = pos_;
    while (pos_ < line_.size() && IsIdentChar(line_[pos_])) ++pos_;
    return line_.substr(start, pos_ - start);
  }
  // A property path such as Font.Style.
  std::optional<std::string> PropertyName() {
    std::optional<std::string> name = Identifier();
    if (!name) return std::nullopt;
    while (pos_ < line_.size() && line_[pos_] == '.') {
      ++pos_;
      if (pos_ >= line_.size() || !IsIdentStart(line_[pos_])) return std::nullopt;
      std::optional<std::string> part = Identifier();
      *name += "." + *part;
    }
    return name;
  }

  std::optional<Value> ReadValue() {
    SkipSpace();
    if (pos_ >= line_.size()) return Fail("a value is missing after '='");
    const char c = line_[pos_];
    Value value;
    if (c == '-' || c == '+' || std::isdigit(static_cast<unsigned char>(c))) {
      value.kind = Value::Kind::kInteger;
      if (!ReadInteger(&value.integer)) return std::nullopt;
    } else if (c == '\'' || c == '#') {
      value.kind = Value::Kind::kString;
      if (!ReadString(&value.text)) return std::nullopt;
    } else if (IsIdentStart(c)) {
      value.kind = Value::Kind::kIdentifier;
      value.text = *Identifier();
    } else if (c == '[') {
      value.kind = Value::Kind::kSet;
      if (!ReadSet(&value.items)) return std::nullopt;
    } else {
      return Fail(std::string("unexpected '") + c + "' where a value should be");
    }
    return value;
  }

  std::nullopt_t Fail(const std::string& Message) {
    if (error_.empty()) error_ = Message;
    return std::nullopt;
  }

 private:
  bool ReadInteger(int32_t* Out) {
    const std::size_t start = pos_;
    if (line_[pos_] == '-' || line_[pos_] == '+') ++pos_;
    const std::size_t digits = pos_;
    while (pos_ < line_.size() && std::isdigit(static_cast<unsigned char>(line_[pos_]))) ++pos_;
    if (pos_ == digits) return Fail("a sign without digits"), false;
    if (pos_ < line_.size() && IsIdentChar(line_[pos_])) return Fail("malformed number"), false;
    const char* first = line_.data() + start + (line_[start] == '+' ? 1 : 0);
    const auto result = std::from_chars(first, line_.data() + pos_, *Out);
    if (result.ec != std::errc() || result.ptr != line_.data() + pos_) {
      return Fail("number out of range"), false;
    }
    return true;
  }

  // Quoted runs ('it''s') and character codes (#13) written one after another.
  bool ReadString(std::string* Out) {
    Out->clear();
    while (pos_ < line_.size() && (line_[pos_] == '\'' || line_[pos_] == '#')) {
      if (line_[pos_] == '#') {
        ++pos_;
        int code = 0;
        const std::size_t digits = pos_;
        while (pos_ < line_.size() && std::isdigit(static_cast<unsigned char>(line_[pos_])) &&
               pos_ - digits < 3) {
          code = code * 10 + (line_[pos_] - '0');
          ++pos_;
        }
        if (pos_ == digits || code > 255) return Fail("malformed character code"), false;
        Out->push_back(static_cast<char>(code));
        continue;
      }
      ++pos_;
      for (;;) {
        if (pos_ >= line_.size()) return Fail("unterminated string"), false;
        if (line_[pos_] == '\'') {
          if (pos_ + 1 < line_.size() && line_[pos_ + 1] == '\'') {
            Out->push_back('\'');
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        Out->push_back(line_[pos_++]);
      }
    }
    return true;
  }

  bool ReadSet(std::vector<std::string>* Out) {
    ++pos_;  // '['
    Out->clear();
    if (Take(']')) return true;
    for (;;) {
      std::optional<std::string> item = Identifier();
      if (!item) return Fail("expected a name in the set"), false;
      Out->push_back(*item);
      if (Take(']')) return true;
      if (!Take(',')) return Fail("expected ',' or ']' in the set"), false;
    }
  }

  std::string line_;
  std::size_t pos_ = 0;
  int number_;
  std::string error_;
};

// The properties of the form that it understands: each with its kind and the
// field it sets.
using FormMember =
    std::variant<int32_t FormDescription::*, std::string FormDescription::*,
                 std::vector<std::string> FormDescription::*, bool FormDescription::*>;

struct FieldInfo {
  const char* name;
  Value::Kind kind;
  FormMember member;
  bool colour = false;  // a colour may also be written as a number
};

constexpr FieldInfo kFormFields[] = {
    {"Left", Value::Kind::kInteger, &FormDescription::Left},
    {"Top", Value::Kind::kInteger, &FormDescription::Top},
    {"ClientWidth", Value::Kind::kInteger, &FormDescription::ClientWidth},
    {"ClientHeight", Value::Kind::kInteger, &FormDescription::ClientHeight},
    {"BorderStyle", Value::Kind::kIdentifier, &FormDescription::BorderStyle},
    {"Caption", Value::Kind::kString, &FormDescription::Caption},
    {"Color", Value::Kind::kIdentifier, &FormDescription::Color, true},
    {"Font.Charset", Value::Kind::kIdentifier, &FormDescription::FontCharset},
    {"Font.Color", Value::Kind::kIdentifier, &FormDescription::FontColor, true},
    {"Font.Height", Value::Kind::kInteger, &FormDescription::FontHeight},
    {"Font.Name", Value::Kind::kString, &FormDescription::FontName},
    {"Font.Style", Value::Kind::kSet, &FormDescription::FontStyle},
    {"OldCreateOrder", Value::Kind::kIdentifier, &FormDescription::OldCreateOrder},
    {"PixelsPerInch", Value::Kind::kInteger, &FormDescription::PixelsPerInch},
    {"TextHeight", Value::Kind::kInteger, &FormDescription::TextHeight},
};

bool IsEventName(const std::string& Name) {
  return Name.size() > 2 && (Name[0] == 'O' || Name[0] == 'o') &&
         (Name[1] == 'n' || Name[1] == 'N') && Name.find('.') == std::string::npos;
}

class Parser {
 public:
  bool Run(const char* Text, std::size_t Size, FormDescription* Out) {
    std::size_t start = 0;
    int number = 0;
    while (start < Size) {
      std::size_t end = start;
      while (end < Size && Text[end] != '\n') ++end;
      std::string line(Text + start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      ++number;
      if (!Line(LineReader(std::move(line), number))) return false;
      start = end + 1;
    }
    if (!finished_) {
      const int last = std::max(number, 1);
      return Error(last, depth_ == 0 ? "expected 'object'"
                                     : "the description ends before the 'end' of '" +
                                           (depth_ == 2 ? component_.Name : form_.Name) + "'");
    }
    *Out = std::move(form_);
    return true;
  }

  std::string error() const { return error_; }

 private:
  bool Error(int Line, const std::string& Message) {
    error_ = "line " + std::to_string(Line) + ": " + Message;
    return false;
  }

  bool Line(LineReader Reader) {
    if (Reader.AtEnd()) return true;
    if (finished_) return Error(Reader.number(), "text after the form's final 'end'");
    std::optional<std::string> word = Reader.PropertyName();
    if (!word) return Error(Reader.number(), "expected 'object', 'end' or a property");
    if (SameText(*word, "object")) return Object(Reader);
    if (SameText(*word, "inherited") || SameText(*word, "inline")) {
      return Error(Reader.number(), "'" + *word + "' objects are not supported");
    }
    if (SameText(*word, "end")) {
      if (!Reader.AtEnd()) return Error(Reader.number(), "unexpected text after 'end'");
      if (depth_ == 0) return Error(Reader.number(), "'end' without 'object'");
      if (depth_ == 2) form_.Components.push_back(std::move(component_));
      if (--depth_ == 0) finished_ = true;
      return true;
    }
    if (depth_ == 0) return Error(Reader.number(), "expected 'object'");
    if (!Reader.Take('=')) {
      return Error(Reader.number(), "expected '=' after '" + *word + "'");
    }
    std::optional<Value> value = Reader.ReadValue();
    if (!value) return Error(Reader.number(), Reader.error());
    if (!Reader.AtEnd()) return Error(Reader.number(), "unexpected text after the value");
    return depth_ == 1 ? FormProperty(Reader.number(), *word, *value)
                       : ComponentProperty(Reader.number(), *word, *value);
  }

  bool Object(LineReader& Reader) {
    std::optional<std::string> name = Reader.Identifier();
    if (!name || !Reader.Take(':')) {
      return Error(Reader.number(), "expected 'object Name: ClassName'");
    }
    std::optional<std::string> className = Reader.Identifier();
    if (!className || !Reader.AtEnd()) {
      return Error(Reader.number(), "expected 'object Name: ClassName'");
    }
    if (depth_ == 0) {
      form_.Name = *name;
      form_.ClassName = *className;
    } else if (depth_ == 1) {
      if (form_.FindComponent(*name) != nullptr || SameText(*name, form_.Name)) {
        return Error(Reader.number(), "a second object named '" + *name + "'");
      }
      component_ = FormComponent();
      component_.Name = *name;
      component_.ClassName = *className;
      seen_.clear();
    } else {
      return Error(Reader.number(), "objects inside components are not supported");
    }
    ++depth_;
    return true;
  }

  bool FirstTime(int Line, const std::string& Name, std::vector<std::string>& Seen) {
    for (const std::string& s : Seen) {
      if (SameText(s, Name)) return Error(Line, "'" + Name + "' is given twice");
    }
    Seen.push_back(Name);
    return true;
  }

  bool Event(int Line, const std::string& Name, const Value& Value,
             std::vector<std::pair<std::string, std::string>>* Events) {
    if (Value.kind != Value::Kind::kIdentifier) {
      return Error(Line, "'" + Name + "' needs a handler name");
    }
    Events->emplace_back(Name, Value.text);
    return true;
  }

  bool FormProperty(int Line, const std::string& Name, const Value& Value) {
    if (!FirstTime(Line, Name, form_seen_)) return false;
    if (IsEventName(Name)) return Event(Line, Name, Value, &form_.Events);
    const FieldInfo* info = nullptr;
    for (const FieldInfo& f : kFormFields) {
      if (SameText(f.name, Name)) info = &f;
    }
    if (info == nullptr) return Error(Line, "unknown property '" + Name + "' of the form");
    if (Value.kind != info->kind && !(info->colour && Value.kind == Value::Kind::kInteger)) {
      return Error(Line, "'" + Name + "' needs " + KindName(info->kind));
    }
    return std::visit([&](auto Member) { return Set(Line, Name, Value, form_.*Member); },
                      info->member);
  }

  // A value of the kind its property takes, into the property's field.
  bool Set(int, const std::string&, const Value& Value, int32_t& Field) {
    Field = Value.integer;
    return true;
  }
  bool Set(int, const std::string&, const Value& Value, std::string& Field) {
    Field = Value.kind == Value::Kind::kInteger ? std::to_string(Value.integer) : Value.text;
    return true;
  }
  bool Set(int, const std::string&, const Value& Value, std::vector<std::string>& Field) {
    Field = Value.items;
    return true;
  }
  bool Set(int Line, const std::string& Name, const Value& Value, bool& Field) {
    if (SameText(Value.text, "True")) {
      Field = true;
    } else if (SameText(Value.text, "False")) {
      Field = false;
    } else {
      return Error(Line, "'" + Name + "' needs True or False");
    }
    return true;
  }

  bool ComponentProperty(int Line, const std::string& Name, const Value& Value) {
    if (!FirstTime(Line, Name, seen_)) return false;
    if (IsEventName(Name)) return Event(Line, Name, Value, &component_.Events);
    const bool left = SameText(Name, "Left");
    if (!left && !SameText(Name, "Top")) {
      return Error(Line, "unknown property '" + Name + "' of '" + component_.Name + "'");
    }
    if (Value.kind != Value::Kind::kInteger) return Error(Line, "'" + Name + "' needs an integer");
    (left ? component_.Left : component_.Top) = Value.integer;
    return true;
  }

  FormDescription form_;
  FormComponent component_;
  std::vector<std::string> form_seen_;
  std::vector<std::string> seen_;
  int depth_ = 0;
  bool finished_ = false;
  std::string error_;
};

std::string FindHandler(const std::vector<std::pair<std::string, std::string>>& Events,
                        const std::string& Event) {
  for (const auto& [name, handler] : Events) {
    if (SameText(name, Event)) return handler;
  }
  return "";
}

}  // namespace

std::string FormComponent::Handler(const std::string& Event) const {
  return FindHandler(Events, Event);
}

std::string FormDescription::Handler(const std::string& Event) const {
  return FindHandler(Events, Event);
}

const FormComponent* FormDescription::FindComponent(const std::string& Name) const {
  for (const FormComponent& c : Components) {
    if (SameText(c.Name, Name)) return &c;
  }
  return nullptr;
}

bool ParseFormDescription(const char* Text, std::size_t Size, FormDescription* Out,
                          std::string* Error) {
  if (Out == nullptr || (Text == nullptr && Size > 0)) {
    if (Error != nullptr) *Error = "line 1: no text";
    return false;
  }
  for (std::size_t i = 0; i < Size; ++i) {
    if (Text[i] == '\0') {
      if (Error != nullptr) {
        *Error = "line " + std::to_string(1 + std::count(Text, Text + i, '\n')) +
                 ": unexpected NUL character";
      }
      return false;
    }
  }
  Parser parser;
  if (!parser.Run(Text, Size, Out)) {
    if (Error != nullptr) *Error = parser.error();
    return false;
  }
  return true;
}

}  // namespace carpex
