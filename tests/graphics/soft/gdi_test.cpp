// The GDI side of the software display: bitmaps from resources and files,
// DCs, StretchBlt, GetPixel/SetPixel, handle checks, DDraw.dll as a module,
// resource lookup and debugger output.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/soft/control.h"
#include "graphics/soft/resources.h"
#include "graphics/soft/soft_api.h"
#include "tests/graphics/soft/dib_builder.h"
#include "tests/graphics/soft/surfaces.h"

namespace {

using soft_test::DibSpec;
using soft_test::MakeBmpFile;
using soft_test::MakeDib;

class Gdi : public ::testing::Test {
 protected:
  void SetUp() override {
    soft::Reset();
    dd_ = soft_test::OpenDevice();
    ASSERT_FALSE(HasFailure()) << "no device in exclusive 640 x 480 x 16 mode";
  }
  void TearDown() override { soft::Reset(); }

  IDirectDrawSurface7* Plain(DWORD W, DWORD H) { return soft_test::Plain(dd_, W, H); }

  static HBITMAP Load(const char* Name, int Cx = 0, int Cy = 0) {
    return static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), Name, IMAGE_BITMAP, Cx, Cy, LR_CREATEDIBSECTION));
  }

  // The copy the game makes: the whole bitmap stretched over the whole surface.
  static BOOL CopyInto(IDirectDrawSurface7* Surface, HBITMAP Bitmap, int W, int H) {
    HDC image = CreateCompatibleDC(nullptr);
    SelectObject(image, Bitmap);
    BITMAP bm;
    GetObjectA(Bitmap, sizeof(bm), &bm);
    HDC dc = nullptr;
    EXPECT_EQ(DD_OK, Surface->GetDC(&dc));
    const BOOL ok = StretchBlt(dc, 0, 0, W, H, image, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    EXPECT_EQ(DD_OK, Surface->ReleaseDC(dc));
    EXPECT_TRUE(DeleteDC(image));
    return ok;
  }

  // Every pixel of the bitmap, top row first, as a DC it is selected into
  // reads them.
  static std::vector<COLORREF> Colours(HBITMAP Bitmap) {
    BITMAP bm = {};
    EXPECT_EQ(static_cast<int>(sizeof(bm)), GetObjectA(Bitmap, sizeof(bm), &bm));
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, Bitmap);
    std::vector<COLORREF> colours;
    for (int y = 0; y < bm.bmHeight; ++y) {
      for (int x = 0; x < bm.bmWidth; ++x) colours.push_back(GetPixel(dc, x, y));
    }
    DeleteDC(dc);
    return colours;
  }

  static std::uint16_t At(IDirectDrawSurface7* S, int X, int Y) {
    return soft::SurfacePixels(S).At(X, Y);
  }

  IDirectDraw7* dd_ = nullptr;
};

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST_F(Gdi, LoadsResourcesByNameWithoutRegardToCase) {
  HBITMAP quad = Load("quad");
  ASSERT_NE(nullptr, quad);
  BITMAP bm = {};
  EXPECT_EQ(static_cast<int>(sizeof(BITMAP)), GetObjectA(quad, sizeof(bm), &bm));
  EXPECT_EQ(2, bm.bmWidth);
  EXPECT_EQ(2, bm.bmHeight);
  EXPECT_EQ(24, bm.bmBitsPixel);
  EXPECT_EQ(1, bm.bmPlanes);
  EXPECT_EQ(8, bm.bmWidthBytes);

  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, quad);
  EXPECT_EQ(kRed, GetPixel(dc, 0, 0));
  EXPECT_EQ(kGreen, GetPixel(dc, 1, 0));
  EXPECT_EQ(kBlue, GetPixel(dc, 0, 1));
  EXPECT_EQ(kWhite, GetPixel(dc, 1, 1));
  EXPECT_EQ(CLR_INVALID, GetPixel(dc, 2, 0));
  DeleteDC(dc);

  // A buffer too small for BITMAP gets nothing; no buffer asks for the size.
  EXPECT_EQ(0, GetObjectA(quad, sizeof(bm) - 1, &bm));
  EXPECT_EQ(static_cast<int>(sizeof(BITMAP)), GetObjectA(quad, 0, nullptr));
  EXPECT_TRUE(DeleteObject(quad));
  EXPECT_EQ(0, soft::LiveBitmaps());
}

TEST_F(Gdi, LoadImageFailsCleanly) {
  EXPECT_EQ(nullptr, Load("nothing"));
  EXPECT_EQ(nullptr, Load(MAKEINTRESOURCEA(7)));
  // Resources come from the program's module only, and only as bitmaps.
  EXPECT_EQ(nullptr, LoadImageA(nullptr, "quad", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  EXPECT_EQ(nullptr, LoadImageA(GetModuleHandleA(nullptr), "quad", 1, 0, 0, 0));
  EXPECT_EQ(nullptr, Load("quad", -1, 0));
  soft::MissResource("QUAD");
  EXPECT_EQ(nullptr, Load("quad"));
  EXPECT_EQ(nullptr, soft::FindEmbedded("BITMAP", "Quad"));

  DibSpec one;
  one.pixels = {kRed};
  std::vector<std::uint8_t> broken = MakeDib(one);
  broken.resize(broken.size() - 1);
  soft::AddResource("BITMAP", "BROKEN", broken);
  EXPECT_EQ(nullptr, Load("broken"));
  EXPECT_EQ(0, soft::LiveBitmaps());
}

TEST_F(Gdi, LoadsBitmapFiles) {
  DibSpec spec;
  spec.width = 3;
  spec.height = 2;
  spec.pixels = {kRed, kGreen, kBlue, kWhite, 0, RGB(1, 2, 3)};
  const std::string path = ::testing::TempDir() + "carpex_soft_test.bmp";
  const std::vector<std::uint8_t> file = MakeBmpFile(spec, 6);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);

  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  ASSERT_NE(nullptr, bitmap);
  EXPECT_EQ(spec.pixels, Colours(bitmap));
  DeleteObject(bitmap);
  std::remove(path.c_str());

  EXPECT_EQ(nullptr, LoadImageA(nullptr, "/nonexistent/back1", IMAGE_BITMAP, 0, 0,
                                LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

TEST_F(Gdi, ScalesWhileLoading) {
  HBITMAP big = Load("BACK1", 640, 480);
  ASSERT_NE(nullptr, big);
  BITMAP bm = {};
  GetObjectA(big, sizeof(bm), &bm);
  EXPECT_EQ(640, bm.bmWidth);
  EXPECT_EQ(480, bm.bmHeight);
  EXPECT_EQ(640 * 3, bm.bmWidthBytes);

  HBITMAP quad = Load("quad", 4, 0);  // width only; the height stays
  GetObjectA(quad, sizeof(bm), &bm);
  EXPECT_EQ(4, bm.bmWidth);
  EXPECT_EQ(2, bm.bmHeight);
  EXPECT_EQ((std::vector<COLORREF>{kRed, kRed, kGreen, kGreen, kBlue, kBlue, kWhite, kWhite}),
            Colours(quad));
}

TEST_F(Gdi, StretchesOnePixelOverTheWholeScreen) {
  IDirectDrawSurface7* background = Plain(640, 480);
  DDSURFACEDESC2 desc = soft_test::SurfaceDesc();
  ASSERT_EQ(DD_OK, background->Lock(nullptr, &desc, 0, nullptr));
  for (int y = 0; y < 480; ++y) {
    auto* row = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) +
                                                 y * desc.lPitch);
    for (int x = 0; x < 640; ++x) row[x] = 0xFFFF;
  }
  background->Unlock(nullptr);

  HBITMAP back1 = Load("back1");
  ASSERT_TRUE(CopyInto(background, back1, 640, 480));
  const soft::PixelView view = soft::SurfacePixels(background);
  int nonBlack = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) nonBlack += view.At(x, y) != 0;
  }
  EXPECT_EQ(0, nonBlack);
  DeleteObject(back1);
  EXPECT_EQ(0, soft::LiveDCs());
}

TEST_F(Gdi, StretchesTrueColourAndPalettedPictures) {
  // 24 bits: each quadrant of the screen takes one source pixel.
  IDirectDrawSurface7* screen = Plain(640, 480);
  HBITMAP quad = Load("quad");
  ASSERT_TRUE(CopyInto(screen, quad, 640, 480));
  EXPECT_EQ(0xF800, At(screen, 0, 0));
  EXPECT_EQ(0xF800, At(screen, 319, 239));
  EXPECT_EQ(0x07E0, At(screen, 320, 0));
  EXPECT_EQ(0x001F, At(screen, 0, 240));
  EXPECT_EQ(0xFFFF, At(screen, 639, 479));

  // 8 bits with a colour table, as the banner sheet is stored.
  DibSpec spec;
  spec.width = 4;
  spec.height = 2;
  spec.bits = 8;
  spec.palette.assign(256, 0);
  spec.palette[1] = RGB(255, 0, 255);
  spec.palette[200] = RGB(255, 255, 0);
  spec.pixels = {0, 1, 200, 1, 200, 200, 0, 0};
  soft::AddResource("BITMAP", "BANNER", MakeDib(spec));
  HBITMAP banner = Load("banner");
  ASSERT_NE(nullptr, banner);
  BITMAP bm = {};
  GetObjectA(banner, sizeof(bm), &bm);
  EXPECT_EQ(8, bm.bmBitsPixel);
  EXPECT_EQ(4, bm.bmWidthBytes);
  IDirectDrawSurface7* sheet = Plain(4, 2);
  ASSERT_TRUE(CopyInto(sheet, banner, 4, 2));
  EXPECT_EQ(0x0000, At(sheet, 0, 0));
  EXPECT_EQ(0xF81F, At(sheet, 1, 0));
  EXPECT_EQ(0xFFE0, At(sheet, 2, 0));
  EXPECT_EQ(0xFFE0, At(sheet, 0, 1));
}

TEST_F(Gdi, StretchBltClipsTheDestinationAndRefusesBadSources) {
  IDirectDrawSurface7* s = Plain(4, 4);
  HBITMAP quad = Load("quad");
  HDC image = CreateCompatibleDC(nullptr);
  SelectObject(image, quad);
  HDC dc = nullptr;
  ASSERT_EQ(DD_OK, s->GetDC(&dc));
  // Mostly off the surface: only the part inside is written.
  EXPECT_TRUE(StretchBlt(dc, -2, 3, 4, 4, image, 0, 0, 2, 2, SRCCOPY));
  // Each source column covers two destination columns; x = 0 and 1 get column 1.
  EXPECT_EQ(0x07E0, At(s, 0, 3));
  EXPECT_EQ(0x07E0, At(s, 1, 3));
  EXPECT_EQ(0x0000, At(s, 2, 3));
  EXPECT_EQ(0x0000, At(s, 0, 2));
  // Sources outside the bitmap, empty extents and other operations fail.
  EXPECT_FALSE(StretchBlt(dc, 0, 0, 4, 4, image, 1, 0, 2, 2, SRCCOPY));
  EXPECT_FALSE(StretchBlt(dc, 0, 0, 4, 4, image, -1, 0, 2, 2, SRCCOPY));
  EXPECT_FALSE(StretchBlt(dc, 0, 0, 4, 4, image, 0, -1, 2, 2, SRCCOPY));
  EXPECT_FALSE(StretchBlt(dc, 0, 0, 0, 4, image, 0, 0, 2, 2, SRCCOPY));
  EXPECT_FALSE(StretchBlt(dc, 0, 0, 4, 4, image, 0, 0, 2, 2, 0x00EE0086 /* SRCPAINT */));
  EXPECT_EQ(0x0000, At(s, 0, 0));
  s->ReleaseDC(dc);
  DeleteDC(image);
}

TEST_F(Gdi, PixelsRoundTripThroughSurfaceDCs) {
  IDirectDrawSurface7* s = Plain(2, 2);
  HDC dc = nullptr;
  ASSERT_EQ(DD_OK, s->GetDC(&dc));
  const COLORREF colours[] = {0,
                              RGB(1, 1, 1),
                              RGB(8, 4, 8),
                              RGB(255, 255, 255),
                              RGB(7, 3, 7),
                              RGB(200, 100, 50),
                              RGB(0, 255, 0),
                              RGB(255, 0, 255)};
  for (COLORREF c : colours) {
    const COLORREF set = SetPixel(dc, 1, 0, c);
    EXPECT_EQ(soft::ToRgb565(c), At(s, 1, 0)) << std::hex << c;
    EXPECT_EQ(set, GetPixel(dc, 1, 0));
    EXPECT_EQ(soft::ToRgb565(c), soft::ToRgb565(set));  // reading back changes nothing
  }
  // The conversions the game's colour keys depend on.
  EXPECT_EQ(0u, SetPixel(dc, 0, 0, RGB(1, 1, 1)));
  EXPECT_EQ(0x0000, At(s, 0, 0));
  EXPECT_EQ(kWhite, SetPixel(dc, 0, 0, kWhite));
  EXPECT_EQ(0xFFFF, At(s, 0, 0));
  EXPECT_EQ(RGB(8, 4, 8), soft::FromRgb565(0x0821));

  EXPECT_EQ(CLR_INVALID, GetPixel(dc, 2, 0));
  EXPECT_EQ(CLR_INVALID, GetPixel(dc, 0, -1));
  EXPECT_EQ(static_cast<COLORREF>(-1), SetPixel(dc, -1, 0, kRed));
  ASSERT_EQ(DD_OK, s->ReleaseDC(dc));
  // The handle dies with ReleaseDC.
  EXPECT_EQ(CLR_INVALID, GetPixel(dc, 0, 0));
}

TEST_F(Gdi, PixelsOnMemoryDCsFollowTheBitmap) {
  HBITMAP quad = Load("quad");
  HDC dc = CreateCompatibleDC(nullptr);
  // A fresh memory DC holds a 1 x 1 black stock bitmap.
  EXPECT_EQ(0u, GetPixel(dc, 0, 0));
  EXPECT_EQ(CLR_INVALID, GetPixel(dc, 1, 0));
  HGDIOBJ stock = SelectObject(dc, quad);
  ASSERT_NE(nullptr, stock);
  EXPECT_EQ(RGB(1, 2, 3), SetPixel(dc, 0, 0, RGB(1, 2, 3)));  // 24 bits keep every colour
  EXPECT_EQ(RGB(1, 2, 3), GetPixel(dc, 0, 0));
  EXPECT_EQ(static_cast<HGDIOBJ>(quad), SelectObject(dc, stock));
  DeleteDC(dc);

  DibSpec spec;
  spec.bits = 4;
  spec.width = 2;
  spec.palette = {0, RGB(250, 0, 0), RGB(0, 0, 250)};
  spec.clrUsed = 3;
  spec.pixels = {1, 2};
  soft::AddResource("BITMAP", "FOUR", MakeDib(spec));
  HBITMAP four = Load("four");
  ASSERT_NE(nullptr, four);
  dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, four);
  EXPECT_EQ(RGB(0, 0, 250), GetPixel(dc, 1, 0));
  // A paletted bitmap stores the nearest colour of its table.
  EXPECT_EQ(RGB(250, 0, 0), SetPixel(dc, 1, 0, RGB(200, 30, 20)));
  EXPECT_EQ(RGB(250, 0, 0), GetPixel(dc, 1, 0));
  DeleteDC(dc);
}

// Loads of one picture share nothing a change can reach: a pixel set in one
// load is in neither another load nor a later one, and the changed load
// reaches a surface changed.
TEST_F(Gdi, EachLoadOfAPictureIsItsOwn) {
  HBITMAP changed = Load("quad");
  HBITMAP other = Load("quad");
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ stock = SelectObject(dc, changed);
  SetPixel(dc, 0, 0, kWhite);
  SelectObject(dc, other);
  EXPECT_EQ(kRed, GetPixel(dc, 0, 0));
  SelectObject(dc, stock);
  DeleteDC(dc);
  IDirectDrawSurface7* surface = Plain(2, 2);
  ASSERT_TRUE(CopyInto(surface, changed, 2, 2));
  EXPECT_EQ(0xFFFF, At(surface, 0, 0));
  ASSERT_TRUE(CopyInto(surface, other, 2, 2));
  EXPECT_EQ(0xF800, At(surface, 0, 0));
  HBITMAP later = Load("quad");
  ASSERT_TRUE(CopyInto(surface, later, 2, 2));
  EXPECT_EQ(0xF800, At(surface, 0, 0));
  for (HBITMAP b : {changed, other, later}) EXPECT_TRUE(DeleteObject(b));
  surface->Release();
}

TEST_F(Gdi, MatchColourReadsTheConvertedPixel) {
  // The key lookup of the bitmap utilities: SetPixel through GDI, then the
  // first 32-bit word of the locked surface masked to the pixel size.
  IDirectDrawSurface7* tiny = Plain(1, 1);
  for (COLORREF c : {RGB(1, 1, 1), RGB(0, 0, 0), kWhite, RGB(255, 0, 255)}) {
    HDC dc = nullptr;
    ASSERT_EQ(DD_OK, tiny->GetDC(&dc));
    SetPixel(dc, 0, 0, c);
    tiny->ReleaseDC(dc);
    DDSURFACEDESC2 desc = soft_test::SurfaceDesc();
    ASSERT_EQ(DD_OK, tiny->Lock(nullptr, &desc, 0, nullptr));
    DWORD v = *static_cast<DWORD*>(desc.lpSurface);
    v &= (1u << desc.ddpfPixelFormat.dwRGBBitCount) - 1;
    tiny->Unlock(nullptr);
    EXPECT_EQ(soft::ToRgb565(c), v);
  }
}

TEST_F(Gdi, BogusAndDeadHandlesFailWithoutHarm) {
  HDC bogus = reinterpret_cast<HDC>(0x1234);
  HBITMAP bogusBitmap = reinterpret_cast<HBITMAP>(0x5678);
  BITMAP bm;
  EXPECT_EQ(0, GetObjectA(bogusBitmap, sizeof(bm), &bm));
  EXPECT_EQ(nullptr, CreateCompatibleDC(bogus));
  EXPECT_EQ(nullptr, SelectObject(bogus, bogusBitmap));
  EXPECT_FALSE(StretchBlt(bogus, 0, 0, 1, 1, bogus, 0, 0, 1, 1, SRCCOPY));
  EXPECT_FALSE(DeleteDC(bogus));
  EXPECT_FALSE(DeleteObject(bogusBitmap));
  EXPECT_EQ(CLR_INVALID, GetPixel(bogus, 0, 0));
  EXPECT_EQ(static_cast<COLORREF>(-1), SetPixel(bogus, 0, 0, 0));

  HBITMAP quad = Load("quad");
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  ASSERT_NE(nullptr, SelectObject(a, quad));
  EXPECT_EQ(nullptr, SelectObject(b, quad));  // one DC at a time
  EXPECT_FALSE(DeleteObject(quad));           // still selected
  EXPECT_EQ(nullptr, SelectObject(a, a));     // not a bitmap
  EXPECT_TRUE(DeleteDC(a));
  EXPECT_FALSE(DeleteDC(a));
  ASSERT_NE(nullptr, SelectObject(b, quad));  // free again once its DC is gone
  EXPECT_TRUE(DeleteDC(b));
  EXPECT_TRUE(DeleteObject(quad));
  EXPECT_FALSE(DeleteObject(quad));
  EXPECT_EQ(0, GetObjectA(quad, sizeof(bm), &bm));
  HDC c = CreateCompatibleDC(nullptr);
  EXPECT_EQ(nullptr, SelectObject(c, quad));
  DeleteDC(c);

  // Surface DCs: one at a time, given back with ReleaseDC only.
  IDirectDrawSurface7* s = Plain(2, 2);
  HDC dc = nullptr;
  HDC second = nullptr;
  EXPECT_EQ(DDERR_NODC, s->ReleaseDC(dc));
  ASSERT_EQ(DD_OK, s->GetDC(&dc));
  EXPECT_EQ(DDERR_DCALREADYCREATED, s->GetDC(&second));
  EXPECT_EQ(DDERR_INVALIDPARAMS, s->ReleaseDC(bogus));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(nullptr, SelectObject(dc, Load("quad")));
  // A surface released with its DC out takes the DC with it.
  EXPECT_EQ(0u, s->Release());
  EXPECT_EQ(CLR_INVALID, GetPixel(dc, 0, 0));
  EXPECT_EQ(0, soft::LiveDCs());

  // Reset frees everything; handles from before stay dead.
  HBITMAP kept = Load("quad");
  soft::Reset();
  EXPECT_EQ(0, soft::LiveBitmaps());
  EXPECT_EQ(0, GetObjectA(kept, sizeof(bm), &bm));
}

TEST_F(Gdi, CreateCompatibleDCFault) {
  soft::FailCreateCompatibleDC(true);
  EXPECT_EQ(nullptr, CreateCompatibleDC(nullptr));
  soft::FailCreateCompatibleDC(false);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_NE(nullptr, dc);
  EXPECT_EQ(1, soft::LiveDCs());
  DeleteDC(dc);
}

TEST(Modules, DDrawLoadsAndResolvesItsEntryPoints) {
  soft::Reset();
  EXPECT_NE(nullptr, GetModuleHandleA(nullptr));
  EXPECT_EQ(nullptr, GetModuleHandleA("ddraw.dll"));
  HMODULE lib = LoadLibraryA("DDraw.dll");
  ASSERT_NE(nullptr, lib);
  EXPECT_EQ(lib, LoadLibraryA("C:\\Windows\\System32\\DDRAW.DLL"));
  EXPECT_EQ(lib, GetModuleHandleA("ddraw"));
  EXPECT_EQ(nullptr, LoadLibraryA("user32.dll"));

  for (const char* name : {"DirectDrawEnumerateA", "DirectDrawEnumerateW", "DirectDrawEnumerateExA",
                           "DirectDrawEnumerateExW", "DirectDrawCreate", "DirectDrawCreateEx",
                           "DirectDrawCreateClipper"}) {
    EXPECT_NE(nullptr, GetProcAddress(lib, name)) << name;
  }
  EXPECT_EQ(nullptr, GetProcAddress(lib, "directdrawcreateex"));  // exact names
  EXPECT_EQ(nullptr, GetProcAddress(lib, "DirectDrawCreateEy"));
  EXPECT_EQ(nullptr, GetProcAddress(GetModuleHandleA(nullptr), "DirectDrawCreateEx"));
  EXPECT_EQ(nullptr, GetProcAddress(lib, MAKEINTRESOURCEA(1)));

  typedef HRESULT(WINAPI * CreateEx)(GUID*, LPVOID*, REFIID, IUnknown*);
  auto create = reinterpret_cast<CreateEx>(
      reinterpret_cast<void (*)()>(GetProcAddress(lib, "DirectDrawCreateEx")));
  IDirectDraw7* dd = nullptr;
  ASSERT_EQ(DD_OK, create(nullptr, reinterpret_cast<LPVOID*>(&dd), IID_IDirectDraw7, nullptr));
  EXPECT_EQ(DDERR_INVALIDPARAMS,
            create(nullptr, reinterpret_cast<LPVOID*>(&dd), IID_IDirectDrawSurface7, nullptr));
  EXPECT_EQ(DDERR_UNSUPPORTED, DirectDrawEnumerateA(nullptr, nullptr));

  EXPECT_TRUE(FreeLibrary(lib));
  EXPECT_TRUE(FreeLibrary(lib));
  EXPECT_FALSE(FreeLibrary(lib));
  EXPECT_EQ(nullptr, GetProcAddress(lib, "DirectDrawCreateEx"));  // unloaded

  soft::MissLibrary();
  EXPECT_EQ(nullptr, LoadLibraryA("DDraw.dll"));
  soft::MissLibrary(false);
  lib = LoadLibraryA("DDraw.dll");
  soft::MissEntryPoint("DirectDrawCreateEx");
  EXPECT_EQ(nullptr, GetProcAddress(lib, "DirectDrawCreateEx"));
  EXPECT_NE(nullptr, GetProcAddress(lib, "DirectDrawCreate"));
  soft::Reset();
  EXPECT_EQ(nullptr, GetProcAddress(lib, "DirectDrawCreate"));
}

TEST(Resources, AddedResourcesComeFirstAndCaseDoesNotMatter) {
  soft::Reset();
  const soft::Resource* own = soft::FindEmbedded("bitmap", "Back1");
  ASSERT_NE(nullptr, own);
  EXPECT_STREQ("BACK1", own->name);
  soft::AddResource("BITMAP", "back1", {1, 2, 3});
  const soft::Resource* added = soft::FindEmbedded("BITMAP", "BACK1");
  ASSERT_NE(nullptr, added);
  EXPECT_EQ(3u, added->size);
  // Later additions do not move earlier ones.
  for (int i = 0; i < 50; ++i) soft::AddResource("RCDATA", ("x" + std::to_string(i)).c_str(), {});
  EXPECT_EQ(added, soft::FindEmbedded("BITMAP", "back1"));
  EXPECT_EQ(3u, added->size);
  EXPECT_EQ(nullptr, soft::FindEmbedded("ICON", "back1"));
  soft::Reset();
  EXPECT_EQ(own, soft::FindEmbedded("BITMAP", "back1"));
}

TEST(DebugOutput, RecordsEveryText) {
  soft::Reset();
  OutputDebugStringA("handle is null");
  OutputDebugStringA("ddcopybitmap failed");
  OutputDebugStringA(nullptr);
  EXPECT_EQ((std::vector<std::string>{"handle is null", "ddcopybitmap failed"}),
            soft::DebugOutput());
  soft::Reset();
  EXPECT_TRUE(soft::DebugOutput().empty());
}

}  // namespace
