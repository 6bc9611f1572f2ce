#include "assets/picture.h"

#include <string>

#include "assets/png.h"

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

}  // namespace

bool IsPictureFileName(std::string_view Path) {
  return EndsWith(Path, ".png") || EndsWith(Path, ".ppm");
}

bool EncodePicture(std::string_view Name, int Width, int Height, const uint8_t* Rgb,
                   std::vector<uint8_t>* Out) {
  if (!EndsWith(Name, ".ppm")) return EncodePng(Width, Height, Rgb, Out);
  if (Width <= 0 || Height <= 0 || Width > 65535 || Height > 65535) return false;
  const std::string header =
      "P6\n" + std::to_string(Width) + " " + std::to_string(Height) + "\n255\n";
  const size_t size = static_cast<size_t>(Width) * static_cast<size_t>(Height) * 3;
  Out->assign(header.begin(), header.end());
  Out->insert(Out->end(), Rgb, Rgb + size);
  return true;
}

}  // namespace carpex
