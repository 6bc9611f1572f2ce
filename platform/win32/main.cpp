// The Windows program: the main routine on the Win32 application layer.
#include "platform/win32/win32_app.h"
#include "shell/carpex.h"

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE /*Previous*/, LPSTR /*CommandLine*/,
                   int /*Show*/) {
  carpex::Win32App app(Instance, carpex::LoadFormLook(Instance));
  return carpex::Carpex(app);
}
