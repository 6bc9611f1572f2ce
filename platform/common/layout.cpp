#include "platform/common/layout.h"

#include <algorithm>

namespace carpex::common {

Placement PlacePicture(int OutputWidth, int OutputHeight) {
  Placement p;
  const long long w = std::max(OutputWidth, 1);
  const long long h = std::max(OutputHeight, 1);
  const int whole = static_cast<int>(std::min(w / kPictureWidth, h / kPictureHeight));
  // The whole factor fills at least two thirds of the largest that would fit.
  const bool sharp =
      whole >= 1 && (2 * w <= 3LL * whole * kPictureWidth || 2 * h <= 3LL * whole * kPictureHeight);
  if (sharp) {
    p.Scale = whole;
    p.Width = kPictureWidth * whole;
    p.Height = kPictureHeight * whole;
  } else {
    p.Scale = whole + 1;
    p.Smooth = true;
    if (w * kPictureHeight <= h * kPictureWidth) {
      p.Width = static_cast<int>(w);
      p.Height = static_cast<int>(std::max(w * kPictureHeight / kPictureWidth, 1LL));
    } else {
      p.Height = static_cast<int>(h);
      p.Width = static_cast<int>(std::max(h * kPictureWidth / kPictureHeight, 1LL));
    }
  }
  p.TextScale = std::max(whole, 1);
  p.X = static_cast<int>((w - p.Width) / 2);
  p.Y = static_cast<int>((h - p.Height) / 2);
  return p;
}

}  // namespace carpex::common
