// The DirectDraw side of the software display: the flipping chain, BltFast,
// lost surfaces, reference counting, Lock and the faults tests can inject.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/soft/control.h"
#include "graphics/soft/soft_api.h"
#include "tests/graphics/soft/surfaces.h"

namespace {

using soft_test::NewDevice;
using soft_test::OpenDevice;
using soft_test::Plain;
using soft_test::SurfaceDesc;
using soft_test::TakeScreen;

// Source pixels that encode their own position; 0x0000 is the usual key.
std::uint16_t Numbered(int X, int Y) {
  return static_cast<std::uint16_t>(0x100 + Y * 16 + X);
}
std::uint16_t Grey(int, int) {
  return 0x7BEF;
}

class Display : public ::testing::Test {
 protected:
  void SetUp() override { soft::Reset(); }
  void TearDown() override { soft::Reset(); }

  static HRESULT MakePrimary(IDirectDraw7* Dd, IDirectDrawSurface7** Primary) {
    DDSURFACEDESC2 desc = SurfaceDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    return Dd->CreateSurface(&desc, Primary, nullptr);
  }

  static IDirectDrawSurface7* BackBufferOf(IDirectDrawSurface7* Primary) {
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7* back = nullptr;
    EXPECT_EQ(DD_OK, Primary->GetAttachedSurface(&caps, &back));
    return back;
  }

  // The game's flipping chain on a device of its own: the primary surface and
  // the back buffer attached to it (nullptr where it could not be made).
  struct Chain {
    IDirectDraw7* dd;
    IDirectDrawSurface7* primary;
    IDirectDrawSurface7* back;
  };
  static Chain OpenChain() {
    Chain chain{OpenDevice(), nullptr, nullptr};
    EXPECT_EQ(DD_OK, MakePrimary(chain.dd, &chain.primary));
    if (chain.primary != nullptr) chain.back = BackBufferOf(chain.primary);
    return chain;
  }

  // Writes pixel values through Lock, as the game's own code would.
  static void Paint(IDirectDrawSurface7* S, std::uint16_t (*Value)(int X, int Y)) {
    DDSURFACEDESC2 desc = SurfaceDesc();
    ASSERT_EQ(DD_OK, S->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
      auto* row = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) +
                                                   y * desc.lPitch);
      for (DWORD x = 0; x < desc.dwWidth; ++x)
        row[x] = Value(static_cast<int>(x), static_cast<int>(y));
    }
    ASSERT_EQ(DD_OK, S->Unlock(nullptr));
  }

  // An 8 x 6 source of Numbered pixels and a 10 x 10 Grey destination on a
  // device of their own, for the copies between them.
  struct SourceAndDestination {
    IDirectDrawSurface7* src;
    IDirectDrawSurface7* dst;
  };
  static SourceAndDestination NumberedAndGrey() {
    IDirectDraw7* dd = OpenDevice();
    const SourceAndDestination surfaces{Plain(dd, 8, 6), Plain(dd, 10, 10)};
    Paint(surfaces.src, Numbered);
    Paint(surfaces.dst, Grey);
    return surfaces;
  }

  static std::vector<std::uint16_t> Snapshot(IDirectDrawSurface7* S) {
    const soft::PixelView view = soft::SurfacePixels(S);
    std::vector<std::uint16_t> out;
    for (int y = 0; y < view.height; ++y) {
      for (int x = 0; x < view.width; ++x) out.push_back(view.At(x, y));
    }
    return out;
  }

  static std::uint16_t At(IDirectDrawSurface7* S, int X, int Y) {
    return soft::SurfacePixels(S).At(X, Y);
  }

  static void SetKey(IDirectDrawSurface7* S, DWORD Low, DWORD High) {
    DDCOLORKEY key = {Low, High};
    ASSERT_EQ(DD_OK, S->SetColorKey(DDCKEY_SRCBLT, &key));
  }
};

TEST_F(Display, SetUpChainDescribesRgb565Surfaces) {
  auto [dd, primary, back] = OpenChain();
  ASSERT_NE(nullptr, back);

  for (IDirectDrawSurface7* s : {primary, back}) {
    DDSURFACEDESC2 desc = SurfaceDesc();
    ASSERT_EQ(DD_OK, s->GetSurfaceDesc(&desc));
    EXPECT_EQ(640u, desc.dwWidth);
    EXPECT_EQ(480u, desc.dwHeight);
    EXPECT_GE(desc.lPitch, 1280);
    EXPECT_EQ(16u, desc.ddpfPixelFormat.dwRGBBitCount);
    EXPECT_EQ(0xF800u, desc.ddpfPixelFormat.dwRBitMask);
    EXPECT_EQ(0x07E0u, desc.ddpfPixelFormat.dwGBitMask);
    EXPECT_EQ(0x001Fu, desc.ddpfPixelFormat.dwBBitMask);
    EXPECT_TRUE(desc.ddpfPixelFormat.dwFlags & DDPF_RGB);
  }
  DDSURFACEDESC2 desc = SurfaceDesc();
  back->GetSurfaceDesc(&desc);
  EXPECT_TRUE(desc.ddsCaps.dwCaps & DDSCAPS_BACKBUFFER);

  // The small sheets get a pitch of their own: callers must use lPitch.
  IDirectDrawSurface7* sheet = Plain(dd, 331, 100, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  desc = SurfaceDesc();
  sheet->GetSurfaceDesc(&desc);
  EXPECT_EQ(331u, desc.dwWidth);
  EXPECT_EQ(100u, desc.dwHeight);
  EXPECT_GE(desc.lPitch, 662);
  EXPECT_EQ(0, desc.lPitch % 4);
}

TEST_F(Display, PrimaryNeedsExclusiveModeAndTheGameMode) {
  IDirectDraw7* dd = nullptr;
  ASSERT_EQ(DD_OK,
            DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&dd), IID_IDirectDraw7, nullptr));
  IDirectDrawSurface7* primary = reinterpret_cast<IDirectDrawSurface7*>(1);
  EXPECT_EQ(DDERR_NOCOOPERATIVELEVELSET, MakePrimary(dd, &primary));
  EXPECT_EQ(nullptr, primary);
  EXPECT_EQ(DDERR_NOEXCLUSIVEMODE, dd->SetDisplayMode(640, 480, 16, 0, 0));

  ASSERT_EQ(DD_OK, dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL));
  EXPECT_EQ(DDERR_NOEXCLUSIVEMODE, MakePrimary(dd, &primary));
  EXPECT_EQ(DDERR_INVALIDPARAMS,
            dd->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN));
  EXPECT_EQ(DDERR_INVALIDPARAMS,
            dd->SetCooperativeLevel(soft::FakeWindowHandle(), DDSCL_EXCLUSIVE));

  ASSERT_EQ(DD_OK, TakeScreen(dd));
  EXPECT_EQ(DDERR_UNSUPPORTEDMODE, MakePrimary(dd, &primary));
  EXPECT_EQ(DDERR_INVALIDMODE, dd->SetDisplayMode(800, 600, 16, 0, 0));
  EXPECT_EQ(DDERR_INVALIDMODE, dd->SetDisplayMode(640, 480, 32, 0, 0));
  ASSERT_EQ(DD_OK, dd->SetDisplayMode(640, 480, 16, 0, 0));
  ASSERT_EQ(DD_OK, MakePrimary(dd, &primary));
  IDirectDrawSurface7* second = nullptr;
  EXPECT_EQ(DDERR_PRIMARYSURFACEALREADYEXISTS, MakePrimary(dd, &second));

  // Only one device owns the screen.
  IDirectDraw7* other = NewDevice();
  ASSERT_NE(nullptr, other);
  EXPECT_EQ(DDERR_EXCLUSIVEMODEALREADYSET, TakeScreen(other));
}

TEST_F(Display, CreateSurfaceRefusesBadDescriptions) {
  IDirectDraw7* dd = OpenDevice();
  IDirectDrawSurface7* s = nullptr;
  DDSURFACEDESC2 desc = SurfaceDesc();
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  desc.dwWidth = 0;
  desc.dwHeight = 10;
  EXPECT_EQ(DDERR_INVALIDPARAMS, dd->CreateSurface(&desc, &s, nullptr));
  desc.dwWidth = 10;
  desc.dwSize = 124 + 1;
  EXPECT_EQ(DDERR_INVALIDPARAMS, dd->CreateSurface(&desc, &s, nullptr));
  desc.dwSize = sizeof(desc);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY | DDSCAPS_SYSTEMMEMORY;
  EXPECT_EQ(DDERR_INVALIDCAPS, dd->CreateSurface(&desc, &s, nullptr));
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  desc.dwWidth = 100000;
  EXPECT_EQ(DDERR_TOOBIGWIDTH, dd->CreateSurface(&desc, &s, nullptr));
  EXPECT_EQ(nullptr, s);
  EXPECT_EQ(0, soft::LiveSurfaces());
}

TEST_F(Display, OpaqueBltFastCopiesTheRectangleOnly) {
  auto [src, dst] = NumberedAndGrey();

  RECT r = {1, 2, 4, 5};  // 3 x 3
  ASSERT_EQ(DD_OK, dst->BltFast(6, 7, src, &r, DDBLTFAST_WAIT));
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 6 && x < 9 && y >= 7 && y < 10;
      EXPECT_EQ(inside ? Numbered(x - 6 + 1, y - 7 + 2) : 0x7BEF, At(dst, x, y)) << x << "," << y;
    }
  }
  // No rectangle: the whole source, here reaching exactly the far corner.
  ASSERT_EQ(DD_OK, dst->BltFast(2, 4, src, nullptr, DDBLTFAST_WAIT));
  EXPECT_EQ(Numbered(0, 0), At(dst, 2, 4));
  EXPECT_EQ(Numbered(7, 5), At(dst, 9, 9));
  EXPECT_EQ(0x7BEF, At(dst, 1, 4));
}

// A background copied over the whole frame again and again: rows that still
// hold it are not copied again, and every way of drawing on a row (a keyed
// blit, a part of a row, Lock, a flip, a change of the background itself)
// makes the next copy put the background back exactly.
TEST_F(Display, WholeRowCopiesAreRepeatedWhereAnythingDrewOnThem) {
  IDirectDraw7* dd = OpenDevice();
  IDirectDrawSurface7* sprite = Plain(dd, 4, 4);
  IDirectDrawSurface7* primary = nullptr;
  ASSERT_EQ(DD_OK, MakePrimary(dd, &primary));
  IDirectDrawSurface7* frame = BackBufferOf(primary);
  IDirectDrawSurface7* background = Plain(dd, 640, 480);
  Paint(background, Numbered);
  Paint(sprite, Grey);
  const auto copy = [&] {
    ASSERT_EQ(DD_OK, frame->BltFast(0, 0, background, nullptr, DDBLTFAST_WAIT));
    EXPECT_EQ(Snapshot(frame), Snapshot(background));
  };
  copy();
  copy();
  ASSERT_EQ(DD_OK, frame->BltFast(100, 200, sprite, nullptr, DDBLTFAST_WAIT));
  copy();
  SetKey(sprite, 0, 0);
  ASSERT_EQ(DD_OK, frame->BltFast(3, 5, sprite, nullptr, DDBLTFAST_SRCCOLORKEY));
  copy();
  // Two places on the same rows, far apart.
  ASSERT_EQ(DD_OK, frame->BltFast(300, 6, sprite, nullptr, DDBLTFAST_SRCCOLORKEY));
  ASSERT_EQ(DD_OK, frame->BltFast(10, 4, sprite, nullptr, DDBLTFAST_WAIT));
  copy();
  Paint(frame, Grey);
  copy();
  ASSERT_EQ(DD_OK, primary->Flip(nullptr, DDFLIP_WAIT));
  copy();
  ASSERT_EQ(DD_OK, background->BltFast(0, 7, sprite, nullptr, DDBLTFAST_WAIT));
  copy();
}

// A new surface starts black, also when it takes the memory of one just freed.
TEST_F(Display, ANewSurfaceStartsBlackInTheMemoryOfOneFreed) {
  IDirectDraw7* dd = OpenDevice();
  IDirectDrawSurface7* old = Plain(dd, 640, 480);
  Paint(old, Grey);
  old->Release();
  IDirectDrawSurface7* made = Plain(dd, 640, 480);
  EXPECT_EQ(Snapshot(made), std::vector<std::uint16_t>(640 * 480, 0));
}

TEST_F(Display, ColourKeyedBltFastLeavesKeyRangeOut) {
  IDirectDraw7* dd = OpenDevice();
  IDirectDrawSurface7* src = Plain(dd, 4, 1);
  IDirectDrawSurface7* dst = Plain(dd, 4, 1);
  Paint(src,
        [](int X, int) -> std::uint16_t { return X == 0 ? 0 : static_cast<std::uint16_t>(X); });
  Paint(dst, Grey);

  // Keyed copy without a key is refused and draws nothing.
  EXPECT_EQ(DDERR_NOCOLORKEY, dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY));
  EXPECT_EQ(std::vector<std::uint16_t>(4, 0x7BEF), Snapshot(dst));

  SetKey(src, 0, 0);
  ASSERT_EQ(DD_OK, dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT));
  EXPECT_EQ((std::vector<std::uint16_t>{0x7BEF, 1, 2, 3}), Snapshot(dst));

  Paint(dst, Grey);
  SetKey(src, 1, 2);  // a range
  ASSERT_EQ(DD_OK, dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY));
  EXPECT_EQ((std::vector<std::uint16_t>{0, 0x7BEF, 0x7BEF, 3}), Snapshot(dst));

  // Without the flag the key is ignored.
  ASSERT_EQ(DD_OK, dst->BltFast(0, 0, src, nullptr, DDBLTFAST_WAIT));
  EXPECT_EQ((std::vector<std::uint16_t>{0, 1, 2, 3}), Snapshot(dst));

  // A source drawn anew is copied as it is now.
  Paint(src, [](int X, int) -> std::uint16_t { return static_cast<std::uint16_t>(X + 4); });
  ASSERT_EQ(DD_OK, dst->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY));
  EXPECT_EQ((std::vector<std::uint16_t>{4, 5, 6, 7}), Snapshot(dst));

  DDCOLORKEY key = {};
  ASSERT_EQ(DD_OK, src->GetColorKey(DDCKEY_SRCBLT, &key));
  EXPECT_EQ(1u, key.dwColorSpaceLowValue);
  EXPECT_EQ(2u, key.dwColorSpaceHighValue);
  ASSERT_EQ(DD_OK, src->SetColorKey(DDCKEY_SRCBLT, nullptr));
  EXPECT_EQ(DDERR_NOCOLORKEY, src->GetColorKey(DDCKEY_SRCBLT, &key));
}

TEST_F(Display, BadRectanglesAreRefusedWithoutTouchingAPixel) {
  auto [src, dst] = NumberedAndGrey();
  SetKey(src, 0, 0);
  const std::vector<std::uint16_t> before = Snapshot(dst);
  const std::vector<std::uint16_t> sourceBefore = Snapshot(src);

  struct Case {
    const char* what;
    DWORD x, y;
    RECT r;
    bool whole;
  };
  const Case cases[] = {
      {"source off the left edge", 0, 0, {-1, 0, 2, 2}, false},
      {"source off the top edge", 0, 0, {0, -1, 2, 2}, false},
      {"source off the right edge", 0, 0, {6, 0, 9, 2}, false},
      {"source off the bottom edge", 0, 0, {0, 4, 2, 7}, false},
      {"source past the sheet", 0, 0, {8, 0, 16, 6}, false},
      {"empty width", 0, 0, {3, 0, 3, 2}, false},
      {"empty height", 0, 0, {0, 3, 2, 3}, false},
      {"inverted", 0, 0, {4, 4, 2, 2}, false},
      {"negative everywhere", 0, 0, {-5, -5, -1, -1}, false},
      {"destination past the right edge", 9, 0, {0, 0, 2, 2}, false},
      {"destination past the bottom edge", 0, 9, {0, 0, 2, 2}, false},
      {"negative x handed over as a DWORD", static_cast<DWORD>(-2), 0, {0, 0, 2, 2}, false},
      {"negative y handed over as a DWORD", 0, static_cast<DWORD>(-2), {0, 0, 2, 2}, false},
      {"whole source past the corner", 3, 5, {}, true},
  };
  for (const Case& c : cases) {
    RECT r = c.r;
    for (DWORD flags : {DWORD{DDBLTFAST_WAIT}, DWORD{DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT}}) {
      EXPECT_EQ(DDERR_INVALIDRECT, dst->BltFast(c.x, c.y, src, c.whole ? nullptr : &r, flags))
          << c.what;
      EXPECT_EQ(before, Snapshot(dst)) << c.what;
    }
  }
  EXPECT_EQ(sourceBefore, Snapshot(src));
}

TEST_F(Display, OverlappingCopyWithinOneSurface) {
  IDirectDraw7* dd = OpenDevice();
  IDirectDrawSurface7* s = Plain(dd, 8, 8);
  Paint(s, Numbered);
  RECT r = {0, 0, 6, 6};
  ASSERT_EQ(DD_OK, s->BltFast(2, 1, s, &r, DDBLTFAST_WAIT));
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Numbered(x, y), At(s, x + 2, y + 1));
  }
  // Keyed, back up and to the left: the source pixels in the key's range are
  // left out, and their places keep what they held.
  Paint(s, Numbered);
  SetKey(s, Numbered(4, 4), Numbered(5, 4));
  RECT back = {2, 2, 8, 8};
  ASSERT_EQ(DD_OK, s->BltFast(0, 0, s, &back, DDBLTFAST_SRCCOLORKEY));
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      const bool keyed = y == 2 && (x == 2 || x == 3);
      EXPECT_EQ(keyed ? Numbered(x, y) : Numbered(x + 2, y + 2), At(s, x, y)) << x << "," << y;
    }
  }
}

TEST_F(Display, LostSurfacesRefuseEveryDrawingCallUntilRestored) {
  auto [dd, primary, back] = OpenChain();
  ASSERT_NE(nullptr, back);
  IDirectDrawSurface7* sheet = Plain(dd, 16, 16);
  SetKey(sheet, 0, 0);

  soft::LoseAllSurfaces();
  EXPECT_EQ(soft::kLostPatternA, At(sheet, 0, 0));
  EXPECT_EQ(soft::kLostPatternB, At(sheet, 8, 0));

  DDSURFACEDESC2 desc = SurfaceDesc();
  HDC dc = nullptr;
  DDCOLORKEY key = {0, 0};
  DDSCAPS2 caps = {};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  IDirectDrawSurface7* attached = nullptr;
  for (IDirectDrawSurface7* s : {primary, back, sheet}) {
    EXPECT_EQ(DDERR_SURFACELOST, s->IsLost());
    EXPECT_EQ(DDERR_SURFACELOST, s->GetDC(&dc));
    EXPECT_EQ(DDERR_SURFACELOST, s->Lock(nullptr, &desc, 0, nullptr));
    EXPECT_EQ(DDERR_SURFACELOST, s->SetColorKey(DDCKEY_SRCBLT, &key));
    EXPECT_EQ(DD_OK, s->GetSurfaceDesc(&desc));  // a description needs no memory
  }
  EXPECT_EQ(DDERR_SURFACELOST, primary->GetAttachedSurface(&caps, &attached));
  EXPECT_EQ(DDERR_SURFACELOST, back->BltFast(0, 0, sheet, nullptr, DDBLTFAST_SRCCOLORKEY));
  EXPECT_EQ(DDERR_SURFACELOST, primary->Flip(nullptr, DDFLIP_WAIT));

  // One side restored is not enough for a blit.
  ASSERT_EQ(DD_OK, sheet->Restore());
  EXPECT_EQ(DDERR_SURFACELOST, back->BltFast(0, 0, sheet, nullptr, DDBLTFAST_WAIT));
  EXPECT_EQ(DDERR_SURFACELOST, sheet->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT));
  // The back buffer comes back with its primary only.
  EXPECT_EQ(DDERR_IMPLICITLYCREATED, back->Restore());
  ASSERT_EQ(DD_OK, primary->Restore());
  EXPECT_EQ(DD_OK, back->IsLost());
  EXPECT_EQ(DD_OK, back->BltFast(0, 0, sheet, nullptr, DDBLTFAST_SRCCOLORKEY));
  EXPECT_EQ(DD_OK, primary->Flip(nullptr, DDFLIP_WAIT));
  // Drawn on in part, a restored surface shows the pattern around the drawing.
  IDirectDrawSurface7* grey = Plain(dd, 8, 8);
  Paint(grey, Grey);
  ASSERT_EQ(DD_OK, back->BltFast(16, 0, grey, nullptr, DDBLTFAST_WAIT));
  EXPECT_EQ(0x7BEF, At(back, 16, 0));
  EXPECT_EQ(soft::kLostPatternA, At(back, 632, 472));
  // Restoring brings memory back, not the picture, and keeps the colour key.
  EXPECT_EQ(soft::kLostPatternA, At(sheet, 0, 0));
  ASSERT_EQ(DD_OK, sheet->GetColorKey(DDCKEY_SRCBLT, &key));
  EXPECT_EQ(DD_OK, sheet->Restore());  // restoring a surface that is not lost is fine
}

TEST_F(Display, RestoreAnswersWrongModeWhileDeactivated) {
  IDirectDraw7* dd = OpenDevice();
  IDirectDrawSurface7* primary = nullptr;
  ASSERT_EQ(DD_OK, MakePrimary(dd, &primary));
  IDirectDrawSurface7* sheet = Plain(dd, 4, 4);

  soft::Deactivate();
  EXPECT_FALSE(soft::IsActive());
  EXPECT_EQ(DDERR_SURFACELOST, sheet->IsLost());
  EXPECT_EQ(DDERR_WRONGMODE, primary->Restore());
  EXPECT_EQ(DDERR_WRONGMODE, sheet->Restore());
  IDirectDrawSurface7* late = Plain(dd, 4, 4);
  EXPECT_EQ(DDERR_SURFACELOST, late->IsLost());

  soft::Activate();
  EXPECT_EQ(DDERR_SURFACELOST, sheet->IsLost());  // still lost until restored
  EXPECT_EQ(DD_OK, primary->Restore());
  EXPECT_EQ(DD_OK, sheet->Restore());
  EXPECT_EQ(DD_OK, late->Restore());
  EXPECT_EQ(DD_OK, sheet->IsLost());
}

TEST_F(Display, FlipSwapsFrontAndBackAndCallsTheHook) {
  auto [dd, primary, back] = OpenChain();
  ASSERT_NE(nullptr, back);
  Paint(primary, [](int, int) -> std::uint16_t { return 0x1111; });
  Paint(back, [](int X, int Y) -> std::uint16_t { return static_cast<std::uint16_t>(X ^ Y); });

  int hookCalls = 0;
  std::uint16_t seen = 0;
  soft::SetFlipHook([&](const soft::PixelView& View) {
    ++hookCalls;
    seen = View.At(639, 3);
  });
  ASSERT_EQ(DD_OK, primary->Flip(nullptr, DDFLIP_WAIT));
  EXPECT_EQ(1, hookCalls);
  EXPECT_EQ(639 ^ 3, seen);
  const soft::PixelView front = soft::FrontBuffer();
  ASSERT_NE(nullptr, front.pixels);
  EXPECT_EQ(640, front.width);
  EXPECT_EQ(480, front.height);
  EXPECT_EQ(5 ^ 479, front.At(5, 479));
  EXPECT_EQ(0x1111, At(back, 5, 479));

  // The named back buffer is an accepted override; other targets are not.
  EXPECT_EQ(DD_OK, primary->Flip(back, DDFLIP_WAIT));
  EXPECT_EQ(0x1111, soft::FrontBuffer().At(0, 0));
  IDirectDrawSurface7* sheet = Plain(dd, 4, 4);
  EXPECT_EQ(DDERR_INVALIDPARAMS, primary->Flip(sheet, DDFLIP_WAIT));
  EXPECT_EQ(DDERR_NOTFLIPPABLE, sheet->Flip(nullptr, DDFLIP_WAIT));
  EXPECT_EQ(DDERR_NOTFLIPPABLE, back->Flip(nullptr, DDFLIP_WAIT));
  EXPECT_EQ(2, hookCalls);
}

TEST_F(Display, ChainSurvivesEveryReleaseOrder) {
  for (bool primaryFirst : {true, false}) {
    soft::Reset();
    auto [dd, primary, back] = OpenChain();
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(3, soft::LiveDirectDrawObjects());
    if (primaryFirst) {
      EXPECT_EQ(0u, primary->Release());
      // The program still holds the back buffer: it stays usable.
      EXPECT_EQ(DD_OK, back->IsLost());
      Paint(back, Grey);
      EXPECT_EQ(0u, back->Release());
    } else {
      EXPECT_EQ(0u, back->Release());
      EXPECT_EQ(0u, back->Release());  // surplus: the chain still holds it
      EXPECT_EQ(DD_OK, primary->Flip(nullptr, DDFLIP_WAIT));
      EXPECT_EQ(0u, primary->Release());
    }
    EXPECT_EQ(1, soft::LiveDirectDrawObjects());
    EXPECT_EQ(0u, dd->Release());
    EXPECT_EQ(0, soft::LiveDirectDrawObjects());
  }
}

TEST_F(Display, ReferenceCountsAndTheReleaseLog) {
  IDirectDraw7* dd = OpenDevice();
  IDirectDrawSurface7* sheet = Plain(dd, 4, 4);
  EXPECT_EQ(2u, sheet->AddRef());
  IUnknown* unknown = nullptr;
  ASSERT_EQ(S_OK, sheet->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
  EXPECT_EQ(static_cast<void*>(sheet), static_cast<void*>(unknown));
  void* none = nullptr;
  EXPECT_EQ(E_NOINTERFACE, sheet->QueryInterface(IID_IDirectDraw7, &none));
  EXPECT_EQ(2u, unknown->Release());
  EXPECT_EQ(1u, sheet->Release());

  // Surfaces keep their device: releasing it first frees nothing in use.
  EXPECT_EQ(1u, dd->Release());
  EXPECT_EQ(DD_OK, sheet->IsLost());
  EXPECT_EQ(2, soft::LiveDirectDrawObjects());
  EXPECT_EQ(0u, sheet->Release());
  EXPECT_EQ(0, soft::LiveDirectDrawObjects());

  const std::vector<soft::ReleaseRecord>& log = soft::ReleaseLog();
  ASSERT_EQ(4u, log.size());
  EXPECT_EQ(static_cast<void*>(sheet), log[0].object);
  EXPECT_STREQ("IDirectDrawSurface7", log[0].kind);
  EXPECT_FALSE(log[1].destroyed);
  EXPECT_STREQ("IDirectDraw7", log[2].kind);
  EXPECT_EQ(1u, log[2].remaining);
  EXPECT_FALSE(log[2].destroyed);
  EXPECT_TRUE(log[3].destroyed);
}

TEST_F(Display, LockExposesMemoryPitchAndFormat) {
  IDirectDraw7* dd = OpenDevice();
  IDirectDrawSurface7* s = Plain(dd, 5, 3);
  DDSURFACEDESC2 desc = SurfaceDesc();
  RECT r = {1, 1, 3, 3};
  ASSERT_EQ(DD_OK, s->Lock(&r, &desc, DDLOCK_WAIT, nullptr));
  EXPECT_NE(nullptr, desc.lpSurface);
  EXPECT_EQ(16u, desc.ddpfPixelFormat.dwRGBBitCount);
  *static_cast<std::uint16_t*>(desc.lpSurface) = 0xABCD;  // pixel (1, 1)
  *reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) + desc.lPitch) =
      0x1234;  // pixel (1, 2)

  // While locked, the surface is busy for everything else.
  DDSURFACEDESC2 again = SurfaceDesc();
  HDC dc = nullptr;
  IDirectDrawSurface7* other = Plain(dd, 5, 3);
  EXPECT_EQ(DDERR_SURFACEBUSY, s->Lock(nullptr, &again, 0, nullptr));
  EXPECT_EQ(DDERR_SURFACEBUSY, s->GetDC(&dc));
  EXPECT_EQ(DDERR_SURFACEBUSY, other->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT));
  EXPECT_EQ(DDERR_SURFACEBUSY, s->BltFast(0, 0, other, nullptr, DDBLTFAST_WAIT));
  ASSERT_EQ(DD_OK, s->Unlock(nullptr));
  EXPECT_EQ(DDERR_NOTLOCKED, s->Unlock(nullptr));
  EXPECT_EQ(0xABCD, At(s, 1, 1));
  EXPECT_EQ(0x1234, At(s, 1, 2));

  RECT outside = {3, 0, 6, 2};
  EXPECT_EQ(DDERR_INVALIDPARAMS, s->Lock(&outside, &again, 0, nullptr));
  again.dwSize = 124 - 1;
  EXPECT_EQ(DDERR_INVALIDPARAMS, s->Lock(nullptr, &again, 0, nullptr));

  // A 1 x 1 surface still has a whole 32-bit word at its start.
  IDirectDrawSurface7* tiny = Plain(dd, 1, 1);
  desc = SurfaceDesc();
  ASSERT_EQ(DD_OK, tiny->Lock(nullptr, &desc, 0, nullptr));
  EXPECT_GE(desc.lPitch, 4);
  EXPECT_EQ(0u, *static_cast<std::uint32_t*>(desc.lpSurface) & 0xFFFFu);
  tiny->Unlock(nullptr);
}

TEST_F(Display, InjectedSetUpFaults) {
  soft::FailDirectDrawCreate(DDERR_NODIRECTDRAWHW);
  IDirectDraw7* dd = reinterpret_cast<IDirectDraw7*>(1);
  EXPECT_EQ(DDERR_NODIRECTDRAWHW,
            DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&dd), IID_IDirectDraw7, nullptr));
  EXPECT_EQ(nullptr, dd);
  soft::FailDirectDrawCreate(DD_OK);
  ASSERT_EQ(DD_OK,
            DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&dd), IID_IDirectDraw7, nullptr));

  soft::FailSetCooperativeLevel(DDERR_HWNDALREADYSET);
  EXPECT_EQ(DDERR_HWNDALREADYSET, TakeScreen(dd));
  soft::FailSetCooperativeLevel(DD_OK);
  ASSERT_EQ(DD_OK, TakeScreen(dd));
  soft::FailSetDisplayMode(DDERR_UNSUPPORTEDMODE);
  EXPECT_EQ(DDERR_UNSUPPORTEDMODE, dd->SetDisplayMode(640, 480, 16, 0, 0));
  soft::FailSetDisplayMode(DD_OK);
  ASSERT_EQ(DD_OK, dd->SetDisplayMode(640, 480, 16, 0, 0));

  soft::FailCreateSurface(2, DDERR_OUTOFVIDEOMEMORY);
  IDirectDrawSurface7* first = Plain(dd, 4, 4);
  DDSURFACEDESC2 desc = SurfaceDesc();
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = desc.dwHeight = 4;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
  IDirectDrawSurface7* second = nullptr;
  EXPECT_EQ(DDERR_OUTOFVIDEOMEMORY, dd->CreateSurface(&desc, &second, nullptr));
  EXPECT_EQ(nullptr, second);
  EXPECT_EQ(DD_OK, dd->CreateSurface(&desc, &second, nullptr));  // once only
  EXPECT_NE(first, second);
}

TEST_F(Display, InjectedDrawingFaults) {
  IDirectDraw7* dd = OpenDevice();
  IDirectDrawSurface7* s = Plain(dd, 4, 4);
  IDirectDrawSurface7* t = Plain(dd, 4, 4);

  soft::RefuseRestores(2, DDERR_GENERIC);
  EXPECT_EQ(DDERR_GENERIC, s->Restore());
  EXPECT_EQ(DDERR_GENERIC, s->Restore());
  EXPECT_EQ(DD_OK, s->Restore());

  DDSURFACEDESC2 desc = SurfaceDesc();
  soft::LockStillDrawingTimes(2);
  EXPECT_EQ(DDERR_WASSTILLDRAWING, s->Lock(nullptr, &desc, 0, nullptr));
  EXPECT_EQ(DDERR_WASSTILLDRAWING, s->Lock(nullptr, &desc, 0, nullptr));
  ASSERT_EQ(DD_OK, s->Lock(nullptr, &desc, 0, nullptr));
  s->Unlock(nullptr);
  soft::LockAlwaysStillDrawing(true);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(DDERR_WASSTILLDRAWING, s->Lock(nullptr, &desc, 0, nullptr));
  soft::LockAlwaysStillDrawing(false);

  HDC dc = reinterpret_cast<HDC>(1);
  soft::FailGetDC(true);
  EXPECT_EQ(DDERR_CANTCREATEDC, s->GetDC(&dc));
  EXPECT_EQ(nullptr, dc);
  soft::FailGetDC(false);

  // Loss before the third BltFast/Flip from now, counted together.
  soft::LoseBeforeCall(3);
  EXPECT_EQ(DD_OK, t->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT));
  EXPECT_EQ(DDERR_NOTFLIPPABLE, s->Flip(nullptr, DDFLIP_WAIT));
  EXPECT_EQ(DD_OK, t->IsLost());
  EXPECT_EQ(DDERR_SURFACELOST, t->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT));
  EXPECT_EQ(DDERR_SURFACELOST, t->IsLost());
  ASSERT_EQ(DD_OK, s->Restore());
  ASSERT_EQ(DD_OK, t->Restore());
  EXPECT_EQ(DD_OK, t->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT));  // once only

  soft::Reset();
  EXPECT_EQ(0, soft::LiveDirectDrawObjects());
  EXPECT_TRUE(soft::CallLog().empty());
}

TEST_F(Display, CallLogNamesMethodsInOrder) {
  auto [dd, primary, back] = OpenChain();
  ASSERT_NE(nullptr, back);
  back->BltFast(0, 0, primary, nullptr, DDBLTFAST_WAIT);
  primary->Flip(nullptr, DDFLIP_WAIT);
  back->Release();
  EXPECT_EQ((std::vector<std::string>{"DirectDrawCreateEx", "SetCooperativeLevel", "SetDisplayMode",
                                      "CreateSurface", "GetAttachedSurface", "BltFast", "Flip",
                                      "Release"}),
            soft::CallNames());
  const soft::CallRecord& flip = soft::CallLog()[6];
  EXPECT_EQ(static_cast<void*>(primary), flip.object);
  EXPECT_EQ(DD_OK, flip.result);
  EXPECT_EQ(1, soft::CallCount("BltFast"));

  soft::ClearCallLog();
  for (std::size_t i = 0; i < soft::kCallLogCapacity + 10; ++i) primary->IsLost();
  EXPECT_EQ(soft::kCallLogCapacity, soft::CallLog().size());
  EXPECT_EQ(10u, soft::CallLogDropped());
}

// A display set aside (the page's, while it watches a recording) waits
// untouched while a fresh one is used and left in any state, and comes back
// as it was: its surfaces and their pixels, its DC, its exclusive owner, its
// faults, its log and its flip hook.
TEST_F(Display, ASetAsideDisplayWaitsUntouchedAndComesBackAsItWas) {
  auto [dd, primary, back] = OpenChain();
  ASSERT_NE(nullptr, back);
  Paint(back, Numbered);
  HDC dc = CreateCompatibleDC(nullptr);
  int hookCalls = 0;
  soft::SetFlipHook([&](const soft::PixelView&) { ++hookCalls; });
  soft::FailSetDisplayMode(DDERR_GENERIC);
  const std::vector<std::uint16_t> kept = Snapshot(back);
  const std::size_t logged = soft::CallLog().size();
  {
    soft::DisplaySetAside aside;
    EXPECT_EQ(0, soft::LiveSurfaces());
    EXPECT_EQ(0, soft::LiveDCs());
    EXPECT_TRUE(soft::CallLog().empty());
    // The fresh display's own device takes the screen, flips, is switched
    // away from and is left so.
    IDirectDraw7* other = OpenDevice();
    IDirectDrawSurface7* its = nullptr;
    ASSERT_EQ(DD_OK, MakePrimary(other, &its));
    EXPECT_EQ(DD_OK, its->Flip(nullptr, DDFLIP_WAIT));
    CreateCompatibleDC(nullptr);
    soft::Deactivate();
    EXPECT_EQ(0, hookCalls);
  }
  EXPECT_EQ(2, soft::LiveSurfaces());
  EXPECT_EQ(1, soft::LiveDCs());
  EXPECT_TRUE(soft::IsActive());
  EXPECT_EQ(logged, soft::CallLog().size());
  EXPECT_EQ(kept, Snapshot(back));
  EXPECT_EQ(DD_OK, primary->Flip(nullptr, DDFLIP_WAIT));
  EXPECT_EQ(1, hookCalls);
  EXPECT_EQ(DDERR_GENERIC, dd->SetDisplayMode(640, 480, 16, 0, 0));
  IDirectDraw7* third = NewDevice();
  ASSERT_NE(nullptr, third);
  EXPECT_EQ(DDERR_EXCLUSIVEMODEALREADYSET, TakeScreen(third));
  EXPECT_TRUE(DeleteDC(dc));
}

}  // namespace
