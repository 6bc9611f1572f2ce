// The real game on the SDL layer, over SDL's dummy video driver (a 1024 x 768
// desktop): what reaches the window, frame by frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/soft/control.h"
#include "platform/common/layout.h"
#include "platform/common/pixel_font.h"
#include "platform/sdl/sdl_app.h"
#include "shell/form_access.h"
#include "shell/session.h"
#include "tests/platform/sdl/colours.h"
#include "tests/platform/sdl/dummy_video.h"
#include "tests/platform/sdl/game_driver.h"

namespace carpex::sdl {
namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new DummyVideo);

class SdlGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    app = MakeQuietApp(&error);
    ASSERT_NE(app, nullptr) << error;
    session = std::make_unique<GameSession>(*app);
    ASSERT_NE(session->View().PrimarySurface, nullptr) << "the display was not set up";
    driver = std::make_unique<Driver>(session->Handlers(), *app);
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }
  void TearDown() override {
    driver.reset();
    session.reset();
    app.reset();
    soft::Reset();
  }

  void Push(uint32_t Type, SDL_Keycode Sym, SDL_Scancode Scan) {
    SDL_Event e{};
    e.type = Type;
    e.key.windowID = SDL_GetWindowID(app->Window());
    e.key.keysym.sym = Sym;
    e.key.keysym.scancode = Scan;
    SDL_PushEvent(&e);
  }
  void Type(SDL_Keycode Sym, SDL_Scancode Scan) {
    Push(SDL_KEYDOWN, Sym, Scan);
    Push(SDL_KEYUP, Sym, Scan);
  }
  void WindowEvent(uint8_t What) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(app->Window());
    e.window.event = What;
    SDL_PushEvent(&e);
  }

  // The window as last presented, 0xRRGGBB per pixel.
  struct Screen {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    uint32_t At(int X, int Y) const {
      return Pixels[static_cast<size_t>(Y) * Width + X] & 0xFFFFFF;
    }
  };
  Screen ReadScreen() {
    Screen s;
    SDL_Surface* surface = SDL_GetWindowSurface(app->Window());
    EXPECT_NE(surface, nullptr) << SDL_GetError();
    if (surface == nullptr) return s;
    s.Width = surface->w;
    s.Height = surface->h;
    s.Pixels.resize(static_cast<size_t>(s.Width) * s.Height);
    EXPECT_EQ(
        SDL_ConvertPixels(s.Width, s.Height, surface->format->format, surface->pixels,
                          surface->pitch, SDL_PIXELFORMAT_RGB888, s.Pixels.data(), s.Width * 4),
        0)
        << SDL_GetError();
    return s;
  }
  // The first window pixel (along one axis) that lies wholly inside picture
  // pixel Game, -1 when none does (the picture reduced smoothly).
  static int Inside(int Game, int Picture, int Shown) {
    const long first = (static_cast<long>(Game) * Shown + Picture - 1) / Picture;
    return (first + 1) * Picture <= static_cast<long>(Game + 1) * Shown ? static_cast<int>(first)
                                                                        : -1;
  }
  // Game pixels on the window that differ from the software display's front
  // buffer (those of them that some window pixel shows whole), below the
  // window's row FromRow.
  int PictureMismatches(const Screen& S, int FromRow = 0) {
    const soft::PixelView front = soft::FrontBuffer();
    EXPECT_EQ(front.width, common::kPictureWidth);
    const common::Placement p = common::PlacePicture(S.Width, S.Height);
    int wrong = 0;
    for (int y = 0; y < common::kPictureHeight; ++y) {
      const int wy = Inside(y, common::kPictureHeight, p.Height);
      for (int x = 0; x < common::kPictureWidth; ++x) {
        const int wx = Inside(x, common::kPictureWidth, p.Width);
        if (wx < 0 || wy < 0 || p.Y + wy < FromRow) continue;
        const uint32_t want = FromColorref(soft::FromRgb565(front.At(x, y)));
        wrong += !Near(S.At(p.X + wx, p.Y + wy), want, 4);
      }
    }
    return wrong;
  }
  int NonBlack(const Screen& S, int X0, int Y0, int W, int H) {
    int n = 0;
    for (int y = Y0; y < Y0 + H; ++y)
      for (int x = X0; x < X0 + W; ++x) n += S.At(x, y) != 0;
    return n;
  }

  std::unique_ptr<SdlApp> app;
  std::unique_ptr<GameSession> session;
  std::unique_ptr<Driver> driver;
};

TEST_F(SdlGameTest, EachFrameIsPresentedOnceScaledAndCentredOnBlack) {
  driver->Run(3);
  EXPECT_EQ(app->Presents(), 3u);
  const Screen s = ReadScreen();
  ASSERT_EQ(s.Width, 1024);
  ASSERT_EQ(s.Height, 768);
  EXPECT_EQ(PictureMismatches(s), 0);
  // The level-choice picture is on it, and the borders are black.
  const common::Placement p = common::PlacePicture(s.Width, s.Height);
  EXPECT_GT(NonBlack(s, p.X + 154, p.Y + 111, 331, 100), 1000);
  EXPECT_EQ(NonBlack(s, 0, 0, s.Width, p.Y), 0);
  EXPECT_EQ(NonBlack(s, 0, 0, p.X, s.Height), 0);
  EXPECT_EQ(NonBlack(s, p.X + p.Width, 0, s.Width - p.X - p.Width, s.Height), 0);
}

// Between(n) runs inside frame n, before that frame is presented: what it
// reads from the window is frame n - 1.

TEST_F(SdlGameTest, TheFrameRateIsWrittenAtTheWindowsTopLeftAfterTheFlip) {
  Type('f', SDL_SCANCODE_F);
  Screen shown, hidden;
  uint64_t presentsShown = 0;
  driver->Between = [&](int N) {
    if (N == 2) {
      shown = ReadScreen();
      presentsShown = app->Presents();
      Type('f', SDL_SCANCODE_F);  // hides it again before frame 3
    }
    if (N == 4) hidden = ReadScreen();
  };
  driver->Run(4);
  EXPECT_EQ(presentsShown, 1u);  // the text goes with the frame's one picture
  // "0" until the first timer tick: the glyph in black on the button face.
  const uint32_t face = 0xD4D0C8;
  for (int row = 0; row < common::kCellHeight; ++row) {
    for (int x = 0; x < common::kCellWidth; ++x) {
      const bool ink = (common::GlyphRow('0', row) >> (7 - x)) & 1;
      EXPECT_EQ(shown.At(x, row), ink ? 0u : face) << x << "," << row;
    }
  }
  EXPECT_EQ(shown.At(common::kCellWidth, 0), 0u);  // the box ends with the text
  EXPECT_EQ(shown.At(0, common::kCellHeight), 0u);
  EXPECT_EQ(PictureMismatches(shown, common::kCellHeight), 0);  // the text is not in the picture
  // The next flip covers the text.
  EXPECT_EQ(hidden.At(0, 0), 0u);
  EXPECT_EQ(NonBlack(hidden, 0, 0, 64, 64), 0);
}

TEST_F(SdlGameTest, SwitchingAwayPausesTheGameWithItsPictureAndComingBackResumesIt) {
  uint64_t presents = 0;
  Screen before, away, back;
  // The dummy driver has no focus: the window's state is the test's.
  SdlApp::WindowState window{true, false};
  app->SetWindowStateSource([&] { return window; });
  driver->Between = [&](int N) {
    if (N == 2) {
      before = ReadScreen();
      EXPECT_EQ(PictureMismatches(before), 0);
      presents = app->Presents();
      window = {false, false};
      WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    }
    if (N == 6) {
      EXPECT_EQ(session->View().Active, 0);
      EXPECT_TRUE(app->Away());
      EXPECT_TRUE(soft::IsActive()) << "nothing to give back: the display stays";
      EXPECT_EQ(app->Presents(), presents + 1);  // frame 2, then none while away
      away = ReadScreen();
      window = {true, false};
      WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    }
    if (N == 9) back = ReadScreen();
  };
  driver->Run(9);
  EXPECT_EQ(session->View().Active, 1);
  EXPECT_FALSE(app->Away());
  // The picture stays while away, and the game goes on from it.
  EXPECT_TRUE(away.Pixels == before.Pixels);
  EXPECT_EQ(PictureMismatches(back), 0);
  EXPECT_TRUE(back.Pixels == before.Pixels);
}

TEST_F(SdlGameTest, EscapeOnTheLevelScreenHidesTheWindowAndEndsTheLoop) {
  Type(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
  driver->Run(1000);
  EXPECT_NE(SDL_GetWindowFlags(app->Window()) & SDL_WINDOW_HIDDEN, 0u);
  EXPECT_EQ(app->Presents(), 0u);
}

// Where there is no room for the legend around the picture (a window of the
// picture's size, a 1024 x 768 screen that the picture fills), the title says
// what the keys do now, in the player's language.
TEST_F(SdlGameTest, WithoutRoomForTheLegendTheTitleSaysWhatTheKeysDoNow) {
  app->SetGameView([this] { return common::GameViewOf(session->View()); });
  std::vector<std::string> titles;
  const auto title = [&] { titles.push_back(SDL_GetWindowTitle(app->Window())); };
  driver->Between = [&](int N) {
    if (N > 1 && N % 2 == 1) title();
    if (N == 1) app->SetWindowed(true);
    if (N == 3) Type('9', SDL_SCANCODE_9);
    // The round ends (as when the plane's explosion has finished).
    if (N == 5) TForm1Access(*session).W().GameState = kRoundOver;
    if (N == 7) Type(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    if (N == 9) app->SetWindowed(false);
  };
  driver->Run(9);
  title();
  const std::string level =
      "Carpex：0-9：选择关卡；Esc：退出游戏；Alt+Enter：全屏或窗口；L：English；H：隐藏说明";
  EXPECT_EQ(titles,
            (std::vector<std::string>{level, "Carpex：空格或下方向键：投弹；P：暂停；Esc：离开本局",
                                      "Carpex：Esc：返回选关", level, level}));
}

// SDL's virtual joystick stands for a game controller plugged in while the
// game runs: it starts the chosen level, drops a bomb, leaves the round, and
// what it held is let go when it is pulled out.
TEST_F(SdlGameTest, AGameControllerPluggedInWhileTheGameRunsPlaysIt) {
  app->SetGameView([this] { return common::GameViewOf(session->View()); });
  // The dummy driver's window never has the focus, without which SDL keeps the
  // controllers' events back.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;  // button n is the controller's button n
  desc.name = "virtual pad";
  int device = -1;
  SDL_Joystick* pad = nullptr;
  auto press = [&](SDL_GameControllerButton B, bool Down) {
    ASSERT_EQ(SDL_JoystickSetVirtualButton(pad, B, Down ? SDL_PRESSED : SDL_RELEASED), 0);
  };
  std::vector<std::string> titles;
  uint8_t heldBeforeUnplug = 0;
  driver->Between = [&](int N) {
    switch (N) {
      case 2:
        device = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(device, 0) << SDL_GetError();
        pad = SDL_JoystickOpen(device);
        ASSERT_NE(pad, nullptr) << SDL_GetError();
        break;
      case 4:
        titles.push_back(SDL_GetWindowTitle(app->Window()));
        press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
        break;
      case 6:
        press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
        titles.push_back(SDL_GetWindowTitle(app->Window()));
        press(SDL_CONTROLLER_BUTTON_A, true);  // starts level 1
        break;
      case 8:
        EXPECT_EQ(session->View().W.GameState, kPlaying);
        EXPECT_EQ(session->View().W.Level, 1);
        EXPECT_EQ(session->View().W.Bomb.State, kBombNone)
            << "the press that started the round drops nothing";
        press(SDL_CONTROLLER_BUTTON_A, false);
        break;
      case 10:
        press(SDL_CONTROLLER_BUTTON_A, true);
        break;
      case 12:
        EXPECT_NE(session->View().W.Bomb.State, kBombNone);
        press(SDL_CONTROLLER_BUTTON_A, false);
        press(SDL_CONTROLLER_BUTTON_BACK, true);
        break;
      case 14:
        EXPECT_EQ(session->View().W.GameState, kLevelChoice);
        press(SDL_CONTROLLER_BUTTON_BACK, false);
        press(SDL_CONTROLLER_BUTTON_A, true);  // the level last played again
        break;
      case 16:
        EXPECT_EQ(session->View().W.GameState, kPlaying);
        EXPECT_EQ(session->View().W.Level, 1);
        press(SDL_CONTROLLER_BUTTON_A, false);
        break;
      case 18:
        press(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
        break;
      case 20:
        heldBeforeUnplug = session->View().W.Bomb.KeyHeld;
        SDL_JoystickClose(pad);
        ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
        break;
      case 22:
        titles.push_back(SDL_GetWindowTitle(app->Window()));
        break;
    }
  };
  driver->Run(22);
  EXPECT_EQ(heldBeforeUnplug, 1);
  EXPECT_EQ(session->View().W.Bomb.KeyHeld, 0) << "pulled out with D-pad down held";
  ASSERT_EQ(titles.size(), 3u);
  EXPECT_NE(titles[0].find("；手柄：A 开始第 0 关，"), std::string::npos) << titles[0];
  EXPECT_NE(titles[1].find("；手柄：A 开始第 1 关，"), std::string::npos) << titles[1];
  EXPECT_EQ(titles[2], "Carpex：空格或下方向键：投弹；P：暂停；Esc：离开本局")
      << "no gamepad any more";
}

}  // namespace
}  // namespace carpex::sdl
