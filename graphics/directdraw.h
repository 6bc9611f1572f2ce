// The binding to the DirectDraw library, made once at program start.
#pragma once

#include "graphics/ddraw_api.h"

namespace DirectDraw {

using TDirectDrawCreateEx = HRESULT(WINAPI*)(GUID* Guid, LPVOID* Object, REFIID Iid,
                                             IUnknown* Outer);

extern HMODULE DDrawModule;
// Resolved by name; only DirectDrawCreateEx is ever called.
extern FARPROC DirectDrawEnumerateA;
extern FARPROC DirectDrawEnumerateW;
extern FARPROC DirectDrawEnumerateExA;
extern FARPROC DirectDrawEnumerateExW;
extern FARPROC DirectDrawCreate;
extern TDirectDrawCreateEx DirectDrawCreateEx;
extern FARPROC DirectDrawCreateClipper;
// The enumeration functions without suffix take the addresses of the A forms.
extern FARPROC DirectDrawEnumerate;
extern FARPROC DirectDrawEnumerateEx;

extern const GUID IID_IDirectDraw7;

// Loads "DDraw.dll" and resolves the entry points. A missing library or entry
// point leaves the variables empty; the set-up chain reports that.
void Bind();
// Frees the library and empties the variables.
void Unbind();

}  // namespace DirectDraw
