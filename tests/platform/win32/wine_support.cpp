#include "tests/platform/win32/wine_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace carpex::winetest {

namespace {

bool RedirectTo(const std::string& Path, int Fd) {
  const int file =
      open(Path.empty() ? "/dev/null" : Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (file < 0) return false;
  dup2(file, Fd);
  close(file);
  return true;
}

}  // namespace

Child::~Child() {
  Kill();
}

bool Child::Start(const std::vector<std::string>& Argv, const std::string& Dir,
                  const std::map<std::string, std::string>& Env, const std::string& OutFile,
                  const std::string& ErrFile, int ExtraFd) {
  if (Argv.empty() || pid_ > 0) return false;
  std::vector<char*> argv;
  for (const std::string& a : Argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // Its own process group, so that everything it starts can be ended with it.
    setpgid(0, 0);
    if (!Dir.empty() && chdir(Dir.c_str()) != 0) _exit(126);
    const int in = open("/dev/null", O_RDONLY);
    if (in >= 0) {
      dup2(in, 0);
      close(in);
    }
    if (!RedirectTo(OutFile, 1) || !RedirectTo(ErrFile, 2)) _exit(126);
    if (ExtraFd >= 0 && ExtraFd != 3) {
      dup2(ExtraFd, 3);
      close(ExtraFd);
    }
    for (const auto& [name, value] : Env) setenv(name.c_str(), value.c_str(), 1);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  setpgid(pid, pid);
  pid_ = pid;
  return true;
}

bool Child::Wait(double Seconds, int* Status) {
  if (pid_ <= 0) return false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(Seconds);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      if (Status != nullptr) {
        *Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      return true;
    }
    if (done < 0) {
      pid_ = -1;
      return false;
    }
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void Child::Kill() {
  if (pid_ <= 0) return;
  kill(-pid_, SIGTERM);
  if (Wait(3, nullptr)) return;
  kill(-pid_, SIGKILL);
  Wait(3, nullptr);
  pid_ = -1;
}

std::string ReadFile(const std::string& Path) {
  std::ifstream file(Path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void SleepSeconds(double Seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(Seconds));
}

RunResult RunCommand(const std::vector<std::string>& Argv, const std::string& Dir,
                     const std::map<std::string, std::string>& Env, double Seconds) {
  RunResult result;
  char folder[] = "/tmp/carpex-run-XXXXXX";
  if (mkdtemp(folder) == nullptr) return result;
  const std::string out = std::string(folder) + "/out";
  const std::string err = std::string(folder) + "/err";
  Child child;
  if (child.Start(Argv, Dir, Env, out, err)) {
    result.Finished = child.Wait(Seconds, &result.Status);
    child.Kill();
  }
  result.Out = ReadFile(out);
  result.Err = ReadFile(err);
  std::filesystem::remove_all(folder);
  return result;
}

bool ReadPpm(const std::string& Path, Picture* Out) {
  const std::string data = ReadFile(Path);
  size_t pos = 0;
  auto token = [&]() -> std::string {
    for (;;) {
      while (pos < data.size() && isspace(static_cast<unsigned char>(data[pos]))) ++pos;
      if (pos < data.size() && data[pos] == '#') {
        while (pos < data.size() && data[pos] != '\n') ++pos;
        continue;
      }
      break;
    }
    const size_t start = pos;
    while (pos < data.size() && !isspace(static_cast<unsigned char>(data[pos]))) ++pos;
    return data.substr(start, pos - start);
  };
  if (token() != "P6") return false;
  const int width = std::atoi(token().c_str());
  const int height = std::atoi(token().c_str());
  const int maxval = std::atoi(token().c_str());
  ++pos;  // the one whitespace byte before the pixels
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
  if (width <= 0 || height <= 0 || maxval != 255 || data.size() < pos + bytes) return false;
  Out->Width = width;
  Out->Height = height;
  Out->Rgb.assign(data.begin() + static_cast<std::ptrdiff_t>(pos),
                  data.begin() + static_cast<std::ptrdiff_t>(pos + bytes));
  return true;
}

Picture Crop(const Picture& From, int X, int Y, int Width, int Height) {
  Picture out;
  out.Width = Width;
  out.Height = Height;
  out.Rgb.assign(static_cast<size_t>(Width) * static_cast<size_t>(Height) * 3, 0);
  for (int y = 0; y < Height; ++y) {
    for (int x = 0; x < Width; ++x) {
      if (X + x < 0 || Y + y < 0 || X + x >= From.Width || Y + y >= From.Height) continue;
      std::copy_n(From.At(X + x, Y + y), 3, &out.Rgb[(static_cast<size_t>(y) * Width + x) * 3]);
    }
  }
  return out;
}

Picture Enlarge(const Picture& From, int Factor) {
  Picture out;
  out.Width = From.Width * Factor;
  out.Height = From.Height * Factor;
  out.Rgb.resize(static_cast<size_t>(out.Width) * static_cast<size_t>(out.Height) * 3);
  for (int y = 0; y < out.Height; ++y) {
    for (int x = 0; x < out.Width; ++x) {
      std::copy_n(From.At(x / Factor, y / Factor), 3,
                  &out.Rgb[(static_cast<size_t>(y) * out.Width + x) * 3]);
    }
  }
  return out;
}

PictureDiff Compare(const Picture& A, const Picture& B, const char* NameA, const char* NameB) {
  PictureDiff diff;
  std::ostringstream report;
  if (A.Width != B.Width || A.Height != B.Height) {
    diff.Count = -1;
    report << "sizes differ: " << NameA << " " << A.Width << "x" << A.Height << ", " << NameB << " "
           << B.Width << "x" << B.Height;
    diff.Report = report.str();
    return diff;
  }
  int left = A.Width, top = A.Height, right = -1, bottom = -1;
  int shown = 0;
  std::ostringstream first;
  for (int y = 0; y < A.Height; ++y) {
    for (int x = 0; x < A.Width; ++x) {
      const uint8_t* a = A.At(x, y);
      const uint8_t* b = B.At(x, y);
      if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) continue;
      ++diff.Count;
      left = std::min(left, x);
      top = std::min(top, y);
      right = std::max(right, x);
      bottom = std::max(bottom, y);
      if (shown++ < 12) {
        char line[160];
        std::snprintf(line, sizeof line, "  (%d, %d): %s %d,%d,%d  %s %d,%d,%d\n", x, y, NameA,
                      a[0], a[1], a[2], NameB, b[0], b[1], b[2]);
        first << line;
      }
    }
  }
  if (diff.Count > 0) {
    report << diff.Count << " pixels differ, within x " << left << ".." << right << ", y " << top
           << ".." << bottom << "; the first ones:\n"
           << first.str();
  }
  diff.Report = report.str();
  return diff;
}

WineDesktop::~WineDesktop() {
  Stop();
}

namespace {

// The machine a Windows program is built for, from its PE header: 0x14C for
// i386, 0x8664 for x86-64; 0 when the file is no such program.
unsigned PeMachine(const std::string& Exe) {
  const std::string data = ReadFile(Exe);
  const auto byte = [&](size_t At) -> unsigned {
    return At < data.size() ? static_cast<unsigned char>(data[At]) : 0;
  };
  const size_t pe = byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
  if (data.compare(0, 2, "MZ") != 0 || data.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
  return byte(pe + 4) | byte(pe + 5) << 8;
}

bool OnPath(const std::string& Name) {
  const char* path = getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (access((folder + "/" + Name).c_str(), X_OK) == 0) return true;
  }
  return false;
}

// The loader for a program of this machine type, or "" when none is installed.
// The 32-bit one only where wine32 puts it: the `wine` on PATH falls back to
// wine64 without it, which cannot run a program in a 32-bit prefix.
std::string LoaderFor(unsigned Machine) {
  const char* wine = getenv("CARPEX_WINE");
  if (wine != nullptr && *wine != '\0') return wine;
  const std::string path = Machine == 0x14C ? "/usr/lib/wine/wine" : "/usr/lib/wine/wine64";
  if (access(path.c_str(), X_OK) == 0) return path;
  return Machine != 0x14C && OnPath("wine64") ? "wine64" : "";
}

std::string WineServer(const std::string& Loader) {
  const size_t slash = Loader.rfind('/');
  if (slash != std::string::npos) {
    const std::string server = Loader.substr(0, slash + 1) + "wineserver";
    if (access(server.c_str(), X_OK) == 0) return server;
  }
  return "wineserver";
}

}  // namespace

std::string WhyWineCannotRun(const std::string& Exe) {
  if (access(Exe.c_str(), R_OK) != 0) return Exe + " was not built";
  const unsigned machine = PeMachine(Exe);
  // Not a program at all is a fault of the build, which Start reports.
  if (machine != 0x14C && machine != 0x8664) return "";
  if (LoaderFor(machine).empty()) {
    return machine == 0x14C
               ? "the 32-bit Wine loader /usr/lib/wine/wine is not installed (package wine32:i386)"
               : "wine64 is not installed (package wine64)";
  }
  const std::pair<const char*, const char*> tools[] = {
      {"Xvfb", "xvfb"},         {"openbox", "openbox"},    {"xdotool", "xdotool"},
      {"xprop", "x11-utils"},   {"xwininfo", "x11-utils"}, {"xmessage", "x11-utils"},
      {"import", "imagemagick"}};
  for (const auto& [tool, package] : tools) {
    if (!OnPath(tool)) return std::string(tool) + " is not installed (package " + package + ")";
  }
  return "";
}

bool WineDesktop::Start(const std::string& Exe, std::string* Error, const std::string& Screen) {
  const unsigned machine = PeMachine(Exe);
  if (machine != 0x14C && machine != 0x8664) {
    *Error = Exe + " is no i386 or x86-64 Windows program";
    return false;
  }
  win32_ = machine == 0x14C;
  loader_ = LoaderFor(machine);
  if (loader_.empty()) {
    *Error = WhyWineCannotRun(Exe);
    return false;
  }

  char folder[] = "/tmp/carpex-wine-XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    *Error = "cannot make a temporary folder";
    return false;
  }
  folder_ = folder;
  if (!StartScreen(Screen, Error)) return false;

  const RunResult boot = RunCommand({loader_, "wineboot", "--init"}, folder_, Env(), 240);
  if (!boot.Finished || boot.Status != 0) {
    *Error = "wineboot did not finish: " + boot.Err;
    return false;
  }
  // The prefix is ready only once its server has finished the first boot.
  RunCommand({WineServer(loader_), "-w"}, folder_, Env(), 120);
  std::printf("Wine desktop on %s (%s): %s, %s prefix, for %s\n", Display().c_str(), Screen.c_str(),
              loader_.c_str(), win32_ ? "32-bit" : "64-bit", Exe.c_str());
  return true;
}

bool WineDesktop::StartScreen(const std::string& Screen, std::string* Error) {
  screen_ = Screen;
  // Xvfb picks a free display itself and tells its number on descriptor 3.
  int fds[2];
  if (pipe(fds) != 0) {
    *Error = "pipe failed";
    return false;
  }
  const bool started =
      xvfb_.Start({"Xvfb", "-displayfd", "3", "-screen", "0", Screen, "-nolisten", "tcp"}, folder_,
                  {}, "", folder_ + "/xvfb.log", fds[1]);
  close(fds[1]);
  std::string number;
  if (started) {
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
  }
  close(fds[0]);
  if (number.empty()) {
    *Error = "Xvfb did not start: " + ReadFile(folder_ + "/xvfb.log");
    return false;
  }
  display_ = std::atoi(number.c_str());

  if (!windowManager_.Start({"openbox"}, folder_, {{"DISPLAY", Display()}}, "",
                            folder_ + "/openbox.log")) {
    *Error = "openbox did not start";
    return false;
  }
  // The window manager is ready once it has set the work area: it announces
  // itself before it has read its theme and fonts (slow while a fresh
  // machine's font cache is being built), and a window mapped in between is
  // never managed.
  bool managed = false;
  for (int i = 0; i < 100 && !managed; ++i) {
    const RunResult r =
        RunCommand({"xprop", "-display", Display(), "-root", "_NET_WORKAREA"}, folder_, {}, 10);
    managed = r.Out.find('=') != std::string::npos;
    if (!managed) SleepSeconds(0.1);
  }
  if (!managed) {
    *Error = "openbox did not take the screen: " + ReadFile(folder_ + "/openbox.log");
    return false;
  }
  return true;
}

bool WineDesktop::ChangeScreen(const std::string& Screen, std::string* Error) {
  RunCommand({WineServer(loader_), "-k"}, folder_, Env(), 20);
  windowManager_.Kill();
  xvfb_.Kill();
  return StartScreen(Screen, Error);
}

void WineDesktop::ForgetSettings() const {
  RunCommand({loader_, "reg", "delete", "HKCU\\Software\\Carpex", "/f"}, folder_, Env(), 60);
}

void WineDesktop::Remember(const std::string& Name, const std::string& Value) const {
  RunCommand({loader_, "reg", "add", "HKCU\\Software\\Carpex", "/v", Name, "/t", "REG_SZ", "/d",
              Value, "/f"},
             folder_, Env(), 60);
}

std::string WineDesktop::Settings() const {
  return RunCommand({loader_, "reg", "query", "HKCU\\Software\\Carpex"}, folder_, Env(), 60).Out;
}

void WineDesktop::Stop() {
  if (folder_.empty()) return;
  RunCommand({WineServer(loader_), "-k"}, folder_, Env(), 20);
  windowManager_.Kill();
  xvfb_.Kill();
  // CARPEX_WINE_KEEP leaves the folder (logs, pictures) for a look afterwards.
  if (getenv("CARPEX_WINE_KEEP") == nullptr) std::filesystem::remove_all(folder_);
  folder_.clear();
}

std::map<std::string, std::string> WineDesktop::Env(const std::string& WineDebug) const {
  std::map<std::string, std::string> env = {{"DISPLAY", Display()},
                                            {"WINEPREFIX", folder_ + "/prefix"},
                                            {"WINEDEBUG", WineDebug},
                                            {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
  // A 32-bit Windows of its own: left alone, the 32-bit loader makes a 64-bit
  // prefix through wine64 and runs the i686 program in its 32-bit part.
  if (win32_) env["WINEARCH"] = "win32";
  return env;
}

bool WineDesktop::Screenshot(Picture* Out, const std::string& Name) const {
  const std::string path = folder_ + "/" + Name;
  const RunResult r = RunCommand(
      {"import", "-display", Display(), "-window", "root", "-depth", "8", path}, folder_, {}, 30);
  return r.Finished && r.Status == 0 && ReadPpm(path, Out);
}

RunResult WineDesktop::XDoTool(const std::vector<std::string>& Args) const {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), Args.begin(), Args.end());
  return RunCommand(argv, folder_, {{"DISPLAY", Display()}}, 30);
}

}  // namespace carpex::winetest
