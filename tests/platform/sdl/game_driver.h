// Hands every event of the SDL layer to the game's form and ends the run after
// a number of frames; Between runs between two frames.
#pragma once

#include <functional>

#include "platform/sdl/sdl_app.h"
#include "shell/app.h"

namespace carpex::sdl {

class Driver : public FormHandlers {
 public:
  Driver(FormHandlers& Form, SdlApp& App) : form_(Form), app_(App) {}
  void Run(int Frames) {
    frames_ = Frames;
    calls_ = 0;
    app_.Run(*this);
  }
  std::function<void(int)> Between;

  void Handle(const FormEvent& Event) override { form_.Handle(Event); }
  void GameLoop(bool& Done) override {
    form_.GameLoop(Done);
    ++calls_;
    if (Between) Between(calls_);
    if (calls_ == frames_) app_.Terminate();
  }

 private:
  FormHandlers& form_;
  SdlApp& app_;
  int frames_ = 0;
  int calls_ = 0;
};

}  // namespace carpex::sdl
