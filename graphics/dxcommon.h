// English texts for DirectDraw result codes, shown after the place of a failure
// when set-up goes wrong.
#pragma once

#include <cstdint>
#include <span>

#include "graphics/ddraw_api.h"

namespace DXCommon {

// The text for a result code; "Unrecognized Error" for any code without an
// entry. The returned text is a literal that lives for the whole program.
const char* DirectXErrorText(HRESULT Code);

struct CodeText {
  HRESULT Code;
  const char* Text;
};

// Every code with a text of its own, sorted by the codes' bit patterns, each
// code once.
std::span<const CodeText> KnownCodes();

}  // namespace DXCommon
