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

// CRC-32 as PNG chunks use it (polynomial 0xEDB88320), continued from `crc`.
uint32_t Crc32(const uint8_t* data, std::size_t size, uint32_t crc = 0);
// Adler-32 as the zlib stream trailer uses it, continued from `adler`.
uint32_t Adler32(const uint8_t* data, std::size_t size, uint32_t adler = 1);

// A complete zlib stream (RFC 1950) holding `data`, compressed with deflate
// using LZ77 and the fixed Huffman codes.
std::vector<uint8_t> ZlibCompress(const uint8_t* data, std::size_t size);

// `rgb` holds width * height pixels of 3 bytes (red, green, blue), top row
// first. False for a size that is not positive or too large for one picture.
bool EncodePng(int width, int height, const uint8_t* rgb, std::vector<uint8_t>* out);
// With `alpha`, 4 bytes a pixel: red, green, blue and opacity.
bool EncodePng(int width, int height, const uint8_t* pixels, bool alpha, std::vector<uint8_t>* out);
bool WritePng(const std::string& path, int width, int height, const uint8_t* pixels,
              bool alpha = false);

}  // namespace carpex
