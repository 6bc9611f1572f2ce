#include "tools/picture.h"

#include <cstdio>

#include "tools/png.h"

namespace carpex {

namespace {

bool EndsWith(std::string_view Path, std::string_view Ending) {
  if (Path.size() < Ending.size()) return false;
  const std::string_view tail = Path.substr(Path.size() - Ending.size());
  for (size_t i = 0; i < Ending.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != Ending[i]) return false;
  }
  return true;
}

bool WritePpm(const std::string& Path, int Width, int Height, const uint8_t* Rgb) {
  std::FILE* file = std::fopen(Path.c_str(), "wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", Width, Height);
  const size_t size = static_cast<size_t>(Width) * static_cast<size_t>(Height) * 3;
  const bool written = std::fwrite(Rgb, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

}  // namespace

bool IsPictureFileName(std::string_view Path) {
  return EndsWith(Path, ".png") || EndsWith(Path, ".ppm");
}

bool WritePicture(const std::string& Path, int Width, int Height, const uint8_t* Rgb) {
  if (Width <= 0 || Height <= 0) return false;
  if (EndsWith(Path, ".ppm")) return WritePpm(Path, Width, Height, Rgb);
  return WritePng(Path, Width, Height, Rgb);
}

}  // namespace carpex
