// The main form's window as its description sets it up: position, client
// size, caption, colour and font. Kept free of <windows.h> so that the reading
// of the description can be checked on any machine.
#pragma once

#include <cstdint>
#include <string>

namespace carpex {

struct FormDescription;

// A colour as the form stores it: a system colour (its index as GetSysColor
// takes it) or a plain RGB value.
struct FormColor {
  int32_t SystemIndex = -1;  // -1: not a system colour
  uint32_t Rgb = 0;          // 0x00BBGGRR, when SystemIndex is -1
};

struct FormLook {
  int32_t Left = 403;
  int32_t Top = 213;
  int32_t ClientWidth = 559;
  int32_t ClientHeight = 368;
  std::string Caption = "Form1";
  FormColor Color{15, 0};     // clBtnFace
  FormColor FontColor{8, 0};  // clWindowText
  int32_t FontHeight = -11;
  std::string FontName = "MS Sans Serif";
  uint8_t FontCharset = 1;  // DEFAULT_CHARSET
};

// A colour name of the form's description ("clBtnFace", "clBlack", "$00FF8000"
// or a decimal number); false for a name it does not know.
bool ParseFormColor(const std::string& Name, FormColor* Out);
// A character-set name ("DEFAULT_CHARSET", "ANSI_CHARSET", ... or a number).
bool ParseFontCharset(const std::string& Name, uint8_t* Out);

// The look that a parsed description gives; what it leaves out or names in a
// way not understood keeps the value of Defaults.
FormLook FormLookFrom(const FormDescription& Form, const FormLook& Defaults = FormLook{});

}  // namespace carpex
