#include "platform/sdl/sdl_app.h"

#include <cstdio>

#include "assets/form_description.h"
#include "platform/sdl/icon.h"
#include "platform/sdl/keys.h"
#include "platform/sdl/pixel_font.h"
#include "platform/sdl/x11_errors.h"
#include "platform/soft/control.h"
#include "platform/soft/resources.h"

namespace carpex::sdl {

namespace {

// The form's designed caption, place and size (the window then covers the
// desktop), from its description; these if that cannot be read.
FormDescription DesignedForm() {
  FormDescription form;
  form.Caption = "Form1";
  form.Left = 403;
  form.Top = 213;
  form.ClientWidth = 559;
  form.ClientHeight = 368;
  if (const soft::Resource* res = soft::FindEmbedded("RCDATA", "TFORM1")) {
    FormDescription read;
    if (ParseFormDescription(reinterpret_cast<const char*>(res->data), res->size, &read, nullptr) &&
        read.ClientWidth > 0 && read.ClientHeight > 0) {
      form = read;
    }
  }
  return form;
}

constexpr uint32_t kTimerIntervalMs = 1000;
// clBtnFace of the classic Windows scheme, behind clWindowText (black).
constexpr SDL_Color kTextBackground = {212, 208, 200, 255};
constexpr SDL_Color kTextColour = {0, 0, 0, 255};

constexpr uint32_t kMbIconMask = 0xF0;
constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconWarning = 0x30;

void SetWindowIcon(SDL_Window* Window) {
  const soft::Resource* res = soft::FindEmbedded("ICON", "MAINICON");
  IconImage icon;
  if (res == nullptr || !DecodeIcon(res->data, res->size, 32, &icon)) return;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      icon.Argb.data(), icon.Width, icon.Height, 32, icon.Width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (surface == nullptr) return;
  SDL_SetWindowIcon(Window, surface);  // SDL keeps its own copy
  SDL_FreeSurface(surface);
}

}  // namespace

std::string UnixLineBreaks(const char* Text) {
  std::string out;
  for (const char* p = Text; p != nullptr && *p != '\0'; ++p) {
    if (*p == '\r') {
      out += '\n';
      if (p[1] == '\n') ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

uint32_t MessageBoxKind(uint32_t Flags) {
  switch (Flags & kMbIconMask) {
    case kMbIconError:
      return SDL_MESSAGEBOX_ERROR;
    case kMbIconWarning:
      return SDL_MESSAGEBOX_WARNING;
    case kMbIconQuestion:
    default:
      return SDL_MESSAGEBOX_INFORMATION;
  }
}

std::unique_ptr<SdlApp> SdlApp::Create(std::string* Error) {
  std::unique_ptr<SdlApp> app(new SdlApp());
  auto fail = [&](const char* what) {
    if (Error != nullptr) *Error = std::string(what) + ": " + SDL_GetError();
    return nullptr;
  };
  // The game minimises itself when it loses the focus; SDL must not as well.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");

  const FormDescription form = DesignedForm();
  app->window_ = SDL_CreateWindow(
      form.Caption.c_str(), form.Left, form.Top, form.ClientWidth, form.ClientHeight,
      SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (app->window_ == nullptr) return fail("cannot create the window");
  TolerateX11Errors();
  // The flip waits for the display's refresh where there is one.
  app->renderer_ = SDL_CreateRenderer(app->window_, -1, SDL_RENDERER_PRESENTVSYNC);
  if (app->renderer_ == nullptr) app->renderer_ = SDL_CreateRenderer(app->window_, -1, 0);
  if (app->renderer_ == nullptr) return fail("cannot draw into the window");
  app->picture_ = SDL_CreateTexture(app->renderer_, SDL_PIXELFORMAT_RGB565,
                                    SDL_TEXTUREACCESS_STREAMING, kPictureWidth, kPictureHeight);
  if (app->picture_ == nullptr) return fail("cannot make the picture's texture");

  SetWindowIcon(app->window_);
  SDL_ShowCursor(SDL_DISABLE);
  // Characters come from the key events, as Windows' message translation
  // makes them, not from the input method.
  SDL_StopTextInput();
  SdlApp* self = app.get();
  soft::SetFlipHook([self](const soft::PixelView& Front) { self->OnFlip(Front); });
  return app;
}

SdlApp::~SdlApp() {
  soft::SetFlipHook({});
  if (picture_ != nullptr) SDL_DestroyTexture(picture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
}

void SdlApp::Minimize() {
  if (minimized_) return;
  minimized_ = true;
  SDL_MinimizeWindow(window_);
  // As exclusive full-screen DirectDraw does for a program switched away from.
  soft::Deactivate();
}

void SdlApp::Maximize() {
  if (hidden_) return;
  SDL_RestoreWindow(window_);
  SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  SDL_RaiseWindow(window_);
}

void SdlApp::Hide() {
  hidden_ = true;
  SDL_HideWindow(window_);
}

void SdlApp::TextOut(int32_t X, int32_t Y, const char* Text) {
  // Text stays on the window until the next flip covers it.
  Overlay& o = overlays_[overlay_count_ < kMaxOverlays ? overlay_count_++ : kMaxOverlays - 1];
  o.X = X;
  o.Y = Y;
  std::snprintf(o.Text, sizeof o.Text, "%s", Text != nullptr ? Text : "");
  needs_present_ = true;
}

void SdlApp::MessageBox(const char* Text, const char* Caption, uint32_t Flags) {
  const std::string text = UnixLineBreaks(Text);
  const char* caption = Caption != nullptr ? Caption : "";
  std::fprintf(stderr, "%s: %s\n", caption, text.c_str());
  if (quiet_boxes_) return;
  // The window is still hidden while the display is being set up; a box tied
  // to a hidden window may never show.
  SDL_Window* parent = hidden_ ? nullptr : window_;
  box_opened_ = SDL_GetTicks();
  SDL_ShowSimpleMessageBox(MessageBoxKind(Flags), caption, text.c_str(), parent);
  box_closed_ = SDL_GetTicks();
}

uint32_t SdlApp::ClockSeed() {
  return static_cast<uint32_t>(SDL_GetPerformanceCounter());
}

void SdlApp::Run(FormHandlers& Form) {
  form_ = &Form;
  hidden_ = false;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  next_tick_ = SDL_GetTicks64() + kTimerIntervalMs;

  while (!terminated_) {
    if (HandleOneMessage(true)) continue;
    bool done = true;
    Form.GameLoop(done);
    // One picture per frame, with the text written after the flip.
    if (needs_present_) Present();
    if (done && !terminated_ && posted_.empty()) {
      const uint64_t now = SDL_GetTicks64();
      const int wait = next_tick_ > now ? static_cast<int>(next_tick_ - now) : 0;
      SDL_WaitEventTimeout(nullptr, wait);
    }
  }
  // The loop ends once the messages already queued have been handled.
  SDL_PumpEvents();
  while (HandleOneMessage(false)) {
  }
  form_ = nullptr;
}

bool SdlApp::HandleOneMessage(bool Pump) {
  if (!posted_.empty()) {
    const Posted m = posted_.front();
    posted_.pop_front();
    if (m.kind == Posted::Char) {
      uint8_t key = m.character;
      form_->FormKeyPress(key);
    } else {
      form_->ApplicationEvents1Deactivate();
    }
    return true;
  }
  SDL_Event event;
  const bool got =
      Pump ? SDL_PollEvent(&event) == 1
           : SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1;
  if (got) {
    HandleEvent(event);
    return true;
  }
  if (!Pump) return false;
  // Like WM_TIMER: made when nothing else is waiting, and never piled up.
  const uint64_t now = SDL_GetTicks64();
  if (now < next_tick_) return false;
  next_tick_ += kTimerIntervalMs;
  if (next_tick_ <= now) next_tick_ = now + kTimerIntervalMs;
  form_->Timer1Timer();
  return true;
}

void SdlApp::HandleEvent(const SDL_Event& Event) {
  switch (Event.type) {
    case SDL_KEYDOWN: {
      const uint16_t vk = VirtualKey(Event.key.keysym);
      if (vk == 0) break;
      // The character is made before the key-down is handled and arrives after it.
      if (const auto ch = TypedCharacter(vk, Event.key.keysym.mod)) {
        posted_.push_back(Posted{Posted::Char, *ch});
      }
      uint16_t key = vk;
      form_->FormKeyDown(key);
      break;
    }
    case SDL_KEYUP: {
      uint16_t key = VirtualKey(Event.key.keysym);
      if (key != 0) form_->FormKeyUp(key);
      break;
    }
    case SDL_WINDOWEVENT:
      switch (Event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST:
          // The program's own message box takes the focus from the window, but
          // the program stays the active one, as on Windows.
          if (Event.window.timestamp >= box_opened_ && Event.window.timestamp <= box_closed_) {
            break;
          }
          // The application learns of it now and tells the form between frames.
          posted_.push_back(Posted{Posted::Deactivate, 0});
          break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          RestoreFromMinimized();
          break;
        case SDL_WINDOWEVENT_CLOSE:
          CloseWindow();
          break;
        default:
          break;
      }
      break;
    case SDL_QUIT:
      CloseWindow();
      break;
    default:
      break;
  }
}

void SdlApp::RestoreFromMinimized() {
  // Only a restore from the minimised state is an event for the game.
  if (!minimized_) return;
  minimized_ = false;
  soft::Activate();
  form_->ApplicationEvents1Restore();
}

void SdlApp::CloseWindow() {
  // What the form's Close does: FormClose hides it, and closing the main form
  // ends the application.
  Hide();
  Terminate();
}

void SdlApp::OnFlip(const soft::PixelView& Front) {
  overlay_count_ = 0;  // the new picture covers any text
  if (Front.pixels != nullptr && Front.width == kPictureWidth && Front.height == kPictureHeight) {
    picture_ready_ = SDL_UpdateTexture(picture_, nullptr, Front.pixels, Front.pitch) == 0;
  }
  needs_present_ = true;
}

void SdlApp::Present() {
  needs_present_ = false;
  int w = 0;
  int h = 0;
  if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0) return;
  const Placement where = PlacePicture(w, h);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (picture_ready_) {
    const SDL_Rect dest{where.X, where.Y, where.Width, where.Height};
    SDL_RenderCopy(renderer_, picture_, nullptr, &dest);
  }
  for (int i = 0; i < overlay_count_; ++i) DrawOverlay(overlays_[i], where);
  SDL_RenderPresent(renderer_);
  ++presents_;
}

void SdlApp::DrawOverlay(const Overlay& Text, const Placement& Where) {
  // Window pixels, at the picture's scale, so the text keeps its size on the
  // picture as on the 640 x 480 screen it was made for.
  const int s = Where.Scale;
  const SDL_Rect box{Text.X * s, Text.Y * s, TextWidth(Text.Text) * s, kCellHeight * s};
  SDL_SetRenderDrawColor(renderer_, kTextBackground.r, kTextBackground.g, kTextBackground.b,
                         kTextBackground.a);
  SDL_RenderFillRect(renderer_, &box);

  constexpr int kMaxRuns = 32 * kCellHeight * 3;
  InkRun runs[kMaxRuns];
  SDL_Rect rects[kMaxRuns];
  const int n = TextInk(Text.Text, runs, kMaxRuns);
  for (int i = 0; i < n; ++i) {
    rects[i] = SDL_Rect{box.x + runs[i].X * s, box.y + runs[i].Y * s, runs[i].Width * s, s};
  }
  SDL_SetRenderDrawColor(renderer_, kTextColour.r, kTextColour.g, kTextColour.b, kTextColour.a);
  SDL_RenderFillRects(renderer_, rects, n);
}

}  // namespace carpex::sdl
