#include "platform/win32/win32_app.h"

#include <cstdio>
#include <cstring>

#include "assets/form_description.h"

namespace carpex::win32 {

namespace {

constexpr char kWindowClass[] = "TForm1";

COLORREF Resolve(const FormColor& Color) {
  return Color.SystemIndex >= 0 ? GetSysColor(Color.SystemIndex) : static_cast<COLORREF>(Color.Rgb);
}

}  // namespace

Win32App::Win32App(HINSTANCE Instance, const FormLook& Look) : instance_(Instance), look_(Look) {
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

  // No border: the window rectangle is the client rectangle.
  RECT bounds{look_.Left, look_.Top, look_.Left + look_.ClientWidth,
              look_.Top + look_.ClientHeight};
  AdjustWindowRectEx(&bounds, WS_POPUP, FALSE, 0);
  CreateWindowExA(0, kWindowClass, look_.Caption.c_str(), WS_POPUP, bounds.left, bounds.top,
                  bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr, nullptr,
                  Instance, this);

  font_ = CreateFontA(look_.FontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, look_.FontCharset,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, look_.FontName.c_str());
  // The timer runs from the start, as the form's timer component is enabled.
  if (window_ != nullptr) SetTimer(window_, kTimerId, kTimerIntervalMs, nullptr);
}

Win32App::~Win32App() {
  if (window_ != nullptr) {
    KillTimer(window_, kTimerId);
    DestroyWindow(window_);
  }
  if (font_ != nullptr) DeleteObject(font_);
  UnregisterClassA(kWindowClass, instance_);
  if (own_brush_ != nullptr) DeleteObject(own_brush_);
}

void Win32App::Minimize() {
  // A hidden form stays hidden: minimising must not show it again.
  if (window_ == nullptr || IsIconic(window_) || !IsWindowVisible(window_)) return;
  ShowWindow(window_, SW_MINIMIZE);
}

void Win32App::Maximize() {
  // A window not shown yet stays hidden: it is shown once, by Run.
  if (window_ == nullptr || !IsWindowVisible(window_)) return;
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

void Win32App::Sleep(uint32_t Milliseconds) {
  if (!scripted_) ::Sleep(Milliseconds);
}

void Win32App::WriteText(int32_t X, int32_t Y, const char* Text) {
  if (window_ == nullptr || Text == nullptr) return;
  HDC dc = GetDC(window_);
  if (dc == nullptr) return;
  HGDIOBJ previous = font_ != nullptr ? SelectObject(dc, font_) : nullptr;
  // The form's canvas: its font colour on a solid brush of the form's colour.
  SetTextColor(dc, Resolve(look_.FontColor));
  SetBkColor(dc, Resolve(look_.Color));
  SetBkMode(dc, OPAQUE);
  ::TextOutA(dc, X, Y, Text, static_cast<int>(std::strlen(Text)));
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
  // One message per turn; the idle handler whenever none is waiting.
  while (!quit_seen_) {
    if (HandleOneMessage()) continue;
    bool done = true;
    Form.GameLoop(done);
    if (done) WaitMessage();
  }
  form_ = nullptr;
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
  switch (Message) {
    case WM_CHAR:
      if (form_ != nullptr) {
        auto key = static_cast<uint8_t>(WParam);
        form_->FormKeyPress(key);
      }
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (form_ != nullptr) {
        auto key = static_cast<uint16_t>(WParam);
        form_->FormKeyDown(key);
      }
      // Keys pressed with Alt held arrive as system keys; they reach the form
      // like any other, and the default handling still makes Alt+F4 a close.
      if (Message == WM_SYSKEYDOWN) break;
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (form_ != nullptr) {
        auto key = static_cast<uint16_t>(WParam);
        form_->FormKeyUp(key);
      }
      if (Message == WM_SYSKEYUP) break;
      return 0;
    case WM_TIMER:
      if (WParam == kTimerId) {
        if (form_ != nullptr) form_->Timer1Timer();
        return 0;
      }
      break;
    case WM_ACTIVATEAPP:
      // DirectDraw may send this from inside one of its calls, in the middle of
      // a frame; the handler runs from the queue instead.
      if (WParam == FALSE) PostMessageA(window_, kDeactivateMessage, 0, 0);
      break;
    case WM_SIZE:
      if (WParam == SIZE_MINIMIZED) {
        iconic_ = true;
      } else if (iconic_) {
        iconic_ = false;
        PostMessageA(window_, kRestoreMessage, 0, 0);
      }
      break;
    case kDeactivateMessage:
      // Every deactivation reaches the form, even when the application is
      // active again by the time the message is handled.
      if (form_ != nullptr) form_->ApplicationEvents1Deactivate();
      return 0;
    case kRestoreMessage:
      if (form_ != nullptr) form_->ApplicationEvents1Restore();
      return 0;
    case WM_SETCURSOR:
      // No pointer over the game, and no default handling that would set one.
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
