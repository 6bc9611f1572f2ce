#include "platform/common/layout.h"

#include <algorithm>

namespace carpex::common {

Placement PlacePicture(int OutputWidth, int OutputHeight) {
  Placement p;
  const int w = std::max(OutputWidth, 1);
  const int h = std::max(OutputHeight, 1);
  const int scale = std::min(w / kPictureWidth, h / kPictureHeight);
  if (scale >= 1) {
    p.Scale = scale;
    p.Width = kPictureWidth * scale;
    p.Height = kPictureHeight * scale;
  } else if (static_cast<long long>(w) * kPictureHeight <=
             static_cast<long long>(h) * kPictureWidth) {
    p.Width = w;
    p.Height = std::max(w * kPictureHeight / kPictureWidth, 1);
  } else {
    p.Height = h;
    p.Width = std::max(h * kPictureWidth / kPictureHeight, 1);
  }
  p.X = (w - p.Width) / 2;
  p.Y = (h - p.Height) / 2;
  return p;
}

}  // namespace carpex::common
