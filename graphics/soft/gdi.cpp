// GDI over the software display: bitmaps loaded from the embedded resources
// or from .bmp files, memory DCs that hold them, DCs over surfaces, and the
// StretchBlt, GetPixel and SetPixel that move colours between them.
//
// Handles are numbers looked up in a table and never reused, so a bogus or
// deleted handle is refused instead of followed.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
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

struct Gdi {
  std::unordered_map<std::uintptr_t, GdiObject> objects;
  std::uintptr_t next = 0x10000;
};

Gdi& G() {
  static Gdi gdi;
  return gdi;
}

// The 1 x 1 black monochrome bitmap that a new memory DC holds.
HGDIOBJ StockBitmap() {
  return reinterpret_cast<HGDIOBJ>(std::uintptr_t{0x8010});
}

GdiObject* Find(const void* handle, Kind kind) {
  auto it = G().objects.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == G().objects.end() || it->second.kind != kind) return nullptr;
  return &it->second;
}

GdiObject* FindDC(const void* handle) {
  GdiObject* dc = Find(handle, Kind::MemoryDC);
  return dc != nullptr ? dc : Find(handle, Kind::SurfaceDC);
}

void* NewHandle(GdiObject object) {
  Gdi& gdi = G();
  const std::uintptr_t key = gdi.next;
  gdi.next += 4;
  gdi.objects.emplace(key, std::move(object));
  return reinterpret_cast<void*>(key);
}

// The nearest entry of a colour table, first one on a tie.
std::uint32_t NearestInPalette(const std::vector<std::uint32_t>& palette, COLORREF c) {
  std::uint32_t best = 0;
  long bestDistance = -1;
  for (std::uint32_t entry : palette) {
    const long dr = static_cast<long>(GetRValue(entry)) - GetRValue(c);
    const long dg = static_cast<long>(GetGValue(entry)) - GetGValue(c);
    const long db = static_cast<long>(GetBValue(entry)) - GetBValue(c);
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
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }

  COLORREF Read(int x, int y) const {
    if (surface != nullptr) return FromRgb565(surface->Row(y)[x]);
    if (bitmap != nullptr) return bitmap->Pixels()[static_cast<std::size_t>(y) * bitmap->width + x];
    return 0;
  }

  // Returns the colour actually stored: the surface's pixel format or the
  // bitmap's colour table decides it.
  COLORREF Write(int x, int y, COLORREF c) {
    c &= 0x00FFFFFF;
    if (surface != nullptr) {
      const std::uint16_t pixel = ToRgb565(c);
      surface->Row(y)[x] = pixel;
      return FromRgb565(pixel);
    }
    if (bitmap->bits <= 8 && !bitmap->palette.empty()) c = NearestInPalette(bitmap->palette, c);
    bitmap->ChangedPixels()[static_cast<std::size_t>(y) * bitmap->width + x] = c;
    return c;
  }
};

bool CanvasOf(HDC handle, Canvas* canvas) {
  GdiObject* dc = FindDC(handle);
  if (dc == nullptr) return false;
  *canvas = Canvas{};
  if (dc->kind == Kind::SurfaceDC) {
    canvas->surface = dc->surface;
  } else if (dc->selected != StockBitmap()) {
    GdiObject* bitmap = Find(dc->selected, Kind::Bitmap);
    if (bitmap == nullptr) return false;
    canvas->bitmap = bitmap->bitmap.get();
  }
  return true;
}

// Nearest neighbour: destination offset i of n takes source offset
// floor(i * m / n) of m. The same mapping scales pictures while loading.
std::int64_t MapNearest(std::int64_t i, std::int64_t n, std::int64_t m) {
  return i * m / n;
}

std::unique_ptr<Bitmap> Scaled(const DibImage& image, int width, int height) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->width = width;
  bitmap->height = height;
  bitmap->bits = image.BitsPerPixel;
  if (width == image.Width && height == image.Height) {
    bitmap->pixels = std::make_shared<std::vector<std::uint32_t>>(image.Pixels);
    return bitmap;
  }
  bitmap->pixels = std::make_shared<std::vector<std::uint32_t>>(static_cast<std::size_t>(width) *
                                                                static_cast<std::size_t>(height));
  std::vector<std::int32_t> columns(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x) {
    columns[static_cast<std::size_t>(x)] =
        static_cast<std::int32_t>(MapNearest(x, width, image.Width));
  }
  for (int y = 0; y < height; ++y) {
    const auto sy = static_cast<std::int32_t>(MapNearest(y, height, image.Height));
    const std::uint32_t* in = &image.Pixels[static_cast<std::size_t>(sy) * image.Width];
    std::uint32_t* out = bitmap->pixels->data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) out[x] = in[columns[static_cast<std::size_t>(x)]];
  }
  return bitmap;
}

bool ReadFile(const char* path, std::vector<std::uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  // Far more than any picture the display accepts.
  if (size <= 0 || size > (std::streamoff{1} << 28)) return false;
  in.seekg(0, std::ios::beg);
  bytes->resize(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes->data()), size);
  return static_cast<bool>(in);
}

}  // namespace

HDC OpenSurfaceDC(Surface* surface) {
  GdiObject dc{Kind::SurfaceDC, nullptr, surface, nullptr};
  return static_cast<HDC>(NewHandle(std::move(dc)));
}

void CloseSurfaceDC(HDC dc) {
  if (Find(dc, Kind::SurfaceDC) != nullptr) G().objects.erase(reinterpret_cast<std::uintptr_t>(dc));
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

bool FitsADib(int width, int height) {
  return width <= kMaxDibSide && height <= kMaxDibSide &&
         static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= kMaxDibPixels;
}

// A decoded picture as LoadImageA makes it: at its own size (cx, cy 0) or at the size asked.
std::unique_ptr<Bitmap> Loaded(const DibImage& image, std::vector<std::uint32_t> palette, int cx,
                               int cy) {
  const int width = cx != 0 ? cx : image.Width;
  const int height = cy != 0 ? cy : image.Height;
  if (!FitsADib(width, height)) return nullptr;
  std::unique_ptr<Bitmap> bitmap = Scaled(image, width, height);
  bitmap->palette = std::move(palette);
  return bitmap;
}

// The program's own bitmaps never change: each is decoded and sized once, and
// every load after that is a copy (a lost display reloads them all, every
// time). One a test added is decoded each time: it goes with a reset.
std::unique_ptr<Bitmap> LoadedResource(const Resource& resource, int cx, int cy) {
  if (&resource < kResources || &resource >= kResources + kResourceCount) {
    DibImage image;
    std::vector<std::uint32_t> palette;
    if (!DecodeDibWithPalette(resource.data, resource.size, &image, &palette)) return nullptr;
    return Loaded(image, std::move(palette), cx, cy);
  }
  static std::map<std::tuple<const Resource*, int, int>, std::unique_ptr<Bitmap>> loaded;
  auto [at, isNew] = loaded.try_emplace({&resource, cx, cy});
  if (isNew) {
    DibImage image;
    std::vector<std::uint32_t> palette;
    if (DecodeDibWithPalette(resource.data, resource.size, &image, &palette)) {
      at->second = Loaded(image, std::move(palette), cx, cy);
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

HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
  if (type != IMAGE_BITMAP || name == nullptr || cx < 0 || cy < 0) return nullptr;
  std::unique_ptr<soft::detail::Bitmap> bitmap;
  if (fuLoad & LR_LOADFROMFILE) {
    std::vector<std::uint8_t> bytes;
    soft::DibImage image;
    std::vector<std::uint32_t> palette;
    if (IS_INTRESOURCE(name) || !soft::detail::ReadFile(name, &bytes) ||
        !soft::detail::DecodeBmpFileWithPalette(bytes.data(), bytes.size(), &image, &palette)) {
      return nullptr;
    }
    bitmap = soft::detail::Loaded(image, std::move(palette), cx, cy);
  } else {
    // The program's own bitmaps; other modules have none.
    if (hInst != GetModuleHandleA(nullptr)) return nullptr;
    // A numeric id is looked up as "#id", the form a resource script gives it.
    std::string lookup = "#";
    if (IS_INTRESOURCE(name)) {
      lookup += std::to_string(reinterpret_cast<std::uintptr_t>(name));
    } else {
      lookup = name;
    }
    const soft::Resource* resource = soft::FindEmbedded("BITMAP", lookup.c_str());
    if (resource == nullptr) return nullptr;
    bitmap = soft::detail::LoadedResource(*resource, cx, cy);
  }
  if (bitmap == nullptr) return nullptr;
  return soft::detail::NewHandle(GdiObject{Kind::Bitmap, nullptr, nullptr, std::move(bitmap)});
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
  BITMAP info = {};
  if (h == StockBitmap()) {
    info = {0, 1, 1, 2, 1, 1, nullptr};
  } else if (GdiObject* object = Find(h, Kind::Bitmap)) {
    const soft::detail::Bitmap& b = *object->bitmap;
    // A DIB section's rows are padded to 4 bytes.
    const LONG widthBytes =
        static_cast<LONG>((static_cast<std::int64_t>(b.width) * b.bits + 31) / 32 * 4);
    info = {0, b.width, b.height, widthBytes, 1, b.bits, nullptr};
  } else {
    return 0;
  }
  if (pv == nullptr) return sizeof(BITMAP);
  if (c < static_cast<int>(sizeof(BITMAP))) return 0;
  *static_cast<BITMAP*>(pv) = info;
  return sizeof(BITMAP);
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  if (soft::detail::GetState().failCreateCompatibleDC) return nullptr;
  if (hdc != nullptr && FindDC(hdc) == nullptr) return nullptr;
  GdiObject dc{Kind::MemoryDC, StockBitmap(), nullptr, nullptr};
  return static_cast<HDC>(soft::detail::NewHandle(std::move(dc)));
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  GdiObject* dc = Find(hdc, Kind::MemoryDC);
  if (dc == nullptr) return nullptr;
  GdiObject* bitmap = nullptr;
  if (h != StockBitmap()) {
    bitmap = Find(h, Kind::Bitmap);
    if (bitmap == nullptr) return nullptr;
    // A bitmap can be in one DC at a time.
    if (bitmap->bitmap->selectedInto != nullptr && bitmap->bitmap->selectedInto != hdc) {
      return nullptr;
    }
  }
  const HGDIOBJ previous = dc->selected;
  if (GdiObject* old = Find(previous, Kind::Bitmap)) old->bitmap->selectedInto = nullptr;
  if (bitmap != nullptr) bitmap->bitmap->selectedInto = hdc;
  dc->selected = h;
  return previous;
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc,
                       int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
  Canvas dst;
  Canvas src;
  if (rop != SRCCOPY || !CanvasOf(hdcDest, &dst) || !CanvasOf(hdcSrc, &src) || !dst.Writable()) {
    return FALSE;
  }
  // Mirroring by negative extents is not supported.
  if (wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0) return FALSE;
  if (xSrc < 0 || ySrc < 0 || static_cast<std::int64_t>(xSrc) + wSrc > src.Width() ||
      static_cast<std::int64_t>(ySrc) + hSrc > src.Height()) {
    return FALSE;
  }
  // The destination is clipped to its picture.
  const std::int64_t top = std::max<std::int64_t>(yDest, 0);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{yDest} + hDest, dst.Height());
  const std::int64_t left = std::max<std::int64_t>(xDest, 0);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{xDest} + wDest, dst.Width());
  if (left >= right || top >= bottom) return TRUE;
  // A picture of the program's onto a surface at its own size, in the
  // display's format already: row by row.
  if (src.bitmap != nullptr && dst.surface != nullptr && wDest == wSrc && hDest == hSrc &&
      src.bitmap->rgb565 != nullptr) {
    const soft::detail::Bitmap& from = *src.bitmap;
    for (std::int64_t y = top; y < bottom; ++y) {
      const auto at =
          static_cast<std::size_t>((ySrc + y - yDest) * from.width + xSrc + left - xDest);
      std::memcpy(dst.surface->Row(static_cast<int>(y)) + left, from.rgb565->data() + at,
                  static_cast<std::size_t>(right - left) * sizeof(std::uint16_t));
    }
    return TRUE;
  }
  // The source column of every destination column, worked out once.
  std::vector<std::int32_t> columns(static_cast<std::size_t>(right - left));
  for (std::int64_t x = left; x < right; ++x) {
    columns[static_cast<std::size_t>(x - left)] =
        static_cast<std::int32_t>(soft::detail::MapNearest(x - xDest, wDest, wSrc));
  }
  // A bitmap onto a surface, as every picture is loaded: straight from the
  // bitmap's pixels, which cannot be the surface's own.
  if (src.bitmap != nullptr && dst.surface != nullptr) {
    const soft::detail::Bitmap& from = *src.bitmap;
    std::int64_t previous = -1;
    for (std::int64_t y = top; y < bottom; ++y) {
      const std::int64_t sy = ySrc + soft::detail::MapNearest(y - yDest, hDest, hSrc);
      std::uint16_t* out = dst.surface->Row(static_cast<int>(y)) + left;
      // An enlarged row is the one above it again.
      if (sy == previous) {
        std::memcpy(out, dst.surface->Row(static_cast<int>(y - 1)) + left,
                    columns.size() * sizeof(std::uint16_t));
        continue;
      }
      previous = sy;
      const auto at = static_cast<std::size_t>(sy * from.width + xSrc);
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
  std::vector<COLORREF> from(static_cast<std::size_t>(wSrc) * static_cast<std::size_t>(hSrc));
  for (int y = 0; y < hSrc; ++y) {
    for (int x = 0; x < wSrc; ++x) {
      from[static_cast<std::size_t>(y) * wSrc + x] = src.Read(xSrc + x, ySrc + y);
    }
  }
  for (std::int64_t y = top; y < bottom; ++y) {
    const std::int64_t sy = soft::detail::MapNearest(y - yDest, hDest, hSrc);
    for (std::int64_t x = left; x < right; ++x) {
      dst.Write(
          static_cast<int>(x), static_cast<int>(y),
          from[static_cast<std::size_t>(sy * wSrc + columns[static_cast<std::size_t>(x - left)])]);
    }
  }
  return TRUE;
}

BOOL WINAPI DeleteDC(HDC hdc) {
  // Surface DCs go back through ReleaseDC, not here.
  GdiObject* dc = Find(hdc, Kind::MemoryDC);
  if (dc == nullptr) return FALSE;
  if (GdiObject* bitmap = Find(dc->selected, Kind::Bitmap)) bitmap->bitmap->selectedInto = nullptr;
  G().objects.erase(reinterpret_cast<std::uintptr_t>(hdc));
  return TRUE;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  if (ho == StockBitmap()) return TRUE;  // stock objects are never freed
  GdiObject* bitmap = Find(ho, Kind::Bitmap);
  // A bitmap still selected into a DC is not deleted.
  if (bitmap == nullptr || bitmap->bitmap->selectedInto != nullptr) return FALSE;
  G().objects.erase(reinterpret_cast<std::uintptr_t>(ho));
  return TRUE;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  Canvas canvas;
  if (!CanvasOf(hdc, &canvas) || !canvas.Inside(x, y)) return CLR_INVALID;
  return canvas.Read(x, y);
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Canvas canvas;
  if (!CanvasOf(hdc, &canvas) || !canvas.Writable() || !canvas.Inside(x, y)) {
    return static_cast<COLORREF>(-1);
  }
  return canvas.Write(x, y, color);
}
