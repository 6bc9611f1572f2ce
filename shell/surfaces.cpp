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
  if (DirectDrawDevice) App.DisplayClosing();
  for (int i = kSpriteSheetCount - 1; i >= 0; --i) (this->*kSpriteSheets[i].Field).Reset();
  PlayFieldBackground.Reset();
  CleanBackground.Reset();
  BackBuffer.Reset();
  PrimarySurface.Reset();
  DirectDrawDevice.Reset();
}

const DDPIXELFORMAT* TForm1::SurfaceFormat() const {
  // On the desktop the surfaces keep the exclusive display's 16 bits, so that
  // the picture is the same in every presentation; the application converts
  // the finished frame to the desktop's format.
  return Windowed ? &ddutil::Rgb565() : nullptr;
}

bool TForm1::OpenDisplay() {
  bool refused = false;
  if (SetUpDisplay(&refused)) return true;
  // The player has seen why the display could not be had whole; where the
  // application can show the game without a mode switch, it goes on so.
  if (!refused) return false;
  EmptySurfaceSet();
  return App.LeaveExclusive(true) && SetUpDisplay(nullptr);
}

bool TForm1::SetUpDisplay(bool* Refused) {
  Windowed = App.DisplayPresentation() == Presentation::Windowed;
  // A missing library or entry point fails like the creation it prevents.
  if (DirectDraw::DirectDrawCreateEx == nullptr) {
    ReportError(DDERR_NOTFOUND, "directdrawcreateex");
    return false;
  }
  const HRESULT r =
      DirectDraw::DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(DirectDrawDevice.Out()),
                                     DirectDraw::IID_IDirectDraw7, nullptr);
  if (r != DD_OK || !DirectDrawDevice) {
    ReportError(r, "directdrawcreateex");
    return false;
  }
  if (!(Windowed ? ShareDesktop() : TakeDisplay())) {
    if (Refused != nullptr) *Refused = !Windowed;
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

bool TForm1::TakeDisplay() {
  HRESULT r = DirectDrawDevice->SetCooperativeLevel(static_cast<HWND>(App.WindowHandle()),
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
  return true;
}

bool TForm1::ShareDesktop() {
  HRESULT r =
      DirectDrawDevice->SetCooperativeLevel(static_cast<HWND>(App.WindowHandle()), DDSCL_NORMAL);
  if (r != DD_OK) {
    ReportError(r, "setcooperativelevel");
    return false;
  }
  // The desktop's own primary surface, without a chain: the frames are
  // composed in a back buffer of the game's own and handed to the application.
  DDSURFACEDESC2 primary{};
  primary.dwSize = sizeof primary;
  primary.dwFlags = DDSD_CAPS;
  primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  r = DirectDrawDevice->CreateSurface(&primary, PrimarySurface.Out(), nullptr);
  if (r != DD_OK) {
    ReportError(r, "create primary surface");
    return false;
  }
  DDSURFACEDESC2 back =
      ddutil::OffscreenDesc(kScreenWidth, kScreenHeight, DDSCAPS_OFFSCREENPLAIN, SurfaceFormat());
  r = DirectDrawDevice->CreateSurface(&back, BackBuffer.Out(), nullptr);
  if (r != DD_OK) {
    ReportError(r, "create particle surface");
    return false;
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
  // loaded surface that replaces it asks for no particular memory. On the
  // desktop the sheets live in system memory, and the trial is made there:
  // video memory would refuse them for no reason (some displays have none).
  DDSURFACEDESC2 trial =
      ddutil::OffscreenDesc(static_cast<DWORD>(width), static_cast<DWORD>(height),
                            DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY, SurfaceFormat());
  HRESULT r = DirectDrawDevice ? DirectDrawDevice->CreateSurface(&trial, Sheet.Out(), nullptr)
                               : DDERR_INVALIDOBJECT;
  if (r != DD_OK) {
    ReportError(r, "create particle surface");
    return;
  }
  Sheet.Assign(
      ddutil::LoadBitmapSurface(DirectDrawDevice.Get(), Name, width, height, SurfaceFormat()));
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
  DDSURFACEDESC2 desc =
      ddutil::OffscreenDesc(kScreenWidth, kScreenHeight, DDSCAPS_OFFSCREENPLAIN, SurfaceFormat());
  const HRESULT r = DirectDrawDevice->CreateSurface(&desc, Background.Out(), nullptr);
  if (r != DD_OK) {
    ReportError(r, "create particle surface");
    return false;
  }
  // The picture replaces the surface just made; a picture that cannot be loaded
  // is reported and leaves the field empty.
  Background.Assign(ddutil::LoadBitmapSurface(DirectDrawDevice.Get(), kBackgroundPicture,
                                              kScreenWidth, kScreenHeight, SurfaceFormat()));
  if (!Background) ReportError(kPictureNotLoaded, "ddloadbitmap");
  return true;
}

void TForm1::FormDestroy() {
  if (!DirectDrawDevice) return;
  EmptySurfaceSet();
}

}  // namespace carpex
