#include "assets/texts.h"

namespace carpex {

CARPEX_TEXT_OF(Text, kTextCount, CARPEX_TEXTS)

std::string Fill(std::string_view Text, std::initializer_list<std::string_view> Values) {
  const std::string_view text = Text;
  std::string said;
  said.reserve(text.size() + 32);
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t index = i + 2 < text.size() && text[i] == '{' && text[i + 2] == '}'
                             ? static_cast<size_t>(text[i + 1] - '0')
                             : Values.size();
    if (index < Values.size()) {
      said += Values.begin()[index];
      i += 2;
    } else {
      said += text[i];
    }
  }
  return said;
}

}  // namespace carpex
