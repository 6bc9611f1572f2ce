// The program's own resources, embedded into the executable at build time for
// the builds that have no Windows resource section. Looked up by type and name
// without regard to case, as Windows looks up named resources.
#pragma once

#include <cstddef>
#include <cstdint>

namespace soft {

struct Resource {
  const char* type;  // "BITMAP", "ICON", "RCDATA"
  const char* name;  // as written in the resource script, e.g. "LEVELCH1"
  const uint8_t* data;
  std::size_t size;
};

// Defined by the generated embedding (assets/). A BITMAP holds what RT_BITMAP
// holds: the DIB from its BITMAPINFOHEADER on, without the file header.
extern const Resource kResources[];
extern const std::size_t kResourceCount;

// Case-insensitive lookup; nullptr when there is no such resource.
const Resource* FindEmbedded(const char* Type, const char* Name);

}  // namespace soft
