#include "platform/common/record_folder.h"

#include <vector>

#include "assets/files.h"

namespace carpex::common {

namespace {

// Far above what ten levels, four speeds and a year of days take.
constexpr size_t kMostRecordBytes = 256 * 1024;

}  // namespace

std::string RecordFolder::Load() {
  std::string text, error;
  // A pipe or a device put there is passed over, as a damaged file is.
  if (folder_.empty() || !ReadWholeFile(folder_ + "/records", kMostRecordBytes, &text, &error) ||
      text.size() > kMostRecordBytes) {
    return "";
  }
  return text;
}

bool RecordFolder::Save(const std::string& Text) {
  return Write("records", Text);
}

bool RecordFolder::SaveScript(const std::string& Name, const std::string& Script) {
  return Write(Name, Script);
}

void RecordFolder::RemoveScript(const std::string& Name) {
  if (!folder_.empty()) RemoveFile(folder_ + "/" + Name);
}

bool RecordFolder::Write(const std::string& Name, const std::string& Text) {
  if (folder_.empty()) return false;
  const size_t slash = folder_.find_last_of("/\\");
  if (slash != std::string::npos && slash > 0) MakeFolder(folder_.substr(0, slash));
  if (!MakeFolder(folder_)) return false;
  std::string error;
  return WriteWholeFile(folder_, Name, std::vector<uint8_t>(Text.begin(), Text.end()), true,
                        &error);
}

}  // namespace carpex::common
