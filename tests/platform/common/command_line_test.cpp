// The player's language as the locale's variables name it, read as gettext
// reads them.
#include "platform/common/command_line.h"

#include <gtest/gtest.h>

namespace carpex {
namespace {

constexpr Language zh = Language::Chinese;
constexpr Language en = Language::English;

TEST(LocaleLanguage, FollowsTheLocaleAndLanguageListAsGettextDoes) {
  struct Case {
    const char* language;
    const char* all;
    const char* messages;
    const char* lang;
    Language expected;
  } cases[] = {
      {nullptr, nullptr, nullptr, "zh_CN.UTF-8", zh},
      {nullptr, nullptr, nullptr, "zh_TW.Big5", zh},
      {nullptr, nullptr, nullptr, "en_US.UTF-8", en},
      {nullptr, nullptr, nullptr, "fr_FR.UTF-8", en},
      {nullptr, nullptr, nullptr, "zhx_XX", en},
      {nullptr, nullptr, nullptr, nullptr, en},
      // LC_ALL before LC_MESSAGES before LANG; an empty one does not count.
      {nullptr, "en_GB.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8", en},
      {nullptr, "", "zh_CN.UTF-8", "en_US.UTF-8", zh},
      {nullptr, nullptr, "", "zh_SG", zh},
      // LANGUAGE's first Chinese or English entry, unless the locale is C.
      {"fr:zh_CN:en", nullptr, nullptr, "en_US.UTF-8", zh},
      {"en_GB:zh", nullptr, nullptr, "zh_CN.UTF-8", en},
      {"de:fr", nullptr, nullptr, "zh_CN.UTF-8", en},
      {"zh_CN", "C", nullptr, "zh_CN.UTF-8", en},
      {"zh_CN", nullptr, nullptr, nullptr, en},
      {"", nullptr, nullptr, "zh_CN.UTF-8", zh},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.language ? c.language : "-") + " " + (c.all ? c.all : "-") + " " +
                 (c.messages ? c.messages : "-") + " " + (c.lang ? c.lang : "-"));
    EXPECT_EQ(LocaleLanguage(c.language, c.all, c.messages, c.lang), c.expected);
  }
}

}  // namespace
}  // namespace carpex
