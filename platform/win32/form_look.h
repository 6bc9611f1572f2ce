// The main form's window as its description sets it up: position, client
// size, caption, colour and font. Kept free of <windows.h> so that the reading
// of the description can be checked on any machine.
#pragma once

#include <cstdint>
#include <string>

namespace carpex {
struct FormDescription;
}

namespace carpex::win32 {

// A colour as the form stores it: a system colour (its index as GetSysColor
// takes it) or a plain RGB value.
struct FormColor {
  int32_t SystemIndex = -1;  // -1: not a system colour
  uint32_t Rgb = 0;          // 0x00BBGGRR, when SystemIndex is -1
};

struct FormLook {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t ClientWidth = 0;
  int32_t ClientHeight = 0;
  std::string Caption;
  FormColor Color;
  FormColor FontColor;
  int32_t FontHeight = 0;
  std::string FontName;
  uint8_t FontCharset = 0;
};

// A colour name of the form's description ("clBtnFace", "clBlack", "$00FF8000"
// or a decimal number); false for a name it does not know.
bool ParseFormColor(const std::string& Name, FormColor* Out);
// A character-set name ("DEFAULT_CHARSET", "ANSI_CHARSET", ... or a number).
bool ParseFontCharset(const std::string& Name, uint8_t* Out);

// The look of the form as designed (assets' DesignedForm).
FormLook DesignedLook();

// The look that a parsed description gives; what it leaves out or names in a
// way not understood keeps the value of Defaults.
FormLook FormLookFrom(const FormDescription& Form, const FormLook& Defaults = DesignedLook());

}  // namespace carpex::win32
