// The player's language: Chinese, the game's own, or English. The level
// choice and the banners are drawn in it, and every word the player reads
// around them is in it too (assets/texts.h).
#pragma once

#include <cstdint>
#include <string_view>

namespace carpex {

enum class Language : uint8_t { Chinese, English };

// As the command line, a recording and the page name them: "zh" and "en".
constexpr const char* LanguageCode(Language Pictures) {
  return Pictures == Language::English ? "en" : "zh";
}
constexpr bool ParseLanguageCode(std::string_view Code, Language* Pictures) {
  if (Code != "zh" && Code != "en") return false;
  *Pictures = Code == "en" ? Language::English : Language::Chinese;
  return true;
}

constexpr Language OtherLanguage(Language L) {
  return L == Language::English ? Language::Chinese : Language::English;
}

}  // namespace carpex
