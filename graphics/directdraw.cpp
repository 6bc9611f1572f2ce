#include "graphics/directdraw.h"

namespace DirectDraw {

HMODULE DDrawModule = nullptr;
FARPROC DirectDrawEnumerateA = nullptr;
FARPROC DirectDrawEnumerateW = nullptr;
FARPROC DirectDrawEnumerateExA = nullptr;
FARPROC DirectDrawEnumerateExW = nullptr;
FARPROC DirectDrawCreate = nullptr;
TDirectDrawCreateEx DirectDrawCreateEx = nullptr;
FARPROC DirectDrawCreateClipper = nullptr;
FARPROC DirectDrawEnumerate = nullptr;
FARPROC DirectDrawEnumerateEx = nullptr;

// {15E65EC0-3B9C-11D2-B92F-00609797EA5B}; defined here so that no GUID library is needed.
const GUID IID_IDirectDraw7 = {
    0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

namespace {

FARPROC Resolve(const char* Name) {
  return DDrawModule != nullptr ? GetProcAddress(DDrawModule, Name) : nullptr;
}

}  // namespace

void Bind() {
  DDrawModule = LoadLibraryA("DDraw.dll");
  DirectDrawEnumerateA = Resolve("DirectDrawEnumerateA");
  DirectDrawEnumerateW = Resolve("DirectDrawEnumerateW");
  DirectDrawEnumerateExA = Resolve("DirectDrawEnumerateExA");
  DirectDrawEnumerateExW = Resolve("DirectDrawEnumerateExW");
  DirectDrawCreate = Resolve("DirectDrawCreate");
  // Through a generic function pointer first: a direct cast between unrelated
  // function types is what the compiler warns about.
  DirectDrawCreateEx = reinterpret_cast<TDirectDrawCreateEx>(
      reinterpret_cast<void (*)()>(Resolve("DirectDrawCreateEx")));
  DirectDrawCreateClipper = Resolve("DirectDrawCreateClipper");
  DirectDrawEnumerate = DirectDrawEnumerateA;
  DirectDrawEnumerateEx = DirectDrawEnumerateExA;
}

void Unbind() {
  if (DDrawModule != nullptr) FreeLibrary(DDrawModule);
  DDrawModule = nullptr;
  DirectDrawEnumerateA = DirectDrawEnumerateW = nullptr;
  DirectDrawEnumerateExA = DirectDrawEnumerateExW = nullptr;
  DirectDrawCreate = DirectDrawCreateClipper = nullptr;
  DirectDrawEnumerate = DirectDrawEnumerateEx = nullptr;
  DirectDrawCreateEx = nullptr;
}

}  // namespace DirectDraw
