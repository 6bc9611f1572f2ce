#include "shell/carpex.h"

#include "graphics/directdraw.h"
#include "shell/unit1.h"

namespace carpex {

int Carpex(Application& App) {
  DirectDraw::Bind();
  {
    TForm1 form(App);
    Form1 = &form;
    form.FormCreate();
    App.Run(form);
    form.FormDestroy();
    Form1 = nullptr;
  }
  DirectDraw::Unbind();
  return 0;
}

}  // namespace carpex
