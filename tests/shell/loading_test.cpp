// Bitmaps into surfaces: sizes, stretching, the sheets' counts and colour keys,
// the surface value of a colour, and reloading after a loss.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gfx_support.h"
#include "graphics/ddutil.h"

namespace carpex::gfxtest {
namespace {

class Loading : public GfxTest {
 protected:
  IDirectDraw7* Device() { return game.Inside().DirectDrawDevice().Get(); }

  // A plain surface of the display, released by the test.
  IDirectDrawSurface7* Plain(DWORD Width, DWORD Height) {
    DDSURFACEDESC2 desc = ddutil::OffscreenDesc(Width, Height, DDSCAPS_OFFSCREENPLAIN);
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(DD_OK, Device()->CreateSurface(&desc, &surface, nullptr));
    return surface;
  }

  static void Fill(IDirectDrawSurface7* Surface, uint16_t Value) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(DD_OK, Surface->Lock(nullptr, &desc, 0, nullptr));
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
      auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) +
                                              static_cast<ptrdiff_t>(y) * desc.lPitch);
      std::fill(row, row + desc.dwWidth, Value);
    }
    Surface->Unlock(nullptr);
  }

  // The decoded picture's top-left colour, as GDI reads it.
  static COLORREF TopLeftColour(const char* Name) {
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), Name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    EXPECT_NE(nullptr, bitmap) << Name;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    const COLORREF colour = GetPixel(dc, 0, 0);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return colour;
  }

  void ExpectNothingLent() {
    EXPECT_EQ(0, soft::LiveBitmaps());
    EXPECT_EQ(0, soft::LiveDCs());
  }
};

TEST_F(Loading, TheBackgroundIsStretchedToWhatIsAskedOrKeepsItsOwnSize) {
  game.Create();
  IDirectDrawSurface7* full = ddutil::LoadBitmapSurface(Device(), "back1", 640, 480);
  ASSERT_NE(nullptr, full);
  EXPECT_TRUE(SamePicture(Filled(640, 480, 0), Pixels(full)));
  IDirectDrawSurface7* own = ddutil::LoadBitmapSurface(Device(), "back1", 0, 0);
  ASSERT_NE(nullptr, own);
  const Image one = Pixels(own);
  EXPECT_EQ(1, one.width);
  EXPECT_EQ(1, one.height);
  full->Release();
  own->Release();

  // A picture with content arrives pixel for pixel, in the surface's own format.
  IDirectDrawSurface7* plane = ddutil::LoadBitmapSurface(Device(), "plane1", 0, 0);
  ASSERT_NE(nullptr, plane);
  const Image loaded = Pixels(plane);
  ASSERT_EQ(96, loaded.width);
  ASSERT_EQ(16, loaded.height);
  auto* bitmap = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), "plane1", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  int mismatches = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 96; ++x)
      mismatches += loaded.At(x, y) != soft::ToRgb565(GetPixel(dc, x, y));
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  DeleteObject(bitmap);
  EXPECT_EQ(0, mismatches);
  plane->Release();

  EXPECT_EQ(nullptr, ddutil::LoadBitmapSurface(Device(), "nosuchpicture", 0, 0));
  ExpectNothingLent();
}

TEST_F(Loading, SheetCountsAndColourKeys) {
  GameSession& f = game.Create();
  const TForm1Access in(f);
  EXPECT_EQ(11, in.LastFrameCount()) << "191 div 16 after the banner sheet";
  EXPECT_EQ(3, in.W().StyleCount);

  Ref<IDirectDrawSurface7> sheet;
  in.LoadSprite("build", sheet);
  ASSERT_TRUE(sheet);
  EXPECT_EQ(3, in.LastFrameCount());
  in.LoadSprite("blow", sheet);
  EXPECT_EQ(54, in.LastFrameCount());

  // The level-choice sheet is keyed on RGB(1, 1, 1), the others on black.
  EXPECT_EQ(COLORREF{0x00010101}, TopLeftColour("levelch1"));
  EXPECT_EQ(ddutil::MatchColor(in.LevelChoiceSheet().Get(), 0x00010101),
            KeyOf(in.LevelChoiceSheet().Get()));
  for (IDirectDrawSurface7* black :
       {in.BuildingSheet().Get(), in.PlaneSheet().Get(), in.ExplosionSheet().Get(),
        in.BombSheet().Get(), in.BannerSheet().Get()}) {
    EXPECT_EQ(0u, KeyOf(black));
  }
  EXPECT_TRUE(game.app.MessageBoxes.empty());
  sheet.Reset();
  ExpectNothingLent();
}

TEST_F(Loading, ASheetWhoseKeyCannotBeSetIsKeptWithoutOneAndCountsNothing) {
  GameSession& f = game.Create();
  const TForm1Access in(f);
  // Switched away: the new surface is born lost, so its key cannot be set.
  soft::Deactivate();
  Ref<IDirectDrawSurface7> sheet;
  in.LoadSprite("build", sheet);
  EXPECT_TRUE(sheet);
  EXPECT_EQ(11, in.LastFrameCount());
  ASSERT_EQ(1u, game.app.MessageBoxes.size());
  EXPECT_EQ(0u, game.app.MessageBoxes[0].Text.rfind("ddsetcolorkey: \rAccess to this surface", 0))
      << game.app.MessageBoxes[0].Text;
  sheet.Reset();
  soft::Activate();
  ExpectNothingLent();
}

TEST_F(Loading, MatchColorGivesTheSurfacesOwnValueAndLeavesThePixelAsItWas) {
  game.Create();
  IDirectDrawSurface7* s = Plain(8, 8);
  Fill(s, 0x1234);
  EXPECT_EQ(0xFFFFu, ddutil::MatchColor(s, RGB(255, 255, 255)));
  // Red is the low byte of a colour and the top bits of a 16-bit pixel.
  EXPECT_EQ(0xF800u, ddutil::MatchColor(s, RGB(255, 0, 0)));
  EXPECT_EQ(0x001Fu, ddutil::MatchColor(s, RGB(0, 0, 255)));
  EXPECT_LT(ddutil::MatchColor(s, RGB(12, 200, 99)), 0x10000u);
  EXPECT_EQ(0x1234, Pixels(s).At(0, 0));

  // No colour: nothing is written, and the value there is read.
  soft::ClearCallLog();
  EXPECT_EQ(0x1234u, ddutil::MatchColor(s, CLR_INVALID));
  EXPECT_EQ(0, soft::CallCount("GetDC"));
  EXPECT_EQ(0x1234, Pixels(s).At(0, 0));

  // A blitter busy for a while is waited for.
  soft::LockStillDrawingTimes(5);
  soft::ClearCallLog();
  EXPECT_EQ(0x1234u, ddutil::MatchColor(s, CLR_INVALID));
  EXPECT_EQ(6, soft::CallCount("Lock"));

  // A blitter that never finishes gives up instead of hanging.
  soft::LockAlwaysStillDrawing(true);
  soft::ClearCallLog();
  EXPECT_EQ(0xFFFFFFFFu, ddutil::MatchColor(s, RGB(255, 255, 255)));
  EXPECT_GT(soft::CallCount("Lock"), 1);
  EXPECT_EQ(0, soft::CallCount("Unlock"));
  soft::LockAlwaysStillDrawing(false);
  EXPECT_EQ(0x1234, Pixels(s).At(0, 0)) << "the saved pixel is put back even then";

  // A lost surface cannot be read.
  soft::LoseAllSurfaces();
  EXPECT_EQ(0xFFFFFFFFu, ddutil::MatchColor(s, RGB(255, 255, 255)));
  s->Release();
  ExpectNothingLent();
}

TEST_F(Loading, ReloadingRefillsTheWholeSurfaceOrSaysWhyNot) {
  game.Create();
  IDirectDrawSurface7* s = Plain(640, 480);
  Fill(s, 0x7777);
  EXPECT_EQ(DD_OK, ddutil::ReloadBitmap(s, "back1"));
  EXPECT_TRUE(SamePicture(Filled(640, 480, 0), Pixels(s)));

  Fill(s, 0x7777);
  EXPECT_EQ(E_FAIL, ddutil::ReloadBitmap(s, "nosuchpicture"));
  ASSERT_FALSE(soft::DebugOutput().empty());
  EXPECT_EQ("handle is null", soft::DebugOutput().back());
  EXPECT_EQ(0x7777, Pixels(s).At(0, 0));

  // A lost surface is restored by the reload itself.
  soft::LoseAllSurfaces();
  EXPECT_EQ(DD_OK, ddutil::ReloadBitmap(s, "back1"));
  EXPECT_TRUE(SamePicture(Filled(640, 480, 0), Pixels(s)));

  // A surface that cannot give a DC is reported in the debugger output only.
  soft::FailGetDC(true);
  EXPECT_EQ(DDERR_CANTCREATEDC, ddutil::ReloadBitmap(s, "back1"));
  EXPECT_EQ("ddcopybitmap failed", soft::DebugOutput().back());
  soft::FailGetDC(false);
  s->Release();
  ExpectNothingLent();
}

}  // namespace
}  // namespace carpex::gfxtest
