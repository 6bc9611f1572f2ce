// The native games' records in a folder of the player's (beside the Linux
// game's settings, in the Windows user's application data): the records as
// the file "records", the kept rounds beside it, each written whole.
#pragma once

#include <string>
#include <utility>

#include "platform/common/record_keeper.h"

namespace carpex::common {

class RecordFolder final : public RecordStore {
 public:
  // Folder is made (and its parent) at the first save; empty: nothing is
  // kept between games.
  explicit RecordFolder(std::string Folder) : folder_(std::move(Folder)) {}
  const std::string& Folder() const { return folder_; }

  std::string Load() override;
  bool Save(const std::string& Text) override;
  bool SaveScript(const std::string& Name, const std::string& Script) override;
  void RemoveScript(const std::string& Name) override;

 private:
  bool Write(const std::string& Name, const std::string& Text);
  std::string folder_;
};

}  // namespace carpex::common
