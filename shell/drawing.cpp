// Frame composition: the play-field background kept building by building, and
// every frame composed in the back buffer and flipped.
#include "shell/unit1.h"

namespace carpex {

namespace {

constexpr DWORD kOpaque = DDBLTFAST_WAIT;
constexpr DWORD kKeyed = DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT;
// A surface that is still lost after a successful restore is retried this often
// before the work is abandoned, so that a display that keeps losing its
// surfaces cannot hang the game.
constexpr int kMaxAttempts = 8;

}  // namespace

bool TForm1::Blit(IDirectDrawSurface7* Dest, int32_t X, int32_t Y, IDirectDrawSurface7* Source,
                  const TRect* SrcRect, DWORD Flags) {
  if (Dest == nullptr || Source == nullptr) return false;
  RECT rect{};
  RECT* rectPtr = nullptr;
  if (SrcRect != nullptr) {
    rect = RECT{SrcRect->Left, SrcRect->Top, SrcRect->Right, SrcRect->Bottom};
    rectPtr = &rect;
  }
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    const HRESULT r =
        Dest->BltFast(static_cast<DWORD>(X), static_cast<DWORD>(Y), Source, rectPtr, Flags);
    if (r != DDERR_SURFACELOST) return false;
    if (FAILED(RestoreAll())) return true;
  }
  return true;
}

TRect TForm1::ClipToScreen(const TRect& Src, TPoint Pos) {
  const int32_t w = Src.Right - Src.Left;
  const int32_t h = Src.Bottom - Src.Top;
  TRect r = Src;
  if (Pos.X < 0) r.Left = Src.Left - Pos.X;
  if (Pos.Y < 0) r.Top = Src.Top - Pos.Y;
  if (Pos.X + w >= kScreenWidth) r.Right = Src.Right - (Pos.X + w - kScreenWidth);
  if (Pos.Y + h >= kScreenHeight) r.Bottom = Src.Bottom - (Pos.Y + h - kScreenHeight);
  return r;
}

TPoint TForm1::ClampPosition(TPoint Pos) {
  return TPoint{Pos.X < 0 ? 0 : Pos.X, Pos.Y < 0 ? 0 : Pos.Y};
}

bool TForm1::DrawSprite(IDirectDrawSurface7* Sheet, TPoint Pos, const TRect& Src,
                        TRect* OwnerSrcRect) {
  *OwnerSrcRect = ClipToScreen(Src, Pos);
  const TPoint at = ClampPosition(Pos);
  return Blit(BackBuffer.Get(), at.X, at.Y, Sheet, OwnerSrcRect, kKeyed);
}

void TForm1::DrawCity() {
  ++CityDrawingDepth;
  for (int32_t i = 1; i <= W.BuildingCount && i <= kMaxBuildings; ++i) {
    DrawBuilding(static_cast<uint16_t>(i));
  }
  --CityDrawingDepth;
}

void TForm1::DrawBuilding(uint16_t Index) {
  if (Index < 1 || Index > kMaxBuildings) return;
  TBuilding& b = W.Buildings[Index];
  for (int32_t j = 1; j <= b.Height && j <= kBlocksPerBuilding; ++j) {
    TBlock& k = b.Blocks[j];
    k.SrcRect = BlockSrcRect(b, k);
    k.SrcRectPtr = &k.SrcRect;
    if (Blit(PlayFieldBackground.Get(), k.X, k.Y, BuildingSheet.Get(), &k.SrcRect, kKeyed)) {
      return;
    }
  }
}

bool TForm1::EraseBuildingStrip(int32_t Index) {
  if (Index < 1 || Index > kMaxBuildings) return false;
  const TBuilding& b = W.Buildings[Index];
  const TRect strip{b.X, 0, b.X + b.Width, kScreenHeight};
  return Blit(PlayFieldBackground.Get(), b.X, 0, CleanBackground.Get(), &strip, kOpaque);
}

bool TForm1::DrawLevelChoice() {
  if (Blit(BackBuffer.Get(), 0, 0, CleanBackground.Get(), nullptr, kOpaque)) return true;
  return Blit(BackBuffer.Get(), LevelChoiceX, LevelChoiceY, LevelChoiceSheet.Get(), nullptr,
              kKeyed);
}

bool TForm1::DrawPlane() {
  TPlane& plane = W.Plane;
  if (plane.Mode == kPlaneGone) return false;
  const TRect src = PlaneSrcRect(plane);
  if (DrawSprite(PlaneSheet.Get(), TPoint{plane.X, plane.Y}, src, &plane.SrcRect)) return true;
  // The second copy shows, at the left edge of the next row, what the right edge cuts off.
  if (plane.X > kScreenWidth - plane.Width) {
    if (DrawSprite(PlaneSheet.Get(), TPoint{plane.WrapX, plane.WrapY}, src, &plane.SrcRect)) {
      return true;
    }
  }
  return false;
}

bool TForm1::DrawPlaying() {
  if (Blit(BackBuffer.Get(), 0, 0, PlayFieldBackground.Get(), nullptr, kOpaque)) return true;
  if (DrawPlane()) return true;
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    TExplosion& e = W.Explosions[i];
    if (e.State == kExplosionFree) continue;
    const TRect src = ExplosionSrcRect(e);
    if (DrawSprite(ExplosionSheet.Get(), TPoint{e.X, e.Y}, src, &e.SrcRect)) return true;
  }
  if (W.Bomb.State != kBombNone) {
    if (Blit(BackBuffer.Get(), W.Bomb.X, W.Bomb.Y, BombSheet.Get(), nullptr, kKeyed)) return true;
  }
  return false;
}

bool TForm1::DrawRoundOver() {
  if (Blit(BackBuffer.Get(), 0, 0, PlayFieldBackground.Get(), nullptr, kOpaque)) return true;
  if (DrawPlane()) return true;
  const TResultBanner& banner = W.ResultBanner;
  return Blit(BackBuffer.Get(), banner.X, banner.Y, BannerSheet.Get(), &banner.SrcRect, kKeyed);
}

bool TForm1::FlipFrame() {
  if (!PrimarySurface) return false;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    // On the desktop the application shows the frame in the window instead.
    const bool lost =
        Windowed ? App.PresentFrame(DirectDrawDevice.Get(), PrimarySurface.Get(), BackBuffer.Get())
                 : PrimarySurface->Flip(nullptr, DDFLIP_WAIT) == DDERR_SURFACELOST;
    if (!lost) return false;
    if (FAILED(RestoreAll())) return true;
  }
  return true;
}

}  // namespace carpex
