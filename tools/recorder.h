// Records a session of the game as a replay script that carpex-replay repeats:
// an application layer over the platform's own, which writes down every event
// it hands to the form and every frame, and passes everything on. The session
// is made on the recorder, and then given to it (Record) for its trace:
//
//   Recorder recorder(platform, file);
//   Carpex(recorder, [&](const GameSession& Session) { recorder.Record(Session); });
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "assets/sprite_sheets.h"
#include "shell/app.h"
#include "shell/form_event.h"

namespace carpex {

class GameSession;

class Recorder final : public Application, private FormHandlers {
 public:
  // Writes to File, which it closes in Finish, first the language of the
  // game's pictures. Nothing reaches File before the game's first frame (a
  // game that cannot start leaves a file there as it was); then, when
  // EmptyFirst, what File held is emptied first.
  Recorder(Application& Platform, std::FILE* File, bool EmptyFirst = false,
           Language Pictures = Language::Chinese);
  ~Recorder() override;
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  void* WindowHandle() override { return platform_.WindowHandle(); }
  void Minimize() override { platform_.Minimize(); }
  void Maximize() override { platform_.Maximize(); }
  void Hide() override { platform_.Hide(); }
  void Terminate() override { platform_.Terminate(); }
  void Sleep(uint32_t Milliseconds) override { platform_.Sleep(Milliseconds); }
  void WriteText(int32_t X, int32_t Y, const char* Text) override {
    platform_.WriteText(X, Y, Text);
  }
  void ShowMessageBox(const char* Text, const char* Caption, uint32_t Flags) override {
    platform_.ShowMessageBox(Text, Caption, Flags);
  }
  // The platform's loop, handing the events to the form through the recorder;
  // then the recording's end is written.
  void Run(FormHandlers& Form) override;
  // The clock seed the game is given, written first.
  uint32_t ClockSeed() override;
  // How the game is shown is the platform's and is not recorded: the game
  // runs the same in every presentation.
  Presentation DisplayPresentation() override { return platform_.DisplayPresentation(); }
  bool LeaveExclusive(bool Refused) override { return platform_.LeaveExclusive(Refused); }
  bool PresentFrame(IDirectDraw7* Device, IDirectDrawSurface7* Primary,
                    IDirectDrawSurface7* Frame) override {
    return platform_.PresentFrame(Device, Primary, Frame);
  }
  void DisplayClosing() override { platform_.DisplayClosing(); }

  // The session being recorded: its frames are traced for the recording's
  // last line, and its display is watched for lost surfaces.
  void Record(const GameSession& Session) { session_ = &Session; }
  // The recording's end, written now and flushed: the frames not yet written
  // and the final line, the trace line of the last whole frame. For a game
  // that ends otherwise than by its loop returning (its X server gone, the
  // session of Windows ending), even in the middle of a frame; nothing after
  // it is written. Once only.
  void WriteEnd();
  // Writes what is left and closes the file; false when any of it could not be written.
  bool Finish();
  // The game ran a frame: the file holds the recording.
  bool Started() const { return started_; }

 private:
  void FormKeyPress(uint8_t& Key) override;
  void FormKeyDown(uint16_t& Key) override;
  void FormKeyUp(uint16_t& Key) override;
  void Timer1Timer() override;
  void ApplicationEvents1Deactivate() override;
  void ApplicationEvents1Restore() override;
  void LeaveExclusiveDisplay() override { form_->LeaveExclusiveDisplay(); }
  void GameLoop(bool& Done) override;
  void ProgramEnding() override { WriteEnd(); }

  // An event between two frames: the frames before it, then its own line; then
  // the form has it.
  void Pass(const FormEvent& Event);
  // A line between two frames (an event's, the seed's): the frames before it,
  // then Name and, when Value is not negative, Value.
  void WriteLine(const char* Name, int64_t Value = -1);
  void WriteFrames();
  void Write(const char* Text, size_t Size);
  // The display has lost its surfaces.
  bool Lost() const;

  Application& platform_;
  std::FILE* file_;
  bool empty_first_;
  bool started_ = false;
  std::string held_;  // written before the first frame
  FormHandlers* form_ = nullptr;
  const GameSession* session_ = nullptr;
  bool write_failed_ = false;
  uint64_t calls_ = 0;
  uint32_t pending_frames_ = 0;
  bool lose_written_ = false;
  bool ended_ = false;
  std::string final_;  // the trace line of the last whole frame
  std::chrono::steady_clock::time_point last_flush_;
  char buffer_[16 * 1024];
};

}  // namespace carpex
