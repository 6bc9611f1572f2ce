#include "shell/carpex.h"

#include "graphics/directdraw.h"
#include "shell/unit1.h"

namespace carpex {

int Carpex(Application& App, Language Pictures) {
  DirectDraw::Bind();
  int status = 0;
  {
    TForm1 form(App);
    Form1 = &form;
    form.UsePictures(Pictures);
    form.FormCreate();
    App.Run(form);
    // The player has seen why in the message box; the status says it too.
    if (form.DisplayFailed) status = 1;
    form.FormDestroy();
    Form1 = nullptr;
  }
  DirectDraw::Unbind();
  return status;
}

}  // namespace carpex
