// Files the programs read and write, and what they start with: a picture is
// written whole or not at all, a recording has one writer, a script's private
// copy lives where TMPDIR says, no file takes the place of a closed standard
// descriptor, and names are UTF-8 everywhere (on Windows the system's wide
// names and command line, so that any name the system allows works).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace carpex {

// The reasons the functions below give of their own, as the replay tool
// says them (the games say them in the player's language); any other reason
// is the system's.
inline constexpr char kFileExists[] = "it exists already (--overwrite replaces it)";
inline constexpr char kFileNotAFile[] = "it is not a regular file";
inline constexpr char kFileTaken[] = "another game is recording to it";
inline constexpr char kFileLinkToNothing[] =
    "it is a symbolic link to a file that does not exist (--overwrite creates that file)";
inline constexpr char kFileLinkIntoNothing[] =
    "it is a symbolic link into a folder that does not exist";

// Descriptors 0, 1 and 2 that are closed at start are opened on the null
// device the wrong way round (input for writing, output for reading): they
// still cannot be used, as when closed, but no file opened later takes their
// number. On Windows they are also put in binary mode, so that every line a
// program writes ends in a bare line feed. First thing in every main().
void SafeStandardDescriptors();

// The program's arguments after its name, in UTF-8: on Windows read from the
// system's wide command line (the C library's are in the ANSI code page,
// which cannot hold most names), elsewhere argv as it is.
std::vector<std::string> ProgramArguments(int Argc, const char* const* Argv);

// A name that is nothing but a file's name: letters, digits, '-', '_' and '.',
// not starting with '.', at most 255 bytes.
bool IsPlainFileName(std::string_view Name);

// Writes Bytes as the file Name in Folder, whole or not at all: into a new
// temporary file beside it, then renamed to Name. A file called Name is
// replaced only when Overwrite, a folder never. False with the reason in
// *Error ("it exists already (--overwrite replaces it)": both programs name
// the option so; "Is a directory", "No space left on device").
bool WriteWholeFile(const std::string& Folder, const std::string& Name,
                    const std::vector<uint8_t>& Bytes, bool Overwrite, std::string* Error);

// Opens Path for writing: a new file (its path in *Created, which differs
// from Path when Path is a symbolic link to a file that did not exist yet),
// or, when Existing, the file already there as it is (*Created empty). Only a regular file: a
// folder, a pipe or a device is refused at once, and the open never waits. The file is this
// program's alone while it is open (a lock on Linux, the share mode on
// Windows): a second program that asks for it is refused ("another game is
// recording to it") before it changes a byte. Nothing is emptied: that is
// EmptyFile's, once what is there may go. False with the reason in *Error, as
// WriteWholeFile's.
bool OpenForWriting(const std::string& Path, bool Existing, std::FILE** File, std::string* Created,
                    std::string* Error);
// Whether Path is a folder.
bool IsFolder(const std::string& Path);
// Opens Path for reading in binary; nullptr with errno set.
std::FILE* OpenForReading(const std::string& Path);
// Reads the file Path into *Text, at most Limit + 1 bytes (more than Limit
// say that it is longer). Only a regular file is read: a pipe or a device,
// which could keep the program waiting or never end, is refused before a
// byte of it is read, and the open never waits. False with the reason in
// *Error ("it is not a regular file", "Is a directory", ...).
bool ReadWholeFile(const std::string& Path, size_t Limit, std::string* Text, std::string* Error);
// Makes the folder Path, its parent being there; true when it is there already.
bool MakeFolder(const std::string& Path);
// Removes the file Path; false with errno set.
bool RemoveFile(const std::string& Path);

// Which file an open one is, to tell at the end whether its name still leads
// to it (a recording whose folder was deleted meanwhile is lost).
struct FileIdentity {
  uint64_t Device = 0;
  uint64_t Number = 0;
};
FileIdentity IdentityOf(std::FILE* File);
// Whether Path still names the file. On Windows it always does: a file open
// without delete sharing can be neither deleted nor moved, nor its folder.
bool StillNamed(const std::string& Path, const FileIdentity& Identity);
// Empties a regular file opened for writing (anything else is left as it is);
// false when it cannot be done.
bool EmptyFile(std::FILE* File);
// Cuts a regular file opened for writing back to its first Size bytes, and
// goes on writing there; false when it cannot be done.
bool CutFile(std::FILE* File, uint64_t Size);
// Writes Size bytes of Data through File's descriptor, at once (File is
// unbuffered): how many reached the file, all of them unless a write failed
// (errno says why).
size_t WriteToFile(std::FILE* File, const char* Data, size_t Size);

// A new, empty file for reading and writing that nobody else can open and
// that is gone once closed: in TMPDIR (on Windows the system's folder for
// temporary files), else /tmp. nullptr with the reason in *Error.
std::FILE* OpenPrivateTemporaryFile(std::string* Error);

}  // namespace carpex
