// Bringing every surface back after DirectDraw has taken their memory away.
#include "graphics/ddutil.h"
#include "shell/unit1.h"

namespace carpex {

namespace {

// RestoreAll re-enters itself through DrawCity; a display that keeps losing its
// surfaces must not recurse without end.
constexpr int kMaxRestoreDepth = 4;

// Restores one surface and loads its picture again; an empty field has nothing to restore.
HRESULT RestoreAndReload(IDirectDrawSurface7* Surface, const char* Name) {
  if (Surface == nullptr) return DD_OK;
  HRESULT r = Surface->Restore();
  if (FAILED(r)) return r;
  return ddutil::ReloadBitmap(Surface, Name);
}

}  // namespace

HRESULT TForm1::RestoreAll() {
  if (RestoreDepth >= kMaxRestoreDepth) return DDERR_SURFACELOST;
  ++RestoreDepth;
  struct DepthGuard {
    int& depth;
    ~DepthGuard() { --depth; }
  } guard{RestoreDepth};

  HRESULT r = DD_OK;
  // The back buffer belongs to the primary's flipping chain and comes back with
  // it; on the desktop it is a surface of its own, drawn whole every frame.
  if (PrimarySurface) {
    r = PrimarySurface->Restore();
    if (FAILED(r)) return r;
  }
  if (Windowed && BackBuffer) {
    r = BackBuffer->Restore();
    if (FAILED(r)) return r;
  }
  // The sheets, the last loaded first, in the language chosen.
  for (int i = kSpriteSheetCount - 1; i >= 0; --i) {
    const SpriteSheet& sheet = kSpriteSheets[i];
    r = RestoreAndReload((this->*sheet.Field).Get(), PictureOf(sheet));
    if (FAILED(r)) return r;
  }
  // On the level screen the last round's background is not drawn; StartRound replaces it.
  // While StartRound draws the new city into it, it is in use all the same.
  if (W.GameState == kPlaying || W.GameState == kRoundOver || CityDrawingDepth > 0) {
    r = RestoreAndReload(PlayFieldBackground.Get(), kBackgroundPicture);
    if (FAILED(r)) return r;
    DrawCity();
  }
  return RestoreAndReload(CleanBackground.Get(), kBackgroundPicture);
}

}  // namespace carpex
