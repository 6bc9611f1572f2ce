// The main form's description (resource TFORM1) in its text form:
//
//   object Form1: TForm1
//     Left = 403
//     Caption = 'Form1'
//     Font.Style = []
//     OnCreate = FormCreate
//     object Timer1: TTimer
//       OnTimer = Timer1Timer
//     end
//   end
//
// Values are integers, quoted strings ('' stands for one quote), identifiers
// (True, bsNone, handler names) and sets of identifiers in brackets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace carpex {

struct FormComponent {
  std::string Name;       // e.g. "Timer1"
  std::string ClassName;  // e.g. "TTimer"
  int32_t Left = 0;       // design-time position, no effect at run time
  int32_t Top = 0;
  // Event name and handler name, in the order written: {"OnTimer", "Timer1Timer"}.
  std::vector<std::pair<std::string, std::string>> Events;

  // The handler bound to `Event`, or "" when there is none.
  std::string Handler(const std::string& Event) const;
};

struct FormDescription {
  std::string Name;       // "Form1"
  std::string ClassName;  // "TForm1"
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t ClientWidth = 0;
  int32_t ClientHeight = 0;
  std::string BorderStyle;  // "bsNone"
  std::string Caption;
  std::string Color;  // "clBtnFace"
  std::string FontCharset;
  std::string FontColor;
  int32_t FontHeight = 0;
  std::string FontName;
  std::vector<std::string> FontStyle;
  bool OldCreateOrder = false;
  int32_t PixelsPerInch = 0;
  int32_t TextHeight = 0;
  // The form's own events, as for a component: {"OnCreate", "FormCreate"}, ...
  std::vector<std::pair<std::string, std::string>> Events;
  std::vector<FormComponent> Components;

  std::string Handler(const std::string& Event) const;
  // nullptr when the form has no component of that name.
  const FormComponent* FindComponent(const std::string& Name) const;
};

// Reads `Size` bytes of `Text`. On failure returns false, leaves `Out` as it
// was and, when `Error` is given, says what is wrong and on which line
// ("line 7: expected '=' after the property name").
bool ParseFormDescription(const char* Text, std::size_t Size, FormDescription* Out,
                          std::string* Error);

// The bytes of the program's own RCDATA resource Name (the executable's on
// Windows, the embedded copy elsewhere); false when there is none.
bool FindProgramData(const char* Name, const uint8_t** Data, std::size_t* Size);

// The description the program carries (resource TFORM1); false when it is
// missing or cannot be read.
bool LoadFormDescription(FormDescription* Out);

// The form as it was designed: what the program's own description says of its
// place, size, caption, colour and font, for what a description leaves out.
FormDescription DesignedForm();
// The description the program carries, or the designed form when that is
// missing or cannot be read.
FormDescription CarriedForm();

}  // namespace carpex
