// A small self-contained PNG writer for 8-bit RGB and RGBA pictures: contact
// sheets, the replay tool's frame dumps and the Linux package's icons. The
// output depends only on the input, so the same picture always gives the same
// bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace carpex {

// CRC-32 as PNG chunks use it (polynomial 0xEDB88320), continued from `Crc`.
uint32_t Crc32(const uint8_t* Data, std::size_t Size, uint32_t Crc = 0);
// Adler-32 as the zlib stream trailer uses it, continued from `Adler`.
uint32_t Adler32(const uint8_t* Data, std::size_t Size, uint32_t Adler = 1);

// A complete zlib stream (RFC 1950) holding `Data`, compressed with deflate
// using LZ77 and the fixed Huffman codes.
std::vector<uint8_t> ZlibCompress(const uint8_t* Data, std::size_t Size);

// `Rgb` holds width * height pixels of 3 bytes (red, green, blue), top row
// first. False for a size that is not positive or too large for one picture.
bool EncodePng(int Width, int Height, const uint8_t* Rgb, std::vector<uint8_t>* Out);
// With `Alpha`, 4 bytes a pixel: red, green, blue and opacity.
bool EncodePng(int Width, int Height, const uint8_t* Pixels, bool Alpha, std::vector<uint8_t>* Out);
bool WritePng(const std::string& Path, int Width, int Height, const uint8_t* Rgb,
              bool Alpha = false);

}  // namespace carpex
