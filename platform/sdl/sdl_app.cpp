#include "platform/sdl/sdl_app.h"

#include <algorithm>
#include <cstdio>

#include "assets/form_description.h"
#include "graphics/soft/control.h"
#include "graphics/soft/resources.h"
#include "platform/sdl/icon.h"
#include "platform/sdl/keys.h"
#include "platform/sdl/x11_errors.h"
#include "world/keys.h"

namespace carpex::sdl {

namespace {

// What the window, the task bar and Alt+Tab call the game.
constexpr char kGameName[] = "Carpex";

// An X server elsewhere (DISPLAY names a host: ssh's forwarding among them),
// where GL would go over the network.
bool RemoteDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* display = SDL_getenv("DISPLAY");
  if (driver == nullptr || SDL_strcmp(driver, "x11") != 0 || display == nullptr) return false;
  const char* colon = SDL_strchr(display, ':');
  if (colon == nullptr || colon == display || *display == '/') return false;
  return SDL_strncmp(display, "unix:", 5) != 0;
}

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

std::unique_ptr<SdlApp> SdlApp::Create(std::string* Error, const common::Settings& Start) {
  std::unique_ptr<SdlApp> app(new SdlApp());
  auto fail = [&](const char* What) {
    if (Error != nullptr) *Error = std::string(What) + ": " + SDL_GetError();
    return nullptr;
  };
  // The game pauses when it loses the focus; SDL must not minimise it.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");

  if (common::UsableWindowSize(Start.WindowWidth, Start.WindowHeight)) {
    app->window_w_ = Start.WindowWidth;
    app->window_h_ = Start.WindowHeight;
  }
  app->windowed_ = Start.Presentation == common::Show::Window;
  app->legend_hidden_ = Start.LegendHidden;
  app->controls_.SetKeys(Start.Keys);
  app->controls_.SetOneSwitch(Start.OneSwitch);
  app->controls_.SetClick(Start.Click);
  const uint8_t* font = nullptr;
  size_t fontSize = 0;
  if (FindProgramData("LEGENDFONT", &font, &fontSize)) {
    app->legend_font_ = common::LegendFont(font, fontSize);
  }
  // Placed and sized as the screen, so that it covers it also where no window
  // manager makes it full screen.
  SDL_Rect screen{0, 0, common::kPictureWidth, common::kPictureHeight};
  SDL_GetDisplayBounds(0, &screen);
  app->window_ = SDL_CreateWindow(kGameName, screen.x, screen.y, screen.w, screen.h,
                                  SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
  if (app->window_ == nullptr) return fail("cannot create the window");
  TolerateX11Errors();
  // Where drawing is accelerated (a desktop with a graphics card) the picture
  // goes through a renderer that waits for the display's refresh, so that
  // every picture is shown whole. Elsewhere (a virtual or a remote X server,
  // GL drawn by the processor) it goes straight into the window's own memory,
  // shared with the X server: a renderer there would draw the whole screen
  // every frame, and has no refresh to wait for. Decided before anything else
  // is asked of the window, which the renderer may make anew.
  if (!app->UseRenderer()) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && SDL_strcmp(driver, "x11") == 0) {
      SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    // Where SDL makes the window's surface with a renderer of its own, that
    // one waits for nothing.
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    if (SDL_GetWindowSurface(app->window_) == nullptr) {
      return fail("cannot draw into the window");
    }
  }
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
  SetWindowIcon(app->window_);
  SDL_ShowCursor(SDL_DISABLE);
  // Characters come from the key events, as Windows' message translation
  // makes them, not from the input method.
  SDL_StopTextInput();
  // Without game controllers the game is played from the keyboard as ever.
  app->controllers_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  // The X server's own time of each key press, which the probe times keys by.
  if (app->pace_.On()) SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  app->pace_.WaitsForRefresh(app->renderer_ != nullptr);
  SdlApp* self = app.get();
  soft::SetFlipHook([self](const soft::PixelView& Front) { self->OnFlip(Front); });
  return app;
}

SdlApp::~SdlApp() {
  soft::SetFlipHook({});
  if (controllers_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  SDL_FreeSurface(canvas_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
}

bool SdlApp::UseRenderer() {
  // One asked for by name is used whatever it is (how this way is tried on a
  // machine without a graphics card).
  const char* asked = SDL_getenv("SDL_RENDER_DRIVER");
  const bool named = asked != nullptr && *asked != '\0';
  if (!named && RemoteDisplay()) return false;
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "1");
  renderer_ = SDL_CreateRenderer(
      window_, -1, SDL_RENDERER_PRESENTVSYNC | (named ? 0 : SDL_RENDERER_ACCELERATED));
  if (renderer_ == nullptr) return false;
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(renderer_, &info);
  swap_ = SwapWait::For(info.name);
  const bool accelerated =
      (info.flags & SDL_RENDERER_ACCELERATED) != 0 && (swap_ == nullptr || !swap_->Software());
  if (named || accelerated) return true;
  swap_.reset();
  SDL_DestroyRenderer(renderer_);
  renderer_ = nullptr;
  return false;
}

SDL_Surface* SdlApp::Target() {
  if (renderer_ == nullptr) return SDL_GetWindowSurface(window_);
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0 || w <= 0 || h <= 0) return nullptr;
  if (canvas_ == nullptr || canvas_->w != w || canvas_->h != h || texture_ == nullptr) {
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    SDL_FreeSurface(canvas_);
    canvas_ = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    texture_ =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
    presenter_.Redraw();
    if (canvas_ == nullptr || texture_ == nullptr) return nullptr;
  }
  return canvas_;
}

double SdlApp::RefreshMs() {
  SDL_DisplayMode mode{};
  if (SDL_GetWindowDisplayMode(window_, &mode) == 0 && mode.refresh_rate > 0) {
    return 1000.0 / mode.refresh_rate;
  }
  return common::FramePacer::kStepMs;
}

void SdlApp::ScreenSize(int* Width, int* Height) {
  *Width = *Height = 0;
  if (renderer_ != nullptr) {
    SDL_GetRendererOutputSize(renderer_, Width, Height);
  } else if (const SDL_Surface* surface = SDL_GetWindowSurface(window_)) {
    *Width = surface->w;
    *Height = surface->h;
  }
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

// A framed window of the remembered size, or else the picture enlarged by the
// largest whole factor whose window, frame and all, fits the screen's work
// area (as the Windows game's window), centred on the screen it is on.
void SdlApp::FrameWindow(bool Shown) {
  const int display = std::max(SDL_GetWindowDisplayIndex(window_), 0);
  SDL_Rect screen{0, 0, common::kPictureWidth, common::kPictureHeight};
  SDL_GetDisplayBounds(display, &screen);
  SDL_Rect work = screen;
  SDL_GetDisplayUsableBounds(display, &work);
  int w = window_w_, h = window_h_;
  if (w <= 0 || h <= 0) {
    // The window manager tells its frame once the window has one (not in
    // full screen); until then a title bar and thin borders are allowed for.
    int top = 32, left = 8, bottom = 8, right = 8;
    int t = 0, l = 0, b = 0, r = 0;
    if (SDL_GetWindowBordersSize(window_, &t, &l, &b, &r) == 0 && t > 0) {
      top = t, left = l, bottom = b, right = r;
    }
    const int scale = std::max(1, std::min((work.w - left - right) / common::kPictureWidth,
                                           (work.h - top - bottom) / common::kPictureHeight));
    w = common::kPictureWidth * scale;
    h = common::kPictureHeight * scale;
  }
  w = std::min(w, std::max(screen.w, common::kPictureWidth));
  h = std::min(h, std::max(screen.h, common::kPictureHeight));
  const SDL_Rect place{work.x + (work.w - w) / 2, work.y + (work.h - h) / 2, w, h};
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
  UpdateLegend();
}

common::Settings SdlApp::Remembered() {
  if (windowed_) SDL_GetWindowSize(window_, &window_w_, &window_h_);
  common::Settings values;
  values.Presentation = windowed_ ? common::Show::Window : common::Show::FullScreen;
  values.LegendHidden = legend_hidden_;
  values.Speed = speed_;
  values.Keys = controls_.Keys();
  values.OneSwitch = controls_.OneSwitchOn();
  values.Click = controls_.ClickPlays();
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
  if (waited_event_) {
    waited_event_ = false;
    HandleEvent(waited_);
    return true;
  }
  const bool got = Draining
                       ? SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1
                       : SDL_PollEvent(&event) == 1;
  if (got) HandleEvent(event);
  return got;
}

void SdlApp::Sample() {
  Post(controls_.Poll(View()));
}

void SdlApp::Sleep(uint32_t) {
  pace_.SleepBegin();
  pacer_.WaitForStep();
  pace_.SleepEnd();
}

void SdlApp::SetSpeed(uint16_t Percent) {
  // The same steps, further apart: from the next one on.
  speed_ = Percent;
  pacer_.SetPeriod(common::FramePacer::PeriodAt(Percent));
}

double SdlApp::UntilFrame() {
  // The last fraction of a millisecond is slept by the frame itself: an
  // event wait is only as fine as a millisecond.
  const double left = pacer_.DueIn();
  return left >= 1 ? left : 0;
}

void SdlApp::AfterFrame() {
  if (pace_.On()) pace_.FrameDone(View().BombFalling);
  UpdateLegend();
  // One picture per frame, with the text written after the flip.
  if (needs_present_) Present();
}

void SdlApp::Wait(double Milliseconds) {
  if (!waited_event_ && SDL_WaitEventTimeout(&waited_, static_cast<int>(Milliseconds)) == 1) {
    waited_event_ = true;
  }
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
    case SDL_SYSWMEVENT: {
      const double age = X11KeyPressAge(Event);
      if (age >= 0) {
        x_key_pressed_ = std::chrono::steady_clock::now() -
                         std::chrono::microseconds(static_cast<int64_t>(age * 1000));
      }
      break;
    }
    case SDL_KEYDOWN: {
      const uint16_t vk = VirtualKey(Event.key.keysym);
      if (vk == 0) break;
      if (pace_.On() && (vk == kVkSpace || vk == kVkDown) && Event.key.repeat == 0) BombKey(Event);
      const common::Controls::Result result = controls_.KeyDown(vk, View());
      if (result.Taken) {
        // The player's own keys: each in a turn of its own, as a character's.
        Post(result);
        if (result.ToggleLegend) {
          legend_hidden_ = !legend_hidden_;
          legend_w_ = -1;
        }
        if (result.Records != RecordsAct::None && records_act_) {
          records_act_(result.Records, controls_.Choice(), View().Speed);
        }
        break;
      }
      // The character is made before the key-down is handled and arrives after it.
      if (const auto ch = TypedCharacter(vk, Event.key.keysym.mod)) {
        loop_.Post({FormEvent::Char, *ch});
      }
      loop_.Deliver({FormEvent::KeyDown, vk});
      break;
    }
    case SDL_KEYUP: {
      const uint16_t vk = VirtualKey(Event.key.keysym);
      if (vk == 0) break;
      const common::Controls::Result result = controls_.KeyUp(vk);
      if (result.Taken) {
        Post(result);
      } else {
        for (int i = 0; i < result.Count; ++i) loop_.Deliver(result.Events[i]);
      }
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      HandleClick(Event);
      break;
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
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      // The texture's picture is gone (with the texture itself, after a device reset).
      if (texture_ != nullptr) SDL_DestroyTexture(texture_);
      texture_ = nullptr;
      presenter_.Redraw();
      needs_present_ = true;
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

void SdlApp::BombKey(const SDL_Event& Event) {
  // By the X server's time of the press that SDL has just passed on; SDL's
  // own stamp is when it read the press, which may be a frame later.
  const double xAge =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - x_key_pressed_)
          .count();
  const double sdlAge = static_cast<double>(SDL_GetTicks() - Event.key.timestamp);
  pace_.BombKey(xAge >= sdlAge && xAge < 1000 ? xAge : sdlAge);
}

void SdlApp::HandleController(const SDL_Event& Event) {
  if (Event.type == SDL_CONTROLLERDEVICEADDED) {
    // Closed when it goes, or by SDL when the game controllers are shut down.
    SDL_GameController* pad = SDL_GameControllerOpen(Event.cdevice.which);
    if (pad == nullptr) return;
    controls_.PadUpdate(SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)), 0, View());
    UpdateLegend();
    return;
  }
  if (Event.type == SDL_CONTROLLERDEVICEREMOVED) {
    Post(controls_.PadRemove(Event.cdevice.which, View()));
    if (SDL_GameController* pad = SDL_GameControllerFromInstanceID(Event.cdevice.which)) {
      SDL_GameControllerClose(pad);
    }
    UpdateLegend();
    return;
  }
  constexpr struct {
    uint8_t Sdl;
    common::PadButton Pad;
  } kButtons[] = {{SDL_CONTROLLER_BUTTON_A, common::kPadA},
                  {SDL_CONTROLLER_BUTTON_BACK, common::kPadBack},
                  {SDL_CONTROLLER_BUTTON_DPAD_DOWN, common::kPadDown},
                  {SDL_CONTROLLER_BUTTON_DPAD_LEFT, common::kPadLeft},
                  {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, common::kPadRight},
                  {SDL_CONTROLLER_BUTTON_START, common::kPadStart},
                  {SDL_CONTROLLER_BUTTON_B, common::kPadB},
                  {SDL_CONTROLLER_BUTTON_X, common::kPadX},
                  {SDL_CONTROLLER_BUTTON_Y, common::kPadY},
                  {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, common::kPadLeftShoulder},
                  {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, common::kPadRightShoulder}};
  for (const auto& b : kButtons) {
    if (b.Sdl != Event.cbutton.button) continue;
    Post(controls_.PadSet(Event.cbutton.which, b.Pad, Event.type == SDL_CONTROLLERBUTTONDOWN,
                          View()));
    UpdateLegend();
  }
}

void SdlApp::HandleClick(const SDL_Event& Event) {
  if (Event.button.button != SDL_BUTTON_LEFT) return;
  const bool down = Event.type == SDL_MOUSEBUTTONDOWN;
  // A press counts on the picture only; its release wherever it comes.
  const common::Placement& at = presenter_.PicturePlacement();
  const bool on = Event.button.x >= at.X && Event.button.x < at.X + at.Width &&
                  Event.button.y >= at.Y && Event.button.y < at.Y + at.Height;
  if (down && !on) return;
  Post(controls_.Click(down, View()));
  UpdateLegend();
}

void SdlApp::SetTitle(std::string Title) {
  if (Title == title_) return;
  title_ = std::move(Title);
  SDL_SetWindowTitle(window_, title_.c_str());
  if (legend_shown_) {
    legend_shown_ = false;
    presenter_.SetLayout(-1, -1, {}, {});
    needs_present_ = true;
  }
}

void SdlApp::SetRecords(std::function<common::RecordsShown(uint8_t, uint16_t)> Shown,
                        std::function<void(RecordsAct, uint8_t, uint16_t)> Act) {
  records_shown_ = std::move(Shown);
  records_act_ = std::move(Act);
  controls_.SetRecordKeys(true);
}

void SdlApp::UpdateLegend() {
  if (!title_.empty()) return;
  const common::GameView view = View();
  if (view_) {
    language_ = view.In;
    language_seen_ = true;
  }
  const common::LegendKey key = common::LegendKeyOf(
      view, controls_,
      records_shown_ ? records_shown_(controls_.Choice(), view.Speed) : common::RecordsShown{});
  int w = 0, h = 0;
  ScreenSize(&w, &h);
  // Laid out again only when it says something new or the window's size
  // changed: a frame makes none.
  if (key == legend_key_ && w == legend_w_ && h == legend_h_) return;
  legend_key_ = key;
  legend_w_ = w;
  legend_h_ = h;
  std::vector<std::string> lines = common::LegendLines(key);
  common::LegendPicture legend;
  const common::Placement picture = common::PlacePicture(w, h);
  legend_shown_ = !legend_hidden_ &&
                  common::DrawLegendFitting(legend_font_, key, w, h, picture, &legend, &lines);
  presenter_.SetLayout(w, h, picture, legend_shown_ ? std::move(legend) : common::LegendPicture{});
  needs_present_ = true;
  const std::string title = common::LegendTitle(lines, legend_shown_, view.In);
  if (title != shown_title_) {
    shown_title_ = title;
    SDL_SetWindowTitle(window_, title.c_str());
  }
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
  pace_.PresentBegin();
  presenter_.Accept(Front);
  needs_present_ = true;
  pace_.PresentEnd();
}

void SdlApp::Present() {
  pace_.PresentBegin();
  needs_present_ = false;
  const SDL_Rect* rects = nullptr;
  const int n = presenter_.Compose(Target(), &rects);
  if (renderer_ == nullptr) {
    if (n > 0) SDL_UpdateWindowSurfaceRects(window_, rects, n);
  } else if (n > 0) {
    for (int i = 0; i < n; ++i) {
      const SDL_Rect& r = rects[i];
      SDL_UpdateTexture(texture_, &r,
                        static_cast<const uint8_t*>(canvas_->pixels) +
                            static_cast<ptrdiff_t>(r.y) * canvas_->pitch + r.x * 4,
                        canvas_->pitch);
    }
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    // Without waiting for the refresh where that would make the next step late.
    const bool wait = pacer_.MayWaitForRefresh(RefreshMs());
    if (wait != vsync_ && SDL_RenderSetVSync(renderer_, wait ? 1 : 0) == 0) vsync_ = wait;
    SDL_RenderPresent(renderer_);
    // Until the display has shown it: no picture waits behind another.
    if (swap_ != nullptr) swap_->Wait();
  }
  ++presents_;
  pace_.PresentEnd();
  pace_.Presented();
}

}  // namespace carpex::sdl
