// The message loop of the SDL game and the page, on a host of its own: each
// message in a turn of its own before the next frame, what a burst beyond the
// queue keeps, the timer, and the end.
#include "platform/common/message_loop.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace carpex::common {
namespace {

// Writes down what reaches the form; Frame runs inside each idle call.
class Form final : public FormHandlers {
 public:
  void Handle(const FormEvent& Event) override {
    Note(EventName(Event.kind) +
         (MaxKey(Event.kind) > 0 ? " " + std::to_string(Event.key) : std::string()));
  }
  void GameLoop(bool& Done) override {
    Done = false;
    Note("frame");
    if (Frame) Frame(++frames_);
  }

  void Note(const std::string& What) { Log.push_back(What); }
  std::vector<std::string> Log;
  std::function<void(int)> Frame;

 private:
  int frames_ = 0;
};

// A clock the test sets, system events the test queues, and focus messages
// written down as the form's log.
class Host final : public MessageLoop::Host {
 public:
  explicit Host(Form& Log) : log_(Log) {}
  double Now() override { return Clock; }
  bool HandleSystemEvent(bool) override {
    if (System.empty()) return false;
    const std::function<void()> event = System.front();
    System.pop_front();
    event();
    return true;
  }
  void Sample() override {}
  void Focus(FormEvent::Kind Kind, FormHandlers&) override {
    log_.Note(std::string("focus ") + EventName(Kind));
  }
  void AfterFrame() override {}
  double UntilFrame() override { return FrameAt > Clock ? FrameAt - Clock : 0; }
  void Wait(double Milliseconds) override {
    if (OnWait) OnWait(Milliseconds);
  }
  void Ending() override { log_.Note("ending"); }

  double Clock = 0;
  double FrameAt = 0;  // when the next frame's step is due
  std::function<void(double)> OnWait;
  std::deque<std::function<void()>> System;

 private:
  Form& log_;
};

class MessageLoopTest : public ::testing::Test {
 protected:
  // Runs until the frame numbered Last has been made.
  std::vector<std::string> Run(int Last) {
    const auto frame = form.Frame;
    form.Frame = [&, frame](int Number) {
      if (frame) frame(Number);
      if (Number == Last) loop.Terminate();
    };
    loop.Run(form, host);
    return form.Log;
  }

  MessageLoop loop;
  Form form;
  Host host{form};
};

using Log = std::vector<std::string>;

TEST_F(MessageLoopTest, EachMessageIsHandedOverInATurnOfItsOwnBeforeTheNextFrame) {
  loop.Post({FormEvent::KeyDown, 32});
  loop.Post({FormEvent::KeyUp, 32});
  // Focus changes one after another count as the last one.
  loop.Post({FormEvent::Deactivate, 0});
  loop.Post({FormEvent::Restore, 0});
  // A key-down handed over at once within a system event's turn, its
  // character posted: the character comes after it.
  host.System.push_back([&] {
    loop.Post({FormEvent::Char, 'x'});
    loop.Deliver({FormEvent::KeyDown, 'X'});
  });
  EXPECT_EQ(Run(2), (Log{"down 32", "up 32", "focus restore", "down 88", "char 120", "frame",
                         "frame", "ending"}));
}

TEST_F(MessageLoopTest, ABurstBeyondTheQueueKeepsTheFirstKeysEveryKeyUpAndTheLastFocus) {
  Log expected;
  for (int i = 0; i < 65; ++i) {
    loop.Post({FormEvent::Char, static_cast<uint16_t>(i)});
    if (i < 64) expected.push_back("char " + std::to_string(i));
  }
  loop.Post({FormEvent::KeyUp, 40});
  loop.Post({FormEvent::KeyDown, 32});
  loop.Post({FormEvent::Deactivate, 0});
  loop.Post({FormEvent::KeyUp, 32});
  loop.Post({FormEvent::Restore, 0});
  // The key-ups by code, then the focus change, once the queue is through.
  for (const char* after : {"up 32", "up 40", "focus restore", "frame", "ending"}) {
    expected.push_back(after);
  }
  EXPECT_EQ(Run(1), expected);
}

TEST_F(MessageLoopTest, TheTimerTicksOnceWhenDueHoweverLateItIs) {
  form.Frame = [&](int Number) {
    const double clock[] = {0, 999, 3500, 3600, 4500, 4500};
    host.Clock = clock[Number];
  };
  EXPECT_EQ(Run(5), (Log{"frame", "frame", "tick", "frame", "frame", "tick", "frame", "ending"}));
}

TEST_F(MessageLoopTest, AKeyThatComesWhileTheNextFrameIsAwaitedIsHandedOverBeforeIt) {
  // The frame is due at 10 ms; the key comes at 4 ms.
  host.FrameAt = 10;
  host.OnWait = [&](double Ms) {
    form.Note("wait " + std::to_string(static_cast<int>(Ms)));
    if (host.Clock < 4) {
      host.Clock = 4;
      host.System.push_back([&] { loop.Deliver({FormEvent::KeyDown, 32}); });
    } else {
      host.Clock += Ms;
    }
  };
  EXPECT_EQ(Run(1), (Log{"wait 10", "down 32", "wait 6", "frame", "ending"}));
}

TEST_F(MessageLoopTest, WhatIsQueuedWhenTheApplicationEndsIsHandedOverWithoutATick) {
  form.Frame = [&](int) {
    loop.Post({FormEvent::Char, 27});
    host.System.push_back([&] { form.Note("system event"); });
    host.Clock = 5000;
  };
  EXPECT_EQ(Run(1), (Log{"frame", "ending", "char 27", "system event"}));
}

}  // namespace
}  // namespace carpex::common
