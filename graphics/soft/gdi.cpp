// GDI over the software display: bitmaps loaded from the embedded resources
// or from .bmp files, memory DCs that hold them, DCs over surfaces, and the
// StretchBlt, GetPixel and SetPixel that move colours between them.
//
// Handles are numbers looked up in a table and never reused, so a bogus or
// deleted handle is refused instead of followed.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "graphics/soft/control.h"
#include "graphics/soft/dib_detail.h"
#include "graphics/soft/objects.h"
#include "graphics/soft/resources.h"
#include "graphics/soft/state.h"

namespace soft::detail {
namespace {

struct Bitmap {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bits = 0;  // as stored in the picture
  // COLORREF, top row first: shared by the loads of one of the program's own
  // pictures until one of them is changed.
  std::shared_ptr<std::vector<std::uint32_t>> pixels;
  std::vector<std::uint32_t> palette;  // colour table of a paletted picture
  // The pixels in the display's format, for the program's own pictures while
  // they are unchanged.
  std::shared_ptr<const std::vector<std::uint16_t>> rgb565;
  HDC selectedInto = nullptr;

  const std::uint32_t* Pixels() const { return pixels->data(); }
  std::uint32_t* ChangedPixels() {
    if (pixels.use_count() > 1) pixels = std::make_shared<std::vector<std::uint32_t>>(*pixels);
    rgb565.reset();
    return pixels->data();
  }
};

enum class Kind { MemoryDC, SurfaceDC, Bitmap };

struct GdiObject {
  Kind kind;
  HGDIOBJ selected = nullptr;  // memory DC: its bitmap (the stock one at first)
  Surface* surface = nullptr;  // surface DC
  std::unique_ptr<Bitmap> bitmap;
};

}  // namespace

// The display's DCs and bitmaps, by handle.
struct Gdi {
  std::unordered_map<std::uintptr_t, GdiObject> objects;
  std::uintptr_t next = 0x10000;
};

void GdiDeleter::operator()(Gdi* Objects) const {
  delete Objects;
}

namespace {

Gdi& G() {
  State& s = GetState();
  if (s.gdi == nullptr) s.gdi.reset(new Gdi());
  return *s.gdi;
}

// The 1 x 1 black monochrome bitmap that a new memory DC holds.
HGDIOBJ StockBitmap() {
  return reinterpret_cast<HGDIOBJ>(std::uintptr_t{0x8010});
}

GdiObject* Find(const void* Handle, Kind Kind) {
  auto it = G().objects.find(reinterpret_cast<std::uintptr_t>(Handle));
  if (it == G().objects.end() || it->second.kind != Kind) return nullptr;
  return &it->second;
}

GdiObject* FindDC(const void* Handle) {
  GdiObject* dc = Find(Handle, Kind::MemoryDC);
  return dc != nullptr ? dc : Find(Handle, Kind::SurfaceDC);
}

void* NewHandle(GdiObject Object) {
  Gdi& gdi = G();
  const std::uintptr_t key = gdi.next;
  gdi.next += 4;
  gdi.objects.emplace(key, std::move(Object));
  return reinterpret_cast<void*>(key);
}

// The nearest entry of a colour table, first one on a tie.
std::uint32_t NearestInPalette(const std::vector<std::uint32_t>& Palette, COLORREF C) {
  std::uint32_t best = 0;
  long bestDistance = -1;
  for (std::uint32_t entry : Palette) {
    const long dr = static_cast<long>(GetRValue(entry)) - GetRValue(C);
    const long dg = static_cast<long>(GetGValue(entry)) - GetGValue(C);
    const long db = static_cast<long>(GetBValue(entry)) - GetBValue(C);
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = entry;
      bestDistance = distance;
    }
  }
  return best;
}

// What a DC draws on: a surface, a bitmap, or the stock bitmap.
struct Canvas {
  Surface* surface = nullptr;
  Bitmap* bitmap = nullptr;

  int Width() const { return surface ? surface->width : bitmap ? bitmap->width : 1; }
  int Height() const { return surface ? surface->height : bitmap ? bitmap->height : 1; }
  bool Writable() const { return surface != nullptr || bitmap != nullptr; }
  bool Inside(int X, int Y) const { return X >= 0 && Y >= 0 && X < Width() && Y < Height(); }

  COLORREF Read(int X, int Y) const {
    if (surface != nullptr) {
      surface->Settle();
      return FromRgb565(surface->Row(Y)[X]);
    }
    if (bitmap != nullptr) return bitmap->Pixels()[static_cast<std::size_t>(Y) * bitmap->width + X];
    return 0;
  }

  // Returns the colour actually stored: the surface's pixel format or the
  // bitmap's colour table decides it.
  COLORREF Write(int X, int Y, COLORREF C) {
    C &= 0x00FFFFFF;
    if (surface != nullptr) {
      surface->Settle();
      const std::uint16_t pixel = ToRgb565(C);
      if (!GetState().skipPixels) surface->Row(Y)[X] = pixel;
      return FromRgb565(pixel);
    }
    if (bitmap->bits <= 8 && !bitmap->palette.empty()) C = NearestInPalette(bitmap->palette, C);
    bitmap->ChangedPixels()[static_cast<std::size_t>(Y) * bitmap->width + X] = C;
    return C;
  }
};

bool CanvasOf(HDC Handle, Canvas* Out) {
  GdiObject* dc = FindDC(Handle);
  if (dc == nullptr) return false;
  *Out = Canvas{};
  if (dc->kind == Kind::SurfaceDC) {
    Out->surface = dc->surface;
  } else if (dc->selected != StockBitmap()) {
    GdiObject* bitmap = Find(dc->selected, Kind::Bitmap);
    if (bitmap == nullptr) return false;
    Out->bitmap = bitmap->bitmap.get();
  }
  return true;
}

// Nearest neighbour: destination offset i of n takes source offset
// floor(i * m / n) of m. The same mapping scales pictures while loading.
std::int64_t MapNearest(std::int64_t I, std::int64_t N, std::int64_t M) {
  return I * M / N;
}

std::unique_ptr<Bitmap> Scaled(const DibImage& Image, int Width, int Height) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->width = Width;
  bitmap->height = Height;
  bitmap->bits = Image.BitsPerPixel;
  if (Width == Image.Width && Height == Image.Height) {
    bitmap->pixels = std::make_shared<std::vector<std::uint32_t>>(Image.Pixels);
    return bitmap;
  }
  bitmap->pixels = std::make_shared<std::vector<std::uint32_t>>(static_cast<std::size_t>(Width) *
                                                                static_cast<std::size_t>(Height));
  std::vector<std::int32_t> columns(static_cast<std::size_t>(Width));
  for (int x = 0; x < Width; ++x) {
    columns[static_cast<std::size_t>(x)] =
        static_cast<std::int32_t>(MapNearest(x, Width, Image.Width));
  }
  for (int y = 0; y < Height; ++y) {
    const auto sy = static_cast<std::int32_t>(MapNearest(y, Height, Image.Height));
    const std::uint32_t* in = &Image.Pixels[static_cast<std::size_t>(sy) * Image.Width];
    std::uint32_t* out = bitmap->pixels->data() + static_cast<std::size_t>(y) * Width;
    for (int x = 0; x < Width; ++x) out[x] = in[columns[static_cast<std::size_t>(x)]];
  }
  return bitmap;
}

// Through stdio rather than a stream: the streams would bring their locales
// into every program, the page's among them.
bool ReadFile(const char* Path, std::vector<std::uint8_t>* Bytes) {
  std::FILE* in = std::fopen(Path, "rb");
  if (in == nullptr) return false;
  long size = -1;
  if (std::fseek(in, 0, SEEK_END) == 0) size = std::ftell(in);
  // Far more than any picture the display accepts.
  bool read = size > 0 && size <= (long{1} << 28) && std::fseek(in, 0, SEEK_SET) == 0;
  if (read) {
    Bytes->resize(static_cast<std::size_t>(size));
    read = std::fread(Bytes->data(), 1, Bytes->size(), in) == Bytes->size();
  }
  std::fclose(in);
  return read;
}

}  // namespace

HDC OpenSurfaceDC(Surface* Surface) {
  GdiObject dc{Kind::SurfaceDC, nullptr, Surface, nullptr};
  return static_cast<HDC>(NewHandle(std::move(dc)));
}

void CloseSurfaceDC(HDC Dc) {
  if (Find(Dc, Kind::SurfaceDC) != nullptr) G().objects.erase(reinterpret_cast<std::uintptr_t>(Dc));
}

int LiveDCCount() {
  int count = 0;
  for (const auto& [key, object] : G().objects) {
    if (object.kind != Kind::Bitmap) ++count;
  }
  return count;
}

int LiveBitmapCount() {
  int count = 0;
  for (const auto& [key, object] : G().objects) {
    if (object.kind == Kind::Bitmap) ++count;
  }
  return count;
}

// Handles stay unique across resets, so one kept from before is refused.
void ResetGdi() {
  G().objects.clear();
}

}  // namespace soft::detail

using soft::detail::Canvas;
using soft::detail::CanvasOf;
using soft::detail::Find;
using soft::detail::FindDC;
using soft::detail::G;
using soft::detail::GdiObject;
using soft::detail::Kind;
using soft::detail::StockBitmap;

namespace soft::detail {
namespace {

bool FitsADib(int Width, int Height) {
  return Width <= kMaxDibSide && Height <= kMaxDibSide &&
         static_cast<std::uint64_t>(Width) * static_cast<std::uint64_t>(Height) <= kMaxDibPixels;
}

// A decoded picture as LoadImageA makes it: at its own size (Width and Height
// 0) or at the size asked.
std::unique_ptr<Bitmap> Loaded(const DibImage& Image, std::vector<std::uint32_t> Palette, int Width,
                               int Height) {
  const int width = Width != 0 ? Width : Image.Width;
  const int height = Height != 0 ? Height : Image.Height;
  if (!FitsADib(width, height)) return nullptr;
  std::unique_ptr<Bitmap> bitmap = Scaled(Image, width, height);
  bitmap->palette = std::move(Palette);
  return bitmap;
}

// The program's own bitmaps never change: each is decoded and sized once, and
// every load after that shares its pixels (a lost display reloads them all,
// every time). One a test added is decoded each time: it goes with a reset.
std::unique_ptr<Bitmap> LoadedResource(const Resource& Picture, int Width, int Height) {
  if (&Picture < kResources || &Picture >= kResources + kResourceCount) {
    DibImage image;
    std::vector<std::uint32_t> palette;
    if (!DecodeDibWithPalette(Picture.data, Picture.size, &image, &palette)) return nullptr;
    return Loaded(image, std::move(palette), Width, Height);
  }
  static std::map<std::tuple<const Resource*, int, int>, std::unique_ptr<Bitmap>> loaded;
  auto [at, isNew] = loaded.try_emplace({&Picture, Width, Height});
  if (isNew) {
    DibImage image;
    std::vector<std::uint32_t> palette;
    if (DecodeDibWithPalette(Picture.data, Picture.size, &image, &palette)) {
      at->second = Loaded(image, std::move(palette), Width, Height);
    }
    if (Bitmap* bitmap = at->second.get()) {
      auto converted = std::make_shared<std::vector<std::uint16_t>>();
      converted->reserve(bitmap->pixels->size());
      for (const std::uint32_t c : *bitmap->pixels) converted->push_back(ToRgb565(c));
      bitmap->rgb565 = std::move(converted);
    }
  }
  return at->second != nullptr ? std::make_unique<Bitmap>(*at->second) : nullptr;
}

}  // namespace
}  // namespace soft::detail

HANDLE WINAPI LoadImageA(HINSTANCE Instance, LPCSTR Name, UINT Type, int Width, int Height,
                         UINT LoadFlags) {
  if (Type != IMAGE_BITMAP || Name == nullptr || Width < 0 || Height < 0) return nullptr;
  std::unique_ptr<soft::detail::Bitmap> bitmap;
  if (LoadFlags & LR_LOADFROMFILE) {
    std::vector<std::uint8_t> bytes;
    soft::DibImage image;
    std::vector<std::uint32_t> palette;
    if (IS_INTRESOURCE(Name) || !soft::detail::ReadFile(Name, &bytes) ||
        !soft::detail::DecodeBmpFileWithPalette(bytes.data(), bytes.size(), &image, &palette)) {
      return nullptr;
    }
    bitmap = soft::detail::Loaded(image, std::move(palette), Width, Height);
  } else {
    // The program's own bitmaps; other modules have none.
    if (Instance != GetModuleHandleA(nullptr)) return nullptr;
    // A numeric id is looked up as "#id", the form a resource script gives it.
    std::string lookup = "#";
    if (IS_INTRESOURCE(Name)) {
      lookup += std::to_string(reinterpret_cast<std::uintptr_t>(Name));
    } else {
      lookup = Name;
    }
    const soft::Resource* resource = soft::FindEmbedded("BITMAP", lookup.c_str());
    if (resource == nullptr) return nullptr;
    bitmap = soft::detail::LoadedResource(*resource, Width, Height);
  }
  if (bitmap == nullptr) return nullptr;
  return soft::detail::NewHandle(GdiObject{Kind::Bitmap, nullptr, nullptr, std::move(bitmap)});
}

int WINAPI GetObjectA(HANDLE Object, int Size, LPVOID Buffer) {
  BITMAP info = {};
  if (Object == StockBitmap()) {
    info = {0, 1, 1, 2, 1, 1, nullptr};
  } else if (GdiObject* object = Find(Object, Kind::Bitmap)) {
    const soft::detail::Bitmap& b = *object->bitmap;
    // A DIB section's rows are padded to 4 bytes.
    const LONG widthBytes =
        static_cast<LONG>((static_cast<std::int64_t>(b.width) * b.bits + 31) / 32 * 4);
    info = {0, b.width, b.height, widthBytes, 1, b.bits, nullptr};
  } else {
    return 0;
  }
  if (Buffer == nullptr) return sizeof(BITMAP);
  if (Size < static_cast<int>(sizeof(BITMAP))) return 0;
  *static_cast<BITMAP*>(Buffer) = info;
  return sizeof(BITMAP);
}

HDC WINAPI CreateCompatibleDC(HDC Dc) {
  if (soft::detail::GetState().failCreateCompatibleDC) return nullptr;
  if (Dc != nullptr && FindDC(Dc) == nullptr) return nullptr;
  GdiObject dc{Kind::MemoryDC, StockBitmap(), nullptr, nullptr};
  return static_cast<HDC>(soft::detail::NewHandle(std::move(dc)));
}

HGDIOBJ WINAPI SelectObject(HDC Dc, HGDIOBJ Object) {
  GdiObject* dc = Find(Dc, Kind::MemoryDC);
  if (dc == nullptr) return nullptr;
  GdiObject* bitmap = nullptr;
  if (Object != StockBitmap()) {
    bitmap = Find(Object, Kind::Bitmap);
    if (bitmap == nullptr) return nullptr;
    // A bitmap can be in one DC at a time.
    if (bitmap->bitmap->selectedInto != nullptr && bitmap->bitmap->selectedInto != Dc) {
      return nullptr;
    }
  }
  const HGDIOBJ previous = dc->selected;
  if (GdiObject* old = Find(previous, Kind::Bitmap)) old->bitmap->selectedInto = nullptr;
  if (bitmap != nullptr) bitmap->bitmap->selectedInto = Dc;
  dc->selected = Object;
  return previous;
}

BOOL WINAPI StretchBlt(HDC DestDc, int XDest, int YDest, int WDest, int HDest, HDC SourceDc,
                       int XSrc, int YSrc, int WSrc, int HSrc, DWORD Rop) {
  Canvas dst;
  Canvas src;
  if (Rop != SRCCOPY || !CanvasOf(DestDc, &dst) || !CanvasOf(SourceDc, &src) || !dst.Writable()) {
    return FALSE;
  }
  // Mirroring by negative extents is not supported.
  if (WDest <= 0 || HDest <= 0 || WSrc <= 0 || HSrc <= 0) return FALSE;
  if (XSrc < 0 || YSrc < 0 || static_cast<std::int64_t>(XSrc) + WSrc > src.Width() ||
      static_cast<std::int64_t>(YSrc) + HSrc > src.Height()) {
    return FALSE;
  }
  // The destination is clipped to its picture.
  const std::int64_t top = std::max<std::int64_t>(YDest, 0);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{YDest} + HDest, dst.Height());
  const std::int64_t left = std::max<std::int64_t>(XDest, 0);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{XDest} + WDest, dst.Width());
  if (left >= right || top >= bottom) return TRUE;
  if (src.surface != nullptr) src.surface->Settle();
  if (dst.surface != nullptr) {
    if (left == 0 && top == 0 && right == dst.Width() && bottom == dst.Height()) {
      dst.surface->DrawnOverWhole();
    } else {
      dst.surface->Settle();
    }
    if (soft::detail::GetState().skipPixels) return TRUE;
  }
  // A picture of the program's onto a surface at its own size, in the
  // display's format already: row by row.
  if (src.bitmap != nullptr && dst.surface != nullptr && WDest == WSrc && HDest == HSrc &&
      src.bitmap->rgb565 != nullptr) {
    const soft::detail::Bitmap& from = *src.bitmap;
    for (std::int64_t y = top; y < bottom; ++y) {
      const auto at =
          static_cast<std::size_t>((YSrc + y - YDest) * from.width + XSrc + left - XDest);
      std::memcpy(dst.surface->Row(static_cast<int>(y)) + left, from.rgb565->data() + at,
                  static_cast<std::size_t>(right - left) * sizeof(std::uint16_t));
    }
    return TRUE;
  }
  // The source column of every destination column, worked out once.
  std::vector<std::int32_t> columns(static_cast<std::size_t>(right - left));
  for (std::int64_t x = left; x < right; ++x) {
    columns[static_cast<std::size_t>(x - left)] =
        static_cast<std::int32_t>(soft::detail::MapNearest(x - XDest, WDest, WSrc));
  }
  // A bitmap onto a surface, as every picture is loaded: straight from the
  // bitmap's pixels, which cannot be the surface's own.
  if (src.bitmap != nullptr && dst.surface != nullptr) {
    const soft::detail::Bitmap& from = *src.bitmap;
    std::int64_t previous = -1;
    for (std::int64_t y = top; y < bottom; ++y) {
      const std::int64_t sy = YSrc + soft::detail::MapNearest(y - YDest, HDest, HSrc);
      std::uint16_t* out = dst.surface->Row(static_cast<int>(y)) + left;
      // An enlarged row is the one above it again.
      if (sy == previous) {
        std::memcpy(out, dst.surface->Row(static_cast<int>(y - 1)) + left,
                    columns.size() * sizeof(std::uint16_t));
        continue;
      }
      previous = sy;
      const auto at = static_cast<std::size_t>(sy * from.width + XSrc);
      if (from.rgb565 != nullptr) {
        const std::uint16_t* in = from.rgb565->data() + at;
        for (std::size_t i = 0; i < columns.size(); ++i) out[i] = in[columns[i]];
      } else {
        const std::uint32_t* in = from.Pixels() + at;
        for (std::size_t i = 0; i < columns.size(); ++i) out[i] = soft::ToRgb565(in[columns[i]]);
      }
    }
    return TRUE;
  }
  // Otherwise the source is read first: source and destination may be the same picture.
  std::vector<COLORREF> from(static_cast<std::size_t>(WSrc) * static_cast<std::size_t>(HSrc));
  for (int y = 0; y < HSrc; ++y) {
    for (int x = 0; x < WSrc; ++x) {
      from[static_cast<std::size_t>(y) * WSrc + x] = src.Read(XSrc + x, YSrc + y);
    }
  }
  for (std::int64_t y = top; y < bottom; ++y) {
    const std::int64_t sy = soft::detail::MapNearest(y - YDest, HDest, HSrc);
    for (std::int64_t x = left; x < right; ++x) {
      dst.Write(
          static_cast<int>(x), static_cast<int>(y),
          from[static_cast<std::size_t>(sy * WSrc + columns[static_cast<std::size_t>(x - left)])]);
    }
  }
  return TRUE;
}

BOOL WINAPI DeleteDC(HDC Dc) {
  // Surface DCs go back through ReleaseDC, not here.
  GdiObject* dc = Find(Dc, Kind::MemoryDC);
  if (dc == nullptr) return FALSE;
  if (GdiObject* bitmap = Find(dc->selected, Kind::Bitmap)) bitmap->bitmap->selectedInto = nullptr;
  G().objects.erase(reinterpret_cast<std::uintptr_t>(Dc));
  return TRUE;
}

BOOL WINAPI DeleteObject(HGDIOBJ Object) {
  if (Object == StockBitmap()) return TRUE;  // stock objects are never freed
  GdiObject* bitmap = Find(Object, Kind::Bitmap);
  // A bitmap still selected into a DC is not deleted.
  if (bitmap == nullptr || bitmap->bitmap->selectedInto != nullptr) return FALSE;
  G().objects.erase(reinterpret_cast<std::uintptr_t>(Object));
  return TRUE;
}

COLORREF WINAPI GetPixel(HDC Dc, int X, int Y) {
  Canvas canvas;
  if (!CanvasOf(Dc, &canvas) || !canvas.Inside(X, Y)) return CLR_INVALID;
  return canvas.Read(X, Y);
}

COLORREF WINAPI SetPixel(HDC Dc, int X, int Y, COLORREF Color) {
  Canvas canvas;
  if (!CanvasOf(Dc, &canvas) || !canvas.Writable() || !canvas.Inside(X, Y)) {
    return static_cast<COLORREF>(-1);
  }
  return canvas.Write(X, Y, Color);
}
