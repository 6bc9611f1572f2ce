// The table of texts: every text has its twin in the other language, with
// the same places for values, and Say fills them in.
#include "assets/texts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace carpex {
namespace {

std::multiset<std::string> Places(std::string_view Text) {
  std::multiset<std::string> places;
  for (size_t at = Text.find('{'); at != std::string_view::npos; at = Text.find('{', at + 1)) {
    places.insert(std::string(Text.substr(at, 3)));
  }
  return places;
}

bool HasChinese(std::string_view Text) {
  for (char c : Text) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// Both twins written, with the same places, the Chinese one in Chinese unless
// the text is a name.
template <typename Id>
void ExpectTwins(Id Which, bool IsName) {
  const std::string english = TextOf(Which, Language::English);
  const std::string chinese = TextOf(Which, Language::Chinese);
  EXPECT_FALSE(english.empty()) << static_cast<int>(Which);
  EXPECT_EQ(Places(english), Places(chinese)) << english << " / " << chinese;
  if (!IsName) {
    EXPECT_TRUE(HasChinese(chinese)) << english << " / " << chinese;
  }
}

TEST(Texts, EveryTextHasItsTwinWithTheSamePlaces) {
  for (int i = 0; i < kTextCount; ++i) {
    const auto id = static_cast<Text>(i);
    // Only a name is the same in both (Escape is Esc in Chinese).
    ExpectTwins(id, id == Text::GameName || id == Text::KeyEscape);
  }
  for (int i = 0; i < kMessageCount; ++i) ExpectTwins(static_cast<Message>(i), false);
}

TEST(Texts, SayFillsThePlacesInTheLanguageAsked) {
  EXPECT_EQ(Say(Text::WatchStopped, Language::English, {"a.replay", "3", "9"}),
            "'a.replay' stopped at frame 3 of 9");
  EXPECT_EQ(Say(Text::WatchStopped, Language::Chinese, {"a.replay", "3", "9"}),
            "“a.replay”停在第 3 帧，共 9 帧");
  EXPECT_EQ(Say(Text::TitleWith, Language::English), "Carpex: {0}") << "a place without a value";
}

}  // namespace
}  // namespace carpex
