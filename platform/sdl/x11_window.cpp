#include "platform/sdl/x11_window.h"

#include <SDL_syswm.h>

#include <cstring>
#include <ctime>

#if defined(SDL_VIDEO_DRIVER_X11) && __has_include(<X11/Xlib.h>) && __has_include(<dlfcn.h>)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

namespace carpex::sdl {

namespace {

// _NET_WM_STATE's actions.
constexpr long kRemove = 0;
constexpr long kAdd = 1;
// _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
constexpr long kMotifDecorationsFlag = 2;

// Xlib as SDL has loaded it, without linking the game to it.
struct Xlib {
  decltype(&XInternAtom) InternAtom = nullptr;
  decltype(&XSendEvent) SendEvent = nullptr;
  decltype(&XChangeProperty) ChangeProperty = nullptr;
  decltype(&XSetWMNormalHints) SetWMNormalHints = nullptr;
  decltype(&XMoveResizeWindow) MoveResizeWindow = nullptr;
  decltype(&XFlush) Flush = nullptr;

  bool Load() {
    void* lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (lib == nullptr) return false;
    auto find = [lib](auto& Function, const char* Name) {
      Function = reinterpret_cast<std::remove_reference_t<decltype(Function)>>(dlsym(lib, Name));
      return Function != nullptr;
    };
    const bool all = find(InternAtom, "XInternAtom") && find(SendEvent, "XSendEvent") &&
                     find(ChangeProperty, "XChangeProperty") &&
                     find(SetWMNormalHints, "XSetWMNormalHints") &&
                     find(MoveResizeWindow, "XMoveResizeWindow") && find(Flush, "XFlush");
    // SDL keeps the library loaded while its video runs.
    dlclose(lib);
    return all;
  }
};

class XlibWindow final : public X11Window {
 public:
  XlibWindow(const Xlib& X, Display* D, Window W) : x_(X), display_(D), window_(W) {
    state_ = x_.InternAtom(display_, "_NET_WM_STATE", False);
    full_screen_ = x_.InternAtom(display_, "_NET_WM_STATE_FULLSCREEN", False);
    motif_ = x_.InternAtom(display_, "_MOTIF_WM_HINTS", False);
  }

  void SetFullScreen(bool On, bool Shown) override {
    if (!Shown) {
      // Read by the manager when the window is first mapped.
      Atom atoms[1] = {full_screen_};
      x_.ChangeProperty(display_, window_, state_, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(atoms), On ? 1 : 0);
      return;
    }
    XEvent e;
    std::memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = window_;
    e.xclient.message_type = state_;
    e.xclient.format = 32;
    e.xclient.data.l[0] = On ? kAdd : kRemove;
    e.xclient.data.l[1] = static_cast<long>(full_screen_);
    e.xclient.data.l[3] = 1;  // asked by an application
    x_.SendEvent(display_, DefaultRootWindow(display_), False,
                 SubstructureNotifyMask | SubstructureRedirectMask, &e);
  }

  void SetFramed(bool On, int MinWidth, int MinHeight) override {
    long hints[5] = {kMotifDecorationsFlag, 0, On ? 1 : 0, 0, 0};
    x_.ChangeProperty(display_, window_, motif_, motif_, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(hints), 5);
    XSizeHints size;
    std::memset(&size, 0, sizeof size);
    if (On) {
      size.flags = PMinSize;
      size.min_width = MinWidth;
      size.min_height = MinHeight;
    }
    x_.SetWMNormalHints(display_, window_, &size);
  }

  void Place(const SDL_Rect& Where) override {
    x_.MoveResizeWindow(display_, window_, Where.x, Where.y, static_cast<unsigned>(Where.w),
                        static_cast<unsigned>(Where.h));
  }

  void Flush() override { x_.Flush(display_); }

 private:
  Xlib x_;
  Display* display_;
  Window window_;
  Atom state_ = 0;
  Atom full_screen_ = 0;
  Atom motif_ = 0;
};

}  // namespace

std::unique_ptr<X11Window> X11Window::For(SDL_Window* Window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(Window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  Xlib x;
  if (!x.Load()) return nullptr;
  return std::make_unique<XlibWindow>(x, info.info.x11.display, info.info.x11.window);
}

double X11KeyPressAge(const SDL_Event& Event) {
  if (Event.type != SDL_SYSWMEVENT || Event.syswm.msg == nullptr ||
      Event.syswm.msg->subsystem != SDL_SYSWM_X11) {
    return -1;
  }
  const XEvent& e = Event.syswm.msg->msg.x11.event;
  if (e.type != KeyPress) return -1;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint32_t ms = static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000 +
                                            static_cast<uint64_t>(now.tv_nsec) / 1000000);
  // Both wrap at 32 bits.
  return static_cast<double>(static_cast<uint32_t>(ms - static_cast<uint32_t>(e.xkey.time))) +
         static_cast<double>(now.tv_nsec % 1000000) / 1e6;
}

}  // namespace carpex::sdl

#else

namespace carpex::sdl {
std::unique_ptr<X11Window> X11Window::For(SDL_Window*) {
  return nullptr;
}
double X11KeyPressAge(const SDL_Event&) {
  return -1;
}
}  // namespace carpex::sdl

#endif
