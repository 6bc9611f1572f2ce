#include "platform/common/activation.h"

#include "graphics/soft/control.h"

namespace carpex::common {

bool Activation::Minimize() {
  if (minimized_) return false;
  minimized_ = true;
  if (loses_surfaces_) soft::Deactivate();
  return true;
}

void Activation::HandleFocus(bool Active, FormHandlers& Form) {
  if (!Active) {
    if (!minimized_) Form.ApplicationEvents1Deactivate();
  } else if (minimized_) {
    minimized_ = false;
    if (loses_surfaces_) soft::Activate();
    Form.ApplicationEvents1Restore();
  }
}

}  // namespace carpex::common
