// Lookup of the embedded resources: first those a test added, then the
// program's own table, by type and name without regard to case.

#include "graphics/soft/resources.h"

#include <memory>
#include <string>
#include <utility>

#include "graphics/soft/control.h"
#include "graphics/soft/state.h"

namespace soft {

const Resource* FindEmbedded(const char* type, const char* name) {
  using detail::EqualsIgnoreCase;
  if (type == nullptr || name == nullptr) return nullptr;
  detail::State& s = detail::GetState();
  for (const std::string& missed : s.missedResources) {
    if (EqualsIgnoreCase(missed.c_str(), name)) return nullptr;
  }
  // The newest addition wins, so a test can replace a picture.
  for (auto it = s.addedResources.rbegin(); it != s.addedResources.rend(); ++it) {
    const Resource& r = (*it)->entry;
    if (EqualsIgnoreCase(r.type, type) && EqualsIgnoreCase(r.name, name)) return &r;
  }
  for (std::size_t i = 0; i < kResourceCount; ++i) {
    const Resource& r = kResources[i];
    if (EqualsIgnoreCase(r.type, type) && EqualsIgnoreCase(r.name, name)) return &r;
  }
  return nullptr;
}

void AddResource(const char* type, const char* name, std::vector<std::uint8_t> bytes) {
  if (type == nullptr || name == nullptr) return;
  auto added = std::make_unique<detail::AddedResource>();
  added->type = type;
  added->name = name;
  added->bytes = std::move(bytes);
  added->entry = {added->type.c_str(), added->name.c_str(), added->bytes.data(),
                  added->bytes.size()};
  detail::GetState().addedResources.push_back(std::move(added));
}

}  // namespace soft
