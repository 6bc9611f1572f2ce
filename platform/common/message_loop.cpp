#include "platform/common/message_loop.h"

#include <algorithm>

namespace carpex::common {

void MessageLoop::Post(const FormEvent& Event) {
  const bool focus = IsFocus(Event.kind);
  if (focus && focus_aside_) {
    aside_focus_ = Event.kind;
    return;
  }
  FormEvent* newest = &queue_[(queue_head_ + queue_count_ + kQueueSize - 1) % kQueueSize];
  if (focus && !AnyKeptAside() && queue_count_ > 0 && IsFocus(newest->kind)) {
    newest->kind = Event.kind;
    return;
  }
  // Once anything is aside, everything after it goes aside too (or is
  // dropped), so that nothing is handed over before what came earlier.
  if (!AnyKeptAside() && queue_count_ < kQueueSize) {
    queue_[(queue_head_ + queue_count_) % kQueueSize] = Event;
    ++queue_count_;
  } else if (Event.kind == FormEvent::KeyUp && Event.key < released_.size()) {
    released_.set(Event.key);
  } else if (focus) {
    focus_aside_ = true;
    aside_focus_ = Event.kind;
  }
}

void MessageLoop::Post(const FormEvent* Events, int Count) {
  for (int i = 0; i < Count; ++i) Post(Events[i]);
}

void MessageLoop::Deliver(const FormEvent& Event) {
  if (form_ == nullptr) return;
  if (IsFocus(Event.kind)) {
    host_->Focus(Event.kind, *form_);
  } else {
    form_->Handle(Event);
  }
}

void MessageLoop::Run(FormHandlers& Form, Host& With) {
  form_ = &Form;
  host_ = &With;
  next_tick_ = With.Now() + kTimerIntervalMs;
  while (!terminated_) {
    if (HandleOne(false)) continue;
    if (const double wait = With.UntilFrame(); wait > 0) {
      const double now = With.Now();
      With.Wait(std::min(wait, next_tick_ > now ? next_tick_ - now : 0));
      continue;
    }
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
    if (done && !terminated_ && queue_count_ == 0 && !AnyKeptAside()) {
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
    const FormEvent m = queue_[queue_head_];
    queue_head_ = (queue_head_ + 1) % kQueueSize;
    --queue_count_;
    Deliver(m);
    return true;
  }
  if (released_.any()) {
    uint16_t key = 0;
    while (!released_.test(key)) ++key;
    released_.reset(key);
    Deliver(FormEvent{FormEvent::KeyUp, key});
    return true;
  }
  if (focus_aside_) {
    focus_aside_ = false;
    Deliver(FormEvent{aside_focus_, 0});
    return true;
  }
  if (host_->HandleSystemEvent(Draining)) return true;
  if (Draining) return false;
  // Like WM_TIMER: made when nothing else is waiting, and never piled up.
  const double now = host_->Now();
  if (now < next_tick_) return false;
  next_tick_ += kTimerIntervalMs;
  if (next_tick_ <= now) next_tick_ = now + kTimerIntervalMs;
  Deliver(FormEvent{FormEvent::Tick, 0});
  return true;
}

}  // namespace carpex::common
