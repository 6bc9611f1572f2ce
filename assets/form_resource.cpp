// Finding the form description among the program's own resources: the
// RCDATA resource TFORM1 of the executable on Windows, the embedded copy
// elsewhere; and the form as designed, for when it is not there.
#include <cstring>

#include "assets/form_description.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "graphics/soft/resources.h"
#endif

namespace carpex {

bool FindProgramData(const char* Name, const uint8_t** Data, std::size_t* Size) {
#ifdef _WIN32
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, Name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return false;
  *Data = static_cast<const uint8_t*>(bytes);
  *Size = SizeofResource(module, found);
  return true;
#else
  for (std::size_t i = 0; i < soft::kResourceCount; ++i) {
    const soft::Resource& r = soft::kResources[i];
    if (std::strcmp(r.type, "RCDATA") == 0 && std::strcmp(r.name, Name) == 0) {
      *Data = r.data;
      *Size = r.size;
      return true;
    }
  }
  return false;
#endif
}

bool LoadFormDescription(FormDescription* Out) {
  const uint8_t* text = nullptr;
  std::size_t size = 0;
  return FindProgramData("TFORM1", &text, &size) &&
         ParseFormDescription(reinterpret_cast<const char*>(text), size, Out, nullptr);
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
