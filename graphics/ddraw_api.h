// The one place that chooses the display API: the real DirectDraw 7 and GDI on
// Windows, the in-memory software display everywhere else. Both declare the
// same names with the same signatures.
#pragma once

#ifdef _WIN32
#include <windows.h>
// ddraw.h needs the Windows types first.
#include <ddraw.h>
// The DirectDraw binding keeps variables of these names; the header's macros
// would turn them into the A forms.
#undef DirectDrawEnumerate
#undef DirectDrawEnumerateEx
#else
#include "graphics/soft/soft_api.h"
#endif
