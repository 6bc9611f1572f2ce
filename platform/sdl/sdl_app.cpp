#include "platform/sdl/sdl_app.h"

#include <algorithm>
#include <cstdio>

#include "graphics/soft/control.h"
#include "graphics/soft/resources.h"
#include "platform/sdl/icon.h"
#include "platform/sdl/keys.h"
#include "platform/sdl/x11_errors.h"

namespace carpex::sdl {

namespace {

// What the window, the task bar and Alt+Tab call the game.
constexpr char kGameName[] = "Carpex";

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

std::string WindowTitle(bool Windowed, const common::GameView& View, int Pads, uint8_t Choice) {
  std::string title = kGameName;
  const bool pad = Pads > 0;
  const std::string level = std::to_string(Choice);
  if (!Windowed) {
    if (pad) title += " (gamepad: A starts level " + level + ")";
    return title;
  }
  if (View.LevelScreen) {
    title +=
        pad ? ": 0-9 choose a level (gamepad: A starts level " + level + "), Escape or Back quits"
            : ": 0-9 choose a level, Escape quits";
  } else if (View.RoundOver) {
    title +=
        pad ? ": Escape or Back: back to the level choice" : ": Escape: back to the level choice";
  } else {
    title += pad ? ": Space, Down or A drops the bomb, Escape or Back leaves the round"
                 : ": Space or Down drops the bomb, Escape leaves the round";
  }
  return title;
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

std::unique_ptr<SdlApp> SdlApp::Create(std::string* Error, const common::Settings& Start) {
  std::unique_ptr<SdlApp> app(new SdlApp());
  auto fail = [&](const char* What) {
    if (Error != nullptr) *Error = std::string(What) + ": " + SDL_GetError();
    return nullptr;
  };
  // The game pauses when it loses the focus; SDL must not minimise it.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // The picture goes straight into the window's own memory (shared with the X
  // server): a renderer on a software GL would clear and draw the whole screen
  // every frame, and one that waits for the display's refresh would halve the
  // game's speed after its 16 ms sleep.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && SDL_strcmp(driver, "x11") == 0) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");

  if (common::UsableWindowSize(Start.WindowWidth, Start.WindowHeight)) {
    app->window_w_ = Start.WindowWidth;
    app->window_h_ = Start.WindowHeight;
  }
  app->windowed_ = Start.Presentation == common::Show::Window;
  // Placed and sized as the screen, so that it covers it also where no window
  // manager makes it full screen.
  SDL_Rect screen{0, 0, common::kPictureWidth, common::kPictureHeight};
  SDL_GetDisplayBounds(0, &screen);
  app->window_ = SDL_CreateWindow(kGameName, screen.x, screen.y, screen.w, screen.h,
                                  SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
  if (app->window_ == nullptr) return fail("cannot create the window");
  TolerateX11Errors();
  // On X11 the game asks the window manager for full screen itself, and SDL
  // never learns of it: SDL would wait for the manager on every restore.
  app->x11_ = X11Window::For(app->window_);
  if (app->windowed_) {
    app->FrameWindow(false);
  } else if (app->x11_ != nullptr) {
    app->x11_->SetFullScreen(true, false);
  } else {
    SDL_SetWindowFullscreen(app->window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  SDL_Window* window = app->window_;
  app->state_ = [window] {
    return WindowState{SDL_GetKeyboardFocus() == window,
                       (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0};
  };
  if (SDL_GetWindowSurface(app->window_) == nullptr) return fail("cannot draw into the window");

  SetWindowIcon(app->window_);
  SDL_ShowCursor(SDL_DISABLE);
  // Characters come from the key events, as Windows' message translation
  // makes them, not from the input method.
  SDL_StopTextInput();
  // Without game controllers the game is played from the keyboard as ever.
  app->controllers_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  SdlApp* self = app.get();
  soft::SetFlipHook([self](const soft::PixelView& Front) { self->OnFlip(Front); });
  return app;
}

SdlApp::~SdlApp() {
  soft::SetFlipHook({});
  if (controllers_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
}

void SdlApp::Minimize() {
  // The display was never switched, so there is nothing to give back: the
  // game pauses (the form stops its frames) and the window stays where it is,
  // so that a click on another monitor does not hide the game.
  activation_.Minimize();
}

void SdlApp::Maximize() {
  if (hidden_) return;
  // Only a window still minimised is restored: SDL's restore of one that is
  // shown waits up to a second for the window manager to change it.
  if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0) SDL_RestoreWindow(window_);
  if (!windowed_) {
    if (x11_ != nullptr) {
      x11_->SetFullScreen(true, true);
    } else {
      SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
  }
  SDL_RaiseWindow(window_);
  if (x11_ != nullptr) x11_->Flush();
}

// A framed window of the remembered size, centred on the screen it is on.
void SdlApp::FrameWindow(bool Shown) {
  SDL_Rect screen{0, 0, common::kPictureWidth, common::kPictureHeight};
  SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window_), 0), &screen);
  const int w = std::min(window_w_, std::max(screen.w, common::kPictureWidth));
  const int h = std::min(window_h_, std::max(screen.h, common::kPictureHeight));
  const SDL_Rect place{screen.x + (screen.w - w) / 2, screen.y + (screen.h - h) / 2, w, h};
  if (x11_ != nullptr) {
    // All asked at once, none waited for: the switch costs no frame.
    x11_->SetFullScreen(false, Shown);
    x11_->SetFramed(true, common::kPictureWidth, common::kPictureHeight);
    x11_->Place(place);
    x11_->Flush();
  } else {
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowBordered(window_, SDL_TRUE);
    SDL_SetWindowResizable(window_, SDL_TRUE);
    SDL_SetWindowMinimumSize(window_, common::kPictureWidth, common::kPictureHeight);
    SDL_SetWindowSize(window_, w, h);
    SDL_SetWindowPosition(window_, place.x, place.y);
  }
}

void SdlApp::SetWindowed(bool Windowed) {
  if (windowed_ && !Windowed) SDL_GetWindowSize(window_, &window_w_, &window_h_);
  windowed_ = Windowed;
  if (Windowed) {
    FrameWindow(true);
  } else {
    SDL_Rect screen{0, 0, common::kPictureWidth, common::kPictureHeight};
    SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window_), 0), &screen);
    if (x11_ != nullptr) {
      x11_->SetFramed(false, 0, 0);
      x11_->Place(screen);
      x11_->SetFullScreen(true, true);
      x11_->Flush();
    } else {
      SDL_SetWindowResizable(window_, SDL_FALSE);
      SDL_SetWindowBordered(window_, SDL_FALSE);
      SDL_SetWindowPosition(window_, screen.x, screen.y);
      SDL_SetWindowSize(window_, screen.w, screen.h);
      SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
  }
  presenter_.Redraw();
  needs_present_ = true;
  ShowTitle();
}

common::Settings SdlApp::Remembered() {
  if (windowed_) SDL_GetWindowSize(window_, &window_w_, &window_h_);
  common::Settings values;
  values.Presentation = windowed_ ? common::Show::Window : common::Show::FullScreen;
  if (common::UsableWindowSize(window_w_, window_h_)) {
    values.WindowWidth = window_w_;
    values.WindowHeight = window_h_;
  }
  return values;
}

void SdlApp::Hide() {
  hidden_ = true;
  SDL_HideWindow(window_);
}

void SdlApp::WriteText(int32_t X, int32_t Y, const char* Text) {
  // Text stays on the window until the next flip covers it.
  presenter_.AddText(X, Y, Text);
  needs_present_ = true;
}

void SdlApp::ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) {
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
  // Told to end before it ran (the display could not be set up): nothing shows.
  if (!loop_.Terminated()) {
    hidden_ = false;
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
  }
  TellOnServerGone(&Form);
  loop_.Run(Form, *this);
  TellOnServerGone(nullptr);
}

bool SdlApp::HandleSystemEvent(bool Draining) {
  SDL_Event event;
  const bool got = Draining
                       ? SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1
                       : SDL_PollEvent(&event) == 1;
  if (got) HandleEvent(event);
  return got;
}

void SdlApp::AfterFrame() {
  // One picture per frame, with the text written after the flip.
  if (needs_present_) Present();
  if (pads_.Count() > 0) pads_.ChooseLevelPlayed(View());
  ShowTitle();
}

void SdlApp::Wait(double Milliseconds) {
  SDL_WaitEventTimeout(nullptr, static_cast<int>(Milliseconds));
}

bool SdlApp::SwitchKey(const SDL_Event& Event) {
  const SDL_Keysym& key = Event.key.keysym;
  if (key.sym != SDLK_RETURN && key.sym != SDLK_KP_ENTER) return false;
  if (Event.type == SDL_KEYUP) {
    const bool mine = enter_held_for_switch_;
    enter_held_for_switch_ = false;
    return mine;
  }
  if ((key.mod & KMOD_ALT) == 0 || (key.mod & (KMOD_CTRL | KMOD_GUI)) != 0) return false;
  if (Event.key.repeat == 0) SetWindowed(!windowed_);
  enter_held_for_switch_ = true;
  return true;
}

void SdlApp::HandleEvent(const SDL_Event& Event) {
  if ((Event.type == SDL_KEYDOWN || Event.type == SDL_KEYUP) && SwitchKey(Event)) return;
  switch (Event.type) {
    case SDL_KEYDOWN: {
      const uint16_t vk = VirtualKey(Event.key.keysym);
      if (vk == 0) break;
      // The character is made before the key-down is handled and arrives after it.
      if (const auto ch = TypedCharacter(vk, Event.key.keysym.mod)) {
        loop_.Post({FormEvent::Char, *ch});
      }
      loop_.Deliver({FormEvent::KeyDown, vk});
      break;
    }
    case SDL_KEYUP: {
      const uint16_t vk = VirtualKey(Event.key.keysym);
      if (vk != 0) loop_.Deliver({FormEvent::KeyUp, vk});
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
          PostFocus(FormEvent::Deactivate);
          break;
        case SDL_WINDOWEVENT_MINIMIZED:
          PostFocus(FormEvent::Deactivate);
          break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          PostFocus(FormEvent::Restore);
          break;
        case SDL_WINDOWEVENT_CLOSE:
          CloseWindow();
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_EXPOSED:
          // The window's surface is made anew at its size, or what was on the
          // screen is gone: all of the picture goes there again.
          presenter_.Redraw();
          needs_present_ = true;
          break;
        default:
          break;
      }
      break;
    case SDL_QUIT:
      CloseWindow();
      break;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      HandleController(Event);
      break;
    default:
      break;
  }
}

void SdlApp::HandleController(const SDL_Event& Event) {
  if (Event.type == SDL_CONTROLLERDEVICEADDED) {
    // Closed when it goes, or by SDL when the game controllers are shut down.
    SDL_GameController* pad = SDL_GameControllerOpen(Event.cdevice.which);
    if (pad == nullptr) return;
    pads_.Update(SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)), 0, View());
    ShowTitle();
    return;
  }
  if (Event.type == SDL_CONTROLLERDEVICEREMOVED) {
    Post(pads_.Remove(Event.cdevice.which, View()));
    if (SDL_GameController* pad = SDL_GameControllerFromInstanceID(Event.cdevice.which)) {
      SDL_GameControllerClose(pad);
    }
    ShowTitle();
    return;
  }
  constexpr struct {
    uint8_t Sdl;
    common::PadButton Pad;
  } kButtons[] = {{SDL_CONTROLLER_BUTTON_A, common::kPadA},
                  {SDL_CONTROLLER_BUTTON_BACK, common::kPadBack},
                  {SDL_CONTROLLER_BUTTON_DPAD_DOWN, common::kPadDown},
                  {SDL_CONTROLLER_BUTTON_DPAD_LEFT, common::kPadLeft},
                  {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, common::kPadRight}};
  for (const auto& b : kButtons) {
    if (b.Sdl != Event.cbutton.button) continue;
    Post(pads_.Set(Event.cbutton.which, b.Pad, Event.type == SDL_CONTROLLERBUTTONDOWN, View()));
    ShowTitle();
  }
}

void SdlApp::SetTitle(std::string Title) {
  if (Title == title_) return;
  title_ = std::move(Title);
  SDL_SetWindowTitle(window_, title_.c_str());
}

void SdlApp::ShowTitle() {
  if (!title_.empty()) return;
  const common::GameView view = View();
  const int pads = pads_.Count();
  // A new title only when it says something new: a frame makes none. In full
  // screen the title says only the gamepad's level.
  int key = windowed_ ? 1 : 0;
  if (windowed_) key |= (view.LevelScreen ? 2 : 0) | (view.RoundOver ? 4 : 0);
  if (pads > 0) key |= 8 | pads_.Choice() << 4;
  if (key == title_key_) return;
  title_key_ = key;
  SDL_SetWindowTitle(window_, WindowTitle(windowed_, view, pads, pads_.Choice()).c_str());
}

void SdlApp::Focus(FormEvent::Kind, FormHandlers& Form) {
  // Whatever the window system has sent by now is taken in first: a focus
  // loss followed by a return within a frame is no switch away at all.
  SDL_PumpEvents();
  const WindowState now = state_();
  activation_.HandleFocus(now.Focused && !now.Minimized, Form);
}

void SdlApp::CloseWindow() {
  // What the form's Close does: FormClose hides it, and closing the main form
  // ends the application.
  Hide();
  Terminate();
}

void SdlApp::OnFlip(const soft::PixelView& Front) {
  pace_.Begin();
  presenter_.Accept(Front);
  needs_present_ = true;
  pace_.End();
}

void SdlApp::Present() {
  pace_.Begin();
  needs_present_ = false;
  const SDL_Rect* rects = nullptr;
  const int n = presenter_.Compose(SDL_GetWindowSurface(window_), &rects);
  if (n > 0) SDL_UpdateWindowSurfaceRects(window_, rects, n);
  ++presents_;
  pace_.End();
  pace_.Presented();
}

}  // namespace carpex::sdl
