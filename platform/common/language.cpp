#include "platform/common/language.h"

namespace carpex {

namespace {

bool Names(std::string_view Entry, std::string_view Code) {
  if (Entry.size() < Code.size()) return false;
  for (size_t i = 0; i < Code.size(); ++i) {
    if ((Entry[i] | 0x20) != Code[i]) return false;
  }
  if (Entry.size() == Code.size()) return true;
  const char next = Entry[Code.size()];
  return next == '_' || next == '-' || next == '.' || next == '@';
}

}  // namespace

Language ListedLanguage(std::string_view List) {
  while (!List.empty()) {
    const size_t end = List.find_first_of(":,");
    const std::string_view entry = List.substr(0, end);
    if (Names(entry, "zh")) return Language::Chinese;
    if (Names(entry, "en")) return Language::English;
    List = end == std::string_view::npos ? std::string_view() : List.substr(end + 1);
  }
  return Language::English;
}

}  // namespace carpex
