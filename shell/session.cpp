#include "shell/session.h"

#include "graphics/directdraw.h"
#include "shell/unit1.h"

namespace carpex {

GameSession::GameSession(Application& App, Language Pictures) {
  DirectDraw::Bind();
  form_.reset(new TForm1(App));
  form_->UsePictures(Pictures);
  form_->FormCreate();
}

GameSession::~GameSession() {
  form_->FormDestroy();
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

void GameSession::AddRoundListener(RoundListener* Listener) {
  form_->AddRoundListener(Listener);
}

void GameSession::RemoveRoundListener(RoundListener* Listener) {
  form_->RemoveRoundListener(Listener);
}

CarriedState GameSession::Carried() const {
  return form_->Carried();
}

void GameSession::Carry(const CarriedState& State) {
  form_->Carry(State);
}

void GameSession::UseDailyCity(uint32_t Day) {
  form_->DailySeed = Day;
}

uint32_t GameSession::DailyCity() const {
  return form_->DailySeed;
}

void GameSession::SeedOwnGenerator(uint32_t Seed) {
  form_->OwnRandom.Seed(Seed);
}

}  // namespace carpex
