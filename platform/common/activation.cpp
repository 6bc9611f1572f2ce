#include "platform/common/activation.h"

#include "graphics/soft/control.h"

namespace carpex::common {

bool LoseDisplaySurfaces() {
  soft::LoseAllSurfaces();
  return true;
}

bool Activation::Minimize() {
  if (minimized_) return false;
  minimized_ = true;
  if (loses_surfaces_) soft::Deactivate();
  return true;
}

void Activation::HandleFocus(bool Active, FormHandlers& Form) {
  if (!Active) {
    if (!minimized_) Form.Handle({FormEvent::Deactivate, 0});
  } else if (minimized_) {
    minimized_ = false;
    if (loses_surfaces_) soft::Activate();
    Form.Handle({FormEvent::Restore, 0});
  }
}

}  // namespace carpex::common
