#include "assets/files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace carpex {

namespace {

constexpr const char* kExists = kFileExists;
constexpr const char* kNotAFile = kFileNotAFile;
constexpr const char* kTaken = kFileTaken;
constexpr const char* kLinkToNothing = kFileLinkToNothing;
constexpr const char* kLinkIntoNothing = kFileLinkIntoNothing;

enum class FileOutcome : uint8_t { Done, Exists, Failed };

#ifdef _WIN32
constexpr int kNewFileFlags = _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY;
constexpr int kNewFileMode = _S_IREAD | _S_IWRITE;

// UTF-8 to the system's wide names, and back.
std::wstring Wide(const std::string& Text) {
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), wide.data(), n);
  return wide;
}
std::string Utf8(const wchar_t* Text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, Text, -1, nullptr, 0, nullptr, nullptr);
  std::string text(n > 0 ? static_cast<size_t>(n - 1) : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, Text, -1, text.data(), n, nullptr, nullptr);
  return text;
}
// The C library's number for what the system answered.
int ErrnoOf(DWORD Code) {
  switch (Code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return EINVAL;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    default:
      return EIO;
  }
}
int ProcessId() {
  return _getpid();
}
int OpenFile(const std::string& Path, int Flags, int Mode) {
  return _wopen(Wide(Path).c_str(), Flags, Mode);
}
int WriteSome(int Fd, const uint8_t* Data, size_t Size) {
  const unsigned chunk = Size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(Size);
  return _write(Fd, Data, chunk);
}
int CloseFile(int Fd) {
  return _close(Fd);
}
#else
constexpr int kNewFileFlags = O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC;
constexpr int kNewFileMode = 0666;
int ProcessId() {
  return static_cast<int>(getpid());
}
int OpenFile(const std::string& Path, int Flags, int Mode) {
  return open(Path.c_str(), Flags, Mode);
}
int WriteSome(int Fd, const uint8_t* Data, size_t Size) {
  return static_cast<int>(write(Fd, Data, Size > (1u << 30) ? (1u << 30) : Size));
}
int CloseFile(int Fd) {
  return close(Fd);
}
#endif

// A file that did not exist before, Folder/Stem.PID-N.tmp, created for reading
// and writing: its descriptor and *Path, or -1 with errno set.
int CreateNewFile(const std::string& Folder, const std::string& Stem, int ExtraFlags,
                  std::string* Path) {
  for (int n = 0; n < 100; ++n) {
    *Path =
        Folder + "/" + Stem + "." + std::to_string(ProcessId()) + "-" + std::to_string(n) + ".tmp";
    const int fd = OpenFile(*Path, kNewFileFlags | ExtraFlags, kNewFileMode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int Fd, const std::vector<uint8_t>& Bytes) {
  size_t done = 0;
  while (done < Bytes.size()) {
    const int n = WriteSome(Fd, Bytes.data() + done, Bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// What is at Path now: 0 nothing, 1 a file, 2 a folder.
int WhatIsAt(const std::string& Path) {
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesW(Wide(Path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 2 : 1;
#else
  struct stat info {};
  if (stat(Path.c_str(), &info) != 0) return 0;
  return S_ISDIR(info.st_mode) ? 2 : 1;
#endif
}

#ifndef _WIN32
// The folder a path names a file in.
std::string FolderOf(const std::string& Path) {
  const size_t slash = Path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : Path.substr(0, slash);
}

// Where the symbolic link Path leads, into *Target; false when Path is no link.
bool LinkTarget(const std::string& Path, std::string* Target) {
  struct stat info {};
  if (lstat(Path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return false;
  std::string to(4096, '\0');
  const ssize_t n = readlink(Path.c_str(), to.data(), to.size());
  if (n <= 0 || static_cast<size_t>(n) >= to.size()) return false;
  to.resize(static_cast<size_t>(n));
  *Target = to[0] == '/' ? to : FolderOf(Path) + "/" + to;
  return true;
}
#endif

// Puts the finished temporary file in its place; errno set when it could not.
FileOutcome Commit(const std::string& Temporary, const std::string& Path, bool Overwrite) {
#ifdef _WIN32
  if (MoveFileExW(Wide(Temporary).c_str(), Wide(Path).c_str(),
                  Overwrite ? MOVEFILE_REPLACE_EXISTING : 0)) {
    return FileOutcome::Done;
  }
  const DWORD code = GetLastError();
  if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) return FileOutcome::Exists;
  errno = ErrnoOf(code);
  return FileOutcome::Failed;
#else
  if (Overwrite)
    return rename(Temporary.c_str(), Path.c_str()) == 0 ? FileOutcome::Done : FileOutcome::Failed;
  // A new link fails when the name is taken, even by a file made a moment ago.
  if (link(Temporary.c_str(), Path.c_str()) == 0) {
    unlink(Temporary.c_str());
    return FileOutcome::Done;
  }
  if (errno == EEXIST) return FileOutcome::Exists;
  // A file system without links: the name was free a moment ago.
  return rename(Temporary.c_str(), Path.c_str()) == 0 ? FileOutcome::Done : FileOutcome::Failed;
#endif
}

}  // namespace

void SafeStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
#ifdef _WIN32
    // Asked of the system: the C library would treat a question about a
    // descriptor that is not open as a fault of the program.
    static constexpr DWORD kStandard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    const HANDLE handle = GetStdHandle(kStandard[fd]);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
      const int null = _open("NUL", fd == 0 ? _O_WRONLY : _O_RDONLY);
      if (null >= 0 && null != fd) {
        _dup2(null, fd);
        _close(null);
      }
    }
    _setmode(fd, _O_BINARY);
#else
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int null = open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
    if (null >= 0 && null != fd) {
      dup2(null, fd);
      close(null);
    }
#endif
  }
}

std::vector<std::string> ProgramArguments(int Argc, const char* const* Argv) {
  std::vector<std::string> arguments;
#ifdef _WIN32
  (void)Argv;
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) arguments.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return arguments;
  }
#endif
  for (int i = 1; i < Argc; ++i) arguments.emplace_back(Argv[i]);
  return arguments;
}

bool IsPlainFileName(std::string_view Name) {
  if (Name.empty() || Name.size() > 255 || Name[0] == '.') return false;
  for (const char c : Name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    if (!plain) return false;
  }
  return true;
}

bool WriteWholeFile(const std::string& Folder, const std::string& Name,
                    const std::vector<uint8_t>& Bytes, bool Overwrite, std::string* Error) {
  const std::string path = Folder + "/" + Name;
  const int there = WhatIsAt(path);
  if (there == 2) {
    *Error = std::strerror(EISDIR);
    return false;
  }
  if (there == 1 && !Overwrite) {
    *Error = kExists;
    return false;
  }
  std::string temporary;
  const int fd = CreateNewFile(Folder, "." + Name, 0, &temporary);
  if (fd < 0) {
    *Error = std::strerror(errno);
    return false;
  }
  bool written = WriteAll(fd, Bytes);
  int error = errno;
  if (CloseFile(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  FileOutcome outcome = FileOutcome::Failed;
  if (written) {
    outcome = Commit(temporary, path, Overwrite);
    error = errno;
  }
  if (outcome == FileOutcome::Done) return true;
  RemoveFile(temporary);
  *Error = outcome == FileOutcome::Exists ? kExists : std::strerror(error);
  return false;
}

bool OpenForWriting(const std::string& Path, bool Existing, std::FILE** File, std::string* Created,
                    std::string* Error) {
  Created->clear();
  // What is there already must be a file: a folder cannot take a recording,
  // a pipe would hand it to whoever reads it (and make the open wait), and a
  // device is nobody's recording.
  const int there = WhatIsAt(Path);
  if (there == 2) {
    *Error = std::strerror(EISDIR);
    return false;
  }
#ifdef _WIN32
  const std::wstring wide = Wide(Path);
  // Shared for reading only: no second game can open it to write, and
  // nobody can delete or move it while it is recorded.
  const auto create = [&](DWORD How) {
    return CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, How,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE handle = create(CREATE_NEW);
  const bool made = handle != INVALID_HANDLE_VALUE;
  if (made) *Created = Path;
  DWORD code = made ? ERROR_SUCCESS : GetLastError();
  if (!made && (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) && Existing) {
    handle = create(OPEN_EXISTING);
    code = handle != INVALID_HANDLE_VALUE ? ERROR_SUCCESS : GetLastError();
  }
  if (handle == INVALID_HANDLE_VALUE) {
    *Error = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS ? kExists
             : code == ERROR_SHARING_VIOLATION                         ? kTaken
                                               : std::strerror(ErrnoOf(code));
    return false;
  }
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    *Error = kNotAFile;
    return false;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    *Error = std::strerror(errno);
    CloseHandle(handle);
    if (made) DeleteFileW(wide.c_str());
    return false;
  }
  *File = _fdopen(fd, "wb");
#else
  // A link to a file that does not exist: the recording is made where it
  // leads, when asked to replace what is there (as the shell's > would).
  std::string path = Path;
  if (there == 0 && LinkTarget(Path, &path)) {
    if (WhatIsAt(FolderOf(path)) != 2) {
      *Error = kLinkIntoNothing;
      return false;
    }
    if (!Existing) {
      *Error = kLinkToNothing;
      return false;
    }
  }
  // Never waits: a pipe without a reader would hold the open.
  constexpr int kWrite = O_WRONLY | O_CLOEXEC | O_NONBLOCK;
  int fd = there == 0 ? open(path.c_str(), kWrite | O_CREAT | O_EXCL, kNewFileMode) : -1;
  if (fd >= 0) *Created = path;
  if (fd < 0 && (there == 1 || errno == EEXIST)) {
    if (!Existing) {
      *Error = kExists;
      return false;
    }
    fd = open(Path.c_str(), kWrite);
  }
  if (fd < 0) {
    *Error = errno == ENXIO ? kNotAFile : std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    *Error = kNotAFile;
    return false;
  }
  // One game at a time records to a file; a file system without locks
  // records all the same.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    close(fd);
    *Error = kTaken;
    // Made by this game a moment ago, yet another has it now: it is theirs.
    return false;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  *File = fdopen(fd, "wb");
#endif
  if (*File == nullptr) {
    *Error = std::strerror(errno);
    CloseFile(fd);
    if (!Created->empty()) RemoveFile(*Created);
    Created->clear();
    return false;
  }
  return true;
}

bool IsFolder(const std::string& Path) {
  return WhatIsAt(Path) == 2;
}

std::FILE* OpenForReading(const std::string& Path) {
#ifdef _WIN32
  return _wfopen(Wide(Path).c_str(), L"rb");
#else
  return std::fopen(Path.c_str(), "rb");
#endif
}

bool ReadWholeFile(const std::string& Path, size_t Limit, std::string* Text, std::string* Error) {
  Text->clear();
  char chunk[64 * 1024];
#ifdef _WIN32
  const std::wstring wide = Wide(Path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    *Error = std::strerror(EISDIR);
    return false;
  }
  // Shared every way: a game may be recording to it.
  const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *Error = std::strerror(ErrnoOf(GetLastError()));
    return false;
  }
  bool read = GetFileType(handle) == FILE_TYPE_DISK;
  if (!read) *Error = kNotAFile;
  while (read && Text->size() <= Limit) {
    DWORD n = 0;
    if (!ReadFile(handle, chunk, sizeof chunk, &n, nullptr)) {
      *Error = std::strerror(ErrnoOf(GetLastError()));
      read = false;
    } else if (n == 0) {
      break;
    } else {
      Text->append(chunk, n);
    }
  }
  CloseHandle(handle);
#else
  // Never waits: a pipe without a writer would hold the open.
  const int fd = open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *Error = std::strerror(errno);
    return false;
  }
  struct stat info {};
  bool read = fstat(fd, &info) == 0;
  if (!read) {
    *Error = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    *Error = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : kNotAFile;
    read = false;
  }
  while (read && Text->size() <= Limit) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *Error = std::strerror(errno);
      read = false;
    } else if (n == 0) {
      break;
    } else {
      Text->append(chunk, static_cast<size_t>(n));
    }
  }
  close(fd);
#endif
  if (!read) Text->clear();
  if (Text->size() > Limit + 1) Text->resize(Limit + 1);
  return read;
}

bool MakeFolder(const std::string& Path) {
#ifdef _WIN32
  return CreateDirectoryW(Wide(Path).c_str(), nullptr) != 0 ||
         GetLastError() == ERROR_ALREADY_EXISTS;
#else
  return mkdir(Path.c_str(), 0755) == 0 || errno == EEXIST;
#endif
}

bool RemoveFile(const std::string& Path) {
#ifdef _WIN32
  return _wunlink(Wide(Path).c_str()) == 0;
#else
  return unlink(Path.c_str()) == 0;
#endif
}

FileIdentity IdentityOf(std::FILE* File) {
  FileIdentity identity;
#ifndef _WIN32
  struct stat info {};
  if (fstat(fileno(File), &info) == 0) {
    identity.Device = static_cast<uint64_t>(info.st_dev);
    identity.Number = static_cast<uint64_t>(info.st_ino);
  }
#else
  (void)File;
#endif
  return identity;
}

bool StillNamed(const std::string& Path, const FileIdentity& Identity) {
#ifdef _WIN32
  (void)Path;
  (void)Identity;
  return true;
#else
  struct stat info {};
  return stat(Path.c_str(), &info) == 0 && static_cast<uint64_t>(info.st_dev) == Identity.Device &&
         static_cast<uint64_t>(info.st_ino) == Identity.Number;
#endif
}

bool EmptyFile(std::FILE* File) {
  return CutFile(File, 0);
}

bool CutFile(std::FILE* File, uint64_t Size) {
  if (std::fflush(File) != 0) return false;
#ifdef _WIN32
  const int fd = _fileno(File);
  struct _stat64 info {};
  if (_fstat64(fd, &info) != 0) return false;
  if ((info.st_mode & _S_IFMT) != _S_IFREG) return true;
  const auto at = static_cast<long long>(Size);
  return _chsize_s(fd, at) == 0 && _lseeki64(fd, at, SEEK_SET) == at;
#else
  const int fd = fileno(File);
  struct stat info {};
  if (fstat(fd, &info) != 0) return false;
  if (!S_ISREG(info.st_mode)) return true;
  const auto at = static_cast<off_t>(Size);
  return ftruncate(fd, at) == 0 && lseek(fd, at, SEEK_SET) == at;
#endif
}

size_t WriteToFile(std::FILE* File, const char* Data, size_t Size) {
#ifdef _WIN32
  const int fd = _fileno(File);
#else
  const int fd = fileno(File);
#endif
  size_t done = 0;
  while (done < Size) {
    const int n = WriteSome(fd, reinterpret_cast<const uint8_t*>(Data) + done, Size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      break;
    }
    done += static_cast<size_t>(n);
  }
  return done;
}

std::FILE* OpenPrivateTemporaryFile(std::string* Error) {
  std::string folder;
#ifdef _WIN32
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  folder = n > 0 && n <= MAX_PATH ? Utf8(buffer) : std::string(".");
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  // Removed by the system when closed, however the program ends.
  const int extra = _O_TEMPORARY;
#else
  const char* tmpdir = std::getenv("TMPDIR");
  folder = tmpdir != nullptr && tmpdir[0] != '\0' ? tmpdir : "/tmp";
  const int extra = 0;
#endif
  std::string path;
  const int fd = CreateNewFile(folder, "carpex-replay", extra, &path);
  if (fd < 0) {
    *Error = std::strerror(errno);
    return nullptr;
  }
#ifdef _WIN32
  std::FILE* file = _fdopen(fd, "w+b");
#else
  // Gone from the folder at once: nobody else finds it, and nothing is left
  // behind however the program ends.
  unlink(path.c_str());
  std::FILE* file = fdopen(fd, "w+b");
#endif
  if (file == nullptr) {
    *Error = std::strerror(errno);
    CloseFile(fd);
  }
  return file;
}

}  // namespace carpex
