#include "assets/gen/cjk_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <stdexcept>
#include <vector>

namespace carpex::assetgen {

std::vector<char32_t> DecodeUtf8(const std::string& Text) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < Text.size();) {
    const auto lead = static_cast<unsigned char>(Text[i]);
    const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    if (extra > 0 && i + extra >= Text.size()) {
      throw std::invalid_argument("truncated UTF-8 text");
    }
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k)
      c = (c << 6) | (static_cast<unsigned char>(Text[i + k]) & 0x3F);
    out.push_back(c);
    i += extra + 1;
  }
  return out;
}

namespace {

FT_Face Face(void* Face) {
  return static_cast<FT_Face>(Face);
}

}  // namespace

CjkFont::CjkFont(const std::string& Path, int FaceIndex) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) throw std::runtime_error("FreeType did not start");
  library_ = library;
  FT_Face face = nullptr;
  if (FT_New_Face(library, Path.c_str(), FaceIndex, &face) != 0) {
    FT_Done_FreeType(library);
    throw std::runtime_error("cannot open the CJK font " + Path);
  }
  face_ = face;
}

CjkFont::~CjkFont() {
  FT_Done_Face(Face(face_));
  FT_Done_FreeType(static_cast<FT_Library>(library_));
}

long CjkFont::Render(char32_t Character, int PixelSize) {
  FT_Face face = Face(face_);
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(PixelSize)) != 0) {
    throw std::runtime_error("the CJK font has no size " + std::to_string(PixelSize));
  }
  const FT_UInt glyph = FT_Get_Char_Index(face, Character);
  if (glyph == 0) throw std::invalid_argument("the CJK font lacks a character of the text");
  // Unhinted outlines: the rasteriser's exact coverage is the same wherever
  // this FreeType runs. A strike is used as it is.
  if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0) {
    throw std::runtime_error("FreeType cannot render a character of the text");
  }
  return face->glyph->advance.x;
}

int CjkFont::Width(const std::string& Text, int PixelSize) {
  long pen = 0;
  for (char32_t c : DecodeUtf8(Text)) pen += Render(c, PixelSize);
  return static_cast<int>((pen + 32) >> 6);
}

void CjkFont::Draw(Mask& Ink, int X, int Top, const std::string& Text, int PixelSize) {
  long pen = static_cast<long>(X) * 64;
  for (char32_t c : DecodeUtf8(Text)) {
    const long advance = Render(c, PixelSize);
    const FT_GlyphSlot slot = Face(face_)->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int ascender = static_cast<int>((Face(face_)->size->metrics.ascender + 32) >> 6);
    const int left = static_cast<int>((pen + 32) >> 6) + slot->bitmap_left;
    const int baseline = Top + ascender;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const unsigned char* bits = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const bool on = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                            ? ((bits[column / 8] >> (7 - column % 8)) & 1) != 0
                            : bits[column] >= 128;
        if (on) {
          Ink.Max(left + static_cast<int>(column),
                  baseline - slot->bitmap_top + static_cast<int>(row), 255);
        }
      }
    }
    pen += advance;
  }
}

int CjkFont::Ascender(int PixelSize) {
  Render(U'0', PixelSize);
  return static_cast<int>((Face(face_)->size->metrics.ascender + 32) >> 6);
}

int CjkFont::LineHeight(int PixelSize) {
  Render(U'0', PixelSize);
  return static_cast<int>((Face(face_)->size->metrics.height + 32) >> 6);
}

void CjkFont::DrawCentred(Mask& Ink, int Top, const std::string& Text, int PixelSize) {
  Draw(Ink, (Ink.width() - Width(Text, PixelSize)) / 2, Top, Text, PixelSize);
}

}  // namespace carpex::assetgen
