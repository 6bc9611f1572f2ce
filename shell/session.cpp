#include "shell/session.h"

#include "graphics/directdraw.h"
#include "shell/unit1.h"

namespace carpex {

GameSession::GameSession(Application& App, Language Pictures) {
  DirectDraw::Bind();
  form_.reset(new TForm1(App));
  form_->UsePictures(Pictures);
  // Set before FormCreate, so that the display's set-up can use the form's window.
  Form1 = form_.get();
  form_->FormCreate();
}

GameSession::~GameSession() {
  form_->FormDestroy();
  Form1 = nullptr;
  form_.reset();
  DirectDraw::Unbind();
}

FormHandlers& GameSession::Handlers() {
  return *form_;
}

FormView GameSession::View() const {
  return form_->View();
}

bool GameSession::DisplayFailed() const {
  return form_->DisplayFailed;
}

void GameSession::SetRandomSource(RandomSource* Source) {
  form_->SetRandomSource(Source);
}

void GameSession::UsePictures(Language Chosen) {
  form_->UsePictures(Chosen);
}

void GameSession::SeedOwnGenerator(uint32_t Seed) {
  form_->OwnRandom.Seed(Seed);
}

}  // namespace carpex
