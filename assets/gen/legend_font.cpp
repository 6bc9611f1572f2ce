#include "assets/gen/legend_font.h"

#include <set>
#include <stdexcept>

#include "assets/texts.h"

namespace carpex::assetgen {

namespace {

void Put(std::vector<uint8_t>& Out, uint32_t Value, int Bytes) {
  for (int i = 0; i < Bytes; ++i) Out.push_back(static_cast<uint8_t>(Value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> DrawLegendFont(CjkFont& Font) {
  std::set<char32_t> characters;
  for (char32_t c = 0x20; c < 0x7F; ++c) characters.insert(c);
  for (int i = 0; i < kLegendTextCount; ++i) {
    for (const Language in : {Language::English, Language::Chinese}) {
      for (char32_t c : DecodeUtf8(TextOf(static_cast<Text>(i), in))) characters.insert(c);
    }
  }
  const int height = Font.LineHeight(kLegendPixelSize);
  const int baseline = Font.Ascender(kLegendPixelSize);
  // A glyph that reaches left of its pen or past its advance keeps only its
  // cell: room on both sides, then the cell cut out.
  constexpr int kRoom = 4;
  std::vector<uint8_t> out = {
      'C', 'X', 'F', '1', static_cast<uint8_t>(height), static_cast<uint8_t>(baseline)};
  Put(out, static_cast<uint32_t>(characters.size()), 2);
  for (const char32_t c : characters) {
    std::string utf8;
    if (c < 0x80) {
      utf8 = std::string(1, static_cast<char>(c));
    } else if (c < 0x800) {
      utf8 = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      utf8 = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
    }
    const int advance = Font.Width(utf8, kLegendPixelSize);
    if (advance <= 0 || advance > 255) throw std::runtime_error("a legend glyph of no width");
    Mask ink(advance + 2 * kRoom, height);
    Font.Draw(ink, kRoom, 0, utf8, kLegendPixelSize);
    Put(out, static_cast<uint32_t>(c), 4);
    out.push_back(static_cast<uint8_t>(advance));
    for (int y = 0; y < height; ++y) {
      for (int byte = 0; byte < (advance + 7) / 8; ++byte) {
        uint8_t bits = 0;
        for (int bit = 0; bit < 8 && byte * 8 + bit < advance; ++bit) {
          if (ink.Get(kRoom + byte * 8 + bit, y) != 0) bits |= static_cast<uint8_t>(0x80 >> bit);
        }
        out.push_back(bits);
      }
    }
  }
  return out;
}

}  // namespace carpex::assetgen
