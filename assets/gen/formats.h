// The Windows file formats the generator writes: .bmp files (24-bit, and 8-bit
// with a colour table) and a .ico file with one 16-colour picture.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/gen/image.h"

namespace carpex::assetgen {

// The standard 16 colours of the 4-bit pictures (the button glyphs, the
// icon), named by their places in kVgaPalette.
enum VgaColour : uint8_t {
  kVgaBlack,
  kVgaMaroon,
  kVgaGreen,
  kVgaOlive,
  kVgaNavy,
  kVgaPurple,
  kVgaTeal,
  kVgaSilver,
  kVgaGrey,
  kVgaRed,
  kVgaLime,
  kVgaYellow,
  kVgaBlue,
  kVgaFuchsia,
  kVgaCyan,
  kVgaWhite,
};
inline const std::vector<Rgb> kVgaPalette = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

// A picture of colour-table indices, top row first.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices;
  std::vector<Rgb> palette;

  uint8_t At(int X, int Y) const { return indices[static_cast<std::size_t>(Y) * width + X]; }
};

// A monochrome cursor: each pixel transparent, black or white.
struct MonoCursor {
  enum Pixel : uint8_t { kClear = 0, kBlack = 1, kWhite = 2 };
  int id = 0;  // the cursor group's number
  int size = 32;
  int hot_x = 0;
  int hot_y = 0;
  std::vector<uint8_t> pixels;  // size * size, top row first
};

// A .bmp file: BITMAPFILEHEADER, BITMAPINFOHEADER (BI_RGB), rows bottom-up,
// each padded with zeros to a multiple of 4 bytes.
std::vector<uint8_t> EncodeBmp24(const Image& Image);
// As above with 8 bits a pixel and a table of 256 colours (the palette padded
// with black).
std::vector<uint8_t> EncodeBmp8(const IndexedImage& Image);

// As above with 4 bits a pixel and a table of 16 colours.
std::vector<uint8_t> EncodeBmp4(const IndexedImage& Image);

// A .cur file with one 1-bit picture, its AND mask and its hot spot.
std::vector<uint8_t> EncodeCur(const MonoCursor& Cursor);
// The cursor as shown, transparent pixels in `Ground`, for the contact sheet.
Image CursorPreview(const MonoCursor& Cursor, Rgb Ground);

// A .ico file with one picture of at most 16 colours at 4 bits a pixel, and
// its AND mask: pixels with `Transparent` set are left out.
std::vector<uint8_t> EncodeIco4(const IndexedImage& Image, const std::vector<bool>& Transparent);

// The colours of an indexed picture.
Image ToImage(const IndexedImage& Indexed);

// The picture the .ico shows, for the contact sheet: transparent pixels get
// `Ground`.
Image IconPreview(const IndexedImage& Icon, const std::vector<bool>& Transparent, Rgb Ground);

}  // namespace carpex::assetgen
