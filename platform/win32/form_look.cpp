#include "platform/win32/form_look.h"

#include <cstdlib>
#include <string_view>

#include "assets/form_description.h"

namespace carpex::win32 {

namespace {

struct NamedValue {
  std::string_view Name;
  uint32_t Value;
};

// The system colours by the names the form uses, with their GetSysColor index.
constexpr NamedValue kSystemColors[] = {
    {"clScrollBar", 0},      {"clBackground", 1},
    {"clActiveCaption", 2},  {"clInactiveCaption", 3},
    {"clMenu", 4},           {"clWindow", 5},
    {"clWindowFrame", 6},    {"clMenuText", 7},
    {"clWindowText", 8},     {"clCaptionText", 9},
    {"clActiveBorder", 10},  {"clInactiveBorder", 11},
    {"clAppWorkSpace", 12},  {"clHighlight", 13},
    {"clHighlightText", 14}, {"clBtnFace", 15},
    {"clBtnShadow", 16},     {"clGrayText", 17},
    {"clBtnText", 18},       {"clInactiveCaptionText", 19},
    {"clBtnHighlight", 20},  {"cl3DDkShadow", 21},
    {"cl3DLight", 22},       {"clInfoText", 23},
    {"clInfoBk", 24},
};

// The plain colours, as 0x00BBGGRR.
constexpr NamedValue kPlainColors[] = {
    {"clBlack", 0x000000},  {"clMaroon", 0x000080},  {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},   {"clPurple", 0x800080},  {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF},     {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},   {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},  {"clWhite", 0xFFFFFF},
};

constexpr NamedValue kCharsets[] = {
    {"ANSI_CHARSET", 0},      {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},   {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},   {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},  {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255},
};

template <std::size_t N>
bool Lookup(const NamedValue (&Table)[N], std::string_view Name, uint32_t* Out) {
  for (const NamedValue& entry : Table) {
    if (entry.Name == Name) {
      *Out = entry.Value;
      return true;
    }
  }
  return false;
}

// A number as the description writes it: decimal, possibly negative, or
// hexadecimal after a '$'. Kept as its 32-bit pattern.
bool ParseNumber(const std::string& Text, uint32_t* Out) {
  if (Text.empty()) return false;
  const bool hex = Text[0] == '$';
  const char* begin = Text.c_str() + (hex ? 1 : 0);
  if (*begin == '\0') return false;
  char* end = nullptr;
  const long long value = std::strtoll(begin, &end, hex ? 16 : 10);
  if (*end != '\0' || value < -2147483648LL || value > 0xFFFFFFFFLL) return false;
  *Out = static_cast<uint32_t>(value);
  return true;
}

}  // namespace

bool ParseFormColor(const std::string& Name, FormColor* Out) {
  uint32_t value = 0;
  if (Lookup(kSystemColors, Name, &value)) {
    *Out = FormColor{static_cast<int32_t>(value), 0};
    return true;
  }
  if (Lookup(kPlainColors, Name, &value)) {
    *Out = FormColor{-1, value};
    return true;
  }
  if (!ParseNumber(Name, &value)) return false;
  // A set top bit marks a system colour; its index is in the low byte.
  if ((value & 0x80000000u) != 0) {
    *Out = FormColor{static_cast<int32_t>(value & 0xFFu), 0};
  } else {
    *Out = FormColor{-1, value & 0x00FFFFFFu};
  }
  return true;
}

bool ParseFontCharset(const std::string& Name, uint8_t* Out) {
  uint32_t value = 0;
  if (!Lookup(kCharsets, Name, &value)) {
    if (!ParseNumber(Name, &value) || value > 255) return false;
  }
  *Out = static_cast<uint8_t>(value);
  return true;
}

FormLook DesignedLook() {
  return FormLookFrom(DesignedForm(), FormLook{});
}

FormLook FormLookFrom(const FormDescription& Form, const FormLook& Defaults) {
  FormLook look = Defaults;
  look.Left = Form.Left;
  look.Top = Form.Top;
  if (Form.ClientWidth > 0) look.ClientWidth = Form.ClientWidth;
  if (Form.ClientHeight > 0) look.ClientHeight = Form.ClientHeight;
  if (!Form.Caption.empty()) look.Caption = Form.Caption;
  ParseFormColor(Form.Color, &look.Color);
  ParseFormColor(Form.FontColor, &look.FontColor);
  if (Form.FontHeight != 0) look.FontHeight = Form.FontHeight;
  if (!Form.FontName.empty()) look.FontName = Form.FontName;
  ParseFontCharset(Form.FontCharset, &look.FontCharset);
  return look;
}

}  // namespace carpex::win32
