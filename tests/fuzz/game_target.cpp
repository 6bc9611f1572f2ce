// The whole game under fuzzing: TForm1 with its handlers and GameLoop on the
// headless platform and the software display, fed events from the input.
//
// An input that starts with '#' is replay-script text and runs through
// RunReplay (the replay tool's own path). Any other input is an event program,
// one byte per event, the high four bits choosing the event and the low four
// (A) its argument; some events take the next byte (B) as well:
//
//   0x0A  A + 1 frames                  0x1A  (A + 1) * 16 frames
//   0x2A  the digit A mod 10 typed      0x3A  typed: Escape (A < 4), 'f' (A < 8),
//                                             'F' (A = 8); the pause (A = 9), the
//                                             language (A = 10) or the speed
//                                             (A = 11) of B; else the character B
//   0x4A  key down, 0x5A key up: Space (A even) or Down (A odd); A >= 8: key B
//   0x6A  timer tick                    0x9A  every surface lost
//   0x7A  deactivation, 0x8A restore: of the form and the display (A < 8), of
//         the form only (A = 8..11), of the display only (A >= 12)
//   0xAA  queue A for Random            0xBA  queue B for Random
//         (queued values are served first, each taken mod n; then the game's
//         own generator)
//   0xCA  a fault of the display: restores refused (A < 4: the next A + 1),
//         lost before the (B + 1)th blit or flip (A = 4..7), the (B % 8 + 1)th
//         CreateSurface fails (A = 8), GetDC fails (A = 9) or works again
//         (A = 10), Lock answers "still drawing" B times (A = 11), anything else
//         ends every fault
//   0xDA  the game's generator seeded with the next four bytes
//   0xEA  a bomb: Space down, one frame, Space up, 4 * (A + 1) frames
//   0xFA  A + 1 frames with Space going down and up every frame
//
// Inputs are bounded: at most kMaxProgram bytes are read and kMaxFrames frames
// run, so that one input takes milliseconds.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/soft/control.h"
#include "platform/headless/headless_app.h"
#include "shell/form_access.h"
#include "shell/form_event.h"
#include "shell/session.h"
#include "tests/fuzz/fuzz_targets.h"
#include "tools/replay.h"

namespace carpex::fuzz {
namespace {

constexpr size_t kMaxProgram = 1024;
constexpr uint64_t kMaxFrames = 3000;

// What must hold between any two frames: the world's own invariants, and no
// GDI object left over from a frame (every DC and bitmap is given back).
const char* CheckBetweenFrames(const FormView& Form) {
  if (const char* broken = CheckInvariants(Form.W)) return broken;
  if (soft::LiveDCs() != 0) return "a device context was left open after a frame";
  if (soft::LiveBitmaps() != 0) return "a bitmap was left undeleted after a frame";
  return nullptr;
}

class FuzzRandom final : public RandomSource {
 public:
  void Queue(uint8_t V) {
    if (count_ < sizeof values_) values_[count_++] = V;
  }
  void Seed(uint32_t Seed) { own_.Seed(Seed); }
  int32_t Random(int32_t N) override {
    if (N <= 0) return 0;
    if (next_ < count_) return values_[next_++] % N;
    return own_.Random(N);
  }

 private:
  uint8_t values_[256] = {};
  size_t count_ = 0;
  size_t next_ = 0;
  GameRandom own_{1};
};

// The game the event programs run on, set up once: a set-up costs more than
// most inputs. Before each input it is brought back to where set-up left it.
class Game {
 public:
  Game() {
    soft::Reset();
    session = std::make_unique<GameSession>(app);
    setUp_ = !app.Terminated;
    styles_ = session->View().W.StyleCount;
  }
  ~Game() { Close(); }
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // The state right after set-up; false when it cannot be had again.
  bool Reset() {
    if (!setUp_) return false;
    soft::RefuseRestores(0);
    soft::LoseBeforeCall(0);
    soft::FailCreateSurface(0, DD_OK);
    soft::FailGetDC(false);
    soft::LockStillDrawingTimes(0);
    soft::Activate();
    app.Terminated = false;
    app.Minimized = false;
    app.Visible = true;
    app.MessageBoxes.clear();
    // A world cannot be copied (its records point into themselves): a new one.
    const TForm1Access in(*session);
    std::destroy_at(&in.W());
    std::construct_at(&in.W());
    in.W().GameState = kLevelChoice;
    in.W().StyleCount = styles_;
    in.Active() = 1;
    in.FrameCount() = 0;
    in.FramesPerSecond() = 0;
    in.FpsShown() = -1;
    random = FuzzRandom{};
    session->SetRandomSource(&random);
    // Pictures that the last input left lost come back as set-up made them.
    IDirectDrawSurface7* primary = in.PrimarySurface().Get();
    if (primary != nullptr && primary->IsLost() != DD_OK && in.RestoreAll() != DD_OK) {
      return false;
    }
    return soft::LiveDCs() == 0 && soft::LiveBitmaps() == 0;
  }

  // Destroys the form and the display; a problem when anything outlived them.
  const char* Close() {
    if (closed_) return nullptr;
    closed_ = true;
    session.reset();
    const bool leftOver = soft::LiveDirectDrawObjects() != 0;
    soft::Reset();
    return leftOver ? "surfaces or the device outlived FormDestroy" : nullptr;
  }

  headless::HeadlessApp app;
  FuzzRandom random;
  std::unique_ptr<GameSession> session;

 private:
  uint8_t styles_ = 0;  // the one part of the world that set-up fills in
  bool setUp_ = false;
  bool closed_ = false;
};

// The one game of the process, made again when an input could not reuse it.
// Left to the end of the process: the display's own state may be gone before
// a static destructor could close it.
Game* TheGame = nullptr;

// Closes the game; a problem when anything outlived it.
const char* DropTheGame() {
  if (TheGame == nullptr) return nullptr;
  const char* problem = TheGame->Close();
  delete TheGame;
  TheGame = nullptr;
  return problem;
}

class Program {
 public:
  Program(Game& Game, const uint8_t* Data, size_t Size)
      : data_(Data),
        size_(Size < kMaxProgram ? Size : kMaxProgram),
        app_(Game.app),
        random_(Game.random),
        form_(Game.session->Handlers()),
        session_(*Game.session) {}

  const char* Run() {
    const char* problem = app_.Terminated ? "the display could not be set up" : nullptr;
    // With CARPEX_FUZZ_TRACE set, the state after each event goes to stderr.
    const bool trace = std::getenv("CARPEX_FUZZ_TRACE") != nullptr;
    while (problem == nullptr && pos_ < size_ && !app_.Terminated && frames_ < kMaxFrames) {
      const uint8_t event = data_[pos_++];
      problem = Step(event);
      if (trace) {
        const World& w = session_.View().W;
        std::fprintf(stderr, "%02x: frames %llu GameState %u Level %u BlocksLeft %d Crashed %u\n",
                     event, static_cast<unsigned long long>(frames_),
                     static_cast<unsigned>(w.GameState), w.Level, w.BlocksLeft, w.Crashed);
      }
    }
    return problem;
  }

 private:
  uint8_t Next() { return pos_ < size_ ? data_[pos_++] : 0; }
  // Space or Down, the keys that drop the bomb.
  static uint16_t BombKey(uint8_t A) { return A % 2 == 0 ? kVkSpace : kVkDown; }

  const char* Frames(uint64_t N) {
    for (uint64_t i = 0; i < N && frames_ < kMaxFrames && !app_.Terminated; ++i) {
      bool done = true;
      form_.GameLoop(done);
      ++frames_;
      if (done) return "GameLoop left Done set";
      if (const char* problem = CheckBetweenFrames(session_.View())) return problem;
    }
    return nullptr;
  }

  void Send(FormEvent::Kind Kind, uint16_t Key = 0) { form_.Handle(FormEvent{Kind, Key}); }
  void Char(uint8_t C) { Send(FormEvent::Char, C); }
  void Down(uint16_t K) { Send(FormEvent::KeyDown, K); }
  void Up(uint16_t K) { Send(FormEvent::KeyUp, K); }

  const char* Step(uint8_t Byte) {
    const uint8_t a = Byte & 0x0F;
    switch (Byte >> 4) {
      case 0x0:
        return Frames(a + 1u);
      case 0x1:
        return Frames((a + 1u) * 16);
      case 0x2:
        Char(static_cast<uint8_t>('0' + a % 10));
        return nullptr;
      case 0x3:
        if (a == 9) {
          Send(FormEvent::Pause);
        } else if (a == 10) {
          Send(FormEvent::Language, Next() % 2);
        } else if (a == 11) {
          Send(FormEvent::Speed, kSpeeds[Next() % std::size(kSpeeds)]);
        } else {
          Char(a < 4 ? 27 : a < 8 ? 'f' : a == 8 ? 'F' : Next());
        }
        return nullptr;
      case 0x4:
        Down(a >= 8 ? Next() : BombKey(a));
        return nullptr;
      case 0x5:
        Up(a >= 8 ? Next() : BombKey(a));
        return nullptr;
      case 0x6:
        Send(FormEvent::Tick);
        return nullptr;
      case 0x7:
        if (a < 8 || a >= 12) soft::Deactivate();
        if (a < 12) Send(FormEvent::Deactivate);
        return nullptr;
      case 0x8:
        if (a < 8 || a >= 12) soft::Activate();
        if (a < 12) Send(FormEvent::Restore);
        return nullptr;
      case 0x9:
        soft::LoseAllSurfaces();
        return nullptr;
      case 0xA:
        random_.Queue(a);
        return nullptr;
      case 0xB:
        random_.Queue(Next());
        return nullptr;
      case 0xC:
        Fault(a);
        return nullptr;
      case 0xD: {
        uint32_t seed = 0;
        for (int i = 0; i < 4; ++i) seed = (seed << 8) | Next();
        random_.Seed(seed);
        return nullptr;
      }
      case 0xE: {
        Down(kVkSpace);
        if (const char* problem = Frames(1)) return problem;
        Up(kVkSpace);
        return Frames(4u * (a + 1u));
      }
      default:
        for (int i = 0; i <= a; ++i) {
          Down(kVkSpace);
          Up(kVkSpace);
          if (const char* problem = Frames(1)) return problem;
        }
        return nullptr;
    }
  }

  void Fault(uint8_t A) {
    if (A < 4) {
      soft::RefuseRestores(A + 1);
    } else if (A < 8) {
      soft::LoseBeforeCall(Next() + 1);
    } else if (A == 8) {
      soft::FailCreateSurface(Next() % 8 + 1, DDERR_OUTOFVIDEOMEMORY);
    } else if (A == 9) {
      soft::FailGetDC(true);
    } else if (A == 10) {
      soft::FailGetDC(false);
    } else if (A == 11) {
      soft::LockStillDrawingTimes(Next());
    } else {
      soft::RefuseRestores(0);
      soft::LoseBeforeCall(0);
      soft::FailCreateSurface(0, DD_OK);
      soft::FailGetDC(false);
      soft::LockStillDrawingTimes(0);
    }
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  uint64_t frames_ = 0;
  headless::HeadlessApp& app_;
  FuzzRandom& random_;
  FormHandlers& form_;
  GameSession& session_;
};

// Swallows the trace.
class NullBuffer final : public std::streambuf {
 protected:
  int_type overflow(int_type C) override { return traits_type::not_eof(C); }
  std::streamsize xsputn(const char*, std::streamsize N) override { return N; }
};

const char* RunScript(std::string_view Text) {
  // The replay sets up a display of its own.
  if (const char* problem = DropTheGame()) return problem;
  TextSource source(Text);
  ScriptReader reader(source, "fuzz");
  ScriptCommand command;
  std::string error;
  uint64_t frames = 0;
  while (reader.Next(&command, &error)) {
    if (command.Op == ScriptOp::Frames) frames += command.Value;
  }
  if (!error.empty()) {
    return error.rfind("'fuzz':", 0) == 0 ? nullptr : "a refused script has no 'NAME':LINE message";
  }
  if (frames > kMaxFrames) return nullptr;
  NullBuffer sink;
  std::ostream out(&sink), err(&sink);
  const char* problem = nullptr;
  // No shot folder: the script's shots write nothing.
  ReplayOptions options;
  options.AfterFrame = [&](const FormView& Form) {
    if (problem == nullptr) problem = CheckBetweenFrames(Form);
  };
  const int status = RunReplay(Text, "fuzz", out, err, MakeReplayPlatform, options);
  if (problem != nullptr) return problem;
  if (status != 0 && status != 2) return "the replay failed with a status other than 0 or 2";
  if (soft::LiveDirectDrawObjects() != 0) return "surfaces or the device outlived the replay";
  soft::Reset();
  return nullptr;
}

}  // namespace

const char* RunGameInput(const uint8_t* Data, size_t Size) {
  if (Size > 0 && Data[0] == '#') {
    if (Size > kMaxProgram * 4) return nullptr;
    return RunScript(std::string_view(reinterpret_cast<const char*>(Data), Size));
  }
  if (TheGame == nullptr || !TheGame->Reset()) {
    if (const char* problem = DropTheGame()) return problem;
    TheGame = new Game();
    TheGame->Reset();
  }
  Program program(*TheGame, Data, Size);
  return program.Run();
}

}  // namespace carpex::fuzz
