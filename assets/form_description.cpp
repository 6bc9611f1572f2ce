#include "assets/form_description.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace carpex {

namespace {

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsIdentStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsIdentChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

struct Value {
  enum class Kind { kInteger, kString, kIdentifier, kSet } kind = Kind::kInteger;
  int32_t integer = 0;
  std::string text;                // string or identifier
  std::vector<std::string> items;  // set
};

const char* KindName(Value::Kind kind) {
  switch (kind) {
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
  LineReader(std::string line, int number) : line_(std::move(line)), number_(number) {}

  int number() const { return number_; }
  std::string error() const { return error_; }

  void SkipSpace() {
    while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t')) ++pos_;
  }
  bool AtEnd() {
    SkipSpace();
    return pos_ >= line_.size();
  }
  bool Take(char c) {
    SkipSpace();
    if (pos_ < line_.size() && line_[pos_] == c) {
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

  std::nullopt_t Fail(const std::string& message) {
    if (error_.empty()) error_ = message;
    return std::nullopt;
  }

 private:
  bool ReadInteger(int32_t* out) {
    const std::size_t start = pos_;
    if (line_[pos_] == '-' || line_[pos_] == '+') ++pos_;
    const std::size_t digits = pos_;
    while (pos_ < line_.size() && std::isdigit(static_cast<unsigned char>(line_[pos_]))) ++pos_;
    if (pos_ == digits) return Fail("a sign without digits"), false;
    if (pos_ < line_.size() && IsIdentChar(line_[pos_])) return Fail("malformed number"), false;
    const char* first = line_.data() + start + (line_[start] == '+' ? 1 : 0);
    const auto result = std::from_chars(first, line_.data() + pos_, *out);
    if (result.ec != std::errc() || result.ptr != line_.data() + pos_) {
      return Fail("number out of range"), false;
    }
    return true;
  }

  // Quoted runs ('it''s') and character codes (#13) written one after another.
  bool ReadString(std::string* out) {
    out->clear();
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
        out->push_back(static_cast<char>(code));
        continue;
      }
      ++pos_;
      for (;;) {
        if (pos_ >= line_.size()) return Fail("unterminated string"), false;
        if (line_[pos_] == '\'') {
          if (pos_ + 1 < line_.size() && line_[pos_ + 1] == '\'') {
            out->push_back('\'');
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        out->push_back(line_[pos_++]);
      }
    }
    return true;
  }

  bool ReadSet(std::vector<std::string>* out) {
    ++pos_;  // '['
    out->clear();
    if (Take(']')) return true;
    for (;;) {
      std::optional<std::string> item = Identifier();
      if (!item) return Fail("expected a name in the set"), false;
      out->push_back(*item);
      if (Take(']')) return true;
      if (!Take(',')) return Fail("expected ',' or ']' in the set"), false;
    }
  }

  std::string line_;
  std::size_t pos_ = 0;
  int number_;
  std::string error_;
};

// The properties of the form that it understands, and their kinds.
enum class FormField {
  kLeft,
  kTop,
  kClientWidth,
  kClientHeight,
  kBorderStyle,
  kCaption,
  kColor,
  kFontCharset,
  kFontColor,
  kFontHeight,
  kFontName,
  kFontStyle,
  kOldCreateOrder,
  kPixelsPerInch,
  kTextHeight,
};

struct FieldInfo {
  const char* name;
  FormField field;
  Value::Kind kind;
};

constexpr FieldInfo kFormFields[] = {
    {"Left", FormField::kLeft, Value::Kind::kInteger},
    {"Top", FormField::kTop, Value::Kind::kInteger},
    {"ClientWidth", FormField::kClientWidth, Value::Kind::kInteger},
    {"ClientHeight", FormField::kClientHeight, Value::Kind::kInteger},
    {"BorderStyle", FormField::kBorderStyle, Value::Kind::kIdentifier},
    {"Caption", FormField::kCaption, Value::Kind::kString},
    {"Color", FormField::kColor, Value::Kind::kIdentifier},
    {"Font.Charset", FormField::kFontCharset, Value::Kind::kIdentifier},
    {"Font.Color", FormField::kFontColor, Value::Kind::kIdentifier},
    {"Font.Height", FormField::kFontHeight, Value::Kind::kInteger},
    {"Font.Name", FormField::kFontName, Value::Kind::kString},
    {"Font.Style", FormField::kFontStyle, Value::Kind::kSet},
    {"OldCreateOrder", FormField::kOldCreateOrder, Value::Kind::kIdentifier},
    {"PixelsPerInch", FormField::kPixelsPerInch, Value::Kind::kInteger},
    {"TextHeight", FormField::kTextHeight, Value::Kind::kInteger},
};

bool IsEventName(const std::string& name) {
  return name.size() > 2 && (name[0] == 'O' || name[0] == 'o') &&
         (name[1] == 'n' || name[1] == 'N') && name.find('.') == std::string::npos;
}

class Parser {
 public:
  bool Run(const char* text, std::size_t size, FormDescription* out) {
    std::size_t start = 0;
    int number = 0;
    while (start < size) {
      std::size_t end = start;
      while (end < size && text[end] != '\n') ++end;
      std::string line(text + start, end - start);
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
    *out = std::move(form_);
    return true;
  }

  std::string error() const { return error_; }

 private:
  bool Error(int line, const std::string& message) {
    error_ = "line " + std::to_string(line) + ": " + message;
    return false;
  }

  bool Line(LineReader reader) {
    if (reader.AtEnd()) return true;
    if (finished_) return Error(reader.number(), "text after the form's final 'end'");
    std::optional<std::string> word = reader.PropertyName();
    if (!word) return Error(reader.number(), "expected 'object', 'end' or a property");
    if (SameText(*word, "object")) return Object(reader);
    if (SameText(*word, "inherited") || SameText(*word, "inline")) {
      return Error(reader.number(), "'" + *word + "' objects are not supported");
    }
    if (SameText(*word, "end")) {
      if (!reader.AtEnd()) return Error(reader.number(), "unexpected text after 'end'");
      if (depth_ == 0) return Error(reader.number(), "'end' without 'object'");
      if (depth_ == 2) form_.Components.push_back(std::move(component_));
      if (--depth_ == 0) finished_ = true;
      return true;
    }
    if (depth_ == 0) return Error(reader.number(), "expected 'object'");
    if (!reader.Take('=')) {
      return Error(reader.number(), "expected '=' after '" + *word + "'");
    }
    std::optional<Value> value = reader.ReadValue();
    if (!value) return Error(reader.number(), reader.error());
    if (!reader.AtEnd()) return Error(reader.number(), "unexpected text after the value");
    return depth_ == 1 ? FormProperty(reader.number(), *word, *value)
                       : ComponentProperty(reader.number(), *word, *value);
  }

  bool Object(LineReader& reader) {
    std::optional<std::string> name = reader.Identifier();
    if (!name || !reader.Take(':')) {
      return Error(reader.number(), "expected 'object Name: ClassName'");
    }
    std::optional<std::string> class_name = reader.Identifier();
    if (!class_name || !reader.AtEnd()) {
      return Error(reader.number(), "expected 'object Name: ClassName'");
    }
    if (depth_ == 0) {
      form_.Name = *name;
      form_.ClassName = *class_name;
    } else if (depth_ == 1) {
      if (form_.FindComponent(*name) != nullptr || SameText(*name, form_.Name)) {
        return Error(reader.number(), "a second object named '" + *name + "'");
      }
      component_ = FormComponent();
      component_.Name = *name;
      component_.ClassName = *class_name;
      seen_.clear();
    } else {
      return Error(reader.number(), "objects inside components are not supported");
    }
    ++depth_;
    return true;
  }

  bool FirstTime(int line, const std::string& name, std::vector<std::string>& seen) {
    for (const std::string& s : seen) {
      if (SameText(s, name)) return Error(line, "'" + name + "' is given twice");
    }
    seen.push_back(name);
    return true;
  }

  bool Event(int line, const std::string& name, const Value& value,
             std::vector<std::pair<std::string, std::string>>* events) {
    if (value.kind != Value::Kind::kIdentifier) {
      return Error(line, "'" + name + "' needs a handler name");
    }
    events->emplace_back(name, value.text);
    return true;
  }

  bool FormProperty(int line, const std::string& name, const Value& value) {
    if (!FirstTime(line, name, form_seen_)) return false;
    if (IsEventName(name)) return Event(line, name, value, &form_.Events);
    const FieldInfo* info = nullptr;
    for (const FieldInfo& f : kFormFields) {
      if (SameText(f.name, name)) info = &f;
    }
    if (info == nullptr) return Error(line, "unknown property '" + name + "' of the form");
    // Colours may also be written as numbers.
    const bool colour = info->field == FormField::kColor || info->field == FormField::kFontColor;
    if (value.kind != info->kind && !(colour && value.kind == Value::Kind::kInteger)) {
      return Error(line, "'" + name + "' needs " + KindName(info->kind));
    }
    const std::string text =
        value.kind == Value::Kind::kInteger ? std::to_string(value.integer) : value.text;
    switch (info->field) {
      case FormField::kLeft:
        form_.Left = value.integer;
        break;
      case FormField::kTop:
        form_.Top = value.integer;
        break;
      case FormField::kClientWidth:
        form_.ClientWidth = value.integer;
        break;
      case FormField::kClientHeight:
        form_.ClientHeight = value.integer;
        break;
      case FormField::kBorderStyle:
        form_.BorderStyle = text;
        break;
      case FormField::kCaption:
        form_.Caption = text;
        break;
      case FormField::kColor:
        form_.Color = text;
        break;
      case FormField::kFontCharset:
        form_.FontCharset = text;
        break;
      case FormField::kFontColor:
        form_.FontColor = text;
        break;
      case FormField::kFontHeight:
        form_.FontHeight = value.integer;
        break;
      case FormField::kFontName:
        form_.FontName = text;
        break;
      case FormField::kFontStyle:
        form_.FontStyle = value.items;
        break;
      case FormField::kOldCreateOrder:
        if (SameText(text, "True")) {
          form_.OldCreateOrder = true;
        } else if (SameText(text, "False")) {
          form_.OldCreateOrder = false;
        } else {
          return Error(line, "'" + name + "' needs True or False");
        }
        break;
      case FormField::kPixelsPerInch:
        form_.PixelsPerInch = value.integer;
        break;
      case FormField::kTextHeight:
        form_.TextHeight = value.integer;
        break;
    }
    return true;
  }

  bool ComponentProperty(int line, const std::string& name, const Value& value) {
    if (!FirstTime(line, name, seen_)) return false;
    if (IsEventName(name)) return Event(line, name, value, &component_.Events);
    const bool left = SameText(name, "Left");
    if (!left && !SameText(name, "Top")) {
      return Error(line, "unknown property '" + name + "' of '" + component_.Name + "'");
    }
    if (value.kind != Value::Kind::kInteger) return Error(line, "'" + name + "' needs an integer");
    (left ? component_.Left : component_.Top) = value.integer;
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

std::string FindHandler(const std::vector<std::pair<std::string, std::string>>& events,
                        const std::string& event) {
  for (const auto& [name, handler] : events) {
    if (SameText(name, event)) return handler;
  }
  return "";
}

}  // namespace

std::string FormComponent::Handler(const std::string& event) const {
  return FindHandler(Events, event);
}

std::string FormDescription::Handler(const std::string& event) const {
  return FindHandler(Events, event);
}

const FormComponent* FormDescription::FindComponent(const std::string& name) const {
  for (const FormComponent& c : Components) {
    if (SameText(c.Name, name)) return &c;
  }
  return nullptr;
}

bool ParseFormDescription(const char* text, std::size_t size, FormDescription* out,
                          std::string* error) {
  if (out == nullptr || (text == nullptr && size > 0)) {
    if (error != nullptr) *error = "line 1: no text";
    return false;
  }
  for (std::size_t i = 0; i < size; ++i) {
    if (text[i] == '\0') {
      if (error != nullptr) {
        *error = "line " + std::to_string(1 + std::count(text, text + i, '\n')) +
                 ": unexpected NUL character";
      }
      return false;
    }
  }
  Parser parser;
  if (!parser.Run(text, size, out)) {
    if (error != nullptr) *error = parser.error();
    return false;
  }
  return true;
}

}  // namespace carpex
