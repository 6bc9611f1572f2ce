// The kernel calls the game makes: loading DDraw.dll and resolving its entry
// points by name, the program's own module handle, and debugger output.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "graphics/soft/control.h"
#include "graphics/soft/state.h"

using soft::detail::EqualsIgnoreCase;
using soft::detail::GetState;

namespace {

// Handles of the two modules there are; the values only need to be distinct
// and non-null (the program's is the usual image base of a Windows program).
HMODULE ProgramModule() {
  return reinterpret_cast<HMODULE>(std::uintptr_t{0x00400000});
}
HMODULE DDrawModule() {
  return reinterpret_cast<HMODULE>(std::uintptr_t{0x73A00000});
}

// LoadLibraryA accepts a path and a name without ".dll", as Windows does.
bool NamesDDraw(const char* name) {
  const char* base = name;
  for (const char* p = name; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') base = p + 1;
  }
  return EqualsIgnoreCase(base, "ddraw.dll") || EqualsIgnoreCase(base, "ddraw");
}

template <typename F>
FARPROC AsFarProc(F* function) {
  // Through void (*)(), the one function pointer type every other converts to
  // without complaint.
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

}  // namespace

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  soft::detail::State& s = GetState();
  if (lpLibFileName == nullptr || s.missLibrary || !NamesDDraw(lpLibFileName)) return nullptr;
  ++s.ddrawLoads;
  return DDrawModule();
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  soft::detail::State& s = GetState();
  if (hModule != DDrawModule() || s.ddrawLoads == 0) return nullptr;
  // Ordinals are not exported here.
  if (lpProcName == nullptr || IS_INTRESOURCE(lpProcName)) return nullptr;
  for (const std::string& missed : s.missedEntryPoints) {
    if (missed == lpProcName) return nullptr;
  }
  struct Export {
    const char* name;
    FARPROC address;
  };
  const Export exports[] = {
      {"DirectDrawEnumerateA", AsFarProc(&DirectDrawEnumerateA)},
      {"DirectDrawEnumerateW", AsFarProc(&DirectDrawEnumerateW)},
      {"DirectDrawEnumerateExA", AsFarProc(&DirectDrawEnumerateExA)},
      {"DirectDrawEnumerateExW", AsFarProc(&DirectDrawEnumerateExW)},
      {"DirectDrawCreate", AsFarProc(&DirectDrawCreate)},
      {"DirectDrawCreateEx", AsFarProc(&DirectDrawCreateEx)},
      {"DirectDrawCreateClipper", AsFarProc(&DirectDrawCreateClipper)},
  };
  // Export names are matched exactly, as GetProcAddress does.
  for (const Export& e : exports) {
    if (std::strcmp(e.name, lpProcName) == 0) return e.address;
  }
  return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  soft::detail::State& s = GetState();
  if (hLibModule != DDrawModule() || s.ddrawLoads == 0) return FALSE;
  --s.ddrawLoads;
  return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (lpModuleName == nullptr) return ProgramModule();
  if (NamesDDraw(lpModuleName) && GetState().ddrawLoads > 0) return DDrawModule();
  return nullptr;
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
  if (lpOutputString == nullptr) return;
  GetState().debugOutput.emplace_back(lpOutputString);
  if (std::getenv("CARPEX_DEBUG_OUTPUT") != nullptr) {
    std::fprintf(stderr, "%s\n", lpOutputString);
  }
}

namespace soft {

HWND FakeWindowHandle() {
  return reinterpret_cast<HWND>(std::uintptr_t{0x00010010});
}

}  // namespace soft
