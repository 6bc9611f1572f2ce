// The display device and the surface set: set-up, the play-field background of
// each round, sprite-sheet loading, error reports and shutdown.
#include <cstdio>
#include <cstring>

#include "graphics/ddutil.h"
#include "graphics/directdraw.h"
#include "graphics/dxcommon.h"
#include "shell/unit1.h"
#include "world/sprites.h"

namespace carpex {

namespace {

constexpr DWORD kScreenDepth = 16;
// What is reported for a picture that could not be loaded: no DirectX code,
// and so no text of its own ("Unrecognized Error").
constexpr HRESULT kPictureNotLoaded = 1;

}  // namespace

void TForm1::ReportError(HRESULT Code, const char* Where) {
  char text[512];
  std::snprintf(text, sizeof text, "%s: \r%s", Where, DXCommon::DirectXErrorText(Code));
  App.ShowMessageBox(text, Caption.c_str(), MB_OK | MB_ICONERROR);
}

const TForm1::SpriteSheet TForm1::kSpriteSheets[kSpriteSheetCount] = {
#define CARPEX_SHEET_ENTRY(Field, Resource, English) {&TForm1::Field, Resource, English},
    CARPEX_SPRITE_SHEETS(CARPEX_SHEET_ENTRY)
#undef CARPEX_SHEET_ENTRY
};

// The sheets first (the last loaded first), then the backgrounds and the
// chain, the device last.
void TForm1::EmptySurfaceSet() {
  for (int i = kSpriteSheetCount - 1; i >= 0; --i) (this->*kSpriteSheets[i].Field).Reset();
  PlayFieldBackground.Reset();
  CleanBackground.Reset();
  BackBuffer.Reset();
  PrimarySurface.Reset();
  DirectDrawDevice.Reset();
}

bool TForm1::SetUpDisplay() {
  // A missing library or entry point fails like the creation it prevents.
  if (DirectDraw::DirectDrawCreateEx == nullptr) {
    ReportError(DDERR_NOTFOUND, "directdrawcreateex");
    return false;
  }
  HRESULT r =
      DirectDraw::DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(DirectDrawDevice.Out()),
                                     DirectDraw::IID_IDirectDraw7, nullptr);
  if (r != DD_OK || !DirectDrawDevice) {
    ReportError(r, "directdrawcreateex");
    return false;
  }
  r = DirectDrawDevice->SetCooperativeLevel(static_cast<HWND>(App.WindowHandle()),
                                            DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
  if (r != DD_OK) {
    ReportError(r, "setcooperativelevel");
    return false;
  }
  r = DirectDrawDevice->SetDisplayMode(kScreenWidth, kScreenHeight, kScreenDepth, 0, 0);
  if (r != DD_OK) {
    ReportError(r, "setdisplaymode");
    return false;
  }

  DDSURFACEDESC2 primary{};
  primary.dwSize = sizeof primary;
  primary.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  primary.dwBackBufferCount = 1;
  primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  r = DirectDrawDevice->CreateSurface(&primary, PrimarySurface.Out(), nullptr);
  if (r != DD_OK) {
    ReportError(r, "create primary surface");
    return false;
  }
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  r = PrimarySurface->GetAttachedSurface(&caps, BackBuffer.Out());
  if (r != DD_OK) {
    ReportError(r, "getattachedsurface");
    return false;
  }
  if (!MakeBackground(CleanBackground)) return false;

  // From here on a failure is reported and the chain goes on.

  LevelChoiceWidth = kLevelChoiceWidth;
  LevelChoiceHeight = kLevelChoicePlacingHeight;
  LevelChoiceX = (kScreenWidth - LevelChoiceWidth) / 2;
  LevelChoiceY = (kScreenHeight - LevelChoiceHeight) / 4;
  for (const SpriteSheet& sheet : kSpriteSheets) {
    Ref<IDirectDrawSurface7>& surface = this->*sheet.Field;
    // Only the building sheet's own width may give the styles: a sheet that
    // failed would otherwise leave the level-choice picture's count, styles
    // the sheet has not.
    const bool styles = &surface == &BuildingSheet;
    if (styles) LastFrameCount = 0;
    LoadSprite(PictureOf(sheet), surface);
    if (styles) W.StyleCount = static_cast<uint8_t>(LastFrameCount);
  }
  return true;
}

void TForm1::LoadSprite(const char* Name, Ref<IDirectDrawSurface7>& Sheet) {
  // The picture's size and its top-left colour, read through GDI.
  const ddutil::OwnedBitmap bitmap(static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), Name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  Sheet.Reset();
  if (!bitmap) {
    ReportError(kPictureNotLoaded, "ddloadbitmap");
    return;
  }
  BITMAP info{};
  GetObjectA(bitmap.Get(), sizeof info, &info);
  COLORREF topLeft = 0;
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    HGDIOBJ previous = SelectObject(dc, bitmap.Get());
    topLeft = GetPixel(dc, 0, 0);
    SelectObject(dc, previous);
    DeleteDC(dc);
  }
  const int32_t width = info.bmWidth;
  const int32_t height = info.bmHeight;

  // The trial surface only decides whether the sheet fits in video memory; the
  // loaded surface that replaces it asks for no particular memory.
  DDSURFACEDESC2 trial =
      ddutil::OffscreenDesc(static_cast<DWORD>(width), static_cast<DWORD>(height),
                            DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  HRESULT r = DirectDrawDevice ? DirectDrawDevice->CreateSurface(&trial, Sheet.Out(), nullptr)
                               : DDERR_INVALIDOBJECT;
  if (r != DD_OK) {
    ReportError(r, "create particle surface");
    return;
  }
  Sheet.Assign(ddutil::LoadBitmapSurface(DirectDrawDevice.Get(), Name, width, height));
  if (!Sheet) {
    ReportError(kPictureNotLoaded, "ddloadbitmap");
    return;
  }
  const COLORREF key = RGB(GetRValue(topLeft), GetGValue(topLeft), GetBValue(topLeft));
  r = ddutil::SetSurfaceColorKey(Sheet.Get(), key);
  if (FAILED(r)) {
    ReportError(r, "ddsetcolorkey");
    return;
  }
  LastFrameCount = width / kCell;
}

void TForm1::UsePictures(Language Chosen) {
  if (Chosen == Pictures) return;
  Pictures = Chosen;
  // The twins have the sheet's size and key colour: the new picture goes into
  // the surface there is. One that cannot take it now, lost with the display,
  // gets it from RestoreAll.
  for (const SpriteSheet& sheet : kSpriteSheets) {
    IDirectDrawSurface7* surface = (this->*sheet.Field).Get();
    if (surface != nullptr && std::strcmp(sheet.Resource, sheet.English) != 0) {
      ddutil::ReloadBitmap(surface, PictureOf(sheet));
    }
  }
}

bool TForm1::RebuildPlayField() {
  PlayFieldBackground.Reset();
  // Without a device there is no picture to keep; the round still runs.
  if (!DirectDrawDevice) return true;
  return MakeBackground(PlayFieldBackground);
}

bool TForm1::MakeBackground(Ref<IDirectDrawSurface7>& Background) {
  DDSURFACEDESC2 desc = ddutil::OffscreenDesc(kScreenWidth, kScreenHeight, DDSCAPS_OFFSCREENPLAIN);
  const HRESULT r = DirectDrawDevice->CreateSurface(&desc, Background.Out(), nullptr);
  if (r != DD_OK) {
    ReportError(r, "create particle surface");
    return false;
  }
  // The picture replaces the surface just made; a picture that cannot be loaded
  // is reported and leaves the field empty.
  Background.Assign(ddutil::LoadBitmapSurface(DirectDrawDevice.Get(), kBackgroundPicture,
                                              kScreenWidth, kScreenHeight));
  if (!Background) ReportError(kPictureNotLoaded, "ddloadbitmap");
  return true;
}

void TForm1::FormDestroy() {
  if (!DirectDrawDevice) return;
  EmptySurfaceSet();
}

}  // namespace carpex
