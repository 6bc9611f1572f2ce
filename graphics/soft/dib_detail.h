// Internal: DIB decoding that also hands back the colour table, which GDI
// needs to set pixels of a paletted bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/soft/dib.h"

namespace soft::detail {

// The largest picture accepted: each side, and the pixels in all.
constexpr std::int32_t kMaxDibSide = 16384;
constexpr std::uint64_t kMaxDibPixels = std::uint64_t{1} << 24;

// As DecodeDib / DecodeBmpFile; `Palette` (may be null) receives the colour
// table as COLORREFs for pictures of 8 bits or fewer, and is emptied otherwise.
bool DecodeDibWithPalette(const std::uint8_t* Data, std::size_t Size, DibImage* Out,
                          std::vector<std::uint32_t>* Palette);
bool DecodeBmpFileWithPalette(const std::uint8_t* Data, std::size_t Size, DibImage* Out,
                              std::vector<std::uint32_t>* Palette);

}  // namespace soft::detail
