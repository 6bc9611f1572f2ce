// Lookup of the embedded resources: first those a test added, then the
// program's own table, by type and name without regard to case.

#include "graphics/soft/resources.h"

#include <memory>
#include <string>
#include <utility>

#include "graphics/soft/control.h"
#include "graphics/soft/state.h"

namespace soft {

const Resource* FindEmbedded(const char* Type, const char* Name) {
  using detail::EqualsIgnoreCase;
  if (Type == nullptr || Name == nullptr) return nullptr;
  detail::State& s = detail::GetState();
  for (const std::string& missed : s.missedResources) {
    if (EqualsIgnoreCase(missed.c_str(), Name)) return nullptr;
  }
  // The newest addition wins, so a test can replace a picture.
  for (auto it = s.addedResources.rbegin(); it != s.addedResources.rend(); ++it) {
    const Resource& r = (*it)->entry;
    if (EqualsIgnoreCase(r.type, Type) && EqualsIgnoreCase(r.name, Name)) return &r;
  }
  for (std::size_t i = 0; i < kResourceCount; ++i) {
    const Resource& r = kResources[i];
    if (EqualsIgnoreCase(r.type, Type) && EqualsIgnoreCase(r.name, Name)) return &r;
  }
  return nullptr;
}

void AddResource(const char* Type, const char* Name, std::vector<std::uint8_t> Bytes) {
  if (Type == nullptr || Name == nullptr) return;
  auto added = std::make_unique<detail::AddedResource>();
  added->type = Type;
  added->name = Name;
  added->bytes = std::move(Bytes);
  added->entry = {added->type.c_str(), added->name.c_str(), added->bytes.data(),
                  added->bytes.size()};
  detail::GetState().addedResources.push_back(std::move(added));
}

}  // namespace soft
