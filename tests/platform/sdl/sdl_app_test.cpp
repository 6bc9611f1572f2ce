// The application layer driven through SDL's dummy video driver: no display
// is needed, events are pushed into SDL's queue as the window system would
// send them, and the loop runs the real Run().
#include "platform/sdl/sdl_app.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "graphics/soft/control.h"
#include "tests/platform/sdl/dummy_video.h"

namespace carpex::sdl {
namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new DummyVideo);

// Writes down every handler call in order; "idle" for a GameLoop call.
class RecordingForm : public FormHandlers {
 public:
  std::vector<std::string> log;
  int idleCalls = 0;
  // Runs inside the given idle call (1 = first); may end the run.
  std::function<void(int)> onIdle;
  std::function<void(uint8_t)> onKeyPress;
  bool done = false;  // what GameLoop leaves in Done

  void Handle(const FormEvent& Event) override {
    const std::string key = std::to_string(Event.key);
    switch (Event.kind) {
      case FormEvent::Char:
        log.push_back("char " + key);
        if (onKeyPress) onKeyPress(static_cast<uint8_t>(Event.key));
        break;
      case FormEvent::KeyDown:
        log.push_back("down " + key);
        break;
      case FormEvent::KeyUp:
        log.push_back("up " + key);
        break;
      case FormEvent::Tick:
        log.push_back("timer");
        break;
      case FormEvent::Deactivate:
        Deactivated();
        break;
      case FormEvent::Restore:
        Restored();
        break;
      default:
        log.push_back(std::string("other ") + key);
        break;
    }
  }
  virtual void Deactivated() { log.push_back("deactivate"); }
  virtual void Restored() { log.push_back("restore"); }
  void GameLoop(bool& Done) override {
    Done = done;
    log.push_back("idle");
    ++idleCalls;
    if (onIdle) onIdle(idleCalls);
  }
};

class SdlAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    app = MakeQuietApp(&error);
    ASSERT_NE(app, nullptr) << error;
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // the window's own start-up events
  }
  void TearDown() override {
    app.reset();
    soft::Reset();
  }

  void Key(uint32_t Type, SDL_Keycode Sym, SDL_Scancode Scan, uint16_t Mod = 0,
           uint8_t Repeat = 0) {
    SDL_Event e{};
    e.type = Type;
    e.key.windowID = SDL_GetWindowID(app->Window());
    e.key.state = Type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = Repeat;
    e.key.keysym.sym = Sym;
    e.key.keysym.scancode = Scan;
    e.key.keysym.mod = Mod;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  void WindowEvent(uint8_t What) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(app->Window());
    e.window.event = What;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  // Runs until the form has had `Idle` idle calls.
  void RunIdleCalls(int Idle) {
    form.onIdle = [this, Idle](int N) {
      if (N == Idle) app->Terminate();
    };
    app->Run(form);
  }

  std::unique_ptr<SdlApp> app;
  RecordingForm form;
};

using Log = std::vector<std::string>;

TEST_F(SdlAppTest, KeyDownThenItsCharacterThenKeyUpAllBeforeTheNextFrame) {
  Key(SDL_KEYDOWN, 'f', SDL_SCANCODE_F);
  Key(SDL_KEYUP, 'f', SDL_SCANCODE_F);
  Key(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
  Key(SDL_KEYDOWN, '9', SDL_SCANCODE_9);
  Key(SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE);
  Key(SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE, 0, 1);  // auto-repeat
  Key(SDL_KEYUP, SDLK_SPACE, SDL_SCANCODE_SPACE);
  Key(SDL_KEYDOWN, SDLK_DOWN, SDL_SCANCODE_DOWN);
  Key(SDL_KEYDOWN, 'a', SDL_SCANCODE_A, KMOD_LSHIFT);
  RunIdleCalls(1);
  EXPECT_EQ(form.log, (Log{"down 70", "char 102", "up 70", "down 27", "char 27", "down 57",
                           "char 57", "down 32", "char 32", "down 32", "char 32", "up 32",
                           "down 40", "down 65", "char 65", "idle"}));
}

TEST_F(SdlAppTest, KeysWithoutAWindowsCodeAreDropped) {
  Key(SDL_KEYDOWN, SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP);
  Key(SDL_KEYUP, SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP);
  RunIdleCalls(1);
  EXPECT_EQ(form.log, (Log{"idle"}));
}

TEST_F(SdlAppTest, FramesFollowEachOtherWhileDoneStaysFalse) {
  RunIdleCalls(5);
  EXPECT_EQ(form.log, (Log{"idle", "idle", "idle", "idle", "idle"}));
}

TEST_F(SdlAppTest, EventsArrivingDuringAFrameAreHandledBeforeTheNext) {
  form.onIdle = [this](int N) {
    if (N == 1) Key(SDL_KEYDOWN, '3', SDL_SCANCODE_3);
    if (N == 2) app->Terminate();
  };
  app->Run(form);
  EXPECT_EQ(form.log, (Log{"idle", "down 51", "char 51", "idle"}));
}

TEST_F(SdlAppTest, TerminateHandlesWhatIsQueuedThenEndsWithoutAnotherFrame) {
  // Escape ends the program from its key press; the key-up and the key after
  // it were queued already and are still handled.
  form.onKeyPress = [this](uint8_t Key) {
    if (Key == 27) app->Terminate();
  };
  Key(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
  Key(SDL_KEYUP, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
  Key(SDL_KEYDOWN, 'x', SDL_SCANCODE_X);
  app->Run(form);
  EXPECT_EQ(form.log, (Log{"down 27", "char 27", "up 27", "down 88", "char 120"}));
}

TEST_F(SdlAppTest, TerminatedBeforeRunningEndsAtOnceShowingNothing) {
  app->Terminate();
  app->Run(form);
  EXPECT_TRUE(form.log.empty());
  EXPECT_NE(SDL_GetWindowFlags(app->Window()) & SDL_WINDOW_HIDDEN, 0u);
  EXPECT_EQ(app->Presents(), 0u);
}

TEST_F(SdlAppTest, AltEnterSwitchesBetweenFullScreenAndAWindowAndIsNoKeyForTheForm) {
  std::vector<std::string> modes;
  auto mode = [this] {
    int w = 0, h = 0;
    SDL_GetWindowSize(app->Window(), &w, &h);
    const uint32_t flags = SDL_GetWindowFlags(app->Window());
    return std::to_string(w) + "x" + std::to_string(h) +
           ((flags & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP
                ? " full screen"
                : "");
  };
  form.onIdle = [&](int N) {
    modes.push_back(mode());
    if (N == 1 || N == 2) {
      Key(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
      Key(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT, 1);  // held: no second switch
      Key(SDL_KEYUP, SDLK_RETURN, SDL_SCANCODE_RETURN, N == 1 ? KMOD_LALT : 0);
    }
    if (N == 3) {
      Key(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN);  // Enter alone is a key for the form
      app->Terminate();
    }
  };
  app->Run(form);
  EXPECT_EQ(modes,
            (std::vector<std::string>{"1024x768 full screen", "640x480", "1024x768 full screen"}));
  EXPECT_EQ(form.log, (Log{"idle", "idle", "idle", "down 13", "char 13"}));
}

TEST_F(SdlAppTest, ClosingTheWindowEndsTheProgram) {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  app->Run(form);
  EXPECT_TRUE(form.log.empty());
  EXPECT_NE(SDL_GetWindowFlags(app->Window()) & SDL_WINDOW_HIDDEN, 0u);
}

TEST_F(SdlAppTest, TheTimerTicksEverySecondBetweenFrames) {
  // Frames of about 50 ms for a little over two seconds.
  form.onIdle = [this](int N) {
    app->Sleep(50);
    if (N == 45) app->Terminate();
  };
  const uint64_t start = SDL_GetTicks64();
  app->Run(form);
  const uint64_t elapsed = SDL_GetTicks64() - start;
  int ticks = 0;
  for (size_t i = 0; i < form.log.size(); ++i) {
    if (form.log[i] != "timer") continue;
    ++ticks;
    ASSERT_GT(i, 0u);
    EXPECT_EQ(form.log[i - 1], "idle");  // never inside a frame
  }
  EXPECT_EQ(ticks, static_cast<int>(elapsed / 1000));
}

TEST_F(SdlAppTest, WithDoneLeftTrueTheLoopWaitsForTheNextMessage) {
  form.done = true;
  form.onIdle = [this](int N) {
    if (N == 2) app->Terminate();
  };
  const uint64_t start = SDL_GetTicks64();
  app->Run(form);
  // Nothing but the timer comes, a second later: no idle calls meanwhile.
  EXPECT_EQ(form.log, (Log{"idle", "timer", "idle"}));
  EXPECT_GE(SDL_GetTicks64() - start, 900u);
}

// The form does what the game does: Minimize on deactivation, Maximize on restore.
class MinimisingForm : public RecordingForm {
 public:
  SdlApp* app = nullptr;
  void Deactivated() override {
    RecordingForm::Deactivated();
    app->Minimize();
  }
  void Restored() override {
    RecordingForm::Restored();
    app->Maximize();
  }
};

// The dummy driver has no focus: the window's state is the test's.
constexpr SdlApp::WindowState kShown{true, false};
constexpr SdlApp::WindowState kAway{false, true};  // minimised by the player
constexpr SdlApp::WindowState kFocusElsewhere{false, false};

// Switching to another window pauses the game and leaves its window and its
// display as they are; coming back resumes it.
TEST_F(SdlAppTest, FocusLossPausesWithoutMinimisingAndTheFocusBackResumes) {
  MinimisingForm game;
  game.app = app.get();
  SdlApp::WindowState window = kShown;
  app->SetWindowStateSource([&] { return window; });
  std::vector<std::string> states;
  game.onIdle = [&](int N) {
    const bool minimised = (SDL_GetWindowFlags(app->Window()) & SDL_WINDOW_MINIMIZED) != 0;
    states.push_back(std::string(app->Away() ? "away" : "here") + (minimised ? " minimised" : "") +
                     (soft::IsActive() ? "" : " display lost"));
    if (N == 1) {
      window = kFocusElsewhere;
      WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    }
    if (N == 2) WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);  // away already: nothing
    if (N == 3) {
      window = kShown;
      WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
      WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);  // not a second restore
    }
    if (N == 4) WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);  // was not away
    if (N == 5) app->Terminate();
  };
  app->Run(game);
  EXPECT_EQ(game.log, (Log{"idle", "deactivate", "idle", "idle", "restore", "idle", "idle"}));
  EXPECT_EQ(states, (std::vector<std::string>{"here", "away", "away", "here", "here"}));
}

TEST_F(SdlAppTest, FocusGainedWhileAwayIsARestore) {
  app->SetWindowStateSource([] { return kShown; });
  form.onIdle = [this](int N) {
    if (N == 1) app->Minimize();
    if (N == 2) WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    if (N == 3) app->Terminate();
  };
  app->Run(form);
  EXPECT_EQ(form.log, (Log{"idle", "idle", "restore", "idle"}));
  EXPECT_TRUE(soft::IsActive());
}

TEST_F(SdlAppTest, AFocusStormEndsInTheStateTheWindowIsInWhenItIsHandled) {
  MinimisingForm game;
  game.app = app.get();
  SdlApp::WindowState window = kShown;
  app->SetWindowStateSource([&] { return window; });
  auto storm = [&](SdlApp::WindowState After) {
    for (int i = 0; i < 100; ++i) {
      WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
      WindowEvent(SDL_WINDOWEVENT_MINIMIZED);
      WindowEvent(SDL_WINDOWEVENT_RESTORED);
      WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    }
    window = After;
  };
  game.onIdle = [&](int N) {
    if (N == 1) storm(kShown);  // back before the next frame: no switch at all
    if (N == 2) storm(kAway);   // left away: one deactivation
    if (N == 3) storm(kAway);
    if (N == 4) storm(kShown);  // back: one restore
    if (N == 5) app->Terminate();
  };
  app->Run(game);
  EXPECT_EQ(game.log, (Log{"idle", "idle", "deactivate", "idle", "idle", "restore", "idle"}));
  EXPECT_FALSE(app->Away());
  EXPECT_TRUE(soft::IsActive());
}

TEST(MessageTextTest, CarriageReturnsBecomeLineBreaks) {
  EXPECT_EQ(UnixLineBreaks("Place\rMeaning"), "Place\nMeaning");
  EXPECT_EQ(UnixLineBreaks("Place\r\nMeaning\r"), "Place\nMeaning\n");
  EXPECT_EQ(UnixLineBreaks("a\n\rb"), "a\n\nb");
  EXPECT_EQ(UnixLineBreaks(""), "");
  EXPECT_EQ(UnixLineBreaks(nullptr), "");
  EXPECT_EQ(MessageBoxKind(0x10), static_cast<uint32_t>(SDL_MESSAGEBOX_ERROR));
  EXPECT_EQ(MessageBoxKind(0x30), static_cast<uint32_t>(SDL_MESSAGEBOX_WARNING));
  EXPECT_EQ(MessageBoxKind(0x40), static_cast<uint32_t>(SDL_MESSAGEBOX_INFORMATION));
}

TEST_F(SdlAppTest, AMessageBoxIsAlsoWrittenToStandardError) {
  testing::internal::CaptureStderr();
  app->ShowMessageBox("Setting the display mode\rThe mode is not supported.", "Form1", 0x10);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Form1: Setting the display mode\nThe mode is not supported.\n");
}

}  // namespace
}  // namespace carpex::sdl
