#include "platform/common/layout.h"

#include <algorithm>

namespace carpex::common {

Placement PlacePicture(int OutputWidth, int OutputHeight, Share Least) {
  Placement p;
  const long long w = std::max(OutputWidth, 1);
  const long long h = std::max(OutputHeight, 1);
  const int whole = static_cast<int>(std::min(w / kPictureWidth, h / kPictureHeight));
  // The whole factor is at least Least of the largest factor that would fit.
  const long long n = Least.Numerator;
  const long long d = Least.Denominator;
  const bool sharp =
      whole >= 1 && (n * w <= d * whole * kPictureWidth || n * h <= d * whole * kPictureHeight);
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
