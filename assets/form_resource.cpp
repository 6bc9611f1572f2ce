// Finding the form description among the program's own resources: the
// RCDATA resource TFORM1 of the executable on Windows, the embedded copy
// elsewhere; and the form as designed, for when it is not there.
#include <cstring>

#include "assets/form_description.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include "graphics/soft/resources.h"
#endif

namespace carpex {

bool LoadFormDescription(FormDescription* Out) {
#ifdef _WIN32
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, "TFORM1", MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const void* text = loaded != nullptr ? LockResource(loaded) : nullptr;
  return text != nullptr && ParseFormDescription(static_cast<const char*>(text),
                                                 SizeofResource(module, found), Out, nullptr);
#else
  for (std::size_t i = 0; i < soft::kResourceCount; ++i) {
    const soft::Resource& r = soft::kResources[i];
    if (std::strcmp(r.type, "RCDATA") == 0 && std::strcmp(r.name, "TFORM1") == 0) {
      return ParseFormDescription(reinterpret_cast<const char*>(r.data), r.size, Out, nullptr);
    }
  }
  return false;
#endif
}

FormDescription DesignedForm() {
  FormDescription form;
  form.Name = "Form1";
  form.ClassName = "TForm1";
  form.Left = 403;
  form.Top = 213;
  form.ClientWidth = 559;
  form.ClientHeight = 368;
  form.BorderStyle = "bsNone";
  form.Caption = "Form1";
  form.Color = "clBtnFace";
  form.FontCharset = "DEFAULT_CHARSET";
  form.FontColor = "clWindowText";
  form.FontHeight = -11;
  form.FontName = "MS Sans Serif";
  return form;
}

FormDescription CarriedForm() {
  FormDescription form;
  if (!LoadFormDescription(&form)) form = DesignedForm();
  return form;
}

}  // namespace carpex
