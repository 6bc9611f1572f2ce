#include "platform/common/enlarge.h"

#include <cstring>

namespace carpex::common {

namespace {

template <int Bpp>
inline void Store(uint8_t* To, uint32_t Value) {
  if constexpr (Bpp == 4) {
    std::memcpy(To, &Value, 4);
  } else if constexpr (Bpp == 2) {
    const uint16_t v = static_cast<uint16_t>(Value);
    std::memcpy(To, &v, 2);
  } else if constexpr (Bpp == 1) {
    *To = static_cast<uint8_t>(Value);
  } else {
    // Three-byte pixels in the machine's byte order, as screens keep them.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    To[0] = static_cast<uint8_t>(Value >> 16);
    To[1] = static_cast<uint8_t>(Value >> 8);
    To[2] = static_cast<uint8_t>(Value);
#else
    To[0] = static_cast<uint8_t>(Value);
    To[1] = static_cast<uint8_t>(Value >> 8);
    To[2] = static_cast<uint8_t>(Value >> 16);
#endif
  }
}

template <int Bpp>
void Enlarge(const uint16_t* From, int Left, int Right, const uint32_t* Table, uint8_t* Line,
             int Scale, std::ptrdiff_t Pitch) {
  uint8_t* start = Line + static_cast<std::ptrdiff_t>(Left) * Scale * Bpp;
  uint8_t* to = start;
  if (Scale == 1) {
    for (int x = Left; x < Right; ++x, to += Bpp) Store<Bpp>(to, Table[From[x]]);
  } else if (Scale == 2) {
    for (int x = Left; x < Right; ++x, to += 2 * Bpp) {
      const uint32_t v = Table[From[x]];
      Store<Bpp>(to, v);
      Store<Bpp>(to + Bpp, v);
    }
  } else {
    for (int x = Left; x < Right; ++x) {
      const uint32_t v = Table[From[x]];
      for (int k = 0; k < Scale; ++k, to += Bpp) Store<Bpp>(to, v);
    }
  }
  const size_t bytes = static_cast<size_t>(to - start);
  for (int k = 1; k < Scale; ++k) std::memcpy(start + k * Pitch, start, bytes);
}

}  // namespace

void EnlargeRow(const uint16_t* From, int Left, int Right, const uint32_t* Table, int BytesPerPixel,
                uint8_t* Line, int Scale, std::ptrdiff_t Pitch) {
  switch (BytesPerPixel) {
    case 1:
      return Enlarge<1>(From, Left, Right, Table, Line, Scale, Pitch);
    case 2:
      return Enlarge<2>(From, Left, Right, Table, Line, Scale, Pitch);
    case 3:
      return Enlarge<3>(From, Left, Right, Table, Line, Scale, Pitch);
    default:
      return Enlarge<4>(From, Left, Right, Table, Line, Scale, Pitch);
  }
}

void StorePixel(uint8_t* To, uint32_t Value, int BytesPerPixel) {
  switch (BytesPerPixel) {
    case 1:
      return Store<1>(To, Value);
    case 2:
      return Store<2>(To, Value);
    case 3:
      return Store<3>(To, Value);
    default:
      return Store<4>(To, Value);
  }
}

bool CopyChangedSpan(const uint16_t* Row, uint16_t* Kept, int Width, bool Whole, int* Left,
                     int* Right) {
  int left = 0, right = Width;
  if (!Whole) {
    while (left < Width && Row[left] == Kept[left]) ++left;
    if (left == Width) return false;
    while (Row[right - 1] == Kept[right - 1]) --right;
  }
  std::memcpy(Kept + left, Row + left, static_cast<size_t>(right - left) * sizeof *Row);
  *Left = left;
  *Right = right;
  return true;
}

}  // namespace carpex::common
