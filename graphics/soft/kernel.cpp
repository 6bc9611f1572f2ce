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
bool NamesDDraw(const char* Name) {
  const char* base = Name;
  for (const char* p = Name; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') base = p + 1;
  }
  return EqualsIgnoreCase(base, "ddraw.dll") || EqualsIgnoreCase(base, "ddraw");
}

template <typename F>
FARPROC AsFarProc(F* Function) {
  // Through void (*)(), the one function pointer type every other converts to
  // without complaint.
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(Function));
}

}  // namespace

HMODULE WINAPI LoadLibraryA(LPCSTR FileName) {
  soft::detail::State& s = GetState();
  if (FileName == nullptr || s.missLibrary || !NamesDDraw(FileName)) return nullptr;
  ++s.ddrawLoads;
  return DDrawModule();
}

FARPROC WINAPI GetProcAddress(HMODULE Module, LPCSTR ProcName) {
  soft::detail::State& s = GetState();
  if (Module != DDrawModule() || s.ddrawLoads == 0) return nullptr;
  // Ordinals are not exported here.
  if (ProcName == nullptr || IS_INTRESOURCE(ProcName)) return nullptr;
  for (const std::string& missed : s.missedEntryPoints) {
    if (missed == ProcName) return nullptr;
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
    if (std::strcmp(e.name, ProcName) == 0) return e.address;
  }
  return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE Module) {
  soft::detail::State& s = GetState();
  if (Module != DDrawModule() || s.ddrawLoads == 0) return FALSE;
  --s.ddrawLoads;
  return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR ModuleName) {
  if (ModuleName == nullptr) return ProgramModule();
  if (NamesDDraw(ModuleName) && GetState().ddrawLoads > 0) return DDrawModule();
  return nullptr;
}

void WINAPI OutputDebugStringA(LPCSTR Text) {
  if (Text == nullptr) return;
  GetState().debugOutput.emplace_back(Text);
  if (std::getenv("CARPEX_DEBUG_OUTPUT") != nullptr) {
    std::fprintf(stderr, "%s\n", Text);
  }
}

namespace soft {

HWND FakeWindowHandle() {
  return reinterpret_cast<HWND>(std::uintptr_t{0x00010010});
}

}  // namespace soft
