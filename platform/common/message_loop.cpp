#include "platform/common/message_loop.h"

namespace carpex::common {

namespace {

constexpr double kTimerIntervalMs = 1000;

}  // namespace

void MessageLoop::Post(Message M) {
  const bool focus = IsFocus(M.kind);
  if (focus && focus_aside_) {
    aside_focus_ = M.kind;
    return;
  }
  Message* newest = &queue_[(queue_head_ + queue_count_ + kQueueSize - 1) % kQueueSize];
  if (focus && !Aside() && queue_count_ > 0 && IsFocus(newest->kind)) {
    newest->kind = M.kind;
    return;
  }
  // Once anything is aside, everything after it goes aside too (or is
  // dropped), so that nothing is handed over before what came earlier.
  if (!Aside() && queue_count_ < kQueueSize) {
    queue_[(queue_head_ + queue_count_) % kQueueSize] = M;
    ++queue_count_;
  } else if (M.kind == Message::KeyUp && M.key < released_.size()) {
    released_.set(M.key);
  } else if (focus) {
    focus_aside_ = true;
    aside_focus_ = M.kind;
  }
}

void MessageLoop::Deliver(const Message& M) {
  if (form_ == nullptr) return;
  uint8_t character = static_cast<uint8_t>(M.key);
  uint16_t key = M.key;
  switch (M.kind) {
    case Message::Char:
      form_->FormKeyPress(character);
      break;
    case Message::KeyDown:
      form_->FormKeyDown(key);
      break;
    case Message::KeyUp:
      form_->FormKeyUp(key);
      break;
    case Message::Deactivate:
    case Message::Restore:
    case Message::Activation:
      host_->Focus(M.kind, *form_);
      break;
  }
}

void MessageLoop::Run(FormHandlers& Form, Host& With) {
  form_ = &Form;
  host_ = &With;
  next_tick_ = With.Now() + kTimerIntervalMs;
  while (!terminated_) {
    if (HandleOne(false)) continue;
    if (!sampled_) {
      sampled_ = true;
      const int queued = queue_count_;
      With.Sample();
      if (queue_count_ != queued) continue;
    }
    sampled_ = false;
    ++idle_calls_;
    bool done = true;
    Form.GameLoop(done);
    With.AfterFrame();
    if (done && !terminated_ && queue_count_ == 0 && !Aside()) {
      const double now = With.Now();
      With.Wait(next_tick_ > now ? next_tick_ - now : 0);
    }
  }
  With.Ending();
  while (HandleOne(true)) {
  }
  form_ = nullptr;
  host_ = nullptr;
}

bool MessageLoop::HandleOne(bool Draining) {
  if (queue_count_ > 0) {
    const Message m = queue_[queue_head_];
    queue_head_ = (queue_head_ + 1) % kQueueSize;
    --queue_count_;
    Deliver(m);
    return true;
  }
  if (released_.any()) {
    uint16_t key = 0;
    while (!released_.test(key)) ++key;
    released_.reset(key);
    Deliver(Message{Message::KeyUp, key});
    return true;
  }
  if (focus_aside_) {
    focus_aside_ = false;
    Deliver(Message{aside_focus_, 0});
    return true;
  }
  if (host_->HandleSystemEvent(Draining)) return true;
  if (Draining) return false;
  // Like WM_TIMER: made when nothing else is waiting, and never piled up.
  const double now = host_->Now();
  if (now < next_tick_) return false;
  next_tick_ += kTimerIntervalMs;
  if (next_tick_ <= now) next_tick_ = now + kTimerIntervalMs;
  form_->Timer1Timer();
  return true;
}

}  // namespace carpex::common
