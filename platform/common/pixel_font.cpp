#include "platform/common/pixel_font.h"

#include <cstring>

namespace carpex::common {

namespace {

constexpr int kInkTop = 2;  // the digits' first row in the cell
constexpr int kInkRows = 8;

// Five columns per row, written as the low five bits (0x10 is the left one).
constexpr uint8_t kDigits[10][kInkRows] = {
    {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x14, 0x04, 0x04, 0x04, 0x04, 0x04},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F},  // 2
    {0x0E, 0x11, 0x01, 0x06, 0x01, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x0E, 0x11, 0x10, 0x1E, 0x11, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x02, 0x04, 0x04, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x11, 0x0F, 0x01, 0x11, 0x0E},  // 9
};
constexpr uint8_t kMinus[kInkRows] = {0, 0, 0, 0, 0x1E, 0, 0, 0};
constexpr uint8_t kBox[kInkRows] = {0x1E, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12, 0x1E};

}  // namespace

uint8_t GlyphRow(char Character, int Row) {
  if (Row < kInkTop || Row >= kInkTop + kInkRows) return 0;
  const int r = Row - kInkTop;
  uint8_t bits = 0;
  if (Character >= '0' && Character <= '9') {
    bits = kDigits[Character - '0'][r];
  } else if (Character == '-') {
    bits = kMinus[r];
  } else if (Character == ' ') {
    bits = 0;
  } else {
    bits = kBox[r];
  }
  return static_cast<uint8_t>(bits << 3);
}

int TextWidth(const char* Text) {
  return Text == nullptr ? 0 : static_cast<int>(std::strlen(Text)) * kCellWidth;
}

int TextInk(const char* Text, InkRun* Runs, int MaxRuns) {
  if (Text == nullptr) return 0;
  int count = 0;
  for (int i = 0; Text[i] != '\0'; ++i) {
    for (int row = 0; row < kCellHeight; ++row) {
      const uint8_t bits = GlyphRow(Text[i], row);
      for (int x = 0; x < 8;) {
        if (((bits >> (7 - x)) & 1) == 0) {
          ++x;
          continue;
        }
        int end = x;
        while (end < 8 && ((bits >> (7 - end)) & 1) != 0) ++end;
        if (count == MaxRuns) return count;
        Runs[count++] = InkRun{i * kCellWidth + x, row, end - x};
        x = end;
      }
    }
  }
  return count;
}

}  // namespace carpex::common
