#include "platform/win32/win32_app.h"

#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "assets/form_description.h"
#include "assets/texts.h"

namespace carpex::win32 {

namespace {

constexpr char kWindowClass[] = "TForm1";
constexpr char kGameName[] = "Carpex";
constexpr DWORD kPopupStyle = WS_POPUP;
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr int kPictureWidth = common::kPictureWidth;
constexpr int kPictureHeight = common::kPictureHeight;

COLORREF Resolve(const FormColor& Color) {
  return Color.SystemIndex >= 0 ? GetSysColor(Color.SystemIndex) : static_cast<COLORREF>(Color.Rgb);
}

// The size of a window whose inside is Client, with Style's frame.
SIZE Framed(SIZE Client, DWORD Style) {
  RECT r{0, 0, Client.cx, Client.cy};
  AdjustWindowRectEx(&r, Style, FALSE, 0);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// XInputGetState of the system's own XInput: Windows 8's, else the one of
// Windows 7 and DirectX's runtime, loaded from the system's folder only, when
// the game starts. Null without either: the game has no gamepads.
XInputGetStateFunction LoadXInput() {
  char folder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  for (const char* name : {"xinput1_4.dll", "xinput9_1_0.dll"}) {
    HMODULE dll = LoadLibraryA((std::string(folder) + "\\" + name).c_str());
    if (dll == nullptr) continue;
    using GetState = DWORD(WINAPI*)(DWORD, XInputState*);
    const auto get =
        reinterpret_cast<GetState>(reinterpret_cast<void*>(GetProcAddress(dll, "XInputGetState")));
    if (get != nullptr) {
      return [get](uint32_t User, XInputState* State) {
        return static_cast<uint32_t>(get(User, State));
      };
    }
    FreeLibrary(dll);
  }
  return nullptr;
}

}  // namespace

Win32App::CounterClock::CounterClock() {
  LARGE_INTEGER frequency{};
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
    per_ms_ = static_cast<double>(frequency.QuadPart) / 1000;
  }
}

double Win32App::CounterClock::Now() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / per_ms_;
}

double Win32App::CounterClock::WaitUntil(double At) {
  double now = Now();
  while (now < At) {
    ::Sleep(static_cast<DWORD>(std::ceil(At - now)));
    now = Now();
  }
  return now;
}

Win32App::Win32App(HINSTANCE Instance, const FormLook& Look, const common::Settings& Start)
    : instance_(Instance), look_(Look) {
  if (Start.Presentation == common::Show::Window ||
      Start.Presentation == common::Show::Borderless) {
    show_ = Start.Presentation;
  }
  if (common::UsableWindowSize(Start.WindowWidth, Start.WindowHeight)) {
    window_client_ = SIZE{Start.WindowWidth, Start.WindowHeight};
  }
  legend_hidden_ = Start.LegendHidden;
  controls_.SetKeys(Start.Keys);
  controls_.SetOneSwitch(Start.OneSwitch);
  controls_.SetClick(Start.Click);
  const uint8_t* font = nullptr;
  size_t fontSize = 0;
  if (FindProgramData("LEGENDFONT", &font, &fontSize))
    legend_font_ = common::LegendFont(font, fontSize);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = &Win32App::WindowProc;
  windowClass.hInstance = Instance;
  windowClass.hIcon = LoadIconA(Instance, "MAINICON");
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  if (look_.Color.SystemIndex >= 0) {
    // The system colour index plus one is how a class names a system brush.
    windowClass.hbrBackground =
        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(look_.Color.SystemIndex + 1));
  } else {
    own_brush_ = CreateSolidBrush(Resolve(look_.Color));
    windowClass.hbrBackground = own_brush_;
  }
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExA(&windowClass);

  // At the form's designed place and size, without a border; a windowed
  // presentation then reshapes it on the monitor it is on.
  RECT bounds{look_.Left, look_.Top, look_.Left + look_.ClientWidth,
              look_.Top + look_.ClientHeight};
  AdjustWindowRectEx(&bounds, kPopupStyle, FALSE, 0);
  // The title bar, the task bar and Alt+Tab name the game; the form's own
  // caption stays its message boxes'.
  CreateWindowExA(0, kWindowClass, kGameName, kPopupStyle, bounds.left, bounds.top,
                  bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr, nullptr,
                  Instance, this);
  if (window_ != nullptr && Windowed()) ShapeWindow();

  // The timer runs from the start, as the form's timer component is enabled.
  if (window_ != nullptr) SetTimer(window_, kTimerId, kTimerIntervalMs, nullptr);
}

Win32App::~Win32App() {
  presenter_.Release();
  if (window_ != nullptr) {
    KillTimer(window_, kTimerId);
    DestroyWindow(window_);
  }
  if (font_ != nullptr) DeleteObject(font_);
  UnregisterClassA(kWindowClass, instance_);
  if (own_brush_ != nullptr) DeleteObject(own_brush_);
}

void Win32App::MonitorRects(RECT* Monitor, RECT* WorkArea) const {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  HMONITOR monitor = MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY);
  if (monitor != nullptr && GetMonitorInfoA(monitor, &info)) {
    *Monitor = info.rcMonitor;
    *WorkArea = info.rcWork;
    return;
  }
  *Monitor = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  *WorkArea = *Monitor;
}

SIZE Win32App::WindowClientSize(const RECT& WorkArea, DWORD Style) const {
  const SIZE frame = Framed(SIZE{0, 0}, Style);
  const LONG roomW = WorkArea.right - WorkArea.left - frame.cx;
  const LONG roomH = WorkArea.bottom - WorkArea.top - frame.cy;
  if (window_client_.cx > 0 && window_client_.cx <= roomW && window_client_.cy <= roomH) {
    return window_client_;
  }
  // The largest whole factor whose window fits the work area, 1 at least.
  const LONG scale = std::max(1L, std::min(roomW / kPictureWidth, roomH / kPictureHeight));
  return SIZE{kPictureWidth * scale, kPictureHeight * scale};
}

void Win32App::ShapeWindow() {
  RECT monitor, work;
  MonitorRects(&monitor, &work);
  const bool shown = IsWindowVisible(window_) != FALSE;
  // A maximised window keeps that state through a change of style; the
  // exclusive display's restore maximises the form.
  if (shown && (IsZoomed(window_) || IsIconic(window_))) ShowWindow(window_, SW_SHOWNORMAL);
  const DWORD style = show_ == common::Show::Window ? kWindowStyle : kPopupStyle;
  SetWindowLongPtrA(window_, GWL_STYLE, static_cast<LONG_PTR>(style | (shown ? WS_VISIBLE : 0)));
  RECT place = monitor;
  if (show_ == common::Show::Window) {
    const SIZE size = Framed(WindowClientSize(work, style), style);
    place.left = work.left + std::max(0L, (work.right - work.left - size.cx) / 2);
    place.top = work.top + std::max(0L, (work.bottom - work.top - size.cy) / 2);
    place.right = place.left + size.cx;
    place.bottom = place.top + size.cy;
  }
  SetWindowPos(window_, HWND_NOTOPMOST, place.left, place.top, place.right - place.left,
               place.bottom - place.top, SWP_FRAMECHANGED | SWP_NOACTIVATE);
  RECT client{};
  GetClientRect(window_, &client);
  presenter_.Place(client.right, client.bottom);
  InvalidateRect(window_, nullptr, FALSE);
}

void Win32App::SwitchPresentation() {
  if (show_ == common::Show::FullScreen) {
    // The form lets its exclusive display go and asks for the window
    // (LeaveExclusive), then sets its display up again.
    Deliver({FormEvent::LeaveExclusive, 0});
    return;
  }
  show_ = show_ == common::Show::Window ? common::Show::Borderless : common::Show::Window;
  // No DirectDraw call: the clipper follows the window.
  ShapeWindow();
}

Presentation Win32App::DisplayPresentation() {
  return Windowed() ? Presentation::Windowed : Presentation::Exclusive;
}

bool Win32App::LeaveExclusive(bool Refused) {
  // A display that refuses the mode gets the next best full screen; the
  // player who asked for a window gets one.
  show_ = Refused ? common::Show::Borderless : common::Show::Window;
  ShapeWindow();
  if (IsWindowVisible(window_)) SetForegroundWindow(window_);
  return true;
}

bool Win32App::PresentFrame(IDirectDraw7* Device, IDirectDrawSurface7* Primary,
                            IDirectDrawSurface7* Frame) {
  // The copy waits for the display's vertical blank, unless that would make
  // the next step late.
  DWORD hz = 0;
  if (Device == nullptr || Device->GetMonitorFrequency(&hz) != DD_OK || hz < 24) hz = 60;
  const bool wait = pacer_.MayWaitForRefresh(1000.0 / hz);
  // The text of the last frame goes with it: black where it stood outside the
  // picture, the picture over it inside.
  if (text_box_.right > text_box_.left) {
    if (HDC dc = GetDC(window_)) {
      FillRect(dc, &text_box_, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      ReleaseDC(window_, dc);
    }
    presenter_.Cover(text_box_);
    text_box_ = RECT{0, 0, 0, 0};
  }
  // The frame's steps are done: its picture shows what they did.
  if (pace_.On()) pace_.FrameDone(view_ && view_().BombFalling);
  pace_.PresentBegin();
  const bool lost = presenter_.Present(Device, Primary, Frame, window_, wait);
  pace_.PresentEnd();
  pace_.Presented();
  return lost;
}

common::Settings Win32App::Remembered() const {
  common::Settings values;
  values.Presentation = show_;
  values.LegendHidden = legend_hidden_;
  values.Speed = speed_;
  values.Keys = controls_.Keys();
  values.OneSwitch = controls_.OneSwitchOn();
  values.Click = controls_.ClickPlays();
  if (window_client_.cx > 0) {
    values.WindowWidth = window_client_.cx;
    values.WindowHeight = window_client_.cy;
  }
  return values;
}

void Win32App::Minimize() {
  // On the desktop there is no display to give back: the game only pauses,
  // and the window stays where it is.
  if (Windowed()) return;
  // A hidden form stays hidden: minimising must not show it again.
  if (window_ == nullptr || IsIconic(window_) || !IsWindowVisible(window_)) return;
  ShowWindow(window_, SW_MINIMIZE);
}

void Win32App::Maximize() {
  // A window not shown yet stays hidden: it is shown once, by Run.
  if (window_ == nullptr || !IsWindowVisible(window_)) return;
  if (Windowed()) {
    // Back as it was left; only a window the player minimised is restored.
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    return;
  }
  ShowWindow(window_, SW_SHOWMAXIMIZED);
}

void Win32App::Hide() {
  if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
}

void Win32App::Terminate() {
  if (terminate_requested_) return;
  terminate_requested_ = true;
  // WM_QUIT comes out of the queue only after the messages already in it.
  PostQuitMessage(0);
}

void Win32App::SetSpeed(uint16_t Percent) {
  // The same steps, further apart: from the next one on.
  speed_ = Percent;
  pacer_.SetPeriod(common::FramePacer::PeriodAt(Percent));
}

void Win32App::Sleep(uint32_t Milliseconds) {
  if (scripted_) return;
  pace_.SleepBegin();
  // The full screen at the game's own speed as ever: its flip waits for the
  // display. Slower, the steps' clock spaces them, the flip's wait within.
  if (Windowed() || speed_ != 100) {
    pacer_.WaitForStep();
  } else {
    ::Sleep(Milliseconds);
  }
  pace_.SleepEnd();
}

HFONT Win32App::FontFor(int Scale) {
  if (font_ != nullptr && font_scale_ == Scale) return font_;
  if (font_ != nullptr) DeleteObject(font_);
  // A height in pixels (negative: of the characters), so that the text keeps
  // its size on the picture whatever the system's DPI setting.
  font_ = CreateFontA(look_.FontHeight * Scale, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                      look_.FontCharset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, look_.FontName.c_str());
  font_scale_ = Scale;
  return font_;
}

void Win32App::WriteText(int32_t X, int32_t Y, const char* Text) {
  if (window_ == nullptr || Text == nullptr) return;
  HDC dc = GetDC(window_);
  if (dc == nullptr) return;
  // In a window at the picture's scale, from the window's top-left corner.
  const int scale = Windowed() ? presenter_.Where().TextScale : 1;
  HFONT font = FontFor(scale);
  HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  // The form's canvas: its font colour on a solid brush of the form's colour.
  SetTextColor(dc, Resolve(look_.FontColor));
  SetBkColor(dc, Resolve(look_.Color));
  SetBkMode(dc, OPAQUE);
  const int length = static_cast<int>(std::strlen(Text));
  ::TextOutA(dc, X * scale, Y * scale, Text, length);
  if (Windowed()) {
    SIZE extent{};
    GetTextExtentPoint32A(dc, Text, length, &extent);
    const RECT box{X * scale, Y * scale, X * scale + extent.cx, Y * scale + extent.cy};
    UnionRect(&text_box_, &text_box_, &box);
  }
  if (previous != nullptr) SelectObject(dc, previous);
  ReleaseDC(window_, dc);
}

void Win32App::ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) {
  if (scripted_) {
    // Nobody is there to close a box: the message goes on one line to stderr.
    std::string shown = Text != nullptr ? Text : "";
    for (char& c : shown) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    std::fprintf(stderr, "%s: %s\n", Caption != nullptr ? Caption : "", shown.c_str());
    return;
  }
  ::MessageBoxA(nullptr, Text, Caption, Flags);
}

void Win32App::SetTitle(const std::string& Utf8) {
  titled_ = true;
  if (legend_shown_) {
    legend_shown_ = false;
    presenter_.SetLegend(nullptr);
    InvalidateRect(window_, nullptr, FALSE);
  }
  Caption(Utf8);
}

void Win32App::Caption(const std::string& Utf8) {
  if (window_ == nullptr || Utf8 == caption_) return;
  caption_ = Utf8;
  const int length = MultiByteToWideChar(CP_UTF8, 0, Utf8.c_str(), -1, nullptr, 0);
  if (length <= 0) return;
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, Utf8.c_str(), -1, wide.data(), length);
  // Straight to the default handling of the wide message: the window is an
  // ANSI one, and SetWindowTextW would pass the text through the code page.
  DefWindowProcW(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void Win32App::Show() {
  // Once told to terminate (a failed set-up) the program ends without showing the form.
  if (window_ == nullptr || terminate_requested_ || IsWindowVisible(window_)) return;
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
}

void Win32App::Run(FormHandlers& Form) {
  form_ = &Form;
  Show();
  if (!pads_loaded_) {
    pads_loaded_ = true;
    pads_ = XInputPads(LoadXInput());
  }
  // Sleeps end within a millisecond of when they are due.
  const bool fineTimer = timeBeginPeriod(1) == TIMERR_NOERROR;
  // One message per turn; the idle handler whenever none is waiting.
  while (!quit_seen_) {
    if (HandleOneMessage()) continue;
    // On the desktop the wait before the next step is made here, with the
    // messages handled as they come: a key pressed meanwhile is in its picture.
    if (Windowed()) {
      const double left = pacer_.DueIn();
      if (left >= 1) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
        continue;
      }
    }
    BeforeFrame();
    bool done = true;
    pace_.FrameBegin();
    Form.GameLoop(done);
    pace_.FrameEnd();
    // The exclusive display's flip ends the frame; the desktop's present was
    // timed in it.
    if (pace_.On() && !Windowed()) {
      pace_.FrameDone(view_ && view_().BombFalling);
      pace_.Presented();
    }
    UpdateLegend();
    if (done) WaitMessage();
  }
  if (fineTimer) timeEndPeriod(1);
  form_ = nullptr;
}

void Win32App::Deliver(const FormEvent& Event) {
  if (form_ != nullptr) form_->Handle(Event);
}

void Win32App::DeliverAll(const common::Controls::Result& Events) {
  for (int i = 0; i < Events.Count; ++i) Deliver(Events.Events[i]);
}

void Win32App::KeyDown(uint16_t Vk) {
  const common::Controls::Result result = controls_.KeyDown(Vk, View());
  DeliverAll(result);
  if (result.ToggleLegend) {
    legend_hidden_ = !legend_hidden_;
    legend_w_ = -1;
  }
  if (result.Records != RecordsAct::None && records_act_) {
    records_act_(result.Records, controls_.Choice(), View().Speed);
  }
  UpdateLegend();
}

void Win32App::KeyUp(uint16_t Vk) {
  DeliverAll(controls_.KeyUp(Vk));
}

void Win32App::Click(bool Down, LPARAM LParam) {
  if (Down) {
    // A press counts on the picture only (the whole window in the full
    // screen); its release wherever it comes, which the capture brings.
    const int x = static_cast<short>(LOWORD(LParam));
    const int y = static_cast<short>(HIWORD(LParam));
    const common::Placement at =
        Windowed() ? presenter_.Where() : common::Placement{0, 0, kPictureWidth, kPictureHeight};
    if (x < at.X || x >= at.X + at.Width || y < at.Y || y >= at.Y + at.Height) return;
    SetCapture(window_);
  } else if (GetCapture() == window_) {
    ReleaseCapture();
  }
  DeliverAll(controls_.Click(Down, View()));
  UpdateLegend();
}

void Win32App::BeforeFrame() {
  const common::GameView view = View();
  pads_.Poll(static_cast<double>(GetTickCount64()), controls_, view,
             [this](const common::Controls::Result& Events) { DeliverAll(Events); });
  DeliverAll(controls_.Poll(view));
}

void Win32App::UpdateLegend() {
  if (titled_ || window_ == nullptr || !view_) return;
  const common::GameView view = view_();
  language_ = view.In;
  language_seen_ = true;
  const common::LegendKey key = common::LegendKeyOf(
      view, controls_,
      records_shown_ ? records_shown_(controls_.Choice(), view.Speed) : common::RecordsShown{});
  RECT client{};
  GetClientRect(window_, &client);
  // Laid out again only when it says something new, or the window changed:
  // a frame makes none.
  if (key == legend_key_ && show_ == legend_show_ && client.right == legend_w_ &&
      client.bottom == legend_h_) {
    return;
  }
  legend_key_ = key;
  legend_show_ = show_;
  legend_w_ = client.right;
  legend_h_ = client.bottom;
  std::vector<std::string> lines = common::LegendLines(key);
  const RECT before{legend_.X, legend_.Y, legend_.X + legend_.Width, legend_.Y + legend_.Height};
  // The exclusive display is the picture alone: no room around it.
  legend_shown_ = Windowed() && !legend_hidden_ &&
                  common::DrawLegendFitting(legend_font_, key, client.right, client.bottom,
                                            presenter_.Where(), &legend_, &lines);
  if (!legend_shown_) legend_ = common::LegendPicture{};
  presenter_.SetLegend(legend_shown_ ? &legend_ : nullptr);
  const RECT after{legend_.X, legend_.Y, legend_.X + legend_.Width, legend_.Y + legend_.Height};
  InvalidateRect(window_, &before, FALSE);
  InvalidateRect(window_, &after, FALSE);
  // A window's title bar says what the legend would, where it has no room.
  Caption(show_ == common::Show::Window ? common::LegendTitle(lines, legend_shown_, view.In)
                                        : Say(Text::GameName, view.In));
}

bool Win32App::PumpMessages() {
  while (!quit_seen_ && HandleOneMessage()) {
  }
  return !quit_seen_;
}

bool Win32App::HandleOneMessage() {
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
  if (message.message == WM_QUIT) {
    quit_seen_ = true;
  } else {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

uint32_t Win32App::ClockSeed() {
  LARGE_INTEGER counter{};
  if (QueryPerformanceCounter(&counter)) return static_cast<uint32_t>(counter.LowPart);
  return static_cast<uint32_t>(GetTickCount());
}

LRESULT CALLBACK Win32App::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(LParam);
    auto* self = static_cast<Win32App*>(create->lpCreateParams);
    self->window_ = Window;
    SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32App*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(Window, Message, WParam, LParam);
  return self->Handle(Message, WParam, LParam);
}

LRESULT Win32App::Handle(UINT Message, WPARAM WParam, LPARAM LParam) {
  // Alt+Enter: Enter with Alt held (bit 29), not a repeat of a held key (bit 30).
  const bool altEnter =
      Message == WM_SYSKEYDOWN && WParam == VK_RETURN && (LParam & (1L << 29)) != 0;
  switch (Message) {
    case WM_CHAR:
      if (controls_.Passes(static_cast<uint8_t>(WParam))) {
        Deliver({FormEvent::Char, static_cast<uint8_t>(WParam)});
      }
      return 0;
    case WM_SYSCHAR:
      // The Enter of Alt+Enter is no menu key: no beep.
      if (WParam == '\r') return 0;
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (altEnter) {
        enter_held_for_switch_ = true;
        if ((LParam & (1L << 30)) == 0) SwitchPresentation();
        return 0;
      }
      if (pace_.On() && (WParam == VK_SPACE || WParam == VK_DOWN) && (LParam & (1L << 30)) == 0) {
        // By the message's own time, in the tick count's milliseconds.
        pace_.BombKey(static_cast<double>(static_cast<DWORD>(GetTickCount() - GetMessageTime())));
      }
      KeyDown(static_cast<uint16_t>(WParam));
      // Keys pressed with Alt held arrive as system keys; they reach the form
      // like any other, and the default handling still makes Alt+F4 a close.
      if (Message == WM_SYSKEYDOWN) break;
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      // The Enter that switched is no key for the form, up as down.
      if (WParam == VK_RETURN && enter_held_for_switch_) {
        enter_held_for_switch_ = false;
        return 0;
      }
      KeyUp(static_cast<uint16_t>(WParam));
      if (Message == WM_SYSKEYUP) break;
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a quick second click, which the class's style makes one
      Click(true, LParam);
      return 0;
    case WM_LBUTTONUP:
      Click(false, LParam);
      return 0;
    case WM_TIMER:
      if (WParam == kTimerId) {
        Deliver({FormEvent::Tick, 0});
        return 0;
      }
      break;
    case WM_ACTIVATEAPP:
      // DirectDraw may send this from inside one of its calls, in the middle of
      // a frame; the handler runs from the queue instead.
      if (WParam == FALSE) {
        PostMessageA(window_, kDeactivateMessage, 0, 0);
      } else if (paused_ && Windowed()) {
        // On the desktop the game resumes as soon as it is the active program
        // again; the exclusive display waits for its restore from the task bar.
        PostMessageA(window_, kRestoreMessage, 0, 0);
      }
      break;
    case WM_SIZE:
      if (WParam == SIZE_MINIMIZED) {
        iconic_ = true;
        break;
      }
      if (iconic_ && !Windowed()) PostMessageA(window_, kRestoreMessage, 0, 0);
      iconic_ = false;
      if (Windowed()) {
        presenter_.Place(LOWORD(LParam), HIWORD(LParam));
        // The size the window presentation comes back to: not a maximised
        // one, nor the form's own before the window is given its frame.
        const SIZE client{LOWORD(LParam), HIWORD(LParam)};
        const bool framed = (GetWindowLongPtrA(window_, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
        if (show_ == common::Show::Window && WParam == SIZE_RESTORED && framed &&
            common::UsableWindowSize(client.cx, client.cy)) {
          window_client_ = client;
        }
        InvalidateRect(window_, nullptr, FALSE);
      }
      break;
    case WM_MOVE:
      presenter_.Redraw();
      break;
    case WM_GETMINMAXINFO:
      if (show_ == common::Show::Window) {
        // The picture at its own size at least.
        const SIZE least = Framed(SIZE{kPictureWidth, kPictureHeight}, kWindowStyle);
        auto* limits = reinterpret_cast<MINMAXINFO*>(LParam);
        limits->ptMinTrackSize = POINT{least.cx, least.cy};
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      // On the desktop WM_PAINT covers everything, black around the picture.
      if (Windowed()) return 1;
      break;
    case WM_PAINT:
      if (Windowed()) {
        PAINTSTRUCT paint;
        if (HDC dc = BeginPaint(window_, &paint)) {
          presenter_.Paint(dc, paint.rcPaint);
          EndPaint(window_, &paint);
        }
        return 0;
      }
      break;
    case kDeactivateMessage:
      // Every deactivation reaches the form, even when the application is
      // active again by the time the message is handled.
      if (form_ == nullptr) return 0;
      paused_ = true;
      form_->Handle({FormEvent::Deactivate, 0});
      // On the desktop, a program that is active again by now has come back
      // already (its activation may even have come before this deactivation
      // was handed on, or while the display was still exclusive).
      if (Windowed() && GetForegroundWindow() == window_) {
        PostMessageA(window_, kRestoreMessage, 0, 0);
      }
      return 0;
    case kRestoreMessage:
      // One restore for each deactivation.
      if (form_ == nullptr || (Windowed() && !paused_)) return 0;
      paused_ = false;
      form_->Handle({FormEvent::Restore, 0});
      return 0;
    case WM_SETCURSOR:
      // No pointer over the game, and no default handling that would set one;
      // a window's frame keeps its pointers for moving and resizing.
      if (Windowed() && LOWORD(LParam) != HTCLIENT) break;
      SetCursor(nullptr);
      return TRUE;
    case WM_CLOSE:
      // Closing the main form (Alt+F4) hides it and ends the application.
      Hide();
      Terminate();
      return 0;
    case WM_ENDSESSION:
      // The user logs off or the system shuts down: the process may be ended
      // as soon as this returns, and the loop never gets to its end.
      if (WParam != FALSE && form_ != nullptr) form_->ProgramEnding();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window_, Message, WParam, LParam);
}

FormLook LoadFormLook() {
  return FormLookFrom(CarriedForm());
}

}  // namespace carpex::win32
