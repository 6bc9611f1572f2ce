// Bitmaps under fuzzing: the decoder, GDI's loading and scaling, StretchBlt
// into a surface and colour-keyed BltFast, each checked against a plain model
// of what it must produce.
#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/soft/control.h"
#include "graphics/soft/dib.h"
#include "graphics/soft/soft_api.h"
#include "tests/fuzz/fuzz_targets.h"

namespace carpex::fuzz {
namespace {

// Larger inputs add nothing the decoder has not seen, only time.
constexpr size_t kMaxInput = 1 << 16;
// Pictures beyond this are decoded but not taken through GDI and the display.
constexpr uint64_t kMaxDisplayPixels = 1 << 14;
constexpr int kMaxScaled = 48;

const char* CheckImage(const soft::DibImage& Image) {
  if (Image.Width < 1 || Image.Height < 1) return "a decoded picture has no pixels";
  if (Image.Pixels.size() != static_cast<size_t>(Image.Width) * static_cast<size_t>(Image.Height)) {
    return "a decoded picture's pixel count differs from its size";
  }
  const uint16_t bits = Image.BitsPerPixel;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
    return "a decoded picture has an unknown depth";
  }
  for (uint32_t c : Image.Pixels) {
    if ((c & 0xFF000000u) != 0) return "a decoded colour has bits above blue";
  }
  return nullptr;
}

// Small deterministic choices (rectangles, positions) drawn from the input.
class Choices {
 public:
  Choices(const uint8_t* Data, size_t Size) {
    for (size_t i = 0; i < Size; ++i) state_ = (state_ ^ Data[i]) * 0x100000001B3ull;
  }
  int Below(int N) {
    state_ ^= state_ >> 29;
    state_ *= 0xBF58476D1CE4E5B9ull;
    state_ ^= state_ >> 32;
    return N > 0 ? static_cast<int>(state_ % static_cast<uint64_t>(N)) : 0;
  }

 private:
  uint64_t state_ = 0xCBF29CE484222325ull;
};

std::vector<uint16_t> Pixels(IDirectDrawSurface7* Surface) {
  const soft::PixelView view = soft::SurfacePixels(Surface);
  std::vector<uint16_t> out;
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) out.push_back(view.At(x, y));
  }
  return out;
}

IDirectDrawSurface7* Plain(IDirectDraw7* Dd, int W, int H) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<DWORD>(W);
  desc.dwHeight = static_cast<DWORD>(H);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  IDirectDrawSurface7* surface = nullptr;
  return Dd->CreateSurface(&desc, &surface, nullptr) == DD_OK ? surface : nullptr;
}

// Writes pixels through Lock, as a program drawing into a surface would:
// `ValueAt(x, y)` for each pixel that `Selects(x, y)`.
template <class Write, class Value>
bool Paint(IDirectDrawSurface7* Surface, Write Selects, Value ValueAt) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  if (Surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return false;
  for (DWORD y = 0; y < desc.dwHeight; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) +
                                            static_cast<ptrdiff_t>(y) * desc.lPitch);
    for (DWORD x = 0; x < desc.dwWidth; ++x) {
      if (Selects(x, y)) row[x] = ValueAt(x, y);
    }
  }
  return Surface->Unlock(nullptr) == DD_OK;
}

// The sheet through the display: a colour key from its top-left pixel, then
// keyed and opaque blits of chosen rectangles onto a larger surface and onto
// the sheet itself, each compared with a model. Between blits the sheet changes
// in every way a program can change it (Lock, GDI, a blit into it, a new key,
// the loss of every surface), so that whatever the display keeps about a sheet
// must follow it.
class BlitCheck {
 public:
  BlitCheck(IDirectDraw7* Dd, IDirectDrawSurface7* Sheet, int W, int H, Choices& Choose)
      : sheet_(Sheet), w_(W), h_(H), dw_(W + 16), dh_(H + 16), choose_(Choose) {
    dest_ = Plain(Dd, dw_, dh_);
    patch_ = Plain(Dd, 2, 2);
  }
  ~BlitCheck() {
    if (dest_ != nullptr) dest_->Release();
    if (patch_ != nullptr) patch_->Release();
  }

  const char* Run() {
    if (dest_ == nullptr || patch_ == nullptr) return "a surface could not be made";
    destModel_.resize(static_cast<size_t>(dw_) * dh_);
    for (size_t i = 0; i < destModel_.size(); ++i) {
      destModel_[i] = static_cast<uint16_t>(i * 2654435761u);
    }
    if (!Paint(
            dest_, [](DWORD, DWORD) { return true; },
            [&](DWORD X, DWORD Y) { return destModel_[static_cast<size_t>(Y) * dw_ + X]; })) {
      return "Lock failed";
    }
    sheetModel_ = Pixels(sheet_);
    if (const char* problem = SetKey(sheetModel_[0], sheetModel_[0])) return problem;
    // Each change comes between a blit of part of the sheet and a keyed blit of
    // all of it, which must show the change.
    for (int round = 0; round < 10; ++round) {
      const char* problem = Blit(dest_, destModel_, dw_, dh_, round % 4 != 3, false);
      if (problem == nullptr) problem = Change(round % 5);
      if (problem == nullptr) problem = Blit(dest_, destModel_, dw_, dh_, true, true);
      if (problem == nullptr && round % 2 == 1) {
        problem = Blit(sheet_, sheetModel_, w_, h_, true, false);
      }
      if (problem != nullptr) return problem;
    }
    return nullptr;
  }

 private:
  // The game sets one colour; the display takes any range low..high.
  const char* SetKey(uint16_t Low, uint16_t High) {
    DDCOLORKEY ck{Low, High};
    key_ = Low;
    keyHigh_ = High;
    return sheet_->SetColorKey(DDCKEY_SRCBLT, &ck) == DD_OK ? nullptr : "SetColorKey failed";
  }
  bool IsKey(uint16_t P) const { return P >= key_ && P <= keyHigh_; }

  // A chosen rectangle of the sheet (or all of it) to a chosen place of `To`:
  // the destination, or the sheet itself, where the result is as if the source
  // were read first.
  const char* Blit(IDirectDrawSurface7* To, std::vector<uint16_t>& Model, int Tw, int Th,
                   bool Keyed, bool Whole) {
    RECT r{0, 0, w_, h_};
    if (!Whole) {
      r.left = choose_.Below(w_);
      r.top = choose_.Below(h_);
      r.right = r.left + 1 + choose_.Below(std::min(w_, Tw) - r.left);
      r.bottom = r.top + 1 + choose_.Below(std::min(h_, Th) - r.top);
    }
    const int x = choose_.Below(Tw - (r.right - r.left) + 1);
    const int y = choose_.Below(Th - (r.bottom - r.top) + 1);
    const HRESULT hr = To->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), sheet_, &r,
                                   Keyed ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY);
    if (hr != DD_OK) return "a blit inside both surfaces failed";
    const std::vector<uint16_t> source = sheetModel_;
    for (int j = 0; j < r.bottom - r.top; ++j) {
      for (int i = 0; i < r.right - r.left; ++i) {
        const uint16_t p = source[static_cast<size_t>(r.top + j) * w_ + r.left + i];
        if (!Keyed || !IsKey(p)) Model[static_cast<size_t>(y + j) * Tw + x + i] = p;
      }
    }
    if (Pixels(To) != Model) {
      return Keyed ? "a keyed blit differs from the model"
                   : "an opaque blit differs from the model";
    }
    if (To != sheet_ && Pixels(sheet_) != sheetModel_) return "a blit changed its source";
    return nullptr;
  }

  const char* Change(int Kind) {
    const int px = choose_.Below(w_), py = choose_.Below(h_);
    uint16_t& pixel = sheetModel_[static_cast<size_t>(py) * w_ + px];
    switch (Kind) {
      case 0: {  // through Lock: the pixel becomes the key, or stops being it
        pixel = IsKey(pixel) ? static_cast<uint16_t>(keyHigh_ + 1u) : key_;
        const uint16_t value = pixel;
        const bool ok = Paint(
            sheet_,
            [&](DWORD X, DWORD Y) {
              return X == static_cast<DWORD>(px) && Y == static_cast<DWORD>(py);
            },
            [&](DWORD, DWORD) { return value; });
        return ok ? nullptr : "Lock failed";
      }
      case 1: {  // through GDI
        const COLORREF c = soft::FromRgb565(choose_.Below(2) == 0 ? key_ : pixel ^ 0xFFFF);
        HDC dc = nullptr;
        if (sheet_->GetDC(&dc) != DD_OK) return "GetDC failed";
        SetPixel(dc, px, py, c);
        if (sheet_->ReleaseDC(dc) != DD_OK) return "ReleaseDC failed";
        pixel = soft::ToRgb565(c);
        return nullptr;
      }
      case 2: {  // a blit into the sheet: the 2 x 2 patch, one pixel of it the key
        const uint16_t values[4] = {key_, static_cast<uint16_t>(key_ ^ 0x1234),
                                    static_cast<uint16_t>(choose_.Below(0x10000)), key_};
        if (!Paint(
                patch_, [](DWORD, DWORD) { return true; },
                [&](DWORD X, DWORD Y) { return values[Y * 2 + X]; })) {
          return "Lock failed";
        }
        const int pw = std::min(2, w_ - px), ph = std::min(2, h_ - py);
        RECT r{0, 0, pw, ph};
        if (sheet_->BltFast(static_cast<DWORD>(px), static_cast<DWORD>(py), patch_, &r,
                            DDBLTFAST_NOCOLORKEY) != DD_OK) {
          return "a blit into the sheet failed";
        }
        for (int j = 0; j < ph; ++j) {
          for (int i = 0; i < pw; ++i) {
            sheetModel_[static_cast<size_t>(py + j) * w_ + px + i] = values[j * 2 + i];
          }
        }
        return nullptr;
      }
      case 3: {  // a new key: the colour of some pixel, or a range from it
        const auto other = static_cast<uint16_t>(choose_.Below(0x10000));
        if (choose_.Below(2) == 0) return SetKey(pixel, pixel);
        return SetKey(std::min(pixel, other), std::max(pixel, other));
      }
      default:  // every surface lost and restored: they hold the lost pattern now
        soft::LoseAllSurfaces();
        if (sheet_->Restore() != DD_OK || dest_->Restore() != DD_OK || patch_->Restore() != DD_OK) {
          return "Restore failed";
        }
        sheetModel_ = Pixels(sheet_);
        destModel_ = Pixels(dest_);
        for (uint16_t p : sheetModel_) {
          if (p != soft::kLostPatternA && p != soft::kLostPatternB) {
            return "a lost surface does not show the lost pattern";
          }
        }
        return nullptr;
    }
  }

  IDirectDrawSurface7* sheet_;
  IDirectDrawSurface7* dest_ = nullptr;
  IDirectDrawSurface7* patch_ = nullptr;
  int w_, h_, dw_, dh_;
  Choices& choose_;
  std::vector<uint16_t> sheetModel_, destModel_;
  uint16_t key_ = 0, keyHigh_ = 0;  // the key range; key_ is its low end
};

const char* CheckThroughDisplay(const uint8_t* Data, size_t Size, const soft::DibImage& Image) {
  soft::Reset();
  soft::AddResource("BITMAP", "FUZZ", std::vector<uint8_t>(Data, Data + Size));
  Choices choose(Data, Size);
  const int cx = choose.Below(kMaxScaled + 1);  // 0: the picture's own size
  const int cy = choose.Below(kMaxScaled + 1);
  auto* bitmap = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), "fuzz", IMAGE_BITMAP, cx, cy, LR_CREATEDIBSECTION));
  if (bitmap == nullptr) return "a picture that decodes does not load";
  const int w = cx != 0 ? cx : Image.Width;
  const int h = cy != 0 ? cy : Image.Height;
  BITMAP info{};
  if (GetObjectA(bitmap, sizeof info, &info) != sizeof info || info.bmWidth != w ||
      info.bmHeight != h) {
    return "a loaded picture has the wrong size";
  }
  HDC imageDC = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(imageDC, bitmap);
  const char* problem = nullptr;
  // Scaling takes the nearest pixel: offset i of n shows i * m / n of m.
  for (int y = 0; y < h && problem == nullptr; ++y) {
    for (int x = 0; x < w && problem == nullptr; ++x) {
      const uint32_t want = Image.At(static_cast<int32_t>(int64_t{x} * Image.Width / w),
                                     static_cast<int32_t>(int64_t{y} * Image.Height / h));
      if (GetPixel(imageDC, x, y) != want) problem = "a loaded pixel differs from the decoded one";
    }
  }

  IDirectDraw7* dd = nullptr;
  if (problem == nullptr &&
      (DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr) !=
           DD_OK ||
       dd->SetCooperativeLevel(soft::FakeWindowHandle(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE) !=
           DD_OK)) {
    problem = "no display";
  }
  IDirectDrawSurface7* sheet = problem == nullptr ? Plain(dd, w, h) : nullptr;
  if (problem == nullptr && sheet == nullptr) problem = "a sheet surface could not be made";
  if (problem == nullptr) {
    HDC surfaceDC = nullptr;
    if (sheet->GetDC(&surfaceDC) != DD_OK ||
        !StretchBlt(surfaceDC, 0, 0, w, h, imageDC, 0, 0, w, h, SRCCOPY) ||
        sheet->ReleaseDC(surfaceDC) != DD_OK) {
      problem = "the picture could not be copied into a surface";
    }
  }
  if (problem == nullptr) {
    const soft::PixelView view = soft::SurfacePixels(sheet);
    for (int y = 0; y < h && problem == nullptr; ++y) {
      for (int x = 0; x < w && problem == nullptr; ++x) {
        if (view.At(x, y) != soft::ToRgb565(GetPixel(imageDC, x, y))) {
          problem = "a surface pixel differs from the picture's";
        }
      }
    }
  }
  if (problem == nullptr) problem = BlitCheck(dd, sheet, w, h, choose).Run();

  if (sheet != nullptr) sheet->Release();
  if (dd != nullptr) dd->Release();
  SelectObject(imageDC, previous);
  DeleteDC(imageDC);
  DeleteObject(bitmap);
  if (problem == nullptr &&
      (soft::LiveDCs() != 0 || soft::LiveBitmaps() != 0 || soft::LiveDirectDrawObjects() != 0)) {
    problem = "an object outlived its release";
  }
  soft::Reset();
  return problem;
}

}  // namespace

const char* RunBitmapInput(const uint8_t* Data, size_t Size) {
  if (Size > kMaxInput) return nullptr;
  soft::DibImage dib, file;
  const bool isDib = soft::DecodeDib(Data, Size, &dib);
  const bool isFile = soft::DecodeBmpFile(Data, Size, &file);
  if (isDib) {
    if (const char* problem = CheckImage(dib)) return problem;
  }
  if (isFile) {
    if (const char* problem = CheckImage(file)) return problem;
  }
  if (!isDib ||
      static_cast<uint64_t>(dib.Width) * static_cast<uint64_t>(dib.Height) > kMaxDisplayPixels) {
    return nullptr;
  }
  return CheckThroughDisplay(Data, Size, dib);
}

}  // namespace carpex::fuzz
