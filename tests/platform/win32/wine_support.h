// What the Wine tests need around the programs they check: child processes
// with a time limit, a virtual X server (640 x 480 x 16, or another size) with
// a window manager, a Wine prefix of their own, and pictures of the screen.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace carpex::winetest {

// A child process; killed (with its process group) if still running when destroyed.
class Child {
 public:
  Child() = default;
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Starts Argv[0] (searched in PATH) in Dir with the extra environment
  // variables; standard output and error go to the given files ("" = /dev/null).
  // ExtraFd, when not -1, is handed to the child as descriptor 3.
  bool Start(const std::vector<std::string>& Argv, const std::string& Dir,
             const std::map<std::string, std::string>& Env, const std::string& OutFile,
             const std::string& ErrFile, int ExtraFd = -1);
  // Waits up to Seconds; true with the exit status (or 128 + signal) when it ended.
  bool Wait(double Seconds, int* Status);
  void Kill();
  bool Running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

struct RunResult {
  bool Finished = false;  // false: killed after the time limit
  int Status = -1;
  std::string Out;
  std::string Err;
};

// Runs a command to its end (or kills it after Seconds) and collects its output.
RunResult RunCommand(const std::vector<std::string>& Argv, const std::string& Dir,
                     const std::map<std::string, std::string>& Env, double Seconds);

std::string ReadFile(const std::string& Path);
void SleepSeconds(double Seconds);

struct Picture {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;  // 3 bytes a pixel, top row first

  const uint8_t* At(int X, int Y) const {
    return &Rgb[(static_cast<size_t>(Y) * static_cast<size_t>(Width) + static_cast<size_t>(X)) * 3];
  }
  bool Lit(int X, int Y) const {
    const uint8_t* p = At(X, Y);
    return p[0] > 24 || p[1] > 24 || p[2] > 24;
  }
};

// Binary PPM (P6, 8 bits a channel).
bool ReadPpm(const std::string& Path, Picture* Out);

// The part of a picture at (X, Y) of Width x Height (black outside it), and a
// picture enlarged by a whole factor, each pixel a square.
Picture Crop(const Picture& From, int X, int Y, int Width, int Height);
Picture Enlarge(const Picture& From, int Factor);

// Where two pictures of the same size differ: the count, the bounding box and
// the first few pixels with both values, as text for a failure message.
struct PictureDiff {
  long Count = 0;
  std::string Report;
};
PictureDiff Compare(const Picture& A, const Picture& B, const char* NameA, const char* NameB);

// Why this machine cannot run the Windows program Exe under Wine on a virtual
// screen (it was not built, its loader or a tool is not installed), or "" when
// it can.
std::string WhyWineCannotRun(const std::string& Exe);

// Xvfb with openbox (at 640 x 480 x 16 unless told otherwise), and a Wine
// prefix, in a temporary folder.
class WineDesktop {
 public:
  WineDesktop() = default;
  ~WineDesktop();
  WineDesktop(const WineDesktop&) = delete;
  WineDesktop& operator=(const WineDesktop&) = delete;

  // A desktop for the Windows programs built like Exe: Wine's 32-bit loader
  // and a 32-bit prefix for an i386 program, wine64 for an x86-64 one
  // (CARPEX_WINE names another loader). False with *Error set when something
  // could not be started.
  bool Start(const std::string& Exe, std::string* Error, const std::string& Screen = "640x480x16");
  // The same prefix on a new virtual screen (WIDTHxHEIGHTxDEPTH); every
  // program on the old one is ended.
  bool ChangeScreen(const std::string& Screen, std::string* Error);
  void Stop();

  // Forgets what the game remembers between runs, so that it starts as the
  // first time.
  void ForgetSettings() const;
  // What the game remembers, as `reg query` lists it.
  std::string Settings() const;
  // The game remembers the string Value as Name (its language, ...).
  void Remember(const std::string& Name, const std::string& Value) const;

  const std::string& Folder() const { return folder_; }
  const std::string& Loader() const { return loader_; }
  // DISPLAY, WINEPREFIX and WINEDEBUG for a program on this desktop.
  std::map<std::string, std::string> Env(const std::string& WineDebug = "-all") const;
  std::string Display() const { return ":" + std::to_string(display_); }
  const std::string& Screen() const { return screen_; }

  // A picture of the whole screen.
  bool Screenshot(Picture* Out, const std::string& Name = "screen.ppm") const;
  // xdotool with these arguments; its standard output.
  RunResult XDoTool(const std::vector<std::string>& Args) const;

 private:
  std::string folder_;
  std::string loader_;
  bool win32_ = false;
  // Xvfb and openbox on Screen.
  bool StartScreen(const std::string& Screen, std::string* Error);

  int display_ = -1;
  std::string screen_;
  Child xvfb_;
  Child windowManager_;
};

}  // namespace carpex::winetest
