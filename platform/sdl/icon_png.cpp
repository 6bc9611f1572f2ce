// carpex-icon ICO SIZE OUT.png: the game's 32 x 32 icon enlarged by a whole
// factor to SIZE x SIZE, every pixel a square of the same colour, as a PNG
// with transparency, for the desktop's icon theme.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "assets/png.h"
#include "platform/sdl/icon.h"

int main(int argc, char** argv) {
  constexpr int kSide = 32;
  const int size = argc == 4 ? std::atoi(argv[2]) : 0;
  if (size < kSide || size % kSide != 0) {
    std::fprintf(stderr, "usage: carpex-icon ICO SIZE OUT.png (SIZE a multiple of %d)\n", kSide);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<uint8_t> ico((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
  carpex::sdl::IconImage icon;
  if (!carpex::sdl::DecodeIcon(ico.data(), ico.size(), kSide, &icon) || icon.Width != kSide ||
      icon.Height != kSide) {
    std::fprintf(stderr, "carpex-icon: %s holds no %d x %d picture\n", argv[1], kSide, kSide);
    return 1;
  }
  const int factor = size / kSide;
  std::vector<uint8_t> rgba;
  rgba.reserve(static_cast<size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const uint32_t argb = icon.Argb[static_cast<size_t>(y / factor) * kSide + x / factor];
      rgba.insert(rgba.end(), {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                               static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 24)});
    }
  }
  if (!carpex::WritePng(argv[3], size, size, rgba.data(), true)) {
    std::fprintf(stderr, "carpex-icon: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
